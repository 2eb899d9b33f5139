#include "output/tspreadsheetexport.h"

#include "analysis/tanalysis.h"
#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "ledger/ttablesortert.h"
#include "money/tfilters.h"
#include "money/tmoney.h"
#include "output/rowfile.h"
#include "output/unloadjob.h"
#include "storage/codepage.h"
#include "storage/tabledefs.h"
#include "storage/tmemtable.h"

#include "messagerecorder.h"
#include "odstestkit.h"
#include "tablerows.h"
#include "testfolders.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QRect kWindow(10, 20, 800, 600);

// The row file as the tool reads it, built here on its own: each cell a 4-byte little-endian length
// and its Windows-1251 bytes, each row closed by the item 0x0D.
QByteArray Items(const std::vector<QStringList>& rows) {
    QByteArray out;
    auto item = [&out](const QByteArray& text) {
        const quint32 n = quint32(text.size());
        out.append(char(n & 0xFF))
            .append(char(n >> 8 & 0xFF))
            .append(char(n >> 16 & 0xFF))
            .append(char(n >> 24));
        out.append(text);
    };
    for (const QStringList& row : rows) {
        for (const QString& cell : row)
            item(ToCp1251(cell));
        item("\r");
    }
    return out;
}

// An environment variable set (or, with no value, removed) while the object lives.
class TEnvSetting {
public:
    TEnvSetting(const char* name, const std::optional<QString>& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_previous(qgetenv(name)) {
        Set(value);
    }
    ~TEnvSetting() {
        if (m_had)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }
    void Set(const std::optional<QString>& value) {
        if (value)
            qputenv(m_name, QFile::encodeName(*value));
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_previous;
};

int Mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// A folder this account cannot write to: immutable for root, whom no mode stops; read-only for others.
// Undone when the object goes.
class TUnwritableFolder {
public:
    explicit TUnwritableFolder(const QString& path) : m_path(path) {
        if (::geteuid() == 0) {
            m_immutable = QProcess::execute("chattr", {"+i", path}) == 0;
            m_made = m_immutable;
        } else {
            m_made = ::chmod(QFile::encodeName(path).constData(), 0500) == 0;
        }
    }
    ~TUnwritableFolder() {
        if (m_immutable) QProcess::execute("chattr", {"-i", m_path});
        ::chmod(QFile::encodeName(m_path).constData(), 0700);
    }
    bool Made() const { return m_made; }

private:
    QString m_path;
    bool m_immutable = false;
    bool m_made = false;
};

// A process that has ended and been reaped, or that is left as a zombie, is not running.
bool Alive(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && close + 2 < text.size() && text[close + 2] != 'Z';
}

bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    return true;
}

QString ReadText(const QString& path) {
    return QString::fromUtf8(ReadFileBytes(path));
}

// A program folder, a base folder, a temp folder and a runtime folder of the test's own; today is
// 07.03.2024. The export tool, where one is needed, is a small shell script that notes its process id
// in "started".
class ExportTest : public ::testing::Test {
protected:
    ExportTest() {
        QDir().mkpath(Tmp());
        QDir().mkpath(Run());
        ::chmod(QFile::encodeName(Run()).constData(), 0700);
        m_tmp.Set(Tmp());
        m_run.Set(Run());
        state.paths.programFolder = m_dir.path() + "/program";
        state.baseFolder = m_dir.path() + "/base";
        QDir().mkpath(state.paths.programFolder);
        QDir().mkpath(state.baseFolder);
        state.Table(TTableKind::Purse).AddRow()->SetCells({"рубль", "1", "100", "1"});
        state.Table(TTableKind::Purse).AddRow()->SetCells({"карта", "2", "10", "0"});
        state.basePurse = "рубль";
        money.RecomputeAfterLoad();
    }
    // Every tool this test started goes with its folder, including one that has not yet read its script.
    ~ExportTest() override {
        const QByteArray tool = QFile::encodeName(exporter.ToolPath());
        for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const qint64 pid = entry.toLongLong();
            if (pid > 0 && ReadFileBytes("/proc/" + entry + "/cmdline").contains(tool))
                ::kill(pid_t(pid), SIGKILL);
        }
    }

    QString Tmp() const { return m_dir.path() + "/tmp"; }
    QString Run() const { return m_dir.path() + "/run"; }
    QString Started() const { return m_dir.path() + "/started"; }

    // The tool: notes its id, runs `body`, then stays until it is terminated.
    void InstallTool(const QString& body = QString(), bool executable = true) {
        const QString path = exporter.ToolPath();
        ASSERT_TRUE(WriteFileBytes(path, ("#!/bin/sh\necho $$ >> '" + Started() + "'\n" + body +
                                          "\ntrap 'kill $!; exit 0' TERM\nsleep 30 &\nwait\n")
                                             .toUtf8()));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                        (executable ? QFile::ExeOwner : QFile::Permissions()));
    }
    std::vector<qint64> StartedTools() const {
        std::vector<qint64> pids;
        for (const QString& line : ReadText(Started()).split('\n', Qt::SkipEmptyParts))
            pids.push_back(line.toLongLong());
        return pids;
    }
    bool WaitForTools(size_t n) {
        return WaitFor([&] { return StartedTools().size() >= n; });
    }

    // Expenses: date, kind, name, sum, purse, note, user.
    void Expenses(const std::vector<QStringList>& rows) {
        TMemTable& t = state.Table(TTableKind::Rashod);
        for (const QStringList& r : rows)
            t.AddRow()->SetCells(r);
        TBaseLoader::AppendNewRecordRow(state, state.Grid(TTableKind::Rashod));
        state.Grid(TTableKind::Rashod).ResetRowMap();
        money.RecomputeAfterLoad();
    }

    TUnloadJob Job() {
        TUnloadJob job;
        EXPECT_TRUE(ReadJobFile(JobFilePath(), job));
        return job;
    }

    QTemporaryDir m_dir;
    TEnvSetting m_tmp{"TMPDIR", std::nullopt};
    TEnvSetting m_run{"XDG_RUNTIME_DIR", std::nullopt};
    TTodayOverride today{QDate(2024, 3, 7)};
    TMyType state;
    TMoney money{state};
    TFilters filters{state};
    TMessageRecorder boxes;
    TSpreadsheetExport exporter{state, 300};
};

