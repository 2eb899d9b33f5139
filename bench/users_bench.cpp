// Moving a user's records to another base and renaming a user in a base's files, on the big base,
// beside copying and rewriting the same files.
#include "benchbase.h"

#include "ledger/tmytype.h"
#include "storage/datafolders.h"
#include "storage/tabledefs.h"
#include "storage/tmemtable.h"
#include "storage/tmessageboxclass.h"
#include "users/trecordmover.h"
#include "users/tuserslogic.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A fresh copy of the big base as "Семья" and an empty "Дача" beside it.
struct TTwoBases {
    QTemporaryDir dir;
    QString from, to;
    TTwoBases() {
        from = dir.path() + QStringLiteral("/BASE/Семья");
        to = dir.path() + QStringLiteral("/BASE/Дача");
        CopyFolderRecursively(BigBase().baseFolder, from);
        QDir().mkpath(to);
    }
};

void BM_CopyBaseBaseline(benchmark::State& s) {
    for (auto _ : s) {
        QTemporaryDir dir;
        CopyFolderRecursively(BigBase().baseFolder, dir.path() + QStringLiteral("/copy"));
    }
    s.counters["MB"] = double(BigBase().fileBytes) / 1e6;
}
BENCHMARK(BM_CopyBaseBaseline)->Unit(benchmark::kMillisecond);

void BM_MoveHalfTheRecords(benchmark::State& s) {
    for (auto _ : s) {
        s.PauseTiming();
        auto bases = std::make_unique<TTwoBases>();
        s.ResumeTiming();
        TRecordMover::Move(bases->from, bases->to, QStringLiteral("Папа"));
        s.PauseTiming();
        bases.reset();
        s.ResumeTiming();
    }
}
BENCHMARK(BM_MoveHalfTheRecords)->Unit(benchmark::kMillisecond);

void BM_RewriteLedgersBaseline(benchmark::State& s) {
    TTwoBases bases;
    for (auto _ : s) {
        for (TTableKind kind : LedgerKinds()) {
            TMemTable t;
            const QString path = JoinPath(bases.from, TableDef(kind).fileName);
            t.LoadFromFile(path);
            t.SaveToFile(path);
        }
    }
}
BENCHMARK(BM_RewriteLedgersBaseline)->Unit(benchmark::kMillisecond);

void BM_RenameUserInFiles(benchmark::State& s) {
    TTwoBases bases;
    TMyType state;
    state.paths.dataRoot = bases.dir.path() + QStringLiteral("/");
    state.users.AddRow()->SetCells(
        {QStringLiteral("Папа"), QStringLiteral("Семья"), cells::kAdmin, QStringLiteral("0")});
    TUsersLogic users(state);
    bool back = false;
    for (auto _ : s) {
        users.CommitName(0, back ? QStringLiteral("Папа") : QStringLiteral("Отец"));
        back = !back;
    }
}
BENCHMARK(BM_RenameUserInFiles)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBigBaseBenchmarks(argc, argv);
}
