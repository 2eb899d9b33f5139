#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QPaintDevice;
class QPagedPaintDevice;
class TAnalysis;
class TDataGrid;
class TDataVidGrid;

// What a printout holds: its title and its rows of cells, the caption row first.
struct TPrintContent {
    QString title;
    std::vector<QStringList> rows;
    // Per column: its texts are free text (notes, kinds, names) and may end with "…" when the page is
    // short of room. Dates, sums and other short values never do.
    std::vector<bool> textColumns;
};

// One column as the width rule sees it, in the printer's units.
struct TPrintColumn {
    int screen = 0; // the column's width on screen (any unit: only the proportions count)
    int whole = 0;  // the room its widest text needs, caption included
    int least = 0;  // the room it can never give up: its caption's for a text column, else its whole
};

// Where everything of a printout stands on the device, in the device's units. It is computed whole
// before the first page is drawn; drawing only follows it.
struct TPrintLayout {
    struct TPage {
        int firstRow = 0;
        int endRow = 0;
        int firstLine = 0;   // the line of the first row's text: its box reaches h above and below it
        int footerLine = -1; // where "Страница n" stands; -1: not on this page
    };

    int width = 0;
    int height = 0;
    int mx = 0;
    int my = 0;
    QFont titleFont;
    QFont tableFont; // the grid's font; smaller when its dates, sums and captions do not fit across the page
    QFont captionFont;
    int titleLeft = 0;
    int h = 0; // the table font's text height
    int s = 0; // the width of one space in the table font
    std::vector<int> left;
    std::vector<int> widths;
    std::vector<bool> mayCut; // the column's texts end with "…" where they are wider than its box
    std::vector<TPage> pages;
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

    // The widths of the columns on paper, together at most room wide. Every column gets the room of its
    // widest text; what is left over follows the proportions on screen (all of the room in proportion
    // to the screen when every text fits that way). When the whole texts do not fit, the text columns
    // give way down to their least; nothing when even that does not fit.
    static std::optional<std::vector<int>> ColumnWidths(const std::vector<TPrintColumn>& columns, int room);

    // The page geometry, the fonts in the device's units, the column widths and the rows of each page.
    // A table whose dates, sums and captions do not fit the page width even with its text columns given
    // way is printed in a smaller font, so that nothing of them is ever cut.
    static TPrintLayout Layout(QPaintDevice& device, const TPrintContent& content,
                               const std::vector<int>& screenWidths, const QFont& tableFont,
                               const QFont& titleFont);
    // Draws the content on the device's pages as the layout places it. False when the device cannot be
    // drawn on or a page cannot be started.
    static bool Paint(QPagedPaintDevice& device, const TPrintContent& content, const TPrintLayout& layout);
    // Lays the content out and draws it.

    static bool Print(QPagedPaintDevice& device, const TPrintContent& content,
                      const std::vector<int>& screenWidths, const QFont& tableFont, const QFont& titleFont);
};
