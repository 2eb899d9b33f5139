#include "ui/tnameselectform.h"

#include "storage/datafolders.h"
#include "storage/tabledefs.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1; // -1 on a kind's box

// A picture button when the installation has the picture, a text button otherwise.
QPushButton* PictureButton(const QString& programFolder, const QString& picture, const QString& text) {
    auto* b = new QPushButton;
    const QString path = JoinPath(programFolder, QStringLiteral("Icons/") + picture);
    if (QFileInfo::exists(path)) {
        b->setIcon(QIcon(path));
        b->setToolTip(text);
    } else {
        b->setText(text);
    }
    return b;
}

} // namespace

TNameSelectForm::TNameSelectForm(const TMemTable& kindsList, const QString& programFolder, QWidget* parent)
    : QDialog(parent), m_selection(TNameSelection::AllChecked(kindsList)), m_kinds(new QListWidget),
      m_names(new QListWidget),
      m_clearAll(PictureButton(programFolder, QStringLiteral("noselected.bmp"), QStringLiteral("Снять все"))),
      m_checkAll(
          PictureButton(programFolder, QStringLiteral("selected.bmp"), QStringLiteral("Отметить все"))),
      m_accept(new QPushButton(QStringLiteral("Принять"))),
      m_cancel(new QPushButton(QStringLiteral("Отмена"))) {
    setObjectName(QStringLiteral("NameSelectForm"));
    setWindowTitle(QStringLiteral("Выберите наименования расходов для анализа"));
    setModal(true);
    m_kinds->setObjectName(QStringLiteral("KindsChecks"));
    m_names->setObjectName(QStringLiteral("NamesChecks"));
    m_clearAll->setObjectName(QStringLiteral("ClearAllButton"));
    m_checkAll->setObjectName(QStringLiteral("CheckAllButton"));

    for (int r = 0; r < kindsList.RowCount(); ++r) {
        const QStringList cells = kindsList.Row(r)->Cells();
        auto* kind = new QListWidgetItem(cells.value(col::kinds::Kind), m_kinds);
        kind->setData(kKindRole, r);
        kind->setData(kNameRole, -1);
        for (int c = col::kinds::FirstName; c < cells.size(); ++c) {
            auto* name = new QListWidgetItem(cells[c], m_names);
            name->setData(kKindRole, r);
            name->setData(kNameRole, c - col::kinds::FirstName);
            name->setToolTip(cells.value(col::kinds::Kind));
        }
    }
    ShowSelection();

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Виды расходов")), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Наименования расходов")), 0, 1);
    lists->addWidget(m_kinds, 1, 0);
    lists->addWidget(m_names, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_clearAll);
    buttons->addWidget(m_checkAll);
    buttons->addStretch(1);
    buttons->addWidget(m_accept);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);
    resize(520, 400);

    connect(m_kinds, &QListWidget::itemChanged, this, &TNameSelectForm::ItemChanged);
    connect(m_names, &QListWidget::itemChanged, this, &TNameSelectForm::ItemChanged);
    connect(m_clearAll, &QPushButton::clicked, this, [this] {
        m_selection.SetAll(false);
        ShowSelection();
    });
    connect(m_checkAll, &QPushButton::clicked, this, [this] {
        m_selection.SetAll(true);
        ShowSelection();
    });
    connect(m_accept, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TNameSelectForm::ItemChanged(QListWidgetItem* item) {
    if (m_showing) return;
    const int kind = item->data(kKindRole).toInt();
    const int name = item->data(kNameRole).toInt();
    const bool on = item->checkState() == Qt::Checked;
    if (name < 0)
        m_selection.SetKind(kind, on);
    else
        m_selection.SetName(kind, name, on);
    ShowSelection();
}

void TNameSelectForm::ShowSelection() {
    m_showing = true;
    for (int i = 0; i < m_kinds->count(); ++i) {
        QListWidgetItem* item = m_kinds->item(i);
        const size_t kind = size_t(item->data(kKindRole).toInt());
        const bool on = kind < m_selection.kinds.size() && m_selection.kinds[kind];
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    for (int i = 0; i < m_names->count(); ++i) {
        QListWidgetItem* item = m_names->item(i);
        const bool on = m_selection.NameChecked(item->data(kKindRole).toInt(), item->data(kNameRole).toInt());
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    m_showing = false;
}

void TNameSelectForm::closeEvent(QCloseEvent* event) {
    m_closedByFrame = true;
    QDialog::closeEvent(event);
}
