// A new user types a few records with the keyboard alone, closes the program, and finds them in the
// table files and again after the next start.
#include "e2edriver.h"

#include "qtprint.h"

#include <QDate>
#include <QDir>

#include <gtest/gtest.h>

TEST(LedgerE2E, RecordsTypedWithTheKeyboardReachTheFilesAndComeBack) {
    if (!HaveE2ETools()) GTEST_SKIP() << "Xvfb and xdotool are needed";
    TVirtualDisplay display;
    ASSERT_TRUE(display.IsUp());
    QTemporaryDir home;
    {
        TE2EProgram program(display, home.path());
        ASSERT_TRUE(program.Start());
        const QString main = program.LogInAsFirstUser("Мама");
        ASSERT_FALSE(main.isEmpty()) << program.Output().toStdString();
        auto keys = [&](const QStringList& k) { program.Keys(main, k); };
        auto type = [&](const QString& t) { program.Type(main, t); };
        // Expense 1: from the date to the kind, into the picker, pick, the sum as a formula.
        keys({"Right", "Return", "Return"});
        type("2+3*4");
        keys({"Return",
              "Return"}); // the sum; the purse is filled, so the note; the user column closes the row
        // Expense 2: the picker has the focus again; the next name down, a note.
        keys({"Down", "Return"});
        type("150");
        keys({"Return"});
        type("хлеб свежий");
        keys({"Return"});
        // Expense 3: another kind.
        keys({"Right", "Return"});
        type("99.5");
        keys({"Return", "Return", "Escape"});
        // An income.
        keys({"F3", "Right", "Return", "Return"});
        type("50000");
        keys({"Return", "Return", "Escape"});
        // An expense plan.
        keys({"F5", "Return", "Return"});
        type("3000");
        keys({"Return", "Return", "Escape"});
        program.Screenshot(home.path() + "/typed.png");
        ASSERT_TRUE(Quit(program, main));
    }
    const QString base = home.path() + "/share/Quorvane/BASE/Base1";
    const std::vector<QStringList> expenses = {
        {Today(), "Продукты", "Крупы", "14", "рубль", "", "Мама"},
        {Today(), "Продукты", "Молоко", "150", "рубль", "хлеб свежий", "Мама"},
        {Today(), "Коммунальные платежи", "Вывоз мусора", "99,5", "рубль", "", "Мама"},
    };
    EXPECT_EQ(TableRows(base + "/rashod"), expenses);
    EXPECT_EQ(TableRows(base + "/dohod"),
              (std::vector<QStringList>{{Today(), "Аванс", "50000", "рубль", "", "Мама"}}));
    EXPECT_EQ(
        TableRows(base + "/planrashod"),
        (std::vector<QStringList>{{"Продукты", "Крупы", Today(), Today(30), "3000", "рубль", "", "Мама"}}));
    const std::vector<QStringList> users = TableRows(home.path() + "/share/Quorvane/BASE/user");
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0].mid(0, 2), QStringList({"Мама", "Base1"}));
    EXPECT_EQ(users[0][2], "1"); // the program writes its first administrator as "1"

    // The next start: the last user is offered, the records are read back and written unchanged.
    TE2EProgram again(display, home.path());
    ASSERT_TRUE(again.Start());
    const QString main = again.LogInAsLastUser("Мама");
    ASSERT_FALSE(main.isEmpty());
    again.Screenshot(home.path() + "/again.png");
    ASSERT_TRUE(Quit(again, main));
    EXPECT_EQ(TableRows(base + "/rashod"), expenses);
    KeepScreenshot(home.path() + "/typed.png", "typed.png");
}
