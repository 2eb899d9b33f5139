#include "money/tsearch.h"

#include "ledger/tdatagrid.h"
#include "ledger/toperationswithnumbers.h"
#include "money/rowcells.h"
#include "storage/textrules.h"
#include "storage/tmemtable.h"

#include <algorithm>

namespace {

// The query prepared once for a whole pass over the cells.
struct TPreparedQuery {
    TPreparedQuery(const QString& q, bool whole, bool matchCase)
        : text(q), blind(q), wholeCell(whole), caseSensitive(matchCase) {}

    std::optional<TSearchExtent> Match(const QString& cell) const {
        if (cell.size() < text.size()) return std::nullopt;
        if (wholeCell) {
            const bool same = caseSensitive ? cell == text : blind.SameAs(cell);
            return same ? std::optional<TSearchExtent>(TSearchExtent{0, int(cell.size())}) : std::nullopt;
        }
        if (caseSensitive) {
            const qsizetype at = cell.indexOf(text);
            return at < 0 ? std::nullopt
                          : std::optional<TSearchExtent>(TSearchExtent{int(at), int(text.size())});
        }
        const auto at = blind.FindIn(cell);
        if (!at) return std::nullopt;
        // Upper case can lengthen a text (ß gives SS): the part is kept within the cell.
        const int start = int(std::min<qsizetype>(*at, cell.size()));
        const int length = int(std::min<qsizetype>(blind.Upper().size(), cell.size() - start));
        return TSearchExtent{start, length};
    }

    QString text;
    TCaseBlindText blind;
    bool wholeCell;
    bool caseSensitive;
};

bool Before(const TSearchMatch& m, int col, int row) {
    return m.row < row || (m.row == row && m.col < col);
}

} // namespace

std::optional<TSearchExtent> MatchSearchCell(const QString& cell, const QString& query, bool wholeCell,
                                             bool matchCase) {
    if (!IsNotBlank(query)) return std::nullopt;
    return TPreparedQuery(query, wholeCell, matchCase).Match(cell);
}

std::vector<TSearchMatch> FindMatches(const TDataGrid& grid, const QString& query, bool wholeCell,
                                      bool matchCase) {
    std::vector<TSearchMatch> out;
    if (!IsNotBlank(query) || !grid.Table) return out;
    const TPreparedQuery q(query, wholeCell, matchCase);
    TRowCells cells;
    for (int g = 1; g < grid.GridRowCount(); ++g) {
        const int row = grid.TableRow(g);
        if (row < 0) continue;
        const int n = cells.Read(*grid.Table, row, grid.ColumnCount());
        for (int c = 0; c < n; ++c)
            if (const auto extent = q.Match(cells[c])) out.push_back({c, g, *extent});
    }
    return out;
}

std::vector<TSearchMatch> FindMatchesInKinds(const TMemTable& kinds, const QString& query, bool wholeCell,
                                             bool matchCase) {
    std::vector<TSearchMatch> out;
    if (!IsNotBlank(query)) return out;
    const TPreparedQuery q(query, wholeCell, matchCase);
    // The table holds a grid column per row: read it once, then walk the grid row by row.
    std::vector<QStringList> columns;
    int rows = 0;
    for (int c = 0; c < kinds.RowCount(); ++c) {
        columns.push_back(kinds.Row(c)->Cells());
        rows = std::max(rows, int(columns.back().size()));
    }
    for (int r = 1; r < rows; ++r)
        for (int c = 0; c < int(columns.size()); ++c)
            if (r < columns[size_t(c)].size())
                if (const auto extent = q.Match(columns[size_t(c)][r])) out.push_back({c, r, *extent});
    return out;
}

void TSearch::SetGrid(const TDataGrid* grid) {
    if (grid != m_grid || m_kinds) Discard();
    m_grid = grid;
    m_kinds = nullptr;
}

void TSearch::SetKindsList(const TMemTable* kinds) {
    if (kinds != m_kinds || m_grid) Discard();
    m_kinds = kinds;
    m_grid = nullptr;
}

TSearchStep TSearch::SetQuery(const QString& text) {
    m_query = text;
    Discard();
    return Step(m_direction);
}

TSearchStep TSearch::Step(int direction) {
    m_direction = direction < 0 ? -1 : 1;
    if (!m_built) {
        if (!IsNotBlank(m_query)) return {};
        if (m_kinds)
            m_matches = FindMatchesInKinds(*m_kinds, m_query, m_whole, m_matchCase);
        else if (m_grid)
            m_matches = FindMatches(*m_grid, m_query, m_whole, m_matchCase);
        else
            m_matches.clear();
        m_built = true;
        m_index = -1;
    }
    const int count = int(m_matches.size());
    if (count > 0) {
        m_index += m_direction;
        if (m_index >= count)
            m_index = 0;
        else if (m_index < 0)
            m_index = count - 1;
    }
    return Current();
}

