// A user makes a backup archive from the menu, types on, restores the archive over the open base with
// the keyboard, and ends the program: the base holds what the archive held, and the day's copy of it is
// in the folder of daily copies.
#include "e2edriver.h"

#include "qtprint.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The file dialog takes the whole path in its name field.
bool ChooseInDialog(TE2EProgram& program, const QString& caption, const QString& path) {
    const QString dialog = program.WaitWindow(caption);
    if (dialog.isEmpty()) return false;
    // The dialog reads its folder before its name field takes keys.
    program.WaitIdle();
    program.Keys(dialog, {"ctrl+a"});
    program.Type(dialog, path);
    program.Keys(dialog, {"Return"});
    return true;
}

// "Да" of a question whose default is "Нет".
bool AnswerYes(TE2EProgram& program) {
    const QString question = program.WaitWindow("^   Подтвердите$");
    if (question.isEmpty()) return false;
    program.Keys(question, {"shift+Tab", "space"});
    // The next box may come with the same caption at once.
    return program.WaitClosed(question, "^   Подтвердите$");
}

class BackupE2E : public TE2ETest {};

} // namespace

TEST_F(BackupE2E, ArchiveMadeAndRestoredFromTheMenuAndTheDaysCopyWritten) {
    const QString archive = home.path() + "/копия.zip";
    const QString base = home.path() + "/share/Quorvane/BASE/Base1";
    const QStringList kept = ExpenseRow("111");
    {
        TE2EProgram program(display, home.path());
        const QString main = FirstStartWithAnExpense(program, "111");
        ASSERT_FALSE(main.isEmpty());

        // Файл, from the bottom up: Выход, Сменить пользователя, the daily copy, restore, make.
        program.Keys(main, {"alt", "Down", "Up", "Up", "Up", "Up", "Up", "Return"});
        ASSERT_TRUE(ChooseInDialog(program, "^Резервное копирование данных базы \"Base1\"$", archive));
        ASSERT_TRUE(WaitFile(archive)) << "the archive was not written";

        TypeExpense(program, main, "222");
        program.Keys(main, {"alt", "Down", "Up", "Up", "Up", "Up", "Return"});
        ASSERT_TRUE(ChooseInDialog(program, "^Восстановить архивную копию$", archive));
        ASSERT_TRUE(AnswerYes(program)); // "Заменить текущую базу архивной?"
        ASSERT_TRUE(AnswerYes(program)); // "Текущая база будет уничтожена ..."
        const QString replaced = program.WaitWindow("^   Сообщение$");
        ASSERT_FALSE(replaced.isEmpty());
        program.Screenshot(home.path() + "/replaced.png");
        program.Keys(replaced, {"Return"});
        ASSERT_TRUE(program.WaitGone("^   Сообщение$", 5000));

        ASSERT_TRUE(Quit(program, main));
    }
    EXPECT_EQ(TableRows(base + "/rashod"), std::vector<QStringList>{kept});
    const QString daily =
        home.path() + "/share/QuorvaneCopy/Base1/" + QDate::currentDate().toString("yyyy-MM-dd") + ".zip";
    ASSERT_TRUE(QFileInfo(daily).isFile());
    const QString out = home.path() + "/daily";
    ASSERT_EQ(QProcess::execute("unzip", {"-q", daily, "-d", out}), 0);
    EXPECT_EQ(TableRows(out + "/rashod"), std::vector<QStringList>{kept});
    EXPECT_EQ(TableRows(out + "/arviveInfo").back(), (QStringList{"Save", "Мама", "Base1", ""}));
    KeepScreenshot(home.path() + "/replaced.png", "replaced.png");
}

