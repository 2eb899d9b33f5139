// The F8 export of 100,000 expenses: from the command on the opened big base to the spreadsheet the
// real export tool saves, and the tool's own work alone, beside writing the row file alone, which the
// program does before the tool starts and no export can go below.
#include "benchbase.h"
#include "openedbase.h"

#include "ledger/tmytype.h"
#include "output/tspreadsheetexport.h"

#include "output/odspackage.h"
#include "output/rowfile.h"
#include "output/templatefill.h"
#include "output/unloadjob.h"
#include "output/unloadtool.h"
#include "storage/tabledefs.h"
#include "storage/tmemtable.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRect>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct TExport {
    QTemporaryDir scratch;
    std::vector<QStringList> rows;
    QStringList names;
    QString templates;
    TUnloadJob job;

    TExport() {
        TMemTable rashod;
        rashod.LoadFromFile(BigBase().baseFolder + QStringLiteral("/") +
                            TableDef(TTableKind::Rashod).fileName);
        names = TableDef(TTableKind::Rashod).captions;
        rows.reserve(size_t(rashod.RowCount()));
        for (int r = 0; r < rashod.RowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < names.size(); ++c)
                cells << rashod.Row(r)->Cell(c);
            if (!cells[col::rashod::Kind].isEmpty()) rows.push_back(std::move(cells));
        }
        templates = scratch.path() + QStringLiteral("/PageMaket");
        QDir().mkpath(templates);
        QFile::copy(QStringLiteral(VELLUMORA_BENCH_PROGRAM_DIR "/PageMaket/Rashod.ods"),
                    templates + QStringLiteral("/Rashod.ods"));
        qputenv("TMPDIR", QFile::encodeName(scratch.path()));
        // The tool started by the command finds the family's templates in the data folder, and with
        // no display it opens nothing.
        qputenv("XDG_DATA_HOME", QFile::encodeName(scratch.path() + QStringLiteral("/share")));
        const QString dataTemplates = scratch.path() + QStringLiteral("/share/Quorvane/PageMaket");
        QDir().mkpath(dataTemplates);
        QFile::copy(templates + QStringLiteral("/Rashod.ods"), dataTemplates + QStringLiteral("/Rashod.ods"));
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        QDir().mkpath(UnloadFolder());
        job.saveFileName = scratch.path() + QStringLiteral("/out/Quorvane_TABLE OF EXPENSES");
        job.rowFilePath = RowFilePath();
        job.columnNames = names;
        job.sumColumn = col::rashod::Sum;
        job.totalSum = QStringLiteral("123 456,78");
        job.number = 11;
    }
};

TExport& Export() {
    static TExport e;
    return e;
}

void BM_RowFileAlone(benchmark::State& state) {
    TExport& e = Export();
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteRowFile(RowFilePath(), e.rows, int(e.names.size())));
    state.counters["rows"] = double(e.rows.size());
    state.counters["bytes"] = double(QFileInfo(RowFilePath()).size());
}
BENCHMARK(BM_RowFileAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

// F8 on the expenses of the opened big base: the rows as the grid shows them, the table copy, the row
// and job files, the real tool started as a process, until its note says the spreadsheet is saved.
void BM_F8ToSavedSpreadsheet(benchmark::State& state) {
    TExport& e = Export();
    TMyType& base = OpenedBigBase();
    const QString baseFolder = base.baseFolder;
    base.paths.programFolder = QStringLiteral(VELLUMORA_BENCH_PROGRAM_DIR);
    base.baseFolder = e.scratch.path(); // the table copy goes to the scratch folder, not the big base
    TSpreadsheetExport exporter(base);
    for (auto _ : state) {
        QFile::remove(SuccessNotePath());
        if (exporter.ExportGrid(base.Grid(TTableKind::Rashod), QRect(0, 0, 1366, 768)) !=
            TExportOutcome::ToolStarted) {
            state.SkipWithError("the tool did not start");
            break;
        }
        const QDeadlineTimer deadline(60000);
        while (!ReadSuccessNote(SuccessNotePath()) && !deadline.hasExpired())
            QThread::msleep(2);
        if (deadline.hasExpired()) {
            state.SkipWithError("the tool did not finish");
            break;
        }
    }
    base.baseFolder = baseFolder;
    state.counters["records"] = double(base.Table(TTableKind::Rashod).RowCount());
}
BENCHMARK(BM_F8ToSavedSpreadsheet)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The tool's work from the program's files to the saved spreadsheet, in this process.
void BM_ExportToolRun(benchmark::State& state) {
    TExport& e = Export();
    QString saved, error;
    for (auto _ : state) {
        WriteRowFile(RowFilePath(), e.rows, int(e.names.size()));
        WriteJobFile(JobFilePath(), e.job);
        TUnloadToolRun run{JobFilePath(), SuccessNotePath(), e.templates, QDate(2026, 3, 10), {}};
        if (RunUnloadTool(run, saved, error) != UnloadDone || !error.isEmpty())
            state.SkipWithError(qPrintable(error));
    }
    state.counters["ods_bytes"] = double(QFileInfo(saved).size());
}
BENCHMARK(BM_ExportToolRun)->Unit(benchmark::kMillisecond)->UseRealTime();

// The parts of the tool's run: filling the content in memory, and packing it.
void BM_FillContentOnly(benchmark::State& state) {
    TExport& e = Export();
    std::vector<TOdfEntry> templ;
    QString error;
    ReadOdfPackage(e.templates + QStringLiteral("/Rashod.ods"), templ, error);
    const QByteArray content = OdfEntry(templ, QStringLiteral("content.xml"));
    QByteArray filled;
    for (auto _ : state)
        FillTemplateContent(content, e.job, e.rows, QDate(2026, 3, 10), filled, error);
    state.counters["content_bytes"] = double(filled.size());
}
BENCHMARK(BM_FillContentOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainSpreadsheet(benchmark::State& state) {
    TExport& e = Export();
    QString error;
    for (auto _ : state)
        WritePlainSpreadsheet(e.scratch.path() + QStringLiteral("/plain.ods"), e.names, e.rows,
                              col::rashod::Sum, error);
}
BENCHMARK(BM_PlainSpreadsheet)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return RunBigBaseBenchmarks(argc, argv, [] {
        Export();
        OpenedBigBase();
    });
}
