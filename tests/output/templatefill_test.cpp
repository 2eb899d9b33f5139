// The default templates and their filling, read back by LibreOffice.
#include "analysis/tanalysis.h"
#include "output/odspackage.h"
#include "output/templatefill.h"
#include "output/templatelist.h"
#include "storage/tabledefs.h"

#include "odstestkit.h"
#include "testfolders.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

QString TemplateFolder() {
    return ProgramDir() + "/PageMaket";
}

QStringList Padded(QStringList row, qsizetype width) {
    while (row.size() < width)
        row << QString();
    return row;
}

// The captions each export's grid shows, from the same definitions the program uses.
QStringList GridCaptions(int number) {
    switch (number) {
    case 11:
        return TableDef(TTableKind::Rashod).captions;
    case 12:
        return TableDef(TTableKind::Dohod).captions;
    case 13:
        return TableDef(TTableKind::Dolg).captions;
    case 14:
        return TableDef(TTableKind::PlanRashod).captions;
    case 15:
        return TableDef(TTableKind::PlanDohod).captions;
    case 17:
        return TableDef(TTableKind::Returns).captions;
    case 30:
        return TableDef(TTableKind::Purse).captions;
    case 31:
        return TableDef(TTableKind::Transfer).captions;
    case 32:
        return TableDef(TTableKind::User).captions;
    case 40:
        return {DefaultKindsCaption(TKindsList::Rashod)};
    case 41:
        return {DefaultKindsCaption(TKindsList::Dohod)};
    default:
        return TAnalysis::Captions(number == 16 ? 0 : number - 17);
    }
}

// The column kinds of the ledgers and lists, from their definitions.
std::vector<TColumnKind> GridColumns(int number) {
    const std::pair<int, TTableKind> kinds[] = {
        {11, TTableKind::Rashod},     {12, TTableKind::Dohod},     {13, TTableKind::Dolg},
        {14, TTableKind::PlanRashod}, {15, TTableKind::PlanDohod}, {17, TTableKind::Returns},
        {30, TTableKind::Purse},      {31, TTableKind::Transfer},  {32, TTableKind::User},
    };
    for (const auto& [n, kind] : kinds)
        if (n == number) return TableDef(kind).columns;
    return {};
}

// The value types of the cells of a filled sheet, row by row, read from its content.
std::vector<QStringList> ValueTypes(const QString& path) {
    std::vector<TOdfEntry> entries;
    QString error;
    std::vector<QStringList> rows;
    if (!ReadOdfPackage(path, entries, error)) return rows;
    QXmlStreamReader r(OdfEntry(entries, "content.xml"));
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement() && r.name() == QLatin1String("table-row")) rows.emplace_back();
        if (r.isStartElement() && r.name() == QLatin1String("table-cell"))
            rows.back() << r.attributes()
                               .value("urn:oasis:names:tc:opendocument:xmlns:office:1.0", "value-type")
                               .toString();
    }
    return rows;
}

TUnloadJob Job(int number, const QStringList& names, int sumColumn, const QString& total,
               bool percent = false) {
    TUnloadJob job;
    job.number = number;
    job.columnNames = names;
    job.sumColumn = sumColumn;
    job.totalSum = total;
    job.percent = percent;
    return job;
}

} // namespace

