// The money windows over a base opened in the main window: the purses tab, the totals panel, the
// debts page, the period filter with its dialog, the search and "Очистить таблицы".
#include "ledger/gridids.h"
#include "ledger/toperationswithnumbers.h"
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "storage/tsettingsfiles.h"
#include "ui/tcelleditors.h"
#include "ui/tcleartablesform.h"
#include "ui/tdebtscontroller.h"
#include "ui/tfiltercontroller.h"
#include "ui/tfilterform.h"
#include "ui/titogipanel.h"
#include "ui/tkindspicker.h"
#include "ui/tledgergrid.h"
#include "ui/tlowerpanel.h"
#include "ui/tmenuclass.h"
#include "ui/tpursepage.h"
#include "ui/ttitlestrip.h"
#include "ui/ttoolbarpanel.h"
#include "ui/ttotalsgrid.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

namespace {

using Rows = std::vector<QStringList>;

class MoneyWindows : public MainWindowFixture {
protected:
    TMyType& State() { return context.state; }
    TLowerPanel* Lower() { return ui.Lower(); }
    TPursePage* Purses() { return ui.PursePage(); }
    QString PurseCell(int row, int col) { return State().Table(TTableKind::Purse).Row(row)->Cell(col); }
    Rows TableRows(TTableKind kind) {
        Rows out;
        const TMemTable& t = State().Table(kind);
        for (int i = 0; i < t.RowCount(); ++i)
            out.push_back(t.Row(i)->Cells());
        return out;
    }
    // The rows of a totals panel grid as drawn.
    static Rows Drawn(const TTotalsGrid* grid) { return grid->Content().rows; }

    void ShowPursesTab() {
        WindowKey(Qt::Key_F7);
        ui.BaseTabs()->setCurrentIndex(2);
    }
    // Opens the editor of a cell with Enter, puts the value in and commits it with Enter; whatever
    // editor the machinery opens next is closed with Escape.
    void EditCell(TTableKind kind, int col, int gridRow, const QString& value) {
        if (context.editors.IsOpen()) Key(Qt::Key_Escape);
        TLedgerGrid* view = ui.Grid(kind);
        TDataGrid& grid = State().Grid(kind);
        view->setFocus();
        grid.col = col;
        grid.row = gridRow;
        view->ShowCell(col, gridRow);
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_TRUE(context.editors.IsOpen()) << col << " " << gridRow;
        switch (context.editors.Kind()) {
        case TEditorKind::Choice: {
            QComboBox* box = context.editors.ChoiceEditor();
            const int at = box->findText(value);
            ASSERT_GE(at, 0) << value.toStdString();
            box->setCurrentIndex(at);
            box->view()->setCurrentIndex(box->model()->index(at, 0));
            break;
        }
        case TEditorKind::Date:
            context.editors.DateEditor()->setDate(QDate::fromString(value, "dd.MM.yyyy"));
            break;
        default:
            context.editors.LineEditor()->selectAll();
            Type(value);
            break;
        }
        Key(Qt::Key_Return);
        if (context.editors.IsOpen()) Key(Qt::Key_Escape);
    }
    // Runs `inside` once the modal dialog that `open` shows is up.
    static void WithDialog(const std::function<void()>& open, const std::function<void(QWidget*)>& inside) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ran = dialog != nullptr;
            if (dialog) inside(dialog);
        });
        open();
        EXPECT_TRUE(ran);
    }
};

// Purses: рубль (base, 1000), доллар at 90 with 10, копилка empty.
class PursesAndExpenses : public MoneyWindows {
protected:
    void Seed() override {
        WriteTable("purse",
                   {{"рубль", "1", "1000", "1"}, {"доллар", "90", "10", "0"}, {"копилка", "1", "0", "0"}});
        WriteTable("rashod", {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"},
                              {"10.12.2026", "Еда", "Кофе", "5", "доллар", "", "Мама"},
                              {"09.12.2026", "Дом", "Посуда", "50", "рубль", "", "Мама"},
                              {"08.12.2026", "Еда", "Конфеты", "30", "копилка", "хлебница", "Мама"},
                              {"08.12.2026", "Еда", "Хлебцы", "40", "копилка", "", "Мама"}});
    }
};

} // namespace

