// Archives and the lock a program keeps in the base it has open: the lock is never packed nor taken from
// an archive, no archive is restored over a base another program has open, and a base open read-only is
// neither restored over, nor archived, nor copied at the day's end.
#include "arhivefixture.h"

#include "backup/tdailyarhive.h"
#include "ledger/basechanges.h"
#include "storage/tbaselock.h"
#include "users/basehold.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QString LockIn(const QString& folder) {
    return folder + "/" + baselock::kFileName;
}

TEST_F(ArhiveTest, TheLockIsNeitherPackedNorTakenFromAnArchive) {
    HoldOpenBase(books.state);
    ASSERT_TRUE(QFileInfo::exists(LockIn(books.Folder("Base1"))));
    const QString packed = Pack();
    EXPECT_FALSE(EntryNames(packed).contains(baselock::kFileName));
    EXPECT_TRUE(EntryNames(packed).contains("rashod"));

    // An archive that carries a lock (made by hand, or by another program): the base keeps its own.
    std::vector<TRawEntry> entries;
    for (const auto& [rel, bytes] : Snapshot(books.Folder("Base1")))
        entries.emplace_back(rel.toUtf8(),
                             rel == baselock::kFileName ? QByteArray("a lock of the past") : bytes);
    const QString carrying = books.home.Path() + "/carrying.zip";
    WriteFileBytes(carrying, BuildZip(entries));
    TMessageRecorder messages;
    EXPECT_EQ(restore.RestoreOver(carrying), TArhiveRestore::TResult::Replaced);
    EXPECT_EQ(LookAtBaseLock(books.Folder("Base1")).state, TBaseLockState::Own);
    EXPECT_EQ(RowsOfFile(LockIn(books.Folder("Base1"))).at(0).value(3), QString::number(::getpid()));
}

TEST_F(ArhiveTest, NoArchiveIsRestoredAsANewBaseOverOneAnotherProgramHasOpen) {
    const QString packed = Pack();
    WriteFileBytes(books.File("Base2", "rashod"), "Base2's own");
    WriteOtherProgramsLock(books.Folder("Base2"));
    const auto before = Snapshot(books.Folder("Base2"));
    newName = "Base2";
    TMessageRecorder messages;
    EXPECT_EQ(restore.Restore(packed), TArhiveRestore::TResult::Cancelled);
    EXPECT_EQ(messages.Boxes(),
              (std::vector<TMessage>{kAskReplace,
                                     Info({"База \"Base2\" открыта в другой программе: " + kOtherHolder + ".",
                                           "Изменить её можно будет, когда та программа закроет базу."})}));
    EXPECT_EQ(Snapshot(books.Folder("Base2")), before);
}

TEST_F(ArhiveTest, ABaseOpenReadOnlyIsNotRestoredOverArchivedNorCopiedDaily) {
    const QString packed = Pack();
    WriteOtherProgramsLock(books.Folder("Base1"));
    HoldOpenBase(books.state);
    ASSERT_TRUE(books.state.readOnly);
    const auto before = Snapshot(books.Folder("Base1"));
    TMessageRecorder messages;
    messages.AnswerYes();
    EXPECT_EQ(restore.Restore(packed), TArhiveRestore::TResult::Cancelled);
    EXPECT_EQ(messages.Boxes(), std::vector<TMessage>{kAskReplace});
    EXPECT_EQ(messages.Beeps(), 1);
    EXPECT_FALSE(arhive::MakeArchive(books.state, books.home.Path() + "/made.zip"));
    EXPECT_EQ(messages.Beeps(), 2);
    EXPECT_FALSE(QFileInfo::exists(books.home.Path() + "/made.zip"));
    TDailyArhive daily{books.state};
    EXPECT_FALSE(daily.Write(QDate(2024, 3, 7)));
    EXPECT_FALSE(QFileInfo::exists(daily.DayFile(QDate(2024, 3, 7))));
    EXPECT_EQ(Snapshot(books.Folder("Base1")), before);
}

} // namespace
