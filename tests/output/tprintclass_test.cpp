// Printouts made through the program's printing to a PDF file and read back with poppler's tools.
#include "output/tprintclass.h"

#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"
#include "storage/tmemtable.h"

#include <QFont>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

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
        const QString pdf = dir.path() + "/out.pdf";
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A5));
        const TDataGrid& grid = state.Grid(TTableKind::Rashod);
        EXPECT_TRUE(TPrintClass::Print(printer, TPrintClass::ViewContent(grid, TPrintClass::ViewTitle(grid)),
                                       std::vector<int>(7, 80), QFont("DejaVu Sans", 9),
                                       QFont("DejaVu Sans", 10)));
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

} // namespace