TEST_F(PursesAndExpenses, ATransferTypedCellByCellMovesTheMoneyOnlyWhenComplete) {
    TMessageRecorder boxes;
    ShowPursesTab();
    ASSERT_TRUE(ui.Grid(TTableKind::Transfer)->isVisible());
    const struct {
        int col;
        const char* value;
        const char* rouble; // the purses after the cell is committed
        const char* dollar;
    } steps[] = {
        {1, "доллар", "1000", "10"},                        // its rate comes with it
        {3, "рубль", "1000", "10"},  {5, "5", "1450", "5"}, // complete: 5 dollars at 90 become 450 roubles
        {5, "2", "1180", "8"},                              // the old 5 are taken back before the 2 go
        {4, "2", "1090", "8"},                              // the rouble side at rate 2
    };
    for (const auto& s : steps) {
        EditCell(TTableKind::Transfer, s.col, 1, s.value);
        EXPECT_EQ(PurseCell(0, 2), s.rouble) << s.col << " " << s.value;
        EXPECT_EQ(PurseCell(1, 2), s.dollar) << s.col << " " << s.value;
    }
    EXPECT_EQ(TableRows(TTableKind::Transfer)[0].mid(0, 6),
              QStringList({"10.12.2026", "доллар", "90", "рубль", "2", "2"}));
    EXPECT_EQ(Purses()->TotalMoneyLabel()->text(), "Общая сумма в кошельке : 1810 (рубль)");
    // Leaving the purse list with Escape keeps the rate typed into the row.
    State().Grid(TTableKind::Transfer).col = 3;
    ui.Grid(TTableKind::Transfer)->ShowCell(3, 1);
    QTest::keyClick(ui.Grid(TTableKind::Transfer), Qt::Key_Return);
    ASSERT_EQ(context.editors.Kind(), TEditorKind::Choice);
    Key(Qt::Key_Escape);
    EXPECT_EQ(State().Table(TTableKind::Transfer).Row(0)->Cell(4), "2");
    EXPECT_EQ(PurseCell(0, 2), "1090");
    // A rate of "0" is refused before anything moves.
    EditCell(TTableKind::Transfer, 2, 1, "0");
    EXPECT_EQ(boxes.Boxes().back(), Error({"Курс кошелька не может быть нулевым"}));
    EXPECT_EQ(PurseCell(0, 2), "1090");
    // Deleting the row gives the money back.
    ui.Grid(TTableKind::Transfer)->setFocus();
    boxes.AnswerYes();
    Key(Qt::Key_Delete);
    EXPECT_EQ(PurseCell(0, 2), "1000");
    EXPECT_EQ(PurseCell(1, 2), "10");
}

TEST_F(PursesAndExpenses, ChangingTheBasePurseRescalesRatesAndTotals) {
    TMessageRecorder boxes;
    TTotalsGrid* totals = ui.Itogi()->TotalsGrid();
    EXPECT_EQ(Drawn(totals).back(), QStringList({"Итого (рубль)", "550", "670"}));
    ShowPursesTab();
    QComboBox* selector = Purses()->BasePurseSelector();
    EXPECT_EQ(selector->currentText(), "рубль");
    ASSERT_EQ(selector->count(), 3);
    selector->setFocus();
    QTest::keyClick(selector, Qt::Key_Down); // the next entry: доллар
    EXPECT_EQ(State().basePurse, "доллар");
    EXPECT_EQ(PurseCell(0, 1), "0,0111111111111111");
    EXPECT_EQ(PurseCell(1, 1), "1");
    EXPECT_EQ(ui.Grid(TTableKind::Purse)->model()->index(0, 1).data().toString(), "0,01");
    EXPECT_EQ(Purses()->TotalMoneyLabel()->text(), "Общая сумма в кошельке : 21,11 (доллар)");
    WindowKey(Qt::Key_F2);
    EXPECT_EQ(Drawn(totals).back(), QStringList({"Итого (доллар)", "6,11", "7,44"}));
    EXPECT_EQ(Drawn(ui.Itogi()->PursesGrid()).back(), QStringList({"Итого (доллар)", "21,11"}));
    EXPECT_TRUE(boxes.Boxes().empty());

    // The check box is kept with the base.
    ShowPursesTab();
    Purses()->PurseDefaultCheckBox()->click();
    EXPECT_FALSE(State().purseDefault);
    form->SaveAll();
    EXPECT_FALSE(ReadBaseSettings(State().baseFolder).purseDefault);
}

