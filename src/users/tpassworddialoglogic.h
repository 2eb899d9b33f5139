#pragma once

#include <QString>

class TMyType;

// The rules of the password dialog in its two users modes: changing the password of the selected user,
// and setting the password of a user just added. The window shows the fields and does what the
// answer says.
class TPasswordDialogLogic {
public:
    enum class TStep {
        Close,              // the dialog closes (after a change: the users grid takes the focus)
        SelectOld,          // the old password's text is selected
        SelectConfirmation, // the confirmation's text is selected
    };

    explicit TPasswordDialogLogic(TMyType& state);

    // "Сменить пароль" for a row of the users grid's table. Accepting it is refused with a beep while the
    // base is open read-only.
    void ShowChange(int userRow);
    TStep AcceptChange(const QString& oldPassword, const QString& newPassword, const QString& confirmation);
    int Refusals() const { return m_refusals; }

    // A user just added: the row's code is the empty password's until a password is accepted.
    void ShowNewUser(int userRow);
    TStep AcceptNewUser(const QString& password, const QString& confirmation);
    // "Отмена" in the new-user mode: the password stays empty.
    void CancelNewUser();

private:
    TMyType& m_state;
    int m_row = -1;
    int m_refusals = 0;
};
