#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "ui/tcelleditors.h"
#include "ui/tkindspicker.h"
#include "ui/tledgergrid.h"

#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

class MainWindow : public MainWindowFixture {};

} // namespace

TEST_F(MainWindow, AnExpenseTypedWithTheKeyboardAlone) {
    TMessageRecorder boxes;
    Rashod()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), Rashod());
    Key(Qt::Key_Right); // onto "Вид расхода"
    Key(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), ui.Picker(5));
    Key(Qt::Key_Return);
    ASSERT_TRUE(context.editors.IsOpen());
    EXPECT_EQ(context.editors.Kind(), TEditorKind::Number);
    Type("2+3*4");
    EXPECT_EQ(context.editors.LineEditor()->text(), "2+3*4");
    Key(Qt::Key_Return);
    EXPECT_EQ(Cell(0, 3), "14");
    EXPECT_EQ(Cell(0, 6), "Мама");
    EXPECT_EQ(Cell(0, 0), "10.12.2026");
    EXPECT_TRUE(boxes.Boxes().empty());
}

namespace {

// Puts complete expenses into the table behind the window, as if typed earlier.
void Fill(TAppContext& c, const std::vector<QStringList>& rows) {
    TMemTable& t = c.state.Table(TTableKind::Rashod);
    for (const QStringList& r : rows) {
        t.InsertRow(t.RowCount() - 1)->SetCells(r);
    }
    c.state.Grid(TTableKind::Rashod).ResetRowMap();
    c.state.Grid(TTableKind::Rashod).NotifyRows();
}

} // namespace

TEST_F(MainWindow, TheFillRuleKeepsTheSumClosedUntilTheKindIsChosen) {
    TMessageRecorder boxes;
    FocusExpenseCell(3, 1);
    Type("5");
    EXPECT_FALSE(context.editors.IsOpen());
    ASSERT_EQ(boxes.Hints().size(), 1u);
    EXPECT_EQ(boxes.Hints()[0].text, "Заполните предыдущие ячейки");
    EXPECT_EQ(boxes.Hints()[0].col, 3);
}

TEST_F(MainWindow, DownMakesOneNewRowAndNoMore) {
    Fill(context, {{"09.12.2026", "Еда", "Хлеб", "30", "", "", "Мама"}});
    TMemTable& t = context.state.Table(TTableKind::Rashod);
    // The new row after a fill is incomplete; make the last row complete to see Down add one.
    t.Row(t.RowCount() - 1)->SetCells({"10.12.2026", "Еда", "Кофе", "", "", "", ""});
    Rashod()->setFocus();
    Rashod()->ShowCell(0, 2);
    context.state.Grid(TTableKind::Rashod).row = 2;
    Key(Qt::Key_Down);
    EXPECT_EQ(t.RowCount(), 3);
    EXPECT_EQ(Rashod()->CurrentGridRow(), 3);
    Key(Qt::Key_Down);
    EXPECT_EQ(t.RowCount(), 3);
}

TEST_F(MainWindow, DeletingTheNewRowTheLastRecordAndAMiddleOne) {
    Fill(context, {{"01.12.2026", "Еда", "Хлеб", "30", "", "", "Мама"},
                   {"02.12.2026", "Еда", "Кофе", "40", "", "", "Мама"}});
    TMemTable& t = context.state.Table(TTableKind::Rashod);
    TMessageRecorder boxes;
    Rashod()->setFocus();
    auto del = [&](int row) {
        context.state.Grid(TTableKind::Rashod).row = row;
        Rashod()->ShowCell(0, row);
        boxes.AnswerYes();
        Key(Qt::Key_Delete);
    };
    del(3); // the empty new row stays, empty
    EXPECT_EQ(t.RowCount(), 3);
    EXPECT_EQ(boxes.Boxes().back(), Question({"Вы действительно хотите удалить строку?"}, TMsgButton::Yes));
    del(1); // a record in the middle goes, the rows below move up
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_EQ(t.Row(0)->Cell(2), "Кофе");
    // The last grid row holding a record is emptied and gets the default date.
    t.Row(1)->SetCells({"03.12.2026", "Еда", "Сыр", "1", "", "", "Мама"});
    context.state.Grid(TTableKind::Rashod).NotifyCells();
    del(2);
    EXPECT_EQ(t.RowCount(), 2);
    EXPECT_EQ(t.Row(1)->Cells(), QStringList({"10.12.2026", "", "", "", "", "", ""}));
}

