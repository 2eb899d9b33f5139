// The window keeps the books on disk by itself, and a save that fails is told before anything is lost.
#include "mainwindowfixture.h"
#include "messagerecorder.h"

#include "backup/tdailyarhive.h"
#include "ledger/tautosave.h"
#include "ledger/tbaseloader.h"
#include "ui/tcelleditors.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLabel>

#include <map>

#include <sys/stat.h>

namespace {

class SavingWindow : public MainWindowFixture {
protected:
    void Seed() override { WriteTable("purse", {{"рубль", "1", "0", "1"}, {"копилка", "1", "0", "0"}}); }
    // An expense of Еда/Хлеб typed with the keyboard on the new row; the purse "рубль" pays it.
    void TypeExpense(const QString& sum) {
        TAppContext& live = Live();
        live.editors.CloseAndCommit();
        Rashod()->setFocus();
        live.state.Grid(TTableKind::Rashod).col = 0;
        Rashod()->ShowCell(0, live.state.Table(TTableKind::Rashod).RowCount());
        Key(Qt::Key_Right);
        Key(Qt::Key_Return);
        Key(Qt::Key_Return); // Еда / Хлеб from the picker
        ASSERT_TRUE(live.editors.IsOpen());
        Type(sum);
        Key(Qt::Key_Return);
    }
    // The context of the window on show.
    virtual TAppContext& Live() { return context; }
    QString Path(const QString& name) const { return context.state.baseFolder + "/" + name; }
    std::vector<QStringList> OnDisk(const QString& name) const {
        TMemTable t;
        t.LoadFromFile(Path(name));
        std::vector<QStringList> rows;
        for (int i = 0; i < t.RowCount(); ++i)
            rows.push_back(t.Row(i)->Cells());
        return rows;
    }
    bool SumOnDisk(const QString& sum) const {
        for (const QStringList& row : OnDisk("rashod"))
            if (row.value(3) == sum) return true;
        return false;
    }
    QString PurseOnDisk() const { return OnDisk("purse").at(0).value(2); }
    // The expenses file cannot be replaced: a folder stands where it was.
    void BlockExpenses() {
        QFile::remove(Path("rashod"));
        ASSERT_TRUE(QDir().mkpath(Path("rashod") + "/занято"));
    }
    void UnblockExpenses() { QDir(Path("rashod")).removeRecursively(); }
    TMessage SaveFailed() const {
        return Error({"Не удалось сохранить базу", "Файл: " + Path("rashod"),
                      "Причина: На месте файла находится папка."});
    }
    // Closes the window while the expenses cannot be saved: "Да" to leaving, the failure told, then
    // the answer to "Выйти без сохранения?".
    void CloseWithAFailedSave(TMessageRecorder& boxes, TMsgButton leaveUnsaved) {
        boxes.AnswerYes();
        boxes.Answer(TMsgButton::OK);
        boxes.Answer(leaveUnsaved);
        form->close();
        EXPECT_EQ(boxes.Boxes(),
                  (std::vector<TMessage>{Question({"Выйти из программы?"}, TMsgButton::Yes), SaveFailed(),
                                         Question({"Выйти без сохранения?"}, TMsgButton::No)}));
    }
};

} // namespace

TEST_F(SavingWindow, ARecordIsOnDiskSecondsAfterItIsTypedWithoutWaitingForTheClose) {
    TMessageRecorder boxes;
    TypeExpense("14");
    ASSERT_EQ(Cell(0, 3), "14");
    // Typing only arms the save; the file follows about two seconds later.
    EXPECT_FALSE(SumOnDisk("14"));
    QTRY_VERIFY_WITH_TIMEOUT(ui.AutoSave()->Pending(), 1500);
    EXPECT_FALSE(SumOnDisk("14"));
    QTRY_VERIFY_WITH_TIMEOUT(SumOnDisk("14"), 4000);
    EXPECT_EQ(PurseOnDisk(), context.state.Table(TTableKind::Purse).Row(0)->Cell(2));
    EXPECT_EQ(PurseOnDisk(), "-14");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(TBaseLoader::BaseModified(context.state));
}

