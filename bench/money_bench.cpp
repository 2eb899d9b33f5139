// The money rules on the big base: a full recomputation of the expenses and one committed change,
// each beside a floor measured in the same run.
#include "benchbase.h"

#include "ledger/tbaseloader.h"
#include "ledger/teditclass.h"
#include "ledger/tgeneralclass.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "money/tfilters.h"
#include "money/tmoney.h"
#include "money/tmoneyhooks.h"
#include "storage/tmessageboxclass.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

// One opened big base with its totals and the commit path the program builds, shared by every
// benchmark of the run.
struct TOpened {
    TMyType state;
    std::unique_ptr<TMoney> money;
    std::unique_ptr<TFilters> filters;
    std::unique_ptr<TMoneyHooks> hooks;
    std::unique_ptr<TGeneralClass> general;
    std::unique_ptr<TEditClass> edit;
    TOpened() {
        const TBenchBase& base = BigBase();
        state.paths.dataRoot = base.dataRoot + QStringLiteral("/");
        state.baseFolder = base.baseFolder;
        TBaseLoader::OpenBase(state);
        money = std::make_unique<TMoney>(state);
        filters = std::make_unique<TFilters>(state);
        hooks = std::make_unique<TMoneyHooks>(state, *money, *filters);
        general = std::make_unique<TGeneralClass>(state, *hooks);
        edit = std::make_unique<TEditClass>(state, *general, *hooks);
        hooks->RegisterTables(*general);
        money->RecomputeAfterLoad();
    }
    // A sum typed into the number editor of a record and committed.
    void CommitSum(TTableKind kind, int row, const QString& sum) {
        TDataGrid& grid = state.Grid(kind);
        edit->CommitText(grid, grid.SumColumn, grid.GridRowOf(row), TEditorKind::Number, sum);
    }
};

TOpened& Opened() {
    static TOpened opened;
    return opened;
}

// Floor: adding up the sums of the expenses already read as numbers.
void BM_SumParsedBaseline(benchmark::State& s) {
    const TMemTable& rashod = Opened().state.Table(TTableKind::Rashod);
    std::vector<long double> sums;
    for (int r = 0; r < rashod.RowCount(); ++r)
        sums.push_back(NumberValue(rashod.Row(r)->Cell(3)));
    for (auto _ : s) {
        long double total = 0;
        for (long double v : sums)
            total += v;
        benchmark::DoNotOptimize(total);
    }
    s.counters["rows"] = double(sums.size());
}
BENCHMARK(BM_SumParsedBaseline)->Unit(benchmark::kMillisecond);

// Floor: reading the three cells a total needs (date, sum, purse), without parsing them.
void BM_ReadCellsBaseline(benchmark::State& s) {
    const TMemTable& rashod = Opened().state.Table(TTableKind::Rashod);
    for (auto _ : s) {
        qsizetype chars = 0;
        for (int r = 0; r < rashod.RowCount(); ++r) {
            const TTableRow* row = rashod.Row(r);
            chars += row->Cell(0).size() + row->Cell(3).size() + row->Cell(4).size();
        }
        benchmark::DoNotOptimize(chars);
    }
}
BENCHMARK(BM_ReadCellsBaseline)->Unit(benchmark::kMillisecond);

// Target: 20 ms for the 100,000 expenses.
void BM_RecomputeExpenses(benchmark::State& s) {
    TOpened& o = Opened();
    for (auto _ : s)
        o.money->calc.RecomputeTable(TTableKind::Rashod);
    benchmark::DoNotOptimize(o.state.Grid(TTableKind::Rashod).total);
}
BENCHMARK(BM_RecomputeExpenses)->Unit(benchmark::kMillisecond);

// Everything after a base is opened: five ledgers, every debt's returns and remainders.
void BM_RecomputeAfterLoad(benchmark::State& s) {
    TOpened& o = Opened();
    for (auto _ : s)
        o.money->RecomputeAfterLoad();
}
BENCHMARK(BM_RecomputeAfterLoad)->Unit(benchmark::kMillisecond);

// Floor for one change: parsing one sum and writing one float text.
void BM_OneSumBaseline(benchmark::State& s) {
    long double x = 0;
    for (auto _ : s) {
        x += NumberValue(u"1234,56");
        benchmark::DoNotOptimize(FloatToText(x));
    }
}
BENCHMARK(BM_OneSumBaseline)->Unit(benchmark::kMicrosecond);

// Target: 0.1 ms. One expense's sum committed in the middle of the 100,000: totals, per-purse sums,
// the purse amount and the total money move; the table is not gone through again.
void BM_RecordChanged(benchmark::State& s) {
    TOpened& o = Opened();
    const int row = o.state.Table(TTableKind::Rashod).RowCount() / 2;
    const QString sums[] = {QStringLiteral("125,5"), QStringLiteral("99")};
    int i = 0;
    for (auto _ : s)
        o.CommitSum(TTableKind::Rashod, row, sums[i++ & 1]);
}
BENCHMARK(BM_RecordChanged)->Unit(benchmark::kMicrosecond);

// A debt's sum committed: totals, purse effect and the remainders of its returns.
void BM_DebtSumChanged(benchmark::State& s) {
    TOpened& o = Opened();
    const int row = o.state.Table(TTableKind::Dolg).RowCount() / 2;
    const QString sums[] = {QStringLiteral("5000"), QStringLiteral("7000")};
    int i = 0;
    for (auto _ : s)
        o.CommitSum(TTableKind::Dolg, row, sums[i++ & 1]);
}
BENCHMARK(BM_DebtSumChanged)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunBigBaseBenchmarks(argc, argv, [] { Opened(); });
}
