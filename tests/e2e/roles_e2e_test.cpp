// An ordinary family member cannot make himself an administrator nor move into another base; the
// administrator still can.
#include "e2edriver.h"

#include "qtprint.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using TRows = std::vector<QStringList>;

// From the main window to the users tab of "Базы", the son's role cell current.
void ToSonsRole(TE2EProgram& program, const QString& main) {
    program.Keys(main, {"F7", "ctrl+Tab", "ctrl+Tab", "ctrl+Tab", "Down", "Right", "Right"});
}

class RolesE2E : public TE2ETest {};

} // namespace

TEST_F(RolesE2E, AnOrdinaryUserKeepsHisRoleAndBaseAndTheAdministratorChangesThem) {
    const QString root = Bases();
    WriteTable(root + "/user",
               {{"Мама", "Base1", "Администратор", "0"}, {"Сын", "Base1", "Обычный пользователь", "0"}});
    WriteTable(root + "/baseuser", {{"Base1"}, {"Дача"}});
    {
        TE2EProgram program(display, home.path());
        ASSERT_TRUE(program.Start());
        const QString login = program.WaitWindow("^Войти$");
        ASSERT_FALSE(login.isEmpty());
        program.Keys(login, {"shift+Tab", "Down", "Tab", "Return"});
        const QString main = program.WaitWindow("Пользователь: Сын$");
        ASSERT_FALSE(main.isEmpty()) << program.Output().toStdString();
        program.WaitIdle();
        ToSonsRole(program, main);
        for (const char* cell : {"role", "base"}) {
            SCOPED_TRACE(cell);
            if (QString(cell) == "base") program.Keys(main, {"Left"});
            program.Keys(main, {"Return"});
            const QString refused = program.WaitWindow("^   Сообщение$", 5000);
            ASSERT_FALSE(refused.isEmpty()) << "«У Вас отсутствуют права администратора!»";
            KeepScreenshot(program.Screenshot(home.path() + "/refused.png"), "roles-refused.png");
            program.Keys(refused, {"Return"});
            ASSERT_TRUE(program.WaitGone("^   Сообщение$", 5000));
        }
        ASSERT_TRUE(Quit(program, main));
    }
    EXPECT_EQ(TableRows(root + "/user"), (TRows{{"Мама", "Base1", "Администратор", "0"},
                                                {"Сын", "Base1", "Обычный пользователь", "0"}}));

    // The mother logs in and changes both: the son becomes an administrator in "Дача".
    {
        TE2EProgram program(display, home.path());
        ASSERT_TRUE(program.Start());
        const QString login = program.WaitWindow("^Войти$");
        ASSERT_FALSE(login.isEmpty());
        program.Keys(login, {"shift+Tab", "Up", "Tab", "Return"});
        const QString main = program.WaitWindow("Пользователь: Мама$");
        ASSERT_FALSE(main.isEmpty()) << program.Output().toStdString();
        program.WaitIdle();
        ToSonsRole(program, main);
        // The base chosen from its list; continuous entry opens the role's list next.
        program.Keys(main, {"Left", "Return", "Down", "Return", "Up", "Return", "Escape"});
        KeepScreenshot(program.Screenshot(home.path() + "/changed.png"), "roles-changed.png");
        ASSERT_TRUE(Quit(program, main));
    }
    EXPECT_EQ(TableRows(root + "/user"),
              (TRows{{"Мама", "Base1", "Администратор", "0"}, {"Сын", "Дача", "Администратор", "0"}}));
}
