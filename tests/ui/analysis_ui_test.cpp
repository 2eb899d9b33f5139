#include "analysis/graphcolours.h"
#include "analysis/tgraphimage.h"
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "storage/tsettingsfiles.h"
#include "ui/tanalysispage.h"
#include "ui/tnameselectform.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<QStringList>;

// Expenses of Дом and Еда in рубль, a plan of Еда (Хлеб) over December; today is 10.12.2026.
class AnalysisPageTest : public MainWindowFixture {
protected:
    void Seed() override {
        WriteTable("purse", {{"рубль", "1", "1000", "1"}});
        WriteTable("rashod", {{"01.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"},
                              {"05.12.2026", "Дом", "Посуда", "300", "рубль", "", "Мама"}});
        WriteTable("planrashod", {{"Еда", "Хлеб", "01.12.2026", "31.12.2026", "250", "рубль", "", "Мама"}});
    }
    TAnalysisPage* Page() { return ui.Find<TAnalysisPage>(); }
    QTableWidget* Grid() { return Page()->Grid(); }
    QComboBox* List(const char* name) { return ui.Find<QComboBox>(QString::fromLatin1(name)); }
    QDateEdit* Date(const char* name) { return ui.Find<QDateEdit>(QString::fromLatin1(name)); }
    QLabel* Label(const char* name) { return ui.Find<QLabel>(QString::fromLatin1(name)); }
    // What the grid shows, row by row, in its shown columns.
    Rows Shown() {
        Rows rows;
        for (int r = 0; r < Grid()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < Grid()->columnCount(); ++c)
                if (!Grid()->isColumnHidden(c))
                    cells << (Grid()->item(r, c) ? Grid()->item(r, c)->text() : "?");
            rows.push_back(cells);
        }
        return rows;
    }
    QColor Background(int row, int col) { return Grid()->item(row, col)->background().color(); }
    bool Styled(int row, int col) { return Grid()->item(row, col)->background().style() != Qt::NoBrush; }
    static void WithDialog(const std::function<void()>& open,
                           const std::function<void(TNameSelectForm*)>& inside) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TNameSelectForm*>(QApplication::activeModalWidget());
            ran = dialog != nullptr;
            if (dialog) inside(dialog);
        });
        open();
        EXPECT_TRUE(ran);
    }
    static void Check(QListWidget* list, const QString& text, bool on) {
        const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text.toStdString();
        items.first()->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    static QStringList Checked(QListWidget* list) {
        QStringList on;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->checkState() == Qt::Checked) on << list->item(i)->text();
        return on;
    }
};

const QStringList kCaptions = {"№/цвет", "Наименование", "Расходы", "Планы", "Разница"};

