#include "storage/tattributechecks.h"

#include "messagerecorder.h"
#include "storage/tinistorage.h"
#include "storage/tsettingsfiles.h"
#include "testfolders.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Root may write any file, so the tests do not ask the system whether a path can be written: a path
// whose owner-write bit is off counts as read-only (what the system says for its owner), and the
// listed paths are system ones.
struct TFakeProbe {
    QSet<QString> system;
    int operator()(const QString& path) const {
        struct stat st {};
        int flags = 0;
        if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !(st.st_mode & S_IWUSR))
            flags |= fileattr::ReadOnly;
        if (system.contains(path)) flags |= fileattr::System;
        return flags;
    }
};

void MakeReadOnly(const QString& path) {
    ::chmod(QFile::encodeName(path).constData(), 0500);
}

// A data root with BASE, two bases and every table file.
struct TRoot {
    TTestDataHome home;
    QString root = home.Path() + "/data/";
    QString base = root + "BASE";
    QString folder = base + "/Семья";
    TRoot() {
        for (const char* name :
             {"rashod", "dohod", "dolg", "planrashod", "plandohod", "vidrashod", "viddohod"}) {
            WriteFileBytes(folder + "/" + name, "");
            WriteFileBytes(base + "/Другая/" + name, "");
        }
        WriteFileBytes(base + "/user", "");
        WriteFileBytes(base + "/baseuser", "");
        QDir().mkpath(folder + "/Debt");
    }
    // Folders made read-only by a test are given back to their owner, or they could not be removed.
    ~TRoot() {
        QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            ::chmod(QFile::encodeName(it.next()).constData(), 0700);
    }
};

TMessage OptionBox(const QStringList& lines) {
    return {TMsgKind::Information, lines, TMsgButton::OK, true};
}

const QString kBaseFilesTail[] = {"Программа с такими базами может работать некорректно.",
                                  "Измените атрибуты файлов и вновь войдите в программу."};

} // namespace

TEST(AttributeChecks, SentencesNameTheAttributesFound) {
    TRoot r;
    TFakeProbe probe;
    MakeReadOnly(r.folder + "/rashod");
    MakeReadOnly(r.folder + "/dohod");
    probe.system = {r.folder + "/dohod", r.folder + "/dolg", r.folder};
    const TAttributeChecks checks(probe);
    const struct {
        QString folder, name;
        bool finding;
        QString sentence;
    } cases[] = {
        {r.folder, "rashod", true, "Файл баз программы \"rashod\" является доступным только для чтения."},
        {r.folder, "dohod", true,
         "Файл баз программы \"dohod\" является доступным только для чтения, системным."},
        {r.folder, "dolg", true, "Файл баз программы \"dolg\" является системным."},
        {r.folder, "planrashod", false, "Файл баз программы \"planrashod\" является ."},
        {r.folder, "missing", false, "Файл баз программы \"missing\" является ."},
        {r.folder, "", true, "Папка баз программы является системной."},
        {r.base, "", false, "Папка баз программы является ."},
        {r.root + "missing", "", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.folder + " " + c.name).toStdString());
        const TAttributeSentence s = checks.DescribeAttributes(c.folder, c.name);
        EXPECT_EQ(s.finding, c.finding);
        if (c.finding) {
            EXPECT_EQ(s.sentence, c.sentence);
        }
    }
    MakeReadOnly(r.base);
    EXPECT_EQ(checks.DescribeAttributes(r.base, "").sentence,
              "Папка баз программы является доступной только для чтения.");
}

