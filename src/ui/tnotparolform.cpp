#include "ui/tnotparolform.h"

#include "ui/tbasenamehint.h"
#include "users/tfirstrunlogic.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TNotParolForm::TNotParolForm(TFirstRunLogic& logic, QWidget* parent)
    : QDialog(parent), m_logic(logic), m_user(new QLineEdit(this)), m_base(new QLineEdit(this)),
      m_password(new QLineEdit(this)), m_baseHint(new TBaseNameHint(m_base, this, true)),
      m_accept(new QPushButton(QStringLiteral("Принять"), this)),
      m_exit(new QPushButton(QStringLiteral("Выход"), this)) {
    setObjectName(QStringLiteral("NotParolForm"));
    setWindowTitle(QStringLiteral("Создайте новую базу и пользователя"));
    m_user->setObjectName(QStringLiteral("UserNameEdit"));
    m_base->setObjectName(QStringLiteral("BaseNameEdit"));
    m_password->setObjectName(QStringLiteral("ParolEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    m_user->setMinimumWidth(240);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Имя пользователя"), m_user);
    form->addRow(QStringLiteral("Название базы пользователя"), m_base);
    form->addRow(QStringLiteral("Установите пароль"), m_password);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_accept);
    buttons->addWidget(m_exit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    m_accept->setDefault(true);
    m_exit->setAutoDefault(false);
    connect(m_accept, &QPushButton::clicked, this, &TNotParolForm::Accept);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);
}

void TNotParolForm::ShowModalOver(QWidget* owner) {
    m_logic.Show();
    if (owner) move(owner->geometry().center() - rect().center());
    m_user->setFocus();
    exec();
}

void TNotParolForm::Accept() {
    // A name no base can have stays in its field for another try, as in every dialog that names a base.
    if (!m_baseHint->Accepts(m_base->text())) return;
    const TFirstRunLogic::TAnswer answer = m_logic.Accept(m_user->text(), m_base->text(), m_password->text());
    if (answer.created) {
        accept();
        return;
    }
    QLineEdit* field = answer.field == TFirstRunLogic::TField::UserName   ? m_user
                       : answer.field == TFirstRunLogic::TField::BaseName ? m_base
                                                                          : nullptr;
    if (!field) return;
    field->setFocus();
    if (answer.selectText) field->selectAll();
}
