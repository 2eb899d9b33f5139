// An administrator adds a second user with a password and a second base; the second user logs in
// through "Сменить пользователя" and types an expense; after restarts each user's records stay in
// their own base.
#include "e2edriver.h"

#include "qtprint.h"
#include "users/passwordcode.h"

#include <QDate>
#include <QDir>

#include <gtest/gtest.h>

namespace {

using TRows = std::vector<QStringList>;

} // namespace

TEST(UsersE2E, EachUserTypesIntoTheirOwnBase) {
    if (!HaveE2ETools()) GTEST_SKIP() << "Xvfb and xdotool are needed";
    TVirtualDisplay display;
    ASSERT_TRUE(display.IsUp());
    QTemporaryDir home;
    const QString root = home.path() + "/share/Quorvane/BASE";
    const QStringList motherExpense = {Today(), "Продукты", "Крупы", "111", "рубль", "", "Мама"};
    const QStringList fatherExpense = {Today(), "Продукты", "Крупы", "500", "рубль", "", "Папа"};
    {
        TE2EProgram program(display, home.path());
        ASSERT_TRUE(program.Start());
        const QString main = program.LogInAsFirstUser("Мама");
        ASSERT_FALSE(main.isEmpty()) << program.Output().toStdString();
        TypeExpense(program, main, "111");

        // The Bases page, its users tab, and "Действия" / "Базы пользователей": a second base.
        // Past «Отменить: …», «Изменить запись» and «Удалить» (the disabled «Повторить» is skipped).
        program.Keys(main, {"F7", "ctrl+Tab", "ctrl+Tab", "ctrl+Tab", "alt", "Right", "Down", "Down", "Down",
                            "Down", "Return"});
        const QString bases = program.WaitWindow("^Базы пользователей$");
        ASSERT_FALSE(bases.isEmpty());
        program.Keys(bases, {"Down"});
        program.Type(bases, "Работа");
        program.Keys(bases, {"Return", "Tab", "Tab", "Tab", "Tab", "Return"});
        ASSERT_TRUE(program.WaitGone("^Базы пользователей$"));

        // The second user typed into the users grid: his password, his base, an ordinary role.
        program.Keys(main, {"Down"});
        program.Type(main, "Папа");
        program.Keys(main, {"Return"});
        const QString password = program.WaitWindow("^Задайте пароль для нового пользователя$");
        ASSERT_FALSE(password.isEmpty());
        program.Type(password, "123");
        program.Keys(password, {"Tab"});
        program.Type(password, "123");
        program.Keys(password, {"Return"});
        ASSERT_TRUE(program.WaitGone("^Задайте пароль для нового пользователя$"));
        program.WaitIdle();
        program.Keys(main, {"Down", "Return", "Down", "Return"});
        program.Screenshot(home.path() + "/users.png");

        // "Администрирование" / "Сменить пользователя", and the father in.
        program.Keys(main, {"alt", "Right", "Right", "Down", "Down", "Return"});
        const QString switchDialog = program.WaitWindow("^Войти$");
        ASSERT_FALSE(switchDialog.isEmpty());
        program.Keys(switchDialog, {"shift+Tab", "Down", "Tab"});
        program.Type(switchDialog, "123");
        program.Keys(switchDialog, {"Return"});
        const QString father = program.WaitWindow("Пользователь: Папа$");
        ASSERT_FALSE(father.isEmpty()) << program.Output().toStdString();
        program.WaitIdle();
        TypeExpense(program, father, "500");
        program.Screenshot(home.path() + "/father.png");
        ASSERT_TRUE(Quit(program, father));
    }
    const TRows users = TableRows(root + "/user");
    ASSERT_EQ(users.size(), 2u);
    EXPECT_EQ(users[1], QStringList({"Папа", "Работа", "Обычный пользователь", PasswordCode("123")}));
    EXPECT_EQ(TableRows(root + "/baseuser"), TRows({{"Base1"}, {"Работа"}}));
    EXPECT_EQ(TableRows(root + "/Base1/rashod"), TRows({motherExpense}));
    EXPECT_EQ(TableRows(root + "/Работа/rashod"), TRows({fatherExpense}));

    // Each opens their own base after a restart; neither base takes the other's record.
    const struct {
        const char* user;
        QStringList keys; // from the password field: the name, then the password
        const char* password;
    } restarts[] = {
        {"Папа", {}, "123"}, // the last user is offered
        {"Мама", {"shift+Tab", "Up", "Tab"}, ""},
    };
    for (const auto& r : restarts) {
        SCOPED_TRACE(r.user);
        TE2EProgram again(display, home.path());
        ASSERT_TRUE(again.Start());
        const QString login = again.WaitWindow("^Войти$");
        ASSERT_FALSE(login.isEmpty());
        again.Keys(login, r.keys);
        if (*r.password) again.Type(login, QString::fromUtf8(r.password));
        again.Keys(login, {"Return"});
        const QString main =
            again.WaitWindow(QStringLiteral("Пользователь: %1$").arg(QString::fromUtf8(r.user)));
        ASSERT_FALSE(main.isEmpty()) << again.Output().toStdString();
        again.WaitIdle();
        ASSERT_TRUE(Quit(again, main));
        EXPECT_EQ(TableRows(root + "/Base1/rashod"), TRows({motherExpense}));
        EXPECT_EQ(TableRows(root + "/Работа/rashod"), TRows({fatherExpense}));
    }
}
