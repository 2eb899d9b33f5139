#include "ledger/gridids.h"
#include "ledger/iledgerhooks.h"
#include "ledger/tdatereader.h"
#include "ledger/teditclass.h"
#include "ledger/tgeneralclass.h"
#include "ledger/tkindslists.h"
#include "ledger/tkindspick.h"
#include "ledger/tmytype.h"
#include "messagerecorder.h"
#include "storage/atomicfile.h"
#include "testfolders.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QStringList Cells(const TMemTable& t, int row) {
    return t.Row(row)->Cells();
}

class KindsLists : public ::testing::Test {
protected:
    void SetUp() override {
        s.paths.dataRoot = home.Path() + "/";
        s.paths.programFolder = home.Path() + "/program";
        s.baseFolder = home.Path() + "/BASE/Семья";
        s.userName = "Мама";
        s.vidRashod.AddRow()->SetCells({"Еда", "Хлеб", "Кофе", "Конфеты"});
        s.vidRashod.AddRow()->SetCells({"Дом", "Хлеб", "Посуда"});
        s.vidDohod.AddRow()->SetCells({"Виды доходов", "Зарплата", "Премия"});
        Add(TTableKind::Rashod, {"01.12.2026", "Еда", "Хлеб", "10", "рубль", "", "Мама"});
        Add(TTableKind::Rashod, {"02.12.2026", "Дом", "Хлеб", "20", "рубль", "", "Мама"});
        Add(TTableKind::Rashod, {"03.12.2026", "Еда", "Кофе", "30", "рубль", "", "Мама"});
        Add(TTableKind::PlanRashod, {"Еда", "Хлеб", "01.12.2026", "31.12.2026", "100", "рубль", "", "Мама"});
        Add(TTableKind::PlanRashod, {"Дом", "Хлеб", "01.12.2026", "31.12.2026", "100", "рубль", "", "Мама"});
        Add(TTableKind::Dohod, {"01.12.2026", "Зарплата", "1000", "рубль", "", "Мама"});
        Add(TTableKind::PlanDohod, {"Зарплата", "01.12.2026", "31.12.2026", "1000", "рубль", "", "Мама"});
        for (TTableKind k : LedgerKinds())
            s.Grid(k).ResetRowMap();
    }
    void Add(TTableKind kind, const QStringList& cells) { s.Table(kind).AddRow()->SetCells(cells); }
    QString Cell(TTableKind kind, int row, int col) { return s.Table(kind).Row(row)->Cell(col); }

    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
    TMyType s;
    TKindsLists lists{s};
};

} // namespace

TEST_F(KindsLists, RenamingANameReachesOnlyTheRecordsOfItsKind) {
    TMessageRecorder boxes;
    const TNameCommit c = lists.CommitName(s.vidRashodGrid, 0, 1, "Батон");
    EXPECT_TRUE(c.stored);
    EXPECT_EQ(Cells(s.vidRashod, 0), QStringList({"Еда", "Батон", "Кофе", "Конфеты"}));
    EXPECT_EQ(Cell(TTableKind::Rashod, 0, 2), "Батон");
    EXPECT_EQ(Cell(TTableKind::Rashod, 1, 2), "Хлеб"); // kind Дом
    EXPECT_EQ(Cell(TTableKind::Rashod, 2, 2), "Кофе");
    EXPECT_EQ(Cell(TTableKind::PlanRashod, 0, 1), "Батон");
    EXPECT_EQ(Cell(TTableKind::PlanRashod, 1, 1), "Хлеб");
    EXPECT_TRUE(s.Table(TTableKind::Rashod).Modified());
    EXPECT_TRUE(boxes.Boxes().empty());

    // Income names follow in incomes (column 1) and income plans (column 0), whatever kind they are.
    EXPECT_TRUE(lists.CommitName(s.vidDohodGrid, 0, 1, "Оклад").stored);
    EXPECT_EQ(Cell(TTableKind::Dohod, 0, 1), "Оклад");
    EXPECT_EQ(Cell(TTableKind::PlanDohod, 0, 0), "Оклад");
}

