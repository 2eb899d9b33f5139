// Changes through the session's one door on the big base: typing a sum through it beside the bare commit,
// taking a deletion back, and what a history of 200 typed sums costs, each beside a floor of the same run.
#include "benchbase.h"

#include "ledger/teditclass.h"
#include "ledger/tmytype.h"
#include "session/tchange.h"
#include "session/tsession.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

namespace {

TSession& Opened() {
    static TSession* session = [] {
        auto* s = new TSession;
        const TBenchBase& base = BigBase();
        s->state.paths.dataRoot = base.dataRoot + QStringLiteral("/");
        s->state.baseFolder = base.baseFolder;
        s->OpenBase();
        return s;
    }();
    return *session;
}

void CommitSum(TSession& s, int row, const QString& sum) {
    TDataGrid& grid = s.state.Grid(TTableKind::Rashod);
    s.edit.CommitText(grid, grid.SumColumn, grid.GridRowOf(row), TEditorKind::Number, sum);
}

const QString kSums[] = {QStringLiteral("125,5"), QStringLiteral("99")};

// Floor: the commit of one sum as the editor makes it, without the door.
void BM_Baseline_CommitSum(benchmark::State& st) {
    TSession& s = Opened();
    const int row = s.state.Table(TTableKind::Rashod).RowCount() / 2;
    int i = 0;
    for (auto _ : st)
        CommitSum(s, row, kSums[i++ & 1]);
}
BENCHMARK(BM_Baseline_CommitSum)->Unit(benchmark::kMicrosecond);

// Target: at most 1.1 times the bare commit. The same sum typed through the door, recorded and kept.
void BM_CommitSumThroughTheDoor(benchmark::State& st) {
    TSession& s = Opened();
    const int row = s.state.Table(TTableKind::Rashod).RowCount() / 2;
    int i = 0;
    for (auto _ : st)
        s.Change(QStringLiteral("ввод суммы"), [&] { CommitSum(s, row, kSums[i++ & 1]); });
    s.ClearHistory();
}
BENCHMARK(BM_CommitSumThroughTheDoor)->Unit(benchmark::kMicrosecond);

// Floor: the tables alone put back (the record back in its place), without totals or views.
void BM_Baseline_TablesOfADeletionPutBack(benchmark::State& st) {
    TSession& s = Opened();
    TMemTable& rashod = s.state.Table(TTableKind::Rashod);
    TTableRecorder recorder;
    TTableRecorder* const sessions = rashod.AttachRecorder(&recorder);
    for (auto _ : st) {
        st.PauseTiming();
        TTableDelta delta;
        {
            TRecording recording(recorder, delta);
            rashod.DeleteRow(rashod.RowCount() / 2);
        }
        st.ResumeTiming();
        delta.Undo();
    }
    rashod.AttachRecorder(sessions);
}
BENCHMARK(BM_Baseline_TablesOfADeletionPutBack)->Unit(benchmark::kMillisecond);

// Target: 5 ms. A record deleted through the door (its purse and totals moved), then taken back: the
// record in its place, the purse, totals and views as before.
void BM_UndoADeletion(benchmark::State& st) {
    TSession& s = Opened();
    TDataGrid& grid = s.state.Grid(TTableKind::Rashod);
    for (auto _ : st) {
        st.PauseTiming();
        s.Change(QStringLiteral("удаление записи"),
                 [&] { s.general.DeleteLedgerRow(grid, grid.GridRowCount() / 2, false); });
        st.ResumeTiming();
        s.History().undo();
    }
    s.ClearHistory();
}
BENCHMARK(BM_UndoADeletion)->Unit(benchmark::kMillisecond);

// Target: 2 MB. The history of 200 sums typed into different records, as the allocator counts it; the
// floor is the encodings of those rows before and after, which any history must keep. The records were
// typed into once before without the door, so that the table's own buffer does not grow in the count.
void BM_HistoryOf200Steps(benchmark::State& st) {
    TSession& s = Opened();
    TMemTable& rashod = s.state.Table(TTableKind::Rashod);
    const auto row = [&](int i) { return (i * 409) % (rashod.RowCount() - 1); };
    for (int i = 0; i < 200; ++i)
        CommitSum(s, row(i), QString::number(1000 + i));
    const qint64 bare = HeapInUse();
    for (int i = 0; i < 200; ++i)
        CommitSum(s, row(i), QString::number(3000 + i));
    st.counters["bare_commits_bytes"] = double(HeapInUse() - bare);
    qint64 bytes = 0, floor = 0;
    for (auto _ : st) {
        s.ClearHistory();
        const qint64 before = HeapInUse();
        floor = 0;
        for (int i = 0; i < 200; ++i) {
            floor += 2 * rashod.RowEncoding(row(i)).size();
            s.Change(QStringLiteral("ввод суммы"), [&] { CommitSum(s, row(i), QString::number(2000 + i)); });
        }
        bytes = HeapInUse() - before;
    }
    qint64 accounted = 0;
    for (int i = 0; i < s.History().count(); ++i)
        accounted += static_cast<const TChange*>(s.History().command(i))->Size();
    s.ClearHistory();
    st.counters["history_bytes"] = double(bytes);
    st.counters["steps_own_account"] = double(accounted);
    st.counters["floor_bytes"] = double(floor);
}
BENCHMARK(BM_HistoryOf200Steps)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    return RunBigBaseBenchmarks(argc, argv, [] { Opened(); });
}
