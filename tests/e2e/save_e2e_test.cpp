// The books survive a killed program, and a save the disk refuses is told before anything is lost.
#include "e2edriver.h"

#include "qtprint.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QString kError = QStringLiteral("^  Ошибка$");
const QString kQuestion = QStringLiteral("^   Подтвердите$");

bool HasExpense(const QString& rashod, const QString& sum) {
    for (const QStringList& row : TableRows(rashod))
        if (row.value(3) == sum) return true;
    return false;
}

// What a save leaves only while it runs: the journal and the files written beside the tables.
QStringList LeftOvers(const QString& base) {
    return QDir(base).entryList({"zhurnal", ".*tmp*"}, QDir::Files | QDir::Hidden);
}

// The expenses file made unwritable as a family member's mistake would make it: immutable where the
// test may do that (root), read-only otherwise. Undone when the object goes.
class TUnwritable {
public:
    explicit TUnwritable(const QString& path) : m_path(path) {
        if (::geteuid() == 0 && QProcess::execute("chattr", {"+i", path}) == 0) {
            m_immutable = true;
            return;
        }
        QFile::setPermissions(path, QFile::ReadOwner);
    }
    ~TUnwritable() { Undo(); }
    void Undo() {
        if (m_immutable) QProcess::execute("chattr", {"-i", m_path});
        m_immutable = false;
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }

private:
    QString m_path;
    bool m_immutable = false;
};

class SaveE2E : public TE2ETest {
protected:
    const QString base = Bases() + "/Base1";
    const QString rashod = base + "/rashod";
};

} // namespace

TEST_F(SaveE2E, ARecordTypedSecondsBeforeTheProgramIsKilledIsThereAtTheNextStart) {
    {
        TE2EProgram program(display, home.path());
        const QString main = FirstStartWithAnExpense(program, "321");
        ASSERT_FALSE(main.isEmpty());
        // The save the program makes by itself seconds after the change, whole: the record in the file
        // and the journal and the files written beside the tables gone.
        ASSERT_TRUE(WaitUntil([&] { return HasExpense(rashod, "321") && LeftOvers(base).isEmpty(); }, 15000))
            << "no automatic save; left over: " << LeftOvers(base).join(' ').toStdString();
        program.Kill(); // kill -9: nothing of the close runs
        ASSERT_FALSE(program.IsRunning());
    }
    EXPECT_TRUE(HasExpense(rashod, "321"));
    EXPECT_EQ(LeftOvers(base), QStringList());

    TE2EProgram again(display, home.path());
    // The killed program's lock on the base is taken over, which is told, and nothing else is.
    const QString main = NextStartPastABox(again, "^   Сообщение$", "Пользователь: Мама$");
    ASSERT_FALSE(main.isEmpty());
    // No damage report, no offer of a daily copy: the start has settled, so either would be up.
    EXPECT_TRUE(again.WaitWindow("^   Сообщение$", 500).isEmpty());
    KeepScreenshot(again.Screenshot(home.path() + "/after-kill.png"), "after-kill.png");
    ASSERT_TRUE(Quit(again, main));
    EXPECT_TRUE(HasExpense(rashod, "321"));
}

TEST_F(SaveE2E, AnExpensesFileThatCannotBeWrittenIsToldAndNothingIsLost) {
    TE2EProgram program(display, home.path());
    const QString main = FirstStartWithAnExpense(program, "40");
    ASSERT_FALSE(main.isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return HasExpense(rashod, "40"); }, 15000)) << "the automatic save";

    TUnwritable unwritable(rashod);
    TypeExpense(program, main, "60");
    // The automatic save is refused by the disk: told once.
    QString error = program.WaitWindow(kError, 8000);
    ASSERT_FALSE(error.isEmpty()) << "the failed automatic save is told";
    KeepScreenshot(program.Screenshot(home.path() + "/autosave-failed.png"), "autosave-failed.png");
    program.Keys(error, {"Return"});
    ASSERT_TRUE(program.WaitGone(kError, 5000));

    // Closing: the save fails again and is told, then "Выйти без сохранения?" keeps the window ("Нет").
    program.Keys(main, {"F10"});
    const QString quit = program.WaitWindow(kQuestion);
    ASSERT_FALSE(quit.isEmpty());
    program.Keys(quit, {"Return"});
    error = program.WaitWindow(kError);
    ASSERT_FALSE(error.isEmpty()) << "the failed save at the close is told";
    KeepScreenshot(program.Screenshot(home.path() + "/close-failed.png"), "close-failed.png");
    program.Keys(error, {"Return"});
    const QString leave = program.WaitWindow(kQuestion);
    ASSERT_FALSE(leave.isEmpty()) << "Выйти без сохранения?";
    program.Keys(leave, {"Return"});
    ASSERT_TRUE(program.WaitClosed(leave, kQuestion, 5000));
    program.WaitIdle();
    ASSERT_TRUE(program.IsRunning()) << "the default answer keeps the program open";
    EXPECT_FALSE(HasExpense(rashod, "60"));

    // The family mends the file and closes again: everything is saved.
    unwritable.Undo();
    ASSERT_TRUE(Quit(program, main));
    EXPECT_TRUE(HasExpense(rashod, "40"));
    EXPECT_TRUE(HasExpense(rashod, "60")) << testing::PrintToString(TableRows(rashod));
}
