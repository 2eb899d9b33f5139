#include "ledger/gridids.h"
#include "ledger/tkindsmodel.h"
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "ui/tcelleditors.h"
#include "ui/tgridcontroller.h"
#include "ui/thelperform.h"
#include "ui/tkindscommands.h"
#include "ui/tkindslistcontroller.h"
#include "ui/tkindspicker.h"
#include "ui/tlowerpanel.h"
#include "ui/ttoolbarpanel.h"

#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

namespace {

class KindsWindow : public MainWindowFixture {
protected:
    TMyType& S() { return context.state; }
    TKindsPicker* Picker(int id = gridid::VidRashod) { return ui.Picker(id); }
    TKindsListView* List(int id = gridid::BaseRashod) { return ui.KindsList(id); }
    TKindsListController* ListCtl(int id = gridid::BaseRashod) { return ui.KindsListController(id); }
    QStringList Kind(int k) { return S().vidRashod.Row(k)->Cells(); }
    QString Shown(QTableView* view, int col, int gridRow) {
        return view->model()->index(gridRow - 1, col).data().toString();
    }
    // Puts a kind's names in the given order and lets every view show them.
    void SetKind(int k, const QStringList& cells) {
        S().vidRashod.Row(k)->SetCells(cells);
        context.kinds.listChanged(S().vidRashodGrid);
    }
    // A complete expense above the new row.
    void AddExpense(const QStringList& cells) {
        TDataGrid& g = S().Grid(TTableKind::Rashod);
        g.Table->InsertRow(0)->SetCells(cells);
        g.ResetRowMap();
        ui.Controller(TTableKind::Rashod)->Refresh();
    }
    QPoint CellCentre(QTableView* view, int col, int gridRow) {
        return view->visualRect(view->model()->index(gridRow - 1, col)).center();
    }
    void ClickCaption(QTableView* view, int col) {
        QHeaderView* h = view->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(col) + 5, h->height() / 2));
    }
    QString PravkaText() { return ui.ToolBar()->PravkaButton()->text(); }
    void ToBasesTab(int tab) {
        form->SwitchSection(TQuorvaneForm::Base);
        ui.BaseTabs()->setCurrentIndex(tab);
    }
};

} // namespace

TEST_F(KindsWindow, TypingTheFirstLettersFindsANameAndAMissClearsTheSearch) {
    TMessageRecorder boxes;
    SetKind(0, {"Еда", "Хлеб", "Кофе", "Конфеты"});
    TKindsPicker* p = Picker();
    p->setFocus();
    p->SelectCell(0, 1);
    QLabel* label = ui.Lower()->ResultLabel();
    Type("к");
    EXPECT_EQ(p->SelectedRow(), 2);
    Type("о");
    EXPECT_EQ(p->SelectedName(), "Кофе");
    EXPECT_EQ(label->text(), "ко");
    EXPECT_FALSE(label->isHidden());
    Type("x");
    EXPECT_EQ(p->SelectedRow(), 1);
    EXPECT_TRUE(p->Search().Text().isEmpty());
    EXPECT_TRUE(label->isHidden());
    // The next key starts afresh; moving the selection ends the search.
    Type("к");
    EXPECT_EQ(p->SelectedRow(), 2);
    Key(Qt::Key_Down);
    EXPECT_EQ(p->SelectedRow(), 3);
    EXPECT_FALSE(p->Search().Active());
    EXPECT_TRUE(label->isHidden());
    // The search never touches the records.
    EXPECT_EQ(Cell(0, 1), "");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(KindsWindow, ABlankPickerCellTakesNoKeysAndEscapeKeepsTheFocus) {
    TKindsPicker* p = Picker();
    p->setFocus();
    p->SelectCell(1, 2); // below Дом's only name
    Key(Qt::Key_Return);
    Type("п");
    Key(Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), p);
    EXPECT_FALSE(context.editors.IsOpen());
    EXPECT_EQ(Cell(0, 1), "");
    p->SelectCell(1, 1);
    Key(Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), Rashod());
}

