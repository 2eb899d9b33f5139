#include "money/tsearch.h"

#include "ledger/tdatagrid.h"
#include "ledger/toperationswithnumbers.h"
#include "money/rowcells.h"
#include "storage/textrules.h"
#include "storage/tmemtable.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <string_view>

namespace {

void ReadKeys(const TMemTable& table, std::vector<TRowKey>& keys) {
    keys.resize(size_t(table.RowCount()));
    for (int i = 0; i < table.RowCount(); ++i)
        keys[size_t(i)] = RowKey(table, i);
}

bool SameKeys(const TMemTable& table, const std::vector<TRowKey>& keys) {
    if (keys.size() != size_t(table.RowCount())) return false;
    for (int i = 0; i < table.RowCount(); ++i)
        if (!(keys[size_t(i)] == RowKey(table, i))) return false;
    return true;
}

std::u16string_view View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())};
}

// The extent of a match at `at` in a cell's upper-cased text: upper case can lengthen a text (ß gives
// SS), so the part is kept within the cell.
TSearchExtent FoldedExtent(qsizetype at, qsizetype cellLength, qsizetype upperLength) {
    const int start = int(std::min<qsizetype>(at, cellLength));
    const int length = int(std::min<qsizetype>(upperLength, cellLength - start));
    return {start, length};
}

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
        return FoldedExtent(*at, cell.size(), blind.Upper().size());
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

// The cells of a table upper-cased as the search without match case compares them (UpperText), one
// text for the whole table, in table order. Brought up to date by the rows' stamps: a row whose stamp
// did not change is copied from where it stood, wherever it stands now; any other is folded again.
struct TSearch::TFolded {
    struct TCell {
        quint32 end = 0;    // where its upper-cased text ends in `text`; it begins where the previous ends
        quint32 length = 0; // the cell's own length, which the query must not exceed
    };

    const TMemTable* table = nullptr;
    int columns = 0;
    QLocale locale;
    quint64 lastUse = 0;
    std::vector<TRowKey> keys;
    std::vector<quint32> firstCell{0}; // per table row, and one past the last
    std::vector<TCell> cells;
    std::u16string text;

    quint32 Start(size_t cell) const { return cell == 0 ? 0 : cells[cell - 1].end; }

    // Appends a cell's text upper-cased (UpperText) and gives the cell's own length; the caller records
    // where it ends. Plain text is upper-cased in place, most often straight from the cell's bytes.
    quint32 AppendUpper(const TRowCells& row, int column, bool plainCasing) {
        const size_t at = text.size();
        const QByteArrayView bytes = row.Bytes(column);
        const auto plainAscii = [](char b) {
            return static_cast<unsigned char>(b) < 0x80 &&
                   IsPlainChar(char16_t(static_cast<unsigned char>(b)));
        };
        if (plainCasing && std::all_of(bytes.begin(), bytes.end(), plainAscii)) {
            text.resize(at + size_t(bytes.size()));
            for (qsizetype k = 0; k < bytes.size(); ++k)
                text[at + size_t(k)] =
                    PlainUpper(QChar(char16_t(static_cast<unsigned char>(bytes[k])))).unicode();
            return quint32(bytes.size());
        }
        const QString& cell = row.Value(column);
        if (plainCasing && IsPlainText(cell)) {
            text.resize(at + size_t(cell.size()));
            for (qsizetype k = 0; k < cell.size(); ++k)
                text[at + size_t(k)] = PlainUpper(cell[k]).unicode();
        } else {
            text.append(View(UpperText(cell)));
        }
        return quint32(cell.size());
    }

    void Update(const TMemTable& t, int cols) {
        const bool reusable = table == &t && columns == cols && locale == QLocale();
        if (reusable && SameKeys(t, keys)) return;
        TFolded next;
        next.table = &t;
        next.columns = cols;
        next.keys.reserve(size_t(t.RowCount()));
        next.firstCell.reserve(size_t(t.RowCount()) + 1);
        // A first text takes about a character per byte of the table.
        next.cells.reserve(cells.empty() ? size_t(t.RowCount()) * size_t(std::max(cols, 0)) : cells.size());
        next.text.reserve(text.empty() ? size_t(t.BufferSize()) : text.size());
        QHash<QPair<quintptr, quint64>, int> moved; // the old rows by key, made only when rows moved
        const bool plainCasing = LocaleCasesPlainly();
        TRowCells row;
        for (int i = 0; i < t.RowCount(); ++i) {
            const TRowKey key = RowKey(t, i);
            next.keys.push_back(key);
            int from = -1;
            if (reusable) {
                if (size_t(i) < keys.size() && keys[size_t(i)] == key) {
                    from = i;
                } else {
                    if (moved.isEmpty())
                        for (size_t k = 0; k < keys.size(); ++k)
                            moved.insert({quintptr(keys[k].row), keys[k].stamp}, int(k));
                    from = moved.value({quintptr(key.row), key.stamp}, -1);
                }
            }
            if (from >= 0) {
                for (quint32 c = firstCell[size_t(from)]; c < firstCell[size_t(from) + 1]; ++c) {
                    next.text.append(text, Start(c), cells[c].end - Start(c));
                    next.cells.push_back({quint32(next.text.size()), cells[c].length});
                }
            } else {
                const int n = row.Read(t, i, cols);
                for (int c = 0; c < n; ++c) {
                    const quint32 length = next.AppendUpper(row, c, plainCasing);
                    next.cells.push_back({quint32(next.text.size()), length});
                }
            }
            next.firstCell.push_back(quint32(next.cells.size()));
        }
        next.lastUse = lastUse;
        *this = std::move(next);
    }