TEST_F(PursesAndExpenses, ANewPurseGetsARowAfterItForTheNextOne) {
    TMessageRecorder boxes;
    ShowPursesTab();
    EditCell(TTableKind::Purse, 0, 4, "евро");
    const TMemTable& purse = State().Table(TTableKind::Purse);
    ASSERT_EQ(purse.RowCount(), 5);
    EXPECT_EQ(purse.Row(3)->Cells(), QStringList({"евро", "1", "0", "0"}));
    EXPECT_TRUE(purse.Row(4)->Cell(0).isEmpty());
    EXPECT_EQ(Purses()->BasePurseSelector()->count(), 4);
    // A name that differs only in letter case is taken.
    EditCell(TTableKind::Purse, 0, 5, "Евро");
    EXPECT_EQ(boxes.Boxes().back(), Error({"Кошелек \"Евро\" уже существует"}));
    EXPECT_EQ(State().Grid(TTableKind::Purse).row, 4);
}

TEST_F(PursesAndExpenses, DeletingAPurseAsksItsOwnQuestionsAndReportsTheLinkedRecords) {
    TMessageRecorder boxes;
    ShowPursesTab();
    TLedgerGrid* grid = ui.Grid(TTableKind::Purse);
    grid->setFocus();
    // The base purse cannot go; no row question comes first.
    State().Grid(TTableKind::Purse).row = 1;
    grid->ShowCell(0, 1);
    Key(Qt::Key_Delete);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({"Базовый кошелек удалять нельзя"})});
    boxes.Reset();
    State().Grid(TTableKind::Purse).row = 3;
    grid->ShowCell(0, 3);
    boxes.AnswerYes();
    boxes.AnswerYes();
    Key(Qt::Key_Delete);
    const QString question = "Вы действительно хотите удалить кошелек?";
    EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{
                                 Question({question}, TMsgButton::Yes),
                                 Question({"Существуют расходы, связанные с удаляемым кошельком.", question},
                                          TMsgButton::Yes),
                                 Info({"Кошелек удален.", "Записи с удаленным кошельком остались",
                                       "в таблице расходов.", "Итоги посчитаны без учета этих записей."})}));
    EXPECT_EQ(PurseCell(1, 0), "доллар");
    EXPECT_EQ(State().Table(TTableKind::Purse).RowCount(), 3); // two purses and the new-purse row
    QComboBox* selector = Purses()->BasePurseSelector();
    EXPECT_EQ(selector->count(), 2);
    EXPECT_EQ(selector->findText("копилка"), -1);
    EXPECT_EQ(QApplication::focusWidget(), grid);

    // One step takes it back, the purse in its place in the list, and asks nothing again.
    boxes.Reset();
    QAction* undo = form->findChild<QAction*>("UndoMenu");
    ASSERT_EQ(undo->text(), "Отменить: удаление записи");
    undo->trigger();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(State().Table(TTableKind::Purse).RowCount(), 4);
    EXPECT_EQ(PurseCell(2, 0), "копилка");
    EXPECT_EQ(selector->count(), 3);
}