TEST_F(SavingWindow, LeavingTheWindowForAnotherProgramSavesAtOnce) {
    TMessageRecorder boxes;
    TypeExpense("25");
    EXPECT_FALSE(SumOnDisk("25"));
    QApplication::setActiveWindow(form.get());
    QApplication::setActiveWindow(nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(SumOnDisk("25"), 500);
    EXPECT_EQ(PurseOnDisk(), "-25");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SavingWindow, AnAutomaticSaveThatFailsIsToldOnceAndTriedAgain) {
    TMessageRecorder boxes;
    BlockExpenses();
    TypeExpense("7");
    ASSERT_TRUE(context.editors.IsOpen()) << "the next cell of the record opens for typing";
    QTest::qWait(3000);
    EXPECT_TRUE(boxes.Boxes().empty()) << "no message takes the keys of a cell being typed";
    context.editors.CloseAndCommit();
    QTRY_COMPARE_WITH_TIMEOUT(boxes.Boxes().size(), size_t(1), 1000);
    EXPECT_EQ(boxes.Boxes()[0], SaveFailed());
    EXPECT_EQ(PurseOnDisk(), "0") << "the purse waits for its expense";
    TypeExpense("8");
    QTest::qWait(3000);
    EXPECT_EQ(boxes.Boxes().size(), 1u) << "told once, not at every try";
    // Mended, the books go to disk with the next save: the one the close makes.
    UnblockExpenses();
    boxes.AnswerYes();
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(SumOnDisk("7"));
    EXPECT_TRUE(SumOnDisk("8"));
    EXPECT_EQ(PurseOnDisk(), "-15");
}

// From the first failed save to the next one that succeeds, whichever saves they are, the window says
// «Не сохранено» in its lower panel and its caption, with the file and the reason at hand; the box
// still comes once per run of failures.
TEST_F(SavingWindow, AFailedSaveKeepsItsSignInThePanelAndTheCaptionUntilASaveSucceeds) {
    TMessageRecorder boxes;
    form->SetUserCaption("Мама");
    QLabel* sign = ui.Lower()->SaveFailedLabel();
    ASSERT_NE(sign, nullptr);
    const QString caption = " Vellumora      Пользователь: Мама";
    const QString unsavedCaption = "Не сохранено — Vellumora      Пользователь: Мама";
    const QString reason = "Файл: " + Path("rashod") + "\nПричина: На месте файла находится папка.";
    const auto expectSign = [&] {
        EXPECT_TRUE(sign->isVisible());
        EXPECT_EQ(sign->text(), "Не сохранено");
        EXPECT_EQ(sign->toolTip(), reason);
        EXPECT_EQ(sign->palette().color(QPalette::WindowText), QColor(0xC0, 0x00, 0x00));
        EXPECT_TRUE(ui.Lower()->rect().contains(sign->geometry()));
        EXPECT_EQ(form->windowTitle(), unsavedCaption);
    };
    const auto expectNoSign = [&] {
        EXPECT_FALSE(sign->isVisible());
        EXPECT_EQ(form->windowTitle(), caption);
    };
    expectNoSign();

    // The automatic save fails while the next cell of the record is being typed: the sign is up at
    // once, the box waits for the cell.
    BlockExpenses();
    TypeExpense("7");
    ASSERT_TRUE(context.editors.IsOpen());
    QTRY_VERIFY_WITH_TIMEOUT(context.state.saveFailed, 4000);
    expectSign();
    EXPECT_TRUE(boxes.Boxes().empty());
    context.editors.CloseAndCommit();
    QTRY_COMPARE_WITH_TIMEOUT(boxes.Boxes().size(), size_t(1), 1000);
    // Two more records on the full disk: the box is not shown again, the sign stays.
    TypeExpense("8");
    TypeExpense("9");
    QTest::qWait(3000);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{SaveFailed()});
    expectSign();

    // Mended, the next save (leaving the window for another program) takes the sign down.
    UnblockExpenses();
    QApplication::setActiveWindow(form.get());
    QApplication::setActiveWindow(nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!sign->isVisible(), 1000);
    expectNoSign();
    EXPECT_TRUE(SumOnDisk("9"));

    // A save at a fixed point that fails puts the sign up as well: the close, left unsaved for now.
    QApplication::setActiveWindow(form.get());
    TypeExpense("10");
    BlockExpenses();
    boxes.Reset();
    CloseWithAFailedSave(boxes, TMsgButton::No);
    ASSERT_TRUE(form->isVisible());
    expectSign();
    UnblockExpenses();
    QApplication::setActiveWindow(nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!sign->isVisible(), 1000);
    expectNoSign();
    EXPECT_TRUE(SumOnDisk("10"));
}

TEST_F(SavingWindow, AFailedSaveAtTheCloseIsToldAndTheWindowStaysUntilTheFamilyChooses) {
    TMessageRecorder boxes;
    TypeExpense("31");
    BlockExpenses();
    CloseWithAFailedSave(boxes, TMsgButton::No);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(PurseOnDisk(), "0") << "nothing of the failed save reached the disk";

    // The folder mended, the next close saves everything.
    UnblockExpenses();
    boxes.Reset();
    boxes.AnswerYes();
    form->close();
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Question({"Выйти из программы?"}, TMsgButton::Yes)});
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(SumOnDisk("31"));
    EXPECT_EQ(PurseOnDisk(), "-31");
}

TEST_F(SavingWindow, LeavingWithoutSavingKeepsTheOldBooksAndTheirDailyCopy) {
    TMessageRecorder boxes;
    TypeExpense("44");
    BlockExpenses();
    bool closed = false;
    form->onClosed = [&] { closed = true; };
    CloseWithAFailedSave(boxes, TMsgButton::Yes);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(PurseOnDisk(), "0");
    context.state.paths.backupCopyFolder = home.Path() + "/copies/";
    TDailyArhive daily(context.state);
    EXPECT_FALSE(daily.Write(QDate(2026, 12, 10)));
    EXPECT_FALSE(QFileInfo::exists(daily.DayFile(QDate(2026, 12, 10))));
}

