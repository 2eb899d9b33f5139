#pragma once

#include "storage/tbasefiles.h"
#include "storage/ttabledelta.h"

#include <QUndoCommand>

class TSession;

// One change of the books as the history keeps it: what it did to the tables, recorded while the rules
// made it, and the state beside the tables (the debts' returns tables, the debt on show) before and after.
// Taking it back or doing it again runs no rule and asks nothing: the tables come back byte for byte,
// and the totals and views follow.
class TChange : public QUndoCommand {
public:
    TChange(TSession& session, const QString& text);

    void undo() override;
    void redo() override;

    TTableDelta& Delta() { return m_delta; }
    // What the state beside the tables was before the change and is after it.
    void KeepBefore();
    void KeepAfter();
    // The change did nothing that needs taking back.
    bool Empty() const;
    // Bytes the change holds, for the history's account of memory.
    qsizetype Size() const;

private:
    TSession& m_session;
    TTableDelta m_delta;
    TReturnsTables m_returnsBefore, m_returnsAfter;
    int m_debtBefore = 0, m_debtAfter = 0;
    bool m_made = true; // the first redo, which the history runs as the change goes on it, finds it made
};
