#include "ui/tfilterform.h"

#include "ui/datefield.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* MakeEdit(const QString& name) {
    auto* e = new QLineEdit;
    e->setObjectName(name);
    e->setMinimumWidth(160);
    return e;
}

} // namespace

TFilterForm::TFilterForm(QWidget* parent)
    : QDialog(parent), m_dateS(MakeDateField(QStringLiteral("DateS"))),
      m_dateDo(MakeDateField(QStringLiteral("DateDo"))), m_sumS(MakeEdit(QStringLiteral("SumEditS"))),
      m_sumDo(MakeEdit(QStringLiteral("SumEditDo"))), m_vid(MakeEdit(QStringLiteral("VidEdit"))),
      m_name(MakeEdit(QStringLiteral("NameEdit"))), m_purse(MakeEdit(QStringLiteral("PurseEdit"))),
      m_user(MakeEdit(QStringLiteral("UserEdit"))), m_vidLabel(new QLabel(QStringLiteral("Вид расхода"))),
      m_nameLabel(new QLabel(QStringLiteral("Название расхода"))),
      m_accept(new QPushButton(QStringLiteral("Принять"))),
      m_cancel(new QPushButton(QStringLiteral("Отмена"))) {
    setObjectName(QStringLiteral("FilterForm"));
    setWindowTitle(QStringLiteral("Фильтровать..."));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    auto* byDate = new QGroupBox(QStringLiteral("По дате"));
    auto* dates = new QGridLayout(byDate);
    dates->addWidget(new QLabel(QStringLiteral("Начальная дата")), 0, 0);
    dates->addWidget(m_dateS, 0, 1);
    dates->addWidget(new QLabel(QStringLiteral("Конечная дата")), 1, 0);
    dates->addWidget(m_dateDo, 1, 1);

    auto* bySum = new QGroupBox(QStringLiteral("По сумме"));
    auto* sums = new QGridLayout(bySum);
    sums->addWidget(new QLabel(QStringLiteral("Начальная сумма")), 0, 0);
    sums->addWidget(m_sumS, 0, 1);
    sums->addWidget(new QLabel(QStringLiteral("Конечная сумма")), 1, 0);
    sums->addWidget(m_sumDo, 1, 1);

    auto* other = new QGroupBox(QStringLiteral("Прочее"));
    auto* texts = new QGridLayout(other);
    texts->addWidget(m_vidLabel, 0, 0);
    texts->addWidget(m_vid, 0, 1);
    texts->addWidget(m_nameLabel, 1, 0);
    texts->addWidget(m_name, 1, 1);
    texts->addWidget(new QLabel(QStringLiteral("Кошелек")), 2, 0);
    texts->addWidget(m_purse, 2, 1);
    texts->addWidget(new QLabel(QStringLiteral("Пользователь")), 3, 0);
    texts->addWidget(m_user, 3, 1);
    texts->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_accept->setObjectName(QStringLiteral("AcceptButton"));
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    m_accept->setDefault(true);
    buttons->addWidget(m_accept);
    buttons->addWidget(m_cancel);

    auto* left = new QVBoxLayout;
    left->addWidget(byDate);
    left->addWidget(bySum);
    auto* groups = new QHBoxLayout;
    groups->addLayout(left);
    groups->addWidget(other, 1, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_accept, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFilterForm::Prepare(const TFilterDialogSetup& setup) {
    m_dateS->setDate(setup.fields.from);
    m_dateDo->setDate(setup.fields.to);
    m_sumS->setText(setup.fields.sumFrom);
    m_sumDo->setText(setup.fields.sumTo);
    m_vid->setText(setup.fields.kind);
    m_name->setText(setup.fields.name);
    m_purse->setText(setup.fields.purse);
    m_user->setText(setup.fields.user);
    m_vidLabel->setText(setup.kindLabel);
    m_nameLabel->setText(setup.nameLabel);
    m_nameLabel->setVisible(setup.nameVisible);
    m_name->setVisible(setup.nameVisible);
    m_dateS->setFocus();
}

TFilterDialogFields TFilterForm::Fields() const {
    TFilterDialogFields f;
    f.from = m_dateS->date();
    f.to = m_dateDo->date();
    f.sumFrom = m_sumS->text();
    f.sumTo = m_sumDo->text();
    f.kind = m_vid->text();
    f.name = m_nameLabel->isVisibleTo(this) ? m_name->text() : QString();
    f.purse = m_purse->text();
    f.user = m_user->text();
    return f;
}

bool TFilterForm::Run(const TFilterDialogSetup& setup, QWidget* over, TFilterDialogFields* fields) {
    Prepare(setup);
    adjustSize();
    if (over) {
        const QPoint centre = over->mapToGlobal(over->rect().center());
        move(centre - QPoint(width() / 2, height() / 2));
    }
    const bool accepted = exec() == QDialog::Accepted;
    if (accepted && fields) *fields = Fields();
    return accepted;
}
