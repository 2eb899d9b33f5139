// The in-place editors as they open over a cell, and the row for the next record, driven through the
// main window's grids with keys and the mouse.
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "ui/tcelleditors.h"
#include "ui/thelperform.h"
#include "ui/tkindspicker.h"
#include "ui/tledgergrid.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace {

// One expense with a sum and a note; the base purse рубль; Мама, administrator of "Семья".
class Editing : public MainWindowFixture {
protected:
    void Seed() override {
        WriteTable("purse", {{"рубль", "1", "1000", "1"}});
        WriteTable("rashod", {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "к чаю", "Мама"},
                              // Kind and name just taken from the picker, the sum still to come.
                              {"10.12.2026", "Дом", "Посуда", "", "", "", ""}});
        TMemTable users;
        users.AddRow()->SetCells({"Мама", "Семья", "Администратор", "0"});
        MakePrivateFolder(home.Path() + "/BASE");
        ASSERT_TRUE(users.SaveToFile(home.Path() + "/BASE/user"));
        // Read by the log-in dialog, which this window goes without.
        context.state.baseList.AddRow()->SetCells({"Семья"});
    }
    TDataGrid& Descriptor(TTableKind kind) { return context.state.Grid(kind); }
    void Select(TTableKind kind, int col, int gridRow) {
        TLedgerGrid* view = ui.Grid(kind);
        view->setFocus();
        Descriptor(kind).col = col;
        Descriptor(kind).row = gridRow;
        view->ShowCell(col, gridRow);
    }
    QLineEdit* Line() { return context.editors.LineEditor(); }
};

// How the editor was asked for.
enum class TOpen { Enter, Key, Continue, DoubleClick };

} // namespace

