// Packing and unpacking a base folder against zlib's raw deflate and inflate of the same bytes, and
// the memory each needs for bases of two sizes.
#include "backup/tfileunzipper.h"
#include "backup/tfilezipper.h"
#include "backup/zipmethods.h"
#include "storage/atomicfile.h"
#include "storage/tmemtable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <malloc.h>
#include <map>
#include <string>

namespace {

// ---- a base folder of table files, written without holding it in memory

class TRandom {
public:
    explicit TRandom(quint32 seed) : m_x(seed * 2654435761u + 1) {}
    quint32 Next() {
        m_x ^= m_x << 13;
        m_x ^= m_x >> 17;
        m_x ^= m_x << 5;
        return m_x;
    }

private:
    quint32 m_x;
};

QString Pick(TRandom& r, const QStringList& list) {
    return list[int(r.Next() % quint32(list.size()))];
}

QByteArray Row(TRandom& r) {
    static const QStringList kinds = {
        "Продукты", "Транспорт", "Коммунальные платежи", "Одежда", "Здоровье", "Подарки", "Дети", "Отдых",
        "Связь",    "Ремонт"};
    static const QStringList names = {"хлеб",   "молоко", "автобус", "электричество", "аптека",
                                      "куртка", "сыр",    "бензин",  "интернет",      "краска",
                                      "обои",   "фрукты", "такси"};
    static const QStringList purses = {"рубль", "карта", "доллар"};
    static const QStringList users = {"Мама", "Папа", "Аня"};
    static const QStringList notes = {"", "", "", "", "по акции", "на неделю", "вернуть долг", "к празднику"};
    const quint32 d = r.Next();
    QStringList cells = {
        QStringLiteral("%1.%2.%3")
            .arg(d % 28 + 1, 2, 10, QLatin1Char('0'))
            .arg(d / 28 % 12 + 1, 2, 10, QLatin1Char('0'))
            .arg(2014 + d / 336 % 11),
        Pick(r, kinds),
        Pick(r, names),
        QStringLiteral("%1,%2").arg(r.Next() % 50000).arg(r.Next() % 100, 2, 10, QLatin1Char('0')),
        Pick(r, purses),
        Pick(r, users),
        Pick(r, notes)};
    // Some notes carry receipt numbers and the like, which do not compress.
    if (r.Next() % 5 == 0)
        cells.last() =
            QString::number(quint64(r.Next()) << 32 | r.Next(), 36) + QString::number(r.Next(), 16);
    QByteArray row;
    memtable::AppendVarint(row, quint32(cells.size()));
    for (const QString& c : cells) {
        memtable::AppendVarint(row, quint32(memtable::CellTextSize(c)));
        memtable::AppendCellText(row, c);
    }
    QByteArray record;
    memtable::AppendVarint(record, quint32(row.size()));
    return record + row;
}

void WriteTable(const QString& path, qint64 size, quint32 seed) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    TRandom r(seed);
    QByteArray chunk;
    qint64 written = 0;
    while (written < size) {
        chunk += Row(r);
        if (chunk.size() >= (1 << 20) || written + chunk.size() >= size) {
            f.write(chunk);
            written += chunk.size();
            chunk.clear();
        }
    }
}

// The share of each table in a base, as in a family's books after some years.
void MakeBase(const QString& folder, qint64 bytes) {
    const struct {
        const char* name;
        int permille;
    } tables[] = {
        {"rashod", 450},        {"dohod", 150},    {"planrashod", 100}, {"plandohod", 50}, {"dolg", 80},
        {"transfer_purse", 40}, {"vidrashod", 10}, {"viddohod", 5},     {"purse", 1},      {"user", 1}};
    quint32 seed = 1;
    for (const auto& t : tables)
        WriteTable(folder + "/" + t.name, bytes * t.permille / 1000, seed++);
    for (int i = 1; i <= 40; ++i)
        WriteTable(folder + QStringLiteral("/Debt/debt%1").arg(i), bytes * 113 / 1000 / 40, seed++);
}

struct TBases {
    QTemporaryDir root{QDir::tempPath() + "/vm_bench_zip-XXXXXX"};
    std::map<int, QString> folders;

    QString Base(int megabytes) {
        auto it = folders.find(megabytes);
        if (it != folders.end()) return it->second;
        const QString folder = root.path() + QStringLiteral("/base%1").arg(megabytes);
        MakeBase(folder, qint64(megabytes) << 20);
        return folders[megabytes] = folder;
    }
    QString Archive(int megabytes) {
        const QString path = root.path() + QStringLiteral("/base%1.zip").arg(megabytes);
        if (!QFile::exists(path)) TFileZipper().Pack(path, Base(megabytes));
        return path;
    }
    QByteArray AllBytes(int megabytes) {
        QByteArray all;
        for (const TZipFile& f : TFileZipper::FolderFiles(Base(megabytes))) {
            QFile file(f.path);
            file.open(QIODevice::ReadOnly);
            all += file.readAll();
        }
        return all;
    }
};

