#include "users/tbasessession.h"

#include "usersfixture.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const TMessage kNotUnique = Error({"Имя не уникально"});
const TMessage kBlank = Error({"Имя базы не может быть пустым"});
const TMessage kBadName = Error({"Недопустимые символы >,<,*,?,/,|,\\,:,\""});
const TMessage kDeleteQuestion =
    Question({"Внимание! Восстановление базы будет невозможно!", "Продолжить удаление?"}, TMsgButton::No);

// Three bases with a file each; the father works in "Семья".
struct TBases {
    TBooks b;
    TBasesSession session{b.state};
    TBases() {
        b.SetUsers({{"Папа", "Семья", "1", "0"},
                    {"Мама", "Дача", "0", "0"},
                    {"Сын", "Дача", "0", "0"},
                    {"Дочь", "Школа", "0", "0"}});
        b.SetBases({"Семья", "Дача", "Школа"});
        for (const QString& base : QStringList{"Семья", "Дача", "Школа"})
            WriteRows(b.File(base, "rashod"), {{"01.02.2024", "Еда", base, "1", "рубль", "", "Папа"}});
        b.Open("Папа", "Семья");
        b.state.baseList.Clear();
        for (const QString& base : QStringList{"Семья", "Дача", "Школа"})
            b.state.baseList.AddRow()->SetCells({base});
        session.Open();
    }
};

} // namespace

TEST(BasesDialog, OnlyAnAdministratorOpensOrAppliesIt) {
    TBases t;
    EXPECT_TRUE(t.session.CommitName(1, "Дом"));
    // The rights are looked at again when the changes are applied: gone, nothing happens.
    t.b.state.admin = false;
    t.session.Accept();
    EXPECT_EQ(t.b.BasesOnDisk(), QStringList({"Семья", "Дача", "Школа"}));
    EXPECT_TRUE(QFileInfo::exists(t.b.Folder("Дача")));
    TMessageRecorder rec;
    EXPECT_FALSE(t.session.Open());
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{Info({"У Вас отсутствуют права администратора!"})});
    EXPECT_EQ(rec.Beeps(), 1);
}

TEST(BasesDialog, EditsAreCheckedBeforeTheyAreKept) {
    const struct {
        int row;
        QString name;
        bool kept;
        std::vector<TMessage> boxes;
        bool changed;
    } cases[] = {
        {0, "ДАЧА", false, {kNotUnique}, false},
        {3, "школа", false, {kNotUnique}, false},
        {3, "user", false, {kNotUnique}, false},
        {0, "", false, {kBlank}, false},
        {1, "   ", false, {kBlank}, false},
        {3, "", true, {}, false},
        {0, "..", false, {kBadName}, false},
        {0, ".", false, {kBadName}, false},
        {3, "../../Чужая", false, {kBadName}, false},
        {3, "a\\b", false, {kBadName}, false},
        {3, QString("a") + QChar(31), false, {kBadName}, false},
        {0, "Семья", true, {}, false},
        {0, "семья", true, {}, true},
        {3, "Новая", true, {}, true},
        // Blanks around a name are not part of it.
        {3, " дача ", false, {kNotUnique}, false},
        {3, " .. ", false, {kBadName}, false},
        {0, " Семья ", true, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        TBases t;
        TMessageRecorder rec;
        const QStringList before = t.session.Names();
        EXPECT_EQ(t.session.CommitName(c.row, c.name), c.kept);
        EXPECT_EQ(rec.Boxes(), c.boxes);
        EXPECT_EQ(t.session.Changed(), c.changed);
        if (!c.changed) {
            EXPECT_EQ(t.session.Names(), before);
        }
    }
}

TEST(BasesDialog, AnAddedBaseGetsANewEmptyRowAndARename) {
    TBases t;
    TMessageRecorder rec;
    EXPECT_EQ(t.session.Names(), QStringList({"Семья", "Дача", "Школа", ""}));
    EXPECT_EQ(t.session.AddRow(), 3);
    ASSERT_TRUE(t.session.CommitName(3, " Новая "));
    EXPECT_EQ(t.session.Names(), QStringList({"Семья", "Дача", "Школа", "Новая", ""}));
    EXPECT_EQ(t.session.Renames(), (QList<QPair<QString, QString>>{{"", "Новая"}}));
}

TEST(BasesDialog, TheCurrentUsersBaseCannotBeDeletedUnderAnyNameItGets) {
    TBases t;
    TMessageRecorder rec;
    EXPECT_FALSE(t.session.Delete(0));
    ASSERT_TRUE(t.session.CommitName(0, "Дом"));
    EXPECT_FALSE(t.session.Delete(0));
    EXPECT_FALSE(t.session.Delete(3)); // the empty row
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>(2, Error({"Базу активного пользователя удалять нельзя"})));
    EXPECT_EQ(t.session.Names(), QStringList({"Дом", "Дача", "Школа", ""}));
}