TEST_F(Editing, WhatIsTypedReplacesTheTextUnlessTheCellWasOpenedToAmend) {
    TMessageRecorder boxes;
    const struct {
        TOpen how;
        int col;
        const char* typed;
        const char* shown;
    } cases[] = {
        {TOpen::Enter, 3, "7", "7"},
        {TOpen::Enter, 5, "новая", "новая"},
        {TOpen::Key, 3, "78", "78"},
        {TOpen::Key, 5, "нов", "нов"},
        // Continuous entry: the sum after a name taken from the picker, the note after the purse.
        {TOpen::Continue, 3, "7", "7"},
        {TOpen::Continue, 5, "новая", "новая"},
        {TOpen::DoubleClick, 3, "7", "1007"},
        {TOpen::DoubleClick, 5, "!", "к чаю!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.how) << " " << c.col);
        switch (c.how) {
        case TOpen::Enter:
            Select(TTableKind::Rashod, c.col, 1);
            Key(Qt::Key_Return);
            break;
        case TOpen::Key:
            Select(TTableKind::Rashod, c.col, 1);
            break;
        case TOpen::Continue:
            if (c.col == 3) {
                Select(TTableKind::Rashod, 2, 1);
                Key(Qt::Key_Return);
                ASSERT_EQ(QApplication::focusWidget(), ui.Picker(5));
                Key(Qt::Key_Return);
            } else {
                Select(TTableKind::Rashod, 4, 1);
                Key(Qt::Key_Return);
                ASSERT_EQ(context.editors.Kind(), TEditorKind::Choice);
                QTest::keyClick(context.editors.ChoiceEditor()->view(), Qt::Key_Return);
            }
            break;
        case TOpen::DoubleClick: {
            Select(TTableKind::Rashod, c.col, 1);
            TLedgerGrid* view = ui.Grid(TTableKind::Rashod);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                               view->visualRect(view->model()->index(0, c.col)).center());
            break;
        }
        }
        Type(QString::fromUtf8(c.typed));
        ASSERT_TRUE(context.editors.IsOpen());
        EXPECT_EQ(context.editors.Col(), c.col);
        EXPECT_EQ(Line()->text(), QString::fromUtf8(c.shown));
        Key(Qt::Key_Escape);
        EXPECT_EQ(Cell(0, c.col), c.col == 3 ? QString("100") : QString("к чаю"));
    }
    // F2 stays the key of the expenses page: on that page it opens nothing.
    Select(TTableKind::Rashod, 5, 1);
    WindowKey(Qt::Key_F2);
    EXPECT_FALSE(context.editors.IsOpen());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Editing, ARateTypedAfterANewPursesNameReplacesTheRateItStartsWith) {
    TMessageRecorder boxes;
    WindowKey(Qt::Key_F7);
    ui.BaseTabs()->setCurrentIndex(2);
    Select(TTableKind::Purse, 0, 2);
    Type("евро");
    Key(Qt::Key_Return);
    ASSERT_EQ(context.editors.Col(), 1);
    EXPECT_EQ(Line()->selectedText(), "1");
    Type("100");
    Key(Qt::Key_Return);
    Key(Qt::Key_Escape);
    const TMemTable& purse = context.state.Table(TTableKind::Purse);
    ASSERT_GE(purse.RowCount(), 2);
    EXPECT_EQ(purse.Row(1)->Cells().mid(0, 2), QStringList({"евро", "100"}));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Editing, AUserMadeWholeHasTheRowForTheNextUserAtOnce) {
    TMessageRecorder boxes;
    WindowKey(Qt::Key_F7);
    ui.BaseTabs()->setCurrentIndex(3);
    TDataGrid& users = Descriptor(TTableKind::User);
    ASSERT_EQ(users.GridRowCount(), 3); // the captions, Мама and the empty row
    Select(TTableKind::User, 0, 2);
    // The new user's password is left empty.
    QTimer::singleShot(0, [this] { helperForm.CancelButton()->click(); });
    Type("Дочь");
    Key(Qt::Key_Return);
    EXPECT_EQ(boxes.Boxes(),
              std::vector<TMessage>{Info({"Для данного пользователя", "пароль остается пустым."})});
    // Continuous entry: the base, then the role, each chosen from its list.
    for (int col : {1, 2}) {
        EXPECT_EQ(users.GridRowCount(), 3) << "the row is not whole before its role";
        ASSERT_EQ(context.editors.Kind(), TEditorKind::Choice);
        ASSERT_EQ(context.editors.Col(), col);
        QTest::keyClick(context.editors.ChoiceEditor()->view(), Qt::Key_Return);
    }
    EXPECT_EQ(context.state.users.Row(1)->Cells().mid(0, 3), QStringList({"Дочь", "Семья", "Администратор"}));
    // The role made the row whole: the empty row is there, and the next user's name opens on it
    // rather than on the name just typed.
    ASSERT_EQ(users.GridRowCount(), 4);
    EXPECT_EQ(users.RowAt(3)->Cells().mid(0, 3).join(QString()), QString());
    EXPECT_EQ(context.editors.Kind(), TEditorKind::Text);
    EXPECT_EQ(context.editors.Row(), 3);
    EXPECT_EQ(context.editors.Col(), 0);
    EXPECT_EQ(Line()->text(), QString());
    Key(Qt::Key_Escape);
    EXPECT_EQ(users.GridRowCount(), 4);
    EXPECT_EQ(context.state.users.Row(1)->Cell(0), "Дочь");
}

TEST_F(Editing, ASumThatCannotBeStoredIsToldAndWaitsInItsEditor) {
    TMessageRecorder boxes;
    Select(TTableKind::Rashod, 3, 2);
    Key(Qt::Key_Return);
    ASSERT_EQ(context.editors.Kind(), TEditorKind::Number);
    const struct {
        const char* typed; // typed over the editor's selected text; a paste when it has letters
        const char* message;
    } cases[] = {
        {"=10/0", "Деление на ноль"},
        {"7/0+3", "Деление на ноль"},
        {"abc", "Введите число или формулу"},
        {"123456789012345678", "Вы ввели слишком большое число!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        boxes.Reset();
        const QString typed = QString::fromUtf8(c.typed);
        if (typed.front().isLetter()) {
            QApplication::clipboard()->setText(typed);
            Key(Qt::Key_V, Qt::ControlModifier);
        } else {
            Type(typed);
        }
        ASSERT_EQ(Line()->text(), typed);
        Key(Qt::Key_Return);
        EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({QString::fromUtf8(c.message)})});
        // The editor waits on the same cell with the text selected, to be put right.
        ASSERT_TRUE(context.editors.IsOpen());
        EXPECT_EQ(context.editors.Kind(), TEditorKind::Number);
        EXPECT_EQ(context.editors.Row(), 2);
        EXPECT_EQ(context.editors.Col(), 3);
        EXPECT_EQ(Line()->selectedText(), typed);
    }
    // Given up with Esc, the record is left without a sum, a purse or a user: no sum 0 nobody typed.
    Key(Qt::Key_Escape);
    EXPECT_FALSE(context.editors.IsOpen());
    EXPECT_EQ(context.state.Table(TTableKind::Rashod).Row(1)->Cells().mid(0, 7),
              QStringList({"10.12.2026", "Дом", "Посуда", "", "", "", ""}));
    // A paste that the sum refuses opens as it is and is told at the commit.
    boxes.Reset();
    QApplication::clipboard()->setText("12abc");
    Select(TTableKind::Rashod, 3, 1);
    Key(Qt::Key_V, Qt::ControlModifier);
    ASSERT_TRUE(context.editors.IsOpen());
    EXPECT_EQ(Line()->selectedText(), "12abc");
    Key(Qt::Key_Return);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({"Введите число или формулу"})});
    Key(Qt::Key_Escape);
    EXPECT_EQ(Cell(0, 3), "100");
}

