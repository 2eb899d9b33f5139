#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TDataGrid;
class TMemTable;

// The width in pixels of a text in the font of the search group (the window measures it).
using TTextWidth = std::function<int(const QString&)>;

// The part of a cell the search highlights: from the first occurrence of the query.
struct TSearchExtent {
    int start = 0;
    int length = 0;
};

// One match: grid column and grid row (row 0 is the caption row), and the highlighted part.
struct TSearchMatch {
    int col = 0;
    int row = 0;
    TSearchExtent extent;
};

// What the view draws in a cell: the highlighted part, green for the current match, yellow otherwise.
struct TSearchHighlight {
    TSearchExtent extent;
    bool current = false;
};

// The outcome of a step: the match to select and scroll to, if any.
struct TSearchStep {
    bool searched = false; // false for a blank query: nothing was looked for
    int count = 0;         // matches in the list
    int index = -1;        // the current match, -1 when none
    int col = -1, row = -1;
};

// Whether a cell matches the query: the cell is not shorter than the query; without match case both are
// upper-cased by the locale; with the whole cell the texts must be equal (case aside by the locale's
// collation without match case), otherwise the query must occur in the cell. Gives the highlighted part.
std::optional<TSearchExtent> MatchSearchCell(const QString& cell, const QString& query, bool wholeCell,
                                             bool matchCase);

// Every match in row-major order: a ledger view's shown rows (cells through its row map, every column),
// or a kinds list whose table holds a kind per row (grid column c, row r is cell r of table row c).
std::vector<TSearchMatch> FindMatches(const TDataGrid& grid, const QString& query, bool wholeCell,
                                      bool matchCase);
std::vector<TSearchMatch> FindMatchesInKinds(const TMemTable& kinds, const QString& query, bool wholeCell,
                                             bool matchCase);

// The search box of the ledger pages and the Bases page with its match list.
class TSearch {
public:
    TSearch();
    ~TSearch();
    TSearch(const TSearch&) = delete;
    TSearch& operator=(const TSearch&) = delete;

    // The grid searched: a ledger view, or a kinds list of the Bases page. Changing it discards the list.
    void SetGrid(const TDataGrid* grid);
    void SetKindsList(const TMemTable* kinds);

    const QString& Query() const { return m_query; }
    bool WholeCell() const { return m_whole; }
    bool MatchCase() const { return m_matchCase; }
    int Direction() const { return m_direction; }

    // The query text changed: the list goes and one step is made in the last step's direction.
    TSearchStep SetQuery(const QString& text);
    // Enter, Down or "Искать вперед": +1; Up or "Искать назад": -1. Builds the list when there is none.
    TSearchStep Step(int direction);
    // Either check box: the highlights and the list go.
    void SetWholeCell(bool on);
    void SetMatchCase(bool on);
    // Escape in the search box: the highlights, the list and the query go.
    void Escape();
    // The filter changed, the table was sorted, the user switched, the tables were cleared.
    void Discard();

    bool HasList() const { return m_built; }
    const std::vector<TSearchMatch>& Matches() const { return m_matches; }
    int CurrentIndex() const { return m_index; }
    // The highlight of a grid cell, none when it is no match.
    std::optional<TSearchHighlight> HighlightAt(int col, int row) const;

    // The result label after a step: empty with no list, "Совпадений нет" with no match, otherwise the
    // count with the long or the short prefix for the search box's width.
    QString ResultLabel(int searchBoxWidth, const TTextWidth& width) const;

private:
    struct TFolded;
    struct TLastList;
    TSearchStep Current() const;
    std::vector<TSearchMatch> FindInGrid();
    TFolded& FoldedFor(const TMemTable& table, int columns);

    const TDataGrid* m_grid = nullptr;
    const TMemTable* m_kinds = nullptr;
    QString m_query;
    bool m_whole = false;
    bool m_matchCase = false;
    int m_direction = 1;
    bool m_built = false;
    std::vector<TSearchMatch> m_matches;
    int m_index = -1;
    // The upper-cased cells of the tables searched lately, kept from query to query.
    std::vector<std::unique_ptr<TFolded>> m_folded;
    quint64 m_uses = 0;
    // The last list made for a ledger view, with what it was made from: a longer query narrows it.
    std::unique_ptr<TLastList> m_last;
};

// The texts of the result label.
QString SearchLongPrefix();  // "Cовпадений по запросу: " (Latin C)
QString SearchShortPrefix(); // "Cовпадений: " (Latin C)
QString SearchNoMatches();   // "Совпадений нет"
// The label after a step: the long prefix unless the search box is narrower than the width of
// "Совпадений по запросу: " with the number and "00000", plus 5.
QString SearchCountLabel(int count, int searchBoxWidth, const TTextWidth& width);
// When the lower panel is laid out the prefix is chosen by the width of "Совпадений по запросу: 00000"
// plus 5, and the label is rewritten only while there are matches; none: the label stays as it is.
std::optional<QString> SearchCountLabelOnLayout(int count, int searchBoxWidth, const TTextWidth& width);

// The captions of the search group.
struct TSearchCaptions {
    QString forward;   // "Искать вперед" / "Вперед"
    QString back;      // "Искать назад" / "Назад"
    QString wholeCell; // "ячейка целиком" / "целиком"
    QString matchCase; // "с учетом регистра" / "регистр"
};
TSearchCaptions SearchCaptions(int forwardButtonWidth, int searchBoxWidth, const TTextWidth& width);

// Horizontal places in the search group: the box takes two thirds of the group less the margin, the
// buttons stand 10 px to its right, 13 widths of "0" plus a margin wide, narrowed to fit the group.
struct TSearchGeometry {
    int boxLeft = 0, boxWidth = 0;
    int buttonLeft = 0, buttonWidth = 0;
};
inline constexpr int kSearchGroupMargin = 8;
TSearchGeometry SearchGroupGeometry(int groupWidth, int zeroWidth);

// The grid's new top row for a match row: the match row itself when it lies above the top row or at
// least (grid height / (row 0 height + 1)) - 1 rows below it; otherwise the top row stays.
int SearchTopRow(int matchRow, int topRow, int gridHeight, int row0Height);
