#include "money/tcleartables.h"

#include "ledger/basechanges.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "money/moneycells.h"
#include "money/tcalculationresults.h"
#include "money/tdolgclass.h"
#include "money/tpurseclass.h"
#include "storage/tmessageboxclass.h"

namespace {

// The rows of a table dated within [from, to], leaving out the new-record row at the end.
std::vector<int> RowsInPeriod(const TMemTable& table, TTableKind kind, TDateValue from, TDateValue to) {
    const TTableDef& def = TableDef(kind);
    std::vector<int> rows;
    int count = table.RowCount();
    if (count > 0) {
        const TTableRow* last = table.Row(count - 1);
        bool complete = true;
        for (int c = 0; c <= def.lastRequiredColumn && complete; ++c)
            complete = IsNotBlank(last->Cell(c));
        if (!complete) --count;
    }
    for (int r = 0; r < count; ++r) {
        const TDateValue d = ParseCellDate(table.Row(r)->Cell(def.dateColumn));
        if (from <= d && d <= to) rows.push_back(r);
    }
    return rows;
}

} // namespace

QStringList ClearTablesQuestion() {
    return {QStringLiteral("Будет произведено удаление всех записей"),
            QStringLiteral("в выделенных таблицах в указанном диапазоне дат"),
            QStringLiteral("Восстановление будет невозможно."), QStringLiteral("Продолжить?")};
}

void TClearRequest::Reopen() {
    from = Today();
    to = Today();
    recalc = false;
}

bool ClearTablesByPeriod(TMyType& state, TCalculationResults& calc, TPurseClass& purse, TDolgClass& dolg,
                         const TClearRequest& request, const std::function<void()>& dropFilter,
                         bool askFirst) {
    if (RefuseChange(state)) return false;
    if (askFirst && !Messages().AskYesNo(ClearTablesQuestion(), TMsgButton::No)) return false;
    if (dropFilter) dropFilter();
    const TDateValue from = DateFromQDate(request.from);
    const TDateValue to = DateFromQDate(request.to);
    const struct {
        bool checked;
        TTableKind kind;
    } tables[] = {{request.rashod, TTableKind::Rashod},       {request.dohod, TTableKind::Dohod},
                  {request.dolg, TTableKind::Dolg},           {request.planRashod, TTableKind::PlanRashod},
                  {request.planDohod, TTableKind::PlanDohod}, {request.transfer, TTableKind::Transfer}};
    for (const auto& t : tables) {
        if (!t.checked) continue;
        TMemTable& table = state.Table(t.kind);
        const std::vector<int> rows = RowsInPeriod(table, t.kind, from, to);
        TDataGrid& grid = state.Grid(t.kind);
        if (t.kind == TTableKind::Dolg) {
            if (!rows.empty()) dolg.DeleteDebts(rows, request.recalc);
            dolg.ShowFirstDebt();
        } else if (t.kind == TTableKind::Transfer) {
            if (request.recalc)
                for (int r : rows)
                    purse.ReverseTransfer(r, TTransferReport::Long);
            DeleteTableRows(table, rows);
            RemoveRowsFromGrid(grid, rows);
        } else if (!rows.empty()) {
            calc.RecordsRemoved(t.kind, rows, request.recalc);
        }
        grid.NotifyRows();
        calc.ShowTotals();
    }
    if (request.recalc) calc.TotalMoney();
    return true;
}