TEST_F(KindsWindow, ADoubleClickFillsTheLastRowUnlessTheEditWasStartedFromTheRecord) {
    TMessageRecorder boxes;
    AddExpense({"01.12.2026", "Дом", "Посуда", "100", "рубль", "", "Папа"});
    TDataGrid& g = S().Grid(TTableKind::Rashod);
    g.row = 1;
    g.col = 1;
    ui.Controller(TTableKind::Rashod)->Refresh();
    TKindsPicker* p = Picker();
    // After the sort on opening, Еда reads Конфеты, Кофе, Хлеб.
    QTest::mouseDClick(p->viewport(), Qt::LeftButton, {}, CellCentre(p, 0, 2));
    EXPECT_EQ(Cell(0, 2), "Посуда");
    EXPECT_EQ(Cell(1, 1), "Еда");
    EXPECT_EQ(Cell(1, 2), "Кофе");
    ASSERT_TRUE(context.editors.IsOpen());
    EXPECT_EQ(context.editors.Kind(), TEditorKind::Number);
    EXPECT_EQ(context.editors.Row(), 2);
    EXPECT_EQ(context.editors.Col(), 3);
    Key(Qt::Key_Escape);

    // The edit button on the record's kind sends the focus to the picker; the pick replaces the record.
    g.row = 1;
    g.col = 1;
    ui.Controller(TTableKind::Rashod)->Refresh();
    Rashod()->setFocus();
    ui.ToolBar()->PravkaButton()->click();
    ASSERT_EQ(QApplication::focusWidget(), p);
    EXPECT_TRUE(context.edit.pickIntoCurrentRow);
    QTest::mouseDClick(p->viewport(), Qt::LeftButton, {}, CellCentre(p, 0, 3));
    EXPECT_EQ(Cell(0, 1), "Еда");
    EXPECT_EQ(Cell(0, 2), "Хлеб");
    EXPECT_EQ(Cell(0, 6), "Папа");
    EXPECT_EQ(Cell(1, 2), "Кофе");
    EXPECT_FALSE(context.edit.pickIntoCurrentRow);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(KindsWindow, DraggingANameOntoTheLedgerFillsItsLastRow) {
    AddExpense({"01.12.2026", "Дом", "Посуда", "100", "рубль", "", "Папа"});
    TKindsPicker* p = Picker();
    QWidget* vp = p->viewport();
    const QPoint start = CellCentre(p, 0, 3); // Хлеб
    const QPoint overLedger = vp->mapFrom(form.get(), Rashod()->mapTo(form.get(), QPoint(40, 60)));
    const QPoint elsewhere =
        vp->mapFrom(form.get(), p->mapTo(form.get(), QPoint(p->width() - 10, p->height() - 5)));
    auto drag = [&](QPoint releaseAt) {
        QTest::mousePress(vp, Qt::LeftButton, {}, start);
        QTest::mouseMove(vp, start + QPoint(12, 0));
        EXPECT_FALSE(p->Dragging()) << "a straight move";
        QTest::mouseMove(vp, start + QPoint(20, 6));
        EXPECT_TRUE(p->Dragging());
        ASSERT_NE(p->DragLabel(), nullptr);
        EXPECT_TRUE(p->DragLabel()->isVisible());
        QTest::mouseMove(vp, releaseAt);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, releaseAt);
        EXPECT_FALSE(p->Dragging());
        EXPECT_FALSE(p->DragLabel()->isVisible());
    };
    drag(elsewhere);
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_FALSE(context.editors.IsOpen());
    drag(overLedger);
    EXPECT_EQ(Cell(0, 2), "Посуда");
    EXPECT_EQ(Cell(1, 1), "Еда");
    EXPECT_EQ(Cell(1, 2), "Хлеб");
    EXPECT_EQ(Cell(1, 6), "Мама");
    EXPECT_EQ(context.editors.Kind(), TEditorKind::Number);
}

