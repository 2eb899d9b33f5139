// Typing over cells and sorting from the menu, with the keys and the mouse of a person: a rate typed
// in continuous entry is the rate stored, and "Сортировка" sorts the view on show without ending the
// program, whatever sorted it before.
#include "e2edriver.h"

#include "qtprint.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using TRows = std::vector<QStringList>;

// "Сортировка" opened on the menu bar and its item on that line (from 1) chosen with the keys.
void ChooseSortItem(TE2EProgram& program, const QString& window, int line) {
    program.Click(window, 315, 9);
    program.Press(QStringList(line, "Down") << "Return");
}

QStringList Column(const TRows& rows, int col) {
    QStringList out;
    for (const QStringList& r : rows)
        if (!r.value(col).isEmpty()) out << r.value(col);
    return out;
}

class EditingE2E : public TE2ETest {};

} // namespace

TEST_F(EditingE2E, ARateTypedAfterANewPursesNameIsTheRateStored) {
    TE2EProgram program(display, home.path());
    const QString main = FirstStart(program);
    ASSERT_FALSE(main.isEmpty());
    // The purses tab, the empty row under the two purses the base starts with.
    program.Keys(main, {"F7", "ctrl+Tab", "ctrl+Tab", "Down", "Down"});
    program.Type(main, "евро");
    program.Keys(main, {"Return"});
    program.Type(main, "100");
    program.Keys(main, {"Return", "Escape"});
    KeepScreenshot(program.Screenshot(home.path() + "/purse.png"), "editing-purse.png");
    ASSERT_TRUE(Quit(program, main));
    const TRows purses = TableRows(home.path() + "/share/Quorvane/BASE/Base1/purse");
    const auto euro =
        std::find_if(purses.begin(), purses.end(), [](const QStringList& r) { return r.value(0) == "евро"; });
    ASSERT_NE(euro, purses.end()) << purses.size();
    EXPECT_EQ(euro->value(1), "100");
}

TEST_F(EditingE2E, TheSortMenuSortsByTheColumnChosenAndFollowsACaptionClick) {
    const QString root = Bases();
    WriteTable(root + "/user", {{"Мама", "Base1", "Администратор", "0"}});
    WriteTable(root + "/baseuser", {{"Base1"}});
    WriteTable(root + "/Base1/rashod", {{"01.12.2026", "Дом", "Посуда", "30", "", "", "Мама"},
                                        {"02.12.2026", "Еда", "Хлеб", "10", "", "", "Мама"},
                                        {"03.12.2026", "Авто", "Бензин", "20", "", "", "Мама"}});
    TE2EProgram program(display, home.path());
    const QString main = NextStart(program);
    ASSERT_FALSE(main.isEmpty());

    // "Сумма", the fourth column.
    ChooseSortItem(program, main, 4);
    KeepScreenshot(program.Screenshot(home.path() + "/by-sum.png"), "editing-sort-by-sum.png");
    ASSERT_TRUE(program.IsRunning()) << program.Output().toStdString();
    // A click on the caption "Вид расхода", then "В обратном порядке": the kinds, backwards.
    program.Click(main, 300, 109);
    ChooseSortItem(program, main, 8);
    KeepScreenshot(program.Screenshot(home.path() + "/by-kind.png"), "editing-sort-by-kind.png");
    ASSERT_TRUE(program.IsRunning()) << program.Output().toStdString();
    ASSERT_TRUE(Quit(program, main));
    EXPECT_EQ(Column(TableRows(root + "/Base1/rashod"), 2), QStringList({"Хлеб", "Посуда", "Бензин"}));
}
