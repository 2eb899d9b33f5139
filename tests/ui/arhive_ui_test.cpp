// The backup commands of the main window's menu, with the file dialogs answered through their seam and
// the name dialog worked from the keyboard.
#include "backup/tarhivetype.h"
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "ui/tarhivecommands.h"
#include "ui/tarhivenameform.h"
#include "ui/tledgergrid.h"
#include "ui/tmenuclass.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace {

class ArhiveUiTest : public MainWindowFixture {
protected:
    void Seed() override {
        WriteTable("rashod", {{"01.12.2026", "Еда", "Хлеб", "45", "рубль", "", "Мама"}});
        TMemTable users;
        users.AddRow()->SetCells({"Мама", "Семья", "Администратор", "0"});
        users.SaveToFile(home.Path() + "/BASE/user");
        TMemTable bases;
        bases.AddRow()->SetCells({"Семья"});
        bases.SaveToFile(home.Path() + "/BASE/baseuser");
        context.state.paths.backupCopyFolder = home.Path() + "/copies/";
    }
    void SetUp() override {
        MainWindowFixture::SetUp();
        commands = new TArhiveCommands(context, *form);
        commands->chooseFile = [this](const TArhiveCommands::TFileChoice& choice) {
            choices.push_back(choice);
            return answer;
        };
    }
    void Trigger(const char* item) { form->Menu()->Item(QString::fromLatin1(item))->trigger(); }
    QString Shown(int gridRow, int col) {
        return Rashod()->model()->index(gridRow - 1, col).data().toString();
    }

    TArhiveCommands* commands = nullptr;
    std::vector<TArhiveCommands::TFileChoice> choices;
    QString answer;
};

TEST_F(ArhiveUiTest, ArchiveIsMadeAndAnExistingOneReplacedOnlyOnYes) {
    answer = home.Path() + "/backup.zip";
    Trigger("CreateArhivMenu");
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].title, "Резервное копирование данных базы \"Семья\"");
    EXPECT_EQ(choices[0].fileName, arhive::DayFileName(QDate::currentDate()));
    EXPECT_TRUE(choices[0].save);
    ASSERT_TRUE(QFileInfo(answer).isFile());
    const QByteArray made = ReadFileBytes(answer);

    context.state.Table(TTableKind::Rashod).Row(0)->SetCell(2, "Кофе");
    TMessageRecorder messages; // "No" is the default
    Trigger("CreateArhivMenu");
    EXPECT_EQ(messages.Boxes(),
              std::vector<TMessage>{Question({"Архив с таким именем уже существует", "Заменить?"}, TMsgButton::No)});
    EXPECT_EQ(ReadFileBytes(answer), made);

    messages.AnswerYes();
    Trigger("CreateArhivMenu");
    EXPECT_NE(ReadFileBytes(answer), made);
}

TEST_F(ArhiveUiTest, RestoreOverTheOpenBaseShowsTheArchivedRecords) {
    answer = home.Path() + "/backup.zip";
    Trigger("CreateArhivMenu");
    context.state.Table(TTableKind::Rashod).Row(0)->SetCell(2, "Кофе");

    TMessageRecorder messages;
    messages.AnswerYes();
    messages.AnswerYes();
    Trigger("OpenArhivMenu");
    EXPECT_EQ(choices.back().title, "Восстановить архивную копию");
    EXPECT_FALSE(choices.back().save);
    EXPECT_EQ(messages.Boxes().back(), Info({"База заменена"}));
    EXPECT_EQ(Shown(1, 2), "Хлеб");
    EXPECT_TRUE(form->isEnabled());
    EXPECT_FALSE(commands->WaitPanel()->isVisible());
    EXPECT_EQ(form->Section(), TQuorvaneForm::Rashod);
}

TEST_F(ArhiveUiTest, RestoreAsNewBaseTakesATypedNameAndRefusesFolderCharacters) {
    answer = home.Path() + "/backup.zip";
    Trigger("CreateArhivMenu");
    TArhiveNameForm* names = commands->NameForm();
    bool hintShown = false;
    int beeps = -1;
    TMessageRecorder messages;
    messages.AnswerNo(); // not over the open base
    QTimer::singleShot(0, names, [&] {
        EXPECT_EQ(names->windowTitle(), "Введите имя восстановленной базы");
        EXPECT_EQ(names->NameEdit()->selectedText(), "Новое имя базы");
        for (QChar c : QStringLiteral("Дача"))
            QTest::sendKeyEvent(QTest::Click, names->NameEdit(), Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
        QTest::keyClick(names->NameEdit(), Qt::Key_Slash, Qt::NoModifier);
        hintShown = names->Hint()->isVisible();
        beeps = messages.Beeps();
        QTest::keyClick(names->NameEdit(), Qt::Key_Return);
    });
    Trigger("OpenArhivMenu");
    EXPECT_TRUE(hintShown);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(names->Hint()->text(), "Недопустимые символы >,<,*,?,/,|,\\,:,\"");
    EXPECT_EQ(messages.Boxes().back(), Info({"База восстановлена"}));
    EXPECT_TRUE(QFileInfo(home.Path() + "/BASE/Дача/rashod").isFile());
    EXPECT_EQ(context.state.baseName, "Семья");
}

TEST_F(ArhiveUiTest, DailyRestoreStartsInTheBasesFolderOfDailyCopies) {
    answer.clear(); // the dialog is closed
    TMessageRecorder messages;
    Trigger("OpenDailyArhivMenu");
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].folder, home.Path() + "/copies/Семья");
    EXPECT_EQ(choices[0].fileName, home.Path() + "/copies/Семья/*");
    EXPECT_TRUE(messages.Boxes().empty());

    // Written when the program ends, and offered from there.
    ASSERT_TRUE(commands->WriteDaily(QDate(2026, 12, 10)));
    EXPECT_TRUE(QFileInfo(home.Path() + "/copies/Семья/2026-12-10.zip").isFile());
}

} // namespace
