#include "users/tfirstrunlogic.h"

#include "storage/tsettingsfiles.h"
#include "users/passwordcode.h"
#include "usersfixture.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using TField = TFirstRunLogic::TField;

const TMessage kBadName = Error({"Недопустимые символы >,<,*,?,/,|,\\,:,\""});
const TMessage kBaseTaken = Error({"База с таким именем уже существует.", "Введите другое имя базы."});

} // namespace

TEST(FirstRun, RefusedEntriesAreToldAndWriteNothing) {
    const struct {
        QString user, base;
        TMessage box;
        TField field;
        bool select;
    } cases[] = {
        {"", "Дом", Error({"Введите имя пользователя"}), TField::UserName, false},
        {"   ", "Дом", Error({"Введите имя пользователя"}), TField::UserName, false},
        {"Сын", " ", Error({"Введите название базы"}), TField::BaseName, false},
        {"папа", "Дом",
         Error({"Пользователь с таким именем уже существует.", "Введите другое имя пользователя."}),
         TField::UserName, true},
        {"Сын", "СЕМЬЯ", kBaseTaken, TField::BaseName, true},
        {" ПАПА ", "Дом",
         Error({"Пользователь с таким именем уже существует.", "Введите другое имя пользователя."}),
         TField::UserName, true},
        {"Сын", " Семья ", kBaseTaken, TField::BaseName, true},
        {"Сын", " .. ", kBadName, TField::BaseName, true},
        {"Сын", "user", kBaseTaken, TField::BaseName, true},
        {"Сын", ".", kBadName, TField::BaseName, true},
        {"Сын", "..", kBadName, TField::BaseName, true},
        {"Сын", "../Дом", kBadName, TField::BaseName, true},
        {"Сын", "a\\b", kBadName, TField::BaseName, true},
        {"Сын", "Дом\tДача", kBadName, TField::BaseName, true},
        {"Сын", QString("Дом") + QChar(0) + "x", kBadName, TField::BaseName, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.user + " / " + c.base).toStdString());
        TBooks b;
        b.SetUsers({{"Папа", "Семья", "1", "0"}});
        b.SetBases({"Семья"});
        const QStringList tree = TreeOf(b.home.Path());
        TFirstRunLogic firstRun(b.state);
        TMessageRecorder rec;
        firstRun.Show();
        const auto answer = firstRun.Accept(c.user, c.base, "x");
        EXPECT_FALSE(answer.created);
        EXPECT_EQ(answer.field, c.field);
        EXPECT_EQ(answer.selectText, c.select);
        EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{c.box});
        EXPECT_FALSE(firstRun.Created());
        EXPECT_EQ(TreeOf(b.home.Path()), tree);
        EXPECT_TRUE(b.state.userName.isEmpty());
    }
}

TEST(FirstRun, CreatesTheUserAndTheBaseAndMakesThemCurrent) {
    TBooks b;
    b.SetUsers({{"Папа", "Семья", "0", "0"}});
    b.SetBases({"Семья"});
    TFirstRunLogic firstRun(b.state);
    TMessageRecorder rec;
    firstRun.Show();
    // Blanks typed around the names are not kept.
    const auto answer = firstRun.Accept(" Сын ", " Дача ", "с");
    EXPECT_TRUE(answer.created);
    EXPECT_TRUE(firstRun.Created());
    EXPECT_EQ(b.UsersOnDisk(), TRows({{"Папа", "Семья", "Обычный пользователь", "0"},
                                      {"Сын", "Дача", "1", PasswordCode("с")}}));
    EXPECT_EQ(b.BasesOnDisk(), QStringList({"Семья", "Дача"}));
    EXPECT_EQ(b.state.userName, "Сын");
    EXPECT_EQ(b.state.baseName, "Дача");
    EXPECT_EQ(b.state.baseFolder, b.Folder("Дача"));
    EXPECT_TRUE(QFileInfo(b.Folder("Дача")).isDir());
    EXPECT_TRUE(b.state.admin);
    EXPECT_EQ(ReadLastUser(b.Root()), "Сын");
    EXPECT_TRUE(rec.Boxes().empty());

    firstRun.Show();
    EXPECT_FALSE(firstRun.Created()); // each showing starts as exited
}

TEST(FirstRun, AnUnreadableUserTableIsNotOverwritten) {
    TBooks b;
    const QByteArray broken = Hex("06 02 03 61 62 63 00  09 01");
    WriteFileBytes(b.Root() + "/user", broken);
    TFirstRunLogic firstRun(b.state);
    TMessageRecorder rec;
    firstRun.Show();
    EXPECT_FALSE(firstRun.Accept("Сын", "Дача", "").created);
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{
                               Error({"Нет доступа к базам программы.",
                                      "Проверьте настройки безопасности для файла " + b.Root() + "/user"})});
    EXPECT_EQ(ReadFileBytes(b.Root() + "/user"), broken);
    EXPECT_FALSE(QFileInfo::exists(b.Folder("Дача")));
}
