// Restoring an archive of the big base over the open base, beside its floor measured in the same run:
// unpacking the same archive into an empty folder made durable with one flush, plus reading the base
// again, which every restore over the open base ends with. Unpacking with a flush of each file is shown
// too, as what the restore would cost that way. Then writing the daily copy, beside its floor: raw zlib
// deflate of the same files read from disk.
#include "benchbase.h"

#include "backup/tarhiverestore.h"
#include "backup/tarhivetype.h"
#include "backup/tdailyarhive.h"
#include "backup/tfileunzipper.h"
#include "backup/tfilezipper.h"
#include "backup/tziparchive.h"
#include "backup/zipmethods.h"
#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"
#include "storage/datafolders.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <utility>
#include <vector>

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

// The open copy the daily copy and its floor both work on, made once.
TOpenCopy& DailyBase() {
    static TOpenCopy copy;
    return copy;
}

// The files of a folder with their sizes, listed before any figure is taken.
std::vector<std::pair<QByteArray, qint64>> FilesOf(const QString& folder) {
    std::vector<std::pair<QByteArray, qint64>> files;
    for (const TZipFile& f : TFileZipper::FolderFiles(folder))
        files.push_back({QFile::encodeName(f.path), QFileInfo(f.path).size()});
    return files;
}

// Seconds per run of the floor below, for the ratio the daily copy shows beside it.
double& FloorSeconds() {
    static double seconds = 0;
    return seconds;
}

// The floor of the daily copy: every file of the base read from disk and deflated raw on its own, at
// the level the backups use, the output thrown away. No listing, no headers, no CRC, no writing, no
// reading back: any copy of those files costs at least this.
void BM_DailyCopyFloorZlibDeflate(benchmark::State& s) {
    TOpenCopy& copy = DailyBase();
    arhive::WriteInfo(copy.state);
    const auto files = FilesOf(copy.state.baseFolder);
    std::vector<char> in(ZipBlockSize);
    std::vector<char> out(ZipBlockSize);
    z_stream z{};
    deflateInit2(&z, ZlibLevelForArchiveLevel(ZipDefaultLevel), Z_DEFLATED, -MAX_WBITS, 8,
                 Z_DEFAULT_STRATEGY);
    qint64 bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : s) {
        for (const auto& file : files) {
            const int fd = ::open(file.first.constData(), O_RDONLY | O_CLOEXEC);
            deflateReset(&z);
            for (;;) {
                const ssize_t n = ::read(fd, in.data(), in.size());
                z.next_in = reinterpret_cast<Bytef*>(in.data());
                z.avail_in = uInt(std::max<ssize_t>(n, 0));
                const int flush = n > 0 ? Z_NO_FLUSH : Z_FINISH;
                int rc = Z_OK;
                do {
                    z.next_out = reinterpret_cast<Bytef*>(out.data());
                    z.avail_out = uInt(out.size());
                    rc = deflate(&z, flush);
                } while (z.avail_out == 0);
                bytes += n > 0 ? n : 0;
                if (n <= 0 || rc == Z_STREAM_END) break;
            }
            ::close(fd);
            benchmark::DoNotOptimize(z.total_out);
        }
    }
    deflateEnd(&z);
    FloorSeconds() = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                     double(s.iterations());
    s.counters["files"] = double(files.size());
    s.SetBytesProcessed(bytes);
}
BENCHMARK(BM_DailyCopyFloorZlibDeflate)->Unit(benchmark::kMillisecond)->Iterations(3);

// Packing the base folder alone with the program's packer, for context.
void BM_PackBaseline(benchmark::State& s) {
    for (auto _ : s)
        TFileZipper().Pack(Scratch().path() + QStringLiteral("/pack.zip"), BigBase().baseFolder);
}
BENCHMARK(BM_PackBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);

// What the program runs when it ends: the base packed into the day's archive, read back and checked,
// then put in place of the day's earlier copy.
void BM_DailyCopy(benchmark::State& s) {
    TOpenCopy& copy = DailyBase();
    TDailyArhive daily(copy.state);
    bool written = true;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : s)
        written = daily.Write(QDate(2026, 12, 10)) && written;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                           double(s.iterations());
    if (!written) s.SkipWithError("the daily copy was not written");
    if (FloorSeconds() > 0) s.counters["x_floor"] = seconds / FloorSeconds();
}
BENCHMARK(BM_DailyCopy)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return RunBigBaseBenchmarks(argc, argv, [] { BigArchive(); });
}
