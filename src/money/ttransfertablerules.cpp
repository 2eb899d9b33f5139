#include "money/ttransfertablerules.h"

#include "money/tpurseclass.h"

void TTransferTableRules::CommitCell(TDataGrid&, int tableRow, int column, const QString& typed,
                                     TCommitResult& result) {
    result.stored = m_purse.CommitTransferCell(tableRow, column, typed);
}

ITableRules::TDeletion TTransferTableRules::DeleteRow(TDataGrid&, int tableRow, bool askFirst) {
    return m_purse.DeleteTransferRow(tableRow, askFirst) ? TDeletion::Deleted : TDeletion::Kept;
}