TEST_F(KindsWindow, PastingInAPickerOnlyPointsToTheBasesPage) {
    TMessageRecorder boxes;
    const QStringList before = Kind(0);
    QApplication::clipboard()->setText("Мусор");
    TKindsPicker* p = Picker();
    p->setFocus();
    p->SelectCell(0, 1);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Kind(0), before);
    TBasesNotice* notice = TKindsPicker::Notice(form.get());
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->Text(), "Редактирование производится на странице \"Базы\"      ");
    EXPECT_TRUE(notice->Timer().isActive());
    EXPECT_EQ(notice->Timer().interval(), 3000);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), before[1]);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(notice->isVisible());
    EXPECT_FALSE(context.editors.IsOpen());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(KindsWindow, ACaptionClickSortsTheKindInBothPickersAndWritesTheList) {
    SetKind(1, {"Дом", "Посуда", "Ведро", "Мыло"});
    TKindsPicker* expenses = Picker(gridid::VidRashod);
    TKindsPicker* plan = Picker(gridid::VidPlan);
    const QStringList ascending{"Дом", "Ведро", "Мыло", "Посуда"};
    const QStringList descending{"Дом", "Посуда", "Мыло", "Ведро"};
    ClickCaption(expenses, 1);
    EXPECT_EQ(Kind(1), ascending);
    EXPECT_EQ(Shown(plan, 1, 1), "Ведро");
    TMemTable file;
    ASSERT_TRUE(file.LoadFromFile(S().baseFolder + "/vidrashod"));
    EXPECT_EQ(file.Row(1)->Cells(), ascending);
    ClickCaption(expenses, 1);
    EXPECT_EQ(Kind(1), descending);
    EXPECT_EQ(Shown(plan, 1, 1), "Посуда");
    EXPECT_EQ(Shown(expenses, 1, 3), "Ведро");
    EXPECT_EQ(S().vidRashodGrid.SortColumn, 1);
    EXPECT_FALSE(S().vidRashodGrid.SortAscending);
    ASSERT_TRUE(file.LoadFromFile(S().baseFolder + "/vidrashod"));
    EXPECT_EQ(file.Row(1)->Cells(), descending);
}

TEST_F(KindsWindow, NamesAreTypedOnTheBasesPageWithoutGaps) {
    TMessageRecorder boxes;
    ToBasesTab(0);
    TKindsListView* list = List();
    list->setFocus();
    ListCtl()->Select(1, 3); // the second empty cell below Посуда
    Type("Х");
    EXPECT_FALSE(context.editors.IsOpen());
    ListCtl()->Select(1, 2);
    Type("Хлам");
    ASSERT_TRUE(context.editors.IsOpen());
    Key(Qt::Key_Return);
    EXPECT_EQ(Kind(1), QStringList({"Дом", "Посуда", "Хлам"}));
    EXPECT_EQ(QApplication::focusWidget(), list);
    // The same name in other letters is refused and the existing one selected.
    ListCtl()->Select(1, 3);
    Type("посуда");
    Key(Qt::Key_Return);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0], Info({"Название \"посуда\" уже есть в таблице"}));
    EXPECT_EQ(Kind(1), QStringList({"Дом", "Посуда", "Хлам"}));
    EXPECT_EQ(list->CurrentGridRow(), 1);
    // Delete asks, and the names below move up.
    Key(Qt::Key_Delete);
    EXPECT_EQ(boxes.Boxes().back(), Question({"Вы действительно хотите удалить ячейку?"}, TMsgButton::Yes));
    EXPECT_EQ(Kind(1), QStringList({"Дом", "Хлам"}));
    // Leaving the tab writes the list and the pickers show it.
    ui.BaseTabs()->setCurrentIndex(1);
    EXPECT_EQ(Shown(Picker(gridid::VidPlan), 1, 1), "Хлам");
    TMemTable file;
    ASSERT_TRUE(file.LoadFromFile(S().baseFolder + "/vidrashod"));
    EXPECT_EQ(file.Row(1)->Cells(), QStringList({"Дом", "Хлам"}));
}

