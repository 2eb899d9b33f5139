// A new purse, an income into it, a transfer out of it and a lent debt with a return, all typed with
// the keyboard; the purse amounts, the transfer and the debt with its returns reach the files and
// stay the same through the next start.
#include "e2edriver.h"

#include "qtprint.h"

#include <QDate>
#include <QDir>

#include <gtest/gtest.h>

namespace {

using Rows = std::vector<QStringList>;

// The rows that hold anything: the purse table keeps its empty row for a new purse in the file.
Rows Filled(Rows rows) {
    std::erase_if(rows, [](const QStringList& r) { return r.join(QString()).trimmed().isEmpty(); });
    return rows;
}

// The files the money rules write, as the test compares them.
struct TMoneyFiles {
    Rows purse, dohod, transfer, dolg, returns;
    bool operator==(const TMoneyFiles&) const = default;
};

TMoneyFiles ReadMoneyFiles(const QString& base) {
    return {Filled(TableRows(base + "/purse")), TableRows(base + "/dohod"),
            TableRows(base + "/transfer_purse"), TableRows(base + "/dolg"), TableRows(base + "/Debt/debt0")};
}

} // namespace

TEST(MoneyE2E, PursesATransferAndADebtWithItsReturnComeBackAfterARestart) {
    if (!HaveE2ETools()) GTEST_SKIP() << "Xvfb and xdotool are needed";
    TVirtualDisplay display;
    ASSERT_TRUE(display.IsUp());
    QTemporaryDir home;
    const QString base = home.path() + "/share/Quorvane/BASE/Base1";
    {
        TE2EProgram program(display, home.path());
        ASSERT_TRUE(program.Start());
        const QString main = program.LogInAsFirstUser("Мама");
        ASSERT_FALSE(main.isEmpty()) << program.Output().toStdString();
        program.Keys(main, {});
        // Keys go one by one to whatever has the focus, popup lists included.
        auto keys = [&](const QStringList& k) { program.Press(k); };
        auto type = [&](const QString& t) { program.TypeHere(t); };

        // The purses tab: a new purse under the two the base starts with, at rate 90.
        keys({"F7", "ctrl+Tab", "ctrl+Tab", "Down", "Down", "Return"});
        type("доллар");
        keys({"Return", "ctrl+a"});
        type("90");
        keys({"Return", "Escape"});

        // An income of 100: the base purse comes in by itself, then the purse is changed to the new one.
        keys({"F3", "Right", "Return", "Return"});
        type("100");
        keys({"Return", "Escape", "Left", "Return", "Down", "Down", "Return", "Escape"});

        // A transfer of 50 from "доллар" (rate 90) to "рубль" (rate 1).
        keys({"F7", "Tab", "Right", "Return", "Down", "Down", "Return", "Return"});
        type("50");
        keys({"Return", "Escape"});
        program.Screenshot(home.path() + "/purses.png");

        // A lent debt of 1000, shown in its purse, and a return of 300.
        keys({"F4", "Return", "Return", "Return", "Return"});
        type("Петя");
        keys({"Return"});
        type("1000");
        keys({"Return", "Escape", "Up", "End", "Left", "Return", "Up", "Return", "Escape", "ctrl+Tab",
              "Return", "Return"});
        type("300");
        keys({"Return", "Escape"});
        program.Screenshot(home.path() + "/debts.png");
        ASSERT_TRUE(Quit(program, main));
    }
    const TMoneyFiles written = ReadMoneyFiles(base);
    // рубль: + 50 × 90 from the transfer − 1000 lent + 300 returned; доллар: 100 in, 50 out.
    EXPECT_EQ(written.purse,
              (Rows{{"рубль", "1", "3800", "1"}, {"копилка", "1", "0", "0"}, {"доллар", "90", "50", "0"}}));
    EXPECT_EQ(written.dohod, (Rows{{Today(), "Аванс", "100", "доллар", "", "Мама"}}));
    ASSERT_EQ(written.transfer.size(), 1u);
    EXPECT_EQ(written.transfer[0].mid(0, 6), QStringList({Today(), "доллар", "90", "рубль", "1", "50"}));
    ASSERT_EQ(written.dolg.size(), 1u);
    EXPECT_EQ(written.dolg[0], QStringList({"дано в долг", Today(), Today(), "Петя", "1000", "рубль", "",
                                            "отображать", "Мама", "0"}));
    EXPECT_EQ(written.returns, (Rows{{Today(), "300", "рубль", "700"}}));

    // The next start reads it all back, shows it, and writes it back the same.
    TE2EProgram again(display, home.path());
    ASSERT_TRUE(again.Start());
    const QString main = again.LogInAsLastUser("Мама");
    ASSERT_FALSE(main.isEmpty());
    again.Keys(main, {"F4"});
    again.Screenshot(home.path() + "/debts_again.png");
    again.Keys(main, {"F7", "ctrl+Tab", "ctrl+Tab"});
    again.Screenshot(home.path() + "/purses_again.png");
    ASSERT_TRUE(Quit(again, main));
    EXPECT_EQ(ReadMoneyFiles(base), written);
    for (const char* shot : {"purses.png", "debts.png", "debts_again.png", "purses_again.png"})
        KeepScreenshot(home.path() + "/" + shot, QString::fromLatin1("money_") + shot);
}
