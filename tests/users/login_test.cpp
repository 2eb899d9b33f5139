#include "users/tloginlogic.h"

#include "storage/tinistorage.h"
#include "storage/tsavetransaction.h"
#include "storage/tsettingsfiles.h"
#include "users/passwordcode.h"
#include "users/tfirstrunlogic.h"
#include "usersfixture.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using TOutcome = TLoginLogic::TOutcome;

const QByteArray kBroken = Hex("06 02 03 61 62 63 00  09 01");

const TMessage kWrongPassword = Error({"Неправильный пароль"});
const TMessage kThirdRefusal =
    Question({"Неправильный пароль.", "Желаете создать нового пользователя в новой базе?"}, TMsgButton::No);
const TMessage kNoBase =
    Question({"У данного пользователя не указана база.", "Желаете создать нового пользователя в новой базе?"},
             TMsgButton::No);

struct TLoginBench {
    TBooks books;
    TFirstRunLogic firstRun{books.state};
    int totals = 0, optimised = 0, baseFilesChecked = 0, rootChecked = 0;
    TLoginLogic login{books.state, firstRun,
                      TUserHooks{[this] { ++totals; },
                                 [this] { ++optimised; },
                                 [this] { ++rootChecked; },
                                 [this] { ++baseFilesChecked; },
                                 {},
                                 {}}};
};

} // namespace

TEST(LogIn, AnEmptyUserTableMakesTheFirstAdministratorOfBase1) {
    TLoginBench t;
    TBooks& b = t.books;
    TMessageRecorder rec;
    const auto list = t.login.ShowLogin();
    EXPECT_EQ(list.names, QStringList({"Введите имя нового пользователя"}));
    EXPECT_TRUE(list.typing);

    EXPECT_EQ(t.login.AcceptLogin("Введите имя нового пользователя", "Пароль"), TOutcome::LoggedIn);
    EXPECT_EQ(b.UsersOnDisk(), TRows({{"Новый пользователь", "Base1", "1", "3980337627"}}));
    EXPECT_EQ(b.BasesOnDisk(), QStringList({"Base1"}));
    EXPECT_EQ(b.state.userName, "Новый пользователь");
    EXPECT_EQ(b.state.baseName, "Base1");
    EXPECT_EQ(b.state.baseFolder, b.Folder("Base1"));
    EXPECT_TRUE(b.state.admin);
    EXPECT_TRUE(QFileInfo(b.Folder("Base1")).isDir());
    EXPECT_EQ(ReadLastUser(b.Root()), "Новый пользователь");
    EXPECT_EQ(t.baseFilesChecked, 1);
    EXPECT_TRUE(rec.Boxes().empty());
}

TEST(LogIn, TheFirstAdministratorJoinsABase1ThatIsListedInAnotherCase) {
    TLoginBench t;
    TBooks& b = t.books;
    b.SetBases({"base1"});
    b.state.baseList.AddRow()->SetCells({"base1"});
    TMessageRecorder rec;
    t.login.ShowLogin();
    EXPECT_EQ(t.login.AcceptLogin("Мама", ""), TOutcome::LoggedIn);
    EXPECT_EQ(b.UsersOnDisk(), TRows({{"Мама", "Base1", "1", "0"}}));
    EXPECT_EQ(b.BasesOnDisk(), QStringList({"base1"}));
}

