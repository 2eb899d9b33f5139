// The backup commands of the main window's menu, with the file dialogs answered through their seam and
// the name dialog worked from the keyboard.
#include "backup/tarhivetype.h"
#include "backup/tfileunzipper.h"
#include "backup/tfilezipper.h"
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "ui/tarhivecommands.h"
#include "ui/tarhivenameform.h"
#include "ui/tbasenamehint.h"
#include "ui/tledgergrid.h"
#include "ui/tmenuclass.h"
#include "users/usertables.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
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
        commands = new TArhiveCommands(context, *form, *ui.Menu());
        commands->chooseFile = [this](const TArhiveCommands::TFileChoice& choice) {
            choices.push_back(choice);
            return answer;
        };
    }
    void Trigger(const char* item) { ui.Menu()->Item(QString::fromLatin1(item))->trigger(); }
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
    EXPECT_EQ(messages.Boxes(), std::vector<TMessage>{Question(
                                    {"Архив с таким именем уже существует", "Заменить?"}, TMsgButton::No)});
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

// Сын works in «Семья» beside Мама; the archive was made by the program when Мама kept her books in
// «Дача». Restored over «Семья» from the menu, the window first asks what the restore will do, «Нет»
// being the default; only «Да» runs it.
TEST_F(ArhiveUiTest, TheWindowAsksBeforeAnArchiveOfAnotherBaseDropsAUser) {
    const QString userFile = home.Path() + "/BASE/user";
    auto writeUsers = [&](const std::vector<QStringList>& rows) {
        TMemTable users;
        for (const QStringList& row : rows)
            users.AddRow()->SetCells(row);
        ASSERT_TRUE(users.SaveToFile(userFile));
    };
    writeUsers({{"Мама", "Дача", "Администратор", "0"}});
    TMyType dacha;
    dacha.paths = context.state.paths;
    dacha.userName = "Мама";
    dacha.baseName = "Дача";
    dacha.baseFolder = home.Path() + "/BASE/Дача";
    TMemTable rashod;
    rashod.AddRow()->SetCells({"01.05.2026", "Дом", "Рассада", "700", "рубль", "", "Мама"});
    MakePrivateFolder(dacha.baseFolder);
    ASSERT_TRUE(rashod.SaveToFile(dacha.baseFolder + "/rashod"));
    answer = home.Path() + "/dacha.zip";
    QString error;
    ASSERT_TRUE(arhive::PackBase(dacha, answer, error)) << error.toStdString();
    writeUsers({{"Мама", "Семья", "Администратор", "0"}, {"Сын", "Семья", "Обычный пользователь", "0"}});
    const QByteArray users = ReadFileBytes(userFile);
    const QByteArray books = ReadFileBytes(context.state.baseFolder + "/rashod");

    const TMessage question =
        Question({"Архив сделан из базы \"Дача\", а открыта база \"Семья\".",
                  "Будут удалены пользователи, которых нет в архиве: Сын.", "Восстановить?"},
                 TMsgButton::No);
    const TMessage askReplace = Question({"Заменить текущую базу архивной?"}, TMsgButton::No);
    const TMessage askDestroy = Question({"Текущая база будет уничтожена и заменена на архивную.",
                                          "Восстановление будет невозможно. Продолжить?"},
                                         TMsgButton::No);
    {
        TMessageRecorder messages;
        messages.AnswerYes();
        messages.AnswerYes(); // the question itself is closed with its default
        Trigger("OpenArhivMenu");
        EXPECT_EQ(messages.Boxes(), (std::vector<TMessage>{askReplace, askDestroy, question,
                                                           Info({"Восстановление было отмено"})}));
        EXPECT_EQ(Shown(1, 2), "Хлеб");
        EXPECT_EQ(ReadFileBytes(context.state.baseFolder + "/rashod"), books);
        EXPECT_EQ(ReadFileBytes(userFile), users);
        EXPECT_TRUE(form->isEnabled());
    }
    TMessageRecorder messages;
    messages.AnswerYes();
    messages.AnswerYes();
    messages.AnswerYes();
    Trigger("OpenArhivMenu");
    EXPECT_EQ(messages.Boxes(),
              (std::vector<TMessage>{askReplace, askDestroy, question, Info({"База заменена"})}));
    EXPECT_EQ(Shown(1, 2), "Рассада");
    TMemTable after;
    ASSERT_TRUE(after.LoadFromFile(userFile));
    ASSERT_EQ(after.RowCount(), 1);
    EXPECT_EQ(after.Row(0)->Cells(), (QStringList{"Мама", "Семья", "Администратор", "0"}));
}