// An archive of the base «Дача», packed by Info-ZIP, restored over Base1 from the menu: after the two
// questions of the restore the program asks a third, whose default «Нет» leaves Base1 as it was.
TEST_F(BackupE2E, AnArchiveOfAnotherBaseIsAskedAboutAndNoKeepsTheBase) {
    const QString zip = QStandardPaths::findExecutable("zip");
    if (zip.isEmpty()) {
        GTEST_SKIP() << "zip is not installed";
    }
    const QString base = Bases() + "/Base1";
    ASSERT_NO_FATAL_FAILURE(RunOnceWithAnExpense("111"));
    const QString staging = home.path() + "/dacha";
    WriteTable(staging + "/rashod", {{"01.05.2024", "Дом", "Рассада", "700", "рубль", "", "Мама"}});
    WriteTable(staging + "/arviveInfo",
               {{"Мама", "Дача", "Администратор", "0"}, {"Save", "Мама", "Дача", ""}});
    const QString archive = home.path() + "/дача.zip";
    ASSERT_EQ(QProcess::execute(zip, {"-q", "-j", archive, staging + "/rashod", staging + "/arviveInfo"}), 0);
    const QByteArray before = [&] {
        QFile f(base + "/rashod");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    TE2EProgram program(display, home.path());
    const QString main = NextStart(program);
    ASSERT_FALSE(main.isEmpty());
    program.Keys(main, {"alt", "Down", "Up", "Up", "Up", "Up", "Return"});
    ASSERT_TRUE(ChooseInDialog(program, "^Восстановить архивную копию$", archive));
    ASSERT_TRUE(AnswerYes(program)); // "Заменить текущую базу архивной?"
    ASSERT_TRUE(AnswerYes(program)); // "Текущая база будет уничтожена ..."
    const QString asked = program.WaitWindow("^   (Подтвердите|Сообщение)$");
    ASSERT_FALSE(asked.isEmpty());
    program.Screenshot(home.path() + "/asked.png");
    ASSERT_EQ(program.Xdotool({"getwindowname", asked}), "Подтвердите") << "the restore did not ask";
    program.Keys(asked, {"Return"});
    const QString cancelled = program.WaitWindow("^   Сообщение$");
    ASSERT_FALSE(cancelled.isEmpty());
    program.Keys(cancelled, {"Return"});
    ASSERT_TRUE(program.WaitGone("^   Сообщение$", 5000));
    QFile rashod(base + "/rashod");
    ASSERT_TRUE(rashod.open(QIODevice::ReadOnly));
    EXPECT_EQ(rashod.readAll(), before);
    rashod.close();
    ASSERT_TRUE(Quit(program, main));
    EXPECT_EQ(TableRows(base + "/rashod"), std::vector<QStringList>{ExpenseRow("111")});
    KeepScreenshot(home.path() + "/asked.png", "asked.png");
}

// A base whose expenses and purses cannot be read whole: each is told once, the offer of a daily copy is
// declined with Esc, and F10 then asks to end the program. What could be read is kept and saved.
TEST_F(BackupE2E, ADeclinedOfferAfterDamageKeepsTheBaseAsReadAndF10EndsTheProgram) {
    const QString base = Bases() + "/Base1";
    const QStringList kept = ExpenseRow("111");
    ASSERT_NO_FATAL_FAILURE(RunOnceWithAnExpense("111"));
    ASSERT_EQ(TableRows(base + "/rashod"), std::vector<QStringList>{kept});
    // A row cut short after the whole one, and a purse file that is nothing but a cut row.
    QFile rashod(base + "/rashod");
    ASSERT_TRUE(rashod.open(QIODevice::Append));
    rashod.write(QByteArray("\x09\x01", 2));
    rashod.close();
    QFile purse(base + "/purse");
    ASSERT_TRUE(purse.open(QIODevice::WriteOnly | QIODevice::Truncate));
    purse.write(QByteArray("\x09\x01", 2));
    purse.close();

    TE2EProgram program(display, home.path());
    const QString main = NextStart(program);
    ASSERT_FALSE(main.isEmpty());
    // "База кошельков повреждена!" and "База расходов повреждена!", each once, then the offer.
    QStringList boxes;
    QString offer;
    const bool offered = WaitUntil([&] {
        const QString box = program.Xdotool({"search", "--onlyvisible", "--name", "^   Сообщение$"});
        if (!box.isEmpty() && !boxes.contains(box)) {
            boxes << box;
            program.Keys(box, {"Return"});
        }
        offer = program.Xdotool({"search", "--onlyvisible", "--name", "^Восстановить архивную копию$"});
        return !offer.isEmpty();
    });
    ASSERT_TRUE(offered) << "no offer of a daily copy after " << boxes.size() << " boxes";
    EXPECT_EQ(boxes.size(), 2) << boxes.join(' ').toStdString();
    program.WaitIdle();
    program.Keys(offer, {"Escape"});
    ASSERT_TRUE(program.WaitGone("^Восстановить архивную копию$", 5000));
    // At once, before the base saves itself: the window taking the keyboard must not read it again.
    program.Keys(main, {"F10"});
    const QString next = program.WaitWindow("^   (Сообщение|Подтвердите)$");
    program.Screenshot(home.path() + "/declined.png");
    ASSERT_EQ(program.Xdotool({"getwindowname", next}), "Подтвердите") << "a damage report came again";
    program.Keys(next, {"Return"});
    ASSERT_TRUE(program.WaitExit(15000));

    EXPECT_EQ(TableRows(base + "/rashod"), std::vector<QStringList>{kept});
    const std::vector<QStringList> purses = TableRows(base + "/purse");
    ASSERT_GE(purses.size(), 2u);
    EXPECT_EQ(purses[0], (QStringList{"рубль", "1", "0", "1"}));
    EXPECT_EQ(purses[1], (QStringList{"копилка", "1", "0", "0"}));
    EXPECT_EQ(QDir(base).entryList({"rashod.damaged-*"}, QDir::Files).size(), 1);
    KeepScreenshot(home.path() + "/declined.png", "declined.png");
}
