#include "ui/tarhivenameform.h"

#include "storage/tmessageboxclass.h"
#include "users/basefolders.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kRefused = QStringLiteral("\"*/:<>?\\|");

} // namespace

TArhiveNameForm::TArhiveNameForm(QWidget* parent)
    : QDialog(parent), m_name(new QLineEdit(this)), m_hint(new QLabel(kBadBaseNameCharacters, this)),
      m_accept(new QPushButton(QStringLiteral("Принять"), this)),
      m_cancel(new QPushButton(QStringLiteral("Отмена"), this)), m_hintTimer(new QTimer(this)) {
    setObjectName(QStringLiteral("ArhiveNameForm"));
    setWindowTitle(QStringLiteral("Введите имя восстановленной базы"));
    m_name->setObjectName(QStringLiteral("NameEdit"));
    m_name->setMinimumWidth(280);
    m_hint->setObjectName(QStringLiteral("RefusedHint"));
    m_hint->setStyleSheet(QStringLiteral("color: #c00000;"));
    m_hint->setVisible(false);
    m_accept->setObjectName(QStringLiteral("AcceptButton"));
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_accept->setDefault(true);
    m_cancel->setAutoDefault(false);
    m_hintTimer->setSingleShot(true);
    m_hintTimer->setInterval(kHintMs);
    connect(m_hintTimer, &QTimer::timeout, m_hint, &QWidget::hide);
    connect(m_accept, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_name->installEventFilter(this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_name, 0, 0, 1, 2);
    layout->addWidget(m_hint, 1, 0, 1, 2);
    layout->addWidget(m_accept, 2, 0);
    layout->addWidget(m_cancel, 2, 1);
    // The hint comes and goes under the field without moving the buttons.
    layout->setRowMinimumHeight(1, m_hint->sizeHint().height());
}

std::optional<QString> TArhiveNameForm::Ask() {
    m_name->setText(QStringLiteral("Новое имя базы"));
    m_name->selectAll();
    m_name->setFocus();
    m_hint->hide();
    if (exec() != QDialog::Accepted) return std::nullopt;
    return m_name->text();
}

bool TArhiveNameForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_name && event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (!text.isEmpty() && kRefused.contains(text.at(0))) {
            Messages().Beep();
            m_hint->show();
            m_hintTimer->start();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
