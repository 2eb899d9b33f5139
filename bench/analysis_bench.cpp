// The analysis of each kind over the whole period of the big base (100,000 expenses, 20,000 incomes,
// 5,000 plans of each kind), beside the floor of reading the same cells of the same rows.
#include "benchbase.h"
#include "openedbase.h"

#include "analysis/tanalysis.h"
#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "storage/tabledefs.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// The cells each kind reads: date, group (and name), sum and purse of its main table, then of its
// comparison table.
struct TCells {
    TTableKind table;
    std::vector<int> cells;
};

std::vector<TCells> CellsOf(int kind) {
    namespace r = col::rashod;
    namespace pr = col::planrashod;
    namespace d = col::dohod;
    namespace pd = col::plandohod;
    const TCells byKind{TTableKind::Rashod, {r::Date, r::Kind, r::Sum, r::Purse}};
    const TCells plansByKind{TTableKind::PlanRashod, {pr::From, pr::Kind, pr::Sum, pr::Purse}};
    switch (kind) {
    case KindRashodByKind:
        return {byKind, plansByKind};
    case KindRashodByName:
        return {{TTableKind::Rashod, {r::Date, r::Kind, r::Name, r::Sum, r::Purse}},
                {TTableKind::PlanRashod, {pr::From, pr::Kind, pr::Name, pr::Sum, pr::Purse}}};
    case KindDohodByKind:
        return {{TTableKind::Dohod, {d::Date, d::Kind, d::Sum, d::Purse}}, byKind};
    case KindPlanRashod:
        return {plansByKind, byKind};
    case KindPlanDohod:
        return {{TTableKind::PlanDohod, {pd::From, pd::Kind, pd::Sum, pd::Purse}}};
    case KindRashodNote:
        return {{TTableKind::Rashod, {r::Date, r::Note, r::Sum, r::Purse}}};
    case KindDohodNote:
        return {{TTableKind::Dohod, {d::Date, d::Note, d::Sum, d::Purse}}};
    case KindPlanRashodNote:
        return {{TTableKind::PlanRashod, {pr::From, pr::Note, pr::Sum, pr::Purse}}};
    default:
        return {{TTableKind::PlanDohod, {pd::From, pd::Note, pd::Sum, pd::Purse}}};
    }
}

// Floor: every cell the analysis of the kind reads, decoded to text and nothing more.
void BM_ReadAnalysedCellsFloor(benchmark::State& s) {
    TMyType& state = OpenedBigBase();
    const std::vector<TCells> sources = CellsOf(int(s.range(0)));
    qint64 rows = 0;
    for (auto _ : s) {
        qsizetype chars = 0;
        rows = 0;
        for (const TCells& source : sources) {
            const TMemTable& t = state.Table(source.table);
            for (int i = 0; i < t.RowCount(); ++i) {
                const TTableRow& row = *t.Row(i);
                for (int c : source.cells)
                    chars += row.Cell(c).size();
            }
            rows += t.RowCount();
        }
        benchmark::DoNotOptimize(chars);
    }
    s.counters["rows"] = double(rows);
}
BENCHMARK(BM_ReadAnalysedCellsFloor)->DenseRange(0, 8)->Unit(benchmark::kMillisecond)->UseRealTime();

// Floor: finding the same cells' bytes in the table without decoding them, the least any pass can do.
void BM_FindAnalysedBytesFloor(benchmark::State& s) {
    TMyType& state = OpenedBigBase();
    const std::vector<TCells> sources = CellsOf(int(s.range(0)));
    for (auto _ : s) {
        qsizetype bytes = 0;
        for (const TCells& source : sources) {
            const TMemTable& t = state.Table(source.table);
            for (int i = 0; i < t.RowCount(); ++i) {
                const TTableRow& row = *t.Row(i);
                for (int c : source.cells)
                    bytes += row.CellBytes(c).size();
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_FindAnalysedBytesFloor)->DenseRange(0, 8)->Unit(benchmark::kMillisecond)->UseRealTime();

// Arguments: the kind and the format. Kind 1 runs with a confirmed selection of every name.
void BM_Analysis(benchmark::State& s) {
    TMyType& state = OpenedBigBase();
    TAnalysis analysis(state);
    const QDate today = Today();
    const TAnalysisSettings settings{today.addYears(-11), today, int(s.range(0)), int(s.range(1)), ChartPie};
    TNameSelection selection;
    if (settings.kind == KindRashodByName) {
        selection = TNameSelection::AllChecked(state.vidRashod);
        selection.applies = true;
    }
    for (auto _ : s)
        analysis.Run(settings, selection);
    s.counters["groups"] = analysis.DataRowCount();
}
BENCHMARK(BM_Analysis)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 8, 1), {FormatNumber}})
    ->Args({KindRashodByKind, FormatPercent})
    ->Args({KindRashodByName, FormatPercent})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return RunBigBaseBenchmarks(argc, argv, [] { OpenedBigBase(); });
}
