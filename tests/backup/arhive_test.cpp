// Backup archives of a base: what they hold, restoring them over the open base or as a new base, and
// the daily copy.
#include "arhivefixture.h"

#include "backup/tdailyarhive.h"
#include "backup/tfileunzipper.h"
#include "storage/datafolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST_F(ArhiveTest, ArchiveHoldsTheBaseWithItsUsersAndWhoMadeIt) {
    EXPECT_EQ(arhive::DayFileName(QDate(2024, 3, 7)), "2024-03-07.zip");
    const QString path = Pack();
    QStringList names = EntryNames(path);
    names.sort();
    EXPECT_TRUE(names.contains("Debt/debt0"));
    EXPECT_TRUE(names.contains("rashod"));
    EXPECT_TRUE(names.contains("arviveInfo"));
    EXPECT_EQ(RowsOfFile(books.File("Base1", "arviveInfo")), (TRows{{"Анна", "Base1", kAdminRole, "111"},
                                                                    {"Вера", "Base1", kOrdinary, "333"},
                                                                    {"Save", "Анна", "Base1", ""}}));
}

TEST_F(ArhiveTest, AFailedArchiveIsReportedAndAnExistingOneKeptUnlessReplaced) {
    const QString nowhere = books.home.Path() + "/no such folder/a.zip";
    {
        TMessageRecorder messages;
        EXPECT_FALSE(arhive::MakeArchive(books.state, nowhere));
        EXPECT_EQ(messages.Boxes(),
                  std::vector<TMessage>{Error({"Не удалось создать резервную копию в файле", nowhere})});
    }
    const QString path = books.home.Path() + "/a.zip";
    WriteFileBytes(path, "earlier");
    TMessageRecorder messages; // "No" is the default
    EXPECT_FALSE(arhive::MakeArchive(books.state, path));
    EXPECT_EQ(ReadFileBytes(path), "earlier");
    messages.AnswerYes();
    EXPECT_TRUE(arhive::MakeArchive(books.state, path));
    EXPECT_EQ(messages.Boxes().front(),
              Question({"Архив с таким именем уже существует", "Заменить?"}, TMsgButton::No));
    EXPECT_NE(ReadFileBytes(path), "earlier");
}

TEST_F(ArhiveTest, RestoreOverTheSameBaseGivesBackItsFilesUsersAndUser) {
    const QString path = Pack();
    const auto before = Snapshot(books.Folder("Base1"));
    const TRows usersBefore = books.UsersOnDisk();
    // Work after the archive: a changed expense file, a new debt's returns, a user gone, another
    // administrator of the base who restores it.
    WriteRows(books.File("Base1", "rashod"), {{"03.03.2024", "Еда", "Сыр", "300", "рубль", "", "Анна"}});
    WriteRows(books.File("Base1", "Debt/debt7"), {{"10.03.2024", "1", "рубль", "0"}});
    books.SetUsers({{"Анна", "Base1", kAdminRole, "111"},
                    {"Борис", "Base2", kOrdinary, "222"},
                    {"Глеб", "Base1", kAdminRole, "444"}});
    books.state.userName = "Глеб";

    TMessageRecorder messages;
    messages.AnswerYes();
    messages.AnswerYes();
    messages.AnswerYes(); // Глеб, whom the archive does not hold, goes
    EXPECT_EQ(restore.Restore(path), TArhiveRestore::TResult::Replaced);

    EXPECT_EQ(Snapshot(books.Folder("Base1")), before);
    TRows usersAfter = books.UsersOnDisk();
    std::sort(usersAfter.begin(), usersAfter.end());
    TRows expected = usersBefore;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(usersAfter, expected);
    EXPECT_EQ(books.state.userName, "Анна");
    EXPECT_TRUE(books.state.admin);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(books.state.Table(TTableKind::Rashod).Row(0)->Cell(2), "Хлеб");
    EXPECT_EQ(messages.Boxes(),
              (std::vector<TMessage>{
                  kAskReplace, kAskDestroy,
                  Question({"Будут удалены пользователи, которых нет в архиве: Глеб.", "Восстановить?"},
                           TMsgButton::No),
                  Info({"База заменена"})}));
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_FALSE(QFileInfo::exists(books.home.Path() + "/MyArviveInfo"));
}