TEST_F(AnalysisPageTest, OpeningThePageRunsItAndEverySelectorRunsItAgain) {
    TMessageRecorder boxes;
    WindowKey(Qt::Key_F6);
    ASSERT_EQ(form->Section(), TQuorvaneForm::Analis);
    EXPECT_FALSE(ui.ToolBar()->isVisible());
    EXPECT_EQ(Date("AnalisDataS")->date(), QDate(2026, 11, 10));
    EXPECT_EQ(Date("AnalisDataDo")->date(), QDate(2026, 12, 10));
    EXPECT_EQ(Label("AnalisTitle")->text(),
              "  Анализ по видам расходов за период с 10.11.2026 по 10.12.2026. Сравнение с планами.");
    EXPECT_TRUE(Grid()->isVisible());
    EXPECT_FALSE(Label("AnalisNoData")->isVisible());
    EXPECT_EQ(Shown(), (Rows{kCaptions,
                             {"1", "Дом", "300", "0", "-300"},
                             {"2", "Еда", "100", "250", "150"},
                             {" ", "Итого:", "400", "250", "-150"}}));
    // Captions and the total bold on the fixed colour; differences below zero in red.
    for (int row : {0, 3}) {
        EXPECT_TRUE(Grid()->item(row, 1)->font().bold()) << row;
        EXPECT_EQ(Background(row, 1), Background(0, 0)) << row;
    }
    EXPECT_FALSE(Grid()->item(1, 1)->font().bold());
    EXPECT_EQ(Grid()->item(1, 4)->foreground().color(), QColor(Qt::red));
    EXPECT_EQ(Grid()->item(3, 4)->foreground().color(), QColor(Qt::red));
    EXPECT_NE(Grid()->item(2, 4)->foreground().color(), QColor(Qt::red));
    // The pie's slice colours stand in the number column: lime and blue.
    EXPECT_EQ(List("AnalisVidChart")->currentText(), "Круговая");
    EXPECT_EQ(Background(1, 0), QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(Background(2, 0), QColor(0x00, 0x00, 0xFF));
    EXPECT_FALSE(Styled(1, 1));
    const TGraphImage* graph = Page()->findChild<TGraphImage*>();
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->State().Type, int(GraphPie));
    EXPECT_EQ(graph->State().PointLabel(1), "Дом: 300");
    EXPECT_FALSE(graph->ShowLegend());
    EXPECT_EQ(graph->InfoFontSize(), Grid()->font().pointSize());

    List("AnalisFormat")->setCurrentIndex(1);
    EXPECT_EQ(Shown()[1], QStringList({"1", "Дом", "75%", "0", "0%"}));
    EXPECT_EQ(graph->State().PointLabel(2), "Еда: 25%");

    List("AnalisVidChart")->setCurrentIndex(2);
    EXPECT_EQ(graph->State().Type, int(GraphLine));
    EXPECT_FALSE(Styled(1, 0));
    List("AnalisVidChart")->setCurrentIndex(1);
    EXPECT_EQ(graph->State().Type, int(GraphBars));
    List("AnalisFormat")->setCurrentIndex(0);

    Date("AnalisDataS")->setDate(QDate(2026, 12, 3));
    EXPECT_EQ(Shown(),
              (Rows{kCaptions, {"1", "Дом", "300", "0", "-300"}, {" ", "Итого:", "300", "0", "-300"}}));

    List("AnalisVid")->setCurrentIndex(3);
    EXPECT_EQ(
        Label("AnalisTitle")->text(),
        "  Анализ по планированию расходов за период с 03.12.2026 по 10.12.2026. Сравнение с расходами.");
    EXPECT_FALSE(Grid()->isVisible());
    EXPECT_EQ(Label("AnalisNoData")->text(),
              "Анализ по планированию расходов: данных для анализа c указанными параметрами не существует");
    EXPECT_TRUE(Label("AnalisNoData")->isVisible());

    List("AnalisVid")->setCurrentIndex(0);
    Date("AnalisDataDo")->setDate(QDate(2026, 12, 4));
    EXPECT_FALSE(Grid()->isVisible());
    EXPECT_EQ(Label("AnalisNoData")->text(),
              "Анализ по видам расходов: данных для анализа c указанными параметрами не существует");
    EXPECT_TRUE(boxes.Boxes().empty());
}

// "Действия" and "Сортировка" are not the analysis page's; "Файл" keeps the calculator. The toolbar
// goes and the lower panel shows only the totals.
TEST_F(AnalysisPageTest, TheMenusAndPanelsKeepWhatAppliesToThePage) {
    WindowKey(Qt::Key_F6);
    EXPECT_FALSE(ui.Menu()->ActionsMenu()->menuAction()->isVisible());
    EXPECT_FALSE(ui.Menu()->SortMenu()->menuAction()->isVisible());
    EXPECT_TRUE(ui.Menu()->Item("Calc")->isVisible());
    EXPECT_TRUE(ui.Title()->AutoSizeButton()->isVisible());
    EXPECT_FALSE(ui.ToolBar()->isVisible());
    EXPECT_TRUE(ui.Lower()->TotalsGroup()->isVisible());
    EXPECT_FALSE(ui.Lower()->SearchGroup()->isVisible());
    EXPECT_FALSE(ui.Lower()->FilterTotalsGroup()->isVisible());
    EXPECT_FALSE(ui.Lower()->FilterGroup()->isVisible());
    WindowKey(Qt::Key_F2);
    EXPECT_TRUE(ui.Menu()->ActionsMenu()->menuAction()->isVisible());
    EXPECT_TRUE(ui.ToolBar()->isVisible());
    EXPECT_TRUE(ui.Lower()->FilterTotalsGroup()->isVisible());
}

// The width a cell's text needs as the grid draws it.
int TextWidth(const QTableWidget* grid, int row, int col) {
    const QTableWidgetItem* item = grid->item(row, col);
    if (!item) return 0;
    // The delegate's margin on either side, and the grid line drawn inside the cell.
    const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
    return QFontMetrics(item->font()).horizontalAdvance(item->text()) + 2 * margin +
           (grid->showGrid() ? 1 : 0);
}

