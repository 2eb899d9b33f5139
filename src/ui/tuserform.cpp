#include "ui/tuserform.h"

#include "ui/tnamebasegrid.h"
#include "ui/tnotparolform.h"
#include "users/tbasessession.h"
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
    : QDialog(parent), m_logic(logic), m_loginPage(new QWidget), m_names(new QComboBox),
      m_password(new QLineEdit), m_baseGrid(new TNameBaseGrid),
      m_add(new QPushButton(QStringLiteral("Добавить"), this)),
      m_rename(new QPushButton(QStringLiteral("Переименовать"), this)),
      m_delete(new QPushButton(QStringLiteral("Удалить"), this)),
      m_accept(new QPushButton(QStringLiteral("Принять"), this)),
      m_cancel(new QPushButton(QStringLiteral("Отмена"), this)) {
    setObjectName(QStringLiteral("UserForm"));
    setWindowTitle(QStringLiteral("Войти"));
    m_names->setObjectName(QStringLiteral("NameBox"));
    m_password->setObjectName(QStringLiteral("ParolEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    // Wide enough for the prompt of a first start to show whole.
    m_names->setMinimumWidth(std::max(240, m_names->fontMetrics().horizontalAdvance(kNewUserPrompt) + 48));
    auto* form = new QFormLayout(m_loginPage);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("Пользователь"), m_names);
    form->addRow(QStringLiteral("Пароль"), m_password);
    m_add->setObjectName(QStringLiteral("AddBaseButton"));
    m_rename->setObjectName(QStringLiteral("RenameBaseButton"));
    m_delete->setObjectName(QStringLiteral("DeleteBaseButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_rename);
    buttons->addWidget(m_delete);
    buttons->addStretch();
    buttons->addWidget(m_accept);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_loginPage);
    layout->addWidget(m_baseGrid);
    layout->addLayout(buttons);
    m_accept->setDefault(true);
    m_accept->setAutoDefault(true);
    for (QPushButton* b : {m_add, m_rename, m_delete, m_cancel})
        b->setAutoDefault(false);
    setTabOrder(m_baseGrid, m_add);
    setTabOrder(m_add, m_rename);
    setTabOrder(m_rename, m_delete);
    setTabOrder(m_delete, m_accept);
    setTabOrder(m_accept, m_cancel);
    connect(m_accept, &QPushButton::clicked, this, &TUserForm::Accept);
    connect(m_cancel, &QPushButton::clicked, this, &TUserForm::Cancel);
    connect(m_add, &QPushButton::clicked, this, [this] {
        if (m_bases) m_baseGrid->EditRow(m_bases->AddRow());
    });
    connect(m_rename, &QPushButton::clicked, this, [this] { m_baseGrid->EditRow(m_baseGrid->currentRow()); });
    connect(m_delete, &QPushButton::clicked, this, [this] { DeleteBase(m_baseGrid->currentRow()); });
    connect(m_baseGrid, &TNameBaseGrid::DeleteRequested, this, &TUserForm::DeleteBase);
    m_baseGrid->commitName = [this](int row, const QString& name) {
        return m_bases && m_bases->CommitName(row, name);
    };
    connect(m_baseGrid, &TNameBaseGrid::EditFinished, this, [this] {
        if (m_bases) m_baseGrid->SetNames(m_bases->Names());
    });
    SetMode(TMode::Login);
    m_logic.PrepareAtCreation();
}

void TUserForm::SetMode(TMode mode) {
    m_mode = mode;
    const bool bases = mode == TMode::Bases;
    // Hidden, the other mode's page takes no room: the log-in dialog stays small.
    m_loginPage->setVisible(!bases);
    m_baseGrid->setVisible(bases);
    for (QPushButton* b : {m_add, m_rename, m_delete})
        b->setVisible(bases);
    setWindowTitle(bases ? QStringLiteral("Базы пользователей") : QStringLiteral("Войти"));
    layout()->activate();
    setMinimumSize(bases ? QSize(std::max(420, sizeHint().width()), 320) : QSize(0, 0));
    resize(bases ? minimumSize() : sizeHint());
}

void TUserForm::FillNames(const QStringList& names, int selected, bool typing) {
    m_typing = typing;
    m_names->clear();
    m_names->setEditable(typing);
    if (typing) {
        m_names->addItem(kNewUserPrompt);
        m_names->setCurrentIndex(0);
        m_names->lineEdit()->selectAll();
    } else {
        m_names->addItems(names);
        m_names->setCurrentIndex(selected);
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
    if (!m_locked) return;
    m_locked = false;
    setWindowModality(Qt::NonModal);
    setWindowFlags(m_unlockedFlags);
    m_cancel->setEnabled(true);
}

void TUserForm::ShowForLogin() {
    SetMode(TMode::Login);
    const TLoginLogic::TNameList list = m_logic.ShowLogin();
    FillNames(list.names, list.selected, list.typing);
}

void TUserForm::ShowForSwitch(const QString& selectName) {
    SetMode(TMode::Switch);
    const TLoginLogic::TNameList list = m_logic.ShowSwitch();
    const int chosen = selectName.isEmpty() ? -1 : int(list.names.indexOf(selectName));
    FillNames(list.names, chosen >= 0 ? chosen : list.selected, false);
    // Nothing changes behind it while the password is typed: the open base is saved as it stands.
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    m_password->setFocus();
}

void TUserForm::ShowFirstRunWithoutBase() {
    SetMode(TMode::Switch);
    m_logic.ShowSwitch();
    m_logic.OpenFirstRunForSwitch();
    if (m_firstRun) m_firstRun->ShowModalOver(parentWidget() ? parentWidget() : this);
    const TLoginLogic::TOutcome outcome = m_logic.FirstRunFinished();
    if (outcome == TLoginLogic::TOutcome::Hide)
        done(QDialog::Rejected);
    else
        Follow(int(outcome));
}

bool TUserForm::ShowForBases() {
    if (!m_bases || !m_bases->Open()) return false;
    SetMode(TMode::Bases);
    m_baseGrid->SetNames(m_bases->Names());
    m_baseGrid->setCurrentCell(0, 0);
    setWindowModality(Qt::NonModal);
    show();
    raise();
    activateWindow();
    m_baseGrid->setFocus();
    return true;
}

void TUserForm::Accept() {
    switch (m_mode) {
    case TMode::Login: {
        const QString name = m_names->currentText();
        Follow(int(m_logic.AcceptLogin(m_typing && name == kNewUserPrompt ? kNewUserPrompt : name,
                                       m_password->text())));
        return;
    }
    case TMode::Switch:
        Follow(int(m_logic.AcceptSwitch(m_names->currentText(), m_password->text())));
        return;
    case TMode::Bases:
        m_baseGrid->CloseEditor();
        m_bases->Accept();
        HideBases();
        return;
    }
}

void TUserForm::Cancel() {
    if (m_mode == TMode::Bases) {
        m_baseGrid->CloseEditor();
        m_bases->Cancel();
        HideBases();
        return;
    }
    reject();
}

void TUserForm::DeleteBase(int row) {
    if (!m_bases || row < 0) return;
    m_baseGrid->CloseEditor();
    if (m_bases->Delete(row)) m_baseGrid->SetNames(m_bases->Names());
    m_baseGrid->setFocus();
}

void TUserForm::HideBases() {
    hide();
    Q_EMIT BasesHidden();
}

void TUserForm::Follow(int outcome) {
    switch (TLoginLogic::TOutcome(outcome)) {
    case TLoginLogic::TOutcome::WrongPassword:
        m_password->selectAll();
        m_password->setFocus();
        return;
    case TLoginLogic::TOutcome::OpenFirstRun:
        if (m_firstRun) m_firstRun->ShowModalOver(this);
        Follow(int(m_logic.FirstRunFinished()));
        return;
    case TLoginLogic::TOutcome::LoggedIn:
        hide();
        Unlock();
        Q_EMIT LoggedIn();
        return;
    case TLoginLogic::TOutcome::Switched:
        hide();
        Q_EMIT Switched();
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
    if (m_locked) return;
    switch (m_mode) {
    case TMode::Bases:
        // The frame: with changes, the question decides whether they are kept.
        m_baseGrid->CloseEditor();
        m_bases->CloseByFrame();
        HideBases();
        return;
    case TMode::Switch:
        Follow(int(m_logic.Cancel()));
        return;
    case TMode::Login:
        if (m_logic.Cancel() == TLoginLogic::TOutcome::EndProgram)
            done(QDialog::Rejected);
        else
            hide();
        return;
    }
}