TEST_F(ArhiveTest, AnOrdinaryUsersRestoreBringsBackTheBooksButNeverARole) {
    // An archive in which Вера is an administrator, restored by Вера as an ordinary user.
    books.SetUsers({{"Анна", "Base1", kAdminRole, "111"},
                    {"Борис", "Base2", kOrdinary, "222"},
                    {"Вера", "Base1", kAdminRole, "333"}});
    books.state.userName = "Вера";
    const QString path = Pack();
    const auto archived = Snapshot(books.Folder("Base1"));
    books.SetUsers({{"Анна", "Base1", kAdminRole, "111"},
                    {"Борис", "Base2", kOrdinary, "222"},
                    {"Вера", "Base1", kOrdinary, "333"}});
    const TRows users = books.UsersOnDisk();
    WriteRows(books.File("Base1", "rashod"), {{"03.03.2024", "Еда", "Сыр", "300", "рубль", "", "Вера"}});
    books.state.admin = false;

    TMessageRecorder messages;
    messages.AnswerYes();
    messages.AnswerYes();
    EXPECT_EQ(restore.Restore(path), TArhiveRestore::TResult::Replaced);
    EXPECT_EQ(ReadFileBytes(books.File("Base1", "rashod")), archived.at("rashod"));
    EXPECT_EQ(books.UsersOnDisk(), users);
    EXPECT_EQ(books.state.userName, "Вера");
    EXPECT_FALSE(books.state.admin);

    // As a new base the archive would bring its users with their roles: refused outright.
    messages.Reset();
    messages.AnswerNo(); // "Заменить текущую базу архивной?"
    newName = "Дача";
    EXPECT_EQ(restore.Restore(path), TArhiveRestore::TResult::Cancelled);
    EXPECT_EQ(messages.Boxes(),
              (std::vector<TMessage>{kAskReplace, Info({"У Вас отсутствуют права администратора!"})}));
    EXPECT_EQ(messages.Beeps(), 1);
    EXPECT_FALSE(QFileInfo::exists(books.Folder("Дача")));
    EXPECT_EQ(books.UsersOnDisk(), users);
    EXPECT_EQ(books.BasesOnDisk(), QStringList({"Base1", "Base2"}));
}

TEST_F(ArhiveTest, RestoreOverRenamesUsersOfOtherBasesAndKeepsTheOpenBasesOwn) {
    const QString path = Pack();
    // Since the archive, "Вера" moved to Base2; "Анна" is still Base1's and keeps her name.
    books.SetUsers({{"Анна", "Base1", kAdminRole, "111"},
                    {"Борис", "Base2", kOrdinary, "222"},
                    {"Вера", "Base2", kOrdinary, "999"}});
    TMessageRecorder messages;
    messages.AnswerYes();
    messages.AnswerYes();
    restore.RestoreOver(path);

    EXPECT_EQ(messages.Boxes().front(),
              Info({"Пользователь \"Вера\"", "уже существует в базе \"Base2\".",
                    "Имя пользователя \"Вера\" в восстановленной", "базе заменено на имя \"Вера(1)\"."}));
    EXPECT_EQ(books.UsersOnDisk(), (TRows{{"Борис", "Base2", kOrdinary, "222"},
                                          {"Вера", "Base2", kOrdinary, "999"},
                                          {"Анна", "Base1", kAdminRole, "111"},
                                          {"Вера(1)", "Base1", kOrdinary, "333"}}));
    EXPECT_EQ(RowsOfFile(books.File("Base1", "rashod")).at(1).at(6), "Вера(1)");
}

