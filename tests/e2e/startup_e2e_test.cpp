// The real program started twice, from a second installation, by a second account, after a crash, and
// with Qt's own dialogs in Russian.
#include "e2edriver.h"

#include "storage/tinstancelock.h"
#include "testfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

class StartupE2E : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveE2ETools()) GTEST_SKIP() << "Xvfb and xdotool are needed";
        ASSERT_TRUE(display.IsUp());
    }
    TVirtualDisplay display;
    QTemporaryDir home;
};

// A visible window of this very program: two programs may show the same caption at once.
QString WaitOwnWindow(TE2EProgram& program, const QString& captionRegex) {
    const QString pid = QString::number(program.Pid());
    QString found;
    WaitUntil([&] {
        const QString ids =
            program.Xdotool({"search", "--all", "--onlyvisible", "--pid", pid, "--name", captionRegex});
        if (!ids.isEmpty()) found = ids.split('\n').last();
        return !found.isEmpty();
    });
    return found;
}

} // namespace

TEST_F(StartupE2E, ASecondStartEndsAtOnceAndASecondInstallationIsRefused) {
    TE2EProgram first(display, home.path());
    ASSERT_TRUE(first.Start());
    ASSERT_FALSE(first.WaitWindow("^Войти$").isEmpty()) << first.Output().toStdString();
    // The driver gives the program the home as its runtime folder.
    EXPECT_TRUE(QFileInfo::exists(home.path() + "/" + InstanceLockName(TE2EProgram::ProgramPath())));
    EXPECT_TRUE(QFileInfo::exists(first.DataFolder() + "/accessible.lock"));
    EXPECT_EQ(QFileInfo(first.DataFolder()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);

    TE2EProgram again(display, home.path());
    ASSERT_TRUE(again.Start());
    EXPECT_TRUE(again.WaitExit(5000));
    EXPECT_EQ(again.ExitCode(), 0);

    // The same program copied to another folder passes its own lock but not the books' one.
    QTemporaryDir otherInstall;
    QProcess::execute(
        "cp", {"-a", QFileInfo(TE2EProgram::ProgramPath()).absolutePath() + "/.", otherInstall.path()});
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
                                  << next.Output().toStdString()
                                  << "\nwindows: " << next.Xdotool({"search", "--name", "."}).toStdString();
    // "Отмена" on the log-in dialog ends the program.
    next.Keys(login, {"Escape"});
    EXPECT_TRUE(next.WaitExit(5000));
}

// Another account on the machine (its own home and runtime folder) starts the same installation while
// the first one works.
TEST_F(StartupE2E, AnotherAccountStartsTheSameInstallation) {
    TE2EProgram first(display, home.path());
    ASSERT_TRUE(first.Start());
    ASSERT_FALSE(WaitOwnWindow(first, "^Войти$").isEmpty()) << first.Output().toStdString();

    QTemporaryDir otherHome;
    TE2EProgram other(display, otherHome.path());
    ASSERT_TRUE(other.Start());
    const QString login = WaitOwnWindow(other, "^Войти$");
    ASSERT_FALSE(login.isEmpty()) << "running: " << other.IsRunning() << "\n" << other.Output().toStdString();
    other.Keys(login, {"Escape"});
    EXPECT_TRUE(other.WaitExit(5000));
    EXPECT_TRUE(first.IsRunning());
}

// The archive dialog is Qt's own file dialog: its labels and buttons come from Qt's Russian translations,
// which the program loads as it starts. The widget tests check the texts; here the real program is seen
// to hold the translations while its dialog is open, and the screenshot is kept to be looked at.
TEST_F(StartupE2E, QtsOwnFileDialogComesWithRussianTexts) {
    TE2EProgram program(display, home.path());
    ASSERT_TRUE(program.Start());
    const QString main = program.LogInAsFirstUser("Мама");
    ASSERT_FALSE(main.isEmpty()) << program.Output().toStdString();

    // Файл, from the bottom up: Выход, Сменить пользователя, the daily copy, restore.
    program.Keys(main, {"alt", "Down", "Up", "Up", "Up", "Up", "Return"});
    const QString dialog = program.WaitWindow("^Восстановить архивную копию$");
    ASSERT_FALSE(dialog.isEmpty());
    // The dialog's folder read and its texts painted before the screenshot.
    program.WaitIdle();
    KeepScreenshot(program.Screenshot(home.path() + "/restore-dialog.png"), "restore-dialog.png");

    QFile maps(QStringLiteral("/proc/%1/maps").arg(program.Pid()));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_ru.qm";
    EXPECT_TRUE(QString::fromLocal8Bit(maps.readAll()).contains(translations)) << translations.toStdString();

    program.Keys(dialog, {"Escape"});
    ASSERT_TRUE(program.WaitGone("^Восстановить архивную копию$", 5000));
    EXPECT_TRUE(Quit(program, main));
}
