// The main window over the big base: opening it to a drawn expenses page, and typing one expense
// (the commit of its sum with the re-sort and the totals), beside reading the base's bytes. The money
// windows: the totals panel redrawn, a period filter chosen in the radio group and a query typed into
// the search box, each beside the rule alone on the same table.
#include "benchbase.h"
#include "benchwindow.h"

#include "ledger/tautosave.h"
#include "ledger/tbaseloader.h"
#include "money/tsearch.h"
#include "storage/datafolders.h"
#include "storage/tbasefiles.h"
#include "storage/tmessageboxclass.h"
#include "ui/tappcontext.h"
#include "ui/tledgergrid.h"
#include "ui/tlowerpanel.h"
#include "ui/tmoneyviews.h"
#include "ui/tquorvaneform.h"
#include "ui/ttotalsgrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

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
        w.Open();
        benchmark::DoNotOptimize(w.form->grab());
    }
}
BENCHMARK(BM_OpenBaseToDrawnExpensesPage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TypeOneExpense(benchmark::State& s) {
    TWindow w;
    w.Open();
    TDataGrid& g = w.context->state.Grid(TTableKind::Rashod);
    if (s.range(0) == 1) {
        // Sorted by the sum: each commit moves the new record to its place.
        w.context->general.SortByColumn(g, 3);
    }
    int n = 0;
    for (auto _ : s) {
        // A new record on the last row: kind and name picked, then the sum committed.
        const int last = g.GridRowCount() - 1;
        g.RowAt(last)->SetCells({QStringLiteral("10.12.2026"), QStringLiteral("Продукты"),
                                 QStringLiteral("Хлеб"), QString(), QString(), QString(), QString()});
        g.row = last;
        g.col = 3;
        const TCommitResult r =
            w.context->edit.CommitText(g, 3, last, TEditorKind::Number, QString::number(++n % 500 + 1));
        benchmark::DoNotOptimize(r.stored);
    }
    s.counters["rows"] = double(g.Table->RowCount());
}
BENCHMARK(BM_TypeOneExpense)->Unit(benchmark::kMicrosecond)->ArgName("sorted_by_sum")->Arg(0)->Arg(1);

// The same typing while the automatic save of an earlier expense waits for its time: every commit is
// followed by the window's events, as the program runs them. Its floor: the same typing and events with
// no automatic save at all (arg 0).
void BM_TypeOneExpenseWhileAnAutoSaveIsPending(benchmark::State& s) {
    TWindow w(true);
    w.Open();
    if (s.range(0) == 0) w.AutoSave()->Stop();
    TDataGrid& g = w.context->state.Grid(TTableKind::Rashod);
    int n = 0;
    auto type = [&] {
        const int last = g.GridRowCount() - 1;
        g.RowAt(last)->SetCells({QStringLiteral("10.12.2026"), QStringLiteral("Продукты"),
                                 QStringLiteral("Хлеб"), QString(), QString(), QString(), QString()});
        g.row = last;
        g.col = 3;
        return w.context->edit.CommitText(g, 3, last, TEditorKind::Number, QString::number(++n % 500 + 1))
            .stored;
    };
    type();
    QElapsedTimer armed;
    armed.start();
    while (s.range(0) == 1 && !w.AutoSave()->Pending() && armed.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    for (auto _ : s) {
        benchmark::DoNotOptimize(type());
        QCoreApplication::processEvents();
    }
    s.counters["pending"] = w.AutoSave()->Pending() ? 1 : 0;
}
BENCHMARK(BM_TypeOneExpenseWhileAnAutoSaveIsPending)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3)
    ->ArgName("autosave")
    ->Arg(0)
    ->Arg(1);

// The automatic save after one typed expense: the expenses and the purse it paid from, in one
// transaction.
void BM_AutoSaveAfterOneTypedExpense(benchmark::State& s) {
    TWindow w(true);
    w.Open();
    TMyType& state = w.context->state;
    TDataGrid& g = state.Grid(TTableKind::Rashod);
    int n = 0;
    for (auto _ : s) {
        s.PauseTiming();
        const int last = g.GridRowCount() - 1;
        g.RowAt(last)->SetCells({QStringLiteral("10.12.2026"), QStringLiteral("Продукты"),
                                 QStringLiteral("Хлеб"), QString(), QString(), QString(), QString()});
        g.row = last;
        g.col = 3;
        w.context->edit.CommitText(g, 3, last, TEditorKind::Number, QString::number(++n % 500 + 1));
        s.ResumeTiming();
        if (!w.AutoSave()->SaveIfChanged()) s.SkipWithError("the automatic save failed");
    }
}
BENCHMARK(BM_AutoSaveAfterOneTypedExpense)->Unit(benchmark::kMillisecond)->UseRealTime();

// Its floor: the same two files' bytes written and each flushed once.
void BM_Baseline_TwoFlushedWritesOfTheSameBytes(benchmark::State& s) {
    TWindow w;
    w.Open();
    TMyType& state = w.context->state;
    const QByteArray rashod = FilteredTableBytes(TTableKind::Rashod, state.Table(TTableKind::Rashod));
    const QByteArray purse = state.Table(TTableKind::Purse).ToBytes();
    QTemporaryDir dir;
    for (auto _ : s) {
        for (const QByteArray* bytes : {&rashod, &purse}) {
            const QByteArray path = QFile::encodeName(dir.path() + (bytes == &rashod ? "/rashod" : "/purse"));
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            benchmark::DoNotOptimize(::write(fd, bytes->constData(), size_t(bytes->size())));
            ::fsync(fd);
            ::close(fd);
        }
    }
}
BENCHMARK(BM_Baseline_TwoFlushedWritesOfTheSameBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

// The totals panel's content for the expenses, as the rules build it.
void BM_TotalsPanelContentBaseline(benchmark::State& s) {
    TWindow w;
    w.Open();
    for (auto _ : s)
        benchmark::DoNotOptimize(w.context->money.TotalsPanel(TTableKind::Rashod));
}
BENCHMARK(BM_TotalsPanelContentBaseline)->Unit(benchmark::kMicrosecond);

// The same content put into the three grids of the lower panel and drawn.
void BM_TotalsPanelRefreshedAndDrawn(benchmark::State& s) {
    TWindow w;
    w.Open();
    TTotalsGrid* totals = w.form->findChild<TTotalsGrid*>(QStringLiteral("ItogiGrid"));
    for (auto _ : s) {
        w.MoneyViews()->RefreshTotals();
        benchmark::DoNotOptimize(totals->grab());
    }
}
BENCHMARK(BM_TotalsPanelRefreshedAndDrawn)->Unit(benchmark::kMicrosecond);

// "Последние 30 дней" chosen and taken off again by the rules alone: no view and no panel listens.
void BM_PeriodFilterRuleBaseline(benchmark::State& s) {
    TWindow w;
    w.Open();
    TFilters& filters = w.context->filters;
    TDataGrid& g = w.context->state.Grid(TTableKind::Rashod);
    w.context->state.current = &g;
    const auto changed = filters.onChanged;
    IGridView* view = g.view;
    filters.onChanged = nullptr;
    g.view = nullptr;
    for (auto _ : s) {
        filters.ChooseFilter(5);
        filters.ChooseFilter(0);
    }
    g.view = view;
    filters.onChanged = changed;
}
BENCHMARK(BM_PeriodFilterRuleBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same from the radio group: the grid's rows, the filter grid, the title and back to "Нет".
void BM_PeriodFilterChosenInTheRadioGroup(benchmark::State& s) {
    TWindow w;
    w.Open();
    QButtonGroup* radio = w.Lower()->FilterButtons();
    for (auto _ : s) {
        radio->button(5)->click();
        radio->button(0)->click();
    }
}
BENCHMARK(BM_PeriodFilterChosenInTheRadioGroup)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every match of a query over the expenses' shown rows, by the rule alone.
void BM_SearchRuleBaseline(benchmark::State& s) {
    TWindow w;
    w.Open();
    const TDataGrid& g = w.context->state.Grid(TTableKind::Rashod);
    size_t found = 0;
    for (auto _ : s) {
        found = FindMatches(g, QStringLiteral("хлеб"), false, false).size();
        benchmark::DoNotOptimize(found);
    }
    s.counters["matches"] = double(found);
}
BENCHMARK(BM_SearchRuleBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same query typed into the search box: the list, the jump to the first match, the label.
void BM_SearchTypedIntoTheBox(benchmark::State& s) {
    TWindow w;
    w.Open();
    QLineEdit* box = w.Lower()->SearchEdit();
    for (auto _ : s) {
        box->setText(QStringLiteral("хлеб"));
        box->clear();
    }
}
BENCHMARK(BM_SearchTypedIntoTheBox)->Unit(benchmark::kMillisecond)->UseRealTime();

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
