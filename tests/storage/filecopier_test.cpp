#include "storage/tfilecopier.h"

#include "testfolders.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

struct stat StatOf(const QString& path) {
    struct stat st {};
    ::stat(Native(path).constData(), &st);
    return st;
}

void SetTimes(const QString& path, time_t atime, time_t mtime) {
    const struct timespec times[2] = {{atime, 0}, {mtime, 0}};
    ::utimensat(AT_FDCWD, Native(path).constData(), times, 0);
}

// Every entry under a folder with the bytes of its files.
std::map<QString, QByteArray> Tree(const QString& folder) {
    std::map<QString, QByteArray> out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out[QDir(folder).relativeFilePath(path)] =
            QFileInfo(path).isDir() ? QByteArray("<dir>") : ReadFileBytes(path);
    }
    return out;
}

QByteArray Bytes(int size, char seed) {
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char(seed + i * 7);
    return b;
}

// A little BASE tree: shared tables, two bases, a base with its debt returns.
void MakeSource(const QString& root) {
    WriteFileBytes(root + "/user", "users");
    WriteFileBytes(root + "/baseuser", "bases");
    WriteFileBytes(root + "/Base1/rashod", Bytes(200000, 'a')); // several buffers long
    WriteFileBytes(root + "/Base1/Debt/debt0", "returns");
    WriteFileBytes(root + "/Base2/dohod", "");
    QDir().mkpath(root + "/Base3/empty");
}

// Lets writes beyond a size fail with EFBIG (for root too) while it lives.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    struct rlimit m_old {};
    void (*m_oldHandler)(int);
};

} // namespace

