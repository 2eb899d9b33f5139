#include "session/tchange.h"

#include "session/tsession.h"

TChange::TChange(TSession& session, const QString& text) : QUndoCommand(text), m_session(session) {}

void TChange::KeepBefore() {
    m_returnsBefore = m_session.state.returns;
    m_debtBefore = m_session.state.currentDebt;
}

void TChange::KeepAfter() {
    m_returnsAfter = m_session.state.returns;
    m_debtAfter = m_session.state.currentDebt;
}

bool TChange::Empty() const {
    return m_delta.Empty() && m_returnsBefore == m_returnsAfter && m_debtBefore == m_debtAfter;
}

qsizetype TChange::Size() const {
    return m_delta.Size() + qsizetype((m_returnsBefore.capacity() + m_returnsAfter.capacity()) *
                                      sizeof(TReturnsTables::value_type));
}

void TChange::undo() {
    m_delta.Undo();
    m_session.state.returns = m_returnsBefore;
    m_session.state.currentDebt = m_debtBefore;
    m_session.BooksReplayed();
}

void TChange::redo() {
    if (m_made) {
        m_made = false;
        return;
    }
    m_delta.Redo();
    m_session.state.returns = m_returnsAfter;
    m_session.state.currentDebt = m_debtAfter;
    m_session.BooksReplayed();
}
