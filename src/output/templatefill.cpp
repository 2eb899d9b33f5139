#include "output/templatefill.h"

#include "ledger/toperationswithnumbers.h"
#include "output/odspackage.h"
#include "output/templatelist.h"

#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <functional>
#include <map>

namespace {

const QString& kOffice = odfns::Office;
const QString& kStyle = odfns::Style;
const QString& kTable = odfns::Table;
const QString& kText = odfns::Text;
const QString& kNumber = odfns::Number;
const QString kPercentData = QStringLiteral("vmPercentN");
const QString kPercentCell = QStringLiteral("vmPercent");

// Spreadsheets stop at this many rows; a template's run of empty rows is cut so that the filled
// sheet stays within it.
constexpr int kMaxRows = 1048576;

// One XML token of a cell's content, kept to be written again.
struct TToken {
    QXmlStreamReader::TokenType type;
    QString ns;
    QString name;
    QXmlStreamAttributes attrs;
    QString text;
};

struct TCell {
    QString name; // table-cell or covered-table-cell
    QXmlStreamAttributes attrs;
    int repeat = 1;
    QString text;
    std::vector<TToken> inner;
};

struct TRow {
    QXmlStreamAttributes attrs;
    int repeat = 1;
    std::vector<TCell> cells;
    int Width() const {
        int w = 0;
        for (const TCell& c : cells)
            w += c.repeat;
        return w;
    }
};

int RepeatOf(const QXmlStreamAttributes& attrs, const QString& name) {
    const int n = attrs.value(kTable, name).toInt();
    return n > 0 ? n : 1;
}

// The cell's text as shown: paragraphs on lines, text:s as its spaces, annotations left out.
void ReadCell(QXmlStreamReader& r, TCell& cell) {
    cell.name = r.name().toString();
    cell.attrs = r.attributes();
    cell.repeat = RepeatOf(cell.attrs, QStringLiteral("number-columns-repeated"));
    int depth = 0, annotation = 0, paragraphs = 0;
    while (!r.atEnd()) {
        r.readNext();
        TToken t{r.tokenType(), {}, {}, {}, {}};
        if (r.isStartElement()) {
            ++depth;
            t.ns = r.namespaceUri().toString();
            t.name = r.name().toString();
            t.attrs = r.attributes();
            if (t.ns == kOffice && t.name == QLatin1String("annotation")) ++annotation;
            if (!annotation && t.ns == kText) {
                if (t.name == QLatin1String("p") || t.name == QLatin1String("h")) {
                    if (paragraphs++) cell.text += u'\n';
                } else if (t.name == QLatin1String("s")) {
                    const int c = t.attrs.value(kText, QStringLiteral("c")).toInt();
                    cell.text += QString(c > 0 ? c : 1, u' ');
                } else if (t.name == QLatin1String("tab")) {
                    cell.text += u'\t';
                } else if (t.name == QLatin1String("line-break")) {
                    cell.text += u'\n';
                }
            }
        } else if (r.isEndElement()) {
            if (depth == 0) return;
            --depth;
            t.ns = r.namespaceUri().toString();
            t.name = r.name().toString();
            if (t.ns == kOffice && t.name == QLatin1String("annotation")) --annotation;
        } else if (r.isCharacters()) {
            t.text = r.text().toString();
            if (!annotation && depth > 0) cell.text += t.text;
        } else {
            continue;
        }
        cell.inner.push_back(std::move(t));
    }
}

// Reads a row from its start element to its end.
TRow ReadRow(QXmlStreamReader& r) {
    TRow row;
    row.attrs = r.attributes();
    row.repeat = RepeatOf(row.attrs, QStringLiteral("number-rows-repeated"));
    while (!r.atEnd()) {
        r.readNext();
        if (r.isEndElement()) break;
        if (r.isStartElement()) {
            TCell cell;
            if (r.namespaceUri() == kTable && (r.name() == QLatin1String("table-cell") ||
                                               r.name() == QLatin1String("covered-table-cell"))) {
                ReadCell(r, cell);
                row.cells.push_back(std::move(cell));
            } else {
                r.skipCurrentElement();
            }
        }
    }
    return row;
}

QXmlStreamAttributes WithRepeat(const QXmlStreamAttributes& attrs, const QString& name, int repeat) {
    QXmlStreamAttributes out;
    for (const QXmlStreamAttribute& a : attrs)
        if (!(a.namespaceUri() == kTable && a.name() == name)) out.append(a);
    if (repeat > 1) out.append(kTable, name, QString::number(repeat));
    return out;
}

void WriteTokens(QXmlStreamWriter& w, const std::vector<TToken>& tokens) {
    for (const TToken& t : tokens) {
        if (t.type == QXmlStreamReader::StartElement) {
            w.writeStartElement(t.ns, t.name);
            w.writeAttributes(t.attrs);
        } else if (t.type == QXmlStreamReader::EndElement) {
            w.writeEndElement();
        } else if (t.type == QXmlStreamReader::Characters) {
            w.writeCharacters(t.text);
        }
    }
}

void WriteCellAsIs(QXmlStreamWriter& w, const TCell& c, int repeat) {
    w.writeStartElement(kTable, c.name);
    w.writeAttributes(WithRepeat(c.attrs, QStringLiteral("number-columns-repeated"), repeat));
    WriteTokens(w, c.inner);
    w.writeEndElement();
}

// What a filled cell holds.
struct TValue {
    enum { Empty, Text, Float, Percent, Date } type = Empty;
    QString text;
    QString value;
};

// The prototype's attributes without its value, formula or repetition.
QXmlStreamAttributes CellAttrs(const TCell& proto, const QString& styleOverride) {
    static const QStringList dropped = {"value-type", "value",         "date-value",
                                        "time-value", "boolean-value", "string-value",
                                        "currency",   "formula",       "number-columns-repeated"};
    QXmlStreamAttributes out;
    for (const QXmlStreamAttribute& a : proto.attrs) {
        if (dropped.contains(a.name().toString())) continue;
        if (!styleOverride.isEmpty() && a.namespaceUri() == kTable && a.name() == QLatin1String("style-name"))
            continue;
        out.append(a);
    }
    if (!styleOverride.isEmpty()) out.append(kTable, QStringLiteral("style-name"), styleOverride);
    return out;
}

// A text needs text:s marks only for a leading, trailing or repeated space, and more paragraphs only
// for a line break: most cells need neither.
bool PlainParagraph(const QString& text) {
    const qsizetype n = text.size();
    if (n == 0 || text[0] == u' ' || text[n - 1] == u' ') return n == 0;
    for (qsizetype i = 0; i + 1 < n; ++i)
        if (text[i] == u'\n' || (text[i] == u' ' && text[i + 1] == u' ')) return false;
    return true;
}

void WriteParagraphs(QXmlStreamWriter& w, const QString& text) {
    if (PlainParagraph(text)) {
        w.writeTextElement(kText, QStringLiteral("p"), text);
        return;
    }
    for (const QString& line : text.split(u'\n')) {
        w.writeStartElement(kText, QStringLiteral("p"));
        // Runs of spaces would fold into one in XML text.
        qsizetype i = 0;
        while (i < line.size()) {
            qsizetype j = i;
            while (j < line.size() &&
                   !(line[j] == u' ' && (j == 0 || j + 1 == line.size() || line[j + 1] == u' ')))
                ++j;
            if (j > i) w.writeCharacters(line.mid(i, j - i));
            if (j < line.size()) {
                qsizetype k = j;
                while (k < line.size() && line[k] == u' ')
                    ++k;
                w.writeEmptyElement(kText, QStringLiteral("s"));
                if (k - j > 1) w.writeAttribute(kText, QStringLiteral("c"), QString::number(k - j));
                j = k;
            }
            i = j;
        }
        w.writeEndElement();
    }
}

void WriteValueCell(QXmlStreamWriter& w, const QXmlStreamAttributes& attrs, const TValue& v, int repeat) {
    w.writeStartElement(kTable, QStringLiteral("table-cell"));
    w.writeAttributes(attrs);
    if (repeat > 1)
        w.writeAttribute(kTable, QStringLiteral("number-columns-repeated"), QString::number(repeat));
    switch (v.type) {
    case TValue::Empty:
        break;
    case TValue::Text:
        w.writeAttribute(kOffice, QStringLiteral("value-type"), QStringLiteral("string"));
        break;
    case TValue::Float:
        w.writeAttribute(kOffice, QStringLiteral("value-type"), QStringLiteral("float"));
        w.writeAttribute(kOffice, QStringLiteral("value"), v.value);
        break;
    case TValue::Percent:
        w.writeAttribute(kOffice, QStringLiteral("value-type"), QStringLiteral("percentage"));
        w.writeAttribute(kOffice, QStringLiteral("value"), v.value);
        break;
    case TValue::Date:
        w.writeAttribute(kOffice, QStringLiteral("value-type"), QStringLiteral("date"));
        w.writeAttribute(kOffice, QStringLiteral("date-value"), v.value);
        break;
    }
    if (v.type != TValue::Empty && !v.text.isEmpty()) WriteParagraphs(w, v.text);
    w.writeEndElement();
}

// dd.MM.yyyy as the program writes dates; anything else is no date.
QDate DateOf(const QString& text) {
    if (text.size() != 10 || text[2] != u'.' || text[5] != u'.') return {};
    int part[3] = {0, 0, 0};
    const int starts[3] = {0, 3, 6}, lengths[3] = {2, 2, 4};
    for (int p = 0; p < 3; ++p)
        for (int i = 0; i < lengths[p]; ++i) {
            const QChar c = text[starts[p] + i];
            if (c < u'0' || c > u'9') return {};
            part[p] = part[p] * 10 + (c.unicode() - u'0');
        }
    return QDate(part[2], part[1], part[0]);
}

const QRegularExpression& FieldMarkPattern() {
    static const QRegularExpression re(
        QStringLiteral("^\\s*\\{\\s*(\\d{1,4})\\s*(?::\\s*(дата)\\s*)?\\}\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    return re;
}

QRegularExpression WordMark(const QString& word) {
    return QRegularExpression(QStringLiteral("\\{\\s*") + word + QStringLiteral("\\s*\\}"),
                              QRegularExpression::CaseInsensitiveOption);
}

// One mark cell of the record row.
struct TMark {
    int position = 0; // column of the sheet, from 0
    int field = 0;    // column of the export, from 0
    bool date = false;
};

std::vector<TMark> MarksOf(const TRow& row) {
    std::vector<TMark> marks;
    int position = 0;
    for (const TCell& c : row.cells) {
        const QRegularExpressionMatch m = FieldMarkPattern().match(c.text);
        if (m.hasMatch() && m.captured(1).toInt() > 0)
            marks.push_back({position, m.captured(1).toInt() - 1, !m.captured(2).isEmpty()});
        position += c.repeat;
    }
    return marks;
}

// The cell of a row at a sheet column; null past the row's cells.
const TCell* CellAt(const TRow& row, int position) {
    int p = 0;
    for (const TCell& c : row.cells) {
        if (position < p + c.repeat) return &c;
        p += c.repeat;
    }
    return nullptr;
}

// Where every exported column goes: the marks, then the columns past the highest mark to its right.
struct TLayout {
    std::map<int, TMark> byPosition;
    int lastPosition = -1;
    int lastMarkPosition = -1;
};

TLayout LayoutFor(const std::vector<TMark>& marks, int columns) {
    TLayout l;
    const TMark* highest = nullptr;
    for (const TMark& m : marks) {
        l.byPosition[m.position] = m;
        if (!highest || m.field > highest->field) highest = &m;
    }
    if (!highest) return l;
    l.lastMarkPosition = highest->position;
    for (int f = highest->field + 1; f < columns; ++f) {
        const int p = highest->position + (f - highest->field);
        l.byPosition[p] = {p, f, highest->date};
    }
    l.lastPosition = l.byPosition.rbegin()->first;
    return l;
}

// Writes a row through its cells, giving the cells at the layout's positions their values from fill
// and keeping the rest. The prototype of a position past the row's own cells is the last mark's cell.
template <typename Fill>
void WriteLaidOutRow(QXmlStreamWriter& w, const TRow& row, const TLayout& layout, const Fill& fill) {
    w.writeStartElement(kTable, QStringLiteral("table-row"));
    w.writeAttributes(WithRepeat(row.attrs, QStringLiteral("number-rows-repeated"), 1));
    const TCell* lastProto = CellAt(row, layout.lastMarkPosition);
    int p = 0;
    for (const TCell& c : row.cells) {
        const int end = p + c.repeat;
        while (p < end) {
            auto it = layout.byPosition.lower_bound(p);
            if (it == layout.byPosition.end() || it->first >= end) {
                WriteCellAsIs(w, c, end - p);
                p = end;
            } else if (it->first > p) {
                WriteCellAsIs(w, c, it->first - p);
                p = it->first;
            } else {
                fill(c, it->second);
                ++p;
            }
        }
    }
    static const TCell emptyCell{QStringLiteral("table-cell"), {}, 1, {}, {}};
    for (auto it = layout.byPosition.lower_bound(p); it != layout.byPosition.end(); ++it) {
        if (it->first > p) {
            w.writeEmptyElement(kTable, QStringLiteral("table-cell"));
            if (it->first - p > 1)
                w.writeAttribute(kTable, QStringLiteral("number-columns-repeated"),
                                 QString::number(it->first - p));
        }
        fill(lastProto ? *lastProto : emptyCell, it->second);
        p = it->first + 1;
    }
    w.writeEndElement();
}

// Moves the row references of a formula to where their rows land in the filled sheet. `map` takes a
// row (from 1) and whether it ends a range, and gives its row in the filled sheet.
QString AdjustFormula(const QString& formula, const std::function<int(int, bool)>& map) {
    static const QRegularExpression bracket(QStringLiteral("\\[([^\\]]*)\\]"));
    static const QRegularExpression endpoint(QStringLiteral("^(.*\\.\\$?[A-Za-z]+\\$?)(\\d+)$"));
    QString out;
    qsizetype last = 0;
    auto it = bracket.globalMatch(formula);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += formula.mid(last, m.capturedStart() - last);
        last = m.capturedEnd();
        QStringList parts = m.captured(1).split(u':');
        bool ok = parts.size() <= 2;
        std::vector<QRegularExpressionMatch> ends;
        for (const QString& part : parts) {
            ends.push_back(endpoint.match(part));
            ok = ok && ends.back().hasMatch();
        }
        if (!ok) {
            out += m.captured(0);
            continue;
        }
        for (qsizetype i = 0; i < parts.size(); ++i)
            parts[i] = ends[size_t(i)].captured(1) +
                       QString::number(map(ends[size_t(i)].captured(2).toInt(), i == 1));
        out += u'[' + parts.join(u':') + u']';
    }
    out += formula.mid(last);
    return out;
}

// An A1 column name: 0 is A, 26 is AA.
QString ColumnName(int c) {
    QString s;
    for (++c; c > 0; c = (c - 1) / 26)
        s.prepend(QChar(u'A' + (c - 1) % 26));
    return s;
}

// A text as a string of a formula.
QString FormulaString(const QString& text) {
    QString t = text;
    t.replace(u'"', QStringLiteral("\"\""));
    return u'"' + t + u'"';
}

// A row below the record row that holds field marks: a sum row, written once for every different
// set of values the records have in those fields, its marks showing them and its "{Итог}" the sum of
// the sum column over those records.
struct TGroupRow {
    int row = 0; // in the template, from 0
    int repeat = 1;
    std::vector<TMark> marks;
    std::vector<QStringList> keys; // the fields' values of each group, in the order they are written
    std::vector<long double> sums;

    int Count() const { return int(keys.size()); }
};

struct TFiller {
    const TUnloadJob& job;
    const std::vector<QStringList>& rows;
    QString today;
    int targetTable = -1;
    int recordRow = -1; // from 0
    std::vector<TMark> marks = {};
    int columns = 0;
    std::map<QString, bool> percentStyles = {}; // automatic cell styles that get a percent twin
    std::vector<std::vector<TToken>> cellStyles = {};
    std::vector<TGroupRow> groupRows = {};
    TLayout layout = {};

    // The record rows written: one even for an empty table.
    int DataCount() const { return std::max<int>(int(rows.size()), 1); }

    TValue ValueOf(const QString& text, int field, bool date) const {
        TValue v;
        if (text.isEmpty()) return v;
        v.type = TValue::Text;
        v.text = text;
        const TSheetValue s = SheetValueOf(text, SheetColumnOf(job.number, field, job.sumColumn));
        if (s.type == TSheetValue::Float || (s.type == TSheetValue::Percent && job.percent)) {
            v.type = s.type == TSheetValue::Float ? TValue::Float : TValue::Percent;
            v.value = s.value;
        } else if (date && text.size() == 10) {
            const QDate d = DateOf(text);
            if (d.isValid()) {
                v.type = TValue::Date;
                v.value = d.toString(Qt::ISODate);
            }
        }
        return v;
    }

    // Whether the record row shows a field as a date, and in which sheet column; -1 when it is not
    // shown.
    int PositionOf(int field, bool* date = nullptr) const {
        for (const auto& [p, m] : layout.byPosition)
            if (m.field == field) {
                if (date) *date = m.date;
                return p;
            }
        return -1;
    }

    // Works out the groups of every sum row from the exported rows.
    void GroupRecords() {
        for (TGroupRow& g : groupRows) {
            std::vector<int> fields;
            for (const TMark& m : g.marks)
                if (std::find(fields.begin(), fields.end(), m.field) == fields.end())
                    fields.push_back(m.field);
            std::map<QStringList, long double> sums;
            std::vector<QStringList> order;
            for (const QStringList& r : rows) {
                QStringList key;
                for (int f : fields)
                    key << r.value(f);
                auto [it, added] = sums.emplace(key, 0.0L);
                if (added) order.push_back(key);
                QString number;
                if (SpreadsheetNumber(r.value(job.sumColumn), number)) it->second += number.toDouble();
            }
            // Groups in the order of their values; dates by the day.
            std::stable_sort(order.begin(), order.end(), [](const QStringList& a, const QStringList& b) {
                for (qsizetype i = 0; i < a.size(); ++i) {
                    const QDate da = DateOf(a[i]), db = DateOf(b[i]);
                    const int c = da.isValid() && db.isValid() ? (da < db   ? -1
                                                                  : da > db ? 1
                                                                            : 0)
                                                               : a[i].compare(b[i]);
                    if (c != 0) return c < 0;
                }
                return false;
            });
            g.keys.clear();
            g.sums.clear();
            for (const QStringList& key : order) {
                QStringList values;
                for (const TMark& m : g.marks)
                    values << key[std::find(fields.begin(), fields.end(), m.field) - fields.begin()];
                g.keys.push_back(values);
                g.sums.push_back(sums[key]);
            }
        }
    }

    const TGroupRow* GroupRowAt(int row) const {
        for (const TGroupRow& g : groupRows)
            if (g.row == row) return &g;
        return nullptr;
    }

    // Where a template row (from 0) lands in the filled sheet: the record row becomes the records, a
    // sum row its groups. A range's end lands on the last row of what its row became.
    int MapRow(int t, bool rangeEnd) const {
        if (recordRow < 0 || t < recordRow) return t;
        if (t == recordRow) return rangeEnd ? recordRow + DataCount() - 1 : recordRow;
        int shift = DataCount() - 1;
        for (const TGroupRow& g : groupRows) {
            if (t >= g.row + g.repeat) {
                shift += g.Count() - g.repeat;
            } else if (t >= g.row) {
                const int first = g.row + shift;
                return rangeEnd ? first + std::max(g.Count(), 1) - 1 : first;
            }
        }
        return t + shift;
    }

    // The formula summing the sum column over the records of one group, or empty when the record row
    // does not show the sum or one of the group's fields.
    QString GroupFormula(const TGroupRow& g, const QStringList& key) const {
        const int sum = PositionOf(job.sumColumn);
        if (sum < 0) return {};
        const int first = recordRow + 1, last = recordRow + DataCount();
        const auto range = [&](int p) {
            return QStringLiteral("[.%1%2:.%1%3]").arg(ColumnName(p)).arg(first).arg(last);
        };
        QStringList conditions;
        for (size_t i = 0; i < g.marks.size(); ++i) {
            bool date = false;
            const int p = PositionOf(g.marks[i].field, &date);
            if (p < 0) return {};
            // Compared with the record cells as they were written: a date as a date, a number as a
            // number, a text as a text.
            const TValue v = ValueOf(key[qsizetype(i)], g.marks[i].field, date);
            QString operand;
            switch (v.type) {
            case TValue::Empty:
                operand = QStringLiteral("\"\"");
                break;
            case TValue::Text:
                operand = FormulaString(v.text);
                break;
            case TValue::Float:
            case TValue::Percent:
                operand = v.value;
                break;
            case TValue::Date: {
                const QDate d = QDate::fromString(v.value, Qt::ISODate);
                operand = QStringLiteral("DATE(%1;%2;%3)").arg(d.year()).arg(d.month()).arg(d.day());
                break;
            }
            }
            const QString condition = u'(' + range(p) + u'=' + operand + u')';
            if (!conditions.contains(condition)) conditions << condition;
        }
        // The conditions multiplied are numbers wherever the sheet is opened; text in the sum column
        // counts as nothing.
        return QStringLiteral("of:=SUMPRODUCT(") + conditions.join(u'*') +
               (conditions.size() == 1 ? QStringLiteral("*1") : QString()) + u';' + range(sum) + u')';
    }

    void WriteRecordRows(QXmlStreamWriter& w, const TRow& row) const {
        const std::vector<QStringList> blank(1);
        const std::vector<QStringList>& data = rows.empty() ? blank : rows;
        // The attributes of each prototype, plain and in percent, worked out once for all rows.
        std::map<std::pair<const TCell*, bool>, QXmlStreamAttributes> attrs;
        const auto attrsFor = [&](const TCell& proto, bool percent) -> const QXmlStreamAttributes& {
            auto it = attrs.find({&proto, percent});
            if (it == attrs.end())
                it = attrs
                         .emplace(std::pair{&proto, percent},
                                  CellAttrs(proto, percent ? PercentStyleFor(proto) : QString()))
                         .first;
            return it->second;
        };
        for (const QStringList& r : data)
            WriteLaidOutRow(w, row, layout, [&](const TCell& proto, const TMark& m) {
                const TValue v = ValueOf(r.value(m.field), m.field, m.date);
                WriteValueCell(w, attrsFor(proto, v.type == TValue::Percent), v, 1);
            });
    }

    QString PercentStyleFor(const TCell& proto) const {
        const QString style = proto.attrs.value(kTable, QStringLiteral("style-name")).toString();
        return percentStyles.count(style) ? kPercentCell + u'-' + style : kPercentCell;
    }

    void WriteCaptionRow(QXmlStreamWriter& w, const TRow& row) const {
        WriteLaidOutRow(w, row, layout, [&](const TCell& proto, const TMark& m) {
            TValue v;
            v.text = job.columnNames.value(m.field);
            v.type = v.text.isEmpty() ? TValue::Empty : TValue::Text;
            WriteValueCell(w, CellAttrs(proto, {}), v, 1);
        });
    }

    static const QRegularExpression& TotalPattern() {
        static const QRegularExpression total = WordMark(QStringLiteral("итог"));
        return total;
    }
    static const QRegularExpression& TodayPattern() {
        static const QRegularExpression today = WordMark(QStringLiteral("сегодня"));
        return today;
    }
    static bool OnlyTotal(const TCell& c) {
        const QString t = c.text.trimmed();
        return t.startsWith(u'{') && TotalPattern().match(t).capturedLength() == t.size();
    }

    // A cell with "{Итог}" or "{Сегодня}" in a longer text, the marks put in as text; false for a
    // cell without them.
    bool WriteMarkedText(QXmlStreamWriter& w, const TCell& c, const QString& total) const {
        const bool hasTotal = c.text.contains(TotalPattern());
        if (!hasTotal && !c.text.contains(TodayPattern())) return false;
        QString text = c.text;
        text.replace(TotalPattern(), total);
        text.replace(TodayPattern(), today);
        TValue v;
        v.type = text.isEmpty() ? TValue::Empty : TValue::Text;
        v.text = text;
        WriteValueCell(w, CellAttrs(c, {}), v, c.repeat);
        return true;
    }

    // A formula of the target sheet whose references follow their rows to the filled sheet; the value
    // saved with the template is not the value of the filled table.
    void AdjustFormulaCell(TCell& c) const {
        for (QXmlStreamAttribute& a : c.attrs)
            if (a.namespaceUri() == kTable && a.name() == QLatin1String("formula")) {
                a = QXmlStreamAttribute(kTable, QStringLiteral("formula"),
                                        AdjustFormula(a.value().toString(), [this](int row, bool end) {
                                            return MapRow(row - 1, end) + 1;
                                        }));
                QXmlStreamAttributes kept;
                for (const QXmlStreamAttribute& b : c.attrs)
                    if (b.name() != QLatin1String("value") && b.name() != QLatin1String("string-value"))
                        kept.append(b);
                c.attrs = kept;
                std::vector<TToken> none;
                c.inner.swap(none);
                return;
            }
    }

    // The marks outside the record row and the formulas that reach below it.
    void WriteOtherRow(QXmlStreamWriter& w, TRow row, bool inTarget, int rowIndex) const {
        if (inTarget && recordRow >= 0 && rowIndex > recordRow && row.repeat > 1) {
            const int room = kMaxRows - MapRow(rowIndex, false);
            row.repeat = std::max(1, std::min(row.repeat, room));
        }
        w.writeStartElement(kTable, QStringLiteral("table-row"));
        w.writeAttributes(WithRepeat(row.attrs, QStringLiteral("number-rows-repeated"), row.repeat));
        for (TCell& c : row.cells) {
            if (OnlyTotal(c)) {
                TValue v;
                QString number;
                if (SpreadsheetNumber(job.totalSum, number)) {
                    v.type = TValue::Float;
                    v.value = number;
                    v.text = job.totalSum;
                }
                WriteValueCell(w, CellAttrs(c, {}), v, c.repeat);
                continue;
            }
            if (WriteMarkedText(w, c, job.totalSum)) continue;
            if (inTarget && recordRow >= 0) AdjustFormulaCell(c);
            WriteCellAsIs(w, c, c.repeat);
        }
        w.writeEndElement();
    }

    // A sum row, once for each of its groups.
    void WriteGroupRows(QXmlStreamWriter& w, const TRow& templ, const TGroupRow& g) const {
        for (int k = 0; k < g.Count(); ++k) {
            TRow row = templ;
            w.writeStartElement(kTable, QStringLiteral("table-row"));
            w.writeAttributes(WithRepeat(row.attrs, QStringLiteral("number-rows-repeated"), 1));
            size_t mark = 0;
            int position = 0;
            for (TCell& c : row.cells) {
                const int at = position;
                position += c.repeat;
                if (mark < g.marks.size() && g.marks[mark].position == at) {
                    const TMark& m = g.marks[mark];
                    WriteValueCell(w, CellAttrs(c, {}),
                                   ValueOf(g.keys[size_t(k)][qsizetype(mark)], m.field, m.date), c.repeat);
                    ++mark;
                    continue;
                }
                const long double sum = g.sums[size_t(k)];
                if (OnlyTotal(c)) {
                    // A formula, so that the sum follows the sheet's edits, left for the spreadsheet to
                    // work out when it opens the file; the sum itself where the records do not show
                    // what it needs.
                    const QString formula = GroupFormula(g, g.keys[size_t(k)]);
                    QXmlStreamAttributes attrs = CellAttrs(c, {});
                    TValue v;
                    v.type = TValue::Float;
                    if (formula.isEmpty()) {
                        v.value = QString::number(double(sum), 'g', 15);
                        v.text = DisplayRound(sum);
                    } else {
                        attrs.append(kTable, QStringLiteral("formula"), formula);
                        attrs.append(kOffice, QStringLiteral("value-type"), QStringLiteral("float"));
                        v.type = TValue::Empty;
                    }
                    WriteValueCell(w, attrs, v, c.repeat);
                    continue;
                }
                if (WriteMarkedText(w, c, DisplayRound(sum))) continue;
                AdjustFormulaCell(c);
                WriteCellAsIs(w, c, c.repeat);
            }
            w.writeEndElement();
        }
    }

    void WriteRow(QXmlStreamWriter& w, const TRow& tr, bool inTarget, int row) const {
        if (inTarget && row == recordRow)
            WriteRecordRows(w, tr);
        else if (inTarget && row + 1 == recordRow && tr.repeat == 1)
            WriteCaptionRow(w, tr);
        else if (const TGroupRow* g = inTarget ? GroupRowAt(row) : nullptr)
            WriteGroupRows(w, tr, *g);
        else
            WriteOtherRow(w, tr, inTarget, row);
    }
    void WritePercentStyles(QXmlStreamWriter& w) const {
        w.writeStartElement(kNumber, QStringLiteral("percentage-style"));
        w.writeAttribute(kStyle, QStringLiteral("name"), kPercentData);
        w.writeAttribute(kNumber, QStringLiteral("language"), QStringLiteral("ru"));
        w.writeAttribute(kNumber, QStringLiteral("country"), QStringLiteral("RU"));
        w.writeEmptyElement(kNumber, QStringLiteral("number"));
        w.writeAttribute(kNumber, QStringLiteral("decimal-places"), QStringLiteral("2"));
        w.writeAttribute(kNumber, QStringLiteral("min-decimal-places"), QStringLiteral("2"));
        w.writeAttribute(kNumber, QStringLiteral("min-integer-digits"), QStringLiteral("1"));
        w.writeTextElement(kNumber, QStringLiteral("text"), QStringLiteral("%"));
        w.writeEndElement();
        w.writeEmptyElement(kStyle, QStringLiteral("style"));
        w.writeAttribute(kStyle, QStringLiteral("name"), kPercentCell);
        w.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("table-cell"));
        w.writeAttribute(kStyle, QStringLiteral("data-style-name"), kPercentData);
        // A twin of each automatic cell style, so that a percent keeps its cell's font and borders.
        for (const std::vector<TToken>& tokens : cellStyles) {
            std::vector<TToken> twin = tokens;
            QXmlStreamAttributes attrs;
            for (const QXmlStreamAttribute& a : twin[0].attrs) {
                if (a.namespaceUri() == kStyle && a.name() == QLatin1String("name"))
                    attrs.append(kStyle, QStringLiteral("name"), kPercentCell + u'-' + a.value().toString());
                else if (!(a.namespaceUri() == kStyle && a.name() == QLatin1String("data-style-name")))
                    attrs.append(a);
            }
            attrs.append(kStyle, QStringLiteral("data-style-name"), kPercentData);
            twin[0].attrs = attrs;
            WriteTokens(w, twin);
        }
    }
};

bool IsTableElement(const QXmlStreamReader& r, const char* name) {
    return r.namespaceUri() == kTable && r.name() == QLatin1String(name);
}

// Finds the table and row of the record marks, and the sum rows below them.
bool FindRecordRow(const QByteArray& content, TFiller& f, QString& error) {
    QXmlStreamReader r(content);
    int table = -1, row = 0;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && IsTableElement(r, "table")) {
            if (f.recordRow >= 0) break;
            ++table;
            row = 0;
        } else if (r.isEndElement() && IsTableElement(r, "table") && f.recordRow >= 0) {
            break;
        } else if (r.isStartElement() && IsTableElement(r, "table-row")) {
            const TRow tr = ReadRow(r);
            std::vector<TMark> marks = MarksOf(tr);
            if (!marks.empty() && f.recordRow < 0) {
                f.targetTable = table;
                f.recordRow = row;
                f.marks = std::move(marks);
            } else if (!marks.empty()) {
                f.groupRows.push_back({row, tr.repeat, std::move(marks), {}, {}});
            }
            row += tr.repeat;
        }
    }
    if (f.recordRow >= 0) return true;
    error = r.hasError() ? r.errorString() : QStringLiteral("the template has no record row");
    return false;
}

} // namespace

