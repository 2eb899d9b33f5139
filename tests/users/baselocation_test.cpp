#include "users/tbaselocation.h"

#include "ledger/tbaseloader.h"
#include "money/tfilters.h"
#include "storage/datafolders.h"
#include "storage/tattributechecks.h"
#include "storage/tbaselock.h"
#include "storage/tinistorage.h"
#include "storage/tsettingsfiles.h"
#include "users/basehold.h"
#include "users/usertables.h"
#include "usersfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList kRashodRow = {"01.02.2024", "Еда", "Хлеб", "45", "рубль", "", "Аня"};

// A family's books in the default data root, with pathbase.ini naming it, logged in as Аня to Base1.
struct TPlace {
    TBooks b;
    TFilters filters{b.state};
    int loginShown = 0, firstSection = 0, filterNone = 0;
    TBaseLocation location{
        b.state, filters,
        TBaseLocationHooks{
            {}, [this] { ++filterNone; }, [this] { ++loginShown; }, [this] { ++firstSection; }}};
    QString copies = b.home.Share() + "/QuorvaneCopy/";

    TPlace() {
        b.state.paths.backupCopyFolder = copies;
        b.SetUsers({{"Аня", "Base1", "1", "0"}, {"Боря", "Base2", "0", "0"}});
        b.SetBases({"Base1", "Base2"});
        WriteRows(b.File("Base1", "rashod"), {kRashodRow});
        WriteRows(b.File("Base2", "dohod"), {{"03.02.2024", "Зарплата", "100", "рубль", "", "Боря"}});
        WriteFileBytes(b.Folder("Base2") + "/Debt/debt0", "returns");
        b.Open("Аня", "Base1");
        // Saved once as the program saves it, so that a later save changes only what the test changes.
        TBaseLoader::SaveBase(b.state);
        TBaseLoader::SaveKindsAndPurses(b.state);
        SaveLastUser(b.Root(), "Аня");
        TIniStorage ini;
        ini.WriteString("path base", "path", Root());
        ini.WriteString("path base", "copypath", copies);
        ini.SaveToFile(Ini());
    }
    QString Root() const { return b.state.paths.dataRoot; }
    QString Ini() const { return b.home.ProgramData() + "/pathbase.ini"; }
    QString IniValue(const char* key) const {
        TIniStorage ini;
        ini.LoadFromFile(Ini());
        return ini.ReadString("path base", key, "NO");
    }
};

TMessage Confirmation(const QString& root, const QString& copies) {
    QStringList lines;
    if (!root.isEmpty())
        lines << "Ваши базы будут храниться в папке"
              << "\"" + JoinPath(root, "BASE") + "\""
              << "(Папка \"BASE\" добавляется для внутренних целей программы)";
    if (!copies.isEmpty())
        lines << "Ежедневные резервные копии баз будут храниться в папке"
              << "\"" + copies + "\"";
    lines << "Подтверждаете?";
    return Question(lines, TMsgButton::Yes);
}

TMessage DeleteQuestion(const QString& oldRoot, const QString& newRoot) {
    return Question({"Базы программы скопированы из папки", "\"" + oldRoot + "\"",
                     "в папку \"" + newRoot + "\".", "Удалить папку \"" + oldRoot + "/BASE\"?"},
                    TMsgButton::No);
}

const TMessage kNested = Error({"Папка для резервных копий не может быть вложена", "в папку баз программы."});

// Every file under a folder with its bytes.
std::map<QString, QByteArray> Files(const QString& folder) {
    std::map<QString, QByteArray> out;
    for (const QString& path : TreeOf(folder)) {
        if (QFileInfo(folder + "/" + path).isFile()) out[path] = ReadFileBytes(folder + "/" + path);
    }
    return out;
}

} // namespace

