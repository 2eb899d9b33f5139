// What a restore over the open base asks before it replaces anything: an archive of another base, and
// the users of this base the archive does not bring back.
#include "arhivefixture.h"

#include "storage/tmemtable.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QString kAsk = QStringLiteral("Восстановить?");

TArhiveInfo InfoOf(const TRows& users, const QString& savedBase) {
    TArhiveInfo info;
    info.users = users;
    info.saveRow = !savedBase.isEmpty();
    info.user = QStringLiteral("Мама");
    info.base = savedBase;
    return info;
}

TEST(RestoreOverQuestion, NamesAnotherBaseAndTheUsersThatGo) {
    // The family of the open base, and the same names as an archive of "Дача" holds them.
    const TRows family = {{"Мама", "Base1", kAdminRole, "1"},
                          {"Сын", "Base1", kOrdinary, "2"},
                          {"Дочь", "Base1", kOrdinary, "3"}};
    const TRows dacha = {
        {"Мама", "Дача", kAdminRole, "1"}, {"Сын", "Дача", kOrdinary, "2"}, {"Дочь", "Дача", kOrdinary, "3"}};
    const QString otherBase = QStringLiteral("Архив сделан из базы \"Дача\", а открыта база \"Base1\".");
    struct Case {
        const char* what;
        TRows archived;
        QString savedBase; // empty: an archive of an earlier version, without the row of its save
        bool usersRestored;
        QStringList lines;
    };
    const std::vector<Case> cases = {
        {"this base with all its users", family, "Base1", true, {}},
        {"and one more",
         {family[0], family[1], family[2], {"Гость", "Base1", kOrdinary, "6"}},
         "Base1",
         true,
         {}},
        {"without two of them",
         {family[0]},
         "Base1",
         true,
         {"Будут удалены пользователи, которых нет в архиве: Сын, Дочь.", kAsk}},
        {"a name in other letters is another user",
         {family[0], family[1], {"дочь", "Base1", kOrdinary, "3"}},
         "Base1",
         true,
         {"Будут удалены пользователи, которых нет в архиве: Дочь.", kAsk}},
        {"a user of another base in the archive does not come back",
         {family[0], family[1], dacha[2]},
         "Base1",
         true,
         {"Будут удалены пользователи, которых нет в архиве: Дочь.", kAsk}},
        {"another base with the same names", dacha, "Дача", true, {otherBase, kAsk}},
        {"another base without the son",
         {dacha[0]},
         "Дача",
         true,
         {otherBase, "Будут удалены пользователи, которых нет в архиве: Сын, Дочь.", kAsk}},
        {"a name taken earlier in the archive comes back renamed",
         {{"мама", "Base1", kOrdinary, "7"}, family[0], family[1], family[2]},
         "Base1",
         true,
         {"Будут удалены пользователи, которых нет в архиве: Мама.", kAsk}},
        {"a user renamed for a clash with another base's drops nobody",
         {dacha[0], {"Бабушка", "Дача", kOrdinary, "4"}, dacha[1], dacha[2]},
         "Дача",
         true,
         {otherBase, kAsk}},
        {"an ordinary user's restore leaves the users", {dacha[0]}, "Дача", false, {otherBase, kAsk}},
        {"an ordinary user's restore of this base", {}, "Base1", false, {}},
        {"an earlier version's archive counts as of the open base", family, "", true, {}},
        {"and one of it without the son",
         {family[0], family[2]},
         "",
         true,
         {"Будут удалены пользователи, которых нет в архиве: Сын.", kAsk}},
        {"no users at all",
         {},
         "Base1",
         true,
         {"Будут удалены пользователи, которых нет в архиве: Мама, Сын, Дочь.", kAsk}},
    };
    // The user table: the family, a user of "Дача" and a row without a name.
    TMemTable users;
    for (const QStringList& row : family)
        users.AddRow()->SetCells(row);
    users.AddRow()->SetCells({"бабушка", "Дача", kOrdinary, "4"});
    users.AddRow()->SetCells({"", "Base1", kOrdinary, "5"});
    for (const Case& c : cases)
        EXPECT_EQ(
            arhive::RestoreOverQuestion(InfoOf(c.archived, c.savedBase), "Base1", users, c.usersRestored),
            c.lines)
            << c.what;
}

// An archive made from Base2 restored over Base1: declined, the base and the users stay byte for byte;
// agreed, the design's steps run as they are.
TEST_F(ArhiveTest, AnArchiveOfAnotherBaseIsRestoredOnlyOnceTheUserAgreesToWhatItDrops) {
    books.Open("Борис", "Base2");
    WriteRows(books.File("Base2", "rashod"),
              {{"04.03.2024", "Дача", "Рассада", "700", "рубль", "", "Борис"}});
    const QString path = Pack("base2.zip");
    books.Open("Анна", "Base1");
    const auto base = Snapshot(books.Folder("Base1"));
    const TRows users = books.UsersOnDisk();
    const QStringList tree = TreeOf(books.home.Path());
    const TMessage question =
        Question({"Архив сделан из базы \"Base2\", а открыта база \"Base1\".",
                  "Будут удалены пользователи, которых нет в архиве: Анна, Вера.", "Восстановить?"},
                 TMsgButton::No);
    {
        TMessageRecorder messages;
        messages.AnswerYes();
        messages.AnswerYes(); // and the default "Нет" to the question
        EXPECT_EQ(restore.Restore(path), TArhiveRestore::TResult::Cancelled);
        EXPECT_EQ(messages.Boxes(), (std::vector<TMessage>{kAskReplace, kAskDestroy, question,
                                                           Info({"Восстановление было отмено"})}));
        EXPECT_EQ(Snapshot(books.Folder("Base1")), base);
        EXPECT_EQ(books.UsersOnDisk(), users);
        EXPECT_EQ(TreeOf(books.home.Path()), tree);
        EXPECT_EQ(reloads, 0);
        EXPECT_EQ(books.state.userName, "Анна");
    }
    TMessageRecorder messages;
    messages.AnswerYes();
    messages.AnswerYes();
    messages.AnswerYes();
    EXPECT_EQ(restore.Restore(path), TArhiveRestore::TResult::Replaced);
    ASSERT_GE(messages.Boxes().size(), 3u);
    EXPECT_EQ(messages.Boxes()[2], question);
    EXPECT_EQ(messages.Boxes().back(), Info({"База заменена"}));
    EXPECT_EQ(RowsOfFile(books.File("Base1", "rashod")).at(0).at(2), "Рассада");
    // Борис of Base2 keeps his name; the one the archive brings to Base1 is told apart.
    EXPECT_EQ(books.UsersOnDisk(),
              (TRows{{"Борис", "Base2", kOrdinary, "222"}, {"Борис(1)", "Base1", kOrdinary, "222"}}));
    EXPECT_EQ(books.state.userName, "Борис(1)");
}

} // namespace
