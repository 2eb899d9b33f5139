#include "users/tuserslogic.h"

#include "users/passwordcode.h"
#include "users/tpassworddialoglogic.h"
#include "usersfixture.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using TStep = TPasswordDialogLogic::TStep;

// Father (administrator) and mother in "Семья", open; the son in "Дача". Rows 0, 1, 2 and the
// new-record row 3 of the users grid's table.
struct TFamily {
    TBooks b;
    int totals = 0;
    TUsersLogic users{b.state, TUserHooks{[this] { ++totals; }, {}, {}, {}, {}, {}}};
    TFamily() {
        b.SetUsers({{"Папа", "Семья", "1", PasswordCode("п")},
                    {"Мама", "Семья", "0", "0"},
                    {"Сын", "Дача", "0", "0"}});
        b.SetBases({"Семья", "Дача"});
        WriteRows(b.File("Семья", "rashod"), {{"01.02.2024", "Еда", "Хлеб", "40", "рубль", "", "Папа"},
                                              {"02.02.2024", "Еда", "Сыр", "90", "рубль", "", "Мама"}});
        WriteRows(b.File("Семья", "dolg"), {{"дано в долг", "01.02.2024", "01.03.2024", "Соседу", "500",
                                             "рубль", "", "отображать", "Папа", "0"}});
        WriteRows(b.File("Дача", "dohod"), {{"03.02.2024", "Урожай", "70", "рубль", "", "Сын"}});
        b.Open("Папа", "Семья");
    }
    QString Cell(int row, int col) const { return b.state.users.Row(row)->Cell(col); }
};

} // namespace

TEST(UsersPage, WhoMayChangeWhichCellOfTheUsersGrid) {
    const TMessage refused = Info({"У Вас отсутствуют права администратора!"});
    const struct {
        const char* user;
        bool admin;
        int row; // 0 Папа, 1 Мама, 2 Сын, 3 the new-record row
        int column;
        bool allowed;
    } cases[] = {
        // An administrator: every cell of every row, a new user too.
        {"Папа", true, 0, 2, true},
        {"Папа", true, 1, 0, true},
        {"Папа", true, 2, 1, true},
        {"Папа", true, 3, 0, true},
        // An ordinary user: his own name only.
        {"Мама", false, 1, 0, true},
        {"Мама", false, 1, 1, false},
        {"Мама", false, 1, 2, false},
        {"Мама", false, 0, 0, false},
        {"Мама", false, 0, 2, false},
        {"Мама", false, 2, 1, false},
        {"Мама", false, 3, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.user << " row " << c.row << " column " << c.column);
        TFamily f;
        f.b.state.userName = QString::fromUtf8(c.user);
        f.b.state.admin = c.admin;
        TMessageRecorder rec;
        EXPECT_EQ(f.users.MayEdit(c.row, c.column), c.allowed);
        EXPECT_EQ(rec.Boxes(), c.allowed ? std::vector<TMessage>{} : std::vector<TMessage>{refused});
        EXPECT_EQ(rec.Beeps(), c.allowed ? 0 : 1);
    }
}

TEST(UsersPage, AnOrdinaryUsersCommitsOfAnotherCellChangeNothing) {
    // Whatever reaches the commit (a paste, an editor left open when the role changed), the rule holds.
    TFamily f;
    f.b.state.userName = "Мама";
    f.b.state.admin = false;
    const TRows before = f.b.UsersOnDisk();
    TMessageRecorder rec;
    EXPECT_FALSE(f.users.CommitRole(1, "Администратор").stored);
    EXPECT_FALSE(f.users.CommitBase(1, "Дача").stored);
    EXPECT_FALSE(f.users.CommitName(0, "Отец").stored);
    EXPECT_FALSE(f.b.state.admin);
    EXPECT_EQ(f.Cell(1, 2), "Обычный пользователь");
    EXPECT_EQ(f.Cell(1, 1), "Семья");
    EXPECT_EQ(f.Cell(0, 0), "Папа");
    EXPECT_EQ(f.b.UsersOnDisk(), before);
    EXPECT_EQ(rec.Boxes().size(), 3u);
    // Her own name is hers to change.
    EXPECT_TRUE(f.users.CommitName(1, "Мамочка").stored);
    EXPECT_EQ(f.b.state.userName, "Мамочка");
}