TEST(BaseLocation, ABackupFolderInsideTheBaseFolderIsRefusedHoweverItIsWritten) {
    TPlace p;
    const QString root = p.Root(); // ends with "/"
    const QString home = p.b.home.Path();
    ::symlink(QFile::encodeName(root + "BASE").constData(), QFile::encodeName(home + "/link").constData());
    const struct {
        QString root, copies;
    } refused[] = {
        {root, root + "BASE"},
        {root, root + "BASE/"},
        {root, root + "BASE/Копии"},
        {root, root.chopped(1) + "//BASE//Копии"},
        {root.chopped(1), root + "BASE"},
        {root + "/", root + "BASE/"},
        {root, root + "./BASE/x/.."},
        {root, home + "/link/Копии"},
        {home + "/new", home + "/new/BASE/Копии"},
        // Inside the BASE folder the bases are leaving: it is copied along, and may then be deleted.
        {home + "/new", root + "BASE/Копии"},
    };
    const QByteArray ini = ReadFileBytes(p.Ini());
    for (const auto& c : refused) {
        SCOPED_TRACE((c.root + " | " + c.copies).toStdString());
        TMessageRecorder boxes;
        EXPECT_FALSE(p.location.ChangeBaseLocation(c.root, c.copies));
        EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{kNested});
        EXPECT_EQ(p.Root(), root);
        EXPECT_EQ(p.b.state.paths.backupCopyFolder, p.copies);
    }
    EXPECT_EQ(ReadFileBytes(p.Ini()), ini);

    // Beside BASE, or elsewhere on the same disk, is accepted: the confirmation comes.
    for (const QString& copies : {root + "BASEcopies", home + "/Копии"}) {
        TMessageRecorder boxes;
        boxes.AnswerNo();
        EXPECT_TRUE(p.location.ChangeBaseLocation(root, copies));
        EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Confirmation("", copies)});
    }
    EXPECT_EQ(p.b.state.paths.backupCopyFolder, p.copies);
}

TEST(BaseLocation, UnchangedFieldsCloseSilentlyAndUnusableOnesAreRefused) {
    TPlace p;
    TMessageRecorder boxes;
    EXPECT_TRUE(p.location.ChangeBaseLocation(p.Root(), p.copies));
    EXPECT_TRUE(boxes.Boxes().empty());
    const QString home = p.b.home.Path();
    WriteFileBytes(home + "/file", "x");
    const QString rootField = "\"Папка для хранения баз программы\".";
    const QString fullPath = "Полный путь начинается с символа \"/\".";
    const QString copyField = "\"Папка для хранения ежедневных копий баз\".";
    const QString longName = home + "/" + QString(128, QChar(0x44F)); // 256 bytes in UTF-8
    const struct {
        QString root, copies;
        QStringList error;
    } cases[] = {
        {"", p.copies, {"Укажите полный путь к папке", rootField}},
        {"   ", p.copies, {"Укажите полный путь к папке", rootField}},
        {"Книги", p.copies, {"Укажите полный путь к папке", rootField, fullPath}},
        {"~/Книги", p.copies, {"Укажите полный путь к папке", rootField, fullPath}},
        {home + "/Кни\tги",
         p.copies,
         {"Путь к папке содержит управляющие символы", rootField,
          "Удалите табуляцию, перевод строки и другие непечатаемые символы."}},
        {p.Root(),
         home + "/Копии\n",
         {"Путь к папке содержит управляющие символы", copyField,
          "Удалите табуляцию, перевод строки и другие непечатаемые символы."}},
        {longName + "/Книги",
         p.copies,
         {"Слишком длинный путь к папке", rootField, "Сократите имена папок в пути."}},
        {home + "/file",
         p.copies,
         {"Путь к папке ведет к файлу:", "\"" + home + "/file\"", "Укажите папку в поле " + rootField}},
        {p.Root(),
         home + "/file/Копии",
         {"Путь к папке ведет к файлу:", "\"" + home + "/file/Копии\"", "Укажите папку в поле " + copyField}},
        {p.Root(), "", {"Укажите полный путь к папке", copyField}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.root + " | " + c.copies).toStdString());
        boxes.Reset();
        EXPECT_FALSE(p.location.ChangeBaseLocation(c.root, c.copies));
        EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error(c.error)});
    }
    EXPECT_EQ(p.Root(), p.b.home.ProgramData() + "/");
    EXPECT_EQ(p.b.state.paths.backupCopyFolder, p.copies);
}