TEST_F(ArhiveUiTest, RestoreAsNewBaseTakesATypedNameAndRefusesFolderCharacters) {
    ReadBaseListFile(context.state); // as the log-in dialog reads it
    answer = home.Path() + "/backup.zip";
    Trigger("CreateArhivMenu");
    TArhiveNameForm* names = commands->NameForm();
    QLineEdit* field = names->NameEdit();
    auto type = [field](const QString& text) {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
    };
    struct {
        bool hintAfterKey = false, hintHidden = false, openAfterSlash = false, openAfterDots = false,
             hintAfterDots = false;
        int beepsAfterKey = -1, beepsAfterSlash = -1, beepsAfterPaste = -1, beepsAfterDots = -1;
        QString textAfterKey, textAfterPaste;
    } seen;
    TMessageRecorder messages;
    messages.AnswerNo(); // not over the open base
    QTimer::singleShot(0, names, [&] {
        EXPECT_EQ(names->windowTitle(), "Введите имя восстановленной базы");
        EXPECT_EQ(field->selectedText(), "Новое имя базы");
        // The refused character stays as typed and is told at once; the name keeps the dialog for
        // another try.
        type("Дача");
        QTest::keyClick(field, Qt::Key_Slash, Qt::NoModifier);
        seen.textAfterKey = field->text();
        seen.hintAfterKey = names->Hint()->isVisible();
        seen.beepsAfterKey = messages.Beeps();
        seen.hintHidden = QTest::qWaitFor([&] { return !names->Hint()->isVisible(); }, 2000);
        QTest::keyClick(field, Qt::Key_Return);
        seen.openAfterSlash = names->isVisible();
        seen.beepsAfterSlash = messages.Beeps();
        field->selectAll();
        QApplication::clipboard()->setText("Да*ча");
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        seen.textAfterPaste = field->text();
        seen.beepsAfterPaste = messages.Beeps();
        // A name no folder can have keeps the dialog for another try.
        field->selectAll();
        type("..");
        QTest::keyClick(field, Qt::Key_Return);
        seen.openAfterDots = names->isVisible();
        seen.hintAfterDots = names->Hint()->isVisible();
        seen.beepsAfterDots = messages.Beeps();
        // The blanks around the name are not kept.
        field->selectAll();
        type(" Дача ");
        QTest::keyClick(field, Qt::Key_Return);
    });
    Trigger("OpenArhivMenu");
    EXPECT_EQ(seen.textAfterKey, "Дача/");
    EXPECT_TRUE(seen.hintAfterKey);
    EXPECT_EQ(seen.beepsAfterKey, 1);
    EXPECT_TRUE(seen.hintHidden);
    EXPECT_TRUE(seen.openAfterSlash);
    EXPECT_EQ(seen.beepsAfterSlash, 2);
    EXPECT_EQ(seen.textAfterPaste, "Да*ча");
    EXPECT_EQ(seen.beepsAfterPaste, 3);
    EXPECT_TRUE(seen.openAfterDots);
    EXPECT_TRUE(seen.hintAfterDots);
    EXPECT_EQ(seen.beepsAfterDots, 4);
    EXPECT_EQ(names->Hint()->text(), "Недопустимые символы >,<,*,?,/,|,\\,:,\"");
    EXPECT_EQ(messages.Boxes(),
              (std::vector<TMessage>{Question({"Заменить текущую базу архивной?"}, TMsgButton::No),
                                     Info({"База восстановлена"})}));
    EXPECT_TRUE(QFileInfo(home.Path() + "/BASE/Дача/rashod").isFile());
    TMemTable bases;
    ASSERT_TRUE(bases.LoadFromFile(home.Path() + "/BASE/baseuser"));
    ASSERT_EQ(bases.RowCount(), 2);
    EXPECT_EQ(bases.Row(1)->Cell(0), "Дача");
    EXPECT_EQ(context.state.baseName, "Семья");
}

