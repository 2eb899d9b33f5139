#include "output/odspackage.h"

#include "backup/tziparchive.h"

#include <QXmlStreamWriter>

#include <algorithm>

namespace {

const QString kMimetype = QStringLiteral("mimetype");
const QString kManifest = QStringLiteral("META-INF/manifest.xml");
const QString kManifestNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");

QString MediaTypeOf(const QString& name) {
    if (name.endsWith(QLatin1String(".xml"))) return QStringLiteral("text/xml");
    if (name.endsWith(QLatin1String(".png"))) return QStringLiteral("image/png");
    return {};
}

QByteArray Manifest(const QString& mimeType, const std::vector<TOdfEntry>& entries) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeNamespace(kManifestNs, QStringLiteral("manifest"));
    w.writeStartElement(kManifestNs, QStringLiteral("manifest"));
    w.writeAttribute(kManifestNs, QStringLiteral("version"), QStringLiteral("1.2"));
    const auto entry = [&](const QString& path, const QString& type) {
        w.writeEmptyElement(kManifestNs, QStringLiteral("file-entry"));
        w.writeAttribute(kManifestNs, QStringLiteral("full-path"), path);
        if (path == QLatin1String("/"))
            w.writeAttribute(kManifestNs, QStringLiteral("version"), QStringLiteral("1.2"));
        w.writeAttribute(kManifestNs, QStringLiteral("media-type"), type);
    };
    entry(QStringLiteral("/"), mimeType);
    for (const TOdfEntry& e : entries)
        if (e.name != kMimetype && !e.name.endsWith(QLatin1Char('/'))) entry(e.name, MediaTypeOf(e.name));
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

} // namespace

QString OdsMimeType() {
    return QStringLiteral("application/vnd.oasis.opendocument.spreadsheet");
}

QString OdtMimeType() {
    return QStringLiteral("application/vnd.oasis.opendocument.text");
}

bool WriteOdfPackage(const QString& path, const QString& mimeType, const std::vector<TOdfEntry>& entries,
                     QString& error) {
    TZipArchive zip;
    // zlib's fastest level: the XML of a big table packs nearly as small, in a fraction of the time.
    bool ok = zip.Create(path, 1) && zip.AddData(kMimetype, mimeType.toUtf8(), true);
    const bool hasManifest =
        std::any_of(entries.begin(), entries.end(), [](const TOdfEntry& e) { return e.name == kManifest; });
    if (ok && !hasManifest) ok = zip.AddData(kManifest, Manifest(mimeType, entries), false);
    for (size_t i = 0; ok && i < entries.size(); ++i) {
        const TOdfEntry& e = entries[i];
        if (e.name == kMimetype) continue;
        ok = zip.AddData(e.name, e.bytes, e.name.endsWith(QLatin1Char('/')));
    }
    ok = zip.Finish() && ok;
    if (!ok) error = zip.Error().isEmpty() ? QStringLiteral("Can't write ") + path : zip.Error();
    return ok;
}

bool ReadOdfPackage(const QString& path, std::vector<TOdfEntry>& entries, QString& error) {
    entries.clear();
    TZipArchive zip;
    if (!zip.Open(path)) {
        error = zip.Error();
        return false;
    }
    if (!zip.DirectoryError().isEmpty()) {
        error = zip.DirectoryError();
        return false;
    }
    for (const TZipItem& item : zip.Items()) {
        TOdfEntry e;
        e.name = item.IsFolder ? item.Name + QLatin1Char('/') : item.Name;
        if (!item.IsFolder) {
            QString decodeError;
            const bool decoded = zip.Decode(
                item,
                [&e](const char* data, size_t size) {
                    e.bytes.append(data, qsizetype(size));
                    return true;
                },
                decodeError);
            if (!decoded) {
                error = item.Name + QStringLiteral(": ") + decodeError;
                entries.clear();
                return false;
            }
        }
        entries.push_back(std::move(e));
    }
    bool found = false;
    const QByteArray mime = OdfEntry(entries, kMimetype, &found);
    if (!found || !mime.startsWith("application/vnd.oasis.opendocument.")) {
        error = path + QStringLiteral(" is not an OpenDocument file");
        entries.clear();
        return false;
    }
    return true;
}