// The characters Windows keeps out of a path are ordinary ones on Linux: a folder named with them is
// taken, made when missing, and the bases moved there.
TEST(BaseLocation, LinuxPathsWithAnyPrintableCharacterAreTaken) {
    TPlace p;
    const QString newRoot = p.b.home.Path() + "/Мои книги/2024.01, копия+*?<>|:\"";
    const QString newCopies = p.b.home.Path() + "/./Копии.d/";
    TMessageRecorder boxes;
    boxes.AnswerYes();
    boxes.AnswerNo();
    EXPECT_TRUE(p.location.ChangeBaseLocation(newRoot, newCopies));
    EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{Confirmation(newRoot, newCopies),
                                                    DeleteQuestion(p.b.home.ProgramData() + "/", newRoot)}));
    EXPECT_EQ(p.Root(), newRoot + "/");
    EXPECT_EQ(RowsOfFile(newRoot + "/BASE/Base1/rashod"), std::vector<QStringList>{kRashodRow});
    EXPECT_EQ(p.IniValue("path"), newRoot + "/");
    EXPECT_EQ(p.IniValue("copypath"), newCopies);
}

TEST(BaseLocation, AFolderThatCannotBeWrittenIsRefused) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes in any folder";
    TPlace p;
    const QString locked = p.b.home.Path() + "/locked";
    ASSERT_TRUE(QDir().mkpath(locked));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0500), 0);
    TMessageRecorder boxes;
    for (const QString& root : {locked, locked + "/Книги/BASE"}) {
        boxes.Reset();
        EXPECT_FALSE(p.location.ChangeBaseLocation(root, p.copies));
        const QString advice = "Проверьте настройки безопасности папки у текущего пользователя.";
        EXPECT_EQ(boxes.Boxes(),
                  std::vector<TMessage>{Error({"Нет доступа к папке", "\"" + root + "\"", advice})});
    }
    ::chmod(QFile::encodeName(locked).constData(), 0700);
}

TEST(BaseLocation, MovingCopiesTheWholeBaseTreeAndOffersToDeleteTheOld) {
    for (const bool deleteOld : {false, true}) {
        SCOPED_TRACE(deleteOld ? "delete the old BASE" : "keep the old BASE");
        TPlace p;
        const QString oldRoot = p.Root();
        const QString oldBase = p.b.Root();
        const QString newRoot = p.b.home.Path() + "/Книги";
        const QString newCopies = p.b.home.Path() + "/Копии";
        // What is already there stays: a file of someone else's, and one left by an earlier attempt.
        WriteFileBytes(newRoot + "/BASE/notes.txt", "не трогать");
        WriteFileBytes(newRoot + "/BASE/Base2/dohod", ReadFileBytes(oldBase + "/Base2/dohod"));
        // Unsaved work reaches the new place: the move saves first.
        p.b.state.Table(TTableKind::Rashod)
            .InsertRow(0)
            ->SetCells({"02.02.2024", "Еда", "Молоко", "80", "рубль", "", "Аня"});

        TMessageRecorder boxes;
        boxes.AnswerYes();
        boxes.Answer(deleteOld ? TMsgButton::Yes : TMsgButton::No);
        EXPECT_TRUE(p.location.ChangeBaseLocation(newRoot, newCopies));
        EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{Confirmation(newRoot, newCopies),
                                                        DeleteQuestion(oldRoot, newRoot)}));

        std::map<QString, QByteArray> copied = Files(newRoot + "/BASE");
        EXPECT_EQ(copied.erase("notes.txt"), 1u);
        // The open base's lock is not copied: it is taken anew in the base's new folder.
        EXPECT_EQ(copied.erase("Base1/" + baselock::kFileName), 1u);
        EXPECT_EQ(ReadFileBytes(newRoot + "/BASE/notes.txt"), "не трогать");
        EXPECT_TRUE(copied.count("user") && copied.count("baseuser") && copied.count("Base2/Debt/debt0") &&
                    copied.count("Base2/dohod"));
        EXPECT_EQ(RowsOfFile(newRoot + "/BASE/Base1/rashod").size(), 2u);
        if (deleteOld) {
            EXPECT_FALSE(QFileInfo::exists(oldBase));
        } else {
            EXPECT_EQ(copied, Files(oldBase));
        }
        EXPECT_EQ(p.Root(), newRoot + "/");
        EXPECT_EQ(p.b.state.baseFolder, newRoot + "/BASE/Base1");
        EXPECT_EQ(p.b.state.paths.backupCopyFolder, newCopies + "/");
        EXPECT_EQ(p.IniValue("path"), newRoot + "/");
        EXPECT_EQ(p.IniValue("copypath"), newCopies + "/");
        EXPECT_EQ(p.filterNone, 1);
        EXPECT_GE(p.location.Copier().FilesCopied(), 6);
    }
}