namespace {

// What a file of the data root is on disk: its bytes, and the inode and time a rewrite would change.
struct TFileState {
    QByteArray bytes;
    ino_t inode = 0;
    qint64 mtimeNs = 0;
    bool operator==(const TFileState&) const = default;
};
using TTreeState = std::map<QString, TFileState>;

TTreeState StateOfTree(const QString& root) {
    TTreeState files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0) continue;
        files[path.mid(root.size())] = {ReadFileBytes(path), st.st_ino,
                                        qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }
    return files;
}

// The names of the files that differ between two states of the tree, added and removed ones too.
QStringList Changed(const TTreeState& before, const TTreeState& after) {
    QStringList names;
    for (const auto& [name, file] : after) {
        const auto old = before.find(name);
        if (old == before.end() || !(old->second == file)) names << name;
    }
    for (const auto& [name, file] : before)
        if (!after.count(name)) names << name;
    return names;
}

// A base with something in every table: two debts, one with its returns, plans, transfers, both kinds
// lists and the purses, as an earlier evening left it.
class ClosingUntouched : public SavingWindow {
protected:
    void Seed() override {
        WriteTable("purse", {{"рубль", "1", "1000", "1"}, {"копилка", "1", "0", "0"}});
        WriteTable("rashod", {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"},
                              {"01.12.2026", "Дом", "Посуда", "30", "рубль", "", "Мама"}});
        WriteTable("dohod", {{"05.12.2026", "Зарплата", "", "5000", "рубль", "", "Мама"}});
        WriteTable("dolg", {{"дано в долг", "01.12.2026", "31.12.2026", "Петя", "1000", "рубль", "",
                             "отображать", "Мама"},
                            {"взято в долг", "02.12.2026", "31.01.2027", "Оля", "500", "копилка", "",
                             "отображать", "Мама"}});
        WriteTable("Debt/debt0", {{"05.12.2026", "300", "рубль"}, {"07.12.2026", "200", "рубль"}});
        WriteTable("planrashod", {{"Еда", "Хлеб", "01.12.2026", "31.12.2026", "250", "рубль", "", "Мама"}});
        WriteTable("plandohod", {{"Зарплата", "", "01.12.2026", "31.12.2026", "5000", "рубль", "", "Мама"}});
        WriteTable("transfer_purse", {{"03.12.2026", "рубль", "100", "копилка", "100", "", "Мама"}});
        WriteTable("viddohod", {{"Зарплата"}, {"Подарки"}});
    }
    // The same base opened again in a new window, as at the next start.
    void Reopen() {
        form.reset();
        again = std::make_unique<TAppContext>(againSession);
        TMyType& s = again->state;
        s.paths = context.state.paths;
        s.userName = context.state.userName;
        s.baseName = context.state.baseName;
        s.baseFolder = context.state.baseFolder;
        s.admin = true;
        ShowWindow(*again);
    }
    void Close(TMessageRecorder& boxes) {
        boxes.AnswerYes();
        form->close();
        ASSERT_FALSE(form->isVisible());
    }
    TAppContext& Live() override { return again ? *again : context; }
    // The window goes before the context it works on.
    void TearDown() override { form.reset(); }
    TSession againSession;
    std::unique_ptr<TAppContext> again;
};

} // namespace

TEST_F(ClosingUntouched, AnOpenAndACloseWithNothingEditedRewriteNoFile) {
    TMessageRecorder boxes;
    Close(boxes); // the first close writes what this version adds (the debts' numbers, the settings)
    for (int evening = 0; evening < 2; ++evening) {
        const TTreeState before = StateOfTree(home.Path());
        Reopen();
        Close(boxes);
        EXPECT_EQ(Changed(before, StateOfTree(home.Path())), QStringList()) << "evening " << evening;
    }
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>(3, Question({"Выйти из программы?"}, TMsgButton::Yes)));
}

TEST_F(ClosingUntouched, AnEditWritesOnlyTheTablesItChangedAndTheNextUntouchedCloseNothing) {
    TMessageRecorder boxes;
    Close(boxes);
    Reopen();
    const TTreeState before = StateOfTree(home.Path());
    TypeExpense("14");
    Close(boxes);
    const QString base = "/BASE/Семья/";
    EXPECT_EQ(Changed(before, StateOfTree(home.Path())), (QStringList{base + "purse", base + "rashod"}));
    EXPECT_TRUE(SumOnDisk("14"));
    EXPECT_EQ(PurseOnDisk(), "986");
    // The purses as the edit wrote them (the row for a new purse with them) read as they were written.
    const TTreeState edited = StateOfTree(home.Path());
    Reopen();
    Close(boxes);
    EXPECT_EQ(Changed(edited, StateOfTree(home.Path())), QStringList());
}
