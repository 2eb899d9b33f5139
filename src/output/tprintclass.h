#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class QFont;
class QPagedPaintDevice;
class TAnalysis;
class TDataGrid;
class TDataVidGrid;

// What a printout holds: its title and its rows of cells, the caption row first.
struct TPrintContent {
    QString title;
    std::vector<QStringList> rows;
};

// "Печать таблицы": the table on show as a plain ruled table, a title line, a bold caption row, one
// boxed line per row and page numbers when it runs over more than one page. It prints what the grid
// shows, not the stored table, and keeps nothing between printouts.
class TPrintClass {
public:
    // The ledgers' table title with the words of the view's filter ("Таблица расходов Фильтр -
    // "Сегодня""); the returns of a debt print under the debts' title.
    static QString ViewTitle(const TDataGrid& view);

    // The rows as the view shows them: the captions, then every row of the row map whose cell 1 is not
    // empty, with the cells the grid shows; a cell that cannot be read prints "error".
    static TPrintContent ViewContent(const TDataGrid& view, const QString& title);
    // The analysis result as the page shows it: captions, group rows and the total row.
    static TPrintContent AnalysisContent(const TAnalysis& analysis, int kind, const QString& title);
    // A kinds list as the Bases page shows it, a column per kind: the kinds' own names, then their
    // names row by row. The empty row for typing a new name is left out.
    static TPrintContent KindsListContent(const TDataVidGrid& list, const QString& title);

    // Lays the content out on the device's pages in its own units: column widths in proportion to
    // the widths on screen, the table in the grid's font, the title in the bold title font. False when
    // the device cannot be drawn on or a page cannot be started.
    static bool Print(QPagedPaintDevice& device, const TPrintContent& content,
                      const std::vector<int>& screenWidths, const QFont& tableFont, const QFont& titleFont);
};
