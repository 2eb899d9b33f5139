#include "ledger/ledgersort.h"

#include "ledger/tdatagrid.h"

#include <algorithm>
#include <numeric>

// Interim order until the shared sorter lands: dates, numbers and texts by the column's letter.
void SortLedgerTable(TDataGrid& grid) {
    TMemTable* t = grid.Table;
    if (!t || t->RowCount() < 3)
        return;
    const int n = t->RowCount() - 1;
    const int c = grid.SortColumn;
    const QChar letter = grid.Letter(c);
    std::vector<int> order(size_t(t->RowCount()));
    std::iota(order.begin(), order.end(), 0);
    auto key = [&](int r) { return t->Row(r)->Cell(c); };
    std::stable_sort(order.begin(), order.begin() + n, [&](int a, int b) {
        const QString ka = key(a), kb = key(b);
        int cmp;
        if (letter == QLatin1Char('D')) {
            QDate da = QDate::fromString(ka, QStringLiteral("dd.MM.yyyy"));
            QDate db = QDate::fromString(kb, QStringLiteral("dd.MM.yyyy"));
            if (!da.isValid())
                da = QDate(1900, 12, 30);
            if (!db.isValid())
                db = QDate(1900, 12, 30);
            cmp = da < db ? -1 : (db < da ? 1 : 0);
        } else if (letter == QLatin1Char('I')) {
            const double va = QString(ka).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
            const double vb = QString(kb).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
            cmp = va < vb ? -1 : (vb < va ? 1 : 0);
        } else {
            cmp = QString::compare(ka, kb);
        }
        return grid.SortAscending ? cmp < 0 : cmp > 0;
    });
    t->Reorder(order);
    grid.ResetRowMap();
}