// The spreadsheet's name: a new empty folder of its own, then Quorvane_, the caption, today and the
// time with dashes.
void ExpectSaveFileName(const QString& name, const QString& caption) {
    const QFileInfo file(name);
    EXPECT_TRUE(file.dir().exists()) << name.toStdString();
    EXPECT_TRUE(file.dir().isEmpty()) << name.toStdString();
    EXPECT_TRUE(file.dir().absolutePath().startsWith(QDir::tempPath() + "/")) << name.toStdString();
    const QRegularExpression form("^Quorvane_" + QRegularExpression::escape(caption) +
                                  "_07\\.03\\.2024_Time([0-9]|1[0-9]|2[0-3])-[0-5][0-9]-[0-5][0-9]$");
    EXPECT_TRUE(form.match(file.fileName()).hasMatch()) << name.toStdString();
}

TEST_F(ExportTest, FilteredSortedExpensesGiveTheShownRowsTheirTotalAndTheJobFile) {
    InstallTool();
    Expenses({{"05.03.2024", "Еда", "Хлеб", "10,25", "рубль", "", "Мама"},
              {"01.02.2024", "Еда", "Сыр", "1000", "рубль", "старое", "Мама"},
              {"06.03.2024", "Дом", "Свет", "20,5", "карта", "счет", "Папа"},
              {"07.03.2024", "", "", "3", "рубль", "", "Папа"}});
    SortTableRows(state.Table(TTableKind::Rashod), col::rashod::Sum, SortByNumber, true);
    filters.ApplyPeriod(TTableKind::Rashod, QDate(2024, 3, 1), QDate(2024, 3, 31));

    EXPECT_EQ(exporter.ExportGrid(state.Grid(TTableKind::Rashod), kWindow), TExportOutcome::ToolStarted);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(exporter.WatchArmed());

    // Sorted by sum descending, the filter's period only, the record without a kind and the new row left out.
    const std::vector<QStringList> shown = {{"06.03.2024", "Дом", "Свет", "20,5", "карта", "счет", "Папа"},
                                            {"05.03.2024", "Еда", "Хлеб", "10,25", "рубль", " ", "Мама"}};
    EXPECT_EQ(ReadFileBytes(RowFilePath()), Items(shown));
    TMemTable copy;
    ASSERT_TRUE(copy.LoadFromFile(state.baseFolder + "/path_excel"));
    EXPECT_EQ(Rows(copy),
              (std::vector<QStringList>{{"06.03.2024", "Дом", "Свет", "20,5", "карта", "счет", "Папа"},
                                        {"05.03.2024", "Еда", "Хлеб", "10,25", "рубль", "", "Мама"}}));

    const TUnloadJob job = Job();
    ExpectSaveFileName(job.saveFileName, "TABLE OF EXPENSES");
    // 20,5 at rate 2, 10,25 and 3: the filtered total in base units as the totals panel has it, the
    // record without a kind included although its row is not exported.
    const QString expected =
        "[Unloaded]\r\nSaveFileName=" + job.saveFileName + "\r\nName_UnloadedPath=" + RowFilePath() +
        "\r\nNameCols=Дата;Вид расхода;Название расхода;Сумма;Кошелек;Примечание;Пользователь;"
        "\r\nSumCol=3\r\nDataCol=-1\r\nProz=0\r\nProportionalCols=\r\nItogSum=54,25\r\n"
        "Dialog=0\r\n\r\n[PrintOpen]\r\nPrint=0\r\n\r\n[Download]\r\nCaptionList=Печать\r\n"
        "NumberTable=11\r\n\r\n[Pozition]\r\nTop=20\r\nLeft=10\r\nHeight=600\r\nWidth=800\r\n\r\n"
        "[Vedomost]\r\nCaptionNumberVedomost=Print\r\n";
    EXPECT_EQ(ReadFileBytes(JobFilePath()), ToCp1251(expected));

    // Without the filter the total is the whole table's.
    filters.RemoveFilter(TTableKind::Rashod, true);
    EXPECT_EQ(exporter.ExportGrid(state.Grid(TTableKind::Rashod), kWindow), TExportOutcome::ToolStarted);
    EXPECT_EQ(Job().totalSum, "1054,25");
}

