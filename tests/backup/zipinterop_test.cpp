// The program's archives read by tools no one here wrote, and their archives read by the program.
#include "backup/tfileunzipper.h"
#include "backup/tfilezipper.h"

#include "testfolders.h"
#include "ziptestkit.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

struct TSampleFile {
    QString name;
    QByteArray bytes;
    QDateTime time;
};

// A base folder as the program keeps it, with a sub-folder, an empty file and an odd second.
struct TSampleBase {
    TTestDataHome home;
    QString folder = home.Path() + "/base";
    std::vector<TSampleFile> files = {
        {"rashod", SampleBytes(900000, 1), QDateTime(QDate(2024, 3, 7), QTime(21, 5, 33), Qt::LocalTime)},
        {"dohod", SampleBytes(40000, 2), QDateTime(QDate(2023, 1, 1), QTime(0, 0, 0), Qt::LocalTime)},
        {"planrashod", {}, QDateTime(QDate(2022, 6, 30), QTime(12, 30, 10), Qt::LocalTime)},
        {"Debt/debt1", SampleBytes(3000, 3), QDateTime(QDate(2021, 11, 2), QTime(8, 15, 42), Qt::LocalTime)},
        {"Debt/debt2", "\x02\x00", QDateTime(QDate(2021, 11, 3), QTime(9, 0, 0), Qt::LocalTime)},
    };
    TSampleBase() {
        for (const TSampleFile& f : files)
            WriteFileAt(folder + "/" + f.name, f.bytes, f.time);
    }
    // maxSecondsOff: tools that round DOS seconds up rather than down.
    void ExpectUnpackedInto(const QString& target, int maxSecondsOff) const {
        QStringList names;
        for (const TSampleFile& f : files) {
            names << f.name;
            EXPECT_EQ(ReadFileBytes(target + "/" + f.name), f.bytes) << f.name.toStdString();
            const qint64 off = Modified(target + "/" + f.name).secsTo(f.time);
            EXPECT_LE(qAbs(off), maxSecondsOff) << f.name.toStdString();
        }
        names.sort();
        EXPECT_EQ(FilesUnder(target), names);
    }
};

} // namespace

TEST(ZipInterop, InfoZipTestsTheProgramsArchiveClean) {
    const QString unzip = FindTool("unzip");
    if (unzip.isEmpty()) {
        GTEST_SKIP() << "unzip is not installed";
    }
    TSampleBase base;
    const QString archive = base.home.Path() + "/a.zip";
    TFileZipper zipper;
    ASSERT_TRUE(zipper.Pack(archive, base.folder));
    QString output;
    EXPECT_EQ(RunTool(unzip, {"-t", archive}, base.home.Path(), &output), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("No errors detected")) << output.toStdString();
}

TEST(ZipInterop, PythonReadsEveryEntryCrcAndTime) {
    const QString python = FindTool("python3");
    if (python.isEmpty()) {
        GTEST_SKIP() << "python3 is not installed";
    }
    TSampleBase base;
    const QString archive = base.home.Path() + "/a.zip";
    TFileZipper zipper;
    ASSERT_TRUE(zipper.Pack(archive, base.folder));
    const char* script = R"(
import sys, zipfile, zlib
z = zipfile.ZipFile(sys.argv[1])
bad = z.testzip()
if bad is not None:
    sys.exit("bad entry " + bad)
for i in z.infolist():
    data = z.read(i)
    if zlib.crc32(data) != i.CRC or len(data) != i.file_size:
        sys.exit("wrong CRC or size " + i.filename)
    print("%s %d %08X %04d-%02d-%02d %02d:%02d:%02d %d %d %d %d %d %r" % ((i.filename, i.compress_type, i.CRC) +
          i.date_time + (i.flag_bits, i.create_system, i.create_version, i.extract_version, i.external_attr, i.extra)))
)";
    QString output;
    ASSERT_EQ(RunTool(python, {"-c", script, archive}, base.home.Path(), &output), 0) << output.toStdString();
    QStringList expected;
    for (const TSampleFile& f : base.files) {
        const QDateTime t = f.time.addSecs(-(f.time.time().second() % 2));
        expected << QStringLiteral("%1 %2 %3 %4 0 0 20 20 0 b''")
                        .arg(f.name, f.bytes.isEmpty() ? "0" : "8",
                             QString::number(Crc(f.bytes), 16).toUpper().rightJustified(8, '0'),
                             t.toString("yyyy-MM-dd HH:mm:ss"));
    }
    QStringList lines = output.split('\n', Qt::SkipEmptyParts);
    lines.sort();
    expected.sort();
    EXPECT_EQ(lines, expected);
}

