#include "money/tmoney.h"

#include "ledger/tmytype.h"
#include "money/moneycells.h"

TMoney::TMoney(TMyType& state) : calc(state), dolg(state, calc), purse(state, calc), m_state(state) {}

void TMoney::SetView(IMoneyView* view) {
    calc.view = view;
    dolg.view = view;
    purse.view = view;
}

void TMoney::RecomputeAfterLoad() {
    calc.AlignPerPurseTables();
    calc.RecomputeAfterLoad();
    const int row = dolg.DebtRowOfNumber(m_state.currentDebt);
    if (row >= 0)
        dolg.DebtRowSelected(row);
    else
        dolg.ShowFirstDebt();
}

void TMoney::CellCommitting(TTableKind kind, int row, int column, const QString& value) {
    switch (kind) {
    case TTableKind::Dolg:
        dolg.DebtCellCommitting(row, column, value);
        break;
    case TTableKind::Returns:
        dolg.ReturnCellCommitting(m_state.currentDebt, row, column, value);
        break;
    default:
        calc.CellCommitting(kind, row, column, value);
        break;
    }
}

void TMoney::CellCommitted(TTableKind kind, int row, int column) {
    if (kind == TTableKind::Dolg)
        dolg.DebtCellCommitted(row, column);
    else if (kind == TTableKind::Returns)
        dolg.ReturnCellCommitted(m_state.currentDebt, row, column);
}

void TMoney::DeleteRecord(TTableKind kind, int row) {
    switch (kind) {
    case TTableKind::Dolg:
        dolg.DeleteDebt(row, true);
        break;
    case TTableKind::Returns:
        dolg.DeleteReturnRow(m_state.currentDebt, row, false);
        break;
    default:
        calc.RecordRemoved(kind, row, true);
        break;
    }
}

bool TMoney::ClearTablesByPeriod(const TClearRequest& request, const std::function<void()>& dropFilter,
                                 bool askFirst) {
    return ::ClearTablesByPeriod(m_state, calc, purse, dolg, request, dropFilter, askFirst);
}

TTotalsPanelData TMoney::TotalsPanel(TTableKind current) {
    return TItogi::Build(m_state, current);
}