TEST_F(PursesAndExpenses, TodayShowsTodaysRecordsWithTheirSumsPerPurse) {
    TItogiPanel* itogi = ui.Itogi();
    EXPECT_TRUE(itogi->NoFilterLabel()->isVisible());
    EXPECT_EQ(itogi->NoFilterLabel()->text(), "Фильтр отсутствует");
    EXPECT_FALSE(itogi->FilterGrid()->isVisible());

    QAbstractButton* todayItem = Lower()->FilterButtons()->button(1);
    QTest::mouseClick(todayItem, Qt::LeftButton, {}, QPoint(8, todayItem->height() / 2));
    const TDataGrid& grid = State().Grid(TTableKind::Rashod);
    ASSERT_EQ(grid.GridRowCount(), 4); // the captions, today's two records and the new-record row
    EXPECT_EQ(grid.RowAt(1)->Cell(2), "Хлеб");
    EXPECT_EQ(grid.RowAt(2)->Cell(2), "Кофе");
    EXPECT_EQ(ui.Title()->Title(), "Таблица расходов  Фильтр : Сегодня");
    EXPECT_TRUE(ui.Menu()->Item("FilterMoneyMenu")->isChecked());
    EXPECT_FALSE(itogi->NoFilterLabel()->isVisible());
    ASSERT_TRUE(itogi->FilterGrid()->isVisible());
    EXPECT_EQ(
        Drawn(itogi->FilterGrid()),
        (Rows{
            {"Фильтр", ""}, {"рубль", "100"}, {"доллар", "5"}, {"копилка", "0"}, {"Итого (рубль)", "550"}}));
    EXPECT_EQ(QApplication::focusWidget(), ui.Grid(TTableKind::Rashod));

    // The incomes keep their own choice; coming back applies the expenses' one again.
    WindowKey(Qt::Key_F3);
    EXPECT_TRUE(Lower()->FilterButtons()->button(0)->isChecked());
    EXPECT_EQ(ui.Title()->Title(), "Таблица доходов");
    WindowKey(Qt::Key_F2);
    EXPECT_TRUE(Lower()->FilterButtons()->button(1)->isChecked());
    EXPECT_EQ(ui.Title()->Title(), "Таблица расходов  Фильтр : Сегодня");

    // Kept with the base's settings and applied again when it is next opened.
    TMessageRecorder boxes;
    form->SaveAll();
    EXPECT_EQ(ReadBaseSettings(State().baseFolder).filterIndex[0], 1);
    form.reset();
    TSession againSession;
    TAppContext again(againSession);
    again.state.paths = State().paths;
    again.state.userName = State().userName;
    again.state.baseName = State().baseName;
    again.state.baseFolder = State().baseFolder;
    again.state.admin = true;
    TQuorvaneForm reopened(again);
    reopened.resize(1136, 681);
    reopened.show();
    reopened.OpenBase();
    EXPECT_TRUE(TWindowWidgets(&reopened).Lower()->FilterButtons()->button(1)->isChecked());
    EXPECT_EQ(TWindowWidgets(&reopened).Title()->Title(), "Таблица расходов  Фильтр : Сегодня");
    EXPECT_EQ(again.state.Grid(TTableKind::Rashod).GridRowCount(), 4);
}

TEST_F(PursesAndExpenses, TheCustomFilterDialogStartsWithMinusOneInBothSums) {
    WithDialog([&] { Lower()->FilterButtons()->button(6)->click(); },
               [&](QWidget* dialog) {
                   auto* f = qobject_cast<TFilterForm*>(dialog);
                   ASSERT_NE(f, nullptr);
                   EXPECT_EQ(f->windowTitle(), "Фильтровать...");
                   EXPECT_EQ(f->SumEditS()->text(), "-1");
                   EXPECT_EQ(f->SumEditDo()->text(), "-1");
                   EXPECT_EQ(f->DateS()->date(), QDate(2026, 12, 10));
                   EXPECT_EQ(f->DateDo()->date(), QDate(2026, 12, 10));
                   EXPECT_EQ(f->VidLabel()->text(), "Вид расхода");
                   EXPECT_TRUE(f->NameEdit()->isVisible());
                   EXPECT_TRUE(f->VidEdit()->text().isEmpty());
                   f->DateS()->setDate(QDate(2026, 12, 9));
                   f->VidEdit()->setText("еда"); // whole cell, case aside
                   f->AcceptButton()->click();
               });
    const TDataGrid& grid = State().Grid(TTableKind::Rashod);
    ASSERT_EQ(grid.GridRowCount(), 4);
    EXPECT_EQ(grid.RowAt(1)->Cell(2), "Хлеб");
    EXPECT_EQ(grid.RowAt(2)->Cell(2), "Кофе");
    EXPECT_EQ(ui.Title()->Title(), "Таблица расходов  Фильтр : Настраиваемый");
    EXPECT_TRUE(Lower()->FilterButtons()->button(6)->isChecked());

    // On the debts page the dialog names the counterparty; "Отмена" leaves no filter at all.
    WindowKey(Qt::Key_F4);
    WithDialog([&] { ui.Menu()->Item("FilterEveryMenu")->trigger(); },
               [&](QWidget* dialog) {
                   auto* f = qobject_cast<TFilterForm*>(dialog);
                   ASSERT_NE(f, nullptr);
                   EXPECT_EQ(f->VidLabel()->text(), "Категория");
                   EXPECT_EQ(f->NameLabel()->text(), "Дебитор/Кредитор");
                   f->CancelButton()->click();
               });
    EXPECT_EQ(ui.Title()->Title(), "Таблица долгов");
    EXPECT_TRUE(Lower()->FilterButtons()->button(0)->isChecked());
    EXPECT_TRUE(ui.Menu()->Item("FilterNoMenu")->isChecked());
    EXPECT_FALSE(State().Grid(TTableKind::Dolg).filterActive);
}

