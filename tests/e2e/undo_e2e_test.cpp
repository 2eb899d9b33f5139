// Undo as a family meets it: a record deleted with Delete and «Да» comes back with Ctrl+Z, on the
// screen and in the file the automatic save writes, and goes again with Ctrl+Y.
#include "e2edriver.h"

#include <gtest/gtest.h>

namespace {

const QString kQuestion = QStringLiteral("^   Подтвердите$");

class UndoE2E : public TE2ETest {
protected:
    QStringList Sums() const {
        QStringList sums;
        for (const QStringList& row : TableRows(Bases() + "/Base1/rashod"))
            sums << row.value(3);
        return sums;
    }
};

} // namespace

TEST_F(UndoE2E, ADeletedRecordComesBackWithCtrlZAndGoesAgainWithCtrlY) {
    TE2EProgram program(display, home.path());
    const QString main = FirstStartWithAnExpense(program, "111");
    ASSERT_FALSE(main.isEmpty());
    TypeExpense(program, main, "222");
    ASSERT_TRUE(WaitUntil([&] { return Sums().contains("111") && Sums().contains("222"); }, 15000))
        << "the automatic save";
    const QStringList both = Sums();

    // The record above the new-record row goes, after «Да» (the default).
    program.Keys(main, {"Up", "Delete"});
    ASSERT_FALSE(program.WaitWindow(kQuestion, 10000).isEmpty());
    program.Press({"Return"});
    ASSERT_TRUE(program.WaitGone(kQuestion, 10000));
    ASSERT_TRUE(WaitUntil([&] { return Sums().size() == both.size() - 1; }, 15000))
        << Sums().join(' ').toStdString();
    const QStringList left = Sums();
    // «Действия» opened with the mouse names the step: «Отменить: удаление записи».
    program.Click(main, 75, 10);
    program.WaitIdle();
    KeepScreenshot(program.Screenshot(home.path() + "/undo-menu.png"), "undo-menu.png");
    program.Press({"Escape"});

    program.Keys(main, {"ctrl+z"});
    ASSERT_TRUE(WaitUntil([&] { return Sums() == both; }, 15000)) << Sums().join(' ').toStdString();
    KeepScreenshot(program.Screenshot(home.path() + "/undone.png"), "undone.png");

    program.Keys(main, {"ctrl+y"});
    ASSERT_TRUE(WaitUntil([&] { return Sums() == left; }, 15000)) << Sums().join(' ').toStdString();
    ASSERT_TRUE(Quit(program, main));
    EXPECT_EQ(Sums(), left);
}