TEST(ExportTemplates, EveryTemplateShowsTheGridCaptionsAboveItsRecordRow) {
    TTestDataHome home;
    QStringList files;
    for (const TTemplateEntry& e : TemplateEntries())
        if (e.number != 0) files << TemplateFolder() + "/" + e.file;
    ASSERT_EQ(files.size(), 20);
    QString output;
    ASSERT_TRUE(SofficeConvert(files, "csv", home.Path() + "/csv", home.Path(), &output))
        << output.toStdString();
    for (const TTemplateEntry& e : TemplateEntries()) {
        if (e.number == 0) continue;
        SCOPED_TRACE(e.file.toStdString());
        const std::vector<QStringList> csv =
            ReadCsv(home.Path() + "/csv/" + QFileInfo(e.file).baseName() + ".csv");
        ASSERT_GE(csv.size(), 4u);
        const QStringList captions = GridCaptions(e.number);
        EXPECT_EQ(csv[2].mid(0, captions.size()), captions);
        const std::vector<TColumnKind> columns = GridColumns(e.number);
        QStringList marks;
        for (int c = 0; c < captions.size(); ++c)
            marks << FieldMark(c + 1, c < int(columns.size()) && columns[size_t(c)] == TColumnKind::Date);
        EXPECT_EQ(csv[3].mid(0, captions.size()), marks);
    }
}

// Only Calc is installed for the tests: the text document is read here as Writer would read it.
TEST(ExportTemplates, TheHelpNamesEveryMarkAndTheWayBack) {
    std::vector<TOdfEntry> entries;
    QString error;
    ASSERT_TRUE(ReadOdfPackage(TemplateFolder() + "/HelpShablon.odt", entries, error)) << error.toStdString();
    EXPECT_EQ(OdfEntry(entries, "mimetype"), OdtMimeType().toUtf8());
    QXmlStreamReader r(OdfEntry(entries, "content.xml"));
    QString text;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isCharacters()) text += r.text();
    }
    ASSERT_FALSE(r.hasError()) << r.errorString().toStdString();
    for (const QString& needle :
         {FieldMark(1), FieldMark(1, true), TotalMark(), TodayMark(),
          QString("«Восстановить все шаблоны по умолчанию»"), QString("«Шаблоны выгрузки и печати»")})
        EXPECT_TRUE(text.contains(needle)) << needle.toStdString();
}

