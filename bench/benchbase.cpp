#include "benchbase.h"

#include "basegenerator.h"

#include <QCoreApplication>

#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <optional>

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

TBenchBase Generate(const QTemporaryDir& dir, const TBaseSize& size) {
    TBenchBase b;
    b.dataRoot = dir.path();
    b.baseFolder = GenerateBase(b.dataRoot, QStringLiteral("Base1"), size);
    QDirIterator it(b.baseFolder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        b.fileBytes += it.fileInfo().size();
    }
    return b;
}

} // namespace

const TBenchBase& BigBase() {
    static QTemporaryDir dir;
    static const TBenchBase base = Generate(dir, TBaseSize{});
    return base;
}

const TBenchBase& MillionBase() {
    static QTemporaryDir dir;
    static const TBenchBase base = Generate(dir, TBaseSize::Scaled(10));
    return base;
}

qint64 PeakResidentBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

qint64 ReadAllFiles(const QString& folder) {
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly)) total += f.readAll().size();
    }
    return total;
}

qint64 HeapInUse() {
    // Large blocks are mapped on their own and are not in the arena's figure.
    const struct mallinfo2 m = mallinfo2();
    return qint64(m.uordblks + m.hblkhd);
}

int RunBenchmarks(int argc, char** argv, const std::function<void()>& prepare) {
    // A benchmark that draws makes its own GUI application first.
    std::optional<QCoreApplication> app;
    if (!QCoreApplication::instance()) app.emplace(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TSilentMessages silent;
    Messages().SetPresenter(&silent);
    benchmark::Initialize(&argc, argv);
    if (prepare) prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Messages().SetPresenter(nullptr);
    return 0;
}

int RunBigBaseBenchmarks(int argc, char** argv, const std::function<void()>& prepare) {
    return RunBenchmarks(argc, argv, [&] {
        BigBase();
        if (prepare) prepare();
    });
}