TEST_F(KindsLists, ANameTypedIntoAListIsCheckedAndStoredWithoutGaps) {
    TMessageRecorder boxes;
    // The same name in other letters is refused, the existing one is selected, nothing changes.
    TNameCommit c = lists.CommitName(s.vidRashodGrid, 0, 4, "кофе");
    EXPECT_FALSE(c.stored);
    EXPECT_EQ(c.selectRow, 2);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0], Info({"Название \"кофе\" уже есть в таблице"}));
    EXPECT_EQ(Cells(s.vidRashod, 0), QStringList({"Еда", "Хлеб", "Кофе", "Конфеты"}));
    // Blanks around a name are not part of it.
    c = lists.CommitName(s.vidRashodGrid, 0, 4, " Кофе ");
    EXPECT_FALSE(c.stored);
    EXPECT_EQ(c.selectRow, 2);
    EXPECT_EQ(boxes.Boxes().back(), Info({"Название \"Кофе\" уже есть в таблице"}));
    // Another kind may have the same name; a new name goes just below the last one.
    c = lists.CommitName(s.vidRashodGrid, 1, 3, "  Кофе ");
    EXPECT_TRUE(c.stored);
    EXPECT_EQ(Cells(s.vidRashod, 1), QStringList({"Дом", "Хлеб", "Посуда", "Кофе"}));
    // Adding a name changes no record; a blank text and a cell past the first empty one store nothing.
    EXPECT_EQ(Cell(TTableKind::Rashod, 2, 2), "Кофе");
    EXPECT_FALSE(lists.CommitName(s.vidRashodGrid, 1, 1, "  ").stored);
    EXPECT_FALSE(lists.CommitName(s.vidRashodGrid, 1, 6, "Ваза").stored);
    EXPECT_EQ(Cells(s.vidRashod, 1), QStringList({"Дом", "Хлеб", "Посуда", "Кофе"}));
    EXPECT_EQ(boxes.Boxes().size(), 2u);
}

TEST_F(KindsLists, TypingStartsOnANameOrTheCellJustBelowTheLastName) {
    s.vidRashod.AddRow()->SetCells({"Пустой"});
    struct Case {
        int col, row;
        bool starts;
    } cases[] = {
        {0, 1, true}, {0, 3, true},  {0, 4, true}, {0, 5, false}, {0, 0, false},
        {1, 3, true}, {1, 4, false}, {2, 1, true}, {2, 2, false}, {3, 1, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TKindsLists::CanStartTyping(s.vidRashodGrid, c.col, c.row), c.starts)
            << c.col << "," << c.row;
}

TEST_F(KindsLists, KindsAreAddedAndRenamedUnderUniqueNames) {
    TMessageRecorder boxes;
    EXPECT_EQ(lists.AddKind("еда"), TKindNameResult::NotUnique);
    EXPECT_EQ(lists.AddKind(" ЕДА "), TKindNameResult::NotUnique);
    EXPECT_EQ(lists.AddKind("  "), TKindNameResult::Blank);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>(2, Error({"Название не уникально"})));
    EXPECT_EQ(s.vidRashod.RowCount(), 2);
    EXPECT_EQ(lists.AddKind(" Авто "), TKindNameResult::Done);
    ASSERT_EQ(s.vidRashod.RowCount(), 3);
    EXPECT_EQ(Cells(s.vidRashod, 2), QStringList({"Авто"}));

    // The renamed kind's own name counts too; a rename reaches expenses and the expense plan.
    EXPECT_EQ(lists.RenameKind(0, "ЕДА"), TKindNameResult::NotUnique);
    EXPECT_EQ(lists.RenameKind(0, " еда "), TKindNameResult::NotUnique);
    EXPECT_EQ(lists.RenameKind(0, " Продукты "), TKindNameResult::Done);
    EXPECT_EQ(Cells(s.vidRashod, 0).first(), "Продукты");
    EXPECT_EQ(Cell(TTableKind::Rashod, 0, 1), "Продукты");
    EXPECT_EQ(Cell(TTableKind::Rashod, 1, 1), "Дом");
    EXPECT_EQ(Cell(TTableKind::PlanRashod, 0, 0), "Продукты");
    EXPECT_EQ(boxes.Boxes().size(), 4u);
}

