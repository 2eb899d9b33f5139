#include "storage/datafolders.h"

#include "messagerecorder.h"
#include "storage/tinistorage.h"
#include "testfolders.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

QStringList DamagedLines() {
    return {"Базы программы повреждены!", "Vellumora откроет базы,",
            "которые находятся в папке по умолчанию.", "После входа в программу укажите путь",
            "к Вашим базам данных"};
}

QStringList MissingFolderLines(const QString& path) {
    return {"Базы программы по указанному пути",
            path,
            "не найдены.",
            "Vellumora откроет базы,",
            "которые находятся в папке по умолчанию.",
            "После входа в программу укажите путь",
            "к Вашим базам данных"};
}

struct Resolved {
    QString root, copy;
};

Resolved Resolve() {
    return {ResolveDataRoot(ProgramDataFolder()), ResolveBackupCopyFolder(ProgramDataFolder())};
}

} // namespace

TEST(DataFolders, FoldersLiveInTheSharedDataFolder) {
    TTestDataHome home;
    EXPECT_EQ(ProgramDataFolder(), home.ProgramData());
    EXPECT_EQ(DefaultBackupCopyFolder(), home.Share() + "/QuorvaneCopy/");
    EXPECT_TRUE(QFileInfo(home.Share() + "/QuorvaneCopy").isDir());
    EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
}

TEST(DataFolders, EveryPathBaseCaseGivesItsBoxOnceAndLeavesTheDefault) {
    const struct {
        const char* name;
        QByteArray content; // null: no file
        bool isMissingFolder;
        bool damaged;
    } cases[] = {
        {"missing", QByteArray(), false, false},
        {"empty", QByteArray(""), false, true},
        {"without path", QByteArray("[path base]\r\ncopypath=/tmp/\r\n"), false, true},
        {"deleted folder", QByteArray("[path base]\r\npath=/nonexistent/vellumora/\r\n"), true, false},
        {"unreadable", QByteArray("\x00\x01\x02\xff binary", 11), false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTestDataHome home;
        const QString ini = home.ProgramData() + "/pathbase.ini";
        if (!c.content.isNull()) {
            ASSERT_TRUE(WriteFileBytes(ini, c.content));
        }
        TMessageRecorder boxes;
        const Resolved first = Resolve();
        EXPECT_EQ(first.root, home.ProgramData() + "/");
        std::vector<TMessage> expected;
        if (c.damaged) expected.push_back(Info(DamagedLines()));
        if (c.isMissingFolder) expected.push_back(Info(MissingFolderLines("/nonexistent/vellumora/")));
        EXPECT_EQ(boxes.Boxes(), expected);

        TIniStorage written;
        ASSERT_TRUE(written.LoadFromFile(ini));
        EXPECT_EQ(written.ReadString("path base", "path", "NO"), home.ProgramData() + "/");
        EXPECT_NE(written.ReadString("path base", "copypath", "NO"), "NO");

        boxes.Reset();
        const Resolved second = Resolve();
        EXPECT_EQ(second.root, first.root);
        EXPECT_EQ(second.copy, first.copy);
        EXPECT_TRUE(boxes.Boxes().empty());
    }
}

TEST(DataFolders, AnExistingDataRootAndCopyFolderAreKept) {
    TTestDataHome home;
    const QString root = home.Path() + "/books";
    const QString copies = home.Path() + "/backups/";
    QDir().mkpath(root);
    QDir().mkpath(copies);
    ASSERT_TRUE(WriteFileBytes(home.ProgramData() + "/pathbase.ini",
                               ("[path base]\r\npath=" + root + "\r\ncopypath=" + copies + "\r\n").toUtf8()));
    TMessageRecorder boxes;
    const Resolved r = Resolve();
    EXPECT_EQ(r.root, root + "/");
    EXPECT_EQ(r.copy, copies);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(DataFolders, TemplatesAreCopiedOnceIntoTheProgramDataFolder) {
    TTestDataHome home;
    const QString program = home.Path() + "/program";
    ASSERT_TRUE(WriteFileBytes(program + "/PageMaket/sub/a.ods", "A"));
    PrepareTemplateFolders(program, home.ProgramData());
    EXPECT_EQ(ReadFileBytes(home.ProgramData() + "/PageMaket/sub/a.ods"), "A");
    EXPECT_EQ(ReadFileBytes(home.ProgramData() + "/PageMaketDefault/sub/a.ods"), "A");
    ASSERT_TRUE(WriteFileBytes(home.ProgramData() + "/PageMaket/sub/a.ods", "user's own"));
    PrepareTemplateFolders(program, home.ProgramData());
    EXPECT_EQ(ReadFileBytes(home.ProgramData() + "/PageMaket/sub/a.ods"), "user's own");
}

// The installed templates are world-readable; the copies in the data folder are the owner's only,
// whatever the umask.
TEST(DataFolders, FoldersAndFilesTheProgramMakesAreItsOwnersOnly) {
    TTestDataHome home;
    const QString program = home.Path() + "/program";
    ASSERT_TRUE(WriteFileBytes(program + "/PageMaket/sub/a.ods", "A"));
    ASSERT_TRUE(WriteFileBytes(program + "/PageMaket/b.ods", "B"));
    for (const QString& folder : {program + "/PageMaket", program + "/PageMaket/sub"})
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    for (const QString& file : {program + "/PageMaket/sub/a.ods", program + "/PageMaket/b.ods"})
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0644), 0);

    const mode_t previous = ::umask(022);
    const QString root = ResolveDataRoot(ProgramDataFolder());
    const QString copies = ResolveBackupCopyFolder(ProgramDataFolder());
    PrepareTemplateFolders(program, home.ProgramData());
    ::umask(previous);

    QStringList made = {home.ProgramData(), root, copies, home.ProgramData() + "/pathbase.ini"};
    for (const char* copy : {"/PageMaket", "/PageMaketDefault"}) {
        made << home.ProgramData() + copy;
        QDirIterator it(home.ProgramData() + copy, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            made << it.next();
    }
    EXPECT_EQ(made.size(), 12);
    for (const QString& path : made) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
        EXPECT_EQ(st.st_mode & 07777, S_ISDIR(st.st_mode) ? 0700u : 0600u) << path.toStdString();
    }
}

TEST(DataFolders, ProgramFolderChecksReportWhatIsMissing) {
    TTestDataHome home;
    const QString program = home.Path() + "/program";
    QDir().mkpath(program + "/Icons");
    QDir().mkpath(program + "/NewUnloaded");
    TMessageRecorder boxes;
    CheckProgramFolder(program, [](const QString&) { return true; });
    EXPECT_TRUE(boxes.Boxes().empty());
    CheckProgramFolder(program, [](const QString&) { return false; });
    QDir(program + "/NewUnloaded").removeRecursively();
    CheckProgramFolder(program, [](const QString&) { return true; });
    const std::vector<TMessage> expected = {
        Error({"Отсутствует папка программы \"Icons\".", "Возможно некорректное отображение интерфейса.",
               "Рекомендуется переустановить программу"}),
        Error({"Отсутствует папка \"NewUnloaded\".", "Выгрузка таблиц программы в Excel будет невозможна.",
               "Рекомендуется переустановить программу"})};
    EXPECT_EQ(boxes.Boxes(), expected);
}
