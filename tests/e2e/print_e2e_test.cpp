// F11 opens the platform's print dialog; printing to a PDF file chosen there gives a printout that
// pdftotext reads back.
#include "e2edriver.h"
#include "pdftestkit.h"
#include "qtprint.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

QString Tool(const QString& program, const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    if (exitCode) *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The printout is whole once pdfinfo reads it.
bool WaitPdf(const QString& path) {
    return WaitUntil(
        [&] {
            int code = -1;
            if (QFile::exists(path)) Tool("pdfinfo", {path}, &code);
            return code == 0;
        },
        60000);
}

bool HasLineWith(const QStringList& lines, const QStringList& texts) {
    for (const QString& line : lines) {
        bool all = true;
        for (const QString& t : texts)
            all = all && line.contains(t);
        if (all) return true;
    }
    return false;
}

// F11, then the print dialog told to print to a PDF file: whatever printer the dialog offers first,
// the last choice of "Название" prints to a file, and its file field follows the "Свойства" button.
// False when the printout did not come whole.
bool PrintToPdf(TE2EProgram& program, const QString& main, const QString& pdf, const QString& shot = {}) {
    program.Keys(main, {"F11"});
    const QString dialog = program.WaitWindow("^Печать$");
    EXPECT_FALSE(dialog.isEmpty()) << program.Output().toStdString();
    if (dialog.isEmpty()) return false;
    EXPECT_TRUE(program.WaitIdle());
    if (!shot.isEmpty()) KeepScreenshot(program.Screenshot(QFileInfo(pdf).path() + "/" + shot), shot);
    program.Keys(dialog, {"alt+Cyrillic_en", "End", "Tab", "Tab", "ctrl+a"});
    program.Type(dialog, pdf);
    program.Keys(dialog, {"Return"});
    const bool whole = WaitPdf(pdf);
    EXPECT_TRUE(whole) << program.Output().toStdString();
    EXPECT_TRUE(program.WaitGone("^Печать$"));
    return whole;
}

class PrintE2E : public TE2ETest {};

TEST_F(PrintE2E, F11PrintsBothExpensesToAPdfChosenInThePrintDialog) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "no pdftotext";
    TE2EProgram program(display, home.path());
    const QString main = FirstStart(program);
    ASSERT_FALSE(main.isEmpty());
    TypeTwoExpenses(program, main);

    const QString pdf = home.path() + "/Расходы.pdf";
    ASSERT_TRUE(PrintToPdf(program, main, pdf, "print-dialog.png"));

    QStringList lines;
    for (const QString& line : Tool("pdftotext", {"-layout", pdf, "-"}).split('\n'))
        if (!line.trimmed().isEmpty()) lines << line.trimmed();
    const std::string dump = lines.join('\n').toStdString();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines[0], "Таблица расходов") << dump;
    EXPECT_TRUE(HasLineWith(
        lines, {"Дата", "Вид расхода", "Название расхода", "Сумма", "Кошелек", "Примечание", "Пользователь"}))
        << dump;
    EXPECT_TRUE(HasLineWith(lines, {Today(), "120", "Мама"})) << dump;
    EXPECT_TRUE(HasLineWith(lines, {Today(), "30", "Мама"})) << dump;
    EXPECT_EQ(lines.size(), 4) << dump;
    const QRegularExpressionMatch pages =
        QRegularExpression("^Pages:\\s+(\\d+)", QRegularExpression::MultilineOption)
            .match(Tool("pdfinfo", {pdf}));
    EXPECT_EQ(pages.captured(1), "1");
    ASSERT_TRUE(Quit(program, main));
}

// Three hundred expenses as the program opens them, in a maximized window: the printout runs over as
// many pages as it needs, each record once and whole in its own line, the caption row and the title on
// the first page only, and every page numbered.
TEST_F(PrintE2E, ThreeHundredExpensesPrintWholeOnAsManyPagesAsTheyNeed) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "no pdftotext";
    const QString root = Bases();
    WriteTable(root + "/user", {{"Мама", "Base1", "Администратор", "0"}});
    WriteTable(root + "/baseuser", {{"Base1"}});
    WriteTable(root + "/Base1/purse", {{"рубль", "1", "0", "1"}});
    std::vector<QStringList> records;
    QStringList expected;
    for (int i = 1; i <= 300; ++i) {
        const QStringList record{QDate(2024, 1, 1).addDays(i).toString("dd.MM.yyyy"),
                                 i % 2 ? "Еда" : "Дом",
                                 QString("Запись %1").arg(i),
                                 QString("%1,50").arg(1000 + i),
                                 "рубль",
                                 i % 3 ? QString() : QString("к записи %1").arg(i),
                                 "Мама"};
        records.push_back(record);
        QStringList shown = record;
        shown.removeAll(QString());
        expected << shown.join(' ');
    }
    WriteTable(root + "/Base1/rashod", records);
    TE2EProgram program(display, home.path());
    const QString main = NextStart(program);
    ASSERT_FALSE(main.isEmpty());

    const QString pdf = home.path() + "/Расходы.pdf";
    ASSERT_TRUE(PrintToPdf(program, main, pdf));
    ASSERT_TRUE(Quit(program, main));

    const std::vector<TPdfPage> pages = ReadPdf(pdf);
    ASSERT_GT(pages.size(), 1u);
    QStringList rows;
    for (size_t p = 0; p < pages.size(); ++p) {
        SCOPED_TRACE(p + 1);
        std::vector<TPdfLine> lines = pages[p].lines;
        ASSERT_GE(lines.size(), p == 0 ? 3u : 2u);
        for (const TPdfLine& line : lines) {
            EXPECT_EQ(line.Crowded(), nullptr) << line.Text().toStdString();
            EXPECT_LE(line.words.back().right, pages[p].width * 0.95) << line.Text().toStdString();
        }
        EXPECT_EQ(lines.back().Text(), QString("Страница %1").arg(p + 1));
        lines.pop_back();
        if (p == 0) {
            EXPECT_EQ(lines[0].Text(), "Таблица расходов");
            EXPECT_EQ(lines[1].Text(),
                      "Дата Вид расхода Название расхода Сумма Кошелек Примечание Пользователь");
            lines.erase(lines.begin(), lines.begin() + 2);
        }
        for (const TPdfLine& line : lines)
            rows << line.Text();
    }
    // Each record in its own line, in the grid's order.
    EXPECT_EQ(rows.size(), expected.size());
    for (qsizetype i = 0; i < std::min(rows.size(), expected.size()); ++i) {
        if (rows[i] == expected[i]) continue;
        ADD_FAILURE() << "line " << i + 1 << " of the records: \"" << rows[i].toStdString() << "\", not \""
                      << expected[i].toStdString() << '"';
        break;
    }
}

} // namespace
