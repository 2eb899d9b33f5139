#pragma once

#include <QString>

class TMyType;

// The rules of the first-run dialog ("Создайте новую базу и пользователя"): it creates a base and its
// first user, an administrator, and makes them current.
class TFirstRunLogic {
public:
    enum class TField { None, UserName, BaseName };
    struct TAnswer {
        bool created = false;
        TField field = TField::None; // the field to focus
        bool selectText = false;     // and select its text
    };

    explicit TFirstRunLogic(TMyType& state);

    // Set by whoever opens the dialog: whether a base is open in the main window. That base is written
    // to its own folder before the new one becomes current.
    void SetOpenBaseToSave(bool save) { m_saveOpenBase = save; }

    // Each time the dialog is shown: the outcome starts as "exited", the tables are read afresh.
    void Show();
    // "Принять".
    TAnswer Accept(const QString& userName, const QString& baseName, const QString& password);
    // The outcome reported to the caller when the dialog has closed: created, or exited.
    bool Created() const { return m_created; }

private:
    TMyType& m_state;
    bool m_saveOpenBase = false;
    bool m_created = false;
    bool m_usersRead = false;
};