TEST_F(ExportTest, EveryOtherGridGivesItsWholeTable) {
    InstallTool();
    state.Table(TTableKind::Transfer).AddRow()->SetCells({"01.03.2024", "рубль", "1", "карта", "2", "5", ""});
    state.users.AddRow()->SetCells({"Мама", "Семья", "Администратор", "2611170006"});
    state.users.AddRow()->SetCells({"Папа", "Семья", "Обычный пользователь", "12345"});
    const std::vector<QStringList> purses = {{"рубль", "1", "100", "1"}, {"карта", "2", "10", "0"}};
    struct Case {
        const char* what;
        TTableKind kind;
        int number;
        QString names;
        int sumColumn;
        QString total;
        std::vector<QStringList> rowFile; // as the tool reads it
        std::vector<QStringList> copy;    // the table copy "path_excel"
    };
    const Case cases[] = {
        {"debt returns of an empty table: one row of two-space cells",
         TTableKind::Returns,
         17,
         "Дата;Сумма возврата;Кошелек;Остаток;",
         1,
         "",
         {{"  ", "  ", "  ", "  "}},
         {}},
        {"purses: the total of all purses, the base flag only in the copy",
         TTableKind::Purse,
         30,
         "Имя кошелька;Курс по отношению к базовому;Сумма в кошельке;",
         state.Grid(TTableKind::Purse).SumColumn,
         "120",
         {{"рубль", "1", "100"}, {"карта", "2", "10"}},
         purses},
        {"transfers: an empty note is one space",
         TTableKind::Transfer,
         31,
         "Дата;Из какого кошелька;Курс первого кошелька;В какой кошелек;Курс второго кошелька;Сколько "
         "переносим;Примечания;",
         state.Grid(TTableKind::Transfer).SumColumn,
         "",
         {{"01.03.2024", "рубль", "1", "карта", "2", "5", " "}},
         {{"01.03.2024", "рубль", "1", "карта", "2", "5", ""}}},
        {"users: never their password codes",
         TTableKind::User,
         32,
         "Имя пользователя;База пользователя;Тип пользователя;",
         state.Grid(TTableKind::User).SumColumn,
         "",
         {{"Мама", "Семья", "Администратор"}, {"Папа", "Семья", "Обычный пользователь"}},
         {{"Мама", "Семья", "Администратор"}, {"Папа", "Семья", "Обычный пользователь"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(exporter.ExportGrid(state.Grid(c.kind), kWindow), TExportOutcome::ToolStarted);
        EXPECT_EQ(ReadFileBytes(RowFilePath()), Items(c.rowFile));
        TMemTable copy;
        ASSERT_TRUE(copy.LoadFromFile(state.baseFolder + "/path_excel"));
        EXPECT_EQ(Rows(copy), c.copy);
        const TUnloadJob job = Job();
        EXPECT_EQ(job.number, c.number);
        EXPECT_EQ(JoinColumnNames(job.columnNames), c.names);
        EXPECT_EQ(job.sumColumn, c.sumColumn);
        EXPECT_EQ(job.totalSum, c.total);
        EXPECT_FALSE(job.percent);
        ExpectSaveFileName(job.saveFileName, "");
        EXPECT_TRUE(QFileInfo(job.saveFileName).fileName().startsWith("Quorvane__"));
    }
    EXPECT_FALSE(ReadFileBytes(JobFilePath()).contains("2611170006"));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ExportTest, AnalysisInPercentAndTheKindsListsOnTheirSide) {
    InstallTool();
    state.vidRashod.AddRow()->SetCells({"Еда", "Хлеб", "Молоко"});
    state.vidRashod.AddRow()->SetCells({"Дом"});
    state.vidRashod.AddRow()->SetCells({"Авто", "Бензин", ""});
    state.vidDohod.AddRow()->SetCells({"Зарплата"});
    state.Table(TTableKind::Rashod)
        .AddRow()
        ->SetCells({"05.03.2024", "Еда", "Хлеб", "30", "рубль", "", "Мама"});
    state.Table(TTableKind::Rashod)
        .AddRow()
        ->SetCells({"06.03.2024", "Дом", "Свет", "10", "рубль", "", "Мама"});
    state.Table(TTableKind::PlanRashod)
        .AddRow()
        ->SetCells({"Еда", "Хлеб", "01.03.2024", "31.03.2024", "40", "рубль", "", "Мама"});

    TAnalysis analysis(state);
    struct Case {
        int kind, format, number;
        QString caption;
        bool percent;
    };
    const Case cases[] = {{KindRashodByKind, FormatPercent, 16, "ANALYSIS", true},
                          {KindRashodByKind, FormatNumber, 16, "ANALYSIS", false},
                          {KindPlanRashod, FormatPercent, 20, "", true},
                          {KindPlanDohodNote, FormatPercent, 25, "", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        const TAnalysisSettings settings{QDate(2024, 3, 1), QDate(2024, 3, 31), c.kind, c.format, ChartPie};
        analysis.Run(settings, {});
        EXPECT_EQ(exporter.ExportAnalysis(analysis, settings, kWindow), TExportOutcome::ToolStarted);
        const TUnloadJob job = Job();
        EXPECT_EQ(job.number, c.number);
        EXPECT_EQ(job.percent, c.percent);
        EXPECT_EQ(job.sumColumn, 2);
        EXPECT_EQ(job.totalSum, "");
        EXPECT_EQ(job.columnNames, TAnalysis::Captions(c.kind));
        ExpectSaveFileName(job.saveFileName, c.caption);
        std::vector<QStringList> rows = Rows(analysis.Table());
        for (QStringList& row : rows)
            for (QString& cell : row)
                if (cell.isEmpty()) cell = " ";
        if (rows.empty()) rows.push_back(QStringList(TAnalysis::Captions(c.kind).size(), "  "));
        EXPECT_EQ(ReadFileBytes(RowFilePath()), Items(rows));
    }
    // The percent form of kind 0 as the page shows it: 30 of 40 and 10 of 40.
    analysis.Run({QDate(2024, 3, 1), QDate(2024, 3, 31), KindRashodByKind, FormatPercent, ChartPie}, {});
    exporter.ExportAnalysis(
        analysis, {QDate(2024, 3, 1), QDate(2024, 3, 31), KindRashodByKind, FormatPercent, ChartPie},
        kWindow);
    EXPECT_TRUE(ReadFileBytes(RowFilePath()).contains(ToCp1251("75%")));
    EXPECT_TRUE(ReadFileBytes(JobFilePath()).contains("Proz=1\r\n"));

    // The kinds lists go out even while the tool's lock is held: they are not guarded by it.
    const QString lock = exporter.ToolFolder() + "/accessible.lock";
    const int fd = ::open(QFile::encodeName(lock).constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    struct KindsCase {
        const TDataVidGrid& list;
        int number;
        QString names;
        std::vector<QStringList> rowFile;
    };
    const KindsCase kinds[] = {
        {state.vidRashodGrid, 40, "Еда;Дом;Авто;", {{"Хлеб", " ", "Бензин"}, {"Молоко", " ", " "}}},
        {state.vidDohodGrid, 41, "Зарплата;", {{"  "}}},
    };
    for (const KindsCase& c : kinds) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(exporter.ExportKinds(c.list, kWindow), TExportOutcome::ToolStarted);
        const TUnloadJob job = Job();
        EXPECT_EQ(job.number, c.number);
        EXPECT_EQ(JoinColumnNames(job.columnNames), c.names);
        EXPECT_EQ(job.sumColumn, -1);
        EXPECT_EQ(job.totalSum, "");
        EXPECT_EQ(ReadFileBytes(RowFilePath()), Items(c.rowFile));
    }
    ::close(fd);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ExportTest, TwoColumnNamesEndWithASemicolonEach) {
    InstallTool();
    TDataGrid grid;
    grid.kind = TTableKind::Returns;
    grid.Captions = {"Дата", "Сумма"};
    grid.Columns = {TColumnKind::Date, TColumnKind::Number};
    grid.SumColumn = 1;
    TMemTable table;
    table.AddRow()->SetCells({"01.03.2024", ""});
    grid.Table = &table;
    EXPECT_EQ(exporter.ExportGrid(grid, kWindow), TExportOutcome::ToolStarted);
    EXPECT_TRUE(ReadFileBytes(JobFilePath()).contains(ToCp1251("NameCols=Дата;Сумма;\r\n")));
    EXPECT_EQ(ReadFileBytes(RowFilePath()), Items({{"01.03.2024", " "}}));
}

TEST_F(ExportTest, AGridWithoutATableIsNotExported) {
    InstallTool();
    TDataGrid grid;
    TDataVidGrid list;
    EXPECT_EQ(exporter.ExportGrid(grid, kWindow), TExportOutcome::Empty);
    EXPECT_EQ(exporter.ExportKinds(list, kWindow), TExportOutcome::Empty);
    EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{Info({"Выгрузка не выполнена. Таблица пуста"}),
                                                    Info({"Выгрузка не выполнена. Таблица пуста"})}));
    EXPECT_FALSE(QFile::exists(RowFilePath()));
    EXPECT_FALSE(exporter.WatchArmed());
}

// Another process holds the tool's lock: a tool still at work.
TEST_F(ExportTest, AHeldToolLockRefusesTheExport) {
    InstallTool();
    const QString lock = exporter.ToolFolder() + "/accessible.lock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const QByteArray lockName = QFile::encodeName(lock);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const int fd = ::open(lockName.constData(), O_RDWR | O_CREAT, 0600);
        const char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');

    Expenses({{"05.03.2024", "Еда", "Хлеб", "10", "рубль", "", "Мама"}});
    EXPECT_EQ(exporter.ExportGrid(state.Grid(TTableKind::Rashod), kWindow), TExportOutcome::Refused);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    EXPECT_EQ(boxes.Boxes(),
              (std::vector<TMessage>{
                  Error({"Отказано в доступе.",
                         "Возможно существует незавершенная выгрузка или программа выгрузки недоступна.",
                         "проверьте настройки безопасности для папки \"" + state.paths.programFolder +
                             "/NewUnloaded\" у текущего пользователя."})}));
    EXPECT_FALSE(QFile::exists(RowFilePath()));
    EXPECT_FALSE(exporter.WatchArmed());
    EXPECT_TRUE(StartedTools().empty());

    // Released, the lock lets the next export through.
    EXPECT_EQ(exporter.ExportGrid(state.Grid(TTableKind::Rashod), kWindow), TExportOutcome::ToolStarted);
}

TEST_F(ExportTest, ARunningToolWithoutItsLockIsEndedBeforeTheNextStarts) {
    InstallTool();
    Expenses({{"05.03.2024", "Еда", "Хлеб", "10", "рубль", "", "Мама"}});
    ASSERT_EQ(exporter.ExportGrid(state.Grid(TTableKind::Rashod), kWindow), TExportOutcome::ToolStarted);
    ASSERT_TRUE(WaitForTools(1));
    const qint64 first = StartedTools()[0];
    ASSERT_TRUE(Alive(first));

    ASSERT_EQ(exporter.ExportGrid(state.Grid(TTableKind::Rashod), kWindow), TExportOutcome::ToolStarted);
    EXPECT_FALSE(Alive(first));
    ASSERT_TRUE(WaitForTools(2));
    EXPECT_TRUE(Alive(StartedTools()[1]));
    EXPECT_TRUE(boxes.Boxes().empty());
}

// The watch reads the success note; only a note this export's tool wrote counts.
TEST_F(ExportTest, TheWatchEndsAToolThatNeverReportsSuccess) {
    // The tool finds the job folder as the program does, from the environment it was started with.
    const QString note = "$XDG_RUNTIME_DIR/Quorvane/success";
    struct Case {
        const char* what;
        bool oldSuccess; // a note saying Success=1 is left from an earlier export
        QString tool;    // what the tool does before it waits
        bool timesOut;
    };
    const Case cases[] = {
        {"no note at all", false, "", true},
        {"an old note saying success", true, "", true},
        {"the tool's note of its start", true, "printf '[Success]\\r\\nSuccess=0\\r\\n' > " + note, true},
        {"the tool's note of success", false, "printf '[Success]\\r\\nSuccess=1\\r\\n' > " + note, false},
    };
    Expenses({{"05.03.2024", "Еда", "Хлеб", "10", "рубль", "", "Мама"}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.Reset();
        QFile::remove(Started());
        QFile::remove(SuccessNotePath());
        if (c.oldSuccess) {
            QDir().mkpath(UnloadFolder());
            ASSERT_TRUE(WriteSuccessNote(SuccessNotePath(), true));
        }
        InstallTool(c.tool);
        ASSERT_EQ(exporter.ExportGrid(state.Grid(TTableKind::Rashod), kWindow), TExportOutcome::ToolStarted);
        ASSERT_TRUE(WaitForTools(1));
        const qint64 tool = StartedTools()[0];
        ASSERT_TRUE(WaitFor([&] { return !exporter.WatchArmed(); }));
        if (c.timesOut) {
            EXPECT_EQ(boxes.Boxes(),
                      (std::vector<TMessage>{Info(
                          {"Истек период ожидания.", "Выгрузка не выполнена.", "Процесс остановлен."})}));
            EXPECT_FALSE(Alive(tool));
        } else {
            EXPECT_TRUE(boxes.Boxes().empty());
            EXPECT_TRUE(Alive(tool));
            ::kill(pid_t(tool), SIGTERM);
        }
    }
}

// Whatever the tool could not read must not be handed to it.
TEST_F(ExportTest, AnUnwritableRowOrJobFileStopsTheExport) {
    InstallTool();
    Expenses({{"05.03.2024", "Еда", "Хлеб", "10", "рубль", "", "Мама"}});
    for (const QString& blocked : {RowFilePath(), JobFilePath()}) {
        SCOPED_TRACE(blocked.toStdString());
        boxes.Reset();
        QDir(UnloadFolder()).removeRecursively();
        // A folder in the file's place: the file cannot be written.
        QDir().mkpath(blocked);
        EXPECT_EQ(exporter.ExportGrid(state.Grid(TTableKind::Rashod), kWindow), TExportOutcome::NotWritten);
        EXPECT_EQ(boxes.Boxes(), (std::vector<TMessage>{Info({"Выгрузка не выполнена"})}));
        EXPECT_FALSE(exporter.WatchArmed());
    }
    // Given time to start, no tool shows up.
    QThread::msleep(500);
    EXPECT_TRUE(StartedTools().empty());
}

// The job files lie in the account's own runtime folder, which no other account reads or writes;
// only without one do they go to the temp folder. A job folder that cannot be used stops the export
// before anything is ended or written, and is told with its path and the reason.
TEST_F(ExportTest, TheJobFilesLieInTheAccountsOwnRuntimeFolder) {
    InstallTool();
    Expenses({{"05.03.2024", "Еда", "Хлеб", "10", "рубль", "", "Мама"}});
    const std::vector<QStringList> rows = {{"05.03.2024", "Еда", "Хлеб", "10", "рубль", "", "Мама"}};
    const QString elsewhere = m_dir.path() + "/elsewhere";
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    enum TSetUp { Private, OpenForReading, Missing, Gone, OpenToOthers, Unwritable, Link };
    struct Case {
        const char* what;
        TSetUp setUp;
        QString folder; // where the job files go; with a reason, the folder told
        QString reason; // empty: the export goes ahead
    };
    const QString runtime = Run() + "/session";
    const QString inRuntime = runtime + "/Quorvane";
    const QString inTemp = Tmp() + "/Quorvane";
    const Case cases[] = {
        {"the runtime folder", Private, inRuntime, ""},
        {"a job folder others could read is closed to them", OpenForReading, inRuntime, ""},
        {"no runtime folder: the temp folder", Missing, inTemp, ""},
        {"a runtime folder that is gone: the temp folder", Gone, inTemp, ""},
        {"a runtime folder open to other accounts", OpenToOthers, inRuntime,
         "Папка $XDG_RUNTIME_DIR \"" + runtime + "\" доступна другим учетным записям."},
        {"a runtime folder this account cannot write to", Unwritable, inRuntime,
         "Нет прав на запись в файл или папку."},
        {"a link in the job folder's place", Link, inRuntime, "На месте папки находится ссылка."},
    };
    qint64 running = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.Reset();
        QDir(runtime).removeRecursively();
        QDir(inTemp).removeRecursively();
        QFile::remove(Started());
        ASSERT_TRUE(QDir().mkpath(runtime));
        ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), 0700), 0);
        m_run.Set(runtime);
        std::unique_ptr<TUnwritableFolder> unwritable;
        switch (c.setUp) {
        case Private:
            break;
        case OpenForReading:
            ASSERT_TRUE(QDir().mkpath(inRuntime));
            ASSERT_EQ(::chmod(QFile::encodeName(inRuntime).constData(), 0755), 0);
            break;
        case Missing:
            m_run.Set(std::nullopt);
            break;
        case Gone:
            m_run.Set(runtime + "/gone");
            break;
        case OpenToOthers:
            ASSERT_EQ(::chmod(QFile::encodeName(runtime).constData(), 0755), 0);
            break;
        case Unwritable:
            unwritable = std::make_unique<TUnwritableFolder>(runtime);
            if (!unwritable->Made()) {
                ADD_FAILURE() << "the runtime folder cannot be made unwritable here";
                continue;
            }
            break;
        case Link:
            ASSERT_TRUE(QFile::link(elsewhere, inRuntime));
            break;
        }

        const TExportOutcome outcome = exporter.ExportGrid(state.Grid(TTableKind::Rashod), kWindow);
        if (c.reason.isEmpty()) {
            EXPECT_EQ(outcome, TExportOutcome::ToolStarted);
            EXPECT_TRUE(boxes.Boxes().empty());
            EXPECT_EQ(UnloadFolder(), c.folder);
            EXPECT_EQ(Mode(c.folder), 0700);
            EXPECT_EQ(Job().rowFilePath, c.folder + "/unloaded_base.txt");
            EXPECT_EQ(ReadFileBytes(c.folder + "/unloaded_base.txt"), RowFileBytes(rows, 7));
            // Waited for without running the event loop: the watch of this export must not end it.
            QDeadlineTimer deadline(10000);
            while (StartedTools().empty() && !deadline.hasExpired())
                QThread::msleep(20);
            ASSERT_EQ(StartedTools().size(), 1u);
            running = StartedTools()[0];
            // Nothing of the job goes to the other place.
            const QString other = c.folder == inRuntime ? inTemp : inRuntime;
            EXPECT_FALSE(QFileInfo::exists(other + "/path_unloaded"));
        } else {
            EXPECT_EQ(outcome, TExportOutcome::NoJobFolder);
            EXPECT_EQ(
                boxes.Boxes(),
                (std::vector<TMessage>{Error({"Выгрузка не выполнена: папка для файлов выгрузки недоступна.",
                                              "Папка: " + c.folder, "Причина: " + c.reason})}));
            EXPECT_EQ(UnloadFolder(), QString());
            EXPECT_TRUE(exporter.WatchArmed()) << "the export before is still watched";
            EXPECT_FALSE(QFileInfo::exists(inTemp));
            EXPECT_TRUE(QDir(elsewhere).isEmpty());
            EXPECT_TRUE(StartedTools().empty());
            EXPECT_TRUE(Alive(running)) << "the tool of the export before is left at work";
        }
        unwritable.reset();
        QFile::remove(inRuntime); // the link
    }
    // Given time to start, no tool shows up for a refused export.
    QThread::msleep(300);
    EXPECT_TRUE(StartedTools().empty());
}