TEST_F(KindsWindow, NamesTypedOneAfterAnotherEachGoIntoTheNextEmptyCell) {
    TMessageRecorder boxes;
    // A record with the name that the next one must not rename.
    AddExpense({"01.12.2026", "Дом", "Кешбэк", "100", "рубль", "", "Мама"});
    const struct {
        int tab, gridId, col, row;
        QStringList kind; // the kind's cells afterwards
    } cases[] = {
        {0, gridid::BaseRashod, 1, 2, {"Дом", "Посуда", "Кешбэк", "Аренда"}},
        // The longest kind (sorted when the page opened): the grid grows a row for the next name.
        {0, gridid::BaseRashod, 0, 4, {"Еда", "Конфеты", "Кофе", "Хлеб", "Кешбэк", "Аренда"}},
        {1, gridid::BaseDohod, 0, 1, {"Виды доходов", "Кешбэк", "Аренда"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind.first().toStdString());
        ToBasesTab(c.tab);
        TKindsListView* list = List(c.gridId);
        list->setFocus();
        ListCtl(c.gridId)->Select(c.col, c.row);
        for (const char* name : {"Кешбэк", "Аренда"}) {
            Type(QString::fromUtf8(name));
            ASSERT_TRUE(context.editors.IsOpen()) << name;
            Key(Qt::Key_Return);
        }
        const TMemTable& table = c.gridId == gridid::BaseRashod ? S().vidRashod : S().vidDohod;
        EXPECT_EQ(table.Row(c.col)->Cells(), c.kind);
        // The cursor waits on the empty cell for a third name.
        EXPECT_EQ(list->CurrentGridRow(), c.row + 2);
        EXPECT_EQ(Shown(list, c.col, c.row + 2), "");
        EXPECT_EQ(QApplication::focusWidget(), list);
    }
    EXPECT_EQ(Cell(0, 2), "Кешбэк");
    // A name renamed in place keeps the cursor on it.
    ToBasesTab(0);
    List()->setFocus();
    ListCtl()->Select(1, 1);
    Key(Qt::Key_Return);
    context.editors.LineEditor()->setText("Тарелки");
    Key(Qt::Key_Return);
    EXPECT_EQ(Kind(1).mid(0, 2), QStringList({"Дом", "Тарелки"}));
    EXPECT_EQ(List()->CurrentGridRow(), 1);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(KindsWindow, KindsAreAddedThroughTheInputDialogWhichStaysOpenOnARefusal) {
    TMessageRecorder boxes;
    ToBasesTab(0);
    List()->setFocus();
    ui.ToolBar()->AddVidButton()->click();
    THelperForm* helper = &helperForm;
    ASSERT_TRUE(helper->isVisible());
    EXPECT_EQ(helper->windowTitle(), "Введите название вида расхода");
    helper->NameEdit()->setText("еда");
    helper->AcceptButton()->click();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0], Error({"Название не уникально"}));
    EXPECT_TRUE(helper->isVisible());
    EXPECT_EQ(helper->NameEdit()->selectedText(), "еда");
    helper->NameEdit()->setText("Сладкое");
    helper->AcceptButton()->click();
    EXPECT_FALSE(helper->isVisible());
    ASSERT_EQ(S().vidRashod.RowCount(), 3);
    EXPECT_EQ(List()->model()->headerData(2, Qt::Horizontal).toString(), "Сладкое");
    EXPECT_EQ(List()->CurrentColumn(), 2);
    EXPECT_EQ(List()->CurrentGridRow(), 1);
    form->SwitchSection(TQuorvaneForm::Rashod);
    for (int id : {gridid::VidRashod, gridid::VidPlan})
        EXPECT_EQ(Picker(id)->model()->headerData(2, Qt::Horizontal).toString(), "Сладкое") << id;
}

