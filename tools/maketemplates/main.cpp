// Writes the default spreadsheet templates of the exports and the help on editing them into the
// program folder's PageMaket. Every caption comes from the table definitions and the analysis, every
// mark from the filling logic, so a template always matches what the program exports.
#include "analysis/tanalysis.h"
#include "output/odspackage.h"
#include "output/templatefill.h"
#include "output/templatelist.h"
#include "storage/tabledefs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

const QString& kOffice = odfns::Office;
const QString& kStyle = odfns::Style;
const QString& kTable = odfns::Table;
const QString& kText = odfns::Text;
const QString& kFo = odfns::Fo;
const QString& kNumber = odfns::Number;
const QString kOf = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:of:1.2");

// What one template shows.
struct TDesign {
    int number = 0;
    QString file;
    QString title;
    QStringList captions;
    std::vector<TColumnKind> columns; // what each column holds, as the table definitions give it
    int sumColumn = -1;               // the column the total rows sum
    bool programTotal = false;        // a row for the program's own total (in the base currency)
    // A sum row per purse (and, for the debts, per kind as well): the columns whose values make a group.
    std::vector<int> groupColumns;
};

// "Шаблон таблицы расходов" gives "Таблица расходов".
QString TitleOf(const QString& menuCaption) {
    QString t = menuCaption;
    t.remove(QStringLiteral("Шаблон "));
    t.replace(QStringLiteral("таблицы"), QStringLiteral("Таблица"));
    return t;
}

// A ledger's sheet mixes purses: its sums add up purse by purse, and in the base currency only as the
// program's own total.
TDesign LedgerDesign(TTableKind kind, bool programTotal) {
    const TTableDef& d = TableDef(kind);
    TDesign design;
    design.captions = d.captions;
    design.columns = d.columns;
    design.sumColumn = d.sumColumn;
    design.programTotal = programTotal;
    if (d.PurseColumn() >= 0) design.groupColumns = {d.PurseColumn()};
    return design;
}

TDesign DesignFor(int number) {
    TDesign d;
    switch (number) {
    case 11:
        d = LedgerDesign(TTableKind::Rashod, true);
        break;
    case 12:
        d = LedgerDesign(TTableKind::Dohod, true);
        break;
    case 13:
        // Lent and borrowed money add up apart; together they make no total.
        d = LedgerDesign(TTableKind::Dolg, false);
        d.groupColumns = {col::dolg::Category, col::dolg::Purse};
        break;
    case 14:
        d = LedgerDesign(TTableKind::PlanRashod, true);
        break;
    case 15:
        d = LedgerDesign(TTableKind::PlanDohod, true);
        break;
    case 17:
        d = LedgerDesign(TTableKind::Returns, false);
        d.groupColumns = {col::returns::Purse};
        break;
    case 30:
        // Every row is a purse of its own: only the program's total in the base currency adds them.
        d = LedgerDesign(TTableKind::Purse, true);
        d.sumColumn = col::purse::Amount;
        break;
    case 31:
        d = LedgerDesign(TTableKind::Transfer, false);
        break;
    case 32:
        d = LedgerDesign(TTableKind::User, false);
        break;
    case 40:
    case 41: {
        const TKindsList list = number == 40 ? TKindsList::Rashod : TKindsList::Dohod;
        d.captions = {DefaultKindsCaption(list)};
        d.columns = {TColumnKind::Kind};
        break;
    }
    default: {
        // The analysis: 16 is kind 0, 18 to 25 the kinds 1 to 8. Its rows end in their own total.
        const int kind = number == 16 ? 0 : number - 17;
        d.captions = TAnalysis::Captions(kind);
        // The row's place, the group's name, then its amounts.
        d.columns = {TColumnKind::Computed, TColumnKind::Kind};
        d.columns.resize(size_t(d.captions.size()), TColumnKind::Number);
        d.sumColumn = 2;
        break;
    }
    }
    d.number = number;
    return d;
}

