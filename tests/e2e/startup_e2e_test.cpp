// The real program started twice, from a second installation, and after a crash.
#include "e2edriver.h"

#include "testfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

class StartupE2E : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveE2ETools())
            GTEST_SKIP() << "Xvfb and xdotool are needed";
        ASSERT_TRUE(display.IsUp());
    }
    TVirtualDisplay display;
    QTemporaryDir home;
};

} // namespace

TEST_F(StartupE2E, ASecondStartEndsAtOnceAndASecondInstallationIsRefused) {
    TE2EProgram first(display, home.path());
    ASSERT_TRUE(first.Start());
    ASSERT_FALSE(first.WaitWindow("^Войти$").isEmpty()) << first.Output().toStdString();
    EXPECT_TRUE(QFileInfo::exists(TE2EProgram::ProgramPath() + ".lock"));
    EXPECT_TRUE(QFileInfo::exists(first.DataFolder() + "/accessible.lock"));
    EXPECT_EQ(QFileInfo(first.DataFolder()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);

    TE2EProgram again(display, home.path());
    ASSERT_TRUE(again.Start());
    EXPECT_TRUE(again.WaitExit(5000));
    EXPECT_EQ(again.ExitCode(), 0);

    // The same program copied to another folder passes its own lock but not the books' one.
    QTemporaryDir otherInstall;
    QProcess::execute("cp", {"-a", QFileInfo(TE2EProgram::ProgramPath()).absolutePath() + "/.", otherInstall.path()});
    QFile::remove(otherInstall.path() + "/vellumora.lock");
    TE2EProgram second(display, home.path(), otherInstall.path() + "/vellumora");
    ASSERT_TRUE(second.Start());
    const QString box = second.WaitWindow("^  Ошибка$");
    ASSERT_FALSE(box.isEmpty());
    second.Keys(box, {"Return"});
    EXPECT_TRUE(second.WaitExit(5000));
    EXPECT_TRUE(first.IsRunning());
}

TEST_F(StartupE2E, LocksLeftByACrashDoNotStopTheNextStart) {
    {
        TE2EProgram crashed(display, home.path());
        ASSERT_TRUE(crashed.Start());
        ASSERT_FALSE(crashed.WaitWindow("^Войти$").isEmpty());
        crashed.Kill();
    }
    TE2EProgram next(display, home.path());
    ASSERT_TRUE(next.Start());
    const QString login = next.WaitWindow("^Войти$");
    ASSERT_FALSE(login.isEmpty()) << "running: " << next.IsRunning() << " exit " << next.ExitCode() << "\n"
                                  << next.Output().toStdString() << "\nwindows: "
                                  << next.Xdotool({"search", "--name", "."}).toStdString();
    // "Отмена" on the log-in dialog ends the program.
    next.Keys(login, {"Escape"});
    EXPECT_TRUE(next.WaitExit(5000));
}
