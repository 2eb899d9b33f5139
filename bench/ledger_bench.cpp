// Sorting a ledger of 100,000 expenses, re-sorting one edited row, and reading a date and a number
// from every row, each printed beside a baseline that does the least work the same job needs.
#include "ledger/tdatereader.h"
#include "ledger/toperationswithnumbers.h"
#include "ledger/ttablesortert.h"
#include "storage/tmemtable.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kDate = 0, kKind = 1, kName = 2, kSum = 3;

// Ten years of a family's expenses, in no particular order, with the trailing new row.
QByteArray MakeExpenses() {
    static const std::vector<std::pair<const char*, std::vector<const char*>>> kinds = {
        {"Продукты", {"Хлеб", "Молоко", "Овощи", "Мясо", "Фрукты", "Крупы"}},
        {"Транспорт", {"Бензин", "Метро", "Такси", "Автобус"}},
        {"Коммунальные платежи", {"Электричество", "Вода", "Газ", "Отопление"}},
        {"Связь", {"Интернет", "Мобильный телефон"}},
        {"Одежда", {"Обувь", "Куртка", "Детская одежда"}},
        {"Здоровье", {"Аптека", "Стоматолог", "Анализы"}},
        {"Дети", {"Школа", "Кружки", "Игрушки"}},
        {"Дом", {"Ремонт", "Мебель", "Бытовая химия"}},
        {"Отдых", {"Кино", "Кафе", "Отпуск"}},
        {"ёлочные игрушки", {"Шары", "Гирлянда"}},
    };
    static const char* purses[] = {"Наличные", "Карта", "Сбережения"};
    static const char* users[] = {"Мама", "Папа"};
    std::mt19937 rng(20260310);
    const TDateValue first = DateFromYmd(2016, 1, 1);
    const int days = DateFromYmd(2026, 1, 1) - first;
    TMemTable table;
    for (int i = 0; i < kRows; ++i) {
        const auto& kind = kinds[rng() % kinds.size()];
        const int rub = 1 + int(rng() % 20000);
        QString sum = QString::number(rub);
        switch (rng() % 3) {
        case 0:
            sum += QStringLiteral(",") + QString::number(rng() % 9 + 1);
            break;
        case 1:
            sum += QStringLiteral(",") + QString::number(rng() % 89 + 11);
            break;
        default:
            break;
        }
        table.AddRow()->SetCells({FormatDate(first + int(rng() % days)), QString::fromUtf8(kind.first),
                                  QString::fromUtf8(kind.second[rng() % kind.second.size()]), sum,
                                  QString::fromUtf8(purses[rng() % 3]),
                                  rng() % 4 ? QString() : QStringLiteral("к празднику"),
                                  QString::fromUtf8(users[rng() % 2])});
    }
    table.AddRow()->SetCells({FormatDate(first + days), {}, {}, {}, {}, {}, {}});
    return table.ToBytes();
}

const QByteArray& Expenses() {
    static const QByteArray bytes = MakeExpenses();
    return bytes;
}

std::vector<double> ParsedSums() {
    TMemTable table;
    table.LoadFromBytes(Expenses());
    std::vector<double> sums;
    for (int i = 0; i < kRows; ++i)
        sums.push_back(double(NumberValue(table.Row(i)->Cell(kSum))));
    return sums;
}

