#pragma once

#include "ledger/iledgerhooks.h"
#include "ledger/tgeneralclass.h"

#include <QDate>
#include <QString>

class ILedgerHooks;
class TDataGrid;
class TMyType;

// The record editor's rules (TEditClass): what a commit stores and refuses, in its fixed order, with
// the calls into the money and users rules at their steps, the re-sort that keeps the selection on
// the edited record, and moving on after Enter (continuous entry).
class TEditClass {
public:
    TEditClass(TMyType& state, TGeneralClass& general, ILedgerHooks& hooks)
        : m_state(state), m_general(general), m_hooks(hooks) {}

    // Commit of the text or number editor of a table view (not the kinds lists).
    TCommitResult CommitText(TDataGrid& grid, int col, int gridRow, TEditorKind editor, const QString& text);
    TCommitResult CommitChoice(TDataGrid& grid, int col, int gridRow, const QString& chosen);
    // The date picker's text: a day that does not exist, or text that is no date, is refused with
    // "Неверная дата" and the picker opens again on it.
    TCommitResult CommitDate(TDataGrid& grid, int col, int gridRow, const QString& typed);

    // Re-sorts after an edit of the sort column and keeps the selection on the edited record.
    void ResortAfterEdit(TDataGrid& grid, int editedCol, int gridRow);

    // Enter in a text or number editor, the commit done: the next cell, and what opens there.
    TEditRequest AfterEnter(TDataGrid& grid);
    TEditRequest AfterChoiceEnter(TDataGrid& grid);
    TEditRequest AfterDateEnter(TDataGrid& grid);
    // Up/Down in an editor after its commit: the move, when the text passes the formula check.
    void MoveAfterArrow(TDataGrid& grid, int delta, const QString& editorText);

    // Every date cell of the open base written as "dd.MM.yyyy"; true when the base was loaded. A base
    // open read-only is left as it is, silently (the optimisation also runs by itself).
    bool NormaliseAllDates();

    // The editing state that lives across edits.
    int failedFormulaCount = 0;
    QString lastFailedFormula;
    bool continueFlag = true;
    bool tabSwitching = false;
    bool pickIntoCurrentRow = false;
    int editMode = 0; // 0 idle, 1 a kinds picker has the focus, 2 a picker's name is edited on the Bases page

private:
    void RefuseFormula(const QString& text, const QString& old, TCommitResult& result);
    // The message, and the editor opens again on the refused text for another try; nothing is stored.
    void RefuseTyped(const QString& message, TEditorKind editor, const QString& text, TCommitResult& result);
    bool IsNumberCell(const TDataGrid& grid, int col) const;
    void AutoFill(TDataGrid& grid, int col, int gridRow);
    void AfterLedgerStore(TDataGrid& grid, int col, int gridRow);
    void Store(TDataGrid& grid, int gridRow, int tableRow, int col, const QString& value);

    TMyType& m_state;
    TGeneralClass& m_general;
    ILedgerHooks& m_hooks;
};
