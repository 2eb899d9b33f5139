// Opening and saving the big base, beside reading the same files' bytes.
#include "benchbase.h"

#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"
#include "storage/tmessageboxclass.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

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
BENCHMARK(BM_ReadFilesBaseline)->Unit(benchmark::kMillisecond);

void BM_OpenBase(benchmark::State& s) {
    const TBenchBase& base = BigBase();
    for (auto _ : s) {
        TMyType state;
        OpenInto(state, base);
        benchmark::DoNotOptimize(state.Table(TTableKind::Rashod).RowCount());
    }
}
BENCHMARK(BM_OpenBase)->Unit(benchmark::kMillisecond);

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
}
BENCHMARK(BM_OpenBaseMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SaveBase(benchmark::State& s) {
    const TBenchBase& base = BigBase();
    QTemporaryDir copy;
    TMyType state;
    OpenInto(state, base);
    state.baseFolder = copy.path() + QStringLiteral("/BASE/Base1");
    state.paths.dataRoot = copy.path() + QStringLiteral("/");
    for (auto _ : s)
        TBaseLoader::SaveBase(state);
}
BENCHMARK(BM_SaveBase)->Unit(benchmark::kMillisecond);

class TSilent final : public IMessagePresenter {
public:
    TMsgButton Present(const TMessage& m, bool*) override { return m.defaultButton; }
    void Beep() override {}
    void ShowCellHint(int, int, int, const QString&) override {}
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TSilent silent;
    Messages().SetPresenter(&silent);
    benchmark::Initialize(&argc, argv);
    BigBase();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