TEST_F(ArhiveTest, RestoreAsNewBaseRenamesClashingUsersInTheirRecords) {
    const QString path = Pack();
    newName = "Дача";
    TMessageRecorder messages;
    messages.AnswerNo();
    EXPECT_EQ(restore.Restore(path), TArhiveRestore::TResult::RestoredAsNew);

    EXPECT_EQ(messages.Boxes(), (std::vector<TMessage>{kAskReplace, Info({"База восстановлена"})}));
    EXPECT_EQ(books.BasesOnDisk(), (QStringList{"Base1", "Base2", "Дача"}));
    const TRows users = books.UsersOnDisk();
    EXPECT_EQ(TRows(users.end() - 2, users.end()),
              (TRows{{"Анна(1)", "Дача", kAdminRole, "111"}, {"Вера(1)", "Дача", kOrdinary, "333"}}));
    const TRows rashod = RowsOfFile(books.File("Дача", "rashod"));
    EXPECT_EQ(rashod.at(0).at(6), "Анна(1)");
    EXPECT_EQ(rashod.at(1).at(6), "Вера(1)");
    EXPECT_EQ(RowsOfFile(books.File("Дача", "Debt/debt0")).size(), 2u);
    EXPECT_EQ(loginOffered, QStringList{"Вера(1)"});
    // The open base and its user stay as they were.
    EXPECT_EQ(books.state.baseName, "Base1");
    EXPECT_EQ(books.state.userName, "Анна");
    EXPECT_EQ(RowsOfFile(books.File("Base1", "rashod")).at(0).at(6), "Анна");
}

TEST_F(ArhiveTest, NewBaseNamesThatAreNotFolderNamesAreRefused) {
    const QString path = Pack();
    struct Case {
        QString name;
        TMessage box;
    };
    const std::vector<Case> cases = {
        {"   ", Info({"Имя базы не может быть пустым.", "Архив не восстановлен"})},
        {"..", Error({"Недопустимые символы >,<,*,?,/,|,\\,:,\""})},
        {"../Вне", Error({"Недопустимые символы >,<,*,?,/,|,\\,:,\""})},
        {"a\tb", Error({"Недопустимые символы >,<,*,?,/,|,\\,:,\""})},
    };
    const QStringList outside = TreeOf(books.home.Path());
    for (const Case& c : cases) {
        newName = c.name;
        TMessageRecorder messages;
        EXPECT_EQ(restore.RestoreAsNew(path), TArhiveRestore::TResult::Cancelled) << qPrintable(c.name);
        EXPECT_EQ(messages.Boxes(), std::vector<TMessage>{c.box}) << qPrintable(c.name);
    }
    EXPECT_EQ(TreeOf(books.home.Path()), outside);

    newName = std::nullopt; // "Отмена"
    TMessageRecorder quiet;
    EXPECT_EQ(restore.RestoreAsNew(path), TArhiveRestore::TResult::Cancelled);
    EXPECT_TRUE(quiet.Boxes().empty());
}

// The name of a new base joins the list only with its folder: a restore that fails at any step leaves
// neither behind, and the next try under the same name is not taken for a replacement.
TEST_F(ArhiveTest, ARestoreAsNewBaseThatFailsLeavesNoNameInTheList) {
    const QString good = Pack();
    const QString foreign = books.home.Path() + "/foreign.zip";
    WriteFileBytes(foreign, BuildZip({TRawEntry("rashod", "not a table")}));
    const QString huge = books.home.Path() + "/huge.zip";
    WriteFileBytes(huge, BuildZip({TRawEntry("arviveInfo", "x").Stated(quint32(arhive::kRestoreLimit) + 1)}));
    // Unpacking stops half-way, at the spoilt entry.
    const QString damaged = SpoiltCopy(good, books.home.Path() + "/damaged.zip");
    const std::vector<TMessage> notOurs = {
        Info({"Данный файл не является архивом баз программы,", "или архив был поврежден"}),
        Info({"Архив не был восстановлен"})};
    const struct {
        QString archive;
        std::vector<TMessage> boxes;
    } cases[] = {
        {foreign, notOurs},
        {huge, notOurs},
        {damaged, {Info({"Ошибка восстановления"})}},
    };
    newName = "Дача";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.archive.toStdString());
        TMessageRecorder messages;
        EXPECT_EQ(restore.RestoreAsNew(c.archive), TArhiveRestore::TResult::Failed);
        EXPECT_EQ(messages.Boxes(), c.boxes);
        EXPECT_EQ(books.BasesOnDisk(), (QStringList{"Base1", "Base2"}));
        EXPECT_EQ(BaseNames(books.state), (QStringList{"Base1", "Base2"}));
        EXPECT_FALSE(QFileInfo::exists(books.Folder("Дача")));
    }
    TMessageRecorder messages;
    EXPECT_EQ(restore.RestoreAsNew(good), TArhiveRestore::TResult::RestoredAsNew);
    EXPECT_EQ(messages.Boxes(), std::vector<TMessage>{Info({"База восстановлена"})});
    EXPECT_EQ(books.BasesOnDisk(), (QStringList{"Base1", "Base2", "Дача"}));
    EXPECT_TRUE(QFileInfo(books.File("Дача", "rashod")).isFile());
}