TEST_F(KindsWindow, TheCaptionPopupOffersTheKindCommandsForItsColumn) {
    TMessageRecorder boxes;
    ToBasesTab(0);
    TKindsListView* list = List();
    QMenu* menu = ListCtl()->PopupMenu();
    auto item = [menu](const char* name) { return menu->findChild<QAction*>(QString::fromLatin1(name)); };
    QHeaderView* h = list->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::RightButton, {},
                      QPoint(h->sectionViewportPosition(1) + 5, h->height() / 2));
    EXPECT_TRUE(menu->isVisible());
    EXPECT_FALSE(item("DelRow")->isVisible());
    EXPECT_TRUE(item("RenameCol")->isVisible());
    EXPECT_EQ(context.kinds.kindColumn, 1);
    menu->hide();
    item("DelVidRashod")->trigger();
    EXPECT_EQ(boxes.Boxes().back(), Question({"Вы действительно хотите удалить столбец?"}, TMsgButton::Yes));
    ASSERT_EQ(S().vidRashod.RowCount(), 1);
    EXPECT_EQ(Kind(0).first(), "Еда");
    EXPECT_EQ(context.kinds.kindColumn, -1);
    // On a name the cell items show, the kind items do not.
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, CellCentre(list, 0, 2));
    EXPECT_TRUE(item("DelRow")->isVisible());
    EXPECT_EQ(item("DelRow")->text(), "Удалить ячейку");
    EXPECT_FALSE(item("AddVidRashod")->isVisible());
    EXPECT_EQ(list->CurrentGridRow(), 2);
    menu->hide();
    // The last kind deleted leaves the empty kind "Имя".
    item("DelVidRashod")->trigger();
    EXPECT_EQ(Kind(0), QStringList({"Имя"}));
    EXPECT_EQ(list->model()->columnCount(), 1);
}

TEST_F(KindsWindow, TheEditButtonTakesAPickersNameToTheBasesPageAndBack) {
    TMessageRecorder boxes;
    AddExpense({"01.12.2026", "Еда", "Кофе", "100", "рубль", "", "Папа"});
    TKindsPicker* p = Picker();
    p->setFocus();
    p->SelectCell(0, 2); // Кофе
    EXPECT_EQ(context.edit.editMode, 1);
    ui.ToolBar()->PravkaButton()->click();
    EXPECT_EQ(form->Section(), TQuorvaneForm::Base);
    EXPECT_EQ(ui.BaseTabs()->currentIndex(), 0);
    EXPECT_EQ(context.edit.editMode, 2);
    EXPECT_EQ(PravkaText(), "Принять");
    ASSERT_TRUE(context.editors.IsOpen());
    EXPECT_EQ(context.editors.View(), List());
    EXPECT_EQ(context.editors.LineEditor()->selectedText(), "Кофе");
    context.editors.LineEditor()->setText("Какао");
    ui.ToolBar()->PravkaButton()->click();
    EXPECT_EQ(form->Section(), TQuorvaneForm::Rashod);
    EXPECT_EQ(context.edit.editMode, 1);
    EXPECT_EQ(PravkaText(), "Изменить запись");
    EXPECT_EQ(QApplication::focusWidget(), p);
    EXPECT_EQ(p->SelectedRow(), 2);
    EXPECT_EQ(p->SelectedName(), "Какао");
    EXPECT_EQ(Cell(0, 2), "Какао");

    // "Добавить запись" opens the empty cell after the kind's last name; moving away ends the edit.
    p->SelectCell(1, 1);
    p->PopupMenu()->findChild<QAction*>("AddVidMenu")->trigger();
    ASSERT_TRUE(context.editors.IsOpen());
    EXPECT_EQ(context.editors.Col(), 1);
    EXPECT_EQ(context.editors.Row(), 2);
    EXPECT_EQ(PravkaText(), "Принять");
    Key(Qt::Key_Escape);
    EXPECT_EQ(context.edit.editMode, 2);
    Key(Qt::Key_Up);
    EXPECT_EQ(context.edit.editMode, 0);
    EXPECT_EQ(PravkaText(), "Изменить запись");
    EXPECT_EQ(form->Section(), TQuorvaneForm::Base);
    EXPECT_TRUE(boxes.Boxes().empty());
}