TEST(TemplateFill, RowsTotalsDatesAndPercentAsCalcShowsThem) {
    TTestDataHome home;
    const QDate today(2024, 3, 9);
    // The template as LibreOffice saves it after an edit must fill alike.
    QString output;
    const QString resaved = home.Path() + "/resaved";
    ASSERT_TRUE(SofficeConvert({TemplateFolder() + "/Rashod.ods"}, "ods", resaved, home.Path(), &output))
        << output.toStdString();

    const QStringList rashodNames = TableDef(TTableKind::Rashod).captions;
    const std::vector<QStringList> rashodRows = {
        {"07.03.2024", "Еда", "Хлеб", "1 234,50", "Наличные", "", "Мама"},
        {"08.03.2024", "Еда", "", "16,25", "Карта", "две  пробела", "Папа"},
        {"не дата", "Дом", "Лампа", "-0,5", "Карта", "", ""},
    };
    const QStringList kindNames = {"Зарплата", "Премия", "Подарки", "Прочее"};
    const std::vector<QStringList> kindRows = {{"Аванс", "Квартальная", "", "Находка"},
                                               {"Расчёт", "", "", ""}};
    const QStringList analysisNames = TAnalysis::Captions(0);
    const std::vector<QStringList> analysisRows = {
        {"1", "Еда", "75,00%", "0", "0"},
        {"2", "Дом", "25%", "0", "0"},
        {"", "Итого", "100%", "", ""},
    };
    const struct {
        const char* name;
        QString templ;
        TUnloadJob job;
        std::vector<QStringList> rows;
        std::vector<QStringList> expected;
    } cases[] = {
        {"rashod",
         TemplateFolder() + "/Rashod.ods",
         Job(11, rashodNames, 3, "1 250,25"),
         rashodRows,
         {
             {"Таблица расходов"},
             {"Дата выгрузки: 09.03.2024"},
             rashodNames,
             {"07.03.2024", "Еда", "Хлеб", "1\u00a0234,50", "Наличные", "", "Мама"},
             {"08.03.2024", "Еда", "", "16,25", "Карта", "две  пробела", "Папа"},
             {"не дата", "Дом", "Лампа", "-0,50", "Карта", "", ""},
             // A sum per purse, worked out by the sheet; only the program's total crosses purses.
             {"Сумма по кошельку:", "", "", "15,75", "Карта"},
             {"Сумма по кошельку:", "", "", "1\u00a0234,50", "Наличные"},
             {"Итого в базовой валюте:", "", "", "1\u00a0250,25"},
         }},
        {"resaved", resaved + "/Rashod.ods", Job(11, rashodNames, 3, "1 250,25"), rashodRows, {}},
        {"empty",
         TemplateFolder() + "/Rashod.ods",
         Job(11, rashodNames, 3, ""),
         {},
         {
             {"Таблица расходов"},
             {"Дата выгрузки: 09.03.2024"},
             rashodNames,
             {},
             {"Итого в базовой валюте:"},
         }},
        {"kinds",
         TemplateFolder() + "/VidDohod.ods",
         Job(41, kindNames, -1, ""),
         kindRows,
         {
             {"Таблица названий доходов"},
             {"Дата выгрузки: 09.03.2024"},
             kindNames,
             kindRows[0],
             kindRows[1],
         }},
        {"percent",
         TemplateFolder() + "/AnalisVidRashod.ods",
         Job(16, analysisNames, 2, "", true),
         analysisRows,
         {
             {"Таблица анализа по видам расходов"},
             {"Дата выгрузки: 09.03.2024"},
             analysisNames,
             // Every amount of the analysis is a number, not only the first.
             {"1", "Еда", "75,00%", "0,00", "0,00"},
             {"2", "Дом", "25,00%", "0,00", "0,00"},
             {"", "Итого", "100,00%", "", ""},
         }},
    };
    QStringList filled;
    for (const auto& c : cases) {
        const QString out = home.Path() + "/filled/" + c.name + ".ods";
        QDir().mkpath(home.Path() + "/filled");
        QString error;
        ASSERT_TRUE(FillTemplateFile(c.templ, out, c.job, c.rows, today, error))
            << c.name << error.toStdString();
        filled << out;
    }
    ASSERT_TRUE(SofficeConvert(filled, "csv", home.Path() + "/csv", home.Path(), &output))
        << output.toStdString();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<QStringList>& expected = c.expected.empty() ? cases[0].expected : c.expected;
        const std::vector<QStringList> csv = ReadCsv(home.Path() + "/csv/" + c.name + ".csv");
        ASSERT_EQ(csv.size(), expected.size());
        for (size_t r = 0; r < csv.size(); ++r) {
            const qsizetype width = std::max(csv[r].size(), expected[r].size());
            EXPECT_EQ(Padded(csv[r], width), Padded(expected[r], width)) << "row " << r + 1;
        }
    }

    // Numbers and dates are values, not texts that look like them.
    const std::vector<QStringList> types = ValueTypes(home.Path() + "/filled/rashod.ods");
    ASSERT_GE(types.size(), 6u);
    EXPECT_EQ(types[3].value(0), "date");
    EXPECT_EQ(types[3].value(3), "float");
    EXPECT_EQ(types[4].value(5), "string");
    EXPECT_EQ(types[5].value(0), "string");
    // The sums per purse and the program's total are numbers too.
    ASSERT_GE(types.size(), 9u);
    for (size_t r : {6, 7, 8})
        EXPECT_EQ(types[r].value(1), "float") << "row " << r + 1;
    const std::vector<QStringList> percent = ValueTypes(home.Path() + "/filled/percent.ods");
    ASSERT_GE(percent.size(), 4u);
    EXPECT_EQ(percent[3].value(2), "percentage");
    EXPECT_EQ(percent[3].value(3), "float");
}