TEST_F(ArhiveTest, ExistingNewBaseIsReplacedOnlyWhenTheUserAgrees) {
    const QString path = Pack();
    WriteRows(books.File("Base2", "rashod"), {{"01.01.2024", "Еда", "Чай", "10", "рубль", "", "Борис"}});
    const auto before = Snapshot(books.Folder("Base2"));
    newName = "Base2";
    {
        TMessageRecorder messages; // "No" is the default
        EXPECT_EQ(restore.RestoreAsNew(path), TArhiveRestore::TResult::Cancelled);
        EXPECT_EQ(messages.Boxes(),
                  (std::vector<TMessage>{
                      Question({"База с таким именем уже существует", "Заменить?"}, TMsgButton::No),
                      Info({"Восстановление было отмено"})}));
        EXPECT_EQ(Snapshot(books.Folder("Base2")), before);
    }
    TMessageRecorder messages;
    messages.AnswerYes();
    EXPECT_EQ(restore.RestoreAsNew(path), TArhiveRestore::TResult::RestoredAsNew);
    EXPECT_EQ(RowsOfFile(books.File("Base2", "rashod")).at(0).at(2), "Хлеб");
    EXPECT_EQ(books.BasesOnDisk(), (QStringList{"Base1", "Base2"}));
}

TEST_F(ArhiveTest, RestoringTheOpenBaseUnderItsOwnNameReloadsIt) {
    const QString path = Pack();
    books.state.Table(TTableKind::Rashod).Row(0)->SetCell(2, "Изменено в памяти");
    newName = "Base1";
    TMessageRecorder messages;
    messages.AnswerYes();
    restore.RestoreAsNew(path);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(books.state.Table(TTableKind::Rashod).Row(0)->Cell(2), "Хлеб");
}

TEST_F(ArhiveTest, ForeignOrDamagedArchivesLeaveTheBaseExactlyAsItWas) {
    const QString good = Pack();
    const auto before = Snapshot(books.Folder("Base1"));
    const TRows users = books.UsersOnDisk();

    const QString foreign = books.home.Path() + "/foreign.zip";
    WriteFileBytes(foreign, BuildZip({TRawEntry("rashod", "not a table"), TRawEntry("Debt/debt0", "x")}));
    const QString damaged = SpoiltCopy(good, books.home.Path() + "/damaged.zip");

    struct Case {
        QString path;
        std::vector<TMessage> boxes;
    };
    const std::vector<Case> cases = {
        {foreign,
         {Info({"Данный файл не является архивом баз программы,", "или архив был поврежден"}),
          Info({"Архив не был восстановлен"})}},
        {damaged, {Info({"Ошибка восстановления"})}},
        {books.home.Path() + "/missing.zip", {}},
    };
    for (const Case& c : cases) {
        TMessageRecorder messages;
        EXPECT_NE(restore.RestoreOver(c.path), TArhiveRestore::TResult::Replaced);
        if (!c.boxes.empty()) {
            EXPECT_EQ(messages.Boxes(), c.boxes) << qPrintable(c.path);
        }
        EXPECT_EQ(Snapshot(books.Folder("Base1")), before) << qPrintable(c.path);
        EXPECT_EQ(books.UsersOnDisk(), users);
        EXPECT_FALSE(QFileInfo::exists(books.home.Path() + "/MyArviveInfo"));
    }
    TMessageRecorder messages;
    EXPECT_EQ(restore.Restore(books.home.Path() + "/missing.zip"), TArhiveRestore::TResult::Missing);
    EXPECT_EQ(messages.Boxes(), std::vector<TMessage>{Info({"Указанного файла с архивом не существует"})});
}