double WidthCm(TColumnKind column, const QString& caption) {
    double w = 3.0;
    switch (column) {
    case TColumnKind::Date:
        w = 2.6;
        break;
    case TColumnKind::Number:
        w = 3.2;
        break;
    case TColumnKind::Computed:
        w = 1.8;
        break;
    case TColumnKind::Kind:
        w = 4.0;
        break;
    case TColumnKind::Text:
        w = 5.0;
        break;
    default:
        w = 3.2;
        break;
    }
    return std::clamp(0.6 + caption.size() * 0.2, w, 7.0);
}

// A column the design does not describe is text.
TColumnKind ColumnAt(const std::vector<TColumnKind>& columns, int c) {
    return c >= 0 && c < int(columns.size()) ? columns[size_t(c)] : TColumnKind::Text;
}

void Namespaces(QXmlStreamWriter& w) {
    w.writeNamespace(kOffice, QStringLiteral("office"));
    w.writeNamespace(kStyle, QStringLiteral("style"));
    w.writeNamespace(kTable, QStringLiteral("table"));
    w.writeNamespace(kText, QStringLiteral("text"));
    w.writeNamespace(kFo, QStringLiteral("fo"));
    w.writeNamespace(kNumber, QStringLiteral("number"));
    w.writeNamespace(kOf, QStringLiteral("of"));
}

// Texts stay on one line in their row: a long name runs on over the empty cells beside it or is cut at
// the next filled one, and never spills over the rows below.
void CellStyle(QXmlStreamWriter& w, const QString& name, const QString& dataStyle, bool bold, bool border,
               bool shaded, const QString& align = {}, const QString& size = {}) {
    w.writeStartElement(kStyle, QStringLiteral("style"));
    w.writeAttribute(kStyle, QStringLiteral("name"), name);
    w.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("table-cell"));
    if (!dataStyle.isEmpty()) w.writeAttribute(kStyle, QStringLiteral("data-style-name"), dataStyle);
    w.writeEmptyElement(kStyle, QStringLiteral("table-cell-properties"));
    if (border) w.writeAttribute(kFo, QStringLiteral("border"), QStringLiteral("0.06pt solid #000000"));
    if (shaded) w.writeAttribute(kFo, QStringLiteral("background-color"), QStringLiteral("#dde4ee"));
    w.writeAttribute(kFo, QStringLiteral("wrap-option"), QStringLiteral("no-wrap"));
    w.writeAttribute(kStyle, QStringLiteral("vertical-align"), QStringLiteral("middle"));
    if (!align.isEmpty()) {
        w.writeEmptyElement(kStyle, QStringLiteral("paragraph-properties"));
        w.writeAttribute(kFo, QStringLiteral("text-align"), align);
    }
    if (bold || !size.isEmpty()) {
        w.writeEmptyElement(kStyle, QStringLiteral("text-properties"));
        if (bold) {
            w.writeAttribute(kFo, QStringLiteral("font-weight"), QStringLiteral("bold"));
            w.writeAttribute(kStyle, QStringLiteral("font-weight-asian"), QStringLiteral("bold"));
            w.writeAttribute(kStyle, QStringLiteral("font-weight-complex"), QStringLiteral("bold"));
        }
        if (!size.isEmpty()) w.writeAttribute(kFo, QStringLiteral("font-size"), size);
    }
    w.writeEndElement();
}

void TextCell(QXmlStreamWriter& w, const QString& style, const QString& text, int span = 1) {
    w.writeStartElement(kTable, QStringLiteral("table-cell"));
    if (!style.isEmpty()) w.writeAttribute(kTable, QStringLiteral("style-name"), style);
    if (span > 1) w.writeAttribute(kTable, QStringLiteral("number-columns-spanned"), QString::number(span));
    if (!text.isEmpty()) {
        w.writeAttribute(kOffice, QStringLiteral("value-type"), QStringLiteral("string"));
        w.writeTextElement(kText, QStringLiteral("p"), text);
    }
    w.writeEndElement();
    for (int i = 1; i < span; ++i)
        w.writeEmptyElement(kTable, QStringLiteral("covered-table-cell"));
}

void EmptyCells(QXmlStreamWriter& w, int count) {
    if (count <= 0) return;
    w.writeEmptyElement(kTable, QStringLiteral("table-cell"));
    if (count > 1)
        w.writeAttribute(kTable, QStringLiteral("number-columns-repeated"), QString::number(count));
}