TEST_F(PursesAndExpenses, ThreeMatchesAreSteppedForwardAndBack) {
    QLineEdit* box = Lower()->SearchEdit();
    box->setFocus();
    EXPECT_FALSE(ui.ToolBar()->PravkaButton()->isEnabled());
    Type("хлеб"); // "хлебница", "Хлебцы", "Хлеб", in the date order of the grid
    const TDataGrid& grid = State().Grid(TTableKind::Rashod);
    TLedgerGrid* view = ui.Grid(TTableKind::Rashod);
    const struct {
        Qt::Key key;
        int col, row;
    } steps[] = {{Qt::Key_unknown, 5, 1},
                 {Qt::Key_Return, 2, 2},
                 {Qt::Key_Down, 2, 4},
                 {Qt::Key_Return, 5, 1},
                 {Qt::Key_Up, 2, 4}};
    for (const auto& s : steps) {
        if (s.key != Qt::Key_unknown) QTest::keyClick(box, s.key);
        EXPECT_EQ(grid.col, s.col);
        EXPECT_EQ(grid.row, s.row);
        EXPECT_EQ(view->CurrentGridRow(), s.row);
        EXPECT_TRUE(view->isCurrentMatch(s.col, s.row));
    }
    EXPECT_EQ(Lower()->ResultLabel()->text(), "Cовпадений по запросу: 3");
    EXPECT_EQ(view->matchExtents(5, 1), (QList<QPair<int, int>>{{0, 4}}));
    EXPECT_FALSE(view->isCurrentMatch(5, 1));
    EXPECT_TRUE(view->matchExtents(2, 3).isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), box);
    // The buttons step the same way; a check box drops the highlights.
    Lower()->SearchForwardButton()->click();
    EXPECT_EQ(grid.row, 1);
    Lower()->SearchBackButton()->click();
    EXPECT_EQ(grid.row, 4);
    Lower()->RegisterCheckBox()->click();
    EXPECT_TRUE(view->matchExtents(2, 4).isEmpty());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(grid.row, 1); // only "хлебница" is lower case
    EXPECT_EQ(Lower()->ResultLabel()->text(), "Cовпадений по запросу: 1");
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(box->text().isEmpty());
    EXPECT_TRUE(view->matchExtents(5, 1).isEmpty());
    view->setFocus();
    EXPECT_TRUE(ui.ToolBar()->PravkaButton()->isEnabled());
    box->setFocus();
    Type("чай");
    EXPECT_EQ(Lower()->ResultLabel()->text(), "Совпадений нет");
}

// A query typed on after a record was edited finds what the grid holds now, not only where the shorter
// query matched before the edit.
TEST_F(PursesAndExpenses, AQueryTypedOnAfterAnEditFindsTheEditedRecord) {
    QLineEdit* box = Lower()->SearchEdit();
    box->setFocus();
    Type("хл");
    EXPECT_EQ(Lower()->ResultLabel()->text(), "Cовпадений по запросу: 3");
    EditCell(TTableKind::Rashod, 5, 3, "для хлеба"); // the note of "Посуда"
    box->setFocus();
    Type("е");
    TLedgerGrid* view = ui.Grid(TTableKind::Rashod);
    EXPECT_EQ(Lower()->ResultLabel()->text(), "Cовпадений по запросу: 4");
    EXPECT_EQ(view->matchExtents(5, 3), (QList<QPair<int, int>>{{4, 3}}));
    Type("бн");
    EXPECT_EQ(Lower()->ResultLabel()->text(), "Cовпадений по запросу: 1");
    EXPECT_EQ(view->matchExtents(5, 1), (QList<QPair<int, int>>{{0, 5}}));
    EXPECT_TRUE(view->matchExtents(5, 3).isEmpty());
}

namespace {

// The highlighted parts of a cell, wherever the view keeps its hooks.
QList<QPair<int, int>> Highlights(QAbstractItemView* view, int col, int gridRow) {
    if (auto* grid = qobject_cast<TLedgerGrid*>(view))
        return grid->matchExtents ? grid->matchExtents(col, gridRow) : QList<QPair<int, int>>{};
    auto* delegate = qobject_cast<TGridDelegate*>(view->itemDelegate());
    return delegate && delegate->matchExtents ? delegate->matchExtents(col, gridRow)
                                              : QList<QPair<int, int>>{};
}

} // namespace

