// The generator of large bases, run as a person runs it from a shell.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TRun {
    int exitCode = -1;
    QString out;
    QString err;
};

TRun RunGenbase(const QString& workDir, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(VM_GENBASE_TOOL), args);
    TRun run;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) return run;
    run.exitCode = p.exitCode();
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

QStringList EntriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

TEST(GenbaseTool, HelpAndUnknownOptionsWriteNothing) {
    const struct {
        QStringList args;
        int exitCode;
        bool usageOnStdout;
    } cases[] = {
        {{"--help"}, 0, true},
        {{"-h"}, 0, true},
        {{"data", "--help"}, 0, true},
        {{"--helpp"}, 2, false},
        {{"-x", "data"}, 2, false},
        {{"data", "Base1", "--verbose"}, 2, false},
        {{}, 2, false},
        {{"data", "Base1", "many"}, 2, false},
        {{"data", "Base1", "1", "1", "1", "1", "1", "1", "1"}, 2, false},
        {{"--scale"}, 2, false},
        {{"--scale", "0", "data"}, 2, false},
        {{"--scale", "ten", "data"}, 2, false},
        {{"--scale", "101", "data"}, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QTemporaryDir work;
        const TRun run = RunGenbase(work.path(), c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        const QString& usage = c.usageOnStdout ? run.out : run.err;
        EXPECT_TRUE(usage.startsWith("usage: vm_genbase") || usage.contains("\n\nusage: vm_genbase"))
            << usage.toStdString();
        EXPECT_EQ(EntriesOf(work.path()), QStringList());
    }
}

TEST(GenbaseTool, WritesTheBaseIntoTheDataRootGiven) {
    QTemporaryDir work;
    const QString root = work.path() + "/-root";
    const TRun run = RunGenbase(work.path(), {"--", root, "Дача", "30", "10", "4", "2", "6", "3"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.trimmed(), root + "/BASE/Дача");
    for (const char* file : {"rashod", "dohod", "dolg", "purse", "transfer_purse"})
        EXPECT_TRUE(QFileInfo(root + "/BASE/Дача/" + file).isFile()) << file;
    EXPECT_TRUE(QFileInfo(root + "/BASE/user").isFile());
    EXPECT_EQ(EntriesOf(work.path()), QStringList{"-root"});
}