TEST(UsersPage, ANewUserStartsWithTheEmptyPasswordAndIsAskedForOne) {
    TFamily f;
    TMessageRecorder rec;
    const auto answer = f.users.CommitName(3, "Дочь");
    EXPECT_TRUE(answer.stored);
    EXPECT_TRUE(answer.askPassword);
    EXPECT_EQ(f.Cell(3, 0), "Дочь");
    EXPECT_EQ(f.Cell(3, 3), "0");

    TPasswordDialogLogic dialog(f.b.state);
    dialog.ShowNewUser(3);
    EXPECT_EQ(dialog.AcceptNewUser("abc", "abd"), TStep::SelectConfirmation);
    EXPECT_EQ(f.Cell(3, 3), "0");
    EXPECT_EQ(dialog.AcceptNewUser("мама", "мама"), TStep::Close);
    EXPECT_EQ(f.Cell(3, 3), "3609854218");
    dialog.CancelNewUser();
    EXPECT_EQ(rec.Boxes(),
              (std::vector<TMessage>{Error({"Пароли разные"}),
                                     Info({"Для данного пользователя", "пароль остается пустым."})}));
    EXPECT_EQ(rec.Beeps(), 1);
}

TEST(UsersPage, ANameAnotherUserHasIsRefusedInAnyLetterCase) {
    const struct {
        int row;
        QString name;
        int duplicate;
    } cases[] = {{3, "мама", 1}, {0, "СЫН", 2}, {2, "папа", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        TFamily f;
        TMessageRecorder rec;
        const QString before = f.Cell(c.row, 0);
        const auto answer = f.users.CommitName(c.row, c.name);
        EXPECT_FALSE(answer.stored);
        EXPECT_EQ(answer.duplicateRow, c.duplicate);
        EXPECT_EQ(f.Cell(c.row, 0), before);
        EXPECT_EQ(rec.Boxes(),
                  std::vector<TMessage>{Error({"Пользователь \"" + c.name + "\" уже существует"})});
    }
}

TEST(UsersPage, BlanksTypedAroundANameAreNotPartOfIt) {
    // " Мама " kept as typed would be a second Мама in the log-in list.
    TFamily f;
    f.b.state.userName = "Мама";
    f.b.state.admin = false;
    const TRows before = f.b.UsersOnDisk();
    TMessageRecorder rec;
    EXPECT_TRUE(f.users.CommitName(1, " Мама ").stored);
    EXPECT_EQ(f.b.UsersOnDisk(), before);
    EXPECT_EQ(f.b.state.userName, "Мама");
    EXPECT_TRUE(f.users.CommitName(1, "\tМамочка  ").stored);
    EXPECT_EQ(f.Cell(1, 0), "Мамочка");
    EXPECT_EQ(f.b.UsersOnDisk()[1][0], "Мамочка");
    EXPECT_EQ(f.b.state.userName, "Мамочка");
    EXPECT_EQ(RowsOfFile(f.b.File("Семья", "rashod"))[1][6], "Мамочка");
    EXPECT_TRUE(rec.Boxes().empty());

    // Another user's name with blanks around it is that user's name.
    f.b.state.userName = "Папа";
    f.b.state.admin = true;
    const auto taken = f.users.CommitName(3, " папа ");
    EXPECT_FALSE(taken.stored);
    EXPECT_EQ(taken.duplicateRow, 0);
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{Error({"Пользователь \"папа\" уже существует"})});
    EXPECT_TRUE(f.users.CommitName(3, " Дочь ").stored);
    EXPECT_EQ(f.Cell(3, 0), "Дочь");
}

TEST(UsersPage, ARenameReachesTheRecordsInMemoryAndInTheUsersBaseFiles) {
    TFamily f;
    TMessageRecorder rec;
    const auto answer = f.users.CommitName(0, "Отец");
    EXPECT_TRUE(answer.stored);
    EXPECT_TRUE(answer.currentUserRenamed);
    EXPECT_EQ(f.b.state.userName, "Отец");
    EXPECT_EQ(f.b.state.Table(TTableKind::Rashod).Row(0)->Cell(6), "Отец");
    EXPECT_EQ(f.b.state.Table(TTableKind::Rashod).Row(1)->Cell(6), "Мама");
    EXPECT_EQ(f.b.state.Table(TTableKind::Dolg).Row(0)->Cell(8), "Отец");
    EXPECT_EQ(RowsOfFile(f.b.File("Семья", "rashod"))[0][6], "Отец");
    EXPECT_EQ(RowsOfFile(f.b.File("Семья", "rashod"))[1][6], "Мама");
    EXPECT_EQ(RowsOfFile(f.b.File("Семья", "dolg"))[0][8], "Отец");
    EXPECT_EQ(f.b.UsersOnDisk()[0][0], "Отец");

    // The son's base is not open: only its files change.
    EXPECT_FALSE(f.users.CommitName(2, "Сынок").currentUserRenamed);
    EXPECT_EQ(RowsOfFile(f.b.File("Дача", "dohod"))[0][5], "Сынок");
    EXPECT_TRUE(rec.Boxes().empty());
}