TEST_F(KindsLists, DeletingKindsAndNamesAsksFirst) {
    TMessageRecorder boxes;
    boxes.AnswerNo();
    EXPECT_FALSE(lists.DeleteKind(0));
    EXPECT_EQ(s.vidRashod.RowCount(), 2);
    EXPECT_EQ(boxes.Boxes()[0], Question({"Вы действительно хотите удалить столбец?"}, TMsgButton::Yes));
    s.vidRashodGrid.SortColumn = 1;
    EXPECT_TRUE(lists.DeleteKind(0));
    EXPECT_EQ(Cells(s.vidRashod, 0), QStringList({"Дом", "Хлеб", "Посуда"}));
    EXPECT_EQ(s.vidRashodGrid.SortColumn, 0);
    // The records keep the deleted kind.
    EXPECT_EQ(Cell(TTableKind::Rashod, 0, 1), "Еда");
    // The only kind left becomes the empty kind "Имя".
    EXPECT_TRUE(lists.DeleteKind(0));
    ASSERT_EQ(s.vidRashod.RowCount(), 1);
    EXPECT_EQ(Cells(s.vidRashod, 0), QStringList({"Имя"}));

    // Names: a blank cell is never asked about; the names below move up.
    boxes.Reset();
    EXPECT_FALSE(lists.DeleteName(s.vidDohodGrid, 0, 3));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(lists.DeleteName(s.vidDohodGrid, 0, 1));
    EXPECT_EQ(boxes.Boxes()[0], Question({"Вы действительно хотите удалить ячейку?"}, TMsgButton::Yes));
    EXPECT_EQ(Cells(s.vidDohod, 0), QStringList({"Виды доходов", "Премия"}));
    EXPECT_EQ(Cell(TTableKind::Dohod, 0, 1), "Зарплата");
}