TBases& Bases() {
    static TBases bases;
    return bases;
}

// ---- memory: the peak resident size reached while a benchmark runs, above where it started

long StatusKiB(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::string(key).size()));
    return 0;
}

struct TPeakRss {
    long start;
    TPeakRss() {
        malloc_trim(0); // gives freed memory back, so that reusing it shows as growth too
        std::ofstream("/proc/self/clear_refs") << "5"; // resets the peak to the present size
        start = StatusKiB("VmRSS:");
    }
    double GrowthMiB() const { return double(StatusKiB("VmHWM:") - start) / 1024.0; }
};

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

struct TTimes {
    double wall = 0;
    double cpu = 0;
};

// Mean seconds per run of each benchmark, for the summary printed at the end.
std::map<std::string, TTimes>& Seconds() {
    static std::map<std::string, TTimes> seconds;
    return seconds;
}

template <typename F> void Measure(benchmark::State& state, const std::string& name, qint64 bytes, F run) {
    TPeakRss peak;
    TTimes total;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = CpuSeconds();
        run();
        total.cpu += CpuSeconds() - c0;
        total.wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["peak_rss_growth_MiB"] = peak.GrowthMiB();
    const double n = double(state.iterations());
    Seconds()[name + "/" + std::to_string(state.range(0))] = {total.wall / n, total.cpu / n};
}

void BM_ZipPack(benchmark::State& state) {
    const int mb = int(state.range(0));
    const QString base = Bases().Base(mb);
    const QString archive = Bases().root.path() + "/packed.zip";
    Measure(state, "pack", qint64(mb) << 20, [&] {
        TFileZipper zipper;
        if (!zipper.Pack(archive, base)) state.SkipWithError(qPrintable(zipper.Error()));
    });
    state.counters["archive_MiB"] = double(QFileInfo(archive).size()) / (1 << 20);
}

void Unpack(benchmark::State& state, const std::string& name, const QString& target) {
    const int mb = int(state.range(0));
    const QString archive = Bases().Archive(mb);
    Measure(state, name, qint64(mb) << 20, [&] {
        TFileUnzipper unzipper;
        if (!unzipper.Unpack(archive, target)) state.SkipWithError(qPrintable(unzipper.Error()));
    });
}

// Every unpacked file reaches the disk before it replaces the old one: most of the time on a disk
// is the writing itself, which the next two runs set apart.
void BM_ZipUnpack(benchmark::State& state) {
    Unpack(state, "unpack", Bases().root.path() + "/unpacked");
}

void BM_ZipUnpackToMemoryFs(benchmark::State& state) {
    QTemporaryDir shm(QStringLiteral("/dev/shm/vm_bench_zip-XXXXXX"));
    if (!shm.isValid()) {
        state.SkipWithError("no /dev/shm");
        return;
    }
    Unpack(state, "unpack to memory fs", shm.path());
}

// The same files written as the program writes every file (temporary, sync, rename), without zip.
void DurableWrite(benchmark::State& state, const std::string& name, const QString& target) {
    const int mb = int(state.range(0));
    const QString base = Bases().Base(mb);
    std::vector<char> block(ZipBlockSize);
    Measure(state, name, qint64(mb) << 20, [&] {
        for (const TZipFile& f : TFileZipper::FolderFiles(base)) {
            const QString path = target + "/" + f.name;
            MakePrivateFolder(QFileInfo(path).absolutePath());
            QFile in(f.path);
            TAtomicFile out(path);
            if (!in.open(QIODevice::ReadOnly) || !out.Open()) state.SkipWithError("cannot copy");
            qint64 n = 0;
            while ((n = in.read(block.data(), qint64(block.size()))) > 0)
                out.Write(block.data(), n);
            out.Commit();
        }
    });
}

void BM_DurableWrite(benchmark::State& state) {
    DurableWrite(state, "durable write", Bases().root.path() + "/written");
}

void BM_DurableWriteToMemoryFs(benchmark::State& state) {
    QTemporaryDir shm(QStringLiteral("/dev/shm/vm_bench_zip-XXXXXX"));
    if (!shm.isValid()) {
        state.SkipWithError("no /dev/shm");
        return;
    }
    DurableWrite(state, "durable write to memory fs", shm.path());
}

// What reading an archive whole into memory would cost, to show the memory figure at work.
void BM_ReadArchiveWhole(benchmark::State& state) {
    const int mb = int(state.range(0));
    const QString archive = Bases().Archive(mb);
    Measure(state, "read archive whole", qint64(mb) << 20, [&] {
        QFile f(archive);
        f.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(f.readAll().size());
    });
}