TEST(UsersPage, AtLeastOneAdministratorRemains) {
    TFamily f;
    TMessageRecorder rec;
    const auto refused = f.users.CommitRole(0, "Обычный пользователь");
    EXPECT_FALSE(refused.stored);
    EXPECT_EQ(f.Cell(0, 2), "Администратор");
    EXPECT_TRUE(f.b.state.admin);
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{Error({"Должен остаться хотя бы один администратор!"})});

    rec.Reset();
    EXPECT_TRUE(f.users.CommitRole(1, "Администратор").stored);
    const auto demoted = f.users.CommitRole(0, "Обычный пользователь");
    EXPECT_TRUE(demoted.stored);
    EXPECT_TRUE(demoted.adminChanged);
    EXPECT_FALSE(f.b.state.admin);
    EXPECT_EQ(f.b.UsersOnDisk()[0][2], "Обычный пользователь");
    EXPECT_TRUE(rec.Boxes().empty());
}

TEST(UsersPage, DeletingAUserIsRefusedAsTheRulesSay) {
    const TMessage ask = Question({"Вы действительно хотите удалить пользователя?"}, TMsgButton::Yes);
    const struct {
        const char* what;
        bool admin;
        int row;
        std::vector<TMsgButton> answers;
        std::vector<TMessage> boxes;
        int beeps;
        bool deleted;
    } cases[] = {
        {"not an administrator", false, 1, {}, {Info({"У Вас отсутствуют права администратора!"})}, 1, false},
        {"the current user", true, 0, {}, {Error({"Активного пользователя удалять нельзя"})}, 0, false},
        {"the new-record row", true, 3, {}, {}, 0, false},
        {"answered no", true, 1, {TMsgButton::No}, {ask}, 0, false},
        {"answered yes", true, 1, {}, {ask}, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TFamily f;
        f.b.state.admin = c.admin;
        TMessageRecorder rec;
        for (TMsgButton a : c.answers)
            rec.Answer(a);
        EXPECT_EQ(f.users.DeleteUser(c.row).stored, c.deleted);
        EXPECT_EQ(rec.Boxes(), c.boxes);
        EXPECT_EQ(rec.Beeps(), c.beeps);
        EXPECT_EQ(f.b.state.users.RowCount(), c.deleted ? 3 : 4);
        EXPECT_EQ(f.b.UsersOnDisk().size(), c.deleted ? 2u : 3u);
    }
}

TEST(UsersPage, ChangingAPasswordChecksTheOldOneThreeTimesAtMost) {
    TFamily f;
    TMessageRecorder rec;
    TPasswordDialogLogic dialog(f.b.state);
    dialog.ShowChange(0);
    EXPECT_EQ(dialog.AcceptChange("x", "н", "н"), TStep::SelectOld);
    EXPECT_EQ(dialog.AcceptChange("x", "н", "н"), TStep::SelectOld);
    EXPECT_EQ(dialog.AcceptChange("x", "н", "н"), TStep::Close);
    EXPECT_EQ(dialog.Refusals(), 0);
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>(3, Error({"Неверный пароль"})));
    EXPECT_EQ(rec.Beeps(), 3);

    rec.Reset();
    dialog.ShowChange(0);
    EXPECT_EQ(dialog.AcceptChange("п", "новый", "новы"), TStep::SelectConfirmation);
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{Error({"Ошибка подтверждения пароля"})});
    EXPECT_EQ(f.Cell(0, 3), PasswordCode("п"));
    EXPECT_EQ(dialog.AcceptChange("п", "новый", "новый"), TStep::Close);
    EXPECT_EQ(f.Cell(0, 3), PasswordCode("новый"));
    EXPECT_EQ(f.b.UsersOnDisk()[0][3], PasswordCode("новый"));

    // A code of an earlier version is a valid old password.
    f.b.state.users.Row(1)->SetCell(3, HalfFormPasswordCode("Пароль"));
    dialog.ShowChange(1);
    EXPECT_EQ(dialog.AcceptChange("Пароль", "", ""), TStep::Close);
    EXPECT_EQ(f.Cell(1, 3), "0");
}