TEST(ZipInterop, ArchivesOfInfoZipUnpackWithAndWithoutTheirDirectory) {
    const QString zip = FindTool("zip");
    if (zip.isEmpty()) {
        GTEST_SKIP() << "zip is not installed";
    }
    for (const char* level : {"-9", "-0"}) {
        SCOPED_TRACE(level);
        TSampleBase base;
        const QString archive = base.home.Path() + "/info.zip";
        QString output;
        ASSERT_EQ(RunTool(zip, {"-r", "-q", level, archive, "."}, base.folder, &output), 0)
            << output.toStdString();
        TFileUnzipper unzipper;
        ASSERT_TRUE(unzipper.Unpack(archive, base.home.Path() + "/whole")) << unzipper.Error().toStdString();
        EXPECT_EQ(unzipper.DirectoryError(), QString());
        base.ExpectUnpackedInto(base.home.Path() + "/whole", 1);

        const QByteArray bytes = ReadFileBytes(archive);
        WriteFileBytes(archive, bytes.left(Le32(bytes, bytes.size() - 6)));
        ASSERT_TRUE(unzipper.Unpack(archive, base.home.Path() + "/cut")) << unzipper.Error().toStdString();
        EXPECT_EQ(unzipper.DirectoryError(), "End header cannot be found");
        base.ExpectUnpackedInto(base.home.Path() + "/cut", 1);
    }
}

TEST(ZipInterop, CyrillicNamesOfInfoZipUnpackAsTheyWereNamed) {
    const QString zip = FindTool("zip");
    if (zip.isEmpty()) {
        GTEST_SKIP() << "zip is not installed";
    }
    TTestDataHome home;
    const QString folder = home.Path() + "/base";
    const QDateTime time(QDate(2024, 3, 7), QTime(21, 5, 32), Qt::LocalTime);
    WriteFileAt(folder + "/Долги/расход Мамы", "123", time);
    WriteFileAt(folder + "/rashod", "45", time);
    const QString archive = home.Path() + "/info.zip";
    QString output;
    ASSERT_EQ(RunTool(zip, {"-r", "-q", archive, "."}, folder, &output), 0) << output.toStdString();
    // Info-ZIP stores the names' UTF-8 bytes and leaves the UTF-8 flag clear.
    ASSERT_TRUE(ReadFileBytes(archive).contains(QStringLiteral("Долги/расход Мамы").toUtf8()));

    TFileUnzipper unzipper;
    ASSERT_TRUE(unzipper.Unpack(archive, home.Path() + "/target")) << unzipper.Error().toStdString();
    EXPECT_EQ(FilesUnder(home.Path() + "/target"), (QStringList{"rashod", "Долги/расход Мамы"}));
    EXPECT_EQ(ReadFileBytes(home.Path() + "/target/Долги/расход Мамы"), "123");
}

TEST(ZipInterop, ArchivesOfPythonUnpack) {
    const QString python = FindTool("python3");
    if (python.isEmpty()) {
        GTEST_SKIP() << "python3 is not installed";
    }
    const char* script = R"(
import os, sys, zipfile
folder, archive, method = sys.argv[1], sys.argv[2], int(sys.argv[3])
with zipfile.ZipFile(archive, "w", compression=method, compresslevel=9 if method else None) as z:
    for root, dirs, files in os.walk(folder):
        dirs.sort()
        rel = os.path.relpath(root, folder)
        if rel != ".":
            z.write(root, rel)
        for f in sorted(files):
            path = os.path.join(root, f)
            z.write(path, os.path.relpath(path, folder))
)";
    for (const char* method : {"8", "0"}) {
        SCOPED_TRACE(method);
        TSampleBase base;
        const QString archive = base.home.Path() + "/py.zip";
        QString output;
        ASSERT_EQ(RunTool(python, {"-c", script, base.folder, archive, method}, base.home.Path(), &output), 0)
            << output.toStdString();
        TFileUnzipper unzipper;
        ASSERT_TRUE(unzipper.Unpack(archive, base.home.Path() + "/target")) << unzipper.Error().toStdString();
        base.ExpectUnpackedInto(base.home.Path() + "/target", 1);
        EXPECT_TRUE(unzipper.Verify(archive)) << unzipper.Error().toStdString();
    }
}
