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
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <string>
#include <vector>

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
    // The lower panel grows for the rows where the window leaves the page its room: a window this low
    // leaves too little for them.
    form->resize(1136, 520);
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
              "  Возврат долга: дано в долг | Александра Константиновна | 125000,5 | копилка | ");
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

namespace {

// Four purses, each with today's expenses, incomes, plans and a debt: every grid of the totals panel
// has a row per purse.
class FourPurses : public Layout {
protected:
    void Seed() override {
        const QStringList purses = {"рубль", "карта", "наличные", "копилка"};
        std::vector<QStringList> purseRows, expenses, incomes, plans, debts;
        for (int i = 0; i < int(purses.size()); ++i) {
            const QString& p = purses[i];
            const QString sum = QString::number(1000 * (i + 1) + 50) + ",25";
            purseRows.push_back({p, "1", QString::number(250000 + i), i == 0 ? "1" : "0"});
            expenses.push_back({"10.12.2026", "Коммунальные платежи", "Газ", sum, p, "", "Мама"});
            incomes.push_back({"10.12.2026", "Зарплата", sum, p, "", "Мама"});
            plans.push_back({"Отпуск", "Билеты", "01.12.2026", "31.12.2026", sum, p, "", "Мама"});
            debts.push_back({i % 2 ? "взято в долг" : "дано в долг", "01.12.2026", "10.12.2026",
                             "Константинопольский", sum, p, "", "отображать", "Мама"});
        }
        WriteTable("purse", purseRows);
        WriteTable("rashod", expenses);
        WriteTable("dohod", incomes);
        WriteTable("planrashod", plans);
        WriteTable("dolg", debts);
    }
};

// What of a widget's text does not show: empty when it shows whole or the widget has no text.
QString CutText(const QWidget* w, bool* hasText) {
    QString text;
    int need = 0;
    int has = w->width();
    const QFontMetrics fm(w->font());
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->textFormat() == Qt::RichText || label->text().contains('<')) return {};
        text = label->text();
        need = label->sizeHint().width();
        if (label->wordWrap()) {
            need = label->heightForWidth(label->width());
            has = label->height();
        }
    } else if (const auto* box = qobject_cast<const QCheckBox*>(w)) {
        text = box->text();
        need = box->sizeHint().width();
    } else if (const auto* radio = qobject_cast<const QRadioButton*>(w)) {
        text = radio->text();
        need = radio->sizeHint().width();
    } else if (const auto* button = qobject_cast<const QPushButton*>(w)) {
        // The button's frame on either side; its least width of the style does not count.
        text = button->text();
        need = fm.horizontalAdvance(text) +
               2 * (button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button) + 2);
    } else if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        text = combo->currentText();
        need = combo->sizeHint().width();
    } else if (const auto* date = qobject_cast<const QDateEdit*>(w)) {
        text = date->text();
        need = date->sizeHint().width();
    } else if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
        text = group->title();
        need = fm.horizontalAdvance(text) + 20;
    }
    *hasText = !text.isEmpty();
    if (text.isEmpty() || need <= has) return {};
    return QString("%1 %2 «%3»: needs %4, has %5")
        .arg(w->metaObject()->className(), w->objectName(), text)
        .arg(need)
        .arg(has);
}

// Whether a rectangle of a widget lies wholly inside the widget and every widget around it up to the
// window (inside a group's frame where `framed`), so nothing of it is clipped away.
bool InSight(const QWidget* widget, const QRect& rect, const QWidget* window, bool framed) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QRect inW(widget->mapTo(w, rect.topLeft()), rect.size());
        const QRect room = framed && qobject_cast<const QGroupBox*>(w) ? w->contentsRect() : w->rect();
        if (!room.contains(inW)) return false;
        if (w == window) return true;
    }
    return false;
}

// Every text of the window that is not whole: narrower than it, or clipped by what is around it.
std::vector<std::string> CutTexts(const QWidget* window) {
    std::vector<std::string> cut;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        bool hasText = false;
        if (const QString c = CutText(w, &hasText); !c.isEmpty())
            cut.push_back(c.toStdString());
        else if (hasText && !InSight(w, w->rect(), window, false))
            cut.push_back(QString("%1 %2 out of sight")
                              .arg(w->metaObject()->className(), w->objectName())
                              .toStdString());
    }
    return cut;
}

// The cells of a totals panel's grid whose texts are cut, measured in the grid's own fonts.
std::vector<std::string> CutCells(const TTotalsGrid* grid) {
    std::vector<std::string> cut;
    QFont bold = grid->font();
    bold.setBold(true);
    const TPanelGrid& content = grid->Content();
    for (int r = 0; r < content.RowCount(); ++r)
        for (int c = 0; c < content.columns; ++c) {
            const QString text = grid->CellText(c, r);
            const int need =
                QFontMetrics(content.bold[size_t(r)] ? bold : grid->font()).horizontalAdvance(text);
            // The text starts a few pixels in, and the column's line takes its last pixel.
            if (need + 4 > grid->CellRect(c, r).width())
                cut.push_back(QString("%1: needs %2, has %3")
                                  .arg(text)
                                  .arg(need + 4)
                                  .arg(grid->CellRect(c, r).width())
                                  .toStdString());
        }
    return cut;
}

