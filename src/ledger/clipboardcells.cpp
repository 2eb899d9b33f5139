#include "ledger/clipboardcells.h"

#include "ledger/tdatagrid.h"
#include "ledger/toperationswithnumbers.h"

bool IsClipboardColumn(const TDataGrid& grid, int column) {
    const TColumnKind kind = grid.Column(column);
    return kind == TColumnKind::Number || kind == TColumnKind::Text;
}

QString PastedCellText(const TDataGrid& grid, int column, const QString& clipboard) {
    if (grid.Column(column) != TColumnKind::Number) return clipboard;
    if (!CheckFormula(clipboard)) return QStringLiteral("error");
    const TSumRead sum = ReadSum(clipboard);
    return sum.refusal == TSumRefusal::None ? sum.text : clipboard;
}
