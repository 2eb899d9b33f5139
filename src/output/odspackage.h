#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

// The OpenDocument namespaces the program reads and writes, one place for every writer and reader.
namespace odfns {
inline const QString Office = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
inline const QString Style = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
inline const QString Table = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
inline const QString Text = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
inline const QString Fo = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0");
inline const QString Number = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0");
} // namespace odfns

// The package's meta.xml: the document names its generator.
QByteArray OdfMeta();

// OpenDocument files are zip packages: an entry "mimetype" first, stored and without an extra field
// (so that a reader can identify the file by its first bytes), a manifest "META-INF/manifest.xml"
// listing the other entries, and the XML parts (content.xml, styles.xml, meta.xml, ...).
QString OdsMimeType(); // application/vnd.oasis.opendocument.spreadsheet
QString OdtMimeType(); // application/vnd.oasis.opendocument.text

// One entry of a package. A name ending in "/" is a folder entry without data.
struct TOdfEntry {
    QString name;
    QByteArray bytes;
};

// Writes the package: "mimetype" first, stored, then the entries in their order, deflated. Without a
// manifest among the entries one is made that lists each of them. An entry named "mimetype" is
// ignored (the one given as mimeType is written). The file is replaced only once it is whole.
bool WriteOdfPackage(const QString& path, const QString& mimeType, const std::vector<TOdfEntry>& entries,
                     QString& error);

// Reads every entry of a package into memory, in the package's order, "mimetype" included. False with
// a text for a file that is missing, is not a zip archive, has a damaged entry or no "mimetype" of
// an OpenDocument kind.
bool ReadOdfPackage(const QString& path, std::vector<TOdfEntry>& entries, QString& error);
// The bytes of an entry; empty when the package has none of that name.
QByteArray OdfEntry(const std::vector<TOdfEntry>& entries, const QString& name, bool* found = nullptr);

// A cell text that a spreadsheet takes as a number: an optional minus, digits with spaces (also
// no-break spaces) between groups of thousands and a decimal comma (a point is taken too), and the
// exponent the program writes for very large and very small amounts ("1E15", "1,5E-7"). The value
// comes back in the form of an office:value ("-1234.5"), exact, without passing through a double.
bool SpreadsheetNumber(const QString& text, QString& value);
// A number followed by "%" (the analysis in percent): the value as a fraction, "12,5%" gives 0.125.
bool SpreadsheetPercent(const QString& text, QString& value);

// What the cells of an exported column are in a sheet. Amounts (sums, remainders, results of the
// analysis) and rates go in as numbers whenever their text reads as one, a text ending in "%" as a
// percentage; a cell that does not read so, and every cell of a text column, is text.
enum class TSheetColumn { Text, Amount, Rate };

// One cell as it goes into a sheet.
struct TSheetValue {
    enum Type { Empty, Text, Float, Percent } type = Empty;
    QString value; // office:value of a number or percentage
};
TSheetValue SheetValueOf(const QString& text, TSheetColumn column);

// A new spreadsheet of one sheet: row 1 the column names in bold, then the rows. Amounts are shown as
// "# ##0,00" (percentages with two decimals), rates as they are, every other cell is text; a column
// past the list is text. Columns are as wide as their longest text, within bounds.
bool WritePlainSpreadsheet(const QString& path, const QStringList& names,
                           const std::vector<QStringList>& rows, const std::vector<TSheetColumn>& columns,
                           QString& error);
// The same with the sum column (from 0; -1 for none) the only amounts.
bool WritePlainSpreadsheet(const QString& path, const QStringList& names,
                           const std::vector<QStringList>& rows, int sumColumn, QString& error);