// A template the family made from an older default: its total row and its own formulas, without
// any sum per purse. The total keeps its meaning and the formulas follow the rows they name.
TEST(TemplateFill, AFamilysOwnTemplateKeepsItsTotalAndItsFormulas) {
    TTestDataHome home;
    const auto text = [](const QString& t) {
        return "<table:table-cell office:value-type=\"string\"><text:p>" + t + "</text:p></table:table-cell>";
    };
    const auto formula = [](const QString& f) {
        return "<table:table-cell table:formula=\"" + f +
               "\" office:value-type=\"float\" office:value=\"0\"/>";
    };
    const auto row = [](const QString& cells) { return "<table:table-row>" + cells + "</table:table-row>"; };
    const QString content =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" office:version=\"1.2\">"
        "<office:body><office:spreadsheet><table:table table:name=\"Расходы\">"
        "<table:table-column table:number-columns-repeated=\"2\"/>" +
        row(text("Мои расходы")) + row("<table:table-cell/><table:table-cell/>") +
        row(text(FieldMark(1)) + text(FieldMark(2))) + row(text("Итого:") + text(TotalMark())) +
        row(text("Сумма:") + formula("of:=SUM([.B3:.B3])")) + row(text("Первая:") + formula("of:=[.B3]")) +
        row(text("Дважды итог:") + formula("of:=[.B4]*2")) +
        "</table:table></office:spreadsheet></office:body></office:document-content>";
    const QString templ = home.Path() + "/Mine.ods";
    QString error;
    ASSERT_TRUE(WriteOdfPackage(templ, OdsMimeType(), {{"content.xml", content.toUtf8()}}, error))
        << error.toStdString();
    const QString out = home.Path() + "/filled/mine.ods";
    QDir().mkpath(home.Path() + "/filled");
    ASSERT_TRUE(FillTemplateFile(templ, out, Job(11, {"Название", "Сумма"}, 1, "31,75"),
                                 {{"Хлеб", "10,5"}, {"Сыр", "20"}, {"Чай", "1,25"}}, QDate(2024, 3, 9),
                                 error))
        << error.toStdString();
    QString output;
    ASSERT_TRUE(SofficeConvert({out}, "fods", home.Path() + "/fods", home.Path(), &output))
        << output.toStdString();
    const std::vector<std::vector<TSheetCell>> sheet = ReadFlatSheet(home.Path() + "/fods/mine.fods");
    ASSERT_EQ(sheet.size(), 9u);
    const struct {
        size_t row;
        const char* label;
        double value;
    } expected[] = {{2, "Хлеб", 10.5},        {3, "Сыр", 20},       {4, "Чай", 1.25},
                    {5, "Итого:", 31.75},     {6, "Сумма:", 31.75}, {7, "Первая:", 10.5},
                    {8, "Дважды итог:", 63.5}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.label);
        ASSERT_EQ(sheet[e.row].size(), 2u);
        EXPECT_EQ(sheet[e.row][0].text, QString::fromUtf8(e.label));
        EXPECT_EQ(sheet[e.row][1].type, "float");
        EXPECT_DOUBLE_EQ(sheet[e.row][1].value, e.value);
    }
}

TEST(TemplateFill, ATemplateWithoutRecordRowOrNotAPackageIsRefused) {
    TTestDataHome home;
    QString error;
    const QString plain = home.Path() + "/plain.ods";
    ASSERT_TRUE(WritePlainSpreadsheet(plain, {"A"}, {{"1"}}, -1, error));
    EXPECT_FALSE(
        FillTemplateFile(plain, home.Path() + "/out.ods", Job(11, {"A"}, -1, ""), {{"x"}}, QDate(), error));
    EXPECT_EQ(error, "the template has no record row");
    ASSERT_TRUE(WriteFileBytes(home.Path() + "/broken.ods", "PK broken"));
    EXPECT_FALSE(FillTemplateFile(home.Path() + "/broken.ods", home.Path() + "/out.ods",
                                  Job(11, {"A"}, -1, ""), {}, QDate(), error));
    EXPECT_FALSE(QFile::exists(home.Path() + "/out.ods"));
}
