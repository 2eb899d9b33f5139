// The main window over the million-record base (1,000,000 expenses): opening it to a drawn expenses
// page beside reading the base's bytes, typing one expense while the page is sorted by the sum beside
// one binary-search insert into a row order, and a click on a column caption beside std::sort of the
// same packed keys.
#include "benchbase.h"
#include "benchwindow.h"

#include "ledger/tdatagrid.h"
#include "ledger/tmytype.h"
#include "ledger/ttablesortert.h"
#include "storage/tabledefs.h"
#include "ui/tledgergrid.h"

#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace {

const TBenchBase& Base() {
    return MillionBase();
}

TLedgerGrid* ExpensesView(const TWindow& w) {
    return w.form->findChild<TLedgerGrid*>(QStringLiteral("Grid%1").arg(TableDef(TTableKind::Rashod).gridId));
}

std::vector<std::pair<std::uint64_t, std::uint64_t>> PackedSums(const TMemTable& table, int column) {
    const int n = table.RowCount() - 1; // the new row stays last
    std::vector<std::pair<std::uint64_t, std::uint64_t>> keys(static_cast<size_t>(std::max(0, n)));
    for (int i = 0; i < n; ++i)
        keys[size_t(i)] = PackedNumberKey(NumberSortKey(table.Row(i)->Cell(column)), i);
    return keys;
}

void BM_ReadFilesBaseline(benchmark::State& s) {
    for (auto _ : s)
        benchmark::DoNotOptimize(ReadAllFiles(Base().baseFolder));
}
BENCHMARK(BM_ReadFilesBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenBaseToDrawnExpensesPage(benchmark::State& s) {
    for (auto _ : s) {
        s.PauseTiming();
        auto w = std::make_unique<TWindow>(Base());
        s.ResumeTiming();
        w->Open();
        benchmark::DoNotOptimize(w->form->grab());
        s.PauseTiming();
        w.reset();
        s.ResumeTiming();
    }
}
BENCHMARK(BM_OpenBaseToDrawnExpensesPage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

constexpr int kSumColumn = 3;

// One expense typed on the last row while the page is sorted by the sum: the commit of its sum moves
// the record to its place, and the window follows.
void BM_TypeOneExpenseSortedBySum(benchmark::State& s) {
    TWindow w(Base());
    w.Open();
    TDataGrid& g = w.context->state.Grid(TTableKind::Rashod);
    w.context->general.SortByColumn(g, kSumColumn);
    int n = 0;
    for (auto _ : s) {
        const int last = g.GridRowCount() - 1;
        g.RowAt(last)->SetCells({QStringLiteral("10.12.2026"), QStringLiteral("Продукты"),
                                 QStringLiteral("Хлеб"), QString(), QString(), QString(), QString()});
        g.row = last;
        g.col = kSumColumn;
        const TCommitResult r = w.context->edit.CommitText(g, kSumColumn, last, TEditorKind::Number,
                                                           QString::number(++n % 500 + 1));
        benchmark::DoNotOptimize(r.stored);
    }
    s.counters["rows"] = double(g.Table->RowCount());
}
BENCHMARK(BM_TypeOneExpenseSortedBySum)->Unit(benchmark::kMicrosecond);

// Its floor: the place of one new key found by binary search in the packed keys of the sorted rows,
// and its position inserted into the row order there.
void BM_Baseline_OneBinarySearchInsertIntoTheRowOrder(benchmark::State& s) {
    TWindow w(Base());
    w.Open();
    TDataGrid& g = w.context->state.Grid(TTableKind::Rashod);
    w.context->general.SortByColumn(g, kSumColumn);
    const auto keys = PackedSums(*g.Table, kSumColumn);
    std::vector<int> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    int n = 0;
    for (auto _ : s) {
        const auto key = PackedNumberKey((++n % 500 + 1), int(order.size()));
        const auto at = std::upper_bound(order.begin(), order.end(), key, [&](const auto& k, int i) {
            return k.first < keys[size_t(i)].first;
        });
        order.insert(at, int(n % keys.size()));
        order.pop_back();
        benchmark::DoNotOptimize(order.data());
    }
}
BENCHMARK(BM_Baseline_OneBinarySearchInsertIntoTheRowOrder)->Unit(benchmark::kMicrosecond);

// A left click on a column's caption, as the user gives it: every click on the same caption reverses
// the order.
void BM_SortByCaptionClick(benchmark::State& s) {
    TWindow w(Base());
    w.Open();
    TLedgerGrid* view = ExpensesView(w);
    TDataGrid& g = w.context->state.Grid(TTableKind::Rashod);
    const int column = int(s.range(0));
    QHeaderView* header = view->horizontalHeader();
    // The captions are laid out anew after each sort: the click aims at the section where it is now.
    auto sectionCentre = [&] {
        return header->viewport()->mapTo(
            w.form.get(), QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                                 header->height() / 2));
    };
    int sorts = 0;
    for (auto _ : s) {
        const int before = g.SortAscending ? 1 : 0;
        QTest::mouseClick(w.form->windowHandle(), Qt::LeftButton, Qt::NoModifier, sectionCentre());
        if (g.SortColumn == column && (g.SortAscending ? 1 : 0) != before) ++sorts;
    }
    if (sorts + 1 < int(s.iterations())) s.SkipWithError("a click did not sort");
    s.counters["rows"] = double(g.Table->RowCount());
}
BENCHMARK(BM_SortByCaptionClick)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ArgName("column")
    ->Arg(3)
    ->Arg(1);

// Its floor: std::sort of the same packed keys (the sums with their positions).
void BM_Baseline_StdSortOfThePackedKeys(benchmark::State& s) {
    TWindow w(Base());
    w.Open();
    const auto packed = PackedSums(w.context->state.Table(TTableKind::Rashod), kSumColumn);
    for (auto _ : s) {
        auto keys = packed;
        std::sort(keys.begin(), keys.end());
        benchmark::DoNotOptimize(keys.data());
    }
}
BENCHMARK(BM_Baseline_StdSortOfThePackedKeys)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // The window draws: a GUI application before the benchmarks' own.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunBenchmarks(argc, argv, [] { Base(); });
}
