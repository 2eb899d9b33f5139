// A run killed in the middle of a restore or of the daily copy: the next start clears what it left,
// and only that. The kills are real: the restore and the copy run in a child process that ends at once
// where the program would be killed.
#include "arhivefixture.h"

#include "backup/leftscratch.h"
#include "backup/tdailyarhive.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

constexpr int kKilled = 9;

class ArhiveDeathTest : public ArhiveTest {
protected:
    // A restore over the open base killed while it unpacks the archive.
    void KillRestoreOf(const QString& archive) {
        TArhiveHooks h = hooks();
        h.busy = [](bool on) {
            if (on) ::_exit(kKilled);
        };
        restore.SetHooks(h);
        EXPECT_EXIT(
            {
                TMessageRecorder messages;
                messages.AnswerYes();
                messages.AnswerYes();
                restore.Restore(archive);
            },
            ::testing::ExitedWithCode(kKilled), "");
        restore.SetHooks(hooks());
    }
};

TEST_F(ArhiveDeathTest, TheNextStartRemovesOnlyWhatAKilledRunLeft) {
    const QString home = books.home.Path();
    const QString archive = Pack();
    QDir().mkpath(home + "/x");
    const QString other = Pack("x/b.zip");
    const auto base = Snapshot(books.Folder("Base1"));

    KillRestoreOf(archive);
    KillRestoreOf(other);
    ASSERT_TRUE(QFileInfo(home + "/MyArviveInfo").isDir());
    ASSERT_TRUE(QFileInfo(home + "/x/MyArviveInfo").isDir());
    EXPECT_EQ(Snapshot(books.Folder("Base1")), base);
    // The second one's folder was cleared away by hand and the user made one of that name himself.
    QDir(home + "/x/MyArviveInfo").removeRecursively();
    WriteFileBytes(home + "/x/MyArviveInfo/мои заметки", "his own");
    WriteFileBytes(home + "/MyArviveInfo(1)/мои заметки", "his own");

    // A kill between packing the day's copy and giving it the day's name, and one while it was written.
    TDailyArhive daily(books.state);
    daily.afterPacking = [](const QString&) { ::_exit(kKilled); };
    EXPECT_EXIT(daily.Write(QDate(2024, 3, 7)), ::testing::ExitedWithCode(kKilled), "");
    const QString copies = daily.Folder();
    ASSERT_TRUE(QFileInfo(copies + "/.check-2024-03-07.zip").isFile());
    WriteFileBytes(copies + "/..check-2024-03-08.zip.tmp-Ab12Cd", "half written");
    const QStringList ownCopies = {"2024-03-06.zip", ".check-notes.zip", "check-2024-03-07.zip"};
    for (const QString& name : ownCopies)
        WriteFileBytes(copies + "/" + name, "the family's");
    // A base put together beside BASE when the run was killed.
    const QString dataRoot = books.state.paths.dataRoot;
    WriteFileBytes(dataRoot + ".vellumora-restore-Xy12Zq/base/rashod", "half replaced");
    WriteFileBytes(dataRoot + ".vellumora-restore-notes/keep", "not ours");

    RemoveLeftScratch(books.state.paths);

    EXPECT_FALSE(QFileInfo::exists(home + "/MyArviveInfo"));
    EXPECT_EQ(ReadFileBytes(home + "/x/MyArviveInfo/мои заметки"), "his own");
    EXPECT_EQ(ReadFileBytes(home + "/MyArviveInfo(1)/мои заметки"), "his own");
    EXPECT_FALSE(QFileInfo::exists(copies + "/.check-2024-03-07.zip"));
    EXPECT_FALSE(QFileInfo::exists(copies + "/..check-2024-03-08.zip.tmp-Ab12Cd"));
    QStringList left = QDir(copies).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    QStringList expected = ownCopies;
    expected.sort();
    EXPECT_EQ(left, expected);
    EXPECT_FALSE(QFileInfo::exists(dataRoot + ".vellumora-restore-Xy12Zq"));
    EXPECT_TRUE(QFileInfo::exists(dataRoot + ".vellumora-restore-notes/keep"));
    EXPECT_EQ(Snapshot(books.Folder("Base1")), base);
    // Nothing is left noted for the start after.
    EXPECT_FALSE(QFileInfo::exists(books.state.paths.programDataFolder + "/restore_scratch"));

    // A restore that ends, whichever way, notes nothing and leaves nothing.
    TMessageRecorder messages;
    messages.AnswerYes();
    messages.AnswerYes();
    EXPECT_EQ(restore.Restore(archive), TArhiveRestore::TResult::Replaced);
    EXPECT_FALSE(QFileInfo::exists(home + "/MyArviveInfo"));
    EXPECT_FALSE(QFileInfo::exists(books.state.paths.programDataFolder + "/restore_scratch"));
}

} // namespace