QByteArray OdfEntry(const std::vector<TOdfEntry>& entries, const QString& name, bool* found) {
    for (const TOdfEntry& e : entries)
        if (e.name == name) {
            if (found) *found = true;
            return e.bytes;
        }
    if (found) *found = false;
    return {};
}

bool SpreadsheetNumber(const QString& text, QString& value) {
    const QString t = text.trimmed();
    QString out;
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'\x2212')) {
        out += u'-';
        ++i;
    }
    int digits = 0;
    bool lastSpace = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128) {
            out += c;
            ++digits;
            lastSpace = false;
        } else if ((c == u' ' || c == u'\xA0' || c == u'\x202F') && digits > 0 && !lastSpace) {
            lastSpace = true;
        } else {
            break;
        }
    }
    if (digits == 0 || lastSpace) return false;
    if (i < t.size() && (t[i] == u',' || t[i] == u'.')) {
        out += u'.';
        ++i;
        int decimals = 0;
        for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 128; ++i, ++decimals)
            out += t[i];
        if (decimals == 0) return false;
    }
    if (i < t.size() && (t[i] == u'E' || t[i] == u'e')) {
        out += u'E';
        ++i;
        if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) out += t[i++];
        int exponent = 0;
        for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 128; ++i, ++exponent)
            out += t[i];
        if (exponent == 0) return false;
    }
    if (i != t.size()) return false;
    value = out;
    return true;
}

bool SpreadsheetPercent(const QString& text, QString& value) {
    const QString t = text.trimmed();
    QString number;
    if (!t.endsWith(u'%') || !SpreadsheetNumber(t.chopped(1), number)) return false;
    // The shares are rounded to two decimals: a double keeps them whole.
    value = QString::number(number.toDouble() / 100.0, 'g', 15);
    return true;
}

TSheetValue SheetValueOf(const QString& text, TSheetColumn column) {
    TSheetValue v;
    if (text.isEmpty()) return v;
    v.type = TSheetValue::Text;
    if (column == TSheetColumn::Text) return v;
    if (SpreadsheetNumber(text, v.value))
        v.type = TSheetValue::Float;
    else if (SpreadsheetPercent(text, v.value))
        v.type = TSheetValue::Percent;
    return v;
}

