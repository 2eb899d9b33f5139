// Printouts made through the program's printing to a PDF file and read back with poppler's tools.
#include "output/tprintclass.h"

#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"
#include "pdftestkit.h"
#include "qtprint.h"
#include "storage/tmemtable.h"

#include <QDate>
#include <QFont>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

struct TWidthCase {
    const char* what;
    int room;
    std::vector<TPrintColumn> columns; // screen width, whole, least
    std::optional<std::vector<int>> widths;
};

// The room each column gets on paper: the whole width of its texts first, then the screen's proportions;
// only text columns (least below whole) give way, and never below their caption.
TEST(PrintColumnWidths, NoDateSumOrCaptionIsCutAndTheRestFollowsTheScreen) {
    using V = std::vector<int>;
    const TWidthCase cases[] = {
        {"texts that fit their share keep the screen's proportions",
         1000,
         {{100, 50, 50}, {200, 50, 50}, {100, 50, 50}},
         V{250, 500, 250}},
        {"shares truncate", 1000, {{1, 10, 10}, {1, 10, 10}, {1, 10, 10}}, V{333, 333, 333}},
        {"a date narrow on screen gets its whole width, the others share the rest as on screen",
         1000,
         {{10, 300, 300}, {100, 50, 50}, {100, 50, 50}},
         V{300, 350, 350}},
        {"a column left short by another's whole width gets its own whole width too",
         1000,
         {{10, 400, 400}, {50, 250, 250}, {100, 50, 50}},
         V{400, 250, 350}},
        {"no widths on screen: equal shares", 90, {{0, 10, 10}, {0, 10, 10}, {0, 10, 10}}, V{30, 30, 30}},
        {"a long note gives way; the date and the sum keep their whole widths",
         1000,
         {{1, 300, 300}, {1, 2000, 150}, {1, 200, 200}},
         V{300, 500, 200}},
        {"text columns share as on screen, and a short one takes no more than its whole width",
         1000,
         {{1, 300, 300}, {2, 200, 100}, {2, 2000, 100}},
         V{300, 200, 500}},
        {"a text column narrow on screen keeps its caption",
         1000,
         {{1, 200, 200}, {1, 1000, 300}, {9, 1000, 100}},
         V{200, 300, 500}},
        {"text columns down to their captions exactly",
         800,
         {{1, 300, 300}, {1, 300, 300}, {5, 900, 200}},
         V{300, 300, 200}},
        {"dates and sums wider than the room", 500, {{1, 300, 300}, {1, 300, 300}}, std::nullopt},
        {"captions of the text columns wider than what the others leave",
         500,
         {{1, 300, 300}, {1, 1000, 250}},
         std::nullopt},
        {"no columns", 500, {}, V{}},
    };
    for (const TWidthCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TPrintClass::ColumnWidths(c.columns, c.room), c.widths);
    }
}