// Every text whole in its column, or what is cut.
std::vector<std::string> CutCells(const QTableWidget* grid) {
    std::vector<std::string> cut;
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            if (!grid->isColumnHidden(c) && TextWidth(grid, r, c) > grid->columnWidth(c))
                cut.push_back(grid->item(r, c)->text().toStdString() + " needs " +
                              std::to_string(TextWidth(grid, r, c)) + ", has " +
                              std::to_string(grid->columnWidth(c)));
    return cut;
}

// The title strip's button shares the width out by weight; a window that shrinks does it again.
TEST_F(AnalysisPageTest, TheColumnsAreSizedByTheirWeightsWhereTheTextsAllowIt) {
    WindowKey(Qt::Key_F6);
    auto widths = [&] {
        QList<int> w;
        for (int c = 0; c < 5; ++c)
            w << Grid()->columnWidth(c);
        return w;
    };
    auto total = [&] {
        int sum = 0;
        for (int w : widths())
            sum += w;
        return sum;
    };
    auto proportional = [&] {
        const QList<int> w = widths();
        return w[1] == 5 * w[0] && w[2] == 3 * w[0] && w[3] == 2 * w[0] && w[4] == w[0] && w[0] > 0;
    };
    // Wide enough for every text: the weights alone.
    form->resize(1900, 681);
    QSplitter* split = Page()->findChild<QSplitter*>("AnalisResult");
    split->setSizes({1200, 500});
    ui.Title()->AutoSizeButton()->click();
    EXPECT_TRUE(proportional()) << ::testing::PrintToString(widths());
    EXPECT_EQ(CutCells(Grid()), std::vector<std::string>());
    // Narrower, the weights would cut "Разница": the wide columns give what it needs.
    form->resize(1136, 681);
    split->setSizes({500, 500});
    Grid()->setColumnWidth(1, 30);
    ui.Title()->AutoSizeButton()->click();
    EXPECT_EQ(CutCells(Grid()), std::vector<std::string>());
    EXPECT_LE(total(), Grid()->viewport()->width());
    EXPECT_GE(total(), Grid()->viewport()->width() - 5 - 12);
    Grid()->setColumnWidth(1, 900);
    form->resize(900, 600);
    EXPECT_LE(total(), Grid()->viewport()->width());
    EXPECT_EQ(CutCells(Grid()), std::vector<std::string>());
}

// Sums of many digits in every column, and the percent signs, in the grid at its own first widths.
class LongSums : public AnalysisPageTest {
protected:
    void Seed() override {
        WriteTable("purse", {{"рубль", "1", "1000", "1"}});
        WriteTable("rashod",
                   {{"01.12.2026", "Еда", "Хлеб", "1234567,89", "рубль", "", "Мама"},
                    {"05.12.2026", "Коммунальные платежи", "Газ", "7654321,98", "рубль", "", "Мама"}});
        WriteTable("planrashod",
                   {{"Отпуск", "Билеты", "01.12.2026", "31.12.2026", "9876543,21", "рубль", "", "Мама"}});
    }
};

TEST_F(LongSums, EveryTextOfTheGridIsWholeAtTheFirstWidths) {
    // On the smallest screen the program is made for.
    QApplication::processEvents();
    form->showNormal();
    form->resize(1024, 600);
    WindowKey(Qt::Key_F6);
    ASSERT_EQ(Shown().back(), QStringList({" ", "Итого:", "8888889,87", "9876543,21", "987653,34"}));
    KeepPicture(form.get(), "analysis-long-sums");
    EXPECT_EQ(CutCells(Grid()), std::vector<std::string>());
    // Another format, another kind: the texts change and still fit.
    List("AnalisFormat")->setCurrentIndex(FormatPercent);
    EXPECT_EQ(CutCells(Grid()), std::vector<std::string>());
    List("AnalisFormat")->setCurrentIndex(FormatNumber);
    List("AnalisVid")->setCurrentIndex(KindPlanRashod);
    EXPECT_EQ(Shown()[0], QStringList({"№/цвет", "Наименование", "Планы", "Расходы", "Разница"}));
    EXPECT_EQ(CutCells(Grid()), std::vector<std::string>());
}