TEST_F(Editing, ADateIsTypedAsItIsMeantAndADayThatDoesNotExistIsRefused) {
    TMessageRecorder boxes;
    QDateEdit* picker = context.editors.DateEditor();
    auto openDate = [&] {
        Select(TTableKind::Rashod, 0, 1);
        Key(Qt::Key_Return);
        ASSERT_EQ(context.editors.Kind(), TEditorKind::Date);
    };
    openDate();
    // The whole date is selected, so that what is typed replaces it.
    EXPECT_EQ(picker->findChild<QLineEdit*>()->selectedText(), "10.12.2026");
    for (const char* typed : {"29.02.2027", "31042026", "00.01.2026"}) {
        SCOPED_TRACE(typed);
        boxes.Reset();
        Type(QString::fromUtf8(typed));
        Key(Qt::Key_Return);
        EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({"Неверная дата"})});
        ASSERT_TRUE(context.editors.IsOpen());
        EXPECT_EQ(context.editors.Kind(), TEditorKind::Date);
        EXPECT_EQ(context.editors.Row(), 1);
        // Not turned into some other day: the typed text waits, its dots put in where none were typed.
        QString shown = QString::fromUtf8(typed);
        if (!shown.contains(u'.')) shown = shown.left(2) + "." + shown.mid(2, 2) + "." + shown.mid(4);
        EXPECT_EQ(picker->text(), shown);
        EXPECT_EQ(picker->findChild<QLineEdit*>()->selectedText(), shown);
        EXPECT_EQ(Cell(0, 0), "10.12.2026");
    }
    // Esc leaves the cell as it was and tells nothing.
    boxes.Reset();
    Key(Qt::Key_Escape);
    EXPECT_FALSE(context.editors.IsOpen());
    EXPECT_EQ(Cell(0, 0), "10.12.2026");
    // Typed with dots or as digits alone, a day that exists is stored as typed; a refused day is put
    // right in the field it waits in, the caret moving over it freely.
    auto storedFor = [&](const QString& date) {
        const TMemTable& t = context.state.Table(TTableKind::Rashod);
        for (int r = 0; r < t.RowCount(); ++r)
            if (t.Row(r)->Cell(2) == "Хлеб" && t.Row(r)->Cell(0) == date) return true;
        return false;
    };
    const struct {
        const char* typed;
        const char* stored;
    } taken[] = {{"5.12.2026", "05.12.2026"}, {"07122026", "07.12.2026"}};
    for (const auto& c : taken) {
        SCOPED_TRACE(c.typed);
        openDate();
        Type(QString::fromUtf8(c.typed));
        Key(Qt::Key_Return);
        if (context.editors.IsOpen()) Key(Qt::Key_Escape);
        EXPECT_TRUE(storedFor(c.stored));
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    openDate();
    Type("31.04.2026");
    Key(Qt::Key_Return);
    ASSERT_TRUE(context.editors.IsOpen());
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    Key(Qt::Key_Delete);
    Type("30");
    EXPECT_EQ(picker->text(), "30.04.2026");
    Key(Qt::Key_Return);
    if (context.editors.IsOpen()) Key(Qt::Key_Escape);
    EXPECT_TRUE(storedFor("30.04.2026"));
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({"Неверная дата"})});
}
