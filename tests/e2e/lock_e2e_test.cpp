// Two programs on one base: a second home whose settings name the first one's data folder, as a second
// account or a second computer on a shared folder has. The second program is told who has the base,
// opens it read-only and changes nothing; a base left by a killed program is taken over.
#include "e2edriver.h"

#include "qtprint.h"
#include "storage/tinistorage.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

const QString kQuestion = QStringLiteral("^   Подтвердите$");
const QString kInfo = QStringLiteral("^   Сообщение$");

class LockE2E : public TE2ETest {
protected:
    void SetUp() override {
        TE2ETest::SetUp();
        if (IsSkipped()) return;
        // The second home's pathbase.ini names the first home's data folder.
        const QString data = second.path() + "/share/Quorvane";
        ASSERT_TRUE(QDir().mkpath(data));
        TIniStorage ini;
        ini.WriteString("path base", "path", home.path() + "/share/Quorvane/");
        ASSERT_TRUE(ini.SaveToFile(data + "/pathbase.ini"));
    }
    QString Base() const { return Bases() + "/Base1"; }
    QString Lock() const { return Base() + "/blokirovka"; }
    QStringList Sums() const {
        QStringList sums;
        for (const QStringList& row : TableRows(Base() + "/rashod"))
            sums << row.value(3);
        return sums;
    }
    // The pid the lock names; empty when there is no lock.
    QString LockPid() const {
        const std::vector<QStringList> rows = TableRows(Lock());
        return QFileInfo::exists(Lock()) && rows.size() == 1 ? rows[0].value(3) : QString();
    }

    QTemporaryDir second;
};

} // namespace

TEST_F(LockE2E, ASecondProgramIsToldOpensTheBaseReadOnlyAndLeavesTheFirstOnesRecords) {
    TE2EProgram first(display, home.path());
    const QString mainA = FirstStartWithAnExpense(first, "111");
    ASSERT_FALSE(mainA.isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return Sums() == QStringList({"111"}); }, 15000)) << "the automatic save";
    ASSERT_EQ(LockPid(), QString::number(first.Pid()));
    EXPECT_EQ(TableRows(Lock()).at(0).value(0), "Мама");

    TE2EProgram reader(display, second.path());
    // «База "Base1" уже открыта в другой программе: ...», «Открыть только для чтения» the default.
    const QString mainB = NextStartPastABox(
        reader, kQuestion, "^Только чтение — Vellumora      Пользователь: Мама$", "lock-question.png");
    ASSERT_FALSE(mainB.isEmpty());

    // Keys that would change the books are refused: a record typed opens nothing, a deletion asks nothing.
    TypeExpense(reader, mainB, "222");
    reader.Keys(mainB, {"Home", "Delete"});
    EXPECT_TRUE(reader.WaitWindow(kQuestion, 1500).isEmpty()) << "the deletion was not refused";
    KeepScreenshot(reader.Screenshot(home.path() + "/read-only.png"), "read-only.png");
    ASSERT_TRUE(Quit(reader, mainB));
    EXPECT_EQ(LockPid(), QString::number(first.Pid())) << "the reader leaves the other's lock alone";
    EXPECT_EQ(Sums(), QStringList({"111"}));

    ASSERT_TRUE(Quit(first, mainA));
    EXPECT_FALSE(QFileInfo::exists(Lock())) << "the lock goes with the program that had the base";
    EXPECT_EQ(TableRows(Base() + "/rashod"), std::vector<QStringList>{ExpenseRow("111")});
}

TEST_F(LockE2E, TheBaseOfAKilledProgramIsTakenOverAndWrittenByTheNextOne) {
    {
        TE2EProgram first(display, home.path());
        ASSERT_FALSE(FirstStart(first).isEmpty());
        ASSERT_EQ(LockPid(), QString::number(first.Pid()));
        first.Kill(); // kill -9: the lock stays, naming a process that is gone
    }
    ASSERT_TRUE(QFileInfo::exists(Lock()));

    TE2EProgram next(display, second.path());
    // «Программа, открывшая базу "Base1" (Мама, компьютер ...), завершилась без закрытия базы. База открыта.»
    const QString main =
        NextStartPastABox(next, kInfo, "^ Vellumora      Пользователь: Мама$", "taken-over.png");
    ASSERT_FALSE(main.isEmpty());
    EXPECT_EQ(LockPid(), QString::number(next.Pid()));
    TypeExpense(next, main, "333");
    ASSERT_TRUE(WaitUntil([&] { return Sums() == QStringList({"333"}); }, 15000)) << "the automatic save";
    ASSERT_TRUE(Quit(next, main));
    EXPECT_FALSE(QFileInfo::exists(Lock()));
}