// Without a runtime folder the temp folder serves, which is every account's: a "Quorvane" that is
// not this account's own never receives the rows nor leads the writes to another file.
TEST_F(ExportTest, AJobFolderThatIsNotThisAccountsOwnIsPassedOver) {
    InstallTool();
    m_run.Set(std::nullopt);
    Expenses({{"05.03.2024", "Еда", "Хлеб", "10", "рубль", "", "Мама"}});
    const QString shared = Tmp() + "/Quorvane";
    const QString own = shared + "-" + QString::number(::getuid());
    const QString elsewhere = m_dir.path() + "/elsewhere";
    struct Case {
        const char* what;
        std::function<bool()> plant;
    };
    const Case cases[] = {
        {"a link to another folder", [&] { return QFile::link(elsewhere, shared); }},
        {"a folder anyone may write to",
         [&] { return QDir().mkpath(shared) && ::chmod(QFile::encodeName(shared).constData(), 0777) == 0; }},
    };
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(shared);
        QDir(shared).removeRecursively();
        QDir(own).removeRecursively();
        ASSERT_TRUE(c.plant());
        EXPECT_EQ(exporter.ExportGrid(state.Grid(TTableKind::Rashod), kWindow), TExportOutcome::ToolStarted);
        EXPECT_EQ(Job().rowFilePath, own + "/unloaded_base.txt");
        EXPECT_EQ(ReadFileBytes(own + "/unloaded_base.txt"),
                  RowFileBytes({{"05.03.2024", "Еда", "Хлеб", "10", "рубль", "", "Мама"}}, 7));
        EXPECT_TRUE(QDir(elsewhere).isEmpty());
        EXPECT_FALSE(QFile::exists(shared + "/path_unloaded"));
    }
}

