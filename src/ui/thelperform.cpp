#include "ui/thelperform.h"

#include "users/tpassworddialoglogic.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

THelperForm::THelperForm(QWidget* parent)
    : QDialog(parent), m_kindPage(new QWidget), m_changePage(new QWidget), m_newUserPage(new QWidget),
      m_name(new QLineEdit), m_accept(new QPushButton(QStringLiteral("Принять"))),
      m_cancel(new QPushButton(QStringLiteral("Отмена"))) {
    setObjectName(QStringLiteral("HelperForm"));
    setWindowTitle(QString());
    m_name->setObjectName(QStringLiteral("NameEdit"));
    m_accept->setObjectName(QStringLiteral("AcceptButton"));
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* kindLayout = new QVBoxLayout(m_kindPage);
    kindLayout->setContentsMargins(0, 0, 0, 0);
    kindLayout->addWidget(m_name);

    new QVBoxLayout(m_changePage);
    m_changePage->layout()->setContentsMargins(0, 0, 0, 0);
    m_oldPassword = AddPasswordField(m_changePage, QStringLiteral("Введите старый пароль"),
                                     QStringLiteral("OldParolEdit"));
    m_newPassword = AddPasswordField(m_changePage, QStringLiteral("Введите новый пароль"),
                                     QStringLiteral("NewParolEdit"));
    m_confirmation = AddPasswordField(m_changePage, QStringLiteral("Подтвердите новый пароль"),
                                      QStringLiteral("ConfirmParolEdit"));

    new QVBoxLayout(m_newUserPage);
    m_newUserPage->layout()->setContentsMargins(0, 0, 0, 0);
    m_userPassword =
        AddPasswordField(m_newUserPage, QStringLiteral("Новый пароль"), QStringLiteral("UserParolEdit"));
    m_userConfirmation = AddPasswordField(m_newUserPage, QStringLiteral("Подтвердите пароль"),
                                          QStringLiteral("UserConfirmParolEdit"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_accept);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* page : {m_kindPage, m_changePage, m_newUserPage})
        layout->addWidget(page);
    layout->addLayout(buttons);
    m_accept->setDefault(true);
    m_accept->setAutoDefault(true);
    m_cancel->setAutoDefault(false);
    setMinimumWidth(320);
    connect(m_accept, &QPushButton::clicked, this, &THelperForm::OnAccept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* THelperForm::AddPasswordField(QWidget* page, const QString& label, const QString& name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    page->layout()->addWidget(new QLabel(label));
    page->layout()->addWidget(edit);
    return edit;
}

void THelperForm::ShowPage(QWidget* page) {
    // The pages of the other modes are hidden and take no room.
    for (QWidget* p : {m_kindPage, m_changePage, m_newUserPage})
        p->setVisible(p == page);
    layout()->activate();
    resize(std::max(minimumWidth(), width()), sizeHint().height());
}

void THelperForm::ShowMode(TMode mode, const QString& caption, QWidget* focus) {
    m_mode = mode;
    setWindowTitle(caption);
    setModal(true);
    show();
    raise();
    activateWindow();
    focus->setFocus();
}

void THelperForm::AskKindName(std::function<bool(const QString&)> accept) {
    m_onKindName = std::move(accept);
    m_name->clear();
    ShowPage(m_kindPage);
    ShowMode(TMode::KindName, QStringLiteral("Введите название вида расхода"), m_name);
}

void THelperForm::Prepare(TMode mode, QWidget* page, const QString& caption, QLineEdit* focus) {
    m_mode = mode;
    for (QLineEdit* edit : {m_oldPassword, m_newPassword, m_confirmation, m_userPassword, m_userConfirmation})
        edit->clear();
    ShowPage(page);
    setWindowTitle(caption);
    focus->setFocus();
}

void THelperForm::AskPasswordChange(TPasswordDialogLogic& logic, int userRow) {
    m_passwords = &logic;
    logic.ShowChange(userRow);
    Prepare(TMode::ChangePassword, m_changePage, QStringLiteral("Введите пароль"), m_oldPassword);
    exec();
    m_passwords = nullptr;
    m_mode = TMode::None;
}

void THelperForm::AskNewUserPassword(TPasswordDialogLogic& logic, int userRow) {
    m_passwords = &logic;
    logic.ShowNewUser(userRow);
    Prepare(TMode::NewUserPassword, m_newUserPage, QStringLiteral("Задайте пароль для нового пользователя"),
            m_userPassword);
    exec();
    m_passwords = nullptr;
    m_mode = TMode::None;
}

void THelperForm::OnAccept() {
    // The field a refused entry is to be typed again in; none when the dialog closes.
    QLineEdit* again = nullptr;
    if (m_mode == TMode::KindName) {
        if (m_onKindName && !m_onKindName(m_name->text())) again = m_name;
    } else if (m_mode == TMode::ChangePassword && m_passwords) {
        switch (
            m_passwords->AcceptChange(m_oldPassword->text(), m_newPassword->text(), m_confirmation->text())) {
        case TPasswordDialogLogic::TStep::SelectOld:
            again = m_oldPassword;
            break;
        case TPasswordDialogLogic::TStep::SelectConfirmation:
            again = m_confirmation;
            break;
        case TPasswordDialogLogic::TStep::Close:
            break;
        }
    } else if (m_mode == TMode::NewUserPassword && m_passwords) {
        if (m_passwords->AcceptNewUser(m_userPassword->text(), m_userConfirmation->text()) !=
            TPasswordDialogLogic::TStep::Close)
            again = m_userConfirmation;
    }
    if (again) {
        again->setFocus();
        again->selectAll();
        return;
    }
    accept();
}

void THelperForm::reject() {
    // Leaving the new user's password unset is said aloud: the user can log in without one.
    if (m_mode == TMode::NewUserPassword && m_passwords) m_passwords->CancelNewUser();
    QDialog::reject();
}
