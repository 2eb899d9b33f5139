// Opening and saving the big base, beside reading the same files' bytes.
#include "benchbase.h"

#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"
#include "storage/tmessageboxclass.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void OpenInto(TMyType& state, const TBenchBase& base) {
    state.paths.dataRoot = base.dataRoot + QStringLiteral("/");
    state.baseFolder = base.baseFolder;
    TBaseLoader::OpenBase(state);
}

void BM_ReadFilesBaseline(benchmark::State& s) {
    const TBenchBase& base = BigBase();
    for (auto _ : s)
        benchmark::DoNotOptimize(ReadAllFiles(base.baseFolder));
    s.counters["MB"] = double(base.fileBytes) / 1e6;
}
BENCHMARK(BM_ReadFilesBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenBase(benchmark::State& s) {
    const TBenchBase& base = BigBase();
    for (auto _ : s) {
        TMyType state;
        OpenInto(state, base);
        benchmark::DoNotOptimize(state.Table(TTableKind::Rashod).RowCount());
    }
}
BENCHMARK(BM_OpenBase)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenBaseMemory(benchmark::State& s) {
    const TBenchBase& base = BigBase();
    double ratio = 0;
    for (auto _ : s) {
        const qint64 before = HeapInUse();
        auto state = std::make_unique<TMyType>();
        OpenInto(*state, base);
        ratio = double(HeapInUse() - before) / double(base.fileBytes);
        benchmark::DoNotOptimize(state.get());
    }
    s.counters["heap_per_file_byte"] = ratio;
    // Where it goes: the rows' encodings, and the rows themselves.
    TMyType state;
    OpenInto(state, base);
    double rows = 0, buffers = 0;
    auto add = [&](const TMemTable& t) {
        rows += t.RowCount();
        buffers += double(t.BufferSize());
    };
    for (TTableKind k : LedgerKinds())
        add(state.Table(k));
    for (const auto& r : state.returns)
        if (r) add(*r);
    s.counters["rows"] = rows;
    s.counters["buffers_per_file_byte"] = buffers / double(base.fileBytes);
}
BENCHMARK(BM_OpenBaseMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SaveBase(benchmark::State& s) {
    const TBenchBase& base = BigBase();
    QTemporaryDir copy;
    TMyType state;
    OpenInto(state, base);
    state.baseFolder = copy.path() + QStringLiteral("/BASE/Base1");
    state.paths.dataRoot = copy.path() + QStringLiteral("/");
    TBaseLoader::SaveBase(state); // the first save there writes every file
    for (auto _ : s)
        TBaseLoader::SaveBase(state);
}
BENCHMARK(BM_SaveBase)->Unit(benchmark::kMillisecond)->UseRealTime();

// The evening's usual save: one expense typed, so the expenses file is written again (with its fsync).
void BM_SaveBaseAfterOneEdit(benchmark::State& s) {
    const TBenchBase& base = BigBase();
    QTemporaryDir copy;
    TMyType state;
    OpenInto(state, base);
    state.baseFolder = copy.path() + QStringLiteral("/BASE/Base1");
    state.paths.dataRoot = copy.path() + QStringLiteral("/");
    TBaseLoader::SaveBase(state);
    int n = 0;
    for (auto _ : s) {
        state.Table(TTableKind::Rashod).Row(5)->SetCell(3, QString::number(++n));
        TBaseLoader::SaveBase(state);
    }
}
BENCHMARK(BM_SaveBaseAfterOneEdit)->Unit(benchmark::kMillisecond)->UseRealTime();

// The inode of every file under a folder: a file written again (a new file renamed over it) gets a
// new one.
std::map<QString, quint64> Inodes(const QString& folder) {
    std::map<QString, quint64> inodes;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) == 0) inodes[path] = quint64(st.st_ino);
    }
    return inodes;
}

// The save at a close when nothing was edited since the base was opened: it should write nothing.
void BM_SaveBaseReopenedWithNothingEdited(benchmark::State& s) {
    const TBenchBase& base = BigBase();
    QTemporaryDir copy;
    const QString folder = copy.path() + QStringLiteral("/BASE/Base1");
    {
        TMyType state;
        OpenInto(state, base);
        state.baseFolder = folder;
        state.paths.dataRoot = copy.path() + QStringLiteral("/");
        TBaseLoader::SaveBase(state); // the base as this program writes it
    }
    const TBenchBase saved{copy.path(), folder, base.fileBytes};
    double rewritten = 0;
    for (auto _ : s) {
        s.PauseTiming();
        auto state = std::make_unique<TMyType>();
        OpenInto(*state, saved);
        const auto before = Inodes(folder);
        s.ResumeTiming();
        TBaseLoader::SaveBase(*state);
        s.PauseTiming();
        rewritten = 0;
        for (const auto& [path, inode] : Inodes(folder))
            rewritten += before.count(path) == 0 || before.at(path) != inode ? 1 : 0;
        state.reset();
        s.ResumeTiming();
    }
    s.counters["files_rewritten"] = rewritten;
}
BENCHMARK(BM_SaveBaseReopenedWithNothingEdited)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The floor for writing every table: the same number of bytes in one file, written and flushed once.
void BM_Baseline_OneFlushedWriteOfTheSameBytes(benchmark::State& s) {
    const TBenchBase& base = BigBase();
    QTemporaryDir copy;
    const QByteArray bytes(qsizetype(base.fileBytes), 'x');
    const QByteArray path = QFile::encodeName(copy.path() + QStringLiteral("/all"));
    for (auto _ : s) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0) break;
            done += n;
        }
        ::fsync(fd);
        ::close(fd);
    }
    s.counters["MB"] = double(base.fileBytes) / 1e6;
}
BENCHMARK(BM_Baseline_OneFlushedWriteOfTheSameBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every table of the base written, as after a restore or the first save of a converted base.
void BM_SaveBaseEveryTable(benchmark::State& s) {
    const TBenchBase& base = BigBase();
    QTemporaryDir copy;
    TMyType state;
    OpenInto(state, base);
    state.baseFolder = copy.path() + QStringLiteral("/BASE/Base1");
    state.paths.dataRoot = copy.path() + QStringLiteral("/");
    for (auto _ : s) {
        for (TTableKind k : LedgerKinds())
            state.Table(k).Touch();
        for (auto& r : state.returns)
            r->Touch();
        for (TMemTable* t : {&state.users, &state.vidRashod, &state.vidDohod, &state.Table(TTableKind::Purse),
                             &state.Table(TTableKind::Transfer)})
            t->Touch();
        if (!TBaseLoader::SaveBase(state)) s.SkipWithError("the save failed");
    }
    s.counters["files"] = double(state.returns.size() + 11);
}
BENCHMARK(BM_SaveBaseEveryTable)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    return RunBigBaseBenchmarks(argc, argv);
}
