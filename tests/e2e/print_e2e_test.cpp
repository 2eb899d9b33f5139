// F11 opens the platform's print dialog; printing to a PDF file chosen there gives a printout that
// pdftotext reads back.
#include "e2edriver.h"

#include <QFile>
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

class PrintE2E : public TE2ETest {};

TEST_F(PrintE2E, F11PrintsBothExpensesToAPdfChosenInThePrintDialog) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) GTEST_SKIP() << "no pdftotext";
    TE2EProgram program(display, home.path());
    const QString main = FirstStart(program);
    ASSERT_FALSE(main.isEmpty());
    TypeTwoExpenses(program, main);

    program.Keys(main, {"F11"});
    const QString dialog = program.WaitWindow("^Печать$");
    ASSERT_FALSE(dialog.isEmpty()) << program.Output().toStdString();
    ASSERT_TRUE(program.WaitIdle());
    const QString shot = program.Screenshot(home.path() + "/print-dialog.png");
    KeepScreenshot(shot, "print-dialog.png");

    // Whatever printer the dialog offers first, the last choice of "Название" prints to a PDF file;
    // its file field follows the "Свойства" button.
    const QString pdf = home.path() + "/Расходы.pdf";
    program.Keys(dialog, {"alt+Cyrillic_en", "End", "Tab", "Tab", "ctrl+a"});
    program.Type(dialog, pdf);
    program.Keys(dialog, {"Return"});
    ASSERT_TRUE(WaitPdf(pdf)) << program.Output().toStdString();
    EXPECT_TRUE(program.WaitGone("^Печать$"));

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

} // namespace
