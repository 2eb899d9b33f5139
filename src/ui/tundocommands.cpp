#include "ui/tundocommands.h"

#include "ledger/basechanges.h"
#include "ui/tappcontext.h"
#include "ui/tmenuclass.h"

#include <QAction>
#include <QUndoStack>

TUndoCommands::TUndoCommands(TAppContext& context, TMenuClass& menu, QObject* parent)
    : QObject(parent), m_context(context), m_menu(menu) {
    connect(m_menu.Item(QStringLiteral("UndoMenu")), &QAction::triggered, this, [this] { Replay(true); });
    connect(m_menu.Item(QStringLiteral("RedoMenu")), &QAction::triggered, this, [this] { Replay(false); });
    QUndoStack& history = m_context.session.History();
    connect(&history, &QUndoStack::indexChanged, this, &TUndoCommands::Refresh);
    connect(&history, &QUndoStack::undoTextChanged, this, &TUndoCommands::Refresh);
    connect(&history, &QUndoStack::redoTextChanged, this, &TUndoCommands::Refresh);
    connect(&m_context.session, &TSession::HistoryChanged, this, &TUndoCommands::Refresh);
    connect(&m_context.session, &TSession::ReadOnlyChanged, this, &TUndoCommands::Refresh);
    Refresh();
}

void TUndoCommands::Refresh() {
    const QUndoStack& history = m_context.session.History();
    // A base open read-only takes nothing back: an undo changes the books like any change.
    const bool may = MayChangeBase(m_context.state);
    QAction* undo = m_menu.Item(QStringLiteral("UndoMenu"));
    QAction* redo = m_menu.Item(QStringLiteral("RedoMenu"));
    const QString why = m_context.session.HistoryClearedWhy();
    if (history.canUndo())
        undo->setText(QStringLiteral("Отменить: ") + history.undoText());
    else if (!why.isEmpty())
        undo->setText(QStringLiteral("Отменить нельзя: ") + why);
    else
        undo->setText(QStringLiteral("Отменить"));
    undo->setEnabled(may && history.canUndo());
    redo->setText(history.canRedo() ? QStringLiteral("Повторить: ") + history.redoText()
                                    : QStringLiteral("Повторить"));
    redo->setEnabled(may && history.canRedo());
}

void TUndoCommands::Replay(bool undo) {
    // A cell being typed into is stored first: the step it makes is the one taken back.
    m_context.editors.CloseAndCommit();
    if (!MayChangeBase(m_context.state)) return;
    const bool done = undo ? m_context.session.Undo() : m_context.session.Redo();
    Refresh();
    if (done) Q_EMIT Replayed();
}