TEST(BasesDialog, DeletingAsksAndADeletedNameCannotComeBackInTheSameSession) {
    TBases t;
    TMessageRecorder rec;
    EXPECT_FALSE(t.session.Delete(1)); // "No" by default
    EXPECT_FALSE(t.session.Changed());
    rec.AnswerYes();
    EXPECT_TRUE(t.session.Delete(1));
    EXPECT_EQ(t.session.Names(), QStringList({"Семья", "Школа", ""}));
    EXPECT_EQ(t.session.Deleted(), QStringList({"Дача"}));
    EXPECT_TRUE(t.session.Changed());
    EXPECT_FALSE(t.session.CommitName(1, "дача"));
    EXPECT_EQ(rec.Boxes(), (std::vector<TMessage>{kDeleteQuestion, kDeleteQuestion, kNotUnique}));
}

TEST(BasesDialog, AcceptingRenamesFoldersAndUsersAndDeletesWhatWasDeleted) {
    TBases t;
    TBooks& b = t.b;
    TMessageRecorder rec;
    ASSERT_TRUE(t.session.CommitName(0, "Дом"));
    ASSERT_TRUE(t.session.CommitName(2, "Лицей"));
    rec.AnswerYes();
    ASSERT_TRUE(t.session.Delete(1));
    ASSERT_TRUE(t.session.CommitName(2, "Новая"));
    t.session.Accept();

    EXPECT_EQ(b.BasesOnDisk(), QStringList({"Дом", "Лицей", "Новая"}));
    EXPECT_EQ(b.UsersOnDisk(),
              TRows({{"Папа", "Дом", "Администратор", "0"}, {"Дочь", "Лицей", "Обычный пользователь", "0"}}));
    EXPECT_EQ(b.state.baseName, "Дом");
    EXPECT_EQ(b.state.baseFolder, b.Folder("Дом"));
    EXPECT_EQ(RowsOfFile(b.File("Дом", "rashod"))[0][2], "Семья");
    EXPECT_EQ(RowsOfFile(b.File("Лицей", "rashod"))[0][2], "Школа");
    for (const QString& gone : QStringList{"Семья", "Дача", "Школа"}) {
        EXPECT_FALSE(QFileInfo::exists(b.Folder(gone))) << gone.toStdString();
    }
    EXPECT_FALSE(t.session.Changed());
    EXPECT_EQ(t.session.Names(), QStringList({"Дом", "Лицей", "Новая", ""}));
}

TEST(BasesDialog, ClosingByTheFrameAsksOnlyAfterAChange) {
    {
        SCOPED_TRACE("no change");
        TBases t;
        const QString list = t.b.Root() + "/baseuser";
        const QByteArray before = ReadFileBytes(list);
        TMessageRecorder rec;
        ASSERT_TRUE(t.session.CommitName(0, "Семья"));
        t.session.CloseByFrame();
        EXPECT_TRUE(rec.Boxes().empty());
        EXPECT_EQ(ReadFileBytes(list), before);
    }
    const TMessage save = Question({"Сохранить изменения?"}, TMsgButton::Yes);
    for (TMsgButton answer : {TMsgButton::Yes, TMsgButton::No}) {
        SCOPED_TRACE(answer == TMsgButton::Yes ? "saved" : "dropped");
        TBases t;
        TMessageRecorder rec;
        ASSERT_TRUE(t.session.CommitName(3, "Новая"));
        rec.Answer(answer);
        t.session.CloseByFrame();
        EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{save});
        const QStringList expected = answer == TMsgButton::Yes
                                         ? QStringList({"Семья", "Дача", "Школа", "Новая"})
                                         : QStringList({"Семья", "Дача", "Школа"});
        EXPECT_EQ(t.b.BasesOnDisk(), expected);
        EXPECT_EQ(t.session.Names(), expected + QStringList({""}));
        EXPECT_FALSE(t.session.Changed());
    }
}

TEST(BasesDialog, CancelReadsTheListAgain) {
    TBases t;
    TMessageRecorder rec;
    ASSERT_TRUE(t.session.CommitName(1, "Огород"));
    t.session.Cancel();
    EXPECT_EQ(t.session.Names(), QStringList({"Семья", "Дача", "Школа", ""}));
    EXPECT_TRUE(QFileInfo(t.b.Folder("Дача")).isDir());
    EXPECT_EQ(t.b.UsersOnDisk()[1][1], "Дача");
}
