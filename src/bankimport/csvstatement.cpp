#include "bankimport/csvstatement.h"

#include "bankimport/statementtext.h"
#include "bankimport/tbanklayout.h"

#include <QCryptographicHash>
#include <QHash>
#include <QRegularExpression>

namespace {

constexpr int kHeaderSearchRows = 60;
constexpr int kFirstRows = 20;

// Fields of one line, quotes respected, for choosing the separator.
int CountFields(QStringView line, QChar separator) {
    int fields = 1;
    bool quoted = false;
    for (const QChar c : line) {
        if (c == u'"')
            quoted = !quoted;
        else if (c == separator && !quoted)
            ++fields;
    }
    return fields;
}

// The separator that gives most of the first lines one and the same number of fields; a semicolon before
// a tab before a comma when they tie, since a comma is also a decimal mark.
QChar DetectSeparator(const QString& text) {
    QList<QStringView> lines;
    qsizetype start = 0;
    while (start < text.size() && lines.size() < kHeaderSearchRows) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) end = text.size();
        const QStringView line = QStringView(text).mid(start, end - start).trimmed();
        if (!line.isEmpty()) lines << line;
        start = end + 1;
    }
    QChar best = u';';
    int bestSupport = 0;
    for (const QChar separator : {QChar(u';'), QChar(u'\t'), QChar(u',')}) {
        QHash<int, int> counts;
        for (const QStringView line : std::as_const(lines)) {
            const int n = CountFields(line, separator);
            if (n >= 2) ++counts[n];
        }
        int support = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            support = qMax(support, it.value());
        if (support > bestSupport) {
            best = separator;
            bestSupport = support;
        }
    }
    return best;
}

QStringList Normalised(const QStringList& row) {
    QStringList out;
    out.reserve(row.size());
    for (const QString& cell : row)
        out << HeaderName(cell);
    return out;
}

int Find(const QStringList& names, const QStringList& wanted) {
    for (const QString& w : wanted) {
        const int at = int(names.indexOf(w));
        if (at >= 0) return at;
    }
    return -1;
}

// The rows of a text table one at a time, each cell seen where it lies in the text; only a quoted cell
// with doubled quotes inside is copied.
class TCsvRows {
public:
    TCsvRows(const QString& text, QChar separator) : m_text(text), m_separator(separator) {}
    // The next row that is not blank; false at the end of the text.
    bool Next();
    const QList<QStringView>& Cells() const { return m_cells; }
    int Line() const { return m_line; }
    QStringList Copy() const {
        QStringList row;
        row.reserve(m_cells.size());
        for (const QStringView cell : m_cells)
            row << cell.toString();
        return row;
    }

private:
    const QString& m_text;
    const QChar m_separator;
    qsizetype m_pos = 0;
    int m_nextLine = 1;
    int m_line = 0;
    QList<QStringView> m_cells;
    std::vector<QString> m_unquoted;
};

bool TCsvRows::Next() {
    const QChar* p = m_text.constData();
    const qsizetype n = m_text.size();
    while (m_pos < n) {
        m_cells.resize(0);
        m_unquoted.clear();
        m_line = m_nextLine;
        qsizetype i = m_pos;
        bool blank = true;
        while (true) {
            QStringView cell;
            if (i < n && p[i] == u'"') {
                const qsizetype start = ++i;
                bool doubled = false;
                while (i < n) {
                    if (p[i] == u'"') {
                        if (i + 1 < n && p[i + 1] == u'"') {
                            doubled = true;
                            i += 2;
                            continue;
                        }
                        break;
                    }
                    if (p[i] == u'\n') ++m_nextLine;
                    ++i;
                }
                cell = QStringView(p + start, i - start);
                if (i < n) ++i;
                // Text after the closing quote belongs to the cell, as a careless writer meant it.
                const qsizetype rest = i;
                while (i < n && p[i] != m_separator && p[i] != u'\n' && p[i] != u'\r')
                    ++i;
                if (doubled || rest < i) {
                    QString copy = cell.toString();
                    copy.replace(QLatin1String("\"\""), QLatin1String("\""));
                    copy.append(p + rest, i - rest);
                    m_unquoted.push_back(std::move(copy));
                    cell = m_unquoted.back();
                }
            } else {
                const qsizetype start = i;
                while (i < n && p[i] != m_separator && p[i] != u'\n' && p[i] != u'\r')
                    ++i;
                cell = QStringView(p + start, i - start);
            }
            m_cells << cell;
            blank = blank && cell.trimmed().isEmpty();
            if (i < n && p[i] == m_separator) {
                ++i;
                continue;
            }
            break;
        }
        if (i < n && p[i] == u'\r') ++i;
        if (i < n && p[i] == u'\n') ++i;
        ++m_nextLine;
        m_pos = i;
        if (!blank) return true;
    }
    return false;
}

