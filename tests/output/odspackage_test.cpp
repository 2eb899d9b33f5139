// The OpenDocument package and the plain spreadsheet, checked by the programs that read them.
#include "output/odspackage.h"

#include "odstestkit.h"
#include "testfolders.h"

#include <gtest/gtest.h>

TEST(SpreadsheetNumber, TakesDecimalCommaAndThousandsSpacesOnly) {
    const struct {
        const char* text;
        bool number;
        const char* value;
    } cases[] = {
        {"1234,56", true, "1234.56"},
        {"1 234,50", true, "1234.50"},
        {"1\u00a0234\u00a0567", true, "1234567"},
        {"-12,5", true, "-12.5"},
        {" 7 ", true, "7"},
        {"0.25", true, "0.25"},
        {"", false, ""},
        {"12,", false, ""},
        {",5", false, ""},
        {"1  234", false, ""},
        {"12,50%", false, ""},
        {"07.03.2024", false, ""},
        {"abc", false, ""},
        {"1 234 ", true, "1234"},
        // The exponent form the program writes for very large and very small amounts.
        {"1E15", true, "1E15"},
        {"1,5E-7", true, "1.5E-7"},
        {"-2,5e+3", true, "-2.5E+3"},
        {"1E", false, ""},
        {"E5", false, ""},
        {"1E5,5", false, ""},
    };
    for (const auto& c : cases) {
        QString value;
        EXPECT_EQ(SpreadsheetNumber(QString::fromUtf8(c.text), value), c.number) << c.text;
        if (c.number) {
            EXPECT_EQ(value, QString::fromUtf8(c.value)) << c.text;
        }
    }
}

TEST(OdfPackage, EntriesReadBackAndOtherFilesAreRefused) {
    TTestDataHome home;
    const QString path = home.Path() + "/a.ods";
    QString error;
    ASSERT_TRUE(WriteOdfPackage(path, OdsMimeType(),
                                {{"content.xml", "<a/>"}, {"Pictures/", {}}, {"styles.xml", "<b/>"}}, error))
        << error.toStdString();
    std::vector<TOdfEntry> entries;
    ASSERT_TRUE(ReadOdfPackage(path, entries, error)) << error.toStdString();
    QStringList names;
    for (const TOdfEntry& e : entries)
        names << e.name;
    EXPECT_EQ(names,
              QStringList({"mimetype", "META-INF/manifest.xml", "content.xml", "Pictures/", "styles.xml"}));
    EXPECT_EQ(OdfEntry(entries, "mimetype"), OdsMimeType().toUtf8());
    EXPECT_EQ(OdfEntry(entries, "styles.xml"), "<b/>");
    EXPECT_TRUE(OdfEntry(entries, "META-INF/manifest.xml").contains("manifest:full-path=\"content.xml\""));

    ASSERT_TRUE(WriteFileBytes(home.Path() + "/text.ods", "not a zip at all"));
    EXPECT_FALSE(ReadOdfPackage(home.Path() + "/text.ods", entries, error));
    ASSERT_TRUE(
        WriteOdfPackage(home.Path() + "/other.ods", "application/zip", {{"content.xml", "<a/>"}}, error));
    EXPECT_FALSE(ReadOdfPackage(home.Path() + "/other.ods", entries, error));
    EXPECT_FALSE(ReadOdfPackage(home.Path() + "/missing.ods", entries, error));
}

