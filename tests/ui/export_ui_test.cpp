// "Выгрузить в электронную таблицу" from the main window: which table each page hands to the export
// tool, read back from the job file and the row file the tool would read.
#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "output/rowfile.h"
#include "output/tspreadsheetexport.h"
#include "output/unloadjob.h"
#include "ui/tcelleditors.h"
#include "ui/texportcommands.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

// Three expenses, two of them today; the tool in the program folder is a stand-in that ends at once.
class Export : public MainWindowFixture {
protected:
    void Seed() override {
        WriteTable("purse", {{"рубль", "1", "1000", "1"}, {"копилка", "1", "0", "0"}});
        WriteTable("rashod", {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"},
                              {"01.12.2026", "Дом", "Посуда", "30", "рубль", "", "Мама"},
                              {"10.12.2026", "Еда", "Кофе", "40", "рубль", "к чаю", "Мама"}});
        WriteTable("dolg",
                   {{"дано в долг", "01.12.2026", "", "Петя", "1000", "рубль", "", "отображать", "Мама"}});
        WriteTable("Debt/debt0", {{"05.12.2026", "300", "рубль"}});
    }
    void SetUp() override {
        // The job folder lies in the temp folder: this test's own, not the one other tests share.
        m_previousTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(m_temp.path()));
        MainWindowFixture::SetUp();
        commands = form->findChild<TExportCommands*>();
        ASSERT_NE(commands, nullptr);
        const QString tool = commands->Exporter().ToolPath();
        ASSERT_TRUE(WriteFileBytes(tool, "#!/bin/sh\nexit 0\n"));
        QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void TearDown() override { qputenv("TMPDIR", m_previousTemp); }

    // The job the last export wrote; number 0 when it wrote none.
    TUnloadJob Job() {
        TUnloadJob job;
        if (QFile::exists(JobFilePath())) {
            EXPECT_TRUE(ReadJobFile(JobFilePath(), job));
        }
        return job;
    }
    std::vector<QStringList> Rows() {
        std::vector<QStringList> rows;
        QString error;
        EXPECT_TRUE(ReadRowFile(RowFilePath(), rows, error)) << error.toStdString();
        return rows;
    }
    QAction* ExcelItem(int i) { return ui.Menu()->Items("ExcelMenu").value(i); }

    TExportCommands* commands = nullptr;

private:
    QTemporaryDir m_temp;
    QByteArray m_previousTemp;
};

} // namespace

TEST_F(Export, F8OnTheExpensesHandsOverTheRowsTheFilterShowsWithTheOpenEditCommitted) {
    TMessageRecorder boxes;
    ui.Menu()->Item("FilterMoneyMenu")->trigger();
    TDataGrid& rashod = context.state.Grid(TTableKind::Rashod);
    ASSERT_TRUE(rashod.filterActive);
    // The sum of the first expense shown is being typed over when F8 comes.
    FocusExpenseCell(3, 1);
    ASSERT_EQ(rashod.RowAt(1)->Cell(2), "Хлеб");
    Key(Qt::Key_Return);
    Type("25");
    ASSERT_TRUE(context.editors.IsOpen());
    Key(Qt::Key_F8);

    EXPECT_FALSE(context.editors.IsOpen());
    EXPECT_TRUE(boxes.Boxes().empty());
    const TUnloadJob job = Job();
    EXPECT_EQ(job.number, 11);
    EXPECT_EQ(job.columnNames, rashod.Captions);
    EXPECT_EQ(job.sumColumn, 3);
    EXPECT_EQ(job.totalSum, "65");
    EXPECT_EQ(job.window, form->geometry());
    EXPECT_EQ(job.rowFilePath, RowFilePath());
    EXPECT_TRUE(job.saveFileName.contains("/Quorvane_TABLE OF EXPENSES_10.12.2026_Time"))
        << job.saveFileName.toStdString();
    EXPECT_EQ(Rows(),
              (std::vector<QStringList>{{"10.12.2026", "Еда", "Хлеб", "25", "рубль", "", "Мама"},
                                        {"10.12.2026", "Еда", "Кофе", "40", "рубль", "к чаю", "Мама"}}));
}