// The columns of a table as the rows are read.
struct TColumns {
    int date = -1, amount = -1, income = -1, expense = -1, currency = -1, description = -1, category = -1,
        mcc = -1, status = -1, card = -1, reference = -1;
    bool unsignedIsExpense = false;
    QString pendingReference;
    bool mccInDescription = false;
    QString defaultCurrency;

    int Widest() const {
        return qMax(qMax(qMax(date, amount), qMax(income, expense)),
                    qMax(qMax(qMax(currency, description), qMax(category, mcc)),
                         qMax(qMax(status, card), reference)));
    }
};

TColumns FromLayout(const TBankLayout& layout, const QStringList& names) {
    TColumns c;
    c.date = Find(names, layout.date);
    c.amount = Find(names, layout.amount);
    c.income = Find(names, layout.income);
    c.expense = Find(names, layout.expense);
    c.currency = Find(names, layout.currency);
    c.description = Find(names, layout.description);
    c.category = Find(names, layout.category);
    c.mcc = Find(names, layout.mcc);
    c.status = Find(names, layout.status);
    c.card = Find(names, layout.card);
    c.reference = Find(names, layout.reference);
    c.unsignedIsExpense = layout.unsignedIsExpense;
    c.pendingReference = layout.pendingReference;
    c.mccInDescription = layout.mccInDescription;
    c.defaultCurrency = layout.defaultCurrency;
    return c;
}

TColumns FromChoice(const TColumnChoice& choice) {
    TColumns c;
    c.date = choice.date;
    c.amount = choice.amount;
    c.income = choice.income;
    c.expense = choice.expense;
    c.currency = choice.currency;
    c.description = choice.description;
    c.category = choice.category;
    c.reference = choice.reference;
    return c;
}

bool ContainsAny(const QString& name, std::initializer_list<const char16_t*> words) {
    for (const char16_t* w : words)
        if (name.contains(QStringView(w))) return true;
    return false;
}

// The columns a header row names, each by the words its name holds; the better of two candidates wins.
TColumnChoice FromHeaderNames(const QStringList& row) {
    TColumnChoice c;
    int dateScore = 0, amountScore = 0, currencyScore = 0;
    const QStringList names = Normalised(row);
    for (int i = 0; i < names.size(); ++i) {
        const QString& n = names[i];
        if (n.isEmpty()) continue;
        if (ContainsAny(n, {u"дата", u"date"})) {
            const int score = ContainsAny(n, {u"обработ", u"платеж", u"списан", u"проводк", u"posted"}) ? 1
                              : ContainsAny(n, {u"операц", u"транзакц", u"transaction"})                ? 3
                                                                                                        : 2;
            if (score > dateScore) c.date = i, dateScore = score;
        } else if (ContainsAny(n, {u"приход", u"поступлен", u"зачислен", u"кредит", u"credit", u"income",
                                   u"deposit"})) {
            if (c.income < 0) c.income = i;
        } else if (ContainsAny(n, {u"расход", u"списан", u"дебет", u"debit", u"expense", u"withdrawal"})) {
            if (c.expense < 0) c.expense = i;
        } else if (ContainsAny(n, {u"сумма", u"amount", u"sum"})) {
            const int score = ContainsAny(n, {u"валюте счета", u"валюта счета", u"платеж"}) ? 3
                              : ContainsAny(n, {u"валюте операции", u"валюта операции"})    ? 1
                                                                                            : 2;
            if (score > amountScore) c.amount = i, amountScore = score;
        } else if (ContainsAny(n, {u"валюта", u"currency"})) {
            const int score = ContainsAny(n, {u"счет", u"платеж"}) ? 2 : 1;
            if (score > currencyScore) c.currency = i, currencyScore = score;
        } else if (ContainsAny(n, {u"описание", u"назначение", u"основание", u"контрагент", u"получатель",
                                   u"комментарий", u"детали", u"description", u"memo", u"payee"})) {
            if (c.description < 0) c.description = i;
        } else if (ContainsAny(n,
                               {u"референс", u"номер операции", u"номер документа", u"reference", u"id"})) {
            if (c.reference < 0) c.reference = i;
        } else if (ContainsAny(n, {u"категория", u"category"})) {
            if (c.category < 0) c.category = i;
        }
    }
    // A single sum beats a pair of which one half is missing.
    if (c.amount >= 0 && (c.income < 0 || c.expense < 0)) c.income = c.expense = -1;
    if (c.amount >= 0 && c.income >= 0 && c.expense >= 0) c.amount = -1;
    return c;
}

