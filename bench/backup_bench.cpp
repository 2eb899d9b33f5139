// Restoring an archive of the big base over the open base, beside its floor measured in the same run:
// unpacking the same archive into an empty folder made durable with one flush, plus reading the base
// again, which every restore over the open base ends with. Unpacking with a flush of each file is shown
// too, as what the restore would cost that way. Then writing the daily copy, beside packing the base.
#include "benchbase.h"

#include "backup/tarhiverestore.h"
#include "backup/tarhivetype.h"
#include "backup/tdailyarhive.h"
#include "backup/tfileunzipper.h"
#include "backup/tfilezipper.h"
#include "backup/tziparchive.h"
#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"
#include "storage/datafolders.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

QTemporaryDir& Scratch() {
    static QTemporaryDir dir;
    return dir;
}

// A data root with a copy of the big base opened as "Семья". What the copy left unwritten is flushed
// before any figure is taken, so that no flush measured pays for it.
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
        ::sync();
    }
};

// The big base packed once, as a user's archive of it (with its information table).
const QString& BigArchive() {
    static const QString path = [] {
        const QString archive = Scratch().path() + QStringLiteral("/big.zip");
        TOpenCopy copy;
        QString error;
        arhive::PackBase(copy.state, archive, error);
        ::sync();
        return archive;
    }();
    return path;
}

// Every entry written into an empty folder without a flush of its own, then the folder's file system
// flushed once: the least a durable restore can do with the archive.
void BM_UnpackFlushedOnce(benchmark::State& s) {
    for (auto _ : s) {
        s.PauseTiming();
        auto dir = std::make_unique<QTemporaryDir>();
        const QString out = dir->path() + QStringLiteral("/out");
        QDir().mkpath(out);
        ::sync();
        s.ResumeTiming();
        TZipArchive zip;
        zip.Open(BigArchive());
        QString error;
        for (const TZipItem& item : zip.Items())
            zip.Extract(item, out, error, TZipArchive::TFlush::ByCaller);
        const int fd = ::open(QFile::encodeName(out).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::syncfs(fd);
        ::close(fd);
        s.PauseTiming();
        dir.reset();
        s.ResumeTiming();
    }
}
BENCHMARK(BM_UnpackFlushedOnce)->Unit(benchmark::kMillisecond)->Iterations(3);

// The base read again whole, as the restore does once the files are in place.
void BM_ReloadBase(benchmark::State& s) {
    TOpenCopy copy;
    for (auto _ : s)
        TBaseLoader::OpenBase(copy.state);
}
BENCHMARK(BM_ReloadBase)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every file written and flushed on its own, as unpacking into a folder in general does.
void BM_UnpackEachFileFlushed(benchmark::State& s) {
    for (auto _ : s) {
        QTemporaryDir dir;
        TFileUnzipper().Unpack(BigArchive(), dir.path() + QStringLiteral("/out"));
    }
}
BENCHMARK(BM_UnpackEachFileFlushed)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RestoreOverOpenBase(benchmark::State& s) {
    int replaced = 0;
    for (auto _ : s) {
        s.PauseTiming();
        auto copy = std::make_unique<TOpenCopy>();
        TArhiveHooks hooks;
        hooks.reloadBase = [&] { TBaseLoader::OpenBase(copy->state); };
        TArhiveRestore restore(copy->state, hooks);
        s.ResumeTiming();
        replaced += restore.RestoreOver(BigArchive()) == TArhiveRestore::TResult::Replaced;
        s.PauseTiming();
        copy.reset();
        s.ResumeTiming();
    }
    // A restore that was refused would be quick for nothing.
    s.counters["replaced"] = replaced;
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
