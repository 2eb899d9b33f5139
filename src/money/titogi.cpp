#include "money/titogi.h"
#include "storage/tabledefs.h"

#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "money/moneycells.h"
#include "money/pursetable.h"
#include "money/tdolgclass.h"

namespace {

const QString kZero = QStringLiteral("0");

bool IsDebtView(TTableKind kind) {
    return kind == TTableKind::Dolg || kind == TTableKind::Returns;
}

// The per-purse row of a table at the same place as the purse, or found by name.
QString SumText(const TMemTable& table, int index, const QString& name, int column = 1) {
    if (const TTableRow* row = table.Row(index); row && row->Cell(col::perpurse::Name) == name)
        return row->Cell(column);
    return PerPurseText(table, name, column);
}

} // namespace

QString TItogi::TotalCell(const TMyType& state) {
    return QStringLiteral("Итого (") + state.basePurse + QStringLiteral(")");
}

TPanelGrid TItogi::TotalsGrid(TMyType& state, TTableKind kind) {
    TPanelGrid grid;
    if (IsDebtView(kind)) {
        const TDataGrid& g = state.Grid(TTableKind::Dolg);
        const TDebtTotals& d = state.debtTotals;
        // A debt returned beyond its sum owes nothing: its overpayment does not lessen what others owe.
        const TOverpayments over = TDolgClass::Overpayments(state);
        auto correction = [](const std::map<QString, long double>& perPurse, const QString& name) {
            const auto it = perPurse.find(name);
            return it == perPurse.end() ? 0.0L : it->second;
        };
        grid.columns = 7;
        grid.Add({QStringLiteral("Долги"), QStringLiteral("Всего"), QString(), QStringLiteral("Возврат"),
                  QStringLiteral("долга"), QStringLiteral("Остаток"), QString()},
                 true);
        grid.Add({QString(), QStringLiteral("Дано"), QStringLiteral("Взято"), QStringLiteral("Я вернул"),
                  QStringLiteral("Мне вернули"), QStringLiteral("Я должен"), QStringLiteral("Мне должны")},
                 true);
        for (int i = 0; i < g.perPurse.RowCount(); ++i) {
            const QString name = g.perPurse.Row(i)->Cell(col::perpurse::Name);
            const QString all = g.perPurse.Row(i)->Cell(col::perpurse::Sum);
            const QString mine = SumText(d.myReturns, i, name);
            const QString toMe = SumText(d.returnsToMe, i, name);
            if (all == kZero && mine == kZero && toMe == kZero) continue;
            const QString lent = SumText(d.lentPerPurse, i, name);
            const long double borrowed = NumberValue(all) - NumberValue(lent);
            grid.Add(
                {name, lent, DisplayRound(borrowed), mine, toMe,
                 DisplayRound(borrowed - NumberValue(mine) + correction(over.borrowedPerPurse, name)),
                 DisplayRound(NumberValue(lent) - NumberValue(toMe) + correction(over.lentPerPurse, name))});
        }
        grid.Add({TotalCell(state), DisplayRound(d.lentTotal), DisplayRound(g.total - d.lentTotal),
                  DisplayRound(d.myReturnsTotal), DisplayRound(d.returnsToMeTotal),
                  DisplayRound(g.total - d.lentTotal - d.myReturnsTotal + over.borrowedTotal),
                  DisplayRound(d.lentTotal - d.returnsToMeTotal + over.lentTotal)},
                 true);
        return grid;
    }
    const TDataGrid& g = state.Grid(kind);
    grid.columns = 3;
    QString title;
    switch (kind) {
    case TTableKind::Rashod:
        title = QStringLiteral("Потрачено");
        break;
    case TTableKind::Dohod:
        title = QStringLiteral("Доходы");
        break;
    default:
        title = QStringLiteral("Запланировано");
        break;
    }
    grid.Add({title, QStringLiteral("Сегодня"), QStringLiteral("Всего")}, true);
    for (int i = 0; i < g.perPurse.RowCount(); ++i) {
        const QString name = g.perPurse.Row(i)->Cell(col::perpurse::Name);
        const QString all = g.perPurse.Row(i)->Cell(col::perpurse::Sum);
        const QString today = SumText(g.perPurseToday, i, name);
        if (all == kZero && today == kZero) continue;
        grid.Add({name, today, all});
    }
    grid.Add({TotalCell(state), DisplayRound(g.todayTotal), DisplayRound(g.total)}, true);
    return grid;
}

TPanelGrid TItogi::PursesGrid(TMyType& state) {
    TPanelGrid grid;
    grid.columns = 2;
    grid.Add({QStringLiteral("В кошельке"), QString()}, true);
    const TMemTable& purse = state.Table(TTableKind::Purse);
    for (int i = 0; i < purse.RowCount(); ++i) {
        const TTableRow* row = purse.Row(i);
        const QString name = row->Cell(col::purse::Name);
        const QString amount = row->Cell(col::purse::Amount);
        if (name.isEmpty() || amount == kZero) continue;
        grid.Add({name, DisplayRound(NumberValue(amount))});
    }
    grid.Add({TotalCell(state), DisplayRound(state.totalMoney)}, true);
    return grid;
}

TPanelGrid TItogi::FilterGrid(TMyType& state, TTableKind kind) {
    TPanelGrid grid;
    const bool debts = IsDebtView(kind);
    const TDataGrid& g = state.Grid(debts ? TTableKind::Dolg : kind);
    constexpr int kSum = col::filteredperpurse::Sum;
    if (debts) {
        grid.columns = 3;
        grid.Add({QStringLiteral("Фильтр"), QStringLiteral("В долг"), QString()}, true);
        grid.Add({QStringLiteral("Кошелек"), QStringLiteral("Дано"), QStringLiteral("Взято")}, true);
        for (int i = 0; i < g.filteredPerPurse.RowCount(); ++i) {
            const QString name = g.filteredPerPurse.Row(i)->Cell(col::filteredperpurse::Name);
            grid.Add({name, g.filteredPerPurse.Row(i)->Cell(kSum),
                      SumText(g.filteredBorrowedPerPurse, i, name, kSum)});
        }
        grid.Add({TotalCell(state), DisplayRound(g.filteredLentTotal),
                  DisplayRound(g.filteredTotal - g.filteredLentTotal)},
                 true);
        return grid;
    }
    grid.columns = 2;
    grid.Add({QStringLiteral("Фильтр"), QString()}, true);
    for (int i = 0; i < g.filteredPerPurse.RowCount(); ++i)
        grid.Add({g.filteredPerPurse.Row(i)->Cell(col::filteredperpurse::Name),
                  g.filteredPerPurse.Row(i)->Cell(kSum)});
    grid.Add({TotalCell(state), DisplayRound(g.filteredTotal)}, true);
    return grid;
}

TTotalsPanelData TItogi::Build(TMyType& state, TTableKind current) {
    TTotalsPanelData data;
    data.totalsCaption = QStringLiteral("Итоги по расходам");
    data.filterCaption = QStringLiteral("Итоги по фильтру");
    data.noFilterText = QStringLiteral("Фильтр отсутствует");
    const bool ledger = TableDef(current).IsLedger() || current == TTableKind::Returns;
    if (!ledger) return data;
    data.drawn = true;
    data.totals = TotalsGrid(state, current);
    data.purses = PursesGrid(state);
    const TTableKind filtered = IsDebtView(current) ? TTableKind::Dolg : current;
    data.filterShown = state.Grid(filtered).filterActive;
    if (data.filterShown) data.filter = FilterGrid(state, current);
    return data;
}
