#include "storage/tstartlocks.h"

#include "messagerecorder.h"
#include "storage/datafolders.h"
#include "testfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

// An environment variable set (or, with no value, removed) while the object lives.
class TEnvSetting {
public:
    TEnvSetting(const char* name, const std::optional<QString>& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_previous(qgetenv(name)) {
        if (value)
            qputenv(name, QFile::encodeName(*value));
        else
            qunsetenv(name);
    }
    ~TEnvSetting() {
        if (m_had)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_previous;
};

} // namespace

TEST(TStartLocks, ASecondInstanceOfTheSameProgramStopsSilently) {
    TTestDataHome home;
    QTemporaryDir runtime;
    TEnvSetting runtimeFolder("XDG_RUNTIME_DIR", runtime.path());
    const QString program = home.Path() + "/bin/vellumora";
    ASSERT_TRUE(WriteFileBytes(program, "x"));
    TMessageRecorder boxes;
    TStartLocks first, second;
    ASSERT_TRUE(first.TakeInstanceLock(program));
    EXPECT_EQ(first.InstanceLock().Path(), runtime.path() + "/" + InstanceLockName(program));
    EXPECT_FALSE(QFileInfo::exists(program + ".lock"));
    EXPECT_FALSE(second.TakeInstanceLock(program));
    EXPECT_TRUE(boxes.Boxes().empty());
    first.Release();
    // The lock file stays behind and does not block the next start.
    EXPECT_TRUE(QFileInfo::exists(first.InstanceLock().Path()));
    EXPECT_TRUE(second.TakeInstanceLock(program));
}

// Another account has its own runtime folder: the same installation starts for it while this one runs.
TEST(TStartLocks, AnotherAccountStartsTheSameInstallation) {
    TTestDataHome home;
    QTemporaryDir mine, theirs;
    const QString program = home.Path() + "/bin/vellumora";
    TStartLocks first, second;
    {
        TEnvSetting runtimeFolder("XDG_RUNTIME_DIR", mine.path());
        ASSERT_TRUE(first.TakeInstanceLock(program));
    }
    TEnvSetting runtimeFolder("XDG_RUNTIME_DIR", theirs.path());
    EXPECT_TRUE(second.TakeInstanceLock(program));
    EXPECT_TRUE(second.InstanceLock().IsHeld());
    EXPECT_TRUE(first.InstanceLock().IsHeld());
}

TEST(TStartLocks, TwoProgramFilesHaveTwoLocks) {
    TTestDataHome home;
    TStartLocks first, second;
    ASSERT_TRUE(first.TakeInstanceLock(home.Path() + "/one/vellumora"));
    EXPECT_TRUE(second.TakeInstanceLock(home.Path() + "/two/vellumora"));
    EXPECT_NE(first.InstanceLock().Path(), second.InstanceLock().Path());
    // The name is made from the whole path, however the path is written.
    EXPECT_EQ(InstanceLockName(home.Path() + "/one/vellumora"),
              InstanceLockName(home.Path() + "/one/../one/vellumora"));
}

// Where the lock goes when the runtime folder is missing or cannot take a file, and that a lock that
// cannot be created anywhere lets the program start.
TEST(TStartLocks, WhereTheInstanceLockLives) {
    QTemporaryDir runtime, temp;
    const QString unwritable = "/proc/self"; // not even root creates a file there
    struct Case {
        const char* what;
        std::optional<QString> runtimeFolder;
        QString tempFolder;
        QString lockFolder; // empty: no lock file, the program starts all the same
    } const cases[] = {
        {"the runtime folder", runtime.path(), temp.path(), runtime.path()},
        {"no runtime folder", std::nullopt, temp.path(), temp.path()},
        {"an empty runtime folder name", QString(), temp.path(), temp.path()},
        {"a runtime folder that is gone", runtime.path() + "/gone", temp.path(), temp.path()},
        {"a runtime folder that takes no file", unwritable, temp.path(), temp.path()},
        {"no folder takes the lock", unwritable, unwritable, QString()},
    };
    const QString program = "/opt/vellumora/vellumora";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TEnvSetting runtimeFolder("XDG_RUNTIME_DIR", c.runtimeFolder);
        TEnvSetting tempFolder("TMPDIR", c.tempFolder);
        TMessageRecorder boxes;
        TStartLocks first, second;
        EXPECT_TRUE(first.TakeInstanceLock(program));
        EXPECT_TRUE(boxes.Boxes().empty());
        if (c.lockFolder.isEmpty()) {
            EXPECT_FALSE(first.InstanceLock().IsHeld());
            continue;
        }
        EXPECT_EQ(first.InstanceLock().Path(), c.lockFolder + "/" + InstanceLockName(program));
        EXPECT_FALSE(second.TakeInstanceLock(program));
    }
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
             "\" у текущего пользователя."})};
    EXPECT_EQ(boxes.Boxes(), expected);
    first.Release();
    boxes.Reset();
    EXPECT_TRUE(second.TakeAccessLock(ProgramDataFolder()));
    EXPECT_TRUE(boxes.Boxes().empty());
}
