#pragma once

#include "ledger/teditclass.h"
#include "ledger/tgeneralclass.h"
#include "ledger/tmytype.h"
#include "money/tfilters.h"
#include "money/tmoney.h"
#include "money/tmoneyhooks.h"

#include <QDate>
#include <QString>

// Commits `text` into a cell with the editor its column opens (the date picker, a choice list, the
// number or the text editor), as the window commits its editors.
inline TCommitResult CommitCell(TEditClass& edit, TDataGrid& grid, int column, int gridRow,
                                const QString& text) {
    const TColumnKind type = grid.Column(column);
    if (type == TColumnKind::Date) return edit.CommitDate(grid, column, gridRow, text);
    if (IsChoiceColumn(type)) return edit.CommitChoice(grid, column, gridRow, text);
    return edit.CommitText(grid, column, gridRow,
                           type == TColumnKind::Number ? TEditorKind::Number : TEditorKind::Text, text);
}

// The commit path as the program builds it over one state and its money rules: the filters, the money
// hooks with the purse and transfer rules registered, the general rules and the editor. Tests type
// into cells through it the way the windows commit their editors.
class TCommitPath {
public:
    TCommitPath(TMyType& state, TMoney& money)
        : filters(state), hooks(state, money, filters), general(state, hooks), edit(state, general, hooks),
          m_state(state) {
        hooks.RegisterTables(general);
    }

    // Commits `text` into a cell of a table row with the editor its column opens (the date picker, a
    // choice list, the number or the text editor), the cell selected as the window selects it. Returns
    // the table row the record stands in afterwards: an edit of the sort column re-sorts.
    int Commit(TTableKind kind, int tableRow, int column, const QString& text,
               TCommitResult* result = nullptr) {
        TDataGrid& grid = m_state.Grid(kind);
        const int gridRow = grid.GridRowOf(tableRow);
        grid.row = gridRow;
        grid.col = column;
        const TCommitResult r = CommitCell(edit, grid, column, gridRow, text);
        if (result) *result = r;
        return grid.TableRow(grid.row);
    }

    TFilters filters;
    TMoneyHooks hooks;
    TGeneralClass general;
    TEditClass edit;

private:
    TMyType& m_state;
};