void BM_ZipVerify(benchmark::State& state) {
    const int mb = int(state.range(0));
    const QString archive = Bases().Archive(mb);
    Measure(state, "verify", qint64(mb) << 20, [&] {
        TFileUnzipper unzipper;
        if (!unzipper.Verify(archive)) state.SkipWithError(qPrintable(unzipper.Error()));
    });
}

// zlib alone on the same bytes held in memory: raw deflate at the backups' level, with the same
// 1 MiB output block, and raw inflate of the result.
void BM_ZlibDeflate(benchmark::State& state) {
    const int mb = int(state.range(0));
    const QByteArray bytes = Bases().AllBytes(mb);
    std::vector<char> out(ZipBlockSize);
    Measure(state, "zlib deflate", qint64(mb) << 20, [&] {
        z_stream z{};
        deflateInit2(&z, ZlibLevelForArchiveLevel(ZipDefaultLevel), Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
        z.avail_in = uInt(bytes.size());
        int rc = Z_OK;
        while (rc != Z_STREAM_END) {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = uInt(out.size());
            rc = deflate(&z, Z_FINISH);
        }
        benchmark::DoNotOptimize(z.total_out);
        deflateEnd(&z);
    });
}

void BM_ZlibInflate(benchmark::State& state) {
    const int mb = int(state.range(0));
    QByteArray packed;
    {
        const QByteArray bytes = Bases().AllBytes(mb);
        z_stream z{};
        deflateInit2(&z, ZlibLevelForArchiveLevel(ZipDefaultLevel), Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
        packed.resize(qsizetype(deflateBound(&z, uLong(bytes.size()))));
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
        z.avail_in = uInt(bytes.size());
        z.next_out = reinterpret_cast<Bytef*>(packed.data());
        z.avail_out = uInt(packed.size());
        deflate(&z, Z_FINISH);
        packed.resize(qsizetype(z.total_out));
        deflateEnd(&z);
    }
    std::vector<char> out(ZipBlockSize);
    Measure(state, "zlib inflate", qint64(mb) << 20, [&] {
        z_stream z{};
        inflateInit2(&z, -15);
        z.next_in = reinterpret_cast<Bytef*>(packed.data());
        z.avail_in = uInt(packed.size());
        int rc = Z_OK;
        while (rc == Z_OK) {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = uInt(out.size());
            rc = inflate(&z, Z_NO_FLUSH);
        }
        benchmark::DoNotOptimize(z.total_out);
        inflateEnd(&z);
    });
}

BENCHMARK(BM_ZipPack)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ZlibDeflate)->Arg(50)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ZipUnpack)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ZipUnpackToMemoryFs)->Arg(50)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ZipVerify)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ZlibInflate)->Arg(50)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_DurableWrite)->Arg(50)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_DurableWriteToMemoryFs)->Arg(50)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_ReadArchiveWhole)->Arg(50)->Unit(benchmark::kMillisecond)->MinTime(1);

void PrintSummary() {
    const auto& s = Seconds();
    const auto get = [&](const std::string& key) { return s.count(key) ? s.at(key) : TTimes{}; };
    const auto line = [&](const char* what, const std::string& zip, TTimes base) {
        const TTimes t = get(zip);
        if (t.wall <= 0 || base.wall <= 0) return;
        std::printf("%-32s %8.1f ms (cpu %7.1f)   baseline %8.1f ms (cpu %7.1f)   ratio %.3f (cpu %.3f)\n",
                    what, t.wall * 1e3, t.cpu * 1e3, base.wall * 1e3, base.cpu * 1e3, t.wall / base.wall,
                    t.cpu / base.cpu);
    };
    const TTimes inflate = get("zlib inflate/50");
    const auto plus = [](TTimes a, TTimes b) { return TTimes{a.wall + b.wall, a.cpu + b.cpu}; };
    std::printf("\n50 MB base against zlib alone on the same bytes (target: ratio 1.15 or less)\n");
    line("pack / deflate", "pack/50", get("zlib deflate/50"));
    line("verify / inflate", "verify/50", inflate);
    line("unpack to memory fs / inflate", "unpack to memory fs/50", inflate);
    line("  / inflate + same writes", "unpack to memory fs/50",
         plus(inflate, get("durable write to memory fs/50")));
    line("unpack to disk / inflate", "unpack/50", inflate);
    line("  / inflate + same writes", "unpack/50", plus(inflate, get("durable write/50")));
    std::printf(
        "\nPeak memory growth while running (MiB): see peak_rss_growth_MiB above, for 10 and 50 MB bases\n");
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    PrintSummary();
    benchmark::Shutdown();
    return 0;
}