// Seventeen kinds of expense, each its own slice: the fixed colours from lime to sky blue (navy, blue
// and black among them) and two random ones.
class ManySlices : public AnalysisPageTest {
protected:
    void Seed() override {
        WriteTable("purse", {{"рубль", "1", "1000", "1"}});
        std::vector<QStringList> rows;
        for (int k = 1; k <= 17; ++k)
            rows.push_back({"01.12.2026", QString("Вид %1").arg(k, 2, 10, QChar('0')), "",
                            QString::number(1000 - k), "рубль", "", "Мама"});
        WriteTable("rashod", rows);
    }
};

TEST_F(ManySlices, TheRowNumbersStandOutOnTheirSlicesColours) {
    WindowKey(Qt::Key_F6);
    ASSERT_EQ(List("AnalisVidChart")->currentText(), "Круговая");
    ASSERT_EQ(Grid()->rowCount(), 19);
    for (int row = 1; row <= 17; ++row) {
        SCOPED_TRACE(row);
        const QTableWidgetItem* number = Grid()->item(row, 0);
        EXPECT_EQ(number->text(), QString::number(row));
        ASSERT_TRUE(Styled(row, 0));
        const QColor background = Background(row, 0);
        const QColor text = number->foreground().style() == Qt::NoBrush
                                ? Grid()->palette().color(QPalette::Text)
                                : number->foreground().color();
        // The contrast asked of a text for reading.
        EXPECT_GE(ContrastRatio(text, background), 4.5)
            << background.name().toStdString() << " " << text.name().toStdString();
    }
    // Without the pie the numbers go back to the grid's own colours.
    List("AnalisVidChart")->setCurrentIndex(ChartBars);
    EXPECT_FALSE(Styled(1, 0));
    EXPECT_EQ(Grid()->item(2, 0)->foreground().style(), Qt::NoBrush);
}

class NegativeExpense : public AnalysisPageTest {
protected:
    void Seed() override {
        WriteTable("purse", {{"рубль", "1", "1000", "1"}});
        WriteTable("rashod", {{"01.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"},
                              {"05.12.2026", "Дом", "Посуда", "-0,5", "рубль", "", "Мама"}});
    }
};

TEST_F(NegativeExpense, ThePieIsRefusedAndTheBarsStay) {
    TMessageRecorder boxes;
    WindowKey(Qt::Key_F6);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>(
                                 {Info({"Круговая диаграмма не поддерживается", "для отрицательных значений.",
                                        "Выберите другой вид диаграммы."})}));
    EXPECT_EQ(List("AnalisVidChart")->currentText(), "Прямоугольная");
    const TGraphImage* graph = Page()->findChild<TGraphImage*>();
    EXPECT_EQ(graph->State().Type, int(GraphBars));
    EXPECT_TRUE(graph->State().Negative);
    EXPECT_EQ(Shown()[1], QStringList({"1", "Еда", "100", "0", "-100"}));
    EXPECT_EQ(Shown()[2], QStringList({"2", "Дом", "-0,5", "0", "0,5"}));
    EXPECT_FALSE(Styled(1, 0));
    // Choosing the pie again asks again.
    List("AnalisVidChart")->setCurrentIndex(0);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(List("AnalisVidChart")->currentText(), "Прямоугольная");
}