TEST_F(PursesAndExpenses, TheSearchWorksOnTheKindsListOfTheBasesPage) {
    WindowKey(Qt::Key_F7);
    ui.BaseTabs()->setCurrentIndex(0);
    ASSERT_TRUE(Lower()->SearchGroup()->isVisible());
    QAbstractItemView* list = ui.KindsList(gridid::BaseRashod);
    Lower()->SearchEdit()->setFocus();
    Type("ко"); // "Конфеты" and "Кофе" under "Еда", its names sorted
    EXPECT_EQ(list->currentIndex(), list->model()->index(0, 0));
    EXPECT_EQ(Highlights(list, 0, 1), (QList<QPair<int, int>>{{0, 2}}));
    EXPECT_EQ(Highlights(list, 0, 2), (QList<QPair<int, int>>{{0, 2}}));
    Key(Qt::Key_Return);
    EXPECT_EQ(list->currentIndex(), list->model()->index(1, 0));
    EXPECT_EQ(Lower()->ResultLabel()->text(), "Cовпадений по запросу: 2");
    // Another tab searches its own list.
    ui.BaseTabs()->setCurrentIndex(1);
    EXPECT_TRUE(Highlights(list, 0, 1).isEmpty());
    EXPECT_TRUE(Lower()->ResultLabel()->text().isEmpty());
}

TEST_F(PursesAndExpenses, ClearingTablesWithThePeriodBackToFrontRemovesNothing) {
    TMessageRecorder boxes;
    const Rows before = TableRows(TTableKind::Rashod);
    TClearTablesForm* dialog = ui.ClearForm();
    auto clear = [&](QDate from, QDate to, bool answer) {
        if (answer)
            boxes.AnswerYes();
        else
            boxes.AnswerNo();
        WithDialog([&] { ui.Menu()->Item("ClearBaseMenu")->trigger(); },
                   [&](QWidget* shown) {
                       ASSERT_EQ(shown, dialog);
                       EXPECT_EQ(dialog->FromDate()->date(), QDate(2026, 12, 10));
                       EXPECT_FALSE(dialog->RecalcBox()->isChecked());
                       dialog->FromDate()->setDate(from);
                       dialog->ToDate()->setDate(to);
                       dialog->TableBoxes()[0]->setChecked(true);
                       dialog->RecalcBox()->setChecked(true);
                       dialog->AcceptButton()->click();
                   });
        EXPECT_FALSE(dialog->isVisible());
    };
    clear(QDate(2026, 12, 10), QDate(2026, 12, 1), true);
    EXPECT_EQ(boxes.Boxes(),
              (std::vector<TMessage>{Question({"Будет произведено удаление всех записей",
                                               "в выделенных таблицах в указанном диапазоне дат",
                                               "Восстановление будет невозможно.", "Продолжить?"},
                                              TMsgButton::No)}));
    EXPECT_EQ(TableRows(TTableKind::Rashod), before);
    // Answering "Нет" keeps everything too; the table's box stays ticked for the next time.
    clear(QDate(2026, 12, 1), QDate(2026, 12, 9), false);
    EXPECT_EQ(TableRows(TTableKind::Rashod), before);
    EXPECT_TRUE(dialog->TableBoxes()[0]->isChecked());
    // The right way round: the three earlier records go and their money comes back.
    clear(QDate(2026, 12, 1), QDate(2026, 12, 9), true);
    EXPECT_EQ(State().Table(TTableKind::Rashod).RowCount(), 3);
    EXPECT_EQ(PurseCell(0, 2), "1050");
    EXPECT_EQ(PurseCell(2, 2), "70");
    EXPECT_EQ(Drawn(ui.Itogi()->TotalsGrid()).back(), QStringList({"Итого (рубль)", "550", "550"}));
}

