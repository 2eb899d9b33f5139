// How an editor opens by the way the edit was started, the row for the next record that a commit
// making its row whole leaves at once, and the tables the editor leaves to their own rules.
#include "ledger/iledgerhooks.h"
#include "ledger/tdatereader.h"
#include "ledger/teditclass.h"
#include "ledger/tgeneralclass.h"
#include "ledger/tmytype.h"
#include "messagerecorder.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using Rows = std::vector<QStringList>;

class Editing : public ::testing::Test {
protected:
    void Fill(TTableKind kind, const Rows& rows) {
        TMemTable& t = kind == TTableKind::User ? s.users : s.Table(kind);
        for (const QStringList& r : rows)
            t.AddRow()->SetCells(r);
        s.Grid(kind).ResetRowMap();
    }

    TTodayOverride today{QDate(2026, 12, 10)};
    TMessageRecorder boxes;
    TMyType s;
    TNoLedgerHooks hooks;
    TGeneralClass general{s, hooks};
    TEditClass edit{s, general, hooks};
};

} // namespace

TEST_F(Editing, TheWayAnEditStartsDecidesWhatTheEditorOpensWith) {
    Fill(TTableKind::Rashod, {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "к чаю", "Мама"}});
    const struct {
        int col;
        TEditStart start;
        char16_t key;
        const char* text;
        bool selectAll, caretAtEnd;
    } cases[] = {
        // Typed over: the stored text is selected whole, so that what is typed replaces it.
        {3, TEditStart::Enter, 0, "100", true, false},
        {3, TEditStart::Continue, 0, "100", true, false},
        {5, TEditStart::Enter, 0, "к чаю", true, false},
        {5, TEditStart::Continue, 0, "к чаю", true, false},
        // A first key the editor takes stands alone; one the number editor refuses is dropped.
        {3, TEditStart::Key, u'7', "7", false, true},
        {3, TEditStart::Key, u'(', "(", false, true},
        {3, TEditStart::Key, u'ж', "100", true, false},
        {5, TEditStart::Key, u'н', "н", false, true},
        // Opened to amend: the caret waits after the text.
        {3, TEditStart::DoubleClick, 0, "100", false, true},
        {5, TEditStart::DoubleClick, 0, "к чаю", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.col << " " << int(c.start) << " " << QString(QChar(c.key)).toStdString());
        const TEditRequest r = general.BeginEdit(s.Grid(TTableKind::Rashod), c.col, 1, QChar(c.key), c.start);
        EXPECT_EQ(r.kind, c.col == 3 ? TEditorKind::Number : TEditorKind::Text);
        EXPECT_EQ(r.text, QString(c.text));
        EXPECT_EQ(r.selectAll, c.selectAll);
        EXPECT_EQ(r.caretAtEnd, c.caretAtEnd);
    }
}

TEST_F(Editing, ContinuousEntryOpensTheNextCellWithItsTextSelected) {
    // The note opened after the purse.
    Fill(TTableKind::Rashod, {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "к чаю", "Мама"}});
    TDataGrid& rashod = s.Grid(TTableKind::Rashod);
    rashod.col = 4;
    rashod.row = 1;
    const TEditRequest note = edit.AfterChoiceEnter(rashod);
    EXPECT_EQ(note.col, 5);
    EXPECT_EQ(note.text, "к чаю");
    EXPECT_TRUE(note.selectAll);
}

