#include "output/exporttable.h"

#include "analysis/tanalysis.h"
#include "ledger/tdatagrid.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "storage/tabledefs.h"

#include <algorithm>

namespace {

int GridNumber(TTableKind kind) {
    switch (kind) {
    case TTableKind::Rashod:
        return 11;
    case TTableKind::Dohod:
        return 12;
    case TTableKind::Dolg:
        return 13;
    case TTableKind::PlanRashod:
        return 14;
    case TTableKind::PlanDohod:
        return 15;
    case TTableKind::Returns:
        return 17;
    case TTableKind::Purse:
        return 30;
    case TTableKind::Transfer:
        return 31;
    case TTableKind::User:
        return 32;
    }
    return 0;
}

QString GridCaption(TTableKind kind) {
    switch (kind) {
    case TTableKind::Rashod:
        return QStringLiteral("TABLE OF EXPENSES");
    case TTableKind::Dohod:
        return QStringLiteral("INCOME TABLE");
    case TTableKind::Dolg:
        return QStringLiteral("DEBT TABLE");
    case TTableKind::PlanRashod:
        return QStringLiteral("TABLE PLANNING COSTS");
    case TTableKind::PlanDohod:
        return QStringLiteral("INCOME PLANNING TABLE");
    default:
        return {};
    }
}

// The analysis result's amount column.
constexpr int kAnalysisSumColumn = 2;

} // namespace

std::optional<TExportTable> GridExport(TMyType& state, const TDataGrid& grid) {
    if (!grid.Table) return std::nullopt;
    TExportTable out;
    out.number = GridNumber(grid.kind);
    out.fileCaption = GridCaption(grid.kind);
    out.captions = grid.Captions;
    out.sumColumn = grid.SumColumn;
    const int columns = grid.ColumnCount();
    if (TableDef(grid.kind).IsLedger()) {
        for (int r = 1; r < grid.GridRowCount(); ++r) {
            const TTableRow* row = grid.RowAt(r);
            if (!row || row->Cell(1).isEmpty()) continue;
            QStringList cells = row->Cells();
            cells.resize(columns);
            out.rows.push_back(std::move(cells));
        }
        out.totalSum = DisplayRound(grid.filterActive ? grid.filteredTotal : grid.total);
        return out;
    }
    for (int r = 0; r < grid.Table->RowCount(); ++r) {
        QStringList cells = grid.Table->Row(r)->Cells();
        // A password code has no place in a spreadsheet left in the temp folder.
        if (grid.kind == TTableKind::User && cells.size() > col::user::PasswordCode)
            cells.resize(col::user::PasswordCode);
        out.rows.push_back(std::move(cells));
    }
    if (grid.kind == TTableKind::Purse) out.totalSum = DisplayRound(state.totalMoney);
    return out;
}

TExportTable AnalysisExport(const TAnalysis& analysis, const TAnalysisSettings& settings) {
    TExportTable out;
    out.number = settings.kind == KindRashodByKind ? 16 : 17 + settings.kind;
    if (settings.kind == KindRashodByKind) out.fileCaption = QStringLiteral("ANALYSIS");
    out.captions = TAnalysis::Captions(settings.kind);
    out.sumColumn = kAnalysisSumColumn;
    out.percent = settings.format == FormatPercent;
    const TMemTable& table = analysis.Table();
    for (int r = 0; r < table.RowCount(); ++r)
        out.rows.push_back(table.Row(r)->Cells());
    return out;
}

std::optional<TExportTable> KindsExport(const TDataVidGrid& list) {
    if (!list.Table) return std::nullopt;
    TExportTable out;
    out.number = list.listNumber == 0 ? 40 : 41;
    const TMemTable& table = *list.Table;
    int names = 0;
    for (int k = 0; k < table.RowCount(); ++k) {
        const TTableRow* kind = table.Row(k);
        out.captions << kind->Cell(col::kinds::Kind);
        // Trailing empty cells are no names.
        int last = kind->CellCount() - 1;
        while (last >= col::kinds::FirstName && kind->Cell(last).isEmpty())
            --last;
        names = std::max(names, last - col::kinds::Kind);
    }
    for (int n = 0; n < names; ++n) {
        QStringList row;
        for (int k = 0; k < table.RowCount(); ++k)
            row << table.Row(k)->Cell(col::kinds::FirstName + n);
        out.rows.push_back(std::move(row));
    }
    return out;
}
