#pragma once

#include <QDate>
#include <QStringList>

#include <functional>

class TCalculationResults;
class TDolgClass;
class TMyType;
class TPurseClass;

// The choices of the "Очистить таблицы" dialog. The table check boxes keep their state from one
// opening to the next; the dates and the purse check box start afresh each time (Reopen).
struct TClearRequest {
    QDate from; // "С какой даты "
    QDate to;   // "До какой даты "
    // "Таблица расходов", "Таблица доходов", "Таблица долгов", "Таблица планов-расходов",
    // "Таблица планов-доходов", "Таблица переноса денег"
    bool rashod = false;
    bool dohod = false;
    bool dolg = false;
    bool planRashod = false;
    bool planDohod = false;
    bool transfer = false;
    bool recalc = false; // "Пересчитать сумму в кошельке"

    // Both dates today and the purse check box cleared, as each opening of the dialog sets them.
    void Reopen();
};

// The four-line question asked before the tables are cleared (default "No").
QStringList ClearTablesQuestion();

// "Принять" of the dialog: asks the four-line question when told to; on "Yes" calls dropFilter
// (the caller closes any open editor and drops the active filter), then removes from every checked
// table, in the dialog's order, the records dated from `from` to `to` inclusive (an empty date reads
// as 30.12.1900). With `recalc` the purses are given back what the records moved (transfers are
// first taken back, with the long report for a purse that no longer exists); without it the
// amounts stay. The new-record row stays. True when the tables were cleared; a base open read-only is
// refused with a beep before the question.
bool ClearTablesByPeriod(TMyType& state, TCalculationResults& calc, TPurseClass& purse, TDolgClass& dolg,
                         const TClearRequest& request, const std::function<void()>& dropFilter,
                         bool askFirst = true);