TEST_F(Editing, ACommitThatMakesTheLastRowWholeLeavesTheRowForTheNextRecord) {
    const struct {
        const char* what;
        TTableKind kind;
        Rows rows;
        int col;
        bool choice;
        const char* value;
        bool newRow;
    } cases[] = {
        {"a note of a row with no kind",
         TTableKind::Rashod,
         {{"10.12.2026", "", "", "", "", "", ""}},
         5,
         false,
         "к чаю",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TMemTable& t = c.kind == TTableKind::User ? s.users : s.Table(c.kind);
        t.Clear();
        Fill(c.kind, c.rows);
        TDataGrid& grid = s.Grid(c.kind);
        const int last = grid.GridRowCount() - 1;
        const TCommitResult r = c.choice ? edit.CommitChoice(grid, c.col, last, c.value)
                                         : edit.CommitText(grid, c.col, last, TEditorKind::Text, c.value);
        EXPECT_TRUE(r.stored);
        EXPECT_EQ(grid.RowAt(last)->Cell(c.col), QString(c.value));
        ASSERT_EQ(grid.GridRowCount(), last + 1 + (c.newRow ? 1 : 0));
        if (c.newRow) {
            EXPECT_EQ(grid.RowAt(last + 1)->Cells().mid(1).join(QString()), QString());
        }
    }
}

TEST_F(Editing, ARefusedSumOrDateIsToldAndStoresNothingAndTheEditorOpensAgainOnIt) {
    s.userName = "Мама";
    const struct {
        int col;
        const char* typed;
        const char* message;
        TEditorKind editor;
    } cases[] = {
        {3, "=10/0", "Деление на ноль", TEditorKind::Number},
        {3, "7/0+3", "Деление на ноль", TEditorKind::Number},
        {3, "abc", "Введите число или формулу", TEditorKind::Number},
        {3, "123456789012345678", "Вы ввели слишком большое число!", TEditorKind::Number},
        {3, "(2)3", "Неправильная формула", TEditorKind::Number},
        {0, "29.02.2027", "Неверная дата", TEditorKind::Date},
        {0, "31.04.2026", "Неверная дата", TEditorKind::Date},
        {0, "00.01.2026", "Неверная дата", TEditorKind::Date},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        s.Table(TTableKind::Rashod).Clear();
        // A record whose kind and name were just taken from the picker: its sum is still to come.
        Fill(TTableKind::Rashod, {{"10.12.2026", "Еда", "Хлеб", "", "", "", ""}});
        TDataGrid& grid = s.Grid(TTableKind::Rashod);
        const QStringList before = grid.RowAt(1)->Cells();
        boxes.Reset();
        edit.continueFlag = true;
        const TCommitResult r = c.editor == TEditorKind::Date
                                    ? edit.CommitDate(grid, c.col, 1, QString::fromUtf8(c.typed))
                                    : edit.CommitText(grid, c.col, 1, c.editor, QString::fromUtf8(c.typed));
        EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({QString::fromUtf8(c.message)})});
        EXPECT_FALSE(r.stored);
        EXPECT_TRUE(r.reopen);
        EXPECT_EQ(r.reopenKind, c.editor);
        EXPECT_EQ(r.reopenText, QString::fromUtf8(c.typed));
        EXPECT_FALSE(edit.continueFlag);
        // No sum 0, no user, no other date.
        EXPECT_EQ(grid.RowAt(1)->Cells().mid(0, 7), before.mid(0, 7));
        // Esc puts the stored text back, which a blank sum keeps blank.
        if (c.editor == TEditorKind::Number) {
            edit.CommitText(grid, c.col, 1, c.editor, QString());
            EXPECT_EQ(grid.RowAt(1)->Cells().mid(0, 7), before.mid(0, 7));
        }
    }
    // What is taken is stored with the user who typed it.
    TDataGrid& grid = s.Grid(TTableKind::Rashod);
    boxes.Reset();
    EXPECT_TRUE(edit.CommitText(grid, 3, 1, TEditorKind::Number, "2+3*4").stored);
    EXPECT_TRUE(edit.CommitDate(grid, 0, 1, "29.02.2028").stored);
    EXPECT_EQ(grid.RowAt(1)->Cells().mid(0, 7),
              QStringList({"29.02.2028", "Еда", "Хлеб", "14", "", "", "Мама"}));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Editing, ATableWithoutItsOwnRulesIsRefusedLoudly) {
    // Purses, transfers and users commit by the rules of the layers above; without them registered
    // nothing may be stored or shown by the editor's own guesses.
    for (TTableKind kind : {TTableKind::Purse, TTableKind::Transfer, TTableKind::User}) {
        SCOPED_TRACE(int(kind));
        Fill(kind, {{"10.12.2026", "рубль", "1", "", "", "", ""}});
        TDataGrid& grid = s.Grid(kind);
        EXPECT_THROW(edit.CommitText(grid, 0, 1, TEditorKind::Text, "евро"), std::logic_error);
        EXPECT_THROW(edit.CommitChoice(grid, 1, 1, "рубль"), std::logic_error);
        EXPECT_THROW(general.BeginEdit(grid, 0, 1, QChar(), TEditStart::Enter), std::logic_error);
        EXPECT_THROW(general.CellText(grid, 0, 1), std::logic_error);
        EXPECT_THROW(general.DeleteLedgerRow(grid, 1, false), std::logic_error);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

// The fill rule of each table of records: which editors wait for which cells, with the hint on the cell.
TEST_F(Editing, EachTableOfRecordsKeepsItsEditorsClosedUntilTheCellsTheyNeedAreFilled) {
    const QString hint = QStringLiteral("Заполните предыдущие ячейки");
    const struct {
        TTableKind kind;
        QStringList row;
        int col;
        bool waits;
    } cases[] = {
        // Expenses and incomes: the sum and what follows it wait for the kind; a purse for the sum.
        {TTableKind::Rashod, {"10.12.2026", "", "", "", "", "", ""}, col::rashod::Sum, true},
        {TTableKind::Rashod, {"10.12.2026", "", "", "", "", "", ""}, col::rashod::Note, true},
        {TTableKind::Rashod, {"10.12.2026", "Еда", "", "", "", "", ""}, col::rashod::Sum, false},
        {TTableKind::Rashod, {"10.12.2026", "Еда", "", "", "", "", ""}, col::rashod::Purse, true},
        {TTableKind::Rashod, {"10.12.2026", "Еда", "", "5", "", "", ""}, col::rashod::Purse, false},
        {TTableKind::Dohod, {"10.12.2026", "", "", "", "", ""}, col::dohod::Sum, true},
        {TTableKind::Dohod, {"10.12.2026", "Зарплата", "", "", "", ""}, col::dohod::Note, false},
        // Debts: the sum waits for the category and both dates, not for the party; the category is
        // chosen first, the purse and "В кошельке" wait for the sum.
        {TTableKind::Dolg,
         {cells::kLent, "01.12.2026", "", "Петя", "", "", "", "", "", "1"},
         col::dolg::Sum,
         true},
        {TTableKind::Dolg,
         {cells::kLent, "01.12.2026", "20.12.2026", "", "", "", "", "", "", "1"},
         col::dolg::Sum,
         false},
        {TTableKind::Dolg, {"", "", "", "", "", "", "", "", "", "1"}, col::dolg::Party, false},
        {TTableKind::Dolg, {"", "", "", "", "", "", "", "", "", "1"}, col::dolg::Category, false},
        {TTableKind::Dolg,
         {cells::kLent, "01.12.2026", "20.12.2026", "", "", "", "", "", "", "1"},
         col::dolg::InPurse,
         true},
        {TTableKind::Dolg,
         {cells::kLent, "01.12.2026", "20.12.2026", "", "5", "", "", "", "", "1"},
         col::dolg::Purse,
         false},
        // Plans: the sum waits for every cell before it.
        {TTableKind::PlanRashod,
         {"Еда", "Хлеб", "01.12.2026", "", "", "", "", ""},
         col::planrashod::Sum,
         true},
        {TTableKind::PlanRashod,
         {"Еда", "Хлеб", "01.12.2026", "31.12.2026", "", "", "", ""},
         col::planrashod::Sum,
         false},
        {TTableKind::PlanDohod, {"Зарплата", "", "31.12.2026", "", "", "", ""}, col::plandohod::Note, true},
        {TTableKind::PlanDohod,
         {"Зарплата", "01.12.2026", "31.12.2026", "", "", "", ""},
         col::plandohod::Sum,
         false},
        // Returns: the sum is typed on a row of its own; the purse waits for it.
        {TTableKind::Returns, {"", "", "", ""}, col::returns::Sum, false},
        {TTableKind::Returns, {"", "", "", ""}, col::returns::Purse, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << TableDef(c.kind).fileName.toStdString() << " column " << c.col);
        TMemTable& table = s.Table(c.kind);
        table.Clear();
        table.AddRow()->SetCells(c.row);
        TDataGrid& grid = s.Grid(c.kind);
        grid.ResetRowMap();
        boxes.Reset();
        const TEditRequest r = general.BeginEdit(grid, c.col, 1, QChar(), TEditStart::Enter);
        EXPECT_EQ(r.kind == TEditorKind::None, c.waits);
        ASSERT_EQ(boxes.Hints().size(), c.waits ? 1u : 0u);
        if (c.waits) {
            EXPECT_EQ(boxes.Hints()[0].text, hint);
        }
    }
}
