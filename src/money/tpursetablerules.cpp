#include "money/tpursetablerules.h"

#include "ledger/tdatagrid.h"
#include "ledger/toperationswithnumbers.h"
#include "money/pursetable.h"
#include "money/tpurseclass.h"

bool TPurseTableRules::IsNumberCell(int column) const {
    return column == col::purse::Rate || column == col::purse::Amount;
}

bool TPurseTableRules::AcceptTyped(TDataGrid&, int tableRow, int column, const QString& typed) {
    // Told before the formula check: a base rate is refused whatever was typed.
    return !m_purse.RefusesBaseRate(tableRow, column, typed);
}

void TPurseTableRules::CommitCell(TDataGrid& grid, int tableRow, int column, const QString& typed,
                                  TCommitResult& result) {
    const TPurseEdit edit = m_purse.CommitPurseCell(tableRow, column, typed);
    result.stored = edit.stored;
    if (edit.duplicateRow >= 0) result.selectRow = grid.GridRowOf(edit.duplicateRow);
}

std::vector<QStringList> TPurseTableRules::DeletionQuestions(const TDataGrid&, int tableRow) {
    return m_purse.DeletionQuestions(tableRow);
}

ITableRules::TDeletion TPurseTableRules::DeleteRow(TDataGrid&, int tableRow, bool askFirst) {
    // The purse questions, never the row question.
    return m_purse.DeletePurse(tableRow, askFirst) ? TDeletion::Deleted : TDeletion::Kept;
}

QString TPurseTableRules::CellText(int column, const QString& stored) const {
    if (!IsNumberCell(column)) return stored;
    const TNumberRead n = ParseNumber(stored);
    return n.ok ? FloatToText(RoundTo(2, n.value)) : stored;
}