TEST_F(Export, EachPageHandsOverItsOwnTableAndTheFileItemsLeaveTheBasesPageAlone) {
    TMessageRecorder boxes;
    const auto section = [&](Qt::Key key) { return [this, key] { WindowKey(key); }; };
    const auto baseTab = [&](int tab, TLedgerGrid* focus = nullptr) {
        return [this, tab, focus] {
            WindowKey(Qt::Key_F7);
            ui.BaseTabs()->setCurrentIndex(tab);
            if (focus) focus->setFocus();
        };
    };
    const auto f8 = [&] { WindowKey(Qt::Key_F8); };
    const auto excel = [&] { ExcelItem(0)->trigger(); };
    const struct {
        const char* what;
        std::function<void()> show;
        std::function<void()> command;
        int number; // 0: nothing is handed over
    } cases[] = {
        {"expenses", section(Qt::Key_F2), f8, 11},
        {"incomes", section(Qt::Key_F3), f8, 12},
        {"debts", section(Qt::Key_F4), f8, 13},
        {"debt returns",
         [&] {
             WindowKey(Qt::Key_F4);
             ui.Grid(TTableKind::Returns)->setFocus();
         },
         f8, 17},
        {"expense plans",
         [&] {
             WindowKey(Qt::Key_F5);
             ui.PlanTabs()->setCurrentIndex(0);
         },
         f8, 14},
        {"income plans",
         [&] {
             WindowKey(Qt::Key_F5);
             ui.PlanTabs()->setCurrentIndex(1);
         },
         f8, 15},
        {"analysis", section(Qt::Key_F6), f8, 16},
        {"expense kinds", baseTab(0), f8, 40},
        {"income kinds", baseTab(1), f8, 41},
        {"purses", baseTab(2, ui.PursePage()->PurseGrid()), f8, 30},
        {"transfers", baseTab(2, ui.PursePage()->TransferGrid()), f8, 31},
        {"users", baseTab(3), f8, 32},
        {"«Выгрузить» on the expenses", section(Qt::Key_F2), excel, 11},
        {"«Выгрузить» on the debt returns",
         [&] {
             WindowKey(Qt::Key_F4);
             ui.Grid(TTableKind::Returns)->setFocus();
         },
         excel, 17},
        {"«Выгрузить» on the analysis", section(Qt::Key_F6), excel, 16},
        {"«Выгрузить» on the expense kinds", baseTab(0), excel, 0},
        {"«Выгрузить» on the purses", baseTab(2, ui.PursePage()->PurseGrid()), excel, 0},
        {"«Выгрузить» on the users", baseTab(3), excel, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(JobFilePath());
        c.show();
        c.command();
        EXPECT_EQ(Job().number, c.number);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Export, TheAnalysisHandsOverItsResult) {
    WindowKey(Qt::Key_F6);
    WindowKey(Qt::Key_F8);
    const TUnloadJob job = Job();
    EXPECT_EQ(job.number, 16);
    EXPECT_TRUE(job.saveFileName.contains("/Quorvane_ANALYSIS_")) << job.saveFileName.toStdString();
    // The expenses of the period by kind with the total row, as the page shows them.
    EXPECT_EQ(Rows(), (std::vector<QStringList>{{"1", "Еда", "140", "0", "-140"},
                                                {"2", "Дом", "30", "0", "-30"},
                                                {"", "Итого:", "170", "0", "-170"}}));
}

TEST_F(Export, AsAsksWhereToSaveFirstAndEscapeCancels) {
    int asked = 0;
    QString answer;
    commands->chooseFile = [&] {
        ++asked;
        return answer;
    };
    WindowKey(Qt::Key_F2);
    QFile::remove(JobFilePath());
    ExcelItem(1)->trigger();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(QFile::exists(JobFilePath()));

    answer = home.Path() + "/Расходы.ods";
    ExcelItem(1)->trigger();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(Job().number, 11);
    EXPECT_EQ(Job().saveFileName, home.Path() + "/Расходы");
    // The chosen name was for that export only.
    ExcelItem(0)->trigger();
    EXPECT_TRUE(Job().saveFileName.contains("/Quorvane_TABLE OF EXPENSES_"));

    // Nothing to hand over on the Bases page: nothing is asked.
    WindowKey(Qt::Key_F7);
    ExcelItem(1)->trigger();
    EXPECT_EQ(asked, 2);
}

TEST_F(Export, WithoutTheToolTheWindowWaitsBehindItsPanelWhileTheProgramFillsASpreadsheet) {
    ASSERT_TRUE(QFile::remove(commands->Exporter().ToolPath()));
    // Nothing on this machine may open what the test writes.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(home.Path() + "/nothing"));
    bool busySeen = false;
    QObject::connect(&commands->Exporter(), &TSpreadsheetExport::busyStarted, form.get(), [&] {
        busySeen = true;
        EXPECT_FALSE(form->isEnabled());
        EXPECT_TRUE(commands->WaitPanel()->isVisible());
        EXPECT_EQ(commands->WaitPanel()->text(),
                  "Идет выгрузка данных. Это может занять некоторое время. Подождите...");
    });
    TMessageRecorder boxes;
    WindowKey(Qt::Key_F8);
    qputenv("PATH", path);
    EXPECT_TRUE(busySeen);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_FALSE(commands->WaitPanel()->isVisible());
    EXPECT_EQ(Job().number, 11);
    // The spreadsheet was filled, but nothing here opens it: where it went is told.
    EXPECT_EQ(boxes.Boxes(),
              std::vector<TMessage>{InfoWithAction({"Vellumora не нашла на данном компьютере",
                                                    "программу обработки электронных таблиц",
                                                    "Таблица сохранена: " + Job().saveFileName + ".ods"},
                                                   "Открыть папку")});
}
