#include "users/tpassworddialoglogic.h"
#include "storage/tabledefs.h"

#include "ledger/basechanges.h"
#include "ledger/tmytype.h"
#include "storage/tmessageboxclass.h"
#include "users/passwordcode.h"
#include "users/usertables.h"

TPasswordDialogLogic::TPasswordDialogLogic(TMyType& state) : m_state(state) {}

void TPasswordDialogLogic::ShowChange(int userRow) {
    m_row = userRow;
    m_refusals = 0;
}

TPasswordDialogLogic::TStep TPasswordDialogLogic::AcceptChange(const QString& oldPassword,
                                                               const QString& newPassword,
                                                               const QString& confirmation) {
    TTableRow* row = m_state.users.Row(m_row);
    if (!row || RefuseChange(m_state)) return TStep::Close;
    if (!IsAccepted(CheckPassword(oldPassword, row->Cell(col::user::PasswordCode)))) {
        Messages().Beep();
        Messages().ShowError({QStringLiteral("Неверный пароль")});
        if (++m_refusals < 3) return TStep::SelectOld;
        m_refusals = 0;
        return TStep::Close;
    }
    if (newPassword != confirmation) {
        Messages().Beep();
        Messages().ShowError({QStringLiteral("Ошибка подтверждения пароля")});
        return TStep::SelectConfirmation;
    }
    if (row->CellCount() < 4) row->SetCellCount(4);
    row->SetCell(col::user::PasswordCode, PasswordCode(newPassword));
    SaveUserTable(m_state);
    return TStep::Close;
}

void TPasswordDialogLogic::ShowNewUser(int userRow) {
    m_row = userRow;
    m_refusals = 0;
}

TPasswordDialogLogic::TStep TPasswordDialogLogic::AcceptNewUser(const QString& password,
                                                                const QString& confirmation) {
    if (password != confirmation) {
        Messages().Beep();
        Messages().ShowError({QStringLiteral("Пароли разные")});
        return TStep::SelectConfirmation;
    }
    if (TTableRow* row = m_state.users.Row(m_row)) {
        if (row->CellCount() < 4) row->SetCellCount(4);
        row->SetCell(col::user::PasswordCode, PasswordCode(password));
        SaveUserTable(m_state);
    }
    return TStep::Close;
}

void TPasswordDialogLogic::CancelNewUser() {
    Messages().ShowInfo(
        {QStringLiteral("Для данного пользователя"), QStringLiteral("пароль остается пустым.")});
}
