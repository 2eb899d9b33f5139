#include "ui/tcleartablesform.h"

#include "ui/datefield.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TClearTablesForm::TClearTablesForm(QWidget* parent)
    : QDialog(parent), m_from(MakeDateField(QStringLiteral("DateFrom"))),
      m_to(MakeDateField(QStringLiteral("DateTo"))),
      m_recalc(new QCheckBox(QStringLiteral("Пересчитать сумму в кошельке"))),
      m_accept(new QPushButton(QStringLiteral("Принять"))),
      m_cancel(new QPushButton(QStringLiteral("Отмена"))) {
    setObjectName(QStringLiteral("ClearBaseForm"));
    setWindowTitle(QStringLiteral("Очистить таблицы"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    auto* dates = new QGridLayout;
    dates->addWidget(new QLabel(QStringLiteral("С какой даты ")), 0, 0);
    dates->addWidget(m_from, 0, 1);
    dates->addWidget(new QLabel(QStringLiteral("До какой даты ")), 1, 0);
    dates->addWidget(m_to, 1, 1);
    dates->setColumnStretch(2, 1);

    auto* list = new QFrame;
    list->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* boxes = new QVBoxLayout(list);
    const char* const names[] = {"Таблица расходов",       "Таблица доходов",
                                 "Таблица долгов",         "Таблица планов-расходов",
                                 "Таблица планов-доходов", "Таблица переноса денег"};
    for (const char* name : names) {
        auto* box = new QCheckBox(QString::fromUtf8(name));
        m_tables << box;
        boxes->addWidget(box);
    }

    m_recalc->setObjectName(QStringLiteral("RecalcCheckBox"));
    m_accept->setObjectName(QStringLiteral("AcceptButton"));
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_accept->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_accept);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(dates);
    layout->addSpacing(6);
    layout->addWidget(new QLabel(QStringLiteral("Очистить записи в таблицах")));
    layout->addWidget(list);
    layout->addWidget(m_recalc);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_accept, &QPushButton::clicked, this, [this] {
        if (m_onAccept) m_onAccept(Request());
        accept();
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TClearTablesForm::Reopen() {
    TClearRequest fresh = Request();
    fresh.Reopen();
    m_from->setDate(fresh.from);
    m_to->setDate(fresh.to);
    m_recalc->setChecked(fresh.recalc);
    m_accept->setFocus();
}

TClearRequest TClearTablesForm::Request() const {
    TClearRequest r;
    r.from = m_from->date();
    r.to = m_to->date();
    bool* const flags[] = {&r.rashod, &r.dohod, &r.dolg, &r.planRashod, &r.planDohod, &r.transfer};
    for (int i = 0; i < m_tables.size(); ++i)
        *flags[i] = m_tables[i]->isChecked();
    r.recalc = m_recalc->isChecked();
    return r;
}

void TClearTablesForm::Run(QWidget* over, const std::function<void(const TClearRequest&)>& accepted) {
    m_onAccept = accepted;
    Reopen();
    adjustSize();
    if (over) {
        const QPoint centre = over->mapToGlobal(over->rect().center());
        move(centre - QPoint(width() / 2, height() / 2));
    }
    exec();
    m_onAccept = nullptr;
}
