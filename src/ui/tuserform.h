#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class TBasesSession;
class TLoginLogic;
class TNameBaseGrid;
class TNotParolForm;

// The log-in dialog: the program's first and main window. Closing it ends the program. It has three
// modes: the log-in at start, switching the user while the program runs, and the bases dialog
// ("Базы пользователей"); in the last two it is only ever hidden.
class TUserForm : public QDialog {
    Q_OBJECT
public:
    enum class TMode { Login, Switch, Bases };

    explicit TUserForm(TLoginLogic& logic, QWidget* parent = nullptr);
    // The first-run dialog is made after this one; it is given here once it exists.
    void SetFirstRunForm(TNotParolForm* form) { m_firstRun = form; }
    // The edit session of the bases mode.
    void SetBasesSession(TBasesSession* session) { m_bases = session; }

    // Fills the names for a log-in at start and clears the password.
    void ShowForLogin();
    // After the bases of another folder were opened: shown for a log-in with no Cancel and no
    // title-bar buttons, blocking the other windows until someone logs in.
    void ShowLockedForLogin();
    bool Locked() const { return m_locked; }
    // "Сменить пользователя": the users that can log in, the current one (or the given one) selected.
    // Modal.
    void ShowForSwitch(const QString& selectName = QString());
    // A user left without a base after a restore: the first-run dialog, whose "Выход" ends the program.
    void ShowFirstRunWithoutBase();
    // "Базы пользователей": the base list as it is, with nothing changed yet. False when the dialog
    // was given no bases session to show.
    bool ShowForBases();
    TMode Mode() const { return m_mode; }

    QComboBox* NameBox() const { return m_names; }
    QLineEdit* PasswordEdit() const { return m_password; }
    QPushButton* AcceptButton() const { return m_accept; }
    QPushButton* CancelButton() const { return m_cancel; }
    TNameBaseGrid* BaseGrid() const { return m_baseGrid; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* RenameButton() const { return m_rename; }
    QPushButton* DeleteButton() const { return m_delete; }

Q_SIGNALS:
    // The user is in: the main window opens the base.
    void LoggedIn();
    // Another user's base is open: the main window shows it from its first page.
    void Switched();
    // The bases dialog has hidden, its changes applied or dropped.
    void BasesHidden();

protected:
    void reject() override;

private:
    void Accept();
    void Cancel();
    void Follow(int outcome);
    void SetMode(TMode mode);
    void FillNames(const QStringList& names, int selected, bool typing);
    void HideBases();
    void DeleteBase(int row);

    TLoginLogic& m_logic;
    TBasesSession* m_bases = nullptr;
    TNotParolForm* m_firstRun = nullptr;
    TMode m_mode = TMode::Login;
    QWidget* m_loginPage;
    QComboBox* m_names;
    QLineEdit* m_password;
    TNameBaseGrid* m_baseGrid;
    QPushButton* m_add;
    QPushButton* m_rename;
    QPushButton* m_delete;
    QPushButton* m_accept;
    QPushButton* m_cancel;
    void Unlock();

    bool m_typing = false;
    bool m_locked = false;
    Qt::WindowFlags m_unlockedFlags;
};