TEST(BaseLocation, TheBasesMoveWithoutTheirLocksAndNotWhileAnotherProgramHasOneOpen) {
    TPlace p;
    HoldOpenBase(p.b.state);
    const QString oldRoot = p.Root();
    const QString oldBase = p.b.Root();
    const QString newRoot = p.b.home.Path() + "/Книги";
    WriteOtherProgramsLock(p.b.Folder("Base2"));
    {
        TMessageRecorder boxes;
        EXPECT_FALSE(p.location.ChangeBaseLocation(newRoot, p.copies));
        EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{
                                     Confirmation(newRoot, ""),
                                     Info({"База \"Base2\" открыта в другой программе: " + kOtherHolder + ".",
                                           "Изменить её можно будет, когда та программа закроет базу."})}));
        EXPECT_FALSE(QFileInfo::exists(newRoot + "/BASE"));
        EXPECT_EQ(p.Root(), oldRoot);
        EXPECT_EQ(p.IniValue("path"), oldRoot);
    }
    // The other program has gone, its lock left behind: the bases move, no lock goes with them, and this
    // program's own lock follows its base.
    WriteOtherProgramsLock(p.b.Folder("Base2"), baselock::kAbandonedAfterSeconds + 60);
    TMessageRecorder boxes;
    boxes.AnswerYes();
    boxes.AnswerNo();
    EXPECT_TRUE(p.location.ChangeBaseLocation(newRoot, p.copies));
    EXPECT_EQ(boxes.Boxes(),
              (std::vector<TMessage>{Confirmation(newRoot, ""), DeleteQuestion(oldRoot, newRoot)}));
    EXPECT_TRUE(QFileInfo::exists(newRoot + "/BASE/Base2/dohod"));
    EXPECT_FALSE(QFileInfo::exists(newRoot + "/BASE/Base2/" + baselock::kFileName));
    EXPECT_EQ(LookAtBaseLock(newRoot + "/BASE/Base1").state, TBaseLockState::Own);
    EXPECT_FALSE(QFileInfo::exists(oldBase + "/Base1/" + baselock::kFileName));
}