void SortBy(benchmark::State& state, int column, int comparison) {
    TMemTable table;
    for (auto _ : state) {
        state.PauseTiming();
        table.LoadFromBytes(Expenses());
        state.ResumeTiming();
        SortTableRows(table, column, comparison, false);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_SortByDate(benchmark::State& state) {
    SortBy(state, kDate, SortByDate);
}
void BM_SortBySum(benchmark::State& state) {
    SortBy(state, kSum, SortByNumber);
}
void BM_SortByName(benchmark::State& state) {
    SortBy(state, kName, SortByText);
}

// The floor of any sort of these rows: std::sort of the sums already read as doubles.
void BM_Baseline_StdSortParsedDoubles(benchmark::State& state) {
    const std::vector<double> sums = ParsedSums();
    std::vector<double> work;
    for (auto _ : state) {
        work = sums;
        std::sort(work.begin(), work.end());
        benchmark::DoNotOptimize(work.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

// One edited date in a ledger sorted by date, put back in its place.
void BM_ResortOneEditedRow(benchmark::State& state) {
    TMemTable table;
    table.LoadFromBytes(Expenses());
    SortTableRows(table, kDate, SortByDate, false);
    std::mt19937 rng(5);
    const TDateValue first = DateFromYmd(2016, 1, 1);
    for (auto _ : state) {
        const int row = int(rng() % kRows);
        table.Row(row)->SetCell(kDate, FormatDate(first + int(rng() % 3650)));
        benchmark::DoNotOptimize(ResortRow(table, row, kDate, SortByDate, false));
    }
}

// What the same edit cost when the whole table was sorted again.
void BM_FullSortAfterOneEditedRow(benchmark::State& state) {
    TMemTable table;
    table.LoadFromBytes(Expenses());
    SortTableRows(table, kDate, SortByDate, false);
    std::mt19937 rng(5);
    const TDateValue first = DateFromYmd(2016, 1, 1);
    for (auto _ : state) {
        const int row = int(rng() % kRows);
        table.Row(row)->SetCell(kDate, FormatDate(first + int(rng() % 3650)));
        SortTableRows(table, kDate, SortByDate, false);
    }
}

// The floor of a one-row re-sort: binary search over dates already read, and the vector insert.
void BM_Baseline_InsertIntoParsedDates(benchmark::State& state) {
    TMemTable table;
    table.LoadFromBytes(Expenses());
    std::vector<int> dates;
    for (int i = 0; i < kRows; ++i)
        dates.push_back(ParseCellDate(table.Row(i)->Cell(kDate)));
    std::sort(dates.begin(), dates.end());
    std::mt19937 rng(5);
    for (auto _ : state) {
        const size_t row = rng() % kRows;
        dates.erase(dates.begin() + long(row));
        const int date = DateFromYmd(2016, 1, 1) + int(rng() % 3650);
        dates.insert(std::upper_bound(dates.begin(), dates.end(), date), date);
        benchmark::DoNotOptimize(dates.data());
    }
}

void BM_ParseDatePerCell(benchmark::State& state) {
    TMemTable table;
    table.LoadFromBytes(Expenses());
    for (auto _ : state) {
        long long sum = 0;
        for (int i = 0; i < kRows; ++i)
            sum += ParseCellDate(table.Row(i)->Cell(kDate));
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_ParseNumberPerCell(benchmark::State& state) {
    TMemTable table;
    table.LoadFromBytes(Expenses());
    for (auto _ : state) {
        long double sum = 0;
        for (int i = 0; i < kRows; ++i)
            sum += ParseNumber(table.Row(i)->Cell(kSum)).value;
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

// Reading the same cells without parsing them: the cost the parsers add is the difference.
void BM_Baseline_ReadCells(benchmark::State& state) {
    TMemTable table;
    table.LoadFromBytes(Expenses());
    const int column = int(state.range(0));
    for (auto _ : state) {
        qsizetype length = 0;
        for (int i = 0; i < kRows; ++i)
            length += table.Row(i)->Cell(column).size();
        benchmark::DoNotOptimize(length);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_SortByDate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortBySum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_StdSortParsedDoubles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResortOneEditedRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullSortAfterOneEditedRow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_InsertIntoParsedDates)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseDatePerCell)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseNumberPerCell)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_ReadCells)->Arg(kDate)->Arg(kSum)->Unit(benchmark::kMillisecond);

// Collects the times while the console shows the usual table, then prints each figure beside its
// baseline.
class TSideBySideReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_ms[run.benchmark_name()] = run.GetAdjustedCPUTime() * Multiplier(run.time_unit) * 1e3;
        }
    }

    void PrintComparisons() const {
        const struct {
            const char* what;
            const char* figure;
            const char* baseline;
            const char* baselineWhat;
        } lines[] = {
            {"sort 100,000 rows by date", "BM_SortByDate", "BM_Baseline_StdSortParsedDoubles",
             "std::sort of 100,000 parsed doubles"},
            {"sort 100,000 rows by sum", "BM_SortBySum", "BM_Baseline_StdSortParsedDoubles",
             "std::sort of 100,000 parsed doubles"},
            {"sort 100,000 rows by name", "BM_SortByName", "BM_Baseline_StdSortParsedDoubles",
             "std::sort of 100,000 parsed doubles"},
            {"re-sort one edited row", "BM_ResortOneEditedRow", "BM_Baseline_InsertIntoParsedDates",
             "binary insert into parsed dates"},
            {"full sort after one edit", "BM_FullSortAfterOneEditedRow", "BM_ResortOneEditedRow",
             "re-sort of the one edited row"},
            {"read a date per cell", "BM_ParseDatePerCell", "BM_Baseline_ReadCells/0",
             "reading the same date cells"},
            {"read a number per cell", "BM_ParseNumberPerCell", "BM_Baseline_ReadCells/3",
             "reading the same sum cells"},
        };
        std::printf("\n%-28s %12s   %-40s %12s %8s\n", "figure", "CPU ms", "baseline (same run)", "CPU ms",
                    "ratio");
        for (const auto& line : lines) {
            const auto f = m_ms.find(line.figure);
            const auto b = m_ms.find(line.baseline);
            if (f == m_ms.end() || b == m_ms.end()) continue;
            std::printf("%-28s %12.4f   %-40s %12.4f %8.1f\n", line.what, f->second, line.baselineWhat,
                        b->second, f->second / b->second);
        }
    }

private:
    static double Multiplier(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e-9;
        case benchmark::kMicrosecond:
            return 1e-6;
        case benchmark::kMillisecond:
            return 1e-3;
        default:
            return 1;
        }
    }
    std::map<std::string, double> m_ms;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Expenses();
    TSideBySideReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintComparisons();
    benchmark::Shutdown();
    return 0;
}