// The columns of a table without a header, by what the cells of its most common width hold.
TColumnChoice FromContent(const QList<QStringList>& rows) {
    QHash<int, int> widths;
    for (const QStringList& row : rows)
        if (row.size() >= 2) ++widths[int(row.size())];
    int width = 0, most = 0;
    for (auto it = widths.cbegin(); it != widths.cend(); ++it)
        if (it.value() > most || (it.value() == most && it.key() > width))
            width = it.key(), most = it.value();
    TColumnChoice c;
    if (width < 2) return c;
    QList<int> dates(width), sums(width), fractions(width), filled(width);
    QList<qsizetype> lengths(width);
    int sampled = 0;
    for (const QStringList& row : rows) {
        if (row.size() != width) continue;
        if (++sampled > 200) break;
        for (int i = 0; i < width; ++i) {
            const QString& cell = row[i];
            if (cell.trimmed().isEmpty()) continue;
            ++filled[i];
            lengths[i] += cell.size();
            if (ParseStatementDate(cell).isValid())
                ++dates[i];
            else if (ParseKopecks(cell)) {
                ++sums[i];
                if (cell.contains(u',') || cell.contains(u'.')) ++fractions[i];
            }
        }
    }
    sampled = qMin(sampled, 200);
    for (int i = 0; i < width && c.date < 0; ++i)
        if (dates[i] * 4 >= sampled * 3) c.date = i;
    int bestFractions = -1;
    for (int i = 0; i < width; ++i) {
        if (i == c.date || filled[i] * 5 < sampled * 4 || sums[i] * 5 < filled[i] * 4) continue;
        if (fractions[i] > bestFractions) c.amount = i, bestFractions = fractions[i];
    }
    qsizetype longest = 0;
    for (int i = 0; i < width; ++i) {
        if (i == c.date || i == c.amount || sums[i] * 2 > filled[i] || !filled[i]) continue;
        if (lengths[i] / filled[i] > longest) c.description = i, longest = lengths[i] / filled[i];
    }
    return c;
}

bool TotalsRow(const QList<QStringView>& row, int dateColumn) {
    static const QStringList words = {
        QStringLiteral("итого"),    QStringLiteral("всего"),     QStringLiteral("остаток"),
        QStringLiteral("оборот"),   QStringLiteral("баланс"),    QStringLiteral("сальдо"),
        QStringLiteral("входящий"), QStringLiteral("исходящий"), QStringLiteral("total")};
    const auto starts = [](QStringView cell) {
        cell = cell.trimmed();
        // Most cells of most rows are dates and sums.
        if (cell.isEmpty() || cell.front().isDigit()) return false;
        const QString n = HeaderName(cell);
        for (const QString& w : words)
            if (n.startsWith(w)) return true;
        return false;
    };
    for (const QStringView cell : row) {
        if (cell.trimmed().isEmpty()) continue;
        if (starts(cell)) return true;
        break;
    }
    return dateColumn >= 0 && dateColumn < row.size() && starts(row[dateColumn]);
}