TEST(BaseLocation, AFailedCopyKeepsTheDataRootAndSaysSo) {
    const struct {
        const char* name;
        std::function<void(const QString& oldBase, const QString& newBase)> prepare;
        bool newBaseExisted;
    } cases[] = {
        {"a file that cannot be read",
         [](const QString& oldBase, const QString&) {
             ::symlink("/nonexistent/vellumora", QFile::encodeName(oldBase + "/Base1/picture").constData());
         },
         false},
        {"a place that cannot be written",
         [](const QString&, const QString& newBase) { QDir().mkpath(newBase + "/Base1/rashod"); }, true},
        {"a different file already there",
         [](const QString&, const QString& newBase) {
             WriteFileBytes(newBase + "/user", "чужие пользователи");
         },
         true},
        // The bases there were to be replaced: they come back whole.
        {"bases there to replace",
         [](const QString& oldBase, const QString& newBase) {
             WriteRows(newBase + "/baseuser", {{"Дача"}});
             WriteRows(newBase + "/Дача/rashod", {kRashodRow});
             ::symlink("/nonexistent/vellumora", QFile::encodeName(oldBase + "/Base1/picture").constData());
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPlace p;
        const QString oldRoot = p.Root();
        const QString oldBase = p.b.Root();
        const QString newRoot = p.b.home.Path() + "/Книги";
        c.prepare(oldBase, newRoot + "/BASE");
        const std::map<QString, QByteArray> oldFiles = Files(oldBase);
        const QStringList newTree = TreeOf(newRoot + "/BASE");
        const std::map<QString, QByteArray> newFiles = Files(newRoot + "/BASE");
        const QByteArray ini = ReadFileBytes(p.Ini());
        const bool theirBases = QFileInfo::exists(newRoot + "/BASE/baseuser");

        TMessageRecorder boxes;
        boxes.AnswerYes();
        boxes.AnswerYes();
        EXPECT_FALSE(p.location.ChangeBaseLocation(newRoot, p.copies));
        const TMessage confirmation = Confirmation(newRoot, "");
        const TMessage replace = Question({"В выбранной папке \"" + newRoot + "\"",
                                           "уже существуют базы программы.", "Заменить на текущие базы?"},
                                          TMsgButton::No);
        const TMessage failed =
            Error({"Не удалось скопировать базы программы в папку", "\"" + newRoot + "/BASE\""});
        EXPECT_EQ(boxes.Boxes(), (theirBases ? std::vector<TMessage>{confirmation, replace, failed}
                                             : std::vector<TMessage>{confirmation, failed}));
        EXPECT_EQ(p.Root(), oldRoot);
        EXPECT_EQ(p.b.state.baseFolder, oldBase + "/Base1");
        EXPECT_EQ(ReadFileBytes(p.Ini()), ini);
        EXPECT_EQ(Files(oldBase), oldFiles);
        // What this copy made is taken away; what was there stays.
        EXPECT_EQ(QFileInfo::exists(newRoot + "/BASE"), c.newBaseExisted);
        EXPECT_EQ(TreeOf(newRoot + "/BASE"), newTree);
        EXPECT_EQ(Files(newRoot + "/BASE"), newFiles);
        EXPECT_EQ(QDir(newRoot).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  c.newBaseExisted ? QStringList{"BASE"} : QStringList{});
        EXPECT_EQ(p.filterNone, 0);
    }
}

TEST(BaseLocation, AFolderThatHoldsBasesIsOpenedReplacedOrLeft) {
    enum class TEnd { Opened, Left, Replaced };
    const struct {
        const char* name;
        std::vector<TMsgButton> answers; // after the confirmation
        TEnd end;
    } cases[] = {
        {"open them", {TMsgButton::No, TMsgButton::Yes}, TEnd::Opened},
        {"leave them", {TMsgButton::No, TMsgButton::No}, TEnd::Left},
        {"replace them", {TMsgButton::Yes, TMsgButton::No}, TEnd::Replaced},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPlace p;
        const QString oldRoot = p.Root();
        const QString newRoot = p.b.home.Path() + "/Чужие";
        const QString newCopies = p.b.home.Path() + "/Копии";
        WriteRows(newRoot + "/BASE/baseuser", {{"Дача"}});
        WriteRows(newRoot + "/BASE/user", {{"Дед", "Дача", "1", "0"}});
        const std::map<QString, QByteArray> theirs = Files(newRoot + "/BASE");
        const QByteArray ini = ReadFileBytes(p.Ini());

        TMessageRecorder boxes;
        boxes.AnswerYes();
        for (TMsgButton a : c.answers)
            boxes.Answer(a);
        EXPECT_TRUE(p.location.ChangeBaseLocation(newRoot, newCopies));
        const TMessage third =
            c.end == TEnd::Replaced
                ? DeleteQuestion(oldRoot, newRoot)
                : Question({"Открыть базы, которые хранятся в папке", "\"" + newRoot + "\"?"},
                           TMsgButton::Yes);
        EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{
                                     Confirmation(newRoot, newCopies),
                                     Question({"В выбранной папке \"" + newRoot + "\"",
                                               "уже существуют базы программы.", "Заменить на текущие базы?"},
                                              TMsgButton::No),
                                     third}));
        EXPECT_EQ(p.b.state.paths.backupCopyFolder, newCopies + "/");
        EXPECT_EQ(p.filterNone, 1);

        switch (c.end) {
        case TEnd::Opened:
            EXPECT_EQ(p.Root(), newRoot + "/");
            EXPECT_EQ(p.IniValue("path"), newRoot + "/");
            // The daily copies' folder is kept for this run only.
            EXPECT_EQ(p.IniValue("copypath"), p.copies);
            EXPECT_EQ(BaseNames(p.b.state), QStringList{"Дача"});
            EXPECT_EQ(p.b.state.users.Row(0)->Cell(0), "Дед");
            EXPECT_EQ(p.loginShown, 1);
            EXPECT_EQ(p.firstSection, 1);
            EXPECT_EQ(Files(newRoot + "/BASE"), theirs);
            break;
        case TEnd::Left:
            EXPECT_EQ(p.Root(), oldRoot);
            EXPECT_EQ(ReadFileBytes(p.Ini()), ini);
            EXPECT_EQ(p.loginShown, 0);
            EXPECT_EQ(Files(newRoot + "/BASE"), theirs);
            break;
        case TEnd::Replaced:
            EXPECT_EQ(p.Root(), newRoot + "/");
            {
                std::map<QString, QByteArray> moved = Files(newRoot + "/BASE");
                EXPECT_EQ(moved.erase("Base1/" + baselock::kFileName), 1u);
                EXPECT_EQ(moved, Files(p.b.home.ProgramData() + "/BASE"));
            }
            EXPECT_EQ(p.loginShown, 0);
            break;
        }
    }
}

