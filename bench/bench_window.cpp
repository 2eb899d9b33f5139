// The main window over the big base: opening it to a drawn expenses page, and typing one expense
// (the commit of its sum with the re-sort and the totals), beside reading the base's bytes.
#include "benchbase.h"

#include "ledger/tbaseloader.h"
#include "storage/tmessageboxclass.h"
#include "ui/tappcontext.h"
#include "ui/tledgergrid.h"
#include "ui/tquorvaneform.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {


struct TWindow {
    std::unique_ptr<TAppContext> context;
    std::unique_ptr<TQuorvaneForm> form;
    TWindow() {
        context = std::make_unique<TAppContext>();
        TMyType& s = context->state;
        const TBenchBase& base = BigBase();
        s.paths.dataRoot = base.dataRoot + QStringLiteral("/");
        s.baseFolder = base.baseFolder;
        s.baseName = QStringLiteral("Base1");
        s.userName = QStringLiteral("Мама");
        s.admin = true;
        form = std::make_unique<TQuorvaneForm>(*context);
        form->resize(1136, 681);
        form->show();
    }
};

void BM_ReadFilesBaseline(benchmark::State& s) {
    for (auto _ : s)
        benchmark::DoNotOptimize(ReadAllFiles(BigBase().baseFolder));
}
BENCHMARK(BM_ReadFilesBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenBaseToDrawnExpensesPage(benchmark::State& s) {
    for (auto _ : s) {
        s.PauseTiming();
        TWindow w;
        s.ResumeTiming();
        w.form->OpenBase();
        benchmark::DoNotOptimize(w.form->grab());
    }
}
BENCHMARK(BM_OpenBaseToDrawnExpensesPage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TypeOneExpense(benchmark::State& s) {
    TWindow w;
    w.form->OpenBase();
    TDataGrid& g = w.context->state.Grid(TTableKind::Rashod);
    if (s.range(0) == 1) {
        // Sorted by the sum: each commit moves the new record to its place.
        w.context->general.SortByColumn(g, 3);
    }
    int n = 0;
    for (auto _ : s) {
        // A new record on the last row: kind and name picked, then the sum committed.
        const int last = g.GridRowCount() - 1;
        g.RowAt(last)->SetCells({QStringLiteral("10.12.2026"), QStringLiteral("Продукты"), QStringLiteral("Хлеб"),
                                 QString(), QString(), QString(), QString()});
        g.row = last;
        g.col = 3;
        const TCommitResult r =
            w.context->edit.CommitText(g, 3, last, TEditorKind::Number, QString::number(++n % 500 + 1));
        benchmark::DoNotOptimize(r.stored);
    }
    s.counters["rows"] = double(g.Table->RowCount());
}
BENCHMARK(BM_TypeOneExpense)->Unit(benchmark::kMicrosecond)->ArgName("sorted_by_sum")->Arg(0)->Arg(1);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TSilentMessages silent;
    Messages().SetPresenter(&silent);
    benchmark::Initialize(&argc, argv);
    BigBase();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
