#include "ledger/clipboardcells.h"

#include "ledger/tdatagrid.h"
#include "ledger/toperationswithnumbers.h"

bool IsClipboardColumn(const TDataGrid& grid, int column) {
    const QChar letter = grid.Letter(column);
    return letter == u'I' || letter == u'S';
}

QString PastedCellText(const TDataGrid& grid, int column, const QString& clipboard) {
    if (grid.Letter(column) != u'I') return clipboard;
    if (!CheckFormula(clipboard)) return QStringLiteral("error");
    const TSumRead sum = ReadSum(clipboard);
    return sum.refusal == TSumRefusal::None ? sum.text : clipboard;
}
