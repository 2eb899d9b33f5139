#pragma once

#include "commitpath.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "messagerecorder.h"
#include "money/imoneyview.h"
#include "money/moneycells.h"
#include "money/tmoney.h"
#include "tablerows.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <initializer_list>

// Counts what the rules ask the windows to redraw.
struct TViewSpy : IMoneyView {
    int totals = 0, amounts = 0, list = 0, returns = 0;
    void TotalsChanged() override { ++totals; }
    void PurseAmountsChanged() override { ++amounts; }
    void PurseListChanged() override { ++list; }
    void ReturnsShown() override { ++returns; }
};

struct TPurseRow {
    const char* name;
    const char* rate;
    const char* amount;
};

// A base in memory: purses A (the base purse) and B unless a test sets its own, the ledgers empty,
// the day fixed on 15.05.2024. Rows are put into the tables by hand; values are typed into cells
// through the editor as the program commits them (`Commit`), other money rules are reached through
// `money`, and every box they show is recorded.
class MoneyTest : public ::testing::Test {
protected:
    static constexpr const char* kToday = "15.05.2024";
    static constexpr const char* kYesterday = "14.05.2024";

    MoneyTest() {
        SetPurses({{"A", "1", "1000"}, {"B", "2", "0"}});
        money.SetView(&spy);
    }

    // The purse table, the first purse being the base purse, with the totals recomputed.
    void SetPurses(std::initializer_list<TPurseRow> purses) {
        TMemTable& t = state.Table(TTableKind::Purse);
        t.Clear();
        bool first = true;
        for (const TPurseRow& p : purses) {
            t.AddRow()->SetCells({p.name, p.rate, p.amount, first ? "1" : "0"});
            if (first) state.basePurse = p.name;
            first = false;
        }
        Recompute();
    }
    void Recompute() { money.RecomputeAfterLoad(); }

    TMemTable& Table(TTableKind kind) { return state.Table(kind); }
    TDataGrid& Grid(TTableKind kind) { return state.Grid(kind); }

    // Rows of each ledger, cells in column order (the user column and notes may be left out).
    int AddRow(TTableKind kind, QStringList cells) {
        cells.resize(TableDef(kind).CellCount());
        TMemTable& t = Table(kind);
        t.AddRow()->SetCells(cells);
        Grid(kind).ResetRowMap();
        return t.RowCount() - 1;
    }
    int Expense(const QString& date, const QString& sum, const QString& purse) {
        return AddRow(TTableKind::Rashod, {date, "Еда", "Хлеб", sum, purse});
    }
    int Income(const QString& date, const QString& sum, const QString& purse) {
        return AddRow(TTableKind::Dohod, {date, "Зарплата", sum, purse});
    }
    int PlanExpense(const QString& from, const QString& sum, const QString& purse) {
        return AddRow(TTableKind::PlanRashod, {"Еда", "Хлеб", from, "31.05.2024", sum, purse});
    }
    // The number of the next debt typed by hand: the debts are numbered by their rows, as after a load.
    int NextNumber() {
        const int n = Table(TTableKind::Dolg).RowCount();
        state.ReturnsTable(n);
        return n;
    }
    // A debt with its own returns table; returns its table row.
    int Debt(const QString& kind, const QString& sum, const QString& purse, const QString& shown,
             const QString& date = kToday, const QString& due = QString()) {
        const int n = NextNumber();
        return AddRow(TTableKind::Dolg,
                      {kind, date, due, "Петров", sum, purse, "", shown, "Мама", QString::number(n)});
    }
    int NumberOf(int debtRow) { return TDolgClass::DebtNumber(*Table(TTableKind::Dolg).Row(debtRow)); }
    TMemTable& Returns(int debtRow) { return state.ReturnsTable(NumberOf(debtRow)); }
    void AddReturn(int debtRow, const QString& date, const QString& sum, const QString& purse) {
        Returns(debtRow).AddRow()->SetCells({date, sum, purse, ""});
    }
    int Transfer(const QString& from, const QString& r1, const QString& to, const QString& r2,
                 const QString& sum, const QString& date = kToday) {
        return AddRow(TTableKind::Transfer, {date, from, r1, to, r2, sum, ""});
    }
    // The empty new-record row at the end of a ledger.
    int NewRecordRow(TTableKind kind) {
        QStringList cells;
        if (kind == TTableKind::Rashod || kind == TTableKind::Dohod) cells << kToday;
        if (kind == TTableKind::Dolg) cells = QStringList(9, QString()) << QString::number(NextNumber());
        return AddRow(kind, cells);
    }

    // Types into a cell through the editor; returns the row the record stands in afterwards.
    int Commit(TTableKind kind, int row, int column, const QString& text) {
        return path.Commit(kind, row, column, text);
    }
    // Types into a return of a debt, its returns on show as when the debt is selected.
    void CommitReturn(int debtRow, int row, int column, const QString& text) {
        money.dolg.DebtRowSelected(debtRow);
        path.Commit(TTableKind::Returns, row, column, text);
    }

    QString Amount(const QString& purse) {
        TMemTable& t = Table(TTableKind::Purse);
        for (int i = 0; i < t.RowCount(); ++i)
            if (t.Row(i)->Cell(0) == purse) return t.Row(i)->Cell(2);
        return "(no purse)";
    }
    QString Rate(const QString& purse) {
        TMemTable& t = Table(TTableKind::Purse);
        for (int i = 0; i < t.RowCount(); ++i)
            if (t.Row(i)->Cell(0) == purse) return t.Row(i)->Cell(1);
        return "(no purse)";
    }
    static QString PerPurse(const TMemTable& t, const QString& purse) { return PerPurseText(t, purse); }

    TTodayOverride today{QDate(2024, 5, 15)};
    TMyType state;
    TMoney money{state};
    TCommitPath path{state, money};
    TViewSpy spy;
    TMessageRecorder boxes;
};