namespace {

// Three lent debts: 1000 with a return of 300, 200 returned in full, and 50 due before today.
class Debts : public MoneyWindows {
protected:
    void Seed() override {
        WriteTable("purse", {{"рубль", "1", "1000", "1"}, {"копилка", "1", "0", "0"}});
        WriteTable(
            "dolg",
            {{"дано в долг", "01.12.2026", "", "Петя", "1000", "рубль", "", "отображать", "Мама"},
             {"дано в долг", "02.12.2026", "", "Оля", "200", "рубль", "", "отображать", "Мама"},
             {"дано в долг", "03.12.2026", "05.12.2026", "Коля", "50", "рубль", "", "отображать", "Мама"}});
        WriteTable("Debt/debt0", {{"05.12.2026", "300", "копилка"}});
        WriteTable("Debt/debt1", {{"06.12.2026", "200", "рубль"}});
        WriteTable("Debt/debt2", {});
    }
    TLedgerGrid* DebtGrid() { return ui.Grid(TTableKind::Dolg); }
    TLedgerGrid* ReturnsGrid() { return ui.Grid(TTableKind::Returns); }
    // A click on the debt's first cell.
    void SelectDebt(int gridRow) {
        TLedgerGrid* grid = DebtGrid();
        const QRect cell = grid->visualRect(grid->model()->index(gridRow - 1, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
};

} // namespace

TEST_F(Debts, TheReturnsFollowTheSelectedDebtWithTheirTitleAndColours) {
    TMessageRecorder boxes;
    WindowKey(Qt::Key_F4);
    TTitleStrip* strip = ui.ReturnsStrip();
    const TDataGrid& returns = State().Grid(TTableKind::Returns);
    EXPECT_EQ(strip->Title(), "  Возврат долга: дано в долг | Петя | 1000 | рубль | ");
    EXPECT_EQ(returns.RowAt(1)->Cell(1), "300");
    EXPECT_EQ(returns.RowAt(1)->Cell(3), "700");
    SelectDebt(2);
    EXPECT_EQ(strip->Title(), "  Возврат долга: дано в долг | Оля | 200 | рубль | ");
    EXPECT_EQ(returns.RowAt(1)->Cell(1), "200");
    SelectDebt(3);
    EXPECT_EQ(strip->Title(), "  Возврат долга: дано в долг | Коля | 50 | рубль | ");
    EXPECT_EQ(returns.GridRowCount(), 2); // the row for a first return

    const auto colour = DebtGrid()->rowTextColour;
    EXPECT_FALSE(colour(1).isValid());
    EXPECT_EQ(colour(2), QColor(128, 128, 128));
    EXPECT_EQ(colour(3), QColor(200, 0, 0));

    // Ctrl+Tab goes to the returns and back.
    DebtGrid()->setFocus();
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), ReturnsGrid());
    EXPECT_EQ(State().current, &State().Grid(TTableKind::Returns));
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), DebtGrid());

    // The debts' totals grid: seven columns, two title rows, a row per purse and the total.
    EXPECT_EQ(ui.Itogi()->TotalsGrid()->ColumnWidths().size(), 7);
    EXPECT_EQ(Drawn(ui.Itogi()->TotalsGrid()),
              (Rows{{"Долги", "Всего", "", "Возврат", "долга", "Остаток", ""},
                    {"", "Дано", "Взято", "Я вернул", "Мне вернули", "Я должен", "Мне должны"},
                    {"рубль", "1250", "0", "0", "200", "0", "1050"},
                    {"копилка", "0", "0", "0", "300", "0", "-300"},
                    {"Итого (рубль)", "1250", "0", "0", "500", "0", "750"}}));
    // A filter chosen while the returns have the keys changes nothing and hands them to the debts.
    ReturnsGrid()->setFocus();
    Lower()->FilterButtons()->button(1)->click();
    EXPECT_EQ(QApplication::focusWidget(), DebtGrid());
    EXPECT_FALSE(State().Grid(TTableKind::Dolg).filterActive);
    EXPECT_TRUE(Lower()->FilterButtons()->button(0)->isChecked());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Debts, AReturnTypedAndDeletedMovesItsPurse) {
    TMessageRecorder boxes;
    WindowKey(Qt::Key_F4);
    SelectDebt(3);
    const TMemTable& purse = State().Table(TTableKind::Purse);
    EditCell(TTableKind::Returns, 1, 1, "20");
    EXPECT_EQ(purse.Row(0)->Cell(2), "1020"); // the base purse came in by itself
    const TDataGrid& returns = State().Grid(TTableKind::Returns);
    EXPECT_EQ(returns.RowAt(1)->Cells().mid(1, 3), QStringList({"20", "рубль", "30"}));
    EXPECT_EQ(ui.ReturnsStrip()->Title(), "  Возврат долга: дано в долг | Коля | 50 | рубль | ");
    ReturnsGrid()->setFocus();
    State().Grid(TTableKind::Returns).row = 1;
    ReturnsGrid()->ShowCell(0, 1);
    boxes.AnswerYes();
    Key(Qt::Key_Delete);
    EXPECT_EQ(boxes.Boxes().back(), Question({"Вы действительно хотите удалить строку?"}, TMsgButton::Yes));
    EXPECT_EQ(purse.Row(0)->Cell(2), "1000");
    // A debt without a sum takes no return.
    SelectDebt(4);
    ReturnsGrid()->setFocus();
    State().Grid(TTableKind::Returns).row = 1;
    ReturnsGrid()->ShowCell(1, 1);
    Key(Qt::Key_Return);
    EXPECT_FALSE(context.editors.IsOpen());
    ASSERT_FALSE(boxes.Hints().empty());
    EXPECT_EQ(boxes.Hints().back().text, "Долга нет");
    EXPECT_EQ(ui.ReturnsStrip()->Title(), "  Возврат долга");
}