QByteArray Content(const TDesign& d) {
    const int n = int(d.captions.size());
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    Namespaces(w);
    w.writeStartElement(kOffice, QStringLiteral("document-content"));
    w.writeAttribute(kOffice, QStringLiteral("version"), QStringLiteral("1.2"));
    w.writeStartElement(kOffice, QStringLiteral("automatic-styles"));
    for (int c = 0; c < n; ++c) {
        w.writeStartElement(kStyle, QStringLiteral("style"));
        w.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("co%1").arg(c + 1));
        w.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("table-column"));
        w.writeEmptyElement(kStyle, QStringLiteral("table-column-properties"));
        w.writeAttribute(kStyle, QStringLiteral("column-width"),
                         QString::number(WidthCm(ColumnAt(d.columns, c), d.captions[c]), 'f', 2) +
                             QStringLiteral("cm"));
        w.writeEndElement();
    }
    w.writeStartElement(kStyle, QStringLiteral("style"));
    w.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("ta1"));
    w.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("table"));
    w.writeAttribute(kStyle, QStringLiteral("master-page-name"), QStringLiteral("Default"));
    w.writeEmptyElement(kStyle, QStringLiteral("table-properties"));
    w.writeAttribute(kTable, QStringLiteral("display"), QStringLiteral("true"));
    w.writeEndElement();

    w.writeStartElement(kNumber, QStringLiteral("number-style"));
    w.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("N1"));
    w.writeAttribute(kNumber, QStringLiteral("language"), QStringLiteral("ru"));
    w.writeAttribute(kNumber, QStringLiteral("country"), QStringLiteral("RU"));
    w.writeEmptyElement(kNumber, QStringLiteral("number"));
    w.writeAttribute(kNumber, QStringLiteral("decimal-places"), QStringLiteral("2"));
    w.writeAttribute(kNumber, QStringLiteral("min-decimal-places"), QStringLiteral("2"));
    w.writeAttribute(kNumber, QStringLiteral("min-integer-digits"), QStringLiteral("1"));
    w.writeAttribute(kNumber, QStringLiteral("grouping"), QStringLiteral("true"));
    w.writeEndElement();
    w.writeStartElement(kNumber, QStringLiteral("date-style"));
    w.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("N2"));
    w.writeAttribute(kNumber, QStringLiteral("language"), QStringLiteral("ru"));
    w.writeAttribute(kNumber, QStringLiteral("country"), QStringLiteral("RU"));
    const auto datePart = [&w](const char* part) {
        w.writeEmptyElement(kNumber, QString::fromLatin1(part));
        w.writeAttribute(kNumber, QStringLiteral("style"), QStringLiteral("long"));
    };
    datePart("day");
    w.writeTextElement(kNumber, QStringLiteral("text"), QStringLiteral("."));
    datePart("month");
    w.writeTextElement(kNumber, QStringLiteral("text"), QStringLiteral("."));
    datePart("year");
    w.writeEndElement();
    CellStyle(w, QStringLiteral("ceTitle"), {}, true, false, false, {}, QStringLiteral("14pt"));
    CellStyle(w, QStringLiteral("ceCaption"), {}, true, true, true, QStringLiteral("center"));
    CellStyle(w, QStringLiteral("ceText"), {}, false, true, false);
    CellStyle(w, QStringLiteral("ceDate"), QStringLiteral("N2"), false, true, false,
              QStringLiteral("center"));
    CellStyle(w, QStringLiteral("ceMoney"), QStringLiteral("N1"), false, true, false);
    // A rate shows every digit it has: 0,025 is not 0,03.
    CellStyle(w, QStringLiteral("ceRate"), {}, false, true, false, QStringLiteral("end"));
    CellStyle(w, QStringLiteral("ceTotalLabel"), {}, true, false, false, QStringLiteral("end"));
    CellStyle(w, QStringLiteral("ceTotalText"), {}, true, false, false);
    CellStyle(w, QStringLiteral("ceTotal"), QStringLiteral("N1"), true, true, false);
    w.writeEndElement(); // automatic-styles

    w.writeStartElement(kOffice, QStringLiteral("body"));
    w.writeStartElement(kOffice, QStringLiteral("spreadsheet"));
    w.writeStartElement(kTable, QStringLiteral("table"));
    w.writeAttribute(kTable, QStringLiteral("name"), QStringLiteral("Лист1"));
    w.writeAttribute(kTable, QStringLiteral("style-name"), QStringLiteral("ta1"));
    for (int c = 0; c < n; ++c) {
        w.writeEmptyElement(kTable, QStringLiteral("table-column"));
        w.writeAttribute(kTable, QStringLiteral("style-name"), QStringLiteral("co%1").arg(c + 1));
    }
    const auto row = [&w](const std::function<void()>& cells) {
        w.writeStartElement(kTable, QStringLiteral("table-row"));
        cells();
        w.writeEndElement();
    };
    row([&] { TextCell(w, QStringLiteral("ceTitle"), d.title); });
    row([&] { TextCell(w, {}, QStringLiteral("Дата выгрузки: ") + TodayMark()); });
    // The caption row repeats on every printed page.
    w.writeStartElement(kTable, QStringLiteral("table-header-rows"));
    row([&] {
        for (const QString& c : d.captions)
            TextCell(w, QStringLiteral("ceCaption"), c);
    });
    w.writeEndElement();
    row([&] {
        for (int c = 0; c < n; ++c) {
            const bool date = ColumnAt(d.columns, c) == TColumnKind::Date;
            const TSheetColumn kind = SheetColumnOf(d.number, c, d.sumColumn);
            const QString style = date                           ? QStringLiteral("ceDate")
                                  : kind == TSheetColumn::Amount ? QStringLiteral("ceMoney")
                                  : kind == TSheetColumn::Rate   ? QStringLiteral("ceRate")
                                                                 : QStringLiteral("ceText");
            TextCell(w, style, FieldMark(c + 1, date));
        }
    });
    // One row per purse (and kind): the purse under its column, its sum under the sum column, a label
    // over the free cells before the sum.
    if (!d.groupColumns.empty() && d.sumColumn >= 0) {
        row([&] {
            int c = 0;
            while (c < n) {
                const bool group =
                    std::find(d.groupColumns.begin(), d.groupColumns.end(), c) != d.groupColumns.end();
                if (group) {
                    TextCell(w, QStringLiteral("ceTotalText"), FieldMark(c + 1));
                    ++c;
                } else if (c == d.sumColumn) {
                    TextCell(w, QStringLiteral("ceTotal"), TotalMark());
                    ++c;
                } else if (c < d.sumColumn) {
                    int span = 1;
                    while (c + span < d.sumColumn && std::find(d.groupColumns.begin(), d.groupColumns.end(),
                                                               c + span) == d.groupColumns.end())
                        ++span;
                    TextCell(w, QStringLiteral("ceTotalLabel"), QStringLiteral("Сумма по кошельку:"), span);
                    c += span;
                } else {
                    break;
                }
            }
        });
    }
    const int labelSpan = std::max(d.sumColumn, 1);
    if (d.programTotal && d.sumColumn >= 0) {
        row([&] {
            TextCell(w, QStringLiteral("ceTotalLabel"), QStringLiteral("Итого в базовой валюте:"), labelSpan);
            EmptyCells(w, d.sumColumn - labelSpan);
            TextCell(w, QStringLiteral("ceTotal"), TotalMark());
        });
    }
    w.writeEndElement(); // table
    w.writeEndElement(); // spreadsheet
    w.writeEndElement(); // body
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