TEST_F(MainWindow, PastingIntoASumChecksTheFormula) {
    Fill(context, {{"01.12.2026", "Еда", "Хлеб", "30", "", "", "Мама"}});
    const struct {
        const char* clip;
        const char* editor;
    } cases[] = {{"12.5", "12,5"}, {"(1+2", "3"}, {"(-2)", "error"}, {"abc", "abc"}};
    for (const auto& c : cases) {
        FocusExpenseCell(3, 1);
        QApplication::clipboard()->setText(c.clip);
        QTest::keyClick(Rashod(), Qt::Key_V, Qt::ControlModifier);
        ASSERT_TRUE(context.editors.IsOpen()) << c.clip;
        EXPECT_EQ(context.editors.LineEditor()->text(), QString(c.editor)) << c.clip;
        EXPECT_EQ(context.editors.LineEditor()->selectedText(), QString(c.editor));
        Key(Qt::Key_Escape);
    }
}

TEST_F(MainWindow, AWrongFormulaIsRefusedOnceThenDropped) {
    TMessageRecorder boxes;
    Fill(context, {{"01.12.2026", "Еда", "Хлеб", "", "", "", "Мама"}});
    FocusExpenseCell(3, 1);
    Type("(2)3");
    Key(Qt::Key_Return);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({"Неправильная формула"})});
    ASSERT_TRUE(context.editors.IsOpen());
    EXPECT_EQ(context.editors.LineEditor()->selectedText(), "(2)3");
    Key(Qt::Key_Return);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_FALSE(context.editors.IsOpen());
    EXPECT_EQ(Cell(0, 3), "");
}

TEST_F(MainWindow, ADateOnTheNewRowBecomesTheNextDefaultDate) {
    Rashod()->setFocus();
    Rashod()->ShowCell(0, 1);
    Key(Qt::Key_Return);
    ASSERT_EQ(context.editors.Kind(), TEditorKind::Date);
    context.editors.DateEditor()->setDate(QDate(2024, 1, 5));
    Key(Qt::Key_Escape);
    EXPECT_EQ(Cell(0, 0), "05.01.2024");
    EXPECT_EQ(context.state.Grid(TTableKind::Rashod).DefaultDate, QDate(2024, 1, 5));
    TMemTable& t = context.state.Table(TTableKind::Rashod);
    t.Row(0)->SetCells({"05.01.2024", "Еда", "Хлеб", "", "", "", ""});
    context.general.EnsureNewRow(context.state.Grid(TTableKind::Rashod));
    EXPECT_EQ(t.Row(1)->Cell(0), "05.01.2024");
}

TEST_F(MainWindow, EditingTheSortColumnMovesTheRecordAndTheSelectionFollows) {
    Fill(context, {{"01.12.2026", "Еда", "Хлеб", "30", "", "", "Мама"},
                   {"02.12.2026", "Еда", "Кофе", "40", "", "", "Мама"},
                   {"03.12.2026", "Еда", "Сыр", "50", "", "", "Мама"}});
    Rashod()->setFocus();
    Rashod()->ShowCell(0, 1);
    context.state.Grid(TTableKind::Rashod).row = 1;
    Key(Qt::Key_Return);
    context.editors.DateEditor()->setDate(QDate(2026, 12, 9));
    Key(Qt::Key_Escape);
    EXPECT_EQ(Cell(2, 2), "Хлеб");
    EXPECT_EQ(Rashod()->CurrentGridRow(), 3);
    EXPECT_EQ(context.state.Grid(TTableKind::Rashod).row, 3);
}

