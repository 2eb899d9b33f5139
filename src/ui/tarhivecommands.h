#pragma once

#include "backup/tarhiverestore.h"
#include "backup/tdailyarhive.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class IArhiveWindow;
class QLabel;
class TAppContext;
class TArhiveNameForm;
class TMenuClass;
class TUserForm;

// The commands of the backup archives: making one, restoring one or a daily copy, the offer of a daily
// copy after a damaged load, and the daily copy written when the program ends. Made as the program
// starts, they first clear away the scratch a killed run left.
class TArhiveCommands : public QObject {
    Q_OBJECT
public:
    // What a file dialog is opened with.
    struct TFileChoice {
        QString title;
        QString folder;
        QString fileName;
        bool save = false;
    };

    // The archive items of the menu start the commands.
    TArhiveCommands(TAppContext& context, IArhiveWindow& window, TMenuClass& menu);
    ~TArhiveCommands() override;

    void SetUserForm(TUserForm* form) { m_userForm = form; }

    // "Создать резервную копию баз пользователя".
    void CreateArhive();
    // "Восстановить резервную копию" (daily false) and "Восстановить ежедневную резервную копию".
    void RestoreArhive(bool daily);
    // Once, when the main window has first shown a base that could not be read whole.
    void OfferAfterDamage();
    // When the program ends, after the base was saved.
    bool WriteDaily(const QDate& today);

    TArhiveNameForm* NameForm() const { return m_nameForm; }
    QLabel* WaitPanel() const { return m_wait; }

    // The file dialogs; tests answer them here. The chosen path, or empty when the dialog was closed.
    std::function<QString(const TFileChoice&)> chooseFile;

private:
    QString ChooseFile(const TFileChoice& choice);
    void SetBusy(bool busy);
    void PrepareForRestore();
    TArhiveHooks Hooks();

    TAppContext& m_context;
    IArhiveWindow& m_window;
    TUserForm* m_userForm = nullptr;
    TArhiveRestore m_restore;
    TDailyArhive m_daily;
    TArhiveNameForm* m_nameForm;
    QLabel* m_wait;
};