// The page: A4, landscape when the columns do not fit upright and scaled down when they do not fit
// across at all; the default font in Russian.
QByteArray SheetStyles(double tableWidthCm) {
    constexpr double kMargin = 1.0, kPortrait = 21.0 - 2 * kMargin, kLandscape = 29.7 - 2 * kMargin;
    const bool landscape = tableWidthCm > kPortrait;
    const int scale = std::min(100, int(100.0 * kLandscape / tableWidthCm));
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    Namespaces(w);
    w.writeStartElement(kOffice, QStringLiteral("document-styles"));
    w.writeAttribute(kOffice, QStringLiteral("version"), QStringLiteral("1.2"));
    w.writeStartElement(kOffice, QStringLiteral("styles"));
    w.writeStartElement(kStyle, QStringLiteral("default-style"));
    w.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("table-cell"));
    w.writeEmptyElement(kStyle, QStringLiteral("text-properties"));
    w.writeAttribute(kStyle, QStringLiteral("font-name"), QStringLiteral("Liberation Sans"));
    w.writeAttribute(kFo, QStringLiteral("font-size"), QStringLiteral("10pt"));
    w.writeAttribute(kFo, QStringLiteral("language"), QStringLiteral("ru"));
    w.writeAttribute(kFo, QStringLiteral("country"), QStringLiteral("RU"));
    w.writeEndElement();
    w.writeEndElement(); // styles
    w.writeStartElement(kOffice, QStringLiteral("automatic-styles"));
    w.writeStartElement(kStyle, QStringLiteral("page-layout"));
    w.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("pm1"));
    w.writeEmptyElement(kStyle, QStringLiteral("page-layout-properties"));
    w.writeAttribute(kFo, QStringLiteral("page-width"),
                     landscape ? QStringLiteral("29.7cm") : QStringLiteral("21cm"));
    w.writeAttribute(kFo, QStringLiteral("page-height"),
                     landscape ? QStringLiteral("21cm") : QStringLiteral("29.7cm"));
    w.writeAttribute(kStyle, QStringLiteral("print-orientation"),
                     landscape ? QStringLiteral("landscape") : QStringLiteral("portrait"));
    for (const char* side : {"margin-top", "margin-bottom", "margin-left", "margin-right"})
        w.writeAttribute(kFo, QString::fromLatin1(side),
                         QString::number(kMargin, 'f', 1) + QStringLiteral("cm"));
    if (scale < 100) w.writeAttribute(kStyle, QStringLiteral("scale-to"), QString::number(scale) + u'%');
    w.writeEndElement();
    w.writeEndElement(); // automatic-styles
    w.writeStartElement(kOffice, QStringLiteral("master-styles"));
    w.writeStartElement(kStyle, QStringLiteral("master-page"));
    w.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("Default"));
    w.writeAttribute(kStyle, QStringLiteral("page-layout-name"), QStringLiteral("pm1"));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

