// The export tool as the program starts it: a process without arguments that finds its job in the
// account's runtime folder and its templates in the program data folder.
#include "output/rowfile.h"
#include "output/unloadjob.h"
#include "output/unloadtool.h"
#include "storage/tabledefs.h"

#include "odstestkit.h"
#include "testfolders.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QString Tool() {
    return ProgramDir() + "/NewUnloaded/vellumora-ods";
}

// The temp folder and the runtime folder of the tool's process, for this process too while the test
// runs: the job files lie in the runtime folder.
class TToolFolders {
public:
    explicit TToolFolders(const QString& home)
        : m_previousTemp(qgetenv("TMPDIR")), m_previousRuntime(qgetenv("XDG_RUNTIME_DIR")) {
        QDir().mkpath(home + "/tmp");
        QDir().mkpath(home + "/run");
        QFile::setPermissions(home + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("TMPDIR", QFile::encodeName(home + "/tmp"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home + "/run"));
    }
    ~TToolFolders() {
        Restore("TMPDIR", m_previousTemp);
        Restore("XDG_RUNTIME_DIR", m_previousRuntime);
    }

private:
    static void Restore(const char* name, const QByteArray& previous) {
        if (previous.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, previous);
    }
    QByteArray m_previousTemp;
    QByteArray m_previousRuntime;
};

int RunTool(const TTestDataHome& home, QString* output) {
    return RunProgram(Tool(), {}, output,
                      {"TMPDIR=" + home.Path() + "/tmp", "XDG_RUNTIME_DIR=" + home.Path() + "/run",
                       "HOME=" + home.Path(), "XDG_DATA_HOME=" + home.Share(), "DISPLAY", "WAYLAND_DISPLAY"});
}

} // namespace

TEST(ExportTool, SavesTheFilledTemplateOrAPlainSheetAndSaysSoInItsNote) {
    ASSERT_TRUE(QFile::exists(Tool())) << Tool().toStdString();
    enum TTemplate { Good, Broken, Missing };
    const struct {
        const char* name;
        TTemplate templ;
        bool jobReadable;
        bool rowsPresent;
        int exitCode;
        bool success;
        QString firstCell; // of the saved sheet
    } cases[] = {
        {"template", Good, true, true, UnloadDone, true, "Таблица расходов"},
        {"broken-template", Broken, true, true, UnloadDone, true, "Дата"},
        {"missing-template", Missing, true, true, UnloadDone, true, "Дата"},
        {"broken-job", Good, false, true, UnloadBadJob, false, {}},
        {"missing-rows", Good, true, false, UnloadBadRows, false, {}},
    };
    const QStringList names = TableDef(TTableKind::Rashod).captions;
    const std::vector<QStringList> rows = {{"07.03.2024", "Еда", "Хлеб", "1 234,50", "Наличные", "", "Мама"}};
    std::vector<QString> saved;
    TTestDataHome home;
    TToolFolders folders(home.Path());
    const QString templates = home.ProgramData() + "/PageMaket";
    ASSERT_TRUE(QDir().mkpath(templates));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(templates + "/Rashod.ods");
        if (c.templ == Good) {
            ASSERT_TRUE(QFile::copy(ProgramDir() + "/PageMaket/Rashod.ods", templates + "/Rashod.ods"));
        } else if (c.templ == Broken) {
            ASSERT_TRUE(WriteFileBytes(templates + "/Rashod.ods", "PK\x03\x04 not really"));
        }
        ASSERT_EQ(UnloadFolder(), home.Path() + "/run/Quorvane");
        WriteSuccessNote(SuccessNotePath(), true); // left by an earlier export
        QFile::remove(RowFilePath());
        if (c.rowsPresent) {
            ASSERT_TRUE(WriteRowFile(RowFilePath(), rows, int(names.size())));
        }
        TUnloadJob job;
        // Each export has a folder of its own; the names differ here only so that the sheets convert side by
        // side.
        job.saveFileName = home.Path() + "/tmp/" + c.name +
                           "/Quorvane_TABLE OF EXPENSES_09.03.2024_Time9-05-0" + QString::number(&c - cases);
        job.rowFilePath = RowFilePath();
        job.columnNames = names;
        job.sumColumn = 3;
        job.totalSum = "1 234,5";
        job.number = 11;
        if (c.jobReadable) {
            ASSERT_TRUE(WriteJobFile(JobFilePath(), job));
        } else {
            ASSERT_TRUE(WriteFileBytes(JobFilePath(), "[Download]\r\nNumberTable=11\r\n"));
        }

        QString output;
        EXPECT_EQ(RunTool(home, &output), c.exitCode) << output.toStdString();
        EXPECT_EQ(output.contains("not used"), c.success && c.templ != Good) << output.toStdString();
        EXPECT_EQ(ReadSuccessNote(SuccessNotePath()), c.success);
        // Without a display nothing was opened: the program is to tell where the sheet went.
        if (c.success) {
            EXPECT_FALSE(ReadOpenedNote(SuccessNotePath()));
        }
        EXPECT_TRUE(QFile::exists(SuccessNotePath()));
        EXPECT_EQ(QFile::exists(job.saveFileName + ".ods"), c.success);
        if (c.success) saved.push_back(job.saveFileName + ".ods");
    }
    QString output;
    ASSERT_TRUE(SofficeConvert(QStringList(saved.begin(), saved.end()), "csv", home.Path() + "/csv",
                               home.Path(), &output))
        << output.toStdString();
    size_t i = 0;
    for (const auto& c : cases) {
        if (!c.success) continue;
        SCOPED_TRACE(c.name);
        const std::vector<QStringList> csv =
            ReadCsv(home.Path() + "/csv/" + QFileInfo(saved[i++]).completeBaseName() + ".csv");
        ASSERT_FALSE(csv.empty());
        EXPECT_EQ(csv[0].value(0), c.firstCell);
        bool found = false;
        for (const QStringList& row : csv)
            found = found || (row.value(0) == "07.03.2024" && row.value(3) == "1\u00a0234,50");
        EXPECT_TRUE(found);
    }
}

TEST(ExportTool, RefusesToRunBesideAToolThatHoldsTheLock) {
    TTestDataHome home;
    TToolFolders folders(home.Path());
    bool busy = false;
    const int fd = HoldToolLock(ProgramDir() + "/NewUnloaded", busy);
    ASSERT_GE(fd, 0);
    bool second = false;
    EXPECT_EQ(HoldToolLock(ProgramDir() + "/NewUnloaded", second), -1);
    EXPECT_TRUE(second);
    QString output;
    EXPECT_EQ(RunTool(home, &output), UnloadBusy) << output.toStdString();
    ::close(fd);
    EXPECT_EQ(RunTool(home, &output), UnloadBadJob) << output.toStdString();
    EXPECT_FALSE(ReadSuccessNote(SuccessNotePath()));
}
