// Texts and rows the window shows whole at its designed size, 1136 × 681, in the desktop's font.
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "ui/tcelleditors.h"
#include "ui/titogipanel.h"
#include "ui/tkindspicker.h"
#include "ui/tledgergrid.h"
#include "ui/tlowerpanel.h"
#include "ui/tproblemsform.h"
#include "ui/ttitlestrip.h"
#include "ui/ttotalsgrid.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace {

// Five purses, today's expenses in three of them, debts with long names and plans over many names.
class Layout : public MainWindowFixture {
protected:
    void Seed() override {
        WriteTable("purse", {{"рубль", "1", "1000", "1"},
                             {"доллар", "90", "10", "0"},
                             {"евро", "100", "5", "0"},
                             {"карта", "1", "20000", "0"},
                             {"копилка", "1", "0", "0"}});
        WriteTable("rashod", {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"},
                              {"10.12.2026", "Еда", "Кофе", "5", "доллар", "", "Мама"},
                              {"10.12.2026", "Дом", "Посуда", "7", "евро", "", "Мама"}});
        WriteTable("dolg", {{"дано в долг", "01.12.2026", "10.12.2026", "Александра Константиновна",
                             "125000,5", "копилка", "за ремонт кухни", "отображать", "Мама"}});
        WriteTable("Debt/debt0", {{"05.12.2026", "300", "копилка"}});
        QStringList incomes = {"Виды доходов"};
        for (int i = 1; i <= 12; ++i)
            incomes << QString("Доход %1").arg(i);
        WriteTable("viddohod", {incomes});
    }
    void SetUp() override {
        MainWindowFixture::SetUp();
        // Opened maximized by the base's settings: back to the designed size once that has settled.
        QApplication::processEvents();
        form->showNormal();
        form->resize(1136, 681);
        QApplication::processEvents();
        ASSERT_EQ(form->size(), QSize(1136, 681));
    }
    TItogiPanel* Itogi() { return ui.Itogi(); }
};

} // namespace

TEST_F(Layout, TheFilterTotalShowsWithoutScrollingWhateverThePurses) {
    const struct {
        const char* page;
        Qt::Key key;
        int rows; // the filter grid's: titles, one per purse, "Итого"
    } pages[] = {{"expenses", Qt::Key_F2, 7}, {"debts", Qt::Key_F4, 8}};
    for (const auto& p : pages) {
        SCOPED_TRACE(p.page);
        WindowKey(p.key);
        ui.Lower()->FilterButtons()->button(1)->click();
        QApplication::processEvents();
        KeepPicture(form.get(), QString("filter-totals-") + p.page);
        const TTotalsGrid* grid = Itogi()->FilterGrid();
        ASSERT_EQ(grid->Content().RowCount(), p.rows);
        const QStringList total = grid->Content().rows.back();
        EXPECT_EQ(total.value(0), "Итого (рубль)");
        // The rows do not fit: they scroll, and "Итого" stands whole under them, inside the group.
        QScrollArea* scroll = Itogi()->FilterScroll();
        EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);
        const TTotalsGrid* pinned = Itogi()->FilterTotalRow();
        ASSERT_TRUE(pinned->isVisible());
        EXPECT_EQ(pinned->Content().rows, std::vector<QStringList>{total});
        EXPECT_EQ(pinned->ColumnWidths(), grid->ColumnWidths());
        const QRect inGroup = pinned->geometry();
        EXPECT_TRUE(ui.Lower()->FilterTotalsGroup()->contentsRect().contains(inGroup)) << inGroup.y();
        EXPECT_GE(inGroup.height(), grid->RowHeight() + 2);
        EXPECT_GE(inGroup.top(), scroll->geometry().bottom());
        // Nothing of the scrolled rows hides under it, and the scrolled grid's own "Итого" is never
        // shown twice: scrolled to the end, the last purse is the last row in sight.
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        EXPECT_EQ(scroll->widget()->height() - scroll->verticalScrollBar()->value(),
                  scroll->viewport()->height());
        EXPECT_EQ(scroll->widget()->height(), grid->CellRect(0, p.rows - 1).top());
        ui.Lower()->FilterButtons()->button(0)->click();
        EXPECT_FALSE(pinned->isVisible());
    }
}

TEST_F(Layout, TheDebtsDateEditorShowsTheWholeDate) {
    WindowKey(Qt::Key_F4);
    TLedgerGrid* debts = ui.Grid(TTableKind::Dolg);
    for (int col : {1, 2}) {
        SCOPED_TRACE(col);
        debts->setFocus();
        context.state.Grid(TTableKind::Dolg).col = col;
        context.state.Grid(TTableKind::Dolg).row = 1;
        debts->ShowCell(col, 1);
        Key(Qt::Key_Return);
        QDateEdit* editor = context.editors.DateEditor();
        ASSERT_EQ(context.editors.Kind(), TEditorKind::Date);
        KeepPicture(form.get(), QString("debts-date-%1").arg(col));
        const QRect cell = debts->visualRect(debts->model()->index(0, col));
        EXPECT_LT(cell.width(), editor->width()) << "the column is narrower than a date";
        EXPECT_EQ(editor->text().size(), 10);
        const auto* field = editor->findChild<QLineEdit*>();
        ASSERT_NE(field, nullptr);
        EXPECT_GE(field->width(), QFontMetrics(editor->font()).horizontalAdvance(editor->text()) + 4);
        EXPECT_LE(editor->geometry().right(), debts->viewport()->width());
        Key(Qt::Key_Escape);
    }
}

