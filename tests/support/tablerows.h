#pragma once

#include "storage/tmemtable.h"

#include <QStringList>

#include <vector>

// Every row of a table with its cells, for comparing a table with what a test expects.
inline std::vector<QStringList> Rows(const TMemTable& table) {
    std::vector<QStringList> rows;
    for (int i = 0; i < table.RowCount(); ++i)
        rows.push_back(table.Row(i)->Cells());
    return rows;
}
