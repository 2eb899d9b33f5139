// Undo and redo as a family uses them: Delete and «Да», Ctrl+Z and Ctrl+Y on the expenses, the menu
// naming each step, and Ctrl+Z inside an open cell editor left to the editor.
#include "ledger/tbaseloader.h"
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "ui/tcelleditors.h"

#include <QAction>
#include <QLineEdit>

namespace {

class Undo : public MainWindowFixture {
protected:
    void Seed() override {
        WriteTable("purse", {{"рубль", "1", "1000", "1"}});
        WriteTable("rashod", {{"08.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"},
                              {"09.12.2026", "Еда", "Кофе", "40", "рубль", "", "Мама"},
                              {"10.12.2026", "Дом", "Посуда", "50", "рубль", "", "Мама"}});
    }
    QAction* Item(const char* name) { return form->findChild<QAction*>(QString::fromLatin1(name)); }
    // The menu item as the family sees it: its text, and whether it can be chosen.
    std::pair<QString, bool> Shown(const char* name) {
        QAction* a = Item(name);
        return {a->text(), a->isEnabled()};
    }
    // A key with Ctrl (and Shift) where the keyboard is: the window's shortcuts take it unless the
    // widget there takes it itself.
    void Chord(Qt::Key key, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
        QApplication::setActiveWindow(form.get());
        Key(key, mods);
    }
    QStringList Names() {
        QStringList out;
        const TMemTable& t = context.state.Table(TTableKind::Rashod);
        for (int i = 0; i < t.RowCount(); ++i)
            out << t.Row(i)->Cell(2);
        return out;
    }
    QString Purse() { return context.state.Table(TTableKind::Purse).Row(0)->Cell(2); }
    // The expenses as the grid shows them, row by row (the name column).
    QStringList OnScreen() {
        QStringList out;
        const QAbstractItemModel* m = Rashod()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, 2).data().toString();
        return out;
    }
    // The expenses as a save writes them.
    QStringList OnDisk() {
        EXPECT_TRUE(TBaseLoader::SaveTables(context.state));
        TMemTable t;
        EXPECT_TRUE(t.LoadFromFile(context.state.baseFolder + "/rashod"));
        QStringList out;
        for (int i = 0; i < t.RowCount(); ++i)
            out << t.Row(i)->Cell(2);
        return out;
    }
};

} // namespace

TEST_F(Undo, ADeletedRecordComesBackWithCtrlZAndGoesAgainWithCtrlY) {
    TMessageRecorder boxes;
    EXPECT_EQ(Shown("UndoMenu"), std::make_pair(QString("Отменить"), false));
    EXPECT_EQ(Shown("RedoMenu"), std::make_pair(QString("Повторить"), false));
    const QString purse = Purse();
    const QStringList all = Names();
    ASSERT_EQ(all.mid(0, 3), QStringList({"Хлеб", "Кофе", "Посуда"}));

    FocusExpenseCell(0, 2);
    boxes.AnswerYes();
    Key(Qt::Key_Delete);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0], Question({"Вы действительно хотите удалить строку?"}, TMsgButton::Yes));
    EXPECT_FALSE(Names().contains("Кофе"));
    const QString purseAfterDeletion = Purse();
    EXPECT_NE(purseAfterDeletion, purse); // the money of the record went back into the purse
    EXPECT_EQ(Shown("UndoMenu"), std::make_pair(QString("Отменить: удаление записи"), true));

    Chord(Qt::Key_Z);
    EXPECT_EQ(Names(), all); // in its place
    EXPECT_EQ(Purse(), purse);
    EXPECT_EQ(OnScreen().mid(0, 3), QStringList({"Хлеб", "Кофе", "Посуда"}));
    EXPECT_EQ(OnDisk().mid(0, 3), QStringList({"Хлеб", "Кофе", "Посуда"}));
    EXPECT_EQ(Shown("UndoMenu"), std::make_pair(QString("Отменить"), false));
    EXPECT_EQ(Shown("RedoMenu"), std::make_pair(QString("Повторить: удаление записи"), true));
    EXPECT_EQ(boxes.Boxes().size(), 1u); // taking it back asks nothing

    Chord(Qt::Key_Y);
    EXPECT_FALSE(Names().contains("Кофе"));
    EXPECT_EQ(Purse(), purseAfterDeletion);
    EXPECT_FALSE(OnScreen().contains("Кофе"));
    EXPECT_FALSE(OnDisk().contains("Кофе"));
    // Ctrl+Shift+Z does it again as well.
    Chord(Qt::Key_Z);
    EXPECT_TRUE(OnScreen().contains("Кофе"));
    Chord(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(OnScreen().contains("Кофе"));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(Undo, ATypedSumIsTakenBackWithItsMoney) {
    TMessageRecorder boxes;
    const QString purse = Purse();
    FocusExpenseCell(3, 1);
    Type("70");
    ASSERT_TRUE(context.editors.IsOpen());
    Key(Qt::Key_Return);
    ASSERT_EQ(Cell(0, 3), "70");
    EXPECT_NE(Purse(), purse);
    EXPECT_EQ(Shown("UndoMenu").first, "Отменить: ввод суммы");
    // The menu item does what the key does.
    Item("UndoMenu")->trigger();
    EXPECT_EQ(Cell(0, 3), "100");
    EXPECT_EQ(Purse(), purse);
    EXPECT_EQ(Rashod()->model()->index(0, 3).data().toString(), "100");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Undo, InsideAnOpenEditorCtrlZUndoesTheTyping) {
    TMessageRecorder boxes;
    FocusExpenseCell(0, 3);
    boxes.AnswerYes();
    Key(Qt::Key_Delete); // a step the editor's Ctrl+Z must not take back
    const QStringList names = Names();
    FocusExpenseCell(5, 1); // the note
    Type("аб");
    ASSERT_TRUE(context.editors.IsOpen());
    QLineEdit* line = context.editors.LineEditor();
    const QString typed = line->text();
    Type("в");
    ASSERT_EQ(line->text(), typed + "в");
    Chord(Qt::Key_Z);
    EXPECT_TRUE(context.editors.IsOpen());
    EXPECT_NE(line->text(), typed + "в");
    EXPECT_EQ(Names(), names);
    EXPECT_EQ(Shown("UndoMenu").first, "Отменить: удаление записи");
    Key(Qt::Key_Escape);
}

TEST_F(Undo, AnotherBaseOpenedLeavesNothingToTakeBack) {
    TMessageRecorder boxes;
    FocusExpenseCell(0, 1);
    boxes.AnswerYes();
    Key(Qt::Key_Delete);
    ASSERT_TRUE(Item("UndoMenu")->isEnabled());
    form->OpenBase();
    EXPECT_EQ(Shown("UndoMenu"), std::make_pair(QString("Отменить"), false));
    EXPECT_EQ(Shown("RedoMenu"), std::make_pair(QString("Повторить"), false));
}