TSearchStep TSearch::Current() const {
    TSearchStep s;
    s.searched = m_built;
    s.count = int(m_matches.size());
    s.index = m_index;
    if (m_index >= 0 && m_index < s.count) {
        s.col = m_matches[size_t(m_index)].col;
        s.row = m_matches[size_t(m_index)].row;
    }
    return s;
}

void TSearch::SetWholeCell(bool on) {
    m_whole = on;
    Discard();
}

void TSearch::SetMatchCase(bool on) {
    m_matchCase = on;
    Discard();
}

void TSearch::Escape() {
    m_query.clear();
    Discard();
}

void TSearch::Discard() {
    m_built = false;
    m_matches.clear();
    m_index = -1;
}

std::optional<TSearchHighlight> TSearch::HighlightAt(int col, int row) const {
    // The list is in row-major order.
    const auto it = std::lower_bound(m_matches.begin(), m_matches.end(), std::make_pair(col, row),
                                     [](const TSearchMatch& m, const std::pair<int, int>& cell) {
                                         return Before(m, cell.first, cell.second);
                                     });
    if (it == m_matches.end() || it->col != col || it->row != row) return std::nullopt;
    return TSearchHighlight{it->extent, int(it - m_matches.begin()) == m_index};
}

QString TSearch::ResultLabel(int searchBoxWidth, const TTextWidth& width) const {
    if (!m_built) return {};
    if (m_matches.empty()) return SearchNoMatches();
    return SearchCountLabel(int(m_matches.size()), searchBoxWidth, width);
}

QString SearchLongPrefix() {
    return QStringLiteral("Cовпадений по запросу: ");
}
QString SearchShortPrefix() {
    return QStringLiteral("Cовпадений: ");
}
QString SearchNoMatches() {
    return QStringLiteral("Совпадений нет");
}

namespace {
// The measuring text begins with the Cyrillic letter, unlike the prefix shown.
const QString kMeasuredPrefix = QStringLiteral("Совпадений по запросу: ");
} // namespace

QString SearchCountLabel(int count, int searchBoxWidth, const TTextWidth& width) {
    const QString number = QString::number(count);
    const bool narrow = searchBoxWidth < width(kMeasuredPrefix + number + QStringLiteral("00000")) + 5;
    return (narrow ? SearchShortPrefix() : SearchLongPrefix()) + number;
}

std::optional<QString> SearchCountLabelOnLayout(int count, int searchBoxWidth, const TTextWidth& width) {
    if (count == 0) return std::nullopt;
    const bool narrow = searchBoxWidth < width(kMeasuredPrefix + QStringLiteral("00000")) + 5;
    return (narrow ? SearchShortPrefix() : SearchLongPrefix()) + QString::number(count);
}

TSearchCaptions SearchCaptions(int forwardButtonWidth, int searchBoxWidth, const TTextWidth& width) {
    TSearchCaptions c;
    const bool shortButtons = forwardButtonWidth < width(QStringLiteral("Искать вперед")) + 10;
    c.forward = shortButtons ? QStringLiteral("Вперед") : QStringLiteral("Искать вперед");
    c.back = shortButtons ? QStringLiteral("Назад") : QStringLiteral("Искать назад");
    const bool shortBoxes = searchBoxWidth < width(QStringLiteral("с учетом регистра0000")) + 5;
    c.wholeCell = shortBoxes ? QStringLiteral("целиком") : QStringLiteral("ячейка целиком");
    c.matchCase = shortBoxes ? QStringLiteral("регистр") : QStringLiteral("с учетом регистра");
    return c;
}

TSearchGeometry SearchGroupGeometry(int groupWidth, int zeroWidth) {
    TSearchGeometry g;
    g.boxLeft = kSearchGroupMargin;
    g.boxWidth = std::max(0, groupWidth * 2 / 3 - kSearchGroupMargin);
    g.buttonLeft = g.boxLeft + g.boxWidth + 10;
    const int room = std::max(0, groupWidth - g.buttonLeft - kSearchGroupMargin);
    g.buttonWidth = std::min(13 * zeroWidth + kSearchGroupMargin, room);
    return g;
}

int SearchTopRow(int matchRow, int topRow, int gridHeight, int row0Height) {
    const int visible = gridHeight / std::max(1, row0Height + 1) - 1;
    if (matchRow < topRow || matchRow - topRow >= visible) return matchRow;
    return topRow;
}
