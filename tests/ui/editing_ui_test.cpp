// The in-place editors as they open over a cell, and the row for the next record, driven through the
// main window's grids with keys and the mouse.
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "ui/tcelleditors.h"
#include "ui/thelperform.h"
#include "ui/tkindspicker.h"
#include "ui/tledgergrid.h"

#include <QAbstractItemView>
#include <QComboBox>
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
        WriteTable("rashod", {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "к чаю", "Мама"}});
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