TEST(PlainSpreadsheet, IsAValidPackageThatCalcReadsWithNumbersInTheSumColumn) {
    TTestDataHome home;
    const QString path = home.Path() + "/plain.ods";
    const QStringList names = {"Дата", "Наименование", "Сумма"};
    const std::vector<QStringList> rows = {
        {"07.03.2024", "Хлеб, \"белый\"", "1 234,5"},
        {"08.03.2024", "", "не число"},
        {"", "Молоко", "-12,30"},
    };
    QString error;
    ASSERT_TRUE(WritePlainSpreadsheet(path, names, rows, 2, error)) << error.toStdString();

    QString output;
    const QString unzip = FindProgram("unzip");
    ASSERT_FALSE(unzip.isEmpty());
    EXPECT_EQ(RunProgram(unzip, {"-t", path}, &output), 0) << output.toStdString();
    const QString script = R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
first = z.infolist()[0]
assert first.filename == 'mimetype', first.filename
assert first.compress_type == zipfile.ZIP_STORED
assert z.testzip() is None
raw = open(sys.argv[1], 'rb').read(100)
assert raw[26:30] == b'\x08\x00\x00\x00', raw[26:30]
assert raw[30:38] == b'mimetype' and raw[38:84] == b'application/vnd.oasis.opendocument.spreadsheet'
for n in ('content.xml', 'styles.xml', 'meta.xml', 'META-INF/manifest.xml'):
    z.read(n)
)";
    EXPECT_EQ(RunProgram(FindProgram("python3"), {"-c", script, path}, &output), 0) << output.toStdString();

    const QString out = home.Path() + "/csv";
    ASSERT_TRUE(SofficeConvert({path}, "csv", out, home.Path(), &output)) << output.toStdString();
    const std::vector<QStringList> csv = ReadCsv(out + "/plain.csv");
    const std::vector<QStringList> expected = {
        {"Дата", "Наименование", "Сумма"},
        {"07.03.2024", "Хлеб, \"белый\"", "1\u00a0234,50"},
        {"08.03.2024", "", "не число"},
        {"", "Молоко", "-12,30"},
    };
    EXPECT_EQ(csv, expected);
}

// The program's own sheet of the purses and of an analysis in percent: rates and amounts are
// numbers, shares percentages, names text, whatever their column; LibreOffice reads them so.
TEST(PlainSpreadsheet, AmountsAndRatesAreNumbersAndSharesPercentages) {
    TTestDataHome home;
    const QString path = home.Path() + "/kinds.ods";
    const std::vector<QStringList> rows = {
        {"1", "евро", "0,025", "1 200,5", "12,5%"},
        {"2", "рубль", "1", "1E15", "87,5%"},
        {"", "Итого", "", "не число", "100%"},
    };
    QString error;
    ASSERT_TRUE(WritePlainSpreadsheet(path, {"№", "Имя", "Курс", "Сумма", "Доля"}, rows,
                                      {TSheetColumn::Text, TSheetColumn::Text, TSheetColumn::Rate,
                                       TSheetColumn::Amount, TSheetColumn::Amount},
                                      error))
        << error.toStdString();
    QString output;
    ASSERT_TRUE(SofficeConvert({path}, "fods", home.Path() + "/fods", home.Path(), &output))
        << output.toStdString();
    const std::vector<std::vector<TSheetCell>> sheet = ReadFlatSheet(home.Path() + "/fods/kinds.fods");
    ASSERT_EQ(sheet.size(), 4u);
    const QStringList types[] = {{"string", "string", "float", "float", "percentage"},
                                 {"string", "string", "float", "float", "percentage"},
                                 {"", "string", "", "string", "percentage"}};
    const double values[][3] = {{0.025, 1200.5, 0.125}, {1, 1e15, 0.875}, {0, 0, 1}};
    for (size_t r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        const std::vector<TSheetCell>& row = sheet[r + 1];
        ASSERT_EQ(row.size(), 5u);
        for (size_t c = 0; c < 5; ++c) {
            EXPECT_EQ(row[c].type, types[r][qsizetype(c)]) << c;
            if (c >= 2 && row[c].type != "string" && !row[c].type.isEmpty()) {
                EXPECT_DOUBLE_EQ(row[c].value, values[r][c - 2]) << c;
            }
        }
    }
    // A rate keeps its digits: it is not rounded to the two decimals of an amount. Its decimal sign is
    // that of the office's own locale.
    EXPECT_TRUE(sheet[1][2].text == "0,025" || sheet[1][2].text == "0.025") << sheet[1][2].text.toStdString();
}
