#pragma once

#include <QString>

// The big base every benchmark works on: 100,000 expenses, 20,000 incomes, 2,000 debts with five
// returns each and 5,000 plans of each kind, generated once per run in a temporary data root.
struct TBenchBase {
    QString dataRoot;
    QString baseFolder;
    qint64 fileBytes = 0; // every table file of the base
};

const TBenchBase& BigBase();
// Reads every file of the base folder into memory: the floor for any load.
qint64 ReadAllFiles(const QString& folder);
// Bytes the allocator hands out right now.
qint64 HeapInUse();
