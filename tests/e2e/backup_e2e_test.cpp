// A user makes a backup archive from the menu, types on, restores the archive over the open base with
// the keyboard, and ends the program: the base holds what the archive held, and the day's copy of it is
// in the folder of daily copies.
#include "e2edriver.h"

#include "backup/tfileunzipper.h"
#include "qtprint.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The file dialog takes the whole path in its name field.
bool ChooseInDialog(TE2EProgram& program, const QString& caption, const QString& path) {
    const QString dialog = program.WaitWindow(caption);
    if (dialog.isEmpty()) return false;
    // The dialog reads its folder before its name field takes keys; a busy machine makes that slower.
    Pause(1200);
    program.Keys(dialog, {"ctrl+a"});
    program.Type(dialog, path);
    Pause(300);
    program.Keys(dialog, {"Return"});
    return true;
}

// "Да" of a question whose default is "Нет".
bool AnswerYes(TE2EProgram& program) {
    const QString question = program.WaitWindow("^   Подтвердите$");
    if (question.isEmpty()) return false;
    Pause(300);
    SlowKeys(program, question, {"shift+Tab", "space"});
    // The next box may come with the same caption at once.
    Pause(800);
    return true;
}

bool WaitFile(const QString& path) {
    for (int i = 0; i < 100 && !QFileInfo(path).isFile(); ++i)
        Pause(100);
    return QFileInfo(path).isFile();
}

} // namespace

TEST(BackupE2E, ArchiveMadeAndRestoredFromTheMenuAndTheDaysCopyWritten) {
    if (!HaveE2ETools())
        GTEST_SKIP() << "Xvfb and xdotool are needed";
    TVirtualDisplay display;
    ASSERT_TRUE(display.IsUp());
    QTemporaryDir home;
    const QString archive = home.path() + "/копия.zip";
    const QString base = home.path() + "/share/Quorvane/BASE/Base1";
    const QStringList kept = {Today(), "Продукты", "Крупы", "111", "рубль", "", "Мама"};
    {
        TE2EProgram program(display, home.path());
        ASSERT_TRUE(program.Start());
        const QString main = program.LogInAsFirstUser("Мама");
        ASSERT_FALSE(main.isEmpty()) << program.Output().toStdString();
        TypeExpense(program, main, "111");

        // Файл, from the bottom up: Выход, Сменить пользователя, the daily copy, restore, make.
        SlowKeys(program, main, {"alt", "Down", "Up", "Up", "Up", "Up", "Up", "Return"});
        ASSERT_TRUE(ChooseInDialog(program, "^Резервное копирование данных базы \"Base1\"$", archive));
        ASSERT_TRUE(WaitFile(archive));

        TypeExpense(program, main, "222");
        SlowKeys(program, main, {"alt", "Down", "Up", "Up", "Up", "Up", "Return"});
        ASSERT_TRUE(ChooseInDialog(program, "^Восстановить архивную копию$", archive));
        ASSERT_TRUE(AnswerYes(program)); // "Заменить текущую базу архивной?"
        ASSERT_TRUE(AnswerYes(program)); // "Текущая база будет уничтожена ..."
        const QString replaced = program.WaitWindow("^   Сообщение$");
        ASSERT_FALSE(replaced.isEmpty());
        program.Screenshot(home.path() + "/replaced.png");
        program.Keys(replaced, {"Return"});
        ASSERT_TRUE(program.WaitGone("^   Сообщение$", 5000));
        Pause(500);

        ASSERT_TRUE(Quit(program, main));
    }
    EXPECT_EQ(TableRows(base + "/rashod"), std::vector<QStringList>{kept});
    const QString daily = home.path() + "/share/QuorvaneCopy/Base1/" + QDate::currentDate().toString("yyyy-MM-dd") + ".zip";
    ASSERT_TRUE(QFileInfo(daily).isFile());
    const QString out = home.path() + "/daily";
    ASSERT_TRUE(TFileUnzipper().Unpack(daily, out));
    EXPECT_EQ(TableRows(out + "/rashod"), std::vector<QStringList>{kept});
    EXPECT_EQ(TableRows(out + "/arviveInfo").back(), (QStringList{"Save", "Мама", "Base1", ""}));
    KeepScreenshot(home.path() + "/replaced.png", "replaced.png");
}
