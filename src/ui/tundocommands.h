#pragma once

#include <QObject>

class TAppContext;
class TMenuClass;

// «Отменить» and «Повторить» of the «Действия» menu: they take the last step of the session's history back
// and do it again, and name it. Inside an open cell editor Ctrl+Z is the editor's own.
class TUndoCommands : public QObject {
    Q_OBJECT
public:
    TUndoCommands(TAppContext& context, TMenuClass& menu, QObject* parent = nullptr);

    // The items as the history stands now: named after the step, disabled with nothing to do.
    void Refresh();

Q_SIGNALS:
    // A step was taken back or done again: the window shows the books as they are now.
    void Replayed();

private:
    void Replay(bool undo);

    TAppContext& m_context;
    TMenuClass& m_menu;
};