// The rows of a totals panel's grid that are not wholly in sight: out of their scrolled view, or
// of the group and the window around it.
std::vector<int> RowsOutOfSight(const TTotalsGrid* grid, const QWidget* window) {
    std::vector<int> out;
    for (int r = 0; r < grid->Content().RowCount(); ++r) {
        const QRect cell = grid->CellRect(0, r);
        if (!InSight(grid, QRect(0, cell.top(), grid->width(), cell.height()), window, true))
            out.push_back(r);
    }
    return out;
}

} // namespace

// On a 1366 × 768 screen every row of the totals, of the purses and of the filter's totals shows
// whole, "Итого" the last, on every page that has them.
TEST_F(FourPurses, EveryTotalShowsWholeOnAWideScreen) {
    form->resize(1366, 768);
    const struct {
        const char* page;
        Qt::Key key;
        int totalsRows, filterRows;
    } pages[] = {{"expenses", Qt::Key_F2, 6, 6},
                 {"incomes", Qt::Key_F3, 6, 6},
                 {"debts", Qt::Key_F4, 7, 7},
                 {"plans", Qt::Key_F5, 6, 6},
                 {"analysis", Qt::Key_F6, 0, 0}};
    for (const auto& p : pages) {
        SCOPED_TRACE(p.page);
        WindowKey(p.key);
        if (p.filterRows > 0) ui.Lower()->FilterButtons()->button(4)->click(); // this month
        QApplication::processEvents();
        KeepPicture(form.get(), QString("four-purses-1366-") + p.page);
        const TTotalsGrid* totals = Itogi()->TotalsGrid();
        const TTotalsGrid* purses = Itogi()->PursesGrid();
        const TTotalsGrid* filter = Itogi()->FilterGrid();
        EXPECT_EQ(purses->Content().RowCount(), 6);
        EXPECT_EQ(purses->Content().rows.back().value(0), "Итого (рубль)");
        EXPECT_EQ(RowsOutOfSight(purses, form.get()), std::vector<int>());
        if (p.totalsRows > 0) {
            EXPECT_EQ(totals->Content().RowCount(), p.totalsRows);
            EXPECT_EQ(totals->Content().rows.back().value(0), "Итого (рубль)");
            EXPECT_EQ(RowsOutOfSight(totals, form.get()), std::vector<int>());
        }
        if (p.filterRows > 0) {
            ASSERT_TRUE(filter->isVisible());
            EXPECT_EQ(filter->Content().RowCount(), p.filterRows);
            EXPECT_EQ(RowsOutOfSight(filter, form.get()), std::vector<int>());
            EXPECT_FALSE(Itogi()->FilterTotalRow()->isVisible());
            ui.Lower()->FilterButtons()->button(0)->click();
        }
        EXPECT_EQ(CutTexts(form.get()), std::vector<std::string>());
    }
}

// On a 1024 × 600 screen every caption, label, button and choice of every page shows its text whole.
TEST_F(FourPurses, EveryTextShowsWholeOnASmallScreen) {
    form->resize(1024, 600);
    const struct {
        const char* page;
        Qt::Key key;
        QTabWidget* (TWindowWidgets::*tabs)() const;
        int tab;
    } pages[] = {{"expenses", Qt::Key_F2, nullptr, 0},
                 {"incomes", Qt::Key_F3, nullptr, 0},
                 {"debts", Qt::Key_F4, nullptr, 0},
                 {"expense plans", Qt::Key_F5, &TWindowWidgets::PlanTabs, 0},
                 {"income plans", Qt::Key_F5, &TWindowWidgets::PlanTabs, 1},
                 {"analysis", Qt::Key_F6, nullptr, 0},
                 {"expense kinds", Qt::Key_F7, &TWindowWidgets::BaseTabs, 0},
                 {"purses", Qt::Key_F7, &TWindowWidgets::BaseTabs, 2},
                 {"users", Qt::Key_F7, &TWindowWidgets::BaseTabs, 3}};
    for (const auto& p : pages) {
        SCOPED_TRACE(p.page);
        WindowKey(p.key);
        if (p.tabs) (ui.*p.tabs)()->setCurrentIndex(p.tab);
        for (int filter : {0, 4}) {
            if (ui.Lower()->FilterTotalsGroup()->isVisible())
                ui.Lower()->FilterButtons()->button(filter)->click();
            QApplication::processEvents();
            KeepPicture(form.get(), QString("small-screen-%1-%2").arg(p.page).arg(filter));
            EXPECT_EQ(CutTexts(form.get()), std::vector<std::string>());
            // The totals of four purses, the debts' seven columns too.
            for (const TTotalsGrid* grid :
                 {Itogi()->TotalsGrid(), Itogi()->PursesGrid(), Itogi()->FilterGrid()})
                if (grid->isVisible()) {
                    EXPECT_EQ(CutCells(grid), std::vector<std::string>()) << grid->objectName().toStdString();
                }
        }
    }
}
