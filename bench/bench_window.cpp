// The main window over the big base: opening it to a drawn expenses page, and typing one expense
// (the commit of its sum with the re-sort and the totals), beside reading the base's bytes. The money
// windows: the totals panel redrawn, a period filter chosen in the radio group and a query typed into
// the search box, each beside a pass over the same bytes and the rule alone on the same table.
#include "benchbase.h"
#include "benchwindow.h"
#include "openedbase.h"

#include "ledger/tautosave.h"
#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "money/tfilters.h"
#include "money/tsearch.h"
#include "storage/datafolders.h"
#include "storage/tbasefiles.h"
#include "storage/tmessageboxclass.h"
#include "ui/tappcontext.h"
#include "ui/tledgergrid.h"
#include "ui/tlowerpanel.h"
#include "ui/tmoneyviews.h"
#include "ui/tquorvaneform.h"
#include "ui/tsearchcontroller.h"
#include "ui/ttotalsgrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstring>

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

// The radio items a period filter benchmark clicks in turn, one click an iteration: "Последние 30 дней"
// and, by the argument, "Нет" (0) or "Текущий месяц" (4). Each click takes the old filter off every record
// and applies the new one.
int NextFilterItem(int& clicks, int other) {
    return clicks++ % 2 == 0 ? 5 : other;
}

// The floor under any period filter: one pass over the expenses' date cells' bytes.
void BM_PeriodFilterDateBytesBaseline(benchmark::State& s) {
    TWindow w;
    w.Open();
    const TMemTable& t = w.context->state.Table(TTableKind::Rashod);
    for (auto _ : s) {
        int sum = 0;
        for (int i = 0; i < t.RowCount(); ++i)
            for (char b : t.Row(i)->CellBytes(0))
                sum += b;
        benchmark::DoNotOptimize(sum);
    }
    s.counters["rows"] = t.RowCount();
}
BENCHMARK(BM_PeriodFilterDateBytesBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// "Последние 30 дней" applied by the rule alone, over a table with no filter: no view and no panel listens.
void BM_PeriodFilterApplyPeriodAloneBaseline(benchmark::State& s) {
    TWindow w;
    w.Open();
    TFilters& filters = w.context->filters;
    TDataGrid& g = w.context->state.Grid(TTableKind::Rashod);
    const auto changed = filters.onChanged;
    IGridView* view = g.view;
    filters.onChanged = nullptr;
    g.view = nullptr;
    const auto period = PeriodBounds(5, Today());
    for (auto _ : s)
        filters.ApplyPeriod(TTableKind::Rashod, period->from, period->to);
    s.counters["shown"] = g.GridRowCount() - 1;
    filters.RemoveFilter(TTableKind::Rashod, false);
    g.view = view;
    filters.onChanged = changed;
}
BENCHMARK(BM_PeriodFilterApplyPeriodAloneBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// The clicks below by the rules alone (ChooseFilter): no view and no panel listens.
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
    int clicks = 0;
    for (auto _ : s)
        filters.ChooseFilter(NextFilterItem(clicks, int(s.range(0))));
    filters.ChooseFilter(0);
    g.view = view;
    filters.onChanged = changed;
}
BENCHMARK(BM_PeriodFilterRuleBaseline)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ArgName("other")
    ->Arg(0)
    ->Arg(4);

// One click in the radio group, as the window runs it: the filter, the grid's rows, the filter totals,
// the title, the search cleared.
void BM_PeriodFilterChosenInTheRadioGroup(benchmark::State& s) {
    TWindow w;
    w.Open();
    QButtonGroup* radio = w.Lower()->FilterButtons();
    int clicks = 0;
    for (auto _ : s)
        radio->button(NextFilterItem(clicks, int(s.range(0))))->click();
    radio->button(0)->click();
}
BENCHMARK(BM_PeriodFilterChosenInTheRadioGroup)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ArgName("other")
    ->Arg(0)
    ->Arg(4);

// The floor under a search that reads every shown row: one pass over the bytes of the expenses' shown
// rows, looking for a byte no cell holds.
void BM_SearchShownRowBytesBaseline(benchmark::State& s) {
    TWindow w;
    w.Open();
    const TDataGrid& g = w.context->state.Grid(TTableKind::Rashod);
    for (auto _ : s)
        benchmark::DoNotOptimize(PassOverShownRowBytes(g));
}
BENCHMARK(BM_SearchShownRowBytesBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every match of a query over the expenses' shown rows, by the plain rule alone.
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

// The whole query put into the search box at once (a paste), and the box cleared again.
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

// One keystroke in the search box: "хлеб" is typed a letter at a time, and the argument tells which
// letter is timed (the box holds the ones before it): the list, the jump to the first match, the label.
void BM_SearchKeystroke(benchmark::State& s) {
    TWindow w;
    w.Open();
    QLineEdit* box = w.Lower()->SearchEdit();
    const QString word = QStringLiteral("хлеб");
    const int key = int(s.range(0));
    box->setText(word.left(key)); // the table's text is made before the first timed keystroke
    for (auto _ : s) {
        s.PauseTiming();
        box->setText(word.left(key - 1));
        s.ResumeTiming();
        box->insert(word.mid(key - 1, 1));
    }
    s.counters["matches"] = double(w.MoneyViews()->Search()->Search().Matches().size());
}
BENCHMARK(BM_SearchKeystroke)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ArgName("letter")
    ->DenseRange(1, 4);

// The first keystroke after the base is opened: the table's text is not made yet.
void BM_SearchFirstKeystrokeColdCache(benchmark::State& s) {
    std::unique_ptr<TWindow> w;
    for (auto _ : s) {
        s.PauseTiming();
        w.reset();
        w = std::make_unique<TWindow>();
        w->Open();
        QLineEdit* box = w->Lower()->SearchEdit();
        s.ResumeTiming();
        box->insert(QStringLiteral("х"));
    }
}
BENCHMARK(BM_SearchFirstKeystrokeColdCache)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    // The window draws: a GUI application before the benchmarks' own.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunBigBaseBenchmarks(argc, argv);
}
