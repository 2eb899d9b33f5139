// The period filter and the search on the 100,000 expenses of the big base, each beside the pass over
// the same cells that any filter or search must make.
#include "benchbase.h"
#include "openedbase.h"

#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "money/tfilters.h"
#include "money/tsearch.h"
#include "storage/tmessageboxclass.h"

#include <QCoreApplication>
#include <QLocale>

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

void BM_ReadDateCellsBaseline(benchmark::State& s) {
    const TMemTable& t = OpenedBigBase().Table(TTableKind::Rashod);
    for (auto _ : s) {
        qsizetype chars = 0;
        for (int i = 0; i < t.RowCount(); ++i)
            chars += t.Row(i)->Cell(0).size();
        benchmark::DoNotOptimize(chars);
    }
    s.counters["rows"] = t.RowCount();
}
BENCHMARK(BM_ReadDateCellsBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadAndParseDateCellsBaseline(benchmark::State& s) {
    const TMemTable& t = OpenedBigBase().Table(TTableKind::Rashod);
    for (auto _ : s) {
        qint64 days = 0;
        for (int i = 0; i < t.RowCount(); ++i)
            days += ParseCellDate(t.Row(i)->Cell(0));
        benchmark::DoNotOptimize(days);
    }
}
BENCHMARK(BM_ReadAndParseDateCellsBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ApplyPeriod30Days(benchmark::State& s) {
    TMyType& state = OpenedBigBase();
    TFilters filters(state);
    const QDate today = Today();
    for (auto _ : s)
        filters.ApplyPeriod(TTableKind::Rashod, today.addDays(-29), today);
    s.counters["shown"] = state.Grid(TTableKind::Rashod).GridRowCount() - 1;
    filters.RemoveFilter(TTableKind::Rashod, false);
}
BENCHMARK(BM_ApplyPeriod30Days)->Unit(benchmark::kMillisecond)->UseRealTime();

// A custom filter on a kind in lower case: every dated record is compared.
void BM_ApplyCustomKind(benchmark::State& s) {
    TMyType& state = OpenedBigBase();
    TFilters filters(state);
    TFilterCriteria c;
    c.kind = QStringLiteral("продукты");
    for (auto _ : s)
        filters.ApplyCustom(TTableKind::Rashod, c);
    s.counters["shown"] = state.Grid(TTableKind::Rashod).GridRowCount() - 1;
    filters.RemoveFilter(TTableKind::Rashod, false);
}
BENCHMARK(BM_ApplyCustomKind)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadAllCellsBaseline(benchmark::State& s) {
    const TDataGrid& g = OpenedBigBase().Grid(TTableKind::Rashod);
    for (auto _ : s) {
        qsizetype chars = 0;
        for (int r = 1; r < g.GridRowCount(); ++r)
            if (const TTableRow* row = g.RowAt(r))
                for (const QString& cell : row->Cells())
                    chars += cell.size();
        benchmark::DoNotOptimize(chars);
    }
    s.counters["cells"] = double(g.GridRowCount() - 1) * g.ColumnCount();
}
BENCHMARK(BM_ReadAllCellsBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor under any reading of the cells: each shown row's bytes scanned where they lie, not decoded.
void BM_ReadRowBytesBaseline(benchmark::State& s) {
    const TDataGrid& g = OpenedBigBase().Grid(TTableKind::Rashod);
    for (auto _ : s)
        benchmark::DoNotOptimize(PassOverShownRowBytes(g));
}
BENCHMARK(BM_ReadRowBytesBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// Argument: 0 part of a cell with case ignored, 1 with match case, 2 the whole cell with case ignored.
void BM_SearchAllCells(benchmark::State& s) {
    const TDataGrid& g = OpenedBigBase().Grid(TTableKind::Rashod);
    const bool matchCase = s.range(0) == 1;
    const bool whole = s.range(0) == 2;
    size_t found = 0;
    for (auto _ : s) {
        found = FindMatches(g, QStringLiteral("хлеб"), whole, matchCase).size();
        benchmark::DoNotOptimize(found);
    }
    s.counters["matches"] = double(found);
}
BENCHMARK(BM_SearchAllCells)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return RunBigBaseBenchmarks(argc, argv, [] { OpenedBigBase(); });
}