TEST(BaseLocation, TheSameFolderWrittenAnotherWayIsNeitherCopiedNorOfferedForDeletion) {
    TPlace p;
    const QString root = p.Root();
    ::symlink(QFile::encodeName(root).constData(), QFile::encodeName(p.b.home.Path() + "/link").constData());
    for (const QString& alias :
         {root.chopped(1), p.b.home.Share() + "//Quorvane//", p.b.home.Path() + "/link"}) {
        SCOPED_TRACE(alias.toStdString());
        const std::map<QString, QByteArray> files = Files(p.b.Root());
        TMessageRecorder boxes;
        boxes.AnswerYes();
        EXPECT_TRUE(p.location.ChangeBaseLocation(alias, p.copies));
        EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Confirmation(alias, "")});
        EXPECT_EQ(p.Root(), root);
        EXPECT_EQ(p.IniValue("path"), root);
        EXPECT_EQ(Files(p.b.Root()), files);
        EXPECT_EQ(p.location.Copier().FilesCopied(), 0);
    }
}

TEST(BaseLocation, BaseFoldersInsideEachOtherAreRefused) {
    TPlace p;
    const QString home = p.b.home.Path();
    const TMessage refused = Error({"Новая папка баз программы не может быть вложена",
                                    "в текущую папку баз программы или содержать её."});
    TMessageRecorder boxes;
    // The new BASE inside the old one would be copied into itself.
    EXPECT_FALSE(p.location.ChangeBaseLocation(p.Root() + "BASE/Base1", p.copies));
    // The old BASE inside the new one would be deleted with it.
    p.b.state.paths.dataRoot = home + "/top/BASE/inner/";
    EXPECT_FALSE(p.location.ChangeBaseLocation(home + "/top", p.copies));
    EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{refused, refused}));
}

TEST(BaseLocation, APathBaseFileThatCannotBeOpenedClosesTheDialogWithNoChange) {
    TPlace p;
    QFile::remove(p.Ini());
    QDir().mkpath(p.Ini()); // a folder in its place cannot be opened for writing, not even by root
    TMessageRecorder boxes;
    EXPECT_TRUE(p.location.ChangeBaseLocation(p.b.home.Path() + "/Книги", p.copies));
    EXPECT_EQ(boxes.Boxes(),
              std::vector<TMessage>{Error({"Доступ к файлу " + p.Ini() + " запрещен.",
                                           "Проверьте параметры безопасности для указанного файла."})});
    EXPECT_EQ(p.Root(), p.b.home.ProgramData() + "/");
    EXPECT_FALSE(QFileInfo::exists(p.b.home.Path() + "/Книги"));
}

TEST(BaseLocation, TheDiagnosticsReportListsReadOnlyAndSystemPaths) {
    TPlace p;
    const QString root = p.Root();
    const QString base = p.b.Root();
    const QString folder = p.b.state.baseFolder;
    EXPECT_EQ(RunDiagnostics(TAttributeChecks([](const QString&) { return 0; }), root, folder),
              QStringList{"Неполадок не обнаружено."});

    const TAttributeChecks checks([&](const QString& path) {
        if (path == folder + "/rashod") return fileattr::ReadOnly | fileattr::System;
        if (path == base || path == base + "/user") return fileattr::ReadOnly;
        return 0;
    });
    EXPECT_EQ(
        RunDiagnostics(checks, root, folder),
        (QStringList{"Файлы и(или) папки программы, которые доступны только для чтения:", "", "   " + base,
                     "   " + folder + "/rashod", "   " + base + "/user", "   " + base, "",
                     "Файлы и(или) папки программы, которые являются системными:", "",
                     "   " + folder + "/rashod", "",
                     "Возможны проблемы с сохранением данных в папку или файл с указанными атрибутами.",
                     "Рекомендуется сменить атрибуты файлов или папок, которые указаны данном списке."}));
}