// An account or card number in a line of the statement's information above the table.
QString AccountInInfo(const QStringList& row) {
    static const QRegularExpression number(
        QStringLiteral("(?:карт|сч[её]т|account|card)[^0-9*•]*([0-9*•][0-9*• ]{2,}[0-9])"));
    const QRegularExpressionMatch m = number.match(row.join(u' ').toLower());
    return m.hasMatch() ? m.captured(1).remove(u' ') : QString();
}

QList<QStringView> Views(const QStringList& row) {
    QList<QStringView> views;
    views.reserve(row.size());
    for (const QString& cell : row)
        views << cell;
    return views;
}

QStringView At(const QList<QStringView>& row, int column) {
    return column >= 0 && column < row.size() ? row[column].trimmed() : QStringView();
}

// A cell's text with runs of blanks and line ends as one space.
QString Text(QStringView cell) {
    cell = cell.trimmed();
    for (qsizetype i = 0; i < cell.size(); ++i) {
        const QChar c = cell[i];
        if (c.isSpace() && (c != u' ' || (i + 1 < cell.size() && cell[i + 1].isSpace())))
            return cell.toString().simplified();
    }
    return cell.toString();
}

// A column that repeats its value row after row (a card, a currency, a category) shares one text.
struct TRepeated {
    QString last;
    const QString& Of(QStringView cell) {
        cell = cell.trimmed();
        if (cell != last) last = Text(cell);
        return last;
    }
};

// What is read row after row, with the texts that repeat.
struct TRowReader {
    const TColumns& c;
    TRepeated currency, category, mcc, status, card;
    std::optional<QString> currencyFrom;
    QString normalCurrency;

    // One row of the table as an operation; false with the reason when it does not read.
    bool Read(const QList<QStringView>& row, TStatementOperation& op, QString& why);
};

bool TRowReader::Read(const QList<QStringView>& row, TStatementOperation& op, QString& why) {
    if (row.size() <= c.Widest()) {
        why = QStringLiteral("в строке %1 столбцов, нужно не меньше %2").arg(row.size()).arg(c.Widest() + 1);
        return false;
    }
    op.date = ParseStatementDate(row[c.date], &why);
    if (!op.date.isValid()) return false;
    if (c.amount >= 0) {
        const QStringView text = row[c.amount].trimmed();
        const auto sum = ParseKopecks(text, &why);
        if (!sum) return false;
        op.kopecks = *sum;
        if (c.unsignedIsExpense && !text.startsWith(u'+') && op.kopecks > 0) op.kopecks = -op.kopecks;
    } else {
        const QStringView in = At(row, c.income), out = At(row, c.expense);
        if (in.isEmpty() && out.isEmpty()) {
            why = QStringLiteral("нет суммы");
            return false;
        }
        const auto income = in.isEmpty() ? std::optional<qint64>(0) : ParseKopecks(in, &why);
        if (!income) return false;
        const auto expense = out.isEmpty() ? std::optional<qint64>(0) : ParseKopecks(out, &why);
        if (!expense) return false;
        op.kopecks = qAbs(*income) - qAbs(*expense);
    }
    const QString& written = currency.Of(At(row, c.currency));
    if (!currencyFrom || written != *currencyFrom) {
        currencyFrom = written;
        normalCurrency = written.isEmpty() ? c.defaultCurrency : NormalCurrency(written);
    }
    op.currency = normalCurrency;
    op.description = Text(At(row, c.description));
    op.category = category.Of(At(row, c.category));
    op.mcc = mcc.Of(At(row, c.mcc));
    if (c.mccInDescription && op.mcc.isEmpty()) {
        static const QRegularExpression code(QStringLiteral("\\bMCC\\s*(\\d{4})\\b"));
        op.mcc = code.match(op.description).captured(1);
    }
    const QString& word = status.Of(At(row, c.status));
    if (!CarriedOutStatus(word)) op.state = word;
    op.reference = Text(At(row, c.reference));
    if (!c.pendingReference.isEmpty() && op.reference.compare(c.pendingReference, Qt::CaseInsensitive) == 0) {
        op.state = op.reference;
        op.reference.clear();
    }
    const QString& number = card.Of(At(row, c.card));
    if (!number.isEmpty()) op.account = number;
    return true;
}