// Declined, the offer of a daily copy leaves the base as it was read and is not made again; the base
// kept damaged does not replace the day's good copy when the program ends. The default purses made for
// a damaged purse file are the ones the totals count by.
TEST_F(ArhiveUiTest, ADeclinedOfferKeepsTheBaseAsReadAndTheDaysGoodCopy) {
    const QDate day(2026, 12, 10);
    ASSERT_TRUE(commands->WriteDaily(day));
    const QByteArray good = ReadFileBytes(home.Path() + "/copies/Семья/" + arhive::DayFileName(day));
    ASSERT_TRUE(WriteFileBytes(context.state.baseFolder + "/rashod", Hex("09 01")));
    ASSERT_TRUE(WriteFileBytes(context.state.baseFolder + "/purse", Hex("09 01")));
    TMessageRecorder messages;
    form->OpenBase();
    ASSERT_TRUE(context.state.damaged);
    EXPECT_EQ(messages.Boxes(),
              (std::vector<TMessage>{
                  Info({"База кошельков повреждена!", "Значение кошелька будет установлено по-умолчанию"}),
                  Info({"База расходов повреждена!", "Восстановите резервную копию!"})}));
    const TMemTable& perPurse = context.state.Grid(TTableKind::Rashod).perPurse;
    ASSERT_EQ(perPurse.RowCount(), 2);
    EXPECT_EQ(perPurse.Row(0)->Cell(0), "рубль");
    EXPECT_EQ(perPurse.Row(1)->Cell(0), "копилка");
    messages.Reset();

    answer.clear(); // Esc in the file dialog
    commands->OfferAfterDamage();
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].title, "Восстановить архивную копию");
    EXPECT_EQ(choices[0].folder, home.Path() + "/copies/Семья");
    EXPECT_TRUE(messages.Boxes().empty());
    EXPECT_FALSE(context.state.damaged);

    // The restore command no longer starts among the daily copies.
    Trigger("OpenArhivMenu");
    EXPECT_NE(choices.back().folder, home.Path() + "/copies/Семья");

    EXPECT_TRUE(form->SaveAll());
    EXPECT_FALSE(commands->WriteDaily(day));
    EXPECT_EQ(ReadFileBytes(home.Path() + "/copies/Семья/" + arhive::DayFileName(day)), good);
    EXPECT_TRUE(messages.Boxes().empty());
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

// Closing the window as the program does: the daily copy is made once the window is gone, and it is
// whole: every file of the base, each entry reading back with its CRC. Nothing is shown about it.
TEST_F(ArhiveUiTest, TheWindowIsGoneBeforeTheDailyCopyIsMadeAndTheCopyIsWhole) {
    const QDate day(2026, 12, 10);
    const QString copies = home.Path() + "/copies/Семья";
    struct THideWatch : QObject {
        QString folder;
        bool hidden = false;
        bool copyStartedBeforeHide = false;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Hide && !hidden) {
                hidden = true;
                copyStartedBeforeHide = QFileInfo::exists(folder);
            }
            return false;
        }
    } watch;
    watch.folder = copies;
    form->installEventFilter(&watch);
    bool visibleAtCopy = true;
    bool written = false;
    form->onClosed = [&] {
        visibleAtCopy = form->isVisible();
        written = commands->WriteDaily(day);
    };
    TMessageRecorder messages;
    messages.AnswerYes();
    form->close();
    form->removeEventFilter(&watch);

    EXPECT_EQ(messages.Boxes(), std::vector<TMessage>{Question({"Выйти из программы?"}, TMsgButton::Yes)});
    EXPECT_TRUE(watch.hidden);
    EXPECT_FALSE(watch.copyStartedBeforeHide);
    EXPECT_FALSE(visibleAtCopy);
    ASSERT_TRUE(written);
    const QString archive = copies + "/" + arhive::DayFileName(day);
    TFileUnzipper unzipper;
    std::vector<TZipItem> items;
    ASSERT_TRUE(unzipper.List(archive, items));
    EXPECT_TRUE(unzipper.DirectoryError().isEmpty());
    QStringList packed;
    for (const TZipItem& item : items)
        packed << item.Name;
    QStringList files;
    for (const TZipFile& f : TFileZipper::FolderFiles(context.state.baseFolder))
        files << f.name;
    EXPECT_EQ(packed, files);
    EXPECT_TRUE(packed.contains("rashod"));
    EXPECT_TRUE(unzipper.Verify(archive)) << unzipper.Error().toStdString();
    EXPECT_EQ(QDir(copies).entryList(QDir::Files | QDir::Hidden), QStringList{arhive::DayFileName(day)});
}

} // namespace
