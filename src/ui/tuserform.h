#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class TLoginLogic;
class TNotParolForm;

// The log-in dialog: the program's first and main window. Closing it ends the program.
class TUserForm : public QDialog {
    Q_OBJECT
public:
    explicit TUserForm(TLoginLogic& logic, QWidget* parent = nullptr);
    // The first-run dialog is made after this one; it is given here once it exists.
    void SetFirstRunForm(TNotParolForm* form) { m_firstRun = form; }

    // Fills the names for a log-in at start and clears the password.
    void ShowForLogin();
    // After the bases of another folder were opened: shown for a log-in with no Cancel and no
    // title-bar buttons, blocking the other windows until someone logs in.
    void ShowLockedForLogin();
    bool Locked() const { return m_locked; }

    QComboBox* NameBox() const { return m_names; }
    QLineEdit* PasswordEdit() const { return m_password; }
    QPushButton* AcceptButton() const { return m_accept; }
    QPushButton* CancelButton() const { return m_cancel; }

Q_SIGNALS:
    // The user is in: the main window opens the base.
    void LoggedIn();

protected:
    void reject() override;

private:
    void Accept();
    void Follow(int outcome);

    TLoginLogic& m_logic;
    TNotParolForm* m_firstRun = nullptr;
    QComboBox* m_names;
    QLineEdit* m_password;
    QPushButton* m_accept;
    QPushButton* m_cancel;
    void Unlock();

    bool m_typing = false;
    bool m_locked = false;
    Qt::WindowFlags m_unlockedFlags;
};
