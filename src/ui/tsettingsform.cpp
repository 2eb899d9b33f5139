#include "ui/tsettingsform.h"

#include "storage/tprogrampaths.h"
#include "users/tbaselocation.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <tuple>

namespace {

constexpr int kMargin = 10;
constexpr int kButtonGap = 15;
constexpr int kFieldMaxWidth = 500;

} // namespace

TSettingsForm::TSettingsForm(TBaseLocation& location, const TProgramPaths& paths, QWidget* parent)
    : QDialog(parent), m_location(location), m_paths(paths),
      m_baseLabel(new QLabel(QStringLiteral("Папка для хранения баз программы"), this)),
      m_copyLabel(new QLabel(QStringLiteral("Папка для хранения ежедневных копий баз"), this)),
      m_basePath(new QLineEdit(this)), m_copyPath(new QLineEdit(this)),
      m_baseButton(new QPushButton(QStringLiteral("Выбрать папку"), this)),
      m_copyButton(new QPushButton(QStringLiteral("Выбрать папку"), this)),
      m_save(new QPushButton(QStringLiteral("Сохранить"), this)) {
    setObjectName(QStringLiteral("SettingsForm"));
    setWindowTitle(QStringLiteral("Настройки"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setMinimumSize(400, 250);
    resize(680, 250);
    m_basePath->setObjectName(QStringLiteral("BasePathEdit"));
    m_copyPath->setObjectName(QStringLiteral("BaseCopyPathEdit"));
    m_save->setObjectName(QStringLiteral("SaveButton"));
    m_save->setDefault(true);
    m_save->setAutoDefault(true);
    m_baseButton->setAutoDefault(false);
    m_copyButton->setAutoDefault(false);

    pickFolder = [](QWidget* owner, const QString& start) {
        return QFileDialog::getExistingDirectory(owner, QStringLiteral("Выбрать папку"), start);
    };

    for (QLineEdit* field : {m_basePath, m_copyPath}) {
        connect(field, &QLineEdit::textChanged, field,
                [field](const QString& text) { field->setToolTip(text); });
    }
    connect(m_baseButton, &QPushButton::clicked, this, [this] { Pick(m_basePath, m_paths.dataRoot); });
    connect(m_copyButton, &QPushButton::clicked, this,
            [this] { Pick(m_copyPath, m_paths.backupCopyFolder); });
    connect(m_save, &QPushButton::clicked, this, &TSettingsForm::Save);
    LayOut();
}

void TSettingsForm::ShowOver(QWidget* owner) {
    m_owner = owner;
    if (owner) {
        owner->setEnabled(false);
        setFont(owner->font());
    }
    show();
    if (owner) {
        QRect frame = geometry();
        frame.moveCenter(owner->frameGeometry().center());
        move(std::max(0, frame.left()), std::max(0, frame.top()));
    }
    raise();
    activateWindow();
}

void TSettingsForm::showEvent(QShowEvent* event) {
    // The fields show where things are now, whatever was typed the last time.
    m_basePath->setText(m_paths.dataRoot);
    m_copyPath->setText(m_paths.backupCopyFolder);
    m_basePath->setCursorPosition(int(m_basePath->text().size()));
    m_copyPath->setCursorPosition(int(m_copyPath->text().size()));
    QDialog::showEvent(event);
}

void TSettingsForm::hideEvent(QHideEvent* event) {
    if (m_owner) m_owner->setEnabled(true);
    m_owner = nullptr;
    QDialog::hideEvent(event);
}

void TSettingsForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
}

void TSettingsForm::LayOut() {
    const int buttonWidth = std::max(m_baseButton->sizeHint().width(), m_copyButton->sizeHint().width());
    const int fieldHeight = m_basePath->sizeHint().height();
    const int fieldWidth = std::clamp(width() - 2 * kMargin - kButtonGap - buttonWidth, 50, kFieldMaxWidth);
    int y = kMargin;
    for (const auto& [label, field, button] : {std::tuple{m_baseLabel, m_basePath, m_baseButton},
                                               std::tuple{m_copyLabel, m_copyPath, m_copyButton}}) {
        label->setGeometry(kMargin, y, fieldWidth, label->sizeHint().height());
        y += label->sizeHint().height() + 4;
        field->setGeometry(kMargin, y, fieldWidth, fieldHeight);
        button->setGeometry(field->geometry().right() + 1 + kButtonGap, y, buttonWidth, fieldHeight);
        y += fieldHeight + 20;
    }
    const QSize saveSize = m_save->sizeHint().expandedTo(QSize(100, 0));
    m_save->setGeometry((width() - saveSize.width()) / 2, height() - kMargin - saveSize.height(),
                        saveSize.width(), saveSize.height());
}

void TSettingsForm::Pick(QLineEdit* field, const QString& start) {
    const QString chosen = pickFolder ? pickFolder(this, start) : QString();
    if (!chosen.isEmpty()) field->setText(chosen);
    field->selectAll();
    field->setFocus();
}

void TSettingsForm::Save() {
    if (m_location.ChangeBaseLocation(m_basePath->text(), m_copyPath->text())) accept();
}