namespace {

// A long expenses page sorted by the sum (1 to 200 in table order), scrolled down to its middle with
// the current cell there, and the model's signals recorded from then on.
class LongPage : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        std::vector<QStringList> rows;
        for (int i = 1; i <= kRecords; ++i)
            rows.push_back({"01.12.2026", "Еда", "Хлеб", QString::number(i), "", "", "Мама"});
        Fill(context, rows);
        context.general.SortByColumn(Grid(), 3);
        Rashod()->setFocus();
        Rashod()->verticalScrollBar()->setValue(kTop);
        Grid().col = 3;
        Grid().row = kCurrent + 1;
        Rashod()->ShowCell(3, kCurrent + 1);
        ASSERT_EQ(TopRow(), kTop);
        QAbstractItemModel* m = Rashod()->model();
        resets = std::make_unique<QSignalSpy>(m, &QAbstractItemModel::modelReset);
        changed = std::make_unique<QSignalSpy>(m, &QAbstractItemModel::dataChanged);
        inserted = std::make_unique<QSignalSpy>(m, &QAbstractItemModel::rowsInserted);
        removed = std::make_unique<QSignalSpy>(m, &QAbstractItemModel::rowsRemoved);
    }
    TDataGrid& Grid() { return context.state.Grid(TTableKind::Rashod); }
    int TopRow() { return Rashod()->rowAt(0); }
    // The model rows of each recorded signal of rows: (first, last).
    static std::vector<std::pair<int, int>> Rows(const QSignalSpy& spy) {
        std::vector<std::pair<int, int>> out;
        for (const QList<QVariant>& s : spy)
            out.emplace_back(s[1].toInt(), s[2].toInt());
        return out;
    }
    static std::vector<std::pair<int, int>> ChangedRows(const QSignalSpy& spy) {
        std::vector<std::pair<int, int>> out;
        for (const QList<QVariant>& s : spy)
            out.emplace_back(s[0].toModelIndex().row(), s[1].toModelIndex().row());
        return out;
    }
    // Types a sum into the current cell and closes the editor continuous entry opens after it.
    void TypeSum(const QString& sum) {
        Key(Qt::Key_Return);
        ASSERT_TRUE(context.editors.IsOpen());
        Type(sum);
        Key(Qt::Key_Return);
        if (context.editors.IsOpen()) Key(Qt::Key_Escape);
    }

    static constexpr int kRecords = 200;
    static constexpr int kTop = 100;     // model row at the top of the view
    static constexpr int kCurrent = 102; // model row of the current cell (sum 103)
    std::unique_ptr<QSignalSpy> resets, changed, inserted, removed;
};

} // namespace

TEST_F(LongPage, ASumTypedMovesTheRecordWithinTheViewWithoutResettingIt) {
    TMessageRecorder boxes;
    TypeSum("105,5"); // sum 103 goes after sum 105: model rows 102..104 show other records now
    const TMemTable& t = context.state.Table(TTableKind::Rashod);
    EXPECT_EQ(t.Row(104)->Cell(3), "105,5");
    EXPECT_EQ(t.Row(kCurrent)->Cell(3), "104");
    EXPECT_EQ(resets->count(), 0);
    EXPECT_TRUE(inserted->isEmpty());
    for (const auto& [first, last] : ChangedRows(*changed)) {
        EXPECT_GE(first, kCurrent);
        EXPECT_LE(last, 104);
    }
    EXPECT_FALSE(changed->isEmpty());
    // The view stays where it was; the current cell follows the record.
    EXPECT_EQ(TopRow(), kTop);
    EXPECT_EQ(Rashod()->currentIndex().row(), 104);
    EXPECT_EQ(Grid().row, 105);
}

TEST_F(LongPage, ANewRecordIsOneRowInsertedAtTheEnd) {
    TMessageRecorder boxes;
    TMemTable& t = context.state.Table(TTableKind::Rashod);
    // The new row made whole except for its sum, as the picker leaves it.
    t.Row(kRecords)->SetCells({"10.12.2026", "Еда", "Кофе", "", "", "", ""});
    Grid().row = kRecords + 1;
    Rashod()->ShowCell(3, kRecords + 1);
    Rashod()->verticalScrollBar()->setValue(kTop);
    changed->clear();
    TypeSum("50,5");
    EXPECT_EQ(t.RowCount(), kRecords + 2);
    EXPECT_EQ(t.Row(50)->Cell(3), "50,5");
    EXPECT_EQ(resets->count(), 0);
    EXPECT_EQ(Rows(*inserted), (std::vector<std::pair<int, int>>{{kRecords + 1, kRecords + 1}}));
    EXPECT_TRUE(removed->isEmpty());
    // The record went to its place by its sum, out of sight above: the view follows the record there.
    EXPECT_EQ(Rashod()->currentIndex().row(), 50);
    EXPECT_EQ(Grid().row, 51);
}

TEST_F(LongPage, ADeletedRecordIsOneRowRemoved) {
    TMessageRecorder boxes;
    boxes.AnswerYes();
    Key(Qt::Key_Delete);
    const TMemTable& t = context.state.Table(TTableKind::Rashod);
    EXPECT_EQ(t.RowCount(), kRecords);
    EXPECT_EQ(t.Row(kCurrent)->Cell(3), "104");
    EXPECT_EQ(resets->count(), 0);
    EXPECT_EQ(Rows(*removed), (std::vector<std::pair<int, int>>{{kCurrent, kCurrent}}));
    EXPECT_TRUE(inserted->isEmpty());
    // The rows below moved up under a view that stayed; the current cell is on the next record.
    EXPECT_EQ(TopRow(), kTop);
    EXPECT_EQ(Rashod()->currentIndex().row(), kCurrent);
    EXPECT_EQ(Rashod()->currentIndex().data().toString(), "104");
}
