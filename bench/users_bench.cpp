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
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

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
        // On the disk before the clock runs: a flush of the move must not pay for the copy.
        const int fd = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::syncfs(fd);
        ::close(fd);
    }
};

// Copies every file of a folder tree into another with plain reads and writes, none of them flushed
// on its own; then one flush of the file system and one of each folder, as a save of many files does.
void CopyTree(const QString& from, const QString& to, QStringList& folders) {
    QDir().mkpath(to);
    folders << to;
    const QDir source(from);
    for (const QFileInfo& e :
         source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString target = to + QLatin1Char('/') + e.fileName();
        if (e.isDir()) {
            CopyTree(e.absoluteFilePath(), target, folders);
            continue;
        }
        const int in = ::open(QFile::encodeName(e.absoluteFilePath()).constData(), O_RDONLY | O_CLOEXEC);
        const int out =
            ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        char buffer[1 << 16];
        ssize_t n = 0;
        while (in >= 0 && out >= 0 && (n = ::read(in, buffer, sizeof buffer)) > 0)
            if (::write(out, buffer, size_t(n)) != n) break;
        if (in >= 0) ::close(in);
        if (out >= 0) ::close(out);
    }
}

void CopyFlushed(const QString& from, const QString& to) {
    QStringList folders;
    CopyTree(from, to, folders);
    const int root = ::open(QFile::encodeName(to).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::syncfs(root);
    ::close(root);
    for (const QString& folder : folders) {
        const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::fsync(fd);
        ::close(fd);
    }
}

// The floor of a move: the base's files read and written once, flushed as the move flushes them, none
// of them decoded.
void BM_CopyBaseBaseline(benchmark::State& s) {
    for (auto _ : s) {
        s.PauseTiming();
        auto dir = std::make_unique<QTemporaryDir>();
        s.ResumeTiming();
        CopyFlushed(BigBase().baseFolder, dir->path() + QStringLiteral("/copy"));
        s.PauseTiming();
        dir.reset();
        s.ResumeTiming();
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
