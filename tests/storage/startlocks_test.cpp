#include "storage/tstartlocks.h"

#include "messagerecorder.h"
#include "storage/datafolders.h"
#include "testfolders.h"

#include <QFileInfo>

#include <gtest/gtest.h>

TEST(TStartLocks, ASecondInstanceOfTheSameProgramStopsSilently) {
    TTestDataHome home;
    const QString program = home.Path() + "/bin/vellumora";
    ASSERT_TRUE(WriteFileBytes(program, "x"));
    TMessageRecorder boxes;
    TStartLocks first, second;
    ASSERT_TRUE(first.TakeInstanceLock(program));
    EXPECT_EQ(first.InstanceLock().Path(), program + ".lock");
    EXPECT_FALSE(second.TakeInstanceLock(program));
    EXPECT_TRUE(boxes.Boxes().empty());
    first.Release();
    // The lock file stays behind and does not block the next start.
    EXPECT_TRUE(QFileInfo::exists(program + ".lock"));
    EXPECT_TRUE(second.TakeInstanceLock(program));
}

TEST(TStartLocks, ASecondInstallationIsRefusedTheBooks) {
    TTestDataHome home;
    TMessageRecorder boxes;
    TStartLocks first, second;
    ASSERT_TRUE(first.TakeAccessLock(ProgramDataFolder()));
    EXPECT_FALSE(second.TakeAccessLock(ProgramDataFolder()));
    const std::vector<TMessage> expected = {Error(
        {"Отказано в доступе.", "Возможно базы программы уже используются одной из версий Vellumora, или",
         "проверьте настройки безопасности для папки \"" + ProgramDataFolder() +
             "\" у текущего пользователя Windows."})};
    EXPECT_EQ(boxes.Boxes(), expected);
    first.Release();
    boxes.Reset();
    EXPECT_TRUE(second.TakeAccessLock(ProgramDataFolder()));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(TStartLocks, AProgramFolderWithoutWriteAccessLocksElsewhere) {
    TTestDataHome home;
    const QString program = "/proc/vellumora-not-writable/vellumora";
    TStartLocks first, second;
    ASSERT_TRUE(first.TakeInstanceLock(program));
    EXPECT_EQ(first.InstanceLock().Path(), FallbackInstanceLockPath(program));
    EXPECT_FALSE(second.TakeInstanceLock(program));
}