TEST_F(KindsLists, ThePickersNameIsEditedInItsKindOrAddedBelowIt) {
    s.vidRashod.AddRow()->SetCells({"Пустой"});
    struct Case {
        const char* kind;
        const char* name;
        QPoint target;
    } cases[] = {
        {"Еда", "Кофе", {0, 2}}, {"Дом", "Посуда", {1, 2}}, {"Дом", "Кофе", {1, 3}},
        {"Еда", "", {0, 4}},     {"Пустой", "", {2, 1}},    {"Нет такого", "Хлеб", {0, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TKindsLists::EditTarget(s.vidRashodGrid, c.kind, c.name), c.target)
            << c.kind << " " << c.name;
}

TEST_F(KindsLists, ListsAreWrittenAndReadBackWithTheirRepair) {
    TMessageRecorder boxes;
    ASSERT_TRUE(lists.SaveKinds());
    TMemTable file;
    ASSERT_TRUE(file.LoadFromFile(s.baseFolder + "/vidrashod"));
    EXPECT_EQ(Cells(file, 1), QStringList({"Дом", "Хлеб", "Посуда"}));
    int changed = 0;
    lists.listChanged = [&changed](TDataVidGrid&) { ++changed; };
    s.vidRashod.Clear();
    lists.LoadKinds(s.vidRashodGrid);
    EXPECT_EQ(Cells(s.vidRashod, 0), QStringList({"Еда", "Хлеб", "Кофе", "Конфеты"}));
    EXPECT_EQ(changed, 1);
    // A list without names anywhere, with no default in DATA, becomes its single default kind.
    ASSERT_TRUE(WriteFileBytes(s.baseFolder + "/viddohod", QByteArray()));
    lists.LoadKinds(s.vidDohodGrid);
    EXPECT_EQ(Cells(s.vidDohod, 0), QStringList({"Виды доходов"}));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(KindsLists, ACaptionClickSortsItsKindAndAPickerWritesTheListAtOnce) {
    TMessageRecorder boxes;
    const QString file = s.baseFolder + "/vidrashod";
    // Another kind than the last sorted one goes ascending, a second click on it reverses.
    s.vidRashodGrid.SortColumn = 1;
    ASSERT_TRUE(lists.SortKind(s.vidRashodGrid, 0));
    EXPECT_EQ(Cells(s.vidRashod, 0), QStringList({"Еда", "Конфеты", "Кофе", "Хлеб"}));
    EXPECT_EQ(s.vidRashodGrid.SortColumn, 0);
    EXPECT_TRUE(s.vidRashodGrid.SortAscending);
    EXPECT_FALSE(QFileInfo::exists(file)); // the Bases page writes its list with the page
    ASSERT_TRUE(lists.SortKind(s.vidRashodGrid, 0));
    EXPECT_EQ(Cells(s.vidRashod, 0), QStringList({"Еда", "Хлеб", "Кофе", "Конфеты"}));
    EXPECT_FALSE(s.vidRashodGrid.SortAscending);
    // A picker's sort is in the file as soon as it is done.
    ASSERT_TRUE(lists.SortAndSaveKind(s.vidRashodGrid, 1));
    EXPECT_EQ(Cells(s.vidRashod, 1), QStringList({"Дом", "Посуда", "Хлеб"}));
    EXPECT_EQ(s.vidRashodGrid.SortColumn, 1);
    EXPECT_TRUE(s.vidRashodGrid.SortAscending);
    TMemTable written;
    ASSERT_TRUE(written.LoadFromFile(file));
    EXPECT_EQ(Cells(written, 0), QStringList({"Еда", "Хлеб", "Кофе", "Конфеты"}));
    EXPECT_EQ(Cells(written, 1), QStringList({"Дом", "Посуда", "Хлеб"}));
    // No such kind: nothing sorted, the state kept, nothing written.
    for (int column : {-1, 2}) {
        EXPECT_FALSE(lists.SortKind(s.vidRashodGrid, column));
        EXPECT_FALSE(lists.SortAndSaveKind(s.vidRashodGrid, column));
    }
    EXPECT_EQ(s.vidRashodGrid.SortColumn, 1);
    EXPECT_TRUE(s.vidRashodGrid.SortAscending);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(KindSearch, FirstLettersFindTheFirstMatchingNameInUpperCase) {
    TMemTable kinds;
    kinds.AddRow()->SetCells({"Еда", "Хлеб", "Кофе", "Конфеты", "cake"});
    TDataVidGrid list;
    list.Table = &kinds;
    TKindSearch search;
    struct Step {
        QChar key;
        int row;
        const char* text;
    } steps[] = {
        {u'к', 2, "к"}, {u'о', 2, "ко"}, {u'н', 3, "кон"},   {QChar(8), 2, "ко"},
        {u'x', -1, ""}, {u'C', 4, "C"},  {QChar(8), -1, ""},
    };
    for (const Step& st : steps) {
        const TKindSearch::TResult r = search.Key(list, 0, st.key);
        EXPECT_EQ(r.row, st.row) << QString(st.key).toStdString();
        EXPECT_EQ(search.Text(), QString::fromUtf8(st.text));
        EXPECT_EQ(search.Active(), st.row > 0);
        if (st.row > 0) {
            EXPECT_EQ(r.length, search.Text().size());
        }
    }
}

TEST(KindSearch, ThePlanPickersLeaveTheSpaceOutOfTheSearch) {
    const struct {
        int picker;
        QChar key;
        bool searched;
    } cases[] = {
        {gridid::VidRashod, u' ', true}, {gridid::VidDohod, u' ', true},
        {gridid::VidPlan, u' ', false},  {gridid::VidPlanDohod, u' ', false},
        {gridid::VidPlan, u'Х', true},   {gridid::VidPlanDohod, u'1', true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PickerSearchesFor(c.picker, c.key), c.searched) << c.picker << " " << int(c.key.unicode());
}

TEST(KindsDrag, ADragStartsOnlyOnADiagonalStepWithAKindAndName) {
    TMyType s;
    const TDataGrid* rashod = &s.Grid(TTableKind::Rashod);
    const TDataGrid* dohod = &s.Grid(TTableKind::Dohod);
    const TDataGrid* dolg = &s.Grid(TTableKind::Dolg);
    struct Case {
        const TDataVidGrid* list;
        const TDataGrid* ledger;
        const char* kind;
        const char* name;
        QPoint to;
        TDragStep step;
    } cases[] = {
        {&s.vidRashodGrid, rashod, "Еда", "Хлеб", {15, 10}, TDragStep::MoveReference},
        {&s.vidRashodGrid, rashod, "Еда", "Хлеб", {10, 14}, TDragStep::MoveReference},
        {&s.vidRashodGrid, rashod, "Еда", "Хлеб", {11, 11}, TDragStep::Start},
        {&s.vidRashodGrid, rashod, "", "Хлеб", {20, 20}, TDragStep::MoveReference},
        {&s.vidDohodGrid, dohod, "", "Зарплата", {20, 20}, TDragStep::Start},
        {&s.vidDohodGrid, dohod, "Виды доходов", "", {20, 20}, TDragStep::MoveReference},
        {&s.vidRashodGrid, dohod, "Еда", "Хлеб", {20, 20}, TDragStep::None},
        {&s.vidRashodGrid, dolg, "Еда", "Хлеб", {20, 20}, TDragStep::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DragStep(*c.list, c.ledger, c.kind, c.name, QPoint(10, 10), c.to), c.step)
            << c.kind << c.name << " " << c.to.x() << "," << c.to.y();
}

namespace {

class Picking : public ::testing::Test {
protected:
    void SetUp() override {
        s.userName = "Мама";
        s.vidRashod.AddRow()->SetCells({"Еда", "Хлеб", "Кофе"});
        s.vidRashod.AddRow()->SetCells({"Дом", "Посуда"});
        s.vidRashod.AddRow()->SetCells({"Жильё", "Аренда"});
        s.vidDohod.AddRow()->SetCells({"Виды доходов", "Зарплата"});
        TMemTable& r = s.Table(TTableKind::Rashod);
        r.AddRow()->SetCells({"01.12.2026", "Дом", "Посуда", "100", "рубль", "", "Папа"});
        r.AddRow()->SetCells({"05.12.2026", "Еда", "Хлеб", "10", "рубль", "", "Папа"});
        r.AddRow()->SetCells({"10.12.2026", "", "", "", "", "", ""});
        for (TTableKind k : LedgerKinds())
            s.Grid(k).ResetRowMap();
    }
    TEditRequest Pick(TTableKind kind, const TDataVidGrid& list, int col, int row, TPickTrigger trigger) {
        return PickKind(s, general, edit, list, col, row, s.Grid(kind), trigger);
    }
    QStringList Row(TTableKind kind, int row) { return s.Table(kind).Row(row)->Cells(); }

    TTodayOverride today{QDate(2026, 12, 10)};
    TMyType s;
    TNoLedgerHooks hooks;
    TGeneralClass general{s, hooks};
    TEditClass edit{s, general, hooks};
};

} // namespace

TEST_F(Picking, EnterWritesTheSelectedRowAndDoubleClickTheLastUnlessAnEditWasStarted) {
    TMessageRecorder boxes;
    TDataGrid& g = s.Grid(TTableKind::Rashod);
    g.row = 1;
    g.col = 1;
    // Double-click without a started edit: the last (new) row, whatever row is selected.
    TEditRequest req = Pick(TTableKind::Rashod, s.vidRashodGrid, 0, 2, TPickTrigger::DoubleClick);
    EXPECT_EQ(Row(TTableKind::Rashod, 2), QStringList({"10.12.2026", "Еда", "Кофе", "", "", "", "Мама"}));
    EXPECT_EQ(Row(TTableKind::Rashod, 0)[2], "Посуда");
    EXPECT_EQ(req.kind, TEditorKind::Number);
    EXPECT_EQ(req.col, 3);
    EXPECT_EQ(req.row, 3);
    EXPECT_TRUE(req.selectAll);
    // With the edit started by the edit button the selected record is replaced; its user stays.
    g.row = 1;
    g.col = 1;
    edit.pickIntoCurrentRow = true;
    Pick(TTableKind::Rashod, s.vidRashodGrid, 0, 1, TPickTrigger::DoubleClick);
    EXPECT_EQ(Row(TTableKind::Rashod, 0),
              QStringList({"01.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Папа"}));
    // Enter always writes the logged-in user; a blank name picks nothing.
    g.row = 1;
    g.col = 0;
    Pick(TTableKind::Rashod, s.vidRashodGrid, 1, 1, TPickTrigger::Enter);
    EXPECT_EQ(Row(TTableKind::Rashod, 0),
              QStringList({"01.12.2026", "Дом", "Посуда", "100", "рубль", "", "Мама"}));
    EXPECT_EQ(Pick(TTableKind::Rashod, s.vidRashodGrid, 1, 2, TPickTrigger::Enter).kind, TEditorKind::None);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Picking, EnterKeepsTheSelectionOnTheRecordItMovedBySorting) {
    TDataGrid& g = s.Grid(TTableKind::Rashod);
    g.SortColumn = 1; // sorted by kind: Дом, Еда
    g.row = 1;
    g.col = 1;
    const TEditRequest req = Pick(TTableKind::Rashod, s.vidRashodGrid, 2, 1, TPickTrigger::Enter);
    // The record of 01.12 became Жильё and sorts after the Еда record.
    EXPECT_EQ(Row(TTableKind::Rashod, 1),
              QStringList({"01.12.2026", "Жильё", "Аренда", "100", "рубль", "", "Мама"}));
    EXPECT_EQ(req.row, 2);
    EXPECT_EQ(g.row, 2);
    EXPECT_EQ(g.col, 3);
}

TEST_F(Picking, PlanRowsGetTheirPeriodDates) {
    s.planUntilRashod = QDate(2027, 1, 9);
    TDataGrid& plan = s.Grid(TTableKind::PlanRashod);
    plan.row = 1;
    Pick(TTableKind::PlanRashod, s.vidRashodGrid, 0, 1, TPickTrigger::Enter);
    EXPECT_EQ(Row(TTableKind::PlanRashod, 0),
              QStringList({"Еда", "Хлеб", "10.12.2026", "09.01.2027", "", "", "", "Мама"}));
    // A default date later than the plan-until date: thirty days after the start instead.
    plan.DefaultDate = QDate(2027, 2, 1);
    plan.row = 1;
    Pick(TTableKind::PlanRashod, s.vidRashodGrid, 0, 2, TPickTrigger::Enter);
    EXPECT_EQ(Row(TTableKind::PlanRashod, 0).mid(0, 4),
              QStringList({"Еда", "Кофе", "01.02.2027", "03.03.2027"}));
    // A double-click leaves the dates of a started row alone; incomes take the name only.
    plan.row = 1;
    edit.pickIntoCurrentRow = true;
    Pick(TTableKind::PlanRashod, s.vidRashodGrid, 1, 1, TPickTrigger::DoubleClick);
    EXPECT_EQ(Row(TTableKind::PlanRashod, 0).mid(0, 4),
              QStringList({"Дом", "Посуда", "01.02.2027", "03.03.2027"}));
    s.Grid(TTableKind::PlanDohod).row = 1;
    Pick(TTableKind::PlanDohod, s.vidDohodGrid, 0, 1, TPickTrigger::Drop);
    EXPECT_EQ(Row(TTableKind::PlanDohod, 0),
              QStringList({"Зарплата", "10.12.2026", "09.01.2027", "", "", "", "Мама"}));
}
