// Copying the big base's BASE tree with the folder copier (every file written to a temporary file,
// synced and renamed), beside a plain copy of the same files and beside reading their bytes.
#include "benchbase.h"

#include "storage/tfilecopier.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QString BaseTree() {
    return BigBase().dataRoot + QStringLiteral("/BASE");
}

qint64 TreeBytes(const QString& folder) {
    qint64 bytes = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        bytes += it.fileInfo().size();
    }
    return bytes;
}

void BM_ReadTreeBaseline(benchmark::State& s) {
    const QString tree = BaseTree();
    for (auto _ : s)
        benchmark::DoNotOptimize(ReadAllFiles(tree));
    s.SetBytesProcessed(s.iterations() * TreeBytes(tree));
}
BENCHMARK(BM_ReadTreeBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

// QFile::copy of every file: no temporary file, no sync.
void BM_PlainCopyBaseline(benchmark::State& s) {
    const QString tree = BaseTree();
    for (auto _ : s) {
        QTemporaryDir target;
        QDirIterator it(tree, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString to = target.path() + QLatin1Char('/') + QDir(tree).relativeFilePath(path);
            if (it.fileInfo().isDir())
                QDir().mkpath(to);
            else
                QFile::copy(path, to);
        }
        s.PauseTiming();
        target.remove();
        s.ResumeTiming();
    }
    s.SetBytesProcessed(s.iterations() * TreeBytes(tree));
}
BENCHMARK(BM_PlainCopyBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FileCopier(benchmark::State& s) {
    const QString tree = BaseTree();
    TFileCopier copier;
    for (auto _ : s) {
        QTemporaryDir target;
        if (!copier.CopyFolder(tree, target.path() + QStringLiteral("/BASE"), false, false, false))
            s.SkipWithError("copy failed");
        s.PauseTiming();
        target.remove();
        s.ResumeTiming();
    }
    s.SetBytesProcessed(s.iterations() * copier.BytesCopied());
    s.counters["files"] = copier.FilesCopied();
}
BENCHMARK(BM_FileCopier)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return RunBigBaseBenchmarks(argc, argv);
}
