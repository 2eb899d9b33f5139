// Restoring an archive of the big base over the open base, beside unpacking the same archive into an
// empty folder (the check every restore starts with); writing the daily copy, beside packing the base.
#include "benchbase.h"

#include "backup/tarhiverestore.h"
#include "backup/tarhivetype.h"
#include "backup/tdailyarhive.h"
#include "backup/tfileunzipper.h"
#include "backup/tfilezipper.h"
#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"
#include "storage/datafolders.h"

#include <QDate>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir& Scratch() {
    static QTemporaryDir dir;
    return dir;
}

// The big base packed once, as a user's archive of it.
const QString& BigArchive() {
    static const QString path = [] {
        const QString archive = Scratch().path() + QStringLiteral("/big.zip");
        TFileZipper().Pack(archive, BigBase().baseFolder);
        return archive;
    }();
    return path;
}

// A data root with a copy of the big base opened as "Семья".
struct TOpenCopy {
    QTemporaryDir dir;
    TMyType state;
    TOpenCopy() {
        state.paths.dataRoot = dir.path() + QStringLiteral("/");
        state.paths.backupCopyFolder = dir.path() + QStringLiteral("/copies/");
        state.baseName = QStringLiteral("Семья");
        state.userName = QStringLiteral("Мама");
        state.baseFolder = dir.path() + QStringLiteral("/BASE/Семья");
        CopyFolderRecursively(BigBase().baseFolder, state.baseFolder);
        TBaseLoader::OpenBase(state);
    }
};

void BM_UnpackBaseline(benchmark::State& s) {
    for (auto _ : s) {
        QTemporaryDir dir;
        TFileUnzipper().Unpack(BigArchive(), dir.path() + QStringLiteral("/out"));
    }
}
BENCHMARK(BM_UnpackBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RestoreOverOpenBase(benchmark::State& s) {
    for (auto _ : s) {
        s.PauseTiming();
        auto copy = std::make_unique<TOpenCopy>();
        TArhiveHooks hooks;
        hooks.reloadBase = [&] { TBaseLoader::OpenBase(copy->state); };
        TArhiveRestore restore(copy->state, hooks);
        s.ResumeTiming();
        restore.RestoreOver(BigArchive());
        s.PauseTiming();
        copy.reset();
        s.ResumeTiming();
    }
}
BENCHMARK(BM_RestoreOverOpenBase)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PackBaseline(benchmark::State& s) {
    for (auto _ : s)
        TFileZipper().Pack(Scratch().path() + QStringLiteral("/pack.zip"), BigBase().baseFolder);
}
BENCHMARK(BM_PackBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DailyCopy(benchmark::State& s) {
    TOpenCopy copy;
    TDailyArhive daily(copy.state);
    for (auto _ : s)
        daily.Write(QDate(2026, 12, 10));
}
BENCHMARK(BM_DailyCopy)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return RunBigBaseBenchmarks(argc, argv, [] { BigArchive(); });
}