TEST(LogIn, OlderPasswordFormsAreAcceptedAndRewrittenInTheFullForm) {
    const struct {
        const char* form;
        QString stored;
    } cases[] = {{"half", "3069471820"}, {"one-byte", "1429452032"}, {"full", "3980337627"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form);
        TLoginBench t;
        TBooks& b = t.books;
        b.SetUsers({{"Папа", "Семья", "1", c.stored}, {"Мама", "Семья", "0", "0"}});
        const QByteArray before = ReadFileBytes(b.Root() + "/user");
        TMessageRecorder rec;
        t.login.ShowLogin();
        EXPECT_EQ(t.login.AcceptLogin("Папа", "Пароль"), TOutcome::LoggedIn);
        if (c.stored == "3980337627") {
            EXPECT_EQ(ReadFileBytes(b.Root() + "/user"), before);
        } else {
            EXPECT_EQ(b.UsersOnDisk(), TRows({{"Папа", "Семья", "Администратор", "3980337627"},
                                              {"Мама", "Семья", "Обычный пользователь", "0"}}));
        }
        EXPECT_TRUE(b.state.admin);
        EXPECT_TRUE(rec.Boxes().empty());
    }
}

TEST(LogIn, OnlyTheFirstRowOfANameIsChecked) {
    TLoginBench t;
    TBooks& b = t.books;
    b.SetUsers(
        {{"Папа", "Семья", "1", PasswordCode("первый")}, {"Папа", "Дача", "0", PasswordCode("второй")}});
    TMessageRecorder rec;
    t.login.ShowLogin();
    EXPECT_EQ(t.login.AcceptLogin("Папа", "второй"), TOutcome::WrongPassword);
    EXPECT_EQ(t.login.AcceptLogin("Папа", "первый"), TOutcome::LoggedIn);
    EXPECT_EQ(b.state.baseName, "Семья");
}

TEST(LogIn, TheThirdRefusalAsksAndTheCountRestartsWithTheDialog) {
    TLoginBench t;
    t.books.SetUsers({{"Папа", "Семья", "1", "0"}});
    TMessageRecorder rec;
    t.login.ShowLogin();
    EXPECT_EQ(t.login.AcceptLogin("Папа", "x"), TOutcome::WrongPassword);
    EXPECT_EQ(t.login.AcceptLogin("Папа", "x"), TOutcome::WrongPassword);
    EXPECT_EQ(t.login.AcceptLogin("Папа", "x"), TOutcome::Stay); // "No" by default
    EXPECT_EQ(t.login.AcceptLogin("Папа", "x"), TOutcome::Stay);
    rec.AnswerYes();
    EXPECT_EQ(t.login.AcceptLogin("Папа", "x"), TOutcome::OpenFirstRun);
    EXPECT_EQ(rec.Boxes(), (std::vector<TMessage>{kWrongPassword, kWrongPassword, kThirdRefusal,
                                                  kThirdRefusal, kThirdRefusal}));
    // The first-run dialog closed by "Выход" ends the program.
    t.firstRun.Show();
    EXPECT_EQ(t.login.FirstRunFinished(), TOutcome::EndProgram);

    rec.Reset();
    t.login.ShowLogin();
    EXPECT_EQ(t.login.AcceptLogin("Папа", "x"), TOutcome::WrongPassword);
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{kWrongPassword});
    EXPECT_TRUE(t.books.state.userName.isEmpty());
}