QString FieldMark(int field, bool date) {
    return date ? QStringLiteral("{%1:дата}").arg(field) : QStringLiteral("{%1}").arg(field);
}

QString TotalMark() {
    return QStringLiteral("{Итог}");
}

QString TodayMark() {
    return QStringLiteral("{Сегодня}");
}

bool FillTemplateContent(const QByteArray& content, const TUnloadJob& job,
                         const std::vector<QStringList>& rows, const QDate& today, QByteArray& filled,
                         QString& error) {
    TFiller f{.job = job, .rows = rows, .today = today.toString(QStringLiteral("dd.MM.yyyy"))};
    if (!FindRecordRow(content, f, error)) return false;
    f.columns = int(job.columnNames.size());
    for (const QStringList& r : rows)
        f.columns = std::max(f.columns, int(r.size()));
    f.layout = LayoutFor(f.marks, f.columns);
    f.GroupRecords();

    filled.clear();
    filled.reserve(content.size() + qsizetype(rows.size()) * 64 * std::max(f.columns, 1));
    QXmlStreamReader r(content);
    QXmlStreamWriter w(&filled);
    int table = -1, row = 0;
    bool inAutomatic = false;
    const TLayout& layout = f.layout;
    while (!r.atEnd()) {
        r.readNext();
        if (r.hasError()) break;
        const bool inTarget = table == f.targetTable;
        if (r.isStartElement() && r.namespaceUri() == kOffice &&
            r.name() == QLatin1String("automatic-styles"))
            inAutomatic = true;
        if (r.isEndElement() && r.namespaceUri() == kOffice &&
            r.name() == QLatin1String("automatic-styles")) {
            inAutomatic = false;
            if (job.percent) f.WritePercentStyles(w);
        }
        if (inAutomatic && job.percent && r.isStartElement() && r.namespaceUri() == kStyle &&
            r.name() == QLatin1String("style") &&
            r.attributes().value(kStyle, QStringLiteral("family")) == QLatin1String("table-cell")) {
            // Kept whole to be written again and twinned at the end of the automatic styles.
            TCell style;
            TToken start{r.tokenType(), r.namespaceUri().toString(), r.name().toString(), r.attributes(), {}};
            ReadCell(r, style);
            std::vector<TToken> tokens{start};
            tokens.insert(tokens.end(), style.inner.begin(), style.inner.end());
            WriteTokens(w, tokens);
            w.writeEndElement();
            tokens.push_back({QXmlStreamReader::EndElement, {}, {}, {}, {}});
            f.percentStyles[start.attrs.value(kStyle, QStringLiteral("name")).toString()] = true;
            f.cellStyles.push_back(std::move(tokens));
            continue;
        }
        if (r.isStartElement() && IsTableElement(r, "table")) {
            ++table;
            row = 0;
        } else if (r.isStartElement() && IsTableElement(r, "table-column") && inTarget &&
                   layout.lastMarkPosition >= 0) {
            // Columns are laid out as the record row's cells; the column of the highest mark lends its
            // width to the columns past it. Done in the first column element, which sees them all.
            std::vector<std::pair<QXmlStreamAttributes, int>> cols;
            do {
                if (r.isStartElement() && IsTableElement(r, "table-column")) {
                    const QXmlStreamAttributes a = r.attributes();
                    cols.push_back({a, RepeatOf(a, QStringLiteral("number-columns-repeated"))});
                    r.skipCurrentElement();
                }
                r.readNext();
                while (r.isWhitespace())
                    r.readNext();
            } while (r.isStartElement() && IsTableElement(r, "table-column"));
            std::vector<QXmlStreamAttributes> expanded;
            for (const auto& [a, n] : cols)
                for (int i = 0; i < n && expanded.size() < 20000; ++i)
                    expanded.push_back(a);
            const QXmlStreamAttributes highest = size_t(layout.lastMarkPosition) < expanded.size()
                                                     ? expanded[size_t(layout.lastMarkPosition)]
                                                     : QXmlStreamAttributes();
            for (const auto& [p, m] : layout.byPosition) {
                if (p <= layout.lastMarkPosition) continue;
                if (size_t(p) >= expanded.size()) expanded.resize(size_t(p) + 1, highest);
                expanded[size_t(p)] = highest;
            }
            for (size_t i = 0; i < expanded.size();) {
                size_t j = i + 1;
                while (j < expanded.size() && expanded[j] == expanded[i])
                    ++j;
                w.writeEmptyElement(kTable, QStringLiteral("table-column"));
                w.writeAttributes(
                    WithRepeat(expanded[i], QStringLiteral("number-columns-repeated"), int(j - i)));
                i = j;
            }
            // The reader stands on the token after the columns: handle it as any other.
            if (r.isStartElement() && IsTableElement(r, "table-row")) {
                const TRow tr = ReadRow(r);
                f.WriteRow(w, tr, true, row);
                row += tr.repeat;
                continue;
            }
            w.writeCurrentToken(r);
            continue;
        } else if (r.isStartElement() && IsTableElement(r, "table-row")) {
            const TRow tr = ReadRow(r);
            f.WriteRow(w, tr, inTarget, row);
            row += tr.repeat;
            continue;
        }
        w.writeCurrentToken(r);
    }
    if (r.hasError()) {
        error = r.errorString();
        return false;
    }
    return true;
}

bool FillTemplate(const std::vector<TOdfEntry>& templ, const TUnloadJob& job,
                  const std::vector<QStringList>& rows, const QDate& today, std::vector<TOdfEntry>& filled,
                  QString& error) {
    filled.clear();
    bool found = false;
    const QByteArray content = OdfEntry(templ, QStringLiteral("content.xml"), &found);
    if (!found) {
        error = QStringLiteral("the template has no content.xml");
        return false;
    }
    QByteArray out;
    if (!FillTemplateContent(content, job, rows, today, out, error)) return false;
    for (const TOdfEntry& e : templ) {
        if (e.name == QLatin1String("mimetype")) continue;
        filled.push_back(e.name == QLatin1String("content.xml") ? TOdfEntry{e.name, out} : e);
    }
    return true;
}

bool FillTemplateFile(const QString& templatePath, const QString& outPath, const TUnloadJob& job,
                      const std::vector<QStringList>& rows, const QDate& today, QString& error) {
    std::vector<TOdfEntry> templ, filled;
    if (!ReadOdfPackage(templatePath, templ, error)) return false;
    if (!FillTemplate(templ, job, rows, today, filled, error)) return false;
    templ.clear();
    return WriteOdfPackage(outPath, OdsMimeType(), filled, error);
}