bool WriteSheet(const QString& folder, const TTemplateEntry& entry) {
    TDesign d = DesignFor(entry.number);
    d.file = entry.file;
    d.title = TitleOf(entry.caption);
    double width = 0;
    for (int c = 0; c < int(d.captions.size()); ++c)
        width += WidthCm(ColumnAt(d.columns, c), d.captions[c]);
    QString error;
    const std::vector<TOdfEntry> entries = {
        {QStringLiteral("content.xml"), Content(d)},
        {QStringLiteral("styles.xml"), SheetStyles(width)},
        {QStringLiteral("meta.xml"), OdfMeta()},
    };
    if (WriteOdfPackage(folder + u'/' + entry.file, OdsMimeType(), entries, error)) return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(entry.file), qPrintable(error));
    return false;
}

// The help text: "# " starts a heading, "- " an item of a list, an empty line ends a paragraph. The
// marks are put in from the filling logic.
QByteArray HelpContent(const QString& source) {
    QString text = source;
    text.replace(QStringLiteral("%FIELD%"), FieldMark(1));
    text.replace(QStringLiteral("%FIELD3%"), FieldMark(3));
    text.replace(QStringLiteral("%DATEFIELD%"), FieldMark(1, true));
    text.replace(QStringLiteral("%TOTAL%"), TotalMark());
    text.replace(QStringLiteral("%TODAY%"), TodayMark());
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    Namespaces(w);
    w.writeStartElement(kOffice, QStringLiteral("document-content"));
    w.writeAttribute(kOffice, QStringLiteral("version"), QStringLiteral("1.2"));
    w.writeStartElement(kOffice, QStringLiteral("automatic-styles"));
    for (const auto& [name, size] : {std::pair{"Heading", "16pt"}, std::pair{"Subheading", "12pt"}}) {
        w.writeStartElement(kStyle, QStringLiteral("style"));
        w.writeAttribute(kStyle, QStringLiteral("name"), QString::fromLatin1(name));
        w.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("paragraph"));
        w.writeEmptyElement(kStyle, QStringLiteral("paragraph-properties"));
        w.writeAttribute(kFo, QStringLiteral("margin-top"), QStringLiteral("0.4cm"));
        w.writeAttribute(kFo, QStringLiteral("margin-bottom"), QStringLiteral("0.2cm"));
        w.writeEmptyElement(kStyle, QStringLiteral("text-properties"));
        w.writeAttribute(kFo, QStringLiteral("font-size"), QString::fromLatin1(size));
        w.writeAttribute(kFo, QStringLiteral("font-weight"), QStringLiteral("bold"));
        w.writeEndElement();
    }
    w.writeStartElement(kStyle, QStringLiteral("style"));
    w.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("Body"));
    w.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("paragraph"));
    w.writeEmptyElement(kStyle, QStringLiteral("paragraph-properties"));
    w.writeAttribute(kFo, QStringLiteral("margin-bottom"), QStringLiteral("0.2cm"));
    w.writeEndElement();
    w.writeEndElement();
    w.writeStartElement(kOffice, QStringLiteral("body"));
    w.writeStartElement(kOffice, QStringLiteral("text"));
    bool inList = false;
    const auto closeList = [&] {
        if (!inList) return;
        w.writeEndElement();
        inList = false;
    };
    for (const QString& line : text.split(u'\n')) {
        if (line.trimmed().isEmpty()) {
            closeList();
            continue;
        }
        if (line.startsWith(QLatin1String("- "))) {
            if (!inList) w.writeStartElement(kText, QStringLiteral("list"));
            inList = true;
            w.writeStartElement(kText, QStringLiteral("list-item"));
            w.writeStartElement(kText, QStringLiteral("p"));
            w.writeAttribute(kText, QStringLiteral("style-name"), QStringLiteral("Body"));
            w.writeCharacters(QStringLiteral("• ") + line.mid(2));
            w.writeEndElement();
            w.writeEndElement();
            continue;
        }
        closeList();
        const bool top = line.startsWith(QLatin1String("# "));
        const bool sub = line.startsWith(QLatin1String("## "));
        w.writeStartElement(kText, top || sub ? QStringLiteral("h") : QStringLiteral("p"));
        w.writeAttribute(kText, QStringLiteral("style-name"),
                         top   ? QStringLiteral("Heading")
                         : sub ? QStringLiteral("Subheading")
                               : QStringLiteral("Body"));
        if (top || sub)
            w.writeAttribute(kText, QStringLiteral("outline-level"),
                             top ? QStringLiteral("1") : QStringLiteral("2"));
        w.writeCharacters(line.mid(top ? 2 : sub ? 3 : 0));
        w.writeEndElement();
    }
    closeList();
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: vm_maketemplates <help text> <program folder>\n");
        return 2;
    }
    QFile helpFile(QString::fromLocal8Bit(argv[1]));
    if (!helpFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString help = QString::fromUtf8(helpFile.readAll());
    const QString folder = QString::fromLocal8Bit(argv[2]) + QStringLiteral("/PageMaket");
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }
    bool ok = true;
    for (const TTemplateEntry& e : TemplateEntries()) {
        if (e.number != 0) {
            ok = WriteSheet(folder, e) && ok;
            continue;
        }
        QString error;
        const std::vector<TOdfEntry> entries = {
            {QStringLiteral("content.xml"), HelpContent(help)},
            {QStringLiteral("meta.xml"), OdfMeta()},
        };
        if (!WriteOdfPackage(folder + u'/' + e.file, OdtMimeType(), entries, error)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(e.file), qPrintable(error));
            ok = false;
        }
    }
    // Packages are written for their owner alone; the installed templates are every account's to copy.
    for (const TTemplateEntry& e : TemplateEntries())
        QFile::setPermissions(folder + u'/' + e.file, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                          QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return ok ? 0 : 1;
}
