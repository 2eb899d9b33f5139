// Drawing the analysis chart: what one run of the analysis costs the chart, beside the cost of
// merely reading its value table and filling its bitmap.
#include "analysis/tgraphimage.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

const QSize kSize(800, 500);

std::unique_ptr<TGraphImage> FilledChart(int points) {
    auto chart = std::make_unique<TGraphImage>();
    chart->SetShowLegend(false);
    chart->ResizeGraph(kSize);
    chart->ClearGraph();
    for (int k = 1; k <= points; ++k) {
        chart->SetValue(1, k, 100 + (k * 37) % 1000);
        chart->SetPointLabel(k, QStringLiteral("Вид расходов %1: %2").arg(k).arg(100 + (k * 37) % 1000));
    }
    return chart;
}

// Baseline: one pass over a table of the chart's size, as the scale makes.
void BM_ReadValueTable(benchmark::State& state) {
    std::vector<double> values(1000 * 1000, 0.0);
    for (auto _ : state) {
        double max = 0;
        for (double v : values)
            max = v > max ? v : max;
        benchmark::DoNotOptimize(max);
    }
}
BENCHMARK(BM_ReadValueTable)->Unit(benchmark::kMillisecond);

// Baseline: filling the bitmap once.
void BM_FillBitmap(benchmark::State& state) {
    QImage image(kSize, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FillBitmap)->Unit(benchmark::kMillisecond);

// What the analysis does on every run: clear, fill, scale and draw bars, then the pie.
void BM_AnalysisRun(benchmark::State& state) {
    const int points = int(state.range(0));
    auto chart = FilledChart(points);
    for (auto _ : state) {
        chart->ClearGraph();
        for (int k = 1; k <= points; ++k)
            chart->SetValue(1, k, 100 + (k * 37) % 1000);
        chart->PrepareGraph();
        benchmark::DoNotOptimize(chart->DrawPie());
    }
}
BENCHMARK(BM_AnalysisRun)->Arg(20)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_DrawBars(benchmark::State& state) {
    auto chart = FilledChart(int(state.range(0)));
    chart->PrepareGraph();
    for (auto _ : state)
        chart->DrawBars();
}
BENCHMARK(BM_DrawBars)->Arg(20)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_DrawPie(benchmark::State& state) {
    auto chart = FilledChart(int(state.range(0)));
    chart->PrepareGraph();
    const double first = chart->State().Value(1, 1);
    for (auto _ : state) {
        chart->SetValue(1, 1, first); // a pie already on show would not be drawn again
        benchmark::DoNotOptimize(chart->DrawPie());
    }
}
BENCHMARK(BM_DrawPie)->Arg(20)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Text needs a GUI application; no screen is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