QString Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(30000)) << program.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString PageText(const QString& pdf, int page) {
    return Run("pdftotext", {"-layout", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
}

// The top of the first word on a page, in points; -1 when it is not there.
double WordTop(const QString& pdf, int page, const QString& word) {
    const QString html =
        Run("pdftotext", {"-bbox", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
    const QRegularExpressionMatch m =
        QRegularExpression(QString("yMin=\"([0-9.]+)\"[^>]*>%1</word>").arg(QRegularExpression::escape(word)))
            .match(html);
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

int Pages(const QString& pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression("^Pages:\\s+(\\d+)", QRegularExpression::MultilineOption)
            .match(Run("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

class PrintTest : public ::testing::Test {
protected:
    // Expenses named "Запись 1" ... "Запись n" in the grid as the program shows them.
    void Expenses(int n) {
        TMemTable& t = state.Table(TTableKind::Rashod);
        for (int i = 1; i <= n; ++i)
            t.AddRow()->SetCells(
                {"05.03.2024", "Еда", QString("Запись%1").arg(i), "10", "рубль", "", "Мама"});
        TBaseLoader::AppendNewRecordRow(state, state.Grid(TTableKind::Rashod));
        state.Grid(TTableKind::Rashod).ResetRowMap();
    }
    QString PrintExpenses() {
        const TDataGrid& grid = state.Grid(TTableKind::Rashod);
        return PrintOnA5(TPrintClass::ViewContent(grid, TPrintClass::ViewTitle(grid)));
    }
    QString PrintOnA5(const TPrintContent& content) {
        const QString pdf = dir.path() + "/out.pdf";
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A5));
        EXPECT_TRUE(TPrintClass::Print(printer, content, std::vector<int>(content.rows.front().size(), 80),
                                       QFont("DejaVu Sans", 9), QFont("DejaVu Sans", 10)));
        return pdf;
    }
    TMyType state;
    QTemporaryDir dir;
};

TEST_F(PrintTest, APrintoutOfOnePageHasNoPageLine) {
    Expenses(3);
    const QString pdf = PrintExpenses();
    EXPECT_EQ(Pages(pdf), 1);
    const QString text = PageText(pdf, 1);
    EXPECT_TRUE(text.contains("Таблица расходов")) << text.toStdString();
    EXPECT_TRUE(text.contains("Запись3")) << text.toStdString();
    EXPECT_FALSE(text.contains("Страница")) << text.toStdString();
}

// Pages 1 and 2 carry their number one line under their last row; the last page carries its number at
// the height where the number of the page before it stood.
TEST_F(PrintTest, AThreePagePrintoutNumbersItsPages) {
    Expenses(1);
    const int perPage = [&] {
        // Rows per page measured from a first printout: grow until a second page comes.
        int n = 1;
        while (Pages(PrintExpenses()) == 1 && n < 400) {
            state.Table(TTableKind::Rashod).Clear();
            Expenses(n += 5);
        }
        return n;
    }();
    state.Table(TTableKind::Rashod).Clear();
    Expenses(perPage * 2 + 5);
    const QString pdf = PrintExpenses();
    ASSERT_EQ(Pages(pdf), 3);
    EXPECT_TRUE(PageText(pdf, 1).contains("Страница 1"));
    EXPECT_TRUE(PageText(pdf, 2).contains("Страница 2"));
    EXPECT_TRUE(PageText(pdf, 3).contains("Страница 3"));
    EXPECT_FALSE(PageText(pdf, 3).contains("Страница 2"));
    EXPECT_GT(WordTop(pdf, 3, "Страница"), 0);
    EXPECT_NEAR(WordTop(pdf, 3, "Страница"), WordTop(pdf, 2, "Страница"), 0.5);
}

// A page ends after the row that takes the line past the bottom margin; when that row is the last one,
// no page follows it, and a printout of one page has no page line.
TEST_F(PrintTest, ARowThatFillsThePageLastStartsNoEmptyPage) {
    Expenses(200);
    const TDataGrid& grid = state.Grid(TTableKind::Rashod);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.path() + "/layout.pdf");
    printer.setPageSize(QPageSize(QPageSize::A5));
    const auto layout = [&] {
        return TPrintClass::Layout(printer, TPrintClass::ViewContent(grid, TPrintClass::ViewTitle(grid)),
                                   std::vector<int>(7, 80), QFont("DejaVu Sans", 9),
                                   QFont("DejaVu Sans", 10));
    };
    const TPrintLayout many = layout();
    ASSERT_GT(many.pages.size(), 2u);
    // The caption row is row 0: the first page holds it and firstPage - 1 records.
    const int firstPage = many.pages[0].endRow;
    EXPECT_EQ(many.pages[1].firstRow, firstPage);
    EXPECT_EQ(many.pages.back().footerLine, many.pages[many.pages.size() - 2].footerLine);

    state.Table(TTableKind::Rashod).Clear();
    Expenses(firstPage - 1);
    const TPrintLayout one = layout();
    ASSERT_EQ(one.pages.size(), 1u);
    EXPECT_EQ(one.pages[0].endRow, firstPage);
    EXPECT_EQ(one.pages[0].footerLine, -1);
    const QString pdf = PrintExpenses();
    EXPECT_EQ(Pages(pdf), 1);
    EXPECT_FALSE(PageText(pdf, 1).contains("Страница")) << PageText(pdf, 1).toStdString();
}

// Only the note gives way to a note too long for the page: its text ends with "…", while the date,
// the sum, the other cells and the captions stay whole and apart.
TEST_F(PrintTest, ALongNoteEndsWithAnEllipsisAndNothingElseIsCut) {
    Expenses(2);
    QStringList words;
    for (int i = 0; i < 40; ++i)
        words << "примечание";
    words << "конец";
    state.Table(TTableKind::Rashod).Row(0)->SetCell(5, words.join(' '));
    const std::vector<TPdfPage> pages = ReadPdf(PrintExpenses());
    ASSERT_EQ(pages.size(), 1u);
    const std::vector<TPdfLine>& lines = pages[0].lines;
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].Text(), state.Grid(TTableKind::Rashod).Captions.join(' '));
    const QString noted = lines[2].Text();
    EXPECT_TRUE(noted.startsWith("05.03.2024 Еда Запись1 10 рубль примеч")) << noted.toStdString();
    EXPECT_TRUE(noted.endsWith("… Мама")) << noted.toStdString();
    EXPECT_FALSE(noted.contains("конец")) << noted.toStdString();
    EXPECT_EQ(lines[3].Text(), "05.03.2024 Еда Запись2 10 рубль Мама");
    for (const TPdfLine& line : lines)
        EXPECT_EQ(line.Crowded(), nullptr) << line.Text().toStdString();
}

// Fourteen dates side by side are wider than an A5 page in the grid's font: the table is printed
// smaller, every date whole and apart, and nothing runs past the right margin.
TEST_F(PrintTest, ATableWiderThanItsPageIsPrintedSmallerWithNothingCut) {
    TPrintContent content;
    content.title = "Даты";
    QStringList captions;
    for (int c = 1; c <= 14; ++c)
        captions << QString("Дата %1").arg(c);
    content.rows.push_back(captions);
    content.textColumns.assign(14, false);
    for (int r = 0; r < 30; ++r) {
        QStringList dates;
        for (int c = 0; c < 14; ++c)
            dates << QDate(2024, 1, 1).addDays(r * 14 + c).toString("dd.MM.yyyy");
        content.rows.push_back(dates);
    }
    const std::vector<TPdfPage> pages = ReadPdf(PrintOnA5(content));
    ASSERT_EQ(pages.size(), 1u);
    const std::vector<TPdfLine>& lines = pages[0].lines;
    ASSERT_EQ(lines.size(), content.rows.size() + 1);
    EXPECT_EQ(lines[0].Text(), "Даты");
    for (size_t r = 0; r < content.rows.size(); ++r) {
        const TPdfLine& line = lines[r + 1];
        EXPECT_EQ(line.Text(), content.rows[r].join(' '));
        EXPECT_EQ(line.Crowded(), nullptr) << line.Text().toStdString();
        EXPECT_LE(line.words.back().right, pages[0].width * 0.95) << line.Text().toStdString();
    }
}

} // namespace