// The rows of a sheet that LibreOffice shows with this text in one of their cells.
std::vector<std::vector<TSheetCell>> RowsWith(const std::vector<std::vector<TSheetCell>>& sheet,
                                              const QString& text) {
    std::vector<std::vector<TSheetCell>> out;
    for (const auto& row : sheet)
        for (const TSheetCell& c : row)
            if (c.text == text) {
                out.push_back(row);
                break;
            }
    return out;
}

// What a sum row says: its purse (and kind), and its figure as a number.
QStringList SumRows(const std::vector<std::vector<TSheetCell>>& sheet, const QString& label) {
    QStringList out;
    for (const auto& row : RowsWith(sheet, label)) {
        QStringList words;
        for (const TSheetCell& c : row)
            if (c.type == "float")
                words << QString::number(c.value, 'f', 2);
            else if (!c.text.isEmpty() && c.text != label)
                words << c.text;
        out << words.join(' ');
    }
    return out;
}

// The real export tool fills the default templates; LibreOffice reads the sheets back. Every amount
// is a number a SUM takes, and no sum row adds two purses, nor lent and borrowed money.
TEST_F(ExportTest, TheToolsSheetsHoldNumbersAndSumEachPurseApart) {
    const QString tool = ProgramDir() + "/NewUnloaded/vellumora-ods";
    ASSERT_TRUE(QFile::exists(tool)) << tool.toStdString();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(exporter.ToolPath()).absolutePath()));
    ASSERT_TRUE(QFile::copy(tool, exporter.ToolPath()));
    // The templates in the family's data folder; no display, so the tool opens nothing.
    TEnvSetting data("XDG_DATA_HOME", m_dir.path() + "/share");
    TEnvSetting display("DISPLAY", std::nullopt);
    TEnvSetting wayland("WAYLAND_DISPLAY", std::nullopt);
    const QString templates = m_dir.path() + "/share/Quorvane/PageMaket";
    ASSERT_TRUE(QDir().mkpath(templates));
    for (const QString& file : QDir(ProgramDir() + "/PageMaket").entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(ProgramDir() + "/PageMaket/" + file, templates + "/" + file));

    state.Table(TTableKind::Purse).AddRow()->SetCells({"евро", "100,5", "20", "0"});
    Expenses(
        {{"05.03.2024", "Отдых", "Отель", "20000", "рубль", "", "Мама"},
         {"06.03.2024", "Отдых", "Экскурсия по старому городу с обедом у реки", "888", "евро", "", "Папа"},
         {"07.03.2024", "Еда", "Сыр", "12,5", "евро", "", "Мама"}});
    TMemTable& debts = state.Table(TTableKind::Dolg);
    debts.AddRow()->SetCells(
        {"дано в долг", "01.03.2024", "", "Иван", "100", "рубль", "", "не отображать", "Мама", "1"});
    debts.AddRow()->SetCells(
        {"дано в долг", "02.03.2024", "", "Пётр", "50", "евро", "", "не отображать", "Мама", "2"});
    debts.AddRow()->SetCells(
        {"взято в долг", "03.03.2024", "", "Банк", "300", "рубль", "", "не отображать", "Папа", "3"});
    debts.AddRow()->SetCells(
        {"дано в долг", "04.03.2024", "", "Анна", "25", "рубль", "", "не отображать", "Мама", "4"});
    TBaseLoader::AppendNewRecordRow(state, state.Grid(TTableKind::Dolg));
    state.Grid(TTableKind::Dolg).ResetRowMap();
    state.ReturnsTable(1).AddRow()->SetCells({"05.03.2024", "40", "рубль", ""});
    state.ReturnsTable(1).AddRow()->SetCells({"06.03.2024", "0,5", "евро", ""});
    state.Grid(TTableKind::Returns).Table = &state.ReturnsTable(1);
    state.Table(TTableKind::Transfer)
        .AddRow()
        ->SetCells({"01.03.2024", "рубль", "1", "евро", "100,5", "201", ""});
    money.RecomputeAfterLoad();
    TAnalysis analysis(state);

    // The tool takes its time to start: the watch must not end it.
    TSpreadsheetExport slow{state, 120000};
    std::map<QString, QString> sheets;
    const auto exported = [&](const char* what, TExportOutcome outcome) {
        SCOPED_TRACE(what);
        ASSERT_EQ(outcome, TExportOutcome::ToolStarted);
        const QString sheet = Job().saveFileName + ".ods";
        ASSERT_TRUE(WaitFor([&] { return !slow.WatchArmed(); }, 60000));
        // Saved, and nothing here opened it: where it went is told.
        EXPECT_EQ(boxes.Boxes(),
                  (std::vector<TMessage>{InfoWithAction({"Vellumora не нашла на данном компьютере",
                                                         "программу обработки электронных таблиц",
                                                         "Таблица сохранена: " + sheet},
                                                        "Открыть папку")}));
        boxes.Reset();
        EXPECT_TRUE(QFile::exists(sheet));
        // The next export waits for this tool to be gone and its lock free.
        EXPECT_TRUE(WaitFor([&] {
            for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                if (ReadFileBytes("/proc/" + entry + "/cmdline")
                        .contains(QFile::encodeName(exporter.ToolPath())))
                    return false;
            return true;
        }));
        const QString copy = m_dir.path() + "/sheets/" + what + ".ods";
        QDir().mkpath(m_dir.path() + "/sheets");
        ASSERT_TRUE(QFile::copy(sheet, copy));
        sheets[what] = copy;
    };
    exported("expenses", slow.ExportGrid(state.Grid(TTableKind::Rashod), kWindow));
    exported("debts", slow.ExportGrid(state.Grid(TTableKind::Dolg), kWindow));
    exported("returns", slow.ExportGrid(state.Grid(TTableKind::Returns), kWindow));
    exported("purses", slow.ExportGrid(state.Grid(TTableKind::Purse), kWindow));
    exported("transfers", slow.ExportGrid(state.Grid(TTableKind::Transfer), kWindow));
    const TAnalysisSettings byNumber{QDate(2024, 3, 1), QDate(2024, 3, 31), KindRashodByKind, FormatNumber,
                                     ChartPie};
    analysis.Run(byNumber, {});
    exported("analysis", slow.ExportAnalysis(analysis, byNumber, kWindow));
    const TAnalysisSettings byPercent{QDate(2024, 3, 1), QDate(2024, 3, 31), KindRashodByKind, FormatPercent,
                                      ChartPie};
    analysis.Run(byPercent, {});
    exported("percent", slow.ExportAnalysis(analysis, byPercent, kWindow));
    ASSERT_EQ(sheets.size(), 7u);

    QStringList files;
    for (const auto& [what, file] : sheets)
        files << file;
    QString log;
    ASSERT_TRUE(SofficeConvert(files, "fods", m_dir.path() + "/fods", m_dir.path() + "/soffice", &log))
        << log.toStdString();
    const auto sheet = [&](const QString& what) {
        return ReadFlatSheet(m_dir.path() + "/fods/" + what + ".fods");
    };
    // One column of the record rows, which start under the title, the date line and the captions: its
    // cells must all be of the type given, and their sum is what a SUM over the column gives.
    const auto column = [](const std::vector<std::vector<TSheetCell>>& rows, int c, size_t count,
                           const QString& type = "float") {
        double sum = 0;
        EXPECT_GE(rows.size(), 3 + count);
        for (size_t r = 3; r < 3 + count && r < rows.size(); ++r) {
            const TSheetCell cell = size_t(c) < rows[r].size() ? rows[r][size_t(c)] : TSheetCell{};
            EXPECT_EQ(cell.type, type)
                << "row " << r + 1 << " column " << c + 1 << ": " << cell.text.toStdString();
            sum += cell.value;
        }
        return sum;
    };

    const auto expenses = sheet("expenses");
    EXPECT_EQ(column(expenses, col::rashod::Sum, 3), 20900.5);
    EXPECT_EQ(SumRows(expenses, "Сумма по кошельку:"), QStringList({"900.50 евро", "20000.00 рубль"}));
    // 20000 + 900,5 × 100,5 in the base purse, worked out by the program.
    EXPECT_EQ(SumRows(expenses, "Итого в базовой валюте:"), QStringList({"110500.25"}));

    // A long name stays in its row: no cell of the sheet wraps onto more lines.
    EXPECT_FALSE(ReadFileBytes(m_dir.path() + "/fods/expenses.fods").contains("fo:wrap-option=\"wrap\""));

    const auto debtRows = sheet("debts");
    EXPECT_EQ(column(debtRows, col::dolg::Sum, 4), 475.0);
    EXPECT_EQ(
        SumRows(debtRows, "Сумма по кошельку:"),
        QStringList({"взято в долг 300.00 рубль", "дано в долг 50.00 евро", "дано в долг 125.00 рубль"}));
    EXPECT_TRUE(RowsWith(debtRows, "Итого в базовой валюте:").empty());

    const auto returns = sheet("returns");
    EXPECT_EQ(column(returns, col::returns::Sum, 2), 40.5);
    EXPECT_DOUBLE_EQ(column(returns, col::returns::Remainder, 2),
                     NumberValue(state.ReturnsTable(1).Row(0)->Cell(col::returns::Remainder)) +
                         NumberValue(state.ReturnsTable(1).Row(1)->Cell(col::returns::Remainder)));
    EXPECT_EQ(SumRows(returns, "Сумма по кошельку:"), QStringList({"0.50 евро", "40.00 рубль"}));

    // Purses and transfers have no date to start their rows: every row is a record here.
    const auto purses = sheet("purses");
    ASSERT_GE(purses.size(), 7u);
    for (size_t r = 3; r < 6; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(purses[r].at(col::purse::Rate).type, "float");
        EXPECT_EQ(purses[r].at(col::purse::Amount).type, "float");
    }
    EXPECT_EQ(purses[5].at(col::purse::Rate).value, 100.5);
    EXPECT_EQ(SumRows(purses, "Итого в базовой валюте:"), QStringList({"2130.00"}));

    const auto transfers = sheet("transfers");
    ASSERT_GE(transfers.size(), 4u);
    for (int c : {col::transfer::FromRate, col::transfer::ToRate, col::transfer::Amount})
        EXPECT_EQ(transfers[3].at(size_t(c)).type, "float") << c;
    EXPECT_EQ(transfers[3].at(col::transfer::Amount).value, 201);

    // The analysis of two kinds: its amounts are numbers, in percent the shares are percentages that add
    // up to the whole.
    const auto byKind = sheet("analysis");
    const auto percent = sheet("percent");
    for (int c = 2; c < int(TAnalysis::Captions(KindRashodByKind).size()); ++c) {
        SCOPED_TRACE(c);
        column(byKind, c, 2);
        // Against the plans the difference is a share as well.
        if (c > 2) column(percent, c, 2, c == 4 ? "percentage" : "float");
    }
    EXPECT_NEAR(column(percent, 2, 2, "percentage"), 1.0, 1e-9);
}