    // The match of the upper-cased query in a cell of a table row, if any.
    std::optional<TSearchExtent> MatchCell(int tableRow, int column, std::u16string_view upper,
                                           qsizetype queryLength) const {
        const size_t c = firstCell[size_t(tableRow)] + size_t(column);
        if (c >= firstCell[size_t(tableRow) + 1] || cells[c].length < queryLength) return std::nullopt;
        const std::u16string_view cell(text.data() + Start(c), cells[c].end - Start(c));
        const size_t at = cell.find(upper);
        if (at == std::u16string_view::npos) return std::nullopt;
        return FoldedExtent(qsizetype(at), cells[c].length, qsizetype(upper.size()));
    }

    // Every match of a grid's shown rows in row-major order: the row's text is searched as one, and a
    // find that runs past its cell's end means no match in that cell, whose later finds would too.
    void FindAll(const TDataGrid& grid, std::u16string_view upper, qsizetype queryLength,
                 std::vector<TSearchMatch>& out) const {
        const int rows = int(keys.size());
        for (int g = 1; g < grid.GridRowCount(); ++g) {
            const int r = grid.TableRow(g);
            if (r < 0 || r >= rows) continue;
            const size_t first = firstCell[size_t(r)], last = firstCell[size_t(r) + 1];
            size_t c = first;
            size_t pos = Start(first);
            const size_t end = Start(last);
            while (c < last) {
                const size_t at = std::u16string_view(text.data() + pos, end - pos).find(upper);
                if (at == std::u16string_view::npos) break;
                const size_t hit = pos + at;
                while (cells[c].end <= hit)
                    ++c;
                if (hit + upper.size() <= cells[c].end && cells[c].length >= queryLength)
                    out.push_back(
                        {int(c - first), g,
                         FoldedExtent(qsizetype(hit - Start(c)), cells[c].length, qsizetype(upper.size()))});
                pos = cells[c].end;
                ++c;
            }
        }
    }
};

// What the last list of a ledger view was made from. A query that holds the last one, with the same
// options and over the same rows, can match only where the last one did, unless the whole cell is
// asked for.
struct TSearch::TLastList {
    const TDataGrid* grid = nullptr;
    const TMemTable* table = nullptr;
    std::vector<TRowKey> keys;
    std::vector<int> rowMap;
    int columns = 0;
    QString query;
    QString upper;
    bool wholeCell = false;
    bool matchCase = false;
    std::vector<TSearchMatch> matches;

    bool Narrows(const TDataGrid& g, const QString& q, const QString& qUpper, bool whole, bool mc) const {
        if (whole || wholeCell || mc != matchCase || &g != grid || g.Table != table ||
            g.ColumnCount() != columns || q.size() < query.size())
            return false;
        if (!(mc ? q.contains(query) : qUpper.contains(upper))) return false;
        return g.RowMap == rowMap && SameKeys(*table, keys);
    }
};

TSearch::TSearch() = default;
TSearch::~TSearch() = default;

TSearch::TFolded& TSearch::FoldedFor(const TMemTable& table, int columns) {
    // A few tables are kept: the ledger pages a user moves between.
    constexpr size_t kKept = 5;
    auto it = std::find_if(m_folded.begin(), m_folded.end(),
                           [&](const std::unique_ptr<TFolded>& f) { return f->table == &table; });
    if (it == m_folded.end()) {
        if (m_folded.size() < kKept) {
            m_folded.push_back(std::make_unique<TFolded>());
            it = m_folded.end() - 1;
        } else {
            it = std::min_element(m_folded.begin(), m_folded.end(),
                                  [](const auto& a, const auto& b) { return a->lastUse < b->lastUse; });
        }
    }
    TFolded& folded = **it;
    folded.Update(table, columns);
    folded.lastUse = ++m_uses;
    return folded;
}

std::vector<TSearchMatch> TSearch::FindInGrid() {
    const TDataGrid& grid = *m_grid;
    if (!IsNotBlank(m_query) || !grid.Table) return {};
    const TMemTable& table = *grid.Table;
    const TCaseBlindText blind(m_query);
    std::vector<TSearchMatch> out;
    TFolded* folded = nullptr;
    if (!m_whole && !m_matchCase) folded = &FoldedFor(table, grid.ColumnCount());
    const std::u16string_view upper = View(blind.Upper());

    if (m_last && m_last->Narrows(grid, m_query, blind.Upper(), m_whole, m_matchCase)) {
        const TPreparedQuery q(m_query, m_whole, m_matchCase);
        for (const TSearchMatch& m : m_last->matches) {
            const int r = grid.TableRow(m.row);
            const std::optional<TSearchExtent> extent =
                folded ? folded->MatchCell(r, m.col, upper, m_query.size())
                       : q.Match(table.Row(r)->Cell(m.col));
            if (extent) out.push_back({m.col, m.row, *extent});
        }
    } else if (folded) {
        folded->FindAll(grid, upper, m_query.size(), out);
    } else {
        out = FindMatches(grid, m_query, m_whole, m_matchCase);
    }

    if (!m_last) m_last = std::make_unique<TLastList>();
    m_last->grid = &grid;
    m_last->table = &table;
    ReadKeys(table, m_last->keys);
    m_last->rowMap = grid.RowMap;
    m_last->columns = grid.ColumnCount();
    m_last->query = m_query;
    m_last->upper = blind.Upper();
    m_last->wholeCell = m_whole;
    m_last->matchCase = m_matchCase;
    m_last->matches = out;
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
            m_matches = FindInGrid();
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