TEST(LogIn, AnUnreadableUserTableIsReportedWithoutCountingARefusal) {
    const struct {
        const char* what;
        std::function<void(const QString&)> spoil;
    } cases[] = {
        {"damaged", [](const QString& path) { WriteFileBytes(path, kBroken); }},
        {"a folder", [](const QString& path) { QDir().mkpath(path); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TLoginBench t;
        TBooks& b = t.books;
        const QString path = b.Root() + "/user";
        c.spoil(path);
        TMessageRecorder rec;
        EXPECT_EQ(t.login.AcceptLogin("Папа", ""), TOutcome::Stay);
        EXPECT_EQ(rec.Boxes(),
                  std::vector<TMessage>{Error({"Нет доступа к базам программы.",
                                               "Проверьте настройки безопасности для файла " + path})});
        EXPECT_EQ(t.login.Refusals(), 0);
        EXPECT_TRUE(b.state.userName.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(b.Folder("Base1")));
    }
}

TEST(LogIn, ADamagedUserTableFoundByTheDialogIsKeptAsideWithNothingReadable) {
    TLoginBench t;
    TBooks& b = t.books;
    const QByteArray broken = Hex("09 01");
    WriteFileBytes(b.Root() + "/user", broken);
    TMessageRecorder rec;
    const auto list = t.login.ShowLogin();
    EXPECT_EQ(rec.Beeps(), 1);
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{Info({"База пользователей повреждена!",
                                                       "Внесите исправления после открытия программы."})});
    const QStringList copies = QDir(b.Root()).entryList({"user.damaged-*"}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(ReadFileBytes(b.Root() + "/" + copies[0]), broken);
    EXPECT_TRUE(QFileInfo(b.Root() + "/user").isFile());
    EXPECT_TRUE(b.UsersOnDisk().empty());
    EXPECT_EQ(list.names, QStringList({"Введите имя нового пользователя"}));

    rec.Reset();
    EXPECT_EQ(t.login.AcceptLogin("Папа", "п"), TOutcome::LoggedIn);
    EXPECT_EQ(b.UsersOnDisk(), TRows({{"Папа", "Base1", "1", PasswordCode("п")}}));
}

TEST(LogIn, AUserTableCutShortKeepsTheFamilyBeforeTheCut) {
    TLoginBench t;
    TBooks& b = t.books;
    b.SetUsers({{"Папа", "Семья", "Администратор", PasswordCode("п")},
                {"Мама", "Семья", "Обычный пользователь", PasswordCode("м")},
                {"Сын", "Семья", "Обычный пользователь", PasswordCode("с")}});
    const QByteArray whole = ReadFileBytes(b.Root() + "/user");
    const QByteArray cut = whole.left(whole.size() - 5); // the last user's record loses its end
    WriteFileBytes(b.Root() + "/user", cut);
    TMessageRecorder rec;
    const auto list = t.login.ShowLogin();
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{Info({"База пользователей повреждена!",
                                                       "Внесите исправления после открытия программы."})});
    const QStringList copies = QDir(b.Root()).entryList({"user.damaged-*"}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(ReadFileBytes(b.Root() + "/" + copies[0]), cut);
    EXPECT_EQ(list.names, QStringList({"Папа", "Мама"}));
    EXPECT_EQ(b.UsersOnDisk(), TRows({{"Папа", "Семья", "Администратор", PasswordCode("п")},
                                      {"Мама", "Семья", "Обычный пользователь", PasswordCode("м")}}));

    rec.Reset();
    EXPECT_EQ(t.login.AcceptLogin("Мама", "ш"), TOutcome::WrongPassword);
    EXPECT_EQ(t.login.AcceptLogin("Мама", "м"), TOutcome::LoggedIn);
    EXPECT_EQ(b.state.userName, "Мама");
    EXPECT_FALSE(b.state.admin);
    EXPECT_EQ(b.state.baseName, "Семья");
}

TEST(LogIn, TheNameListShowsNamedUsersWithTheLastUserSelected) {
    const struct {
        QString lastUser;
        int selected;
    } cases[] = {{"Мама", 1}, {"Никто", 0}, {"", 0}};
    for (const auto& c : cases) {
        TLoginBench t;
        TBooks& b = t.books;
        b.SetUsers({{"Папа", "Семья", "1", "0"}, {"  ", "Семья", "0", "0"}, {"Мама", "Семья", "0", "0"}});
        SaveLastUser(b.Root(), c.lastUser);
        TMessageRecorder rec;
        const auto list = t.login.ShowLogin();
        EXPECT_EQ(list.names, QStringList({"Папа", "Мама"}));
        EXPECT_EQ(list.selected, c.selected);
        EXPECT_FALSE(list.typing);
    }
}

TEST(LogIn, AUserWithoutABaseIsOfferedTheFirstRunOrTheEnd) {
    {
        TLoginBench t;
        t.books.SetUsers({{"Гость", "", "0", "0"}});
        TMessageRecorder rec;
        t.login.ShowLogin();
        EXPECT_EQ(t.login.AcceptLogin("Гость", ""), TOutcome::EndProgram);
        EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{kNoBase});
    }
    TLoginBench t;
    TBooks& b = t.books;
    b.SetUsers({{"Гость", "", "0", "0"}});
    TMessageRecorder rec;
    t.login.ShowLogin();
    rec.AnswerYes();
    ASSERT_EQ(t.login.AcceptLogin("Гость", ""), TOutcome::OpenFirstRun);
    t.firstRun.Show();
    EXPECT_TRUE(t.firstRun.Accept("Сын", "Дом", "с").created);
    EXPECT_EQ(t.login.FirstRunFinished(), TOutcome::LoggedIn);
    EXPECT_EQ(b.state.userName, "Сын");
    EXPECT_EQ(b.state.baseName, "Дом");
    EXPECT_EQ(b.state.baseFolder, b.Folder("Дом"));
}

TEST(LogIn, ABaseNameThatIsAPathCreatesNothingOutsideBase) {
    for (const QString& base : {QString("../../evil"), QString(".."), QString("a/b")}) {
        SCOPED_TRACE(base.toStdString());
        TLoginBench t;
        TBooks& b = t.books;
        b.SetUsers({{"Папа", base, "1", "0"}});
        const QStringList before = TreeOf(b.home.Path());
        TMessageRecorder rec;
        t.login.ShowLogin();
        EXPECT_EQ(t.login.AcceptLogin("Папа", ""), TOutcome::Stay);
        EXPECT_EQ(TreeOf(b.home.Path()), before);
        EXPECT_TRUE(b.state.userName.isEmpty());
        EXPECT_TRUE(b.state.baseFolder.isEmpty());
    }
}

TEST(LoginDialogCreation, TheMarkerAndTheBaseListAreSettledOnce) {
    const struct {
        const char* what;
        const char* marker; // nullptr: no marker file
        QStringList bases;
        std::vector<TMessage> boxes;
        QStringList basesAfter;
    } cases[] = {
        {"first start", nullptr, {}, {}, {"Base1"}},
        {"empty list", "1", {}, {Info({"Наименование баз установлено по-умолчанию \"Base1\""})}, {"Base1"}},
        {"listed", "1", {"Дом"}, {}, {"Дом"}},
        {"earlier marker without bases", "0", {}, {}, {"Base1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TLoginBench t;
        TBooks& b = t.books;
        const QString marker = b.home.ProgramData() + "/path";
        if (c.marker) WriteRows(marker, {{c.marker}});
        if (!c.bases.isEmpty()) b.SetBases(c.bases);
        TMessageRecorder rec;
        t.login.PrepareAtCreation();
        EXPECT_EQ(rec.Boxes(), c.boxes);
        EXPECT_EQ(b.BasesOnDisk(), c.basesAfter);
        EXPECT_EQ(RowsOfFile(marker), TRows({{c.marker ? c.marker : "1"}}));
        EXPECT_EQ(b.state.paths.dataRoot, b.home.ProgramData() + "/");
        EXPECT_EQ(t.rootChecked, 1);
        EXPECT_FALSE(t.login.EarlierBasesPending());
    }
}

TEST(LoginDialogCreation, ASaveCutShortIsCompletedBeforeTheUsersAreRead) {
    TLoginBench t;
    TBooks& b = t.books;
    b.SetBases({"Семья"});
    b.SetUsers({{"Папа", "Семья", "1", "0"}});
    ASSERT_TRUE(QDir().mkpath(b.Folder("Семья")));
    // A save that wrote its journal and then could not put the user table in place (the power went,
    // say): the new user waits in a temporary file beside the table.
    TMemTable users;
    users.AddRow()->SetCells({"Папа", "Семья", "1", "0"});
    users.AddRow()->SetCells({"Мама", "Семья", "0", "0"});
    {
        TSaveTransaction save(b.Folder("Семья"));
        ASSERT_TRUE(save.Stage(b.File("Семья", "rashod"), QByteArray()));
        ASSERT_TRUE(save.Stage(b.Root() + "/user", users.ToBytes()));
        ASSERT_TRUE(QDir().mkpath(b.Root() + "/user.blocked"));
        ASSERT_TRUE(QFile::rename(b.Root() + "/user", b.Root() + "/user.kept"));
        ASSERT_TRUE(QDir().rename(b.Root() + "/user.blocked", b.Root() + "/user"));
        ASSERT_TRUE(QDir().mkpath(b.Root() + "/user/занято"));
        EXPECT_FALSE(save.Commit());
    }
    QDir(b.Root() + "/user").removeRecursively();
    ASSERT_TRUE(QFile::rename(b.Root() + "/user.kept", b.Root() + "/user"));
    ASSERT_TRUE(QFileInfo::exists(b.Folder("Семья") + "/zhurnal"));

    TMessageRecorder rec;
    t.login.PrepareAtCreation();
    EXPECT_EQ(t.login.ShowLogin().names, QStringList({"Папа", "Мама"}));
    EXPECT_FALSE(QFileInfo::exists(b.Folder("Семья") + "/zhurnal"));
}

TEST(LoginDialogCreation, BasesOfAnEarlierVersionAreKeptOrDeletedAsAnswered) {
    const TMessage found =
        Question({"Обнаружены базы предыдущей версии Vellumora.", "Продолжить работу с этими базами?"},
                 TMsgButton::Yes);
    const TMessage remove = Question({"Удалить базы программы \"Vellumora\"?"}, TMsgButton::No);
    const struct {
        const char* what;
        std::vector<TMsgButton> answers;
        std::vector<TMessage> boxes;
        bool kept, pending;
        const char* markerAfter;
    } cases[] = {
        {"keep", {TMsgButton::Yes}, {found}, true, true, "0"},
        {"delete", {TMsgButton::No, TMsgButton::Yes}, {found, remove}, false, false, "1"},
        {"ask again next time", {TMsgButton::No, TMsgButton::No}, {found, remove}, true, false, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TLoginBench t;
        TBooks& b = t.books;
        const QString marker = b.home.ProgramData() + "/path";
        WriteRows(marker, {{"0"}});
        b.SetBases({"Старая"});
        WriteRows(b.File("Старая", "rashod"), {{"01.01.2010", "Еда", "Хлеб", "10", "рубль", "", "Папа"}});
        TMessageRecorder rec;
        for (TMsgButton a : c.answers)
            rec.Answer(a);
        t.login.PrepareAtCreation();
        EXPECT_EQ(rec.Boxes(), c.boxes);
        EXPECT_EQ(QFileInfo::exists(b.File("Старая", "rashod")), c.kept);
        EXPECT_EQ(b.BasesOnDisk(), c.kept ? QStringList({"Старая"}) : QStringList({"Base1"}));
        EXPECT_EQ(RowsOfFile(marker), TRows({{c.markerAfter}}));
        EXPECT_EQ(t.login.EarlierBasesPending(), c.pending);

        t.login.AfterMainWindowFirstShown();
        t.login.AfterMainWindowFirstShown();
        EXPECT_EQ(t.optimised, c.pending ? 1 : 0);
        if (c.pending) {
            EXPECT_EQ(RowsOfFile(marker), TRows({{"1"}}));
        }
    }
}

TEST(LoginDialogCreation, OnlyTheEarlierBasesAreDeletedWhenTheDataRootIsElsewhere) {
    TLoginBench t;
    TBooks& b = t.books;
    // The family's bases moved to another folder; the earlier version left its own in the program data
    // folder.
    const QString otherRoot = b.home.Path() + "/elsewhere/";
    QDir().mkpath(otherRoot + "BASE/Дом");
    WriteRows(otherRoot + "BASE/baseuser", {{"Дом"}});
    WriteRows(otherRoot + "BASE/Дом/rashod", {{"01.01.2024", "Еда", "Хлеб", "10", "рубль", "", "Папа"}});
    TIniStorage ini;
    ini.WriteString("path base", "path", otherRoot);
    ASSERT_TRUE(ini.SaveToFile(b.home.ProgramData() + "/pathbase.ini"));
    WriteRows(b.home.ProgramData() + "/path", {{"0"}});
    b.SetBases({"Старая"});
    WriteRows(b.File("Старая", "rashod"), {{"01.01.2010", "Еда", "Хлеб", "10", "рубль", "", "Папа"}});

    TMessageRecorder rec;
    rec.Answer(TMsgButton::No);
    rec.Answer(TMsgButton::Yes);
    t.login.PrepareAtCreation();
    EXPECT_EQ(t.books.state.paths.dataRoot, otherRoot);
    EXPECT_FALSE(QFileInfo::exists(b.home.ProgramData() + "/BASE"));
    EXPECT_EQ(RowsOfFile(otherRoot + "BASE/Дом/rashod").size(), 1u);
    EXPECT_EQ(RowsOfFile(otherRoot + "BASE/baseuser"), TRows({{"Дом"}}));
    EXPECT_EQ(RowsOfFile(b.home.ProgramData() + "/path"), TRows({{"1"}}));
}

namespace {

// Two users in two bases, the father's open with an edit not yet saved.
struct TSwitchBench : TLoginBench {
    TSwitchBench() {
        books.SetUsers(
            {{"Папа", "Семья", "1", PasswordCode("п")}, {"Мама", "Работа", "0", PasswordCode("м")}});
        books.SetBases({"Семья", "Работа"});
        WriteRows(books.File("Семья", "rashod"), {{"01.02.2024", "Еда", "Хлеб", "40", "рубль", "", "Папа"}});
        WriteRows(books.File("Работа", "rashod"),
                  {{"02.02.2024", "Офис", "Бумага", "300", "рубль", "", "Мама"}});
        books.Open("Папа", "Семья");
        books.state.Table(TTableKind::Rashod).Row(0)->SetCell(5, "свежая правка");
    }
};

} // namespace

TEST(SwitchUser, TheOpenBaseIsSavedToItsOwnFolderAndTheNewOneLoaded) {
    TSwitchBench t;
    TBooks& b = t.books;
    TMessageRecorder rec;
    const auto list = t.login.ShowSwitch();
    EXPECT_EQ(list.names, QStringList({"Папа", "Мама"}));
    EXPECT_EQ(list.selected, 0);

    EXPECT_EQ(t.login.AcceptSwitch("Мама", "м"), TOutcome::Switched);
    EXPECT_EQ(RowsOfFile(b.File("Семья", "rashod")),
              TRows({{"01.02.2024", "Еда", "Хлеб", "40", "рубль", "свежая правка", "Папа"}}));
    EXPECT_EQ(RowsOfFile(b.File("Работа", "rashod")),
              TRows({{"02.02.2024", "Офис", "Бумага", "300", "рубль", "", "Мама"}}));
    EXPECT_EQ(b.state.userName, "Мама");
    EXPECT_EQ(b.state.baseName, "Работа");
    EXPECT_EQ(b.state.baseFolder, b.Folder("Работа"));
    EXPECT_FALSE(b.state.admin);
    EXPECT_EQ(b.state.Table(TTableKind::Rashod).Row(0)->Cell(6), "Мама");
    EXPECT_EQ(ReadLastUser(b.Root()), "Мама");
    EXPECT_EQ(t.totals, 1);
    EXPECT_EQ(t.optimised, 1);
    EXPECT_TRUE(rec.Boxes().empty());
}

TEST(SwitchUser, BooksThatCannotBeSavedStayOpenRatherThanBeLost) {
    TSwitchBench t;
    TBooks& b = t.books;
    // A folder stands where the expenses file was: the save before the switch cannot be made.
    QFile::remove(b.File("Семья", "rashod"));
    ASSERT_TRUE(QDir().mkpath(b.File("Семья", "rashod") + "/занято"));
    TMessageRecorder rec;
    t.login.ShowSwitch();
    EXPECT_EQ(t.login.AcceptSwitch("Мама", "м"), TOutcome::Stay);
    EXPECT_EQ(rec.Boxes(),
              std::vector<TMessage>{Error({"Не удалось сохранить базу", "Файл: " + b.File("Семья", "rashod"),
                                           "Причина: На месте файла находится папка."})});
    EXPECT_EQ(b.state.userName, "Папа");
    EXPECT_EQ(b.state.baseName, "Семья");
    EXPECT_EQ(b.state.Table(TTableKind::Rashod).Row(0)->Cell(5), "свежая правка");
    EXPECT_TRUE(b.state.saveFailed);
}

TEST(SwitchUser, RefusalsHideTheDialogAtTheThirdAndNeverGrantTheRole) {
    TSwitchBench t;
    TBooks& b = t.books;
    b.state.userName = "Мама";
    b.state.admin = false;
    TMessageRecorder rec;
    t.login.ShowSwitch();
    EXPECT_EQ(t.login.AcceptSwitch("Папа", "x"), TOutcome::WrongPassword);
    EXPECT_EQ(t.login.AcceptSwitch("Папа", "x"), TOutcome::WrongPassword);
    EXPECT_EQ(t.login.AcceptSwitch("Папа", "x"), TOutcome::Hide);
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>(3, kWrongPassword));
    EXPECT_FALSE(b.state.admin);
    EXPECT_EQ(b.state.baseName, "Семья");
    EXPECT_EQ(t.optimised, 3);
    EXPECT_EQ(t.login.Cancel(), TOutcome::Hide);
}

TEST(SwitchUser, AUserAddedInTheGridButNotYetSavedCanLogIn) {
    TSwitchBench t;
    TBooks& b = t.books;
    TMemTable& users = b.state.users;
    users.Row(users.RowCount() - 1)->SetCells({"Сын", "Работа", "Обычный пользователь", PasswordCode("с")});
    TMessageRecorder rec;
    t.login.ShowSwitch();
    EXPECT_EQ(t.login.AcceptSwitch("Сын", "с"), TOutcome::Switched);
    EXPECT_EQ(b.state.userName, "Сын");
    EXPECT_EQ(b.UsersOnDisk().size(), 3u);
}

TEST(SwitchUser, AUserWithoutABaseIsOfferedTheFirstRun) {
    TSwitchBench t;
    TBooks& b = t.books;
    WriteRows(b.Root() + "/user", {{"Папа", "Семья", "1", PasswordCode("п")}, {"Гость", "", "0", "0"}});
    TMessageRecorder rec;
    t.login.ShowSwitch();
    EXPECT_EQ(t.login.AcceptSwitch("Гость", ""), TOutcome::Hide);
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{kNoBase});
    EXPECT_EQ(b.state.userName, "Папа");

    rec.AnswerYes();
    ASSERT_EQ(t.login.AcceptSwitch("Гость", ""), TOutcome::OpenFirstRun);
    t.firstRun.Show();
    ASSERT_TRUE(t.firstRun.Accept("Сын", "Дача", "с").created);
    EXPECT_EQ(t.login.FirstRunFinished(), TOutcome::Switched);
    EXPECT_EQ(RowsOfFile(b.File("Семья", "rashod"))[0][5], "свежая правка");
    EXPECT_EQ(b.state.userName, "Сын");
    EXPECT_EQ(b.state.baseFolder, b.Folder("Дача"));
    EXPECT_EQ(b.state.Table(TTableKind::Rashod).RowCount(), 1); // the new base: only the new-record row
}