TEST(AttributeChecks, ReadOnlyRashodWarnsAfterLogInUntilTheBoxIsTicked) {
    TRoot r;
    MakeReadOnly(r.folder + "/rashod");
    MakeReadOnly(r.base + "/Другая/rashod");
    const TAttributeChecks checks{TFakeProbe{}};
    const QString marker = r.folder + "/attr_quest.ini";
    const TMessage warning =
        OptionBox({"Файл баз программы \"rashod\" является доступным только для чтения.", kBaseFilesTail[0],
                   kBaseFilesTail[1], "Указанные файлы хранятся в папке: " + r.folder});
    TMessageRecorder boxes;
    checks.CheckBaseFiles(r.root, r.folder);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{warning});
    EXPECT_TRUE(QFileInfo::exists(marker));
    EXPECT_TRUE(ReadAttributeQuestion(marker));

    // Unticked: again at the next log-in; ticked: never again for this base.
    boxes.Reset();
    boxes.TickOption();
    checks.CheckBaseFiles(r.root, r.folder);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{warning});
    EXPECT_FALSE(ReadAttributeQuestion(marker));
    boxes.Reset();
    checks.CheckBaseFiles(r.root, r.folder);
    checks.CheckBaseFiles(r.root, r.folder);
    EXPECT_TRUE(boxes.Boxes().empty());

    // The other base still warns.
    checks.CheckBaseFiles(r.root, r.base + "/Другая");
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST(AttributeChecks, BaseFilesAreCheckedInTheirOrderAndACleanBaseOnlyWritesTheMarker) {
    TRoot r;
    TFakeProbe probe;
    for (const char* name : {"viddohod", "plandohod", "dolg"})
        MakeReadOnly(r.folder + "/" + name);
    MakeReadOnly(r.base + "/baseuser");
    probe.system = {r.base + "/user", r.folder + "/dolg"};
    TMessageRecorder boxes;
    const TAttributeChecks checks(probe);
    checks.CheckBaseFiles(r.root, r.folder);
    EXPECT_EQ(boxes.Boxes(),
              std::vector<TMessage>{OptionBox(
                  {"Файл баз программы \"dolg\" является доступным только для чтения, системным.",
                   "Файл баз программы \"plandohod\" является доступным только для чтения.",
                   "Файл баз программы \"user\" является системным.",
                   "Файл баз программы \"baseuser\" является доступным только для чтения.",
                   "Файл баз программы \"viddohod\" является доступным только для чтения.", kBaseFilesTail[0],
                   kBaseFilesTail[1], "Указанные файлы хранятся в папке: " + r.folder})});

    TRoot clean;
    boxes.Reset();
    TAttributeChecks(TFakeProbe{}).CheckBaseFiles(clean.root, clean.folder);
    EXPECT_TRUE(boxes.Boxes().empty());
    TIniStorage marker;
    ASSERT_TRUE(marker.LoadFromFile(clean.folder + "/attr_quest.ini"));
    EXPECT_EQ(marker.ReadString("Arrtibutes", "ArrtibutesQuest", "?"), "1");
}

TEST(AttributeChecks, FolderWarningStopsAtTheFirstFolderFound) {
    TRoot r;
    TFakeProbe probe;
    probe.system = {r.folder};
    MakeReadOnly(r.base);
    const TAttributeChecks checks(probe);
    const QString marker = r.root + "attr_bigfolder.ini";
    TMessageRecorder boxes;
    // Before the first log-in there is no base folder yet.
    checks.CheckDataRootFolders(r.root, QString());
    const TMessage warning =
        OptionBox({"Папка баз программы является доступной только для чтения.",
                   "Это может вызвать неправильную работу программы.",
                   "Рекомендуется изменить атрибуты папки баз программы.", "Путь к папке: " + r.base});
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{warning});
    EXPECT_TRUE(ReadAttributeQuestion(marker));

    boxes.Reset();
    boxes.TickOption();
    checks.CheckDataRootFolders(r.root, r.folder);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{warning});
    EXPECT_FALSE(ReadAttributeQuestion(marker));
    boxes.Reset();
    checks.CheckDataRootFolders(r.root, r.folder);
    EXPECT_TRUE(boxes.Boxes().empty());

    // Without a finding the marker is not written.
    TRoot clean;
    TAttributeChecks(TFakeProbe{}).CheckDataRootFolders(clean.root, clean.folder);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(QFileInfo::exists(clean.root + "attr_bigfolder.ini"));
}

TEST(AttributeChecks, FindingsListEveryPathInTheOrderFound) {
    TRoot r;
    TFakeProbe probe;
    MakeReadOnly(r.base);
    MakeReadOnly(r.folder + "/rashod");
    MakeReadOnly(r.folder + "/Debt");
    probe.system = {r.folder + "/rashod", r.base + "/user"};
    TMemTable findings;
    TAttributeChecks(probe).CollectFindings(r.root, r.folder, findings);
    std::vector<QStringList> rows;
    for (int i = 0; i < findings.RowCount(); ++i)
        rows.push_back(findings.Row(i)->Cells());
    const std::vector<QStringList> expected = {
        {"NoWrite", r.base},
        {"NoWrite", r.folder + "/rashod"},
        {"System", r.folder + "/rashod"},
        {"System", r.base + "/user"},
        {"NoWrite", r.base},
        {"NoWrite", r.folder + "/Debt"},
    };
    EXPECT_EQ(rows, expected);
}

TEST(AttributeChecks, ThePlatformCallsAFileItsUserCannotWriteReadOnly) {
    TTestDataHome home;
    const QString file = home.Path() + "/rashod";
    WriteFileBytes(file, "");
    EXPECT_EQ(PlatformAttributes(file), 0);
    EXPECT_EQ(PlatformAttributes(home.Path()), 0);
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may write a file without write permission; the other tests use a probe";
    }
    ::chmod(QFile::encodeName(file).constData(), 0444);
    EXPECT_EQ(PlatformAttributes(file), fileattr::ReadOnly);
    TMessageRecorder boxes;
    const TAttributeChecks checks;
    EXPECT_TRUE(checks.DescribeAttributes(home.Path(), "rashod").finding);
}
