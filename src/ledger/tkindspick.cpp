#include "ledger/tkindspick.h"
#include "storage/tabledefs.h"

#include "ledger/basechanges.h"
#include "ledger/gridids.h"
#include "ledger/iledgerhooks.h"
#include "ledger/tdatereader.h"
#include "ledger/teditclass.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"

bool PickerServes(const TDataVidGrid& list, const TDataGrid& ledger) {
    if (list.listNumber == 0)
        return ledger.kind == TTableKind::Rashod || ledger.kind == TTableKind::PlanRashod;
    return ledger.kind == TTableKind::Dohod || ledger.kind == TTableKind::PlanDohod;
}

namespace {

// The picked kind and name in the record's cells, with its date (a plan's period) and user when they
// are still blank. False for a ledger that takes no picks.
bool FillPickedRecord(const TMyType& state, const TDataGrid& ledger, const QString& kind, const QString& name,
                      TPickTrigger trigger, QStringList& cells) {
    const int userCol = ledger.UserColumn;
    const bool userBlank = !IsNotBlank(cells[userCol]);
    switch (ledger.kind) {
    case TTableKind::Rashod:
        cells[col::rashod::Kind] = kind;
        cells[col::rashod::Name] = name;
        break;
    case TTableKind::Dohod:
        cells[col::dohod::Kind] = name;
        break;
    case TTableKind::PlanRashod:
        cells[col::planrashod::Kind] = kind;
        cells[col::planrashod::Name] = name;
        break;
    case TTableKind::PlanDohod:
        cells[col::plandohod::Kind] = name;
        break;
    default:
        return false;
    }
    if (ledger.kind == TTableKind::Rashod || ledger.kind == TTableKind::Dohod) {
        if (!IsNotBlank(cells[ledger.DateColumn]))
            cells[ledger.DateColumn] = FormatDate(DateFromQDate(ledger.DefaultDate));
        if (trigger == TPickTrigger::Enter || userBlank) cells[userCol] = state.userName;
    } else {
        if (userBlank) cells[userCol] = state.userName;
        const int from = ledger.DateColumn;
        if (trigger != TPickTrigger::DoubleClick || !IsNotBlank(cells[from])) {
            const QDate start = ledger.DefaultDate;
            const QDate until =
                ledger.kind == TTableKind::PlanRashod ? state.planUntilRashod : state.planUntilDohod;
            cells[from] = FormatDate(DateFromQDate(start));
            cells[from + 1] = FormatDate(DateFromQDate(until < start ? start.addDays(30) : until));
        }
    }
    return true;
}

} // namespace

TEditRequest PickKind(TMyType& state, TGeneralClass& general, TEditClass& edit, const TDataVidGrid& list,
                      int kindCol, int nameRow, TDataGrid& ledger, TPickTrigger trigger) {
    const QString kind = TGeneralClass::KindsCellText(list, kindCol, 0);
    const QString name = TGeneralClass::KindsCellText(list, kindCol, nameRow);
    if (!IsNotBlank(name) || nameRow < 1 || !PickerServes(list, ledger) || RefuseChange(state)) return {};
    general.EnsureNewRow(ledger);
    int gridRow = ledger.GridRowCount() - 1;
    if (trigger == TPickTrigger::Enter || (trigger == TPickTrigger::DoubleClick && edit.pickIntoCurrentRow))
        gridRow = ledger.row;
    TTableRow* row = ledger.RowAt(gridRow);
    if (!row) return {};
    QStringList cells = row->Cells();
    cells.resize(std::max(int(cells.size()), TableDef(ledger.kind).CellCount()));
    const QStringList before = cells;
    if (!FillPickedRecord(state, ledger, kind, name, trigger, cells)) return {};
    const int tableRow = ledger.TableRow(gridRow);
    if (cells != before) general.Hooks().RecordChanging(ledger, tableRow, before, cells);
    row->SetCells(cells);
    ledger.NotifyCells();
    general.EnsureNewRow(ledger);
    ledger.row = gridRow;
    // The re-sort moves the record and puts the selection on its new row.
    if (trigger == TPickTrigger::Enter) edit.ResortAfterEdit(ledger, ledger.col, gridRow);
    ledger.col = ledger.SumColumn;
    ledger.NotifySelection();
    return general.BeginEdit(ledger, ledger.SumColumn, ledger.row, QChar(), TEditStart::Continue);
}

bool PickerTakesKeys(const TDataVidGrid& list, int kindCol, int nameRow, const TDataGrid* ledger) {
    return ledger && nameRow >= 1 && PickerServes(list, *ledger) &&
           IsNotBlank(TGeneralClass::KindsCellText(list, kindCol, nameRow));
}

bool PickerSearchesFor(int pickerGridId, QChar key) {
    const bool planPicker = pickerGridId == gridid::VidPlan || pickerGridId == gridid::VidPlanDohod;
    return !(planPicker && key == u' ');
}

TDragStep DragStep(const TDataVidGrid& list, const TDataGrid* ledger, const QString& kind,
                   const QString& name, QPoint reference, QPoint pointer) {
    if (!ledger || !PickerServes(list, *ledger)) return TDragStep::None;
    const bool needsKind = ledger->kind == TTableKind::Rashod || ledger->kind == TTableKind::PlanRashod;
    if (name.isEmpty() || (needsKind && kind.isEmpty())) return TDragStep::MoveReference;
    if (pointer.x() == reference.x() || pointer.y() == reference.y()) return TDragStep::MoveReference;
    return TDragStep::Start;
}

TKindSearch::TResult TKindSearch::Key(const TDataVidGrid& list, int column, QChar key) {
    if (key == QChar(8))
        m_text.chop(1);
    else
        m_text.append(key);
    TResult result;
    const QString wanted = m_text.toUpper();
    const TTableRow* kind = list.Table ? list.Table->Row(column) : nullptr;
    if (!wanted.isEmpty() && kind) {
        const QStringList cells = kind->Cells();
        for (int r = 1; r < cells.size(); ++r) {
            if (cells[r].size() >= wanted.size() && cells[r].left(wanted.size()).toUpper() == wanted) {
                result.row = r;
                result.length = int(wanted.size());
                break;
            }
        }
    }
    if (result.row < 0) {
        Clear();
        return result;
    }
    m_col = column;
    m_row = result.row;
    return result;
}

void TKindSearch::Clear() {
    m_text.clear();
    m_col = -1;
    m_row = -1;
}