// Without a tool that starts, the program writes the spreadsheet itself; with nothing here to open
// it, it says so and where the sheet is, and offers its folder.
TEST_F(ExportTest, WithoutAToolThatStartsTheProgramWritesTheSpreadsheetItself) {
    Expenses({{"05.03.2024", "Еда", "Хлеб", "1234,5", "рубль", "", "Мама"},
              {"06.03.2024", "Дом", "Свет", "-7", "карта", "счет", "Папа"}});
    std::vector<QString> signalled;
    QObject::connect(&exporter, &TSpreadsheetExport::busyStarted,
                     [&](const QString& text) { signalled.push_back("started: " + text); });
    QObject::connect(&exporter, &TSpreadsheetExport::busyEnded, [&] { signalled.push_back("ended"); });
    // Only folders open here.
    std::vector<QString> opened;
    exporter.open = [&](const QString& path) {
        opened.push_back(path);
        return QFileInfo(path).isDir();
    };
    struct Case {
        const char* what;
        bool install, executable;
        bool openFolder;
    };
    const Case cases[] = {{"no tool file", false, false, false},
                          {"a tool that cannot start", true, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.Reset();
        signalled.clear();
        opened.clear();
        if (c.openFolder) boxes.AnswerYes();
        QFile::remove(exporter.ToolPath());
        if (c.install) InstallTool(QString(), c.executable);

        EXPECT_EQ(exporter.ExportGrid(state.Grid(TTableKind::Rashod), kWindow),
                  TExportOutcome::FallbackNotOpened);
        EXPECT_FALSE(exporter.WatchArmed());
        EXPECT_EQ(
            signalled,
            (std::vector<QString>{
                "started: Идет выгрузка данных. Это может занять некоторое время. Подождите...", "ended"}));
        const QString sheet = Job().saveFileName + ".ods";
        EXPECT_EQ(boxes.Boxes(),
                  (std::vector<TMessage>{InfoWithAction({"Vellumora не нашла на данном компьютере",
                                                         "программу обработки электронных таблиц",
                                                         "Таблица сохранена: " + sheet},
                                                        "Открыть папку")}));
        ASSERT_TRUE(QFile::exists(sheet));
        std::vector<QString> expectedOpened{sheet};
        if (c.openFolder) expectedOpened.push_back(QFileInfo(sheet).absolutePath());
        EXPECT_EQ(opened, expectedOpened);
        const QString out = m_dir.path() + "/csv";
        QString log;
        ASSERT_TRUE(SofficeConvert({sheet}, "csv", out, m_dir.path() + "/soffice", &log))
            << log.toStdString();
        EXPECT_EQ(
            ReadCsv(out + "/" + QFileInfo(sheet).completeBaseName() + ".csv"),
            (std::vector<QStringList>{
                {"Дата", "Вид расхода", "Название расхода", "Сумма", "Кошелек", "Примечание", "Пользователь"},
                {"05.03.2024", "Еда", "Хлеб", QString("1") + QChar(0x00A0) + "234,50", "рубль", "", "Мама"},
                {"06.03.2024", "Дом", "Свет", "-7,00", "карта", "счет", "Папа"}}));
    }
    EXPECT_TRUE(StartedTools().empty());
}

} // namespace
