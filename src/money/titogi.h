#pragma once

#include "storage/tabledefs.h"

#include <QString>
#include <QStringList>

#include <vector>

class TMyType;

// One grid of the totals panel as text: every cell as it is drawn, and which rows are bold (the
// title rows and the "Итого" row).
struct TPanelGrid {
    int columns = 0;
    std::vector<QStringList> rows;
    std::vector<bool> bold;

    void Add(const QStringList& cells, bool isBold = false) {
        rows.push_back(cells);
        bold.push_back(isBold);
    }
    int RowCount() const { return int(rows.size()); }
};

// What the totals panel shows for the current table: the panel only draws it.
struct TTotalsPanelData {
    bool drawn = false;       // false on the Bases page (purses, transfers, users): nothing is drawn
    QString totalsCaption;    // "Итоги по расходам"
    QString filterCaption;    // "Итоги по фильтру"
    TPanelGrid totals;        // 3 columns; 7 for debts and their returns
    TPanelGrid purses;        // 2 columns
    bool filterShown = false; // the filter grid is shown only while a filter is active
    TPanelGrid filter;        // 2 columns; 3 for debts
    QString noFilterText;     // "Фильтр отсутствует", shown in the filter grid's place
};

// The totals panel's content. Totals in base units pass through display rounding; per-purse cells
// show the stored float text, except the columns that are differences.
class TItogi {
public:
    static TTotalsPanelData Build(TMyType& state, TTableKind current);
    // "Итого (" + base purse + ")".
    static QString TotalCell(const TMyType& state);
    static TPanelGrid TotalsGrid(TMyType& state, TTableKind kind);
    static TPanelGrid PursesGrid(TMyType& state);
    static TPanelGrid FilterGrid(TMyType& state, TTableKind kind);
};