TEST_F(ArhiveTest, ReturnsNotInTheArchiveGoOtherFilesStay) {
    const QString path = Pack();
    WriteRows(books.File("Base1", "Debt/debt5"), {{"10.03.2024", "1", "рубль", "0"}});
    WriteFileBytes(books.File("Base1", "Debt/debt5.damaged-2024-03-01-120000"), "spoilt");
    WriteFileBytes(books.File("Base1", "notes.txt"), "kept");
    TMessageRecorder messages;
    restore.RestoreOver(path);
    EXPECT_FALSE(QFileInfo::exists(books.File("Base1", "Debt/debt5")));
    EXPECT_TRUE(QFileInfo::exists(books.File("Base1", "Debt/debt0")));
    EXPECT_EQ(ReadFileBytes(books.File("Base1", "notes.txt")), "kept");
    EXPECT_EQ(ReadFileBytes(books.File("Base1", "Debt/debt5.damaged-2024-03-01-120000")), "spoilt");
    EXPECT_EQ(QFileInfo(books.Folder("Base1")).permissions() & 0x0077, 0);
}

TEST_F(ArhiveTest, VerificationFolderTakesTheFirstFreeName) {
    const QString archive = books.home.Path() + "/x/a.zip";
    QDir().mkpath(books.home.Path() + "/x/MyArviveInfo");
    QDir().mkpath(books.home.Path() + "/x/MyArviveInfo(1)");
    EXPECT_EQ(arhive::VerifyFolderFor(archive), books.home.Path() + "/x/MyArviveInfo(2)");
}

// Daily copies, listed by name.
class DailyArhiveTest : public ArhiveTest {
protected:
    QStringList Copies() { return TDailyArhive::FilesInNameOrder(daily.Folder()); }
    void MakeOldCopies(int count) {
        QDir().mkpath(daily.Folder());
        for (int i = 0; i < count; ++i)
            WriteFileBytes(daily.Folder() + "/" + arhive::DayFileName(QDate(2020, 1, 1).addDays(i)), "old");
    }
    QString RashodNameIn(const QString& archive) {
        const QString out = books.home.Path() + "/out";
        QDir(out).removeRecursively();
        EXPECT_TRUE(TFileUnzipper().Unpack(archive, out));
        return RowsOfFile(out + "/rashod").at(0).at(2);
    }
    TDailyArhive daily{books.state};
};

TEST_F(DailyArhiveTest, SecondEndOfADayReplacesThatDaysCopy) {
    const QDate day(2024, 3, 7);
    ASSERT_TRUE(daily.Write(day));
    WriteRows(books.File("Base1", "rashod"), {{"03.03.2024", "Еда", "Сыр", "300", "рубль", "", "Анна"}});
    ASSERT_TRUE(daily.Write(day));
    EXPECT_EQ(Copies(), QStringList{"2024-03-07.zip"});
    EXPECT_EQ(RashodNameIn(daily.DayFile(day)), "Сыр");
    EXPECT_EQ(daily.Folder(), books.home.Path() + "/copies/Base1");
    EXPECT_EQ(QFileInfo(daily.Folder()).permissions() & 0x0077, 0);
}

TEST_F(DailyArhiveTest, HundredOldCopiesAreKeptBesideTheNewOne) {
    MakeOldCopies(100);
    ASSERT_TRUE(daily.Write(QDate(2024, 3, 7)));
    QStringList copies = Copies();
    EXPECT_EQ(copies.size(), 101);
    EXPECT_EQ(copies.front(), "2020-01-01.zip");

    ASSERT_TRUE(daily.Write(QDate(2024, 3, 8)));
    copies = Copies();
    EXPECT_EQ(copies.size(), 101);
    EXPECT_EQ(copies.front(), "2020-01-02.zip");
    EXPECT_EQ(copies.back(), "2024-03-08.zip");
}

