#include "ui/tuserform.h"

#include "ui/tnotparolform.h"
#include "users/tloginlogic.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kNewUserPrompt = QStringLiteral("Введите имя нового пользователя");

} // namespace

TUserForm::TUserForm(TLoginLogic& logic, QWidget* parent)
    : QDialog(parent), m_logic(logic), m_names(new QComboBox(this)),
      m_password(new QLineEdit(this)), m_accept(new QPushButton(QStringLiteral("Принять"), this)),
      m_cancel(new QPushButton(QStringLiteral("Отмена"), this)) {
    setObjectName(QStringLiteral("UserForm"));
    setWindowTitle(QStringLiteral("Войти"));
    m_names->setObjectName(QStringLiteral("NameBox"));
    m_password->setObjectName(QStringLiteral("ParolEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    m_names->setMinimumWidth(240);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Пользователь"), m_names);
    form->addRow(QStringLiteral("Пароль"), m_password);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_accept);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    m_accept->setDefault(true);
    m_accept->setAutoDefault(true);
    m_cancel->setAutoDefault(false);
    connect(m_accept, &QPushButton::clicked, this, &TUserForm::Accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_logic.PrepareAtCreation();
}

void TUserForm::ShowForLogin() {
    const TLoginLogic::TNameList list = m_logic.ShowLogin();
    m_typing = list.typing;
    m_names->clear();
    m_names->setEditable(list.typing);
    if (list.typing) {
        m_names->addItem(kNewUserPrompt);
        m_names->setCurrentIndex(0);
        m_names->lineEdit()->selectAll();
    } else {
        m_names->addItems(list.names);
        m_names->setCurrentIndex(list.selected);
    }
    m_password->clear();
    m_password->setFocus();
}

void TUserForm::ShowLockedForLogin() {
    if (!m_locked) {
        m_unlockedFlags = windowFlags();
        hide();
        setWindowFlags((m_unlockedFlags | Qt::CustomizeWindowHint | Qt::WindowTitleHint) &
                       ~(Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                         Qt::WindowContextHelpButtonHint));
        setWindowModality(Qt::ApplicationModal);
        m_locked = true;
    }
    m_cancel->setEnabled(false);
    ShowForLogin();
    show();
    raise();
    activateWindow();
}

void TUserForm::Unlock() {
    if (!m_locked)
        return;
    m_locked = false;
    setWindowModality(Qt::NonModal);
    setWindowFlags(m_unlockedFlags);
    m_cancel->setEnabled(true);
}

void TUserForm::Accept() {
    const QString name = m_names->currentText();
    Follow(int(m_logic.AcceptLogin(m_typing && name == kNewUserPrompt ? kNewUserPrompt : name, m_password->text())));
}

void TUserForm::Follow(int outcome) {
    switch (TLoginLogic::TOutcome(outcome)) {
    case TLoginLogic::TOutcome::WrongPassword:
        m_password->selectAll();
        m_password->setFocus();
        return;
    case TLoginLogic::TOutcome::OpenFirstRun:
        if (m_firstRun)
            m_firstRun->ShowModalOver(this);
        Follow(int(m_logic.FirstRunFinished()));
        return;
    case TLoginLogic::TOutcome::LoggedIn:
    case TLoginLogic::TOutcome::Switched:
        hide();
        Unlock();
        Q_EMIT LoggedIn();
        return;
    case TLoginLogic::TOutcome::Hide:
        hide();
        return;
    case TLoginLogic::TOutcome::EndProgram:
        done(QDialog::Rejected);
        return;
    case TLoginLogic::TOutcome::Stay:
        return;
    }
}

void TUserForm::reject() {
    if (m_locked)
        return;
    if (m_logic.Cancel() == TLoginLogic::TOutcome::EndProgram)
        done(QDialog::Rejected);
    else
        hide();
}
