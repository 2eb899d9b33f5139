// F8 hands the table on show to the export tool, which fills the family's template and asks the
// desktop to open the spreadsheet; LibreOffice then reads what was written. The templates menu opens
// its template the same way.
#include "e2edriver.h"
#include "odstestkit.h"

#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <iostream>

namespace {

using TRows = std::vector<QStringList>;

// The spreadsheet the export saved under the program's temp folder, once there.
QString WaitSpreadsheet(const TE2EProgram& program, const QString& namePrefix) {
    QString found;
    WaitUntil(
        [&] {
            QDirIterator it(program.TempFolder(), {namePrefix + "*.ods"}, QDir::Files,
                            QDirIterator::Subdirectories);
            if (it.hasNext()) found = it.next();
            return !found.isEmpty();
        },
        60000);
    return found;
}

TRows SpreadsheetRows(const QString& file, const QString& work) {
    const QString out = work + "/csv";
    QString output;
    EXPECT_TRUE(SofficeConvert({file}, "csv", out, work, &output)) << output.toStdString();
    return ReadCsv(out + "/" + QFileInfo(file).completeBaseName() + ".csv");
}

bool HasRowWith(const TRows& rows, const QStringList& cells) {
    for (const QStringList& row : rows) {
        bool all = true;
        for (const QString& c : cells)
            all = all && row.contains(c);
        if (all) return true;
    }
    return false;
}

std::string Dump(const TRows& rows) {
    std::string out;
    for (const QStringList& r : rows)
        out += r.join(" | ").toStdString() + "\n";
    return out;
}

class ExportE2E : public TE2ETest {};

TEST_F(ExportE2E, F8OnTheExpensesAndOnTheAnalysisGivesSpreadsheetsWithTheRecordsAndTotals) {
    TE2EProgram program(display, home.path());
    const QString main = FirstStart(program);
    ASSERT_FALSE(main.isEmpty());
    TypeTwoExpenses(program, main);

    program.Keys(main, {"F8"});
    const QString expenses = WaitSpreadsheet(program, "Quorvane_TABLE OF EXPENSES_" + Today() + "_Time");
    ASSERT_FALSE(expenses.isEmpty()) << program.Output().toStdString();
    EXPECT_TRUE(WaitUntil([&] { return program.OpenedFiles().contains(expenses); }))
        << program.OpenedFiles().join(", ").toStdString();
    const TRows rows = SpreadsheetRows(expenses, home.path() + "/soffice");
    EXPECT_TRUE(HasRowWith(rows, {Today(), "120,00"})) << Dump(rows);
    EXPECT_TRUE(HasRowWith(rows, {Today(), "30,00"})) << Dump(rows);
    EXPECT_TRUE(HasRowWith(rows, {"150,00"})) << Dump(rows);

    program.Keys(main, {"F6"});
    ASSERT_TRUE(program.WaitIdle());
    program.Keys(main, {"F8"});
    const QString analysis = WaitSpreadsheet(program, "Quorvane_ANALYSIS_" + Today() + "_Time");
    ASSERT_FALSE(analysis.isEmpty()) << program.Output().toStdString();
    const TRows result = SpreadsheetRows(analysis, home.path() + "/soffice");
    EXPECT_TRUE(HasRowWith(result, {"150,00"})) << Dump(result);
    const QString shot = program.Screenshot(home.path() + "/export.png");
    KeepScreenshot(shot, "export.png");
    ASSERT_TRUE(Quit(program, main));
}

// A desktop with a file manager but no spreadsheet program: F8 still saves the sheet, tells where,
// and its button opens the folder.
TEST_F(ExportE2E, F8WithoutASpreadsheetProgramTellsWhereTheSheetWentAndOpensItsFolder) {
    TE2EProgram program(display, home.path());
    ASSERT_TRUE(program.DesktopOpensOnly({"inode/directory"}));
    const QString main = FirstStart(program);
    ASSERT_FALSE(main.isEmpty());
    TypeTwoExpenses(program, main);

    program.Keys(main, {"F8"});
    const QString expenses = WaitSpreadsheet(program, "Quorvane_TABLE OF EXPENSES_" + Today() + "_Time");
    ASSERT_FALSE(expenses.isEmpty()) << program.Output().toStdString();
    const QString box = program.WaitWindow("Сообщение");
    ASSERT_FALSE(box.isEmpty()) << program.Output().toStdString();
    KeepScreenshot(program.Screenshot(home.path() + "/saved.png"), "export-saved.png");
    EXPECT_FALSE(program.OpenedFiles().contains(expenses));
    // From "OK", the default, back to "Открыть папку".
    program.Keys(box, {"shift+Tab", "space"});
    EXPECT_TRUE(program.WaitGone("Сообщение"));
    const QString folder = QFileInfo(expenses).absolutePath();
    EXPECT_TRUE(WaitUntil([&] { return program.OpenedFiles().contains(folder); }))
        << program.OpenedFiles().join(", ").toStdString();
    EXPECT_TRUE(HasRowWith(SpreadsheetRows(expenses, home.path() + "/soffice"), {Today(), "120,00"}));
    ASSERT_TRUE(Quit(program, main));
}

TEST_F(ExportE2E, TheTemplatesMenuOpensTheFamilysTemplate) {
    TE2EProgram program(display, home.path());
    const QString main = FirstStart(program);
    ASSERT_FALSE(main.isEmpty());
    // «Файл», down to «Шаблоны выгрузки и печати», into it, the first template.
    program.Click(main, 20, 9);
    program.Press({"Down", "Down", "Down", "Down", "Down", "Right", "Return"});
    const QString expected = program.DataFolder() + "/PageMaket/Rashod.ods";
    EXPECT_TRUE(WaitUntil([&] { return program.OpenedFiles().contains(expected); }))
        << program.OpenedFiles().join(", ").toStdString();
    ASSERT_TRUE(Quit(program, main));
}

} // namespace
