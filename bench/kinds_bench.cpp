// Carrying a renamed name into the records, beside reading the same cells of every record.
#include "ledger/tkindslists.h"
#include "ledger/tmytype.h"
#include "storage/tmessageboxclass.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kRecords = 200000;

// Expenses of ten kinds with twenty names each; every twentieth record is Еда/Хлеб.
void FillExpenses(TMyType& s) {
    TMemTable& t = s.Table(TTableKind::Rashod);
    t.Clear();
    for (int i = 0; i < kRecords; ++i) {
        const QString kind = i % 10 == 0 ? QStringLiteral("Еда") : QStringLiteral("Вид %1").arg(i % 10);
        const QString name = i % 20 == 0 ? QStringLiteral("Хлеб") : QStringLiteral("Название %1").arg(i % 20);
        t.AddRow()->SetCells({QStringLiteral("01.12.2026"), kind, name, QString::number(i),
                              QStringLiteral("рубль"), QString(), QStringLiteral("Мама")});
    }
    s.Grid(TTableKind::Rashod).ResetRowMap();
    s.vidRashod.Clear();
    s.vidRashod.AddRow()->SetCells({QStringLiteral("Еда"), QStringLiteral("Хлеб")});
}

void BM_ReadNameCellsBaseline(benchmark::State& st) {
    TMyType s;
    FillExpenses(s);
    const TMemTable& t = s.Table(TTableKind::Rashod);
    for (auto _ : st) {
        int found = 0;
        for (int r = 0; r < t.RowCount(); ++r)
            found += t.Row(r)->Cell(2) == QLatin1String("Хлеб");
        benchmark::DoNotOptimize(found);
    }
    st.counters["records"] = kRecords;
}
BENCHMARK(BM_ReadNameCellsBaseline)->Unit(benchmark::kMillisecond);

// Back and forth, so every iteration rewrites the same 10 000 records.
void BM_RenameNameInRecords(benchmark::State& st) {
    TMyType s;
    FillExpenses(s);
    TKindsLists lists(s);
    bool forth = true;
    for (auto _ : st) {
        lists.CommitName(s.vidRashodGrid, 0, 1, forth ? QStringLiteral("Батон") : QStringLiteral("Хлеб"));
        forth = !forth;
    }
    st.counters["records"] = kRecords;
}
BENCHMARK(BM_RenameNameInRecords)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