QString Hex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().left(16));
}

// Rows enough to find a header below lines of information and to guess columns from what they hold.
constexpr int kHeadRows = 250;

} // namespace

TColumnChoice GuessColumns(const QList<QStringList>& rows) {
    for (int r = 0; r < rows.size() && r < kHeaderSearchRows; ++r) {
        TColumnChoice c = FromHeaderNames(rows[r]);
        if (c.Complete()) {
            c.headerRow = r;
            return c;
        }
    }
    return FromContent(rows);
}

QString HeaderKey(const QList<QStringList>& rows, const TColumnChoice& choice) {
    if (choice.headerRow >= 0 && choice.headerRow < rows.size()) {
        const QString names = Normalised(rows[choice.headerRow]).join(QChar(0x1f));
        return QStringLiteral("csv-") +
               Hex(QCryptographicHash::hash(names.toUtf8(), QCryptographicHash::Sha1));
    }
    int width = 0;
    for (const QStringList& row : rows)
        width = qMax(width, int(row.size()));
    return QStringLiteral("csv-noheader-%1").arg(width);
}

TStatement ReadCsvStatement(const QString& text, const TColumnChoice* choice) {
    TStatement st;
    TCsvRows reader(text, DetectSeparator(text));
    // The first rows are kept whole: the header is among them, and the columns are guessed from them.
    QList<QStringList> head;
    QList<int> headLines;
    while (head.size() < kHeadRows && reader.Next()) {
        head << reader.Copy();
        headLines << reader.Line();
    }
    if (head.isEmpty()) {
        st.error = QStringLiteral("в файле нет таблицы операций");
        return st;
    }
    TColumns columns;
    int headerRow = -1;
    for (int r = 0; r < head.size() && r < kHeaderSearchRows && headerRow < 0; ++r) {
        const QStringList names = Normalised(head[r]);
        for (const TBankLayout& layout : BankLayouts()) {
            bool all = true;
            for (const QString& s : layout.signature)
                all = all && names.contains(s);
            if (!all) continue;
            columns = FromLayout(layout, names);
            st.format = layout.format;
            headerRow = r;
            break;
        }
    }
    if (headerRow < 0) {
        st.format = statementformat::kCustomCsv;
        st.firstRows = head.mid(0, kFirstRows);
        st.columns = choice ? *choice : GuessColumns(head);
        st.headerKey = HeaderKey(head, st.columns);
        if (!st.columns.Complete()) {
            st.error = QStringLiteral("не найдены столбцы с датой и суммой операции");
            return st;
        }
        columns = FromChoice(st.columns);
        headerRow = st.columns.headerRow;
    }

    QString account;
    for (int r = 0; r < headerRow && account.isEmpty(); ++r)
        account = AccountInInfo(head[r]);
    // Without a header, the lines above the first dated row are the statement's information.
    int first = headerRow + 1;
    if (headerRow < 0) {
        first = 0;
        while (first < head.size() && !ParseStatementDate(At(Views(head[first]), columns.date)).isValid()) {
            if (account.isEmpty()) account = AccountInInfo(head[first]);
            ++first;
        }
    }
    // A row to a line, about: growing the list as it fills would copy it over and over.
    st.operations.reserve(qMax<qsizetype>(0, QStringView(text).count(u'\n') + 1 - first));
    TRowReader rows{columns, {}, {}, {}, {}, {}, {}, {}};
    bool footer = false;
    const auto take = [&](const QList<QStringView>& row, int line) {
        if (TotalsRow(row, columns.date)) {
            footer = true;
            return;
        }
        TStatementOperation op;
        QString why;
        op.line = line;
        op.account = account;
        if (rows.Read(row, op, why))
            st.operations << std::move(op);
        else if (!footer)
            st.unrecognised << TUnrecognisedLine{line, why};
    };
    for (int r = first; r < head.size(); ++r)
        take(Views(head[r]), headLines[r]);
    while (reader.Next())
        take(reader.Cells(), reader.Line());
    return st;
}
