// Printing 10,000 expenses of the opened big base to a PDF file, beside drawing the same text into an
// image (the floor: the same words laid out without a printer), with the memory each takes.
#include "benchbase.h"
#include "openedbase.h"

#include "ledger/tmytype.h"
#include "output/tprintclass.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

constexpr int kRows = 10000;

TPrintContent Content() {
    const TDataGrid& grid = OpenedBigBase().Grid(TTableKind::Rashod);
    TPrintContent content = TPrintClass::ViewContent(grid, TPrintClass::ViewTitle(grid));
    content.rows.resize(std::min<size_t>(content.rows.size(), kRows + 1));
    return content;
}

// Peak resident memory of the process so far, in megabytes.
double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void BM_PrintToPdf(benchmark::State& state) {
    const TPrintContent content = Content();
    QTemporaryDir dir;
    const double before = PeakMegabytes();
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.path() + QStringLiteral("/out.pdf"));
        if (!TPrintClass::Print(printer, content, std::vector<int>(7, 100),
                                QFont(QStringLiteral("DejaVu Sans"), 8),
                                QFont(QStringLiteral("DejaVu Sans"), 9)))
            state.SkipWithError("the printout failed");
    }
    state.counters["rows"] = double(content.rows.size() - 1);
    state.counters["peak_growth_MB"] = PeakMegabytes() - before;
}
BENCHMARK(BM_PrintToPdf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same words drawn line by line into one page-sized image, page after page.
void BM_DrawTextIntoImage(benchmark::State& state) {
    const TPrintContent content = Content();
    QImage page(1240, 1754, QImage::Format_RGB32);
    const double before = PeakMegabytes();
    for (auto _ : state) {
        QPainter painter(&page);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        int y = 0;
        for (const QStringList& row : content.rows) {
            int x = 0;
            for (const QString& cell : row) {
                painter.drawText(x, y + 20, cell);
                x += 170;
            }
            y += 24;
            if (y > page.height() - 24) {
                page.fill(Qt::white);
                y = 0;
            }
        }
    }
    state.counters["peak_growth_MB"] = PeakMegabytes() - before;
}
BENCHMARK(BM_DrawTextIntoImage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    // Fonts need a GUI application; no display is needed to print to a file.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return RunBigBaseBenchmarks(argc, argv, [] { OpenedBigBase(); });
}