namespace {

const QString& kOffice = odfns::Office;
const QString& kStyle = odfns::Style;
const QString& kTable = odfns::Table;
const QString& kText = odfns::Text;
const QString& kFo = odfns::Fo;
const QString& kNumber = odfns::Number;

void Namespaces(QXmlStreamWriter& w) {
    w.writeNamespace(kOffice, QStringLiteral("office"));
    w.writeNamespace(kStyle, QStringLiteral("style"));
    w.writeNamespace(kTable, QStringLiteral("table"));
    w.writeNamespace(kText, QStringLiteral("text"));
    w.writeNamespace(kFo, QStringLiteral("fo"));
    w.writeNamespace(kNumber, QStringLiteral("number"));
}

// Russian number forms for the whole document: decimal comma, spaces between thousands.
QByteArray PlainStyles() {
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
    w.writeAttribute(kFo, QStringLiteral("language"), QStringLiteral("ru"));
    w.writeAttribute(kFo, QStringLiteral("country"), QStringLiteral("RU"));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

// Width of a column in centimetres for its longest text, bounded so that neither an empty column
// vanishes nor one long note pushes the rest off the page.
double ColumnWidthCm(int characters) {
    return std::clamp(0.4 + characters * 0.21, 1.5, 12.0);
}

} // namespace

QByteArray OdfMeta() {
    const QString meta = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:meta:1.0");
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument();
    w.writeNamespace(kOffice, QStringLiteral("office"));
    w.writeNamespace(meta, QStringLiteral("meta"));
    w.writeStartElement(kOffice, QStringLiteral("document-meta"));
    w.writeAttribute(kOffice, QStringLiteral("version"), QStringLiteral("1.2"));
    w.writeStartElement(kOffice, QStringLiteral("meta"));
    w.writeTextElement(meta, QStringLiteral("generator"), QStringLiteral("Vellumora"));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

bool WritePlainSpreadsheet(const QString& path, const QStringList& names,
                           const std::vector<QStringList>& rows, int sumColumn, QString& error) {
    std::vector<TSheetColumn> columns(size_t(std::max(sumColumn + 1, 0)), TSheetColumn::Text);
    if (sumColumn >= 0) columns[size_t(sumColumn)] = TSheetColumn::Amount;
    return WritePlainSpreadsheet(path, names, rows, columns, error);
}

bool WritePlainSpreadsheet(const QString& path, const QStringList& names,
                           const std::vector<QStringList>& rows, const std::vector<TSheetColumn>& kinds,
                           QString& error) {
    qsizetype columns = names.size();
    for (const QStringList& r : rows)
        columns = std::max(columns, r.size());
    std::vector<int> longest(size_t(columns), 0);
    for (qsizetype c = 0; c < names.size(); ++c)
        longest[size_t(c)] = int(names[c].size());
    for (const QStringList& r : rows)
        for (qsizetype c = 0; c < r.size(); ++c)
            longest[size_t(c)] = std::max(longest[size_t(c)], int(std::min<qsizetype>(r[c].size(), 200)));
    const auto kindOf = [&kinds](qsizetype c) {
        return size_t(c) < kinds.size() ? kinds[size_t(c)] : TSheetColumn::Text;
    };

    QByteArray content;
    QXmlStreamWriter w(&content);
    w.writeStartDocument();
    Namespaces(w);
    w.writeStartElement(kOffice, QStringLiteral("document-content"));
    w.writeAttribute(kOffice, QStringLiteral("version"), QStringLiteral("1.2"));
    w.writeStartElement(kOffice, QStringLiteral("automatic-styles"));
    for (qsizetype c = 0; c < columns; ++c) {
        w.writeStartElement(kStyle, QStringLiteral("style"));
        w.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("co%1").arg(c + 1));
        w.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("table-column"));
        w.writeEmptyElement(kStyle, QStringLiteral("table-column-properties"));
        w.writeAttribute(kStyle, QStringLiteral("column-width"),
                         QString::number(ColumnWidthCm(longest[size_t(c)]), 'f', 2) + QStringLiteral("cm"));
        w.writeEndElement();
    }
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
    w.writeStartElement(kNumber, QStringLiteral("percentage-style"));
    w.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("N2"));
    w.writeAttribute(kNumber, QStringLiteral("language"), QStringLiteral("ru"));
    w.writeAttribute(kNumber, QStringLiteral("country"), QStringLiteral("RU"));
    w.writeEmptyElement(kNumber, QStringLiteral("number"));
    w.writeAttribute(kNumber, QStringLiteral("decimal-places"), QStringLiteral("2"));
    w.writeAttribute(kNumber, QStringLiteral("min-decimal-places"), QStringLiteral("2"));
    w.writeAttribute(kNumber, QStringLiteral("min-integer-digits"), QStringLiteral("1"));
    w.writeTextElement(kNumber, QStringLiteral("text"), QStringLiteral("%"));
    w.writeEndElement();
    w.writeStartElement(kStyle, QStringLiteral("style"));
    w.writeAttribute(kStyle, QStringLiteral("name"), QStringLiteral("ceBold"));
    w.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("table-cell"));
    w.writeEmptyElement(kStyle, QStringLiteral("text-properties"));
    w.writeAttribute(kFo, QStringLiteral("font-weight"), QStringLiteral("bold"));
    w.writeAttribute(kStyle, QStringLiteral("font-weight-asian"), QStringLiteral("bold"));
    w.writeAttribute(kStyle, QStringLiteral("font-weight-complex"), QStringLiteral("bold"));
    w.writeEndElement();
    for (const auto& [name, data] : {std::pair{"ceSum", "N1"}, std::pair{"cePercent", "N2"}}) {
        w.writeEmptyElement(kStyle, QStringLiteral("style"));
        w.writeAttribute(kStyle, QStringLiteral("name"), QString::fromLatin1(name));
        w.writeAttribute(kStyle, QStringLiteral("family"), QStringLiteral("table-cell"));
        w.writeAttribute(kStyle, QStringLiteral("data-style-name"), QString::fromLatin1(data));
    }
    w.writeEndElement(); // automatic-styles

    w.writeStartElement(kOffice, QStringLiteral("body"));
    w.writeStartElement(kOffice, QStringLiteral("spreadsheet"));
    w.writeStartElement(kTable, QStringLiteral("table"));
    w.writeAttribute(kTable, QStringLiteral("name"), QStringLiteral("Лист1"));
    for (qsizetype c = 0; c < columns; ++c) {
        w.writeEmptyElement(kTable, QStringLiteral("table-column"));
        w.writeAttribute(kTable, QStringLiteral("style-name"), QStringLiteral("co%1").arg(c + 1));
    }
    const auto textCell = [&w](const QString& text, const QString& style) {
        w.writeStartElement(kTable, QStringLiteral("table-cell"));
        if (!style.isEmpty()) w.writeAttribute(kTable, QStringLiteral("style-name"), style);
        if (!text.isEmpty()) {
            w.writeAttribute(kOffice, QStringLiteral("value-type"), QStringLiteral("string"));
            w.writeTextElement(kText, QStringLiteral("p"), text);
        }
        w.writeEndElement();
    };
    w.writeStartElement(kTable, QStringLiteral("table-row"));
    for (const QString& n : names)
        textCell(n, QStringLiteral("ceBold"));
    w.writeEndElement();
    for (const QStringList& r : rows) {
        w.writeStartElement(kTable, QStringLiteral("table-row"));
        for (qsizetype c = 0; c < r.size(); ++c) {
            const TSheetColumn kind = kindOf(c);
            const TSheetValue v = SheetValueOf(r[c], kind);
            if (v.type != TSheetValue::Float && v.type != TSheetValue::Percent) {
                textCell(r[c], QString());
                continue;
            }
            const bool percent = v.type == TSheetValue::Percent;
            w.writeStartElement(kTable, QStringLiteral("table-cell"));
            // A rate keeps every digit it has: "# ##0,00" would show 0,025 as 0,03.
            if (percent || kind == TSheetColumn::Amount)
                w.writeAttribute(kTable, QStringLiteral("style-name"),
                                 percent ? QStringLiteral("cePercent") : QStringLiteral("ceSum"));
            w.writeAttribute(kOffice, QStringLiteral("value-type"),
                             percent ? QStringLiteral("percentage") : QStringLiteral("float"));
            w.writeAttribute(kOffice, QStringLiteral("value"), v.value);
            w.writeTextElement(kText, QStringLiteral("p"), r[c]);
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement(); // table
    w.writeEndElement(); // spreadsheet
    w.writeEndElement(); // body
    w.writeEndElement(); // document-content
    w.writeEndDocument();

    const std::vector<TOdfEntry> entries = {
        {QStringLiteral("content.xml"), content},
        {QStringLiteral("styles.xml"), PlainStyles()},
        {QStringLiteral("meta.xml"), OdfMeta()},
    };
    return WriteOdfPackage(path, OdsMimeType(), entries, error);
}
