#pragma once

#include <QString>

// Writes a realistic base of any size, for benchmarks and end-to-end tests: ten years of a family's
// records with kinds, purses, debts with their returns, plans and transfers.
struct TBaseSize {
    int expenses = 100000;
    int incomes = 20000;
    int debts = 2000;
    int returnsPerDebt = 5;
    int plans = 5000; // of each kind
    int transfers = 1000;
    unsigned seed = 1;

    // The default counts with the growing tables (expenses, incomes, plans, transfers) k times larger;
    // the debts keep theirs, since each has a file of its own. k = 10 is the million-record base.
    static TBaseSize Scaled(int k) {
        TBaseSize s;
        s.expenses *= k;
        s.incomes *= k;
        s.plans *= k;
        s.transfers *= k;
        return s;
    }
};

// dataRoot/BASE/<baseName> with its tables, and dataRoot/BASE/user and baseuser naming it.
// The user "Мама" (password empty) is its administrator. Returns the base folder.
QString GenerateBase(const QString& dataRoot, const QString& baseName, const TBaseSize& size);
