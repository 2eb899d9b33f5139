// How an editor opens by the way the edit was started, and the row for the next record that a
// commit making its row whole leaves at once.
#include "ledger/iledgerhooks.h"
#include "ledger/tdatereader.h"
#include "ledger/teditclass.h"
#include "ledger/tgeneralclass.h"
#include "ledger/tmytype.h"
#include "messagerecorder.h"

#include <gtest/gtest.h>

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
        SCOPED_TRACE(testing::Message() << c.col << " " << int(c.start) << " " << QString(QChar(c.key)).toStdString());
        const TEditRequest r = general.BeginEdit(s.Grid(TTableKind::Rashod), c.col, 1, QChar(c.key), c.start);
        EXPECT_EQ(r.kind, c.col == 3 ? TEditorKind::Number : TEditorKind::Text);
        EXPECT_EQ(r.text, QString(c.text));
        EXPECT_EQ(r.selectAll, c.selectAll);
        EXPECT_EQ(r.caretAtEnd, c.caretAtEnd);
    }
}

TEST_F(Editing, ContinuousEntryOpensTheNextCellWithItsTextSelected) {
    // A new purse's rate holds "1" when its name is committed; the rate typed next replaces it.
    Fill(TTableKind::Purse, {{"рубль", "1", "1000", "1"}, {"евро", "1", "", "0"}});
    TDataGrid& purses = s.Grid(TTableKind::Purse);
    purses.col = 0;
    purses.row = 2;
    const TEditRequest rate = edit.AfterEnter(purses);
    EXPECT_EQ(rate.kind, TEditorKind::Number);
    EXPECT_EQ(rate.col, 1);
    EXPECT_EQ(rate.text, "1");
    EXPECT_TRUE(rate.selectAll);

    // The ledgers alike: the note opened after the purse.
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
        {"a user's base", TTableKind::User, {{"Мама", "Семья", "Администратор", "0"}, {"Дочь", "", "Обычный пользователь", "0"}},
         1, true, "Семья", true},
        {"a user's role, the base still blank", TTableKind::User,
         {{"Мама", "Семья", "Администратор", "0"}, {"Дочь", "", "", "0"}}, 2, true, "Обычный пользователь", false},
        {"a purse's name", TTableKind::Purse, {{"рубль", "1", "1000", "1"}, {"", "", "", ""}}, 0, false, "евро", true},
        {"a transfer's second purse", TTableKind::Transfer,
         {{"10.12.2026", "рубль", "1", "", "", "", ""}}, 3, true, "рубль", true},
        {"a note of a row with no kind", TTableKind::Rashod, {{"10.12.2026", "", "", "", "", "", ""}}, 5, false, "к чаю",
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