TEST_F(Debts, AReturnBeyondTheDebtIsAskedAboutAndItsOverpaymentOwesNobodyElsesDebt) {
    TMessageRecorder boxes;
    WindowKey(Qt::Key_F4);
    SelectDebt(3); // Коля owes 50
    ReturnsGrid()->setFocus();
    State().Grid(TTableKind::Returns).col = 1;
    State().Grid(TTableKind::Returns).row = 1;
    ReturnsGrid()->ShowCell(1, 1);
    Key(Qt::Key_Return);
    ASSERT_EQ(context.editors.Kind(), TEditorKind::Number);
    Type("80");
    Key(Qt::Key_Return);
    const TMessage asked =
        Question({"Сумма возврата больше остатка долга (осталось 50). Записать?"}, TMsgButton::No);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{asked});
    // "Нет", the default: nothing is recorded and the sum waits to be put right.
    const TDataGrid& returns = State().Grid(TTableKind::Returns);
    EXPECT_EQ(returns.RowAt(1)->Cell(1), "");
    ASSERT_TRUE(context.editors.IsOpen());
    EXPECT_EQ(context.editors.LineEditor()->selectedText(), "80");
    // "Да": a return beyond the debt, as a family may make.
    boxes.AnswerYes();
    Type("60");
    Key(Qt::Key_Return);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>(2, asked));
    EXPECT_EQ(returns.RowAt(1)->Cells().mid(1, 3), QStringList({"60", "рубль", "-10"}));
    if (context.editors.IsOpen()) Key(Qt::Key_Escape);
    // Петя still owes 700: Коля's 10 over do not count against it.
    EXPECT_EQ(Drawn(ui.Itogi()->TotalsGrid()).back(),
              QStringList({"Итого (рубль)", "1250", "0", "0", "560", "0", "700"}));
}

TEST(TotalsGrid, ColumnsRowsAndTheWholeTextOfACutOffCell) {
    EXPECT_EQ(EvenColumnWidths(100, 3), (QList<int>{33, 33, 34}));
    EXPECT_EQ(DebtColumnWidths(800), (QList<int>{133, 100, 100, 100, 133, 100, 134}));
    QWidget window;
    window.resize(400, 200);
    TTotalsGrid grid(&window);
    TPanelGrid content;
    content.columns = 2;
    content.Add({"В кошельке", ""}, true);
    content.Add({"Семейная копилка на отпуск", "12"});
    content.Add({"Итого (рубль)", "12"}, true);
    grid.SetContent(content);
    grid.SetColumnWidths({60, 100});
    grid.setGeometry(10, 10, 160, grid.HeightForRows());
    window.show();
    EXPECT_EQ(grid.HeightForRows(), 3 * (grid.RowHeight() + 2));
    EXPECT_EQ(grid.focusPolicy(), Qt::NoFocus);

    const QPoint cutOff = grid.CellRect(0, 1).center();
    QTest::mouseMove(&grid, cutOff);
    ASSERT_NE(grid.FullTextPanel(), nullptr);
    EXPECT_TRUE(grid.FullTextPanel()->isVisible());
    EXPECT_EQ(grid.FullTextPanel()->text(), "Семейная копилка на отпуск");
    EXPECT_EQ(grid.FullTextPanel()->geometry().topLeft(), grid.mapTo(&window, grid.CellRect(0, 1).topLeft()));
    QTest::mouseMove(&grid, grid.CellRect(1, 1).center()); // "12" fits its column
    EXPECT_FALSE(grid.FullTextPanel()->isVisible());
    QTest::mouseMove(&grid, cutOff);
    EXPECT_TRUE(grid.FullTextPanel()->isVisible());
    QTest::mouseMove(&grid, QPoint(2, cutOff.y())); // near the border
    EXPECT_FALSE(grid.FullTextPanel()->isVisible());
}