TEST_F(Layout, TheReturnsTitleEndsBeforeItsButton) {
    WindowKey(Qt::Key_F4);
    TTitleStrip* strip = ui.ReturnsStrip();
    KeepPicture(strip, "returns-title");
    EXPECT_EQ(strip->Title(),
              "  Возврат долга: дано в долг | Александра Константиновна | 125000,5 | копилка");
    const QLabel* label = strip->TitleLabel();
    EXPECT_LT(label->geometry().right(), strip->AutoSizeButton()->geometry().left());
    EXPECT_LE(label->fontMetrics().horizontalAdvance(strip->ShownTitle()), label->width());
    EXPECT_TRUE(strip->ShownTitle().endsWith(QChar(0x2026)));
    EXPECT_TRUE(strip->Title().startsWith(strip->ShownTitle().chopped(1)));
    // Wide enough, the whole title shows.
    strip->resize(1000, strip->height());
    EXPECT_EQ(strip->ShownTitle(), strip->Title());
}

TEST_F(Layout, TheProblemsDialogShowsItsLinesWhole) {
    const QString deep =
        context.state.paths.dataRoot + "BASE/" + QString("Семья и дача, общие расходы/").repeated(2);
    const QStringList report = {
        "Файлы и(или) папки программы, которые доступны только для чтения:",
        "",
        "   " + deep + "rashod",
        "",
        "Возможны проблемы с сохранением данных в папку или файл с указанными атрибутами.",
        "Рекомендуется сменить атрибуты файлов или папок, которые указаны данном списке."};
    TProblemsForm problems([&] { return report; });
    bool checked = false;
    QTimer::singleShot(0, [&] {
        KeepPicture(&problems, "problems");
        QPlainTextEdit* text = problems.ReportView();
        const QFontMetrics fm(text->font());
        const int room = text->viewport()->width() - 2 * int(text->document()->documentMargin());
        for (const QString& line : report)
            EXPECT_LE(fm.horizontalAdvance(line), room) << line.toStdString();
        EXPECT_FALSE(text->horizontalScrollBar()->isVisible());
        EXPECT_LE(problems.width(), problems.screen()->availableGeometry().width());
        checked = true;
        problems.accept();
    });
    problems.ShowOver(form.get());
    EXPECT_TRUE(checked);

    // A line wider than the screen wraps inside the dialog.
    const QString endless = QString("очень длинная строка ").repeated(40);
    TProblemsForm wide([&] { return QStringList{endless}; });
    QTimer::singleShot(0, [&] {
        EXPECT_LE(wide.width(), wide.screen()->availableGeometry().width());
        EXPECT_FALSE(wide.ReportView()->horizontalScrollBar()->isVisible());
        EXPECT_GT(wide.ReportView()->document()->lineCount() + wide.ReportView()->blockCount(), 1);
        wide.accept();
    });
    wide.ShowOver(form.get());
}

TEST_F(Layout, ThePickersShowTheirRowsWhole) {
    const struct {
        const char* page;
        Qt::Key key;
        int planTab; // -1: not the plans page
        int picker;
    } pages[] = {{"expenses", Qt::Key_F2, -1, 5},
                 {"incomes", Qt::Key_F3, -1, 6},
                 {"expense plans", Qt::Key_F5, 0, 11},
                 {"income plans", Qt::Key_F5, 1, 10}};
    for (const QSize size : {QSize(1136, 681), QSize(1136, 700), QSize(900, 600)}) {
        form->resize(size);
        for (const auto& p : pages) {
            SCOPED_TRACE(testing::Message() << p.page << " at " << size.width() << "×" << size.height());
            WindowKey(p.key);
            if (p.planTab >= 0) ui.PlanTabs()->setCurrentIndex(p.planTab);
            QApplication::processEvents();
            TKindsPicker* picker = ui.Picker(p.picker);
            KeepPicture(form.get(), QString("picker-%1-%2").arg(p.picker).arg(size.height()));
            ASSERT_TRUE(picker->isVisible());
            const int rowHeight = picker->verticalHeader()->defaultSectionSize();
            const int shown = picker->viewport()->height();
            EXPECT_GE(shown, rowHeight);
            if (picker->model()->rowCount() * rowHeight > shown) {
                EXPECT_EQ(shown % rowHeight, 0) << shown << " " << rowHeight;
            }
        }
    }
}