TEST(TFileCopier, CopiesTheWholeTreeWithItsCountersAttributesAndTimes) {
    TTestDataHome home;
    const QString from = home.Path() + "/from";
    MakeSource(from);
    ::chmod(Native(from + "/user").constData(), 0640);
    SetTimes(from + "/Base1/rashod", 1000000000, 1100000000);
    SetTimes(from + "/Base1", 1200000000, 1300000000);

    TFileCopier copier;
    EXPECT_EQ(copier.bufferSize, 65536);
    EXPECT_TRUE(copier.copyAttributes);
    EXPECT_TRUE(copier.copyTimes);
    EXPECT_FALSE(copier.overwrite);
    ASSERT_TRUE(copier.CopyFolder(from, home.Path() + "/to/deep"));
    const QString to = home.Path() + "/to/deep";
    // Times first: reading the copies moves their last access.
    EXPECT_EQ(StatOf(to + "/Base1/rashod").st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(StatOf(to + "/Base1/rashod").st_atim.tv_sec, 1000000000);
    EXPECT_EQ(StatOf(to + "/Base1").st_mtim.tv_sec, 1300000000);
    EXPECT_EQ(StatOf(to + "/user").st_mode & 0777, 0640u);
    EXPECT_EQ(Tree(to), Tree(from));
    EXPECT_EQ(copier.FilesCopied(), 5);
    EXPECT_EQ(copier.BytesCopied(), 5 + 5 + 200000 + 7);
    EXPECT_TRUE(copier.Failures().empty());

    // Without attributes and times the copies are the program's own private files of today. The
    // counters start again with each copy.
    const QString plain = home.Path() + "/plain";
    ASSERT_TRUE(copier.CopyFolder(from + "/Base1", plain, false, false, false));
    EXPECT_EQ(copier.FilesCopied(), 2);
    EXPECT_EQ(copier.BytesCopied(), 200000 + 7);
    EXPECT_EQ(StatOf(plain + "/rashod").st_mode & 0777, 0600u);
    EXPECT_GT(StatOf(plain + "/rashod").st_mtim.tv_sec, 1100000000);
}

TEST(TFileCopier, OverwritesOnlyWhenAskedAndGoesOnAfterAFailedFile) {
    TTestDataHome home;
    const QString from = home.Path() + "/from";
    const QString to = home.Path() + "/to";
    MakeSource(from);
    WriteFileBytes(to + "/user", "mine");
    WriteFileBytes(to + "/Base2/dohod", "kept");
    ::chmod(Native(to + "/Base2/dohod").constData(), 0444);

    TFileCopier copier;
    EXPECT_FALSE(copier.CopyFolder(from, to));
    EXPECT_EQ(ReadFileBytes(to + "/user"), "mine");
    EXPECT_EQ(ReadFileBytes(to + "/Base2/dohod"), "kept");
    EXPECT_EQ(ReadFileBytes(to + "/baseuser"), "bases");
    EXPECT_EQ(ReadFileBytes(to + "/Base1/rashod"), Bytes(200000, 'a'));
    ASSERT_EQ(copier.Failures().size(), 2u);
    EXPECT_EQ(copier.Failures()[0].reason, TCopyFailure::DestinationExists);
    EXPECT_EQ(copier.Failures()[0].destination, to + "/Base2/dohod");
    EXPECT_EQ(copier.Failures()[1].destination, to + "/user");
    EXPECT_EQ(copier.FilesCopied(), 3);

    copier.overwrite = true;
    EXPECT_TRUE(copier.CopyFolder(from, to));
    EXPECT_EQ(Tree(to), Tree(from));
}

TEST(TFileCopier, EntriesThatCannotBeCopiedFailTheCopy) {
    struct Case {
        const char* name;
        std::function<void(const QString& from, const QString& to)> prepare;
        TCopyFailure reason;
    };
    const Case cases[] = {
        {"a link that leads nowhere",
         [](const QString& from, const QString&) {
             ::symlink("/nonexistent/vellumora", Native(from + "/Base1/zlink").constData());
         },
         TCopyFailure::SourceMissing},
        {"a link to a folder is not followed",
         [](const QString& from, const QString&) {
             ::symlink(Native(from + "/Base2").constData(), Native(from + "/Base1/zlink").constData());
         },
         TCopyFailure::NotAFile},
        {"a folder where the file goes",
         [](const QString&, const QString& to) { QDir().mkpath(to + "/Base1/rashod"); },
         TCopyFailure::DestinationIsFolder},
        {"a file where the folder goes",
         [](const QString&, const QString& to) { WriteFileBytes(to + "/Base1", "x"); },
         TCopyFailure::FolderNotMade},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTestDataHome home;
        const QString from = home.Path() + "/from";
        const QString to = home.Path() + "/to";
        MakeSource(from);
        QDir().mkpath(to);
        c.prepare(from, to);
        TFileCopier copier;
        EXPECT_FALSE(copier.CopyFolder(from, to));
        ASSERT_EQ(copier.Failures().size(), 1u);
        EXPECT_EQ(copier.Failures()[0].reason, c.reason);
        // The rest is copied all the same.
        EXPECT_EQ(ReadFileBytes(to + "/Base2/dohod"), "");
        EXPECT_EQ(ReadFileBytes(to + "/user"), "users");
    }
}

TEST(TFileCopier, NeverCopiesAFolderIntoItself) {
    TTestDataHome home;
    const QString from = home.Path() + "/from";
    MakeSource(from);
    const std::map<QString, QByteArray> before = Tree(from);
    for (const QString& to : {from, from + "/", from + "//Base1/BASE", from + "/./x/../Base2/copy"}) {
        SCOPED_TRACE(to.toStdString());
        TFileCopier copier;
        EXPECT_FALSE(copier.CopyFolder(from, to));
        ASSERT_EQ(copier.Failures().size(), 1u);
        EXPECT_EQ(copier.Failures()[0].reason, TCopyFailure::IntoItself);
        EXPECT_EQ(Tree(from), before);
    }
}

TEST(TFileCopier, AFailedWriteLeavesNoHalfWrittenFile) {
    TTestDataHome home;
    const QString from = home.Path() + "/from";
    const QString to = home.Path() + "/to";
    MakeSource(from);
    WriteFileBytes(to + "/Base1/rashod", "old content");
    TFileCopier copier;
    copier.overwrite = true;
    {
        // The disk takes 100000 bytes of a file and no more: the 200000-byte table stops half way.
        TFileSizeLimit limit(100000);
        EXPECT_FALSE(copier.CopyFolder(from, to));
    }
    ASSERT_EQ(copier.Failures().size(), 1u);
    EXPECT_EQ(copier.Failures()[0].reason, TCopyFailure::WriteFailed);
    EXPECT_EQ(ReadFileBytes(to + "/Base1/rashod"), "old content");
    EXPECT_EQ(QDir(to + "/Base1").entryList(QDir::Files | QDir::Hidden), QStringList{"rashod"});

    // A file that was not there before is not there after a failed copy.
    EXPECT_TRUE(QFile::remove(to + "/Base1/rashod"));
    {
        TFileSizeLimit limit(100000);
        EXPECT_FALSE(copier.CopyFile(from + "/Base1/rashod", to + "/Base1/rashod"));
    }
    EXPECT_TRUE(QDir(to + "/Base1").entryList(QDir::Files | QDir::Hidden).isEmpty());

    EXPECT_TRUE(copier.CopyFile(from + "/Base1/rashod", to + "/Base1/rashod"));
    EXPECT_EQ(ReadFileBytes(to + "/Base1/rashod"), Bytes(200000, 'a'));
    EXPECT_EQ(copier.FilesCopied(), 1);
}