// A copy whose bytes the disk spoilt, and one that packs a table the loader could not read (a debt's
// returns with a row of no length): neither replaces the day's copy nor lets an old one go.
TEST_F(DailyArhiveTest, ACopyThatFailsItsCheckIsDroppedAndNothingOldIsThinned) {
    MakeOldCopies(101);
    const QDate day(2024, 3, 7);
    ASSERT_TRUE(daily.Write(day));
    const QStringList before = Copies();
    const QByteArray earlier = ReadFileBytes(daily.DayFile(day));
    WriteRows(books.File("Base1", "rashod"), {{"03.03.2024", "Еда", "Сыр", "300", "рубль", "", "Анна"}});
    const std::function<void()> spoilers[] = {
        [this] {
            daily.afterPacking = [](const QString& path) {
                QByteArray bytes = ReadFileBytes(path);
                bytes[40] = char(bytes[40] ^ 0x5a);
                WriteFileBytes(path, bytes);
            };
        },
        [this] {
            daily.afterPacking = nullptr;
            WriteFileBytes(books.File("Base1", "Debt/debt9"), Hex("00"));
        },
    };
    for (const auto& spoil : spoilers) {
        spoil();
        EXPECT_FALSE(daily.Write(day));
        EXPECT_EQ(Copies(), before);
        EXPECT_EQ(ReadFileBytes(daily.DayFile(day)), earlier);
    }
    QFile::remove(books.File("Base1", "Debt/debt9"));
    EXPECT_TRUE(daily.Write(day));
    EXPECT_NE(ReadFileBytes(daily.DayFile(day)), earlier);
}

TEST_F(DailyArhiveTest, ADamagedBaseDoesNotReplaceTheDaysGoodCopy) {
    const QDate day(2024, 3, 7);
    ASSERT_TRUE(daily.Write(day));
    books.state.damaged = true;
    WriteRows(books.File("Base1", "rashod"), {});
    EXPECT_FALSE(daily.Write(day));
    EXPECT_EQ(RashodNameIn(daily.DayFile(day)), "Хлеб");
    EXPECT_TRUE(daily.Write(day.addDays(1)));

    // Kept damaged once the offer of a copy was declined: the mark is gone, the base is the same.
    books.state.damaged = false;
    daily.KeepDaysCopyFor(books.state.baseFolder + "/");
    EXPECT_FALSE(daily.Write(day));
    EXPECT_EQ(RashodNameIn(daily.DayFile(day)), "Хлеб");
    daily.KeepDaysCopyFor(books.Folder("Base2"));
    EXPECT_TRUE(daily.Write(day));
}

TEST_F(DailyArhiveTest, OfferAfterDamageRestoresAndLogsTheUserInAgain) {
    const QDate day(2024, 3, 7);
    ASSERT_TRUE(daily.Write(day));
    WriteRows(books.File("Base1", "rashod"), {});
    books.state.damaged = true;
    {
        // The dialog was closed: the base stays as it was loaded, and the offer is over.
        TMessageRecorder messages;
        EXPECT_FALSE(restore.OfferAfterDamage(QString()));
        EXPECT_TRUE(messages.Boxes().empty());
        EXPECT_FALSE(books.state.damaged);
        EXPECT_EQ(reloads, 0);
    }
    books.state.damaged = true;
    {
        TMessageRecorder messages;
        EXPECT_FALSE(restore.OfferAfterDamage(books.home.Path() + "/missing.zip"));
        EXPECT_EQ(messages.Boxes(),
                  std::vector<TMessage>{Info({"Указанного файла с архивом не существует"})});
        EXPECT_FALSE(books.state.damaged);
    }
    books.state.damaged = true;
    TMessageRecorder messages;
    messages.AnswerYes();
    messages.AnswerYes();
    EXPECT_TRUE(restore.OfferAfterDamage(daily.DayFile(day)));
    EXPECT_FALSE(books.state.damaged);
    EXPECT_EQ(books.state.userName, "Анна");
    EXPECT_EQ(books.state.baseName, "Base1");
    EXPECT_EQ(RowsOfFile(books.File("Base1", "rashod")).at(0).at(2), "Хлеб");
    EXPECT_EQ(books.state.Table(TTableKind::Rashod).Row(0)->Cell(2), "Хлеб");
}

} // namespace