TEST_F(AnalysisPageTest, TheNameSelectionRunsOnAcceptAndCancelKeepsTheKind) {
    WindowKey(Qt::Key_F6);
    QComboBox* kinds = List("AnalisVid");
    WithDialog(
        [&] { kinds->setCurrentIndex(KindRashodByName); },
        [&](TNameSelectForm* dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Выберите наименования расходов для анализа");
            EXPECT_EQ(Checked(dialog->KindsView()), QStringList({"Еда", "Дом"}));
            EXPECT_EQ(Checked(dialog->NamesView()), QStringList({"Конфеты", "Кофе", "Хлеб", "Посуда"}));
            // A kind's box sets its names; the buttons set every box.
            Check(dialog->KindsView(), "Еда", false);
            EXPECT_EQ(Checked(dialog->NamesView()), QStringList({"Посуда"}));
            dialog->CheckAllButton()->click();
            EXPECT_EQ(Checked(dialog->NamesView()).size(), 4);
            dialog->ClearAllButton()->click();
            EXPECT_TRUE(Checked(dialog->NamesView()).isEmpty());
            EXPECT_TRUE(Checked(dialog->KindsView()).isEmpty());
            dialog->CancelButton()->click();
        });
    EXPECT_EQ(kinds->currentIndex(), int(KindRashodByKind));
    EXPECT_EQ(Label("AnalisTitle")->text().mid(0, 27), "  Анализ по видам расходов ");

    WithDialog([&] { kinds->setCurrentIndex(KindRashodByName); },
               [&](TNameSelectForm* dialog) {
                   // Built afresh: every box checked again.
                   EXPECT_EQ(Checked(dialog->NamesView()).size(), 4);
                   Check(dialog->NamesView(), "Хлеб", false);
                   dialog->AcceptButton()->click();
               });
    EXPECT_EQ(kinds->currentIndex(), int(KindRashodByName));
    EXPECT_EQ(
        Shown(),
        (Rows{kCaptions, {"1", "Дом , Посуда", "300", "0", "-300"}, {" ", "Итого:", "300", "0", "-300"}}));
    // The choice holds for the next runs of the kind.
    Date("AnalisDataS")->setDate(QDate(2026, 11, 1));
    EXPECT_EQ(Shown().size(), 3u);

    kinds->setCurrentIndex(KindRashodByKind);
    EXPECT_EQ(Shown().size(), 4u);
    // Closed by its frame: the kind before, nothing run.
    WithDialog([&] { kinds->setCurrentIndex(KindRashodByName); },
               [&](TNameSelectForm* dialog) { dialog->close(); });
    EXPECT_EQ(kinds->currentIndex(), int(KindRashodByKind));
    EXPECT_EQ(Shown().size(), 4u);
}

TEST_F(AnalysisPageTest, TheFiveSettingsAreStoredAndRestoredWithTheBase) {
    WindowKey(Qt::Key_F6);
    Date("AnalisDataS")->setDate(QDate(2026, 11, 1));
    Date("AnalisDataDo")->setDate(QDate(2026, 12, 5));
    List("AnalisVid")->setCurrentIndex(KindDohodByKind);
    List("AnalisFormat")->setCurrentIndex(FormatPercent);
    List("AnalisVidChart")->setCurrentIndex(ChartLine);
    Page()->Grid()->setColumnWidth(1, 222);
    TMessageRecorder boxes;
    ASSERT_TRUE(form->SaveAll());
    const TBaseSettings stored = ReadBaseSettings(context.state.baseFolder);
    EXPECT_EQ(stored.analisFrom, QString("01.11.2026"));
    EXPECT_EQ(stored.analisTo, QString("05.12.2026"));
    EXPECT_EQ(stored.analisVid, QString("Видам доходов"));
    EXPECT_EQ(stored.analisFormat, QString("Процентный"));
    EXPECT_EQ(stored.analisChart, QString("Линейная"));
    bool widths = false;
    for (const TColumnWidths& cw : stored.columns)
        if (cw.section == "AnalisGridWidthCol") widths = cw.widths.value(1) == 222;
    EXPECT_TRUE(widths);

    form.reset();
    TSession againSession;
    TAppContext again(againSession);
    again.state.paths = context.state.paths;
    again.state.userName = context.state.userName;
    again.state.baseName = context.state.baseName;
    again.state.baseFolder = context.state.baseFolder;
    again.state.admin = true;
    TQuorvaneForm reopened(again);
    reopened.resize(1136, 681);
    reopened.show();
    reopened.OpenBase();
    const TWindowWidgets w(&reopened);
    EXPECT_EQ(w.Find<QDateEdit>("AnalisDataS")->date(), QDate(2026, 11, 1));
    EXPECT_EQ(w.Find<QDateEdit>("AnalisDataDo")->date(), QDate(2026, 12, 5));
    EXPECT_EQ(w.Find<QComboBox>("AnalisVid")->currentText(), "Видам доходов");
    EXPECT_EQ(w.Find<QComboBox>("AnalisFormat")->currentText(), "Процентный");
    EXPECT_EQ(w.Find<QComboBox>("AnalisVidChart")->currentText(), "Линейная");
    EXPECT_EQ(w.Find<TAnalysisPage>()->Grid()->columnWidth(1), 222);
    EXPECT_TRUE(boxes.Boxes().empty());
}

} // namespace
