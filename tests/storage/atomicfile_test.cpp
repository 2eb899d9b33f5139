#include "storage/atomicfile.h"

#include "testfolders.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

int Mode(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return int(st.st_mode & 0777);
}

int FilesIn(const QString& folder) {
    return int(QDir(folder).entryList(QDir::Files | QDir::Hidden).size());
}

} // namespace

TEST(TAtomicFile, ReplacesTheFileOnlyOnCommit) {
    TTestDataHome home;
    const QString path = home.Path() + "/table";
    ASSERT_TRUE(WriteFileAtomic(path, "old"));
    EXPECT_EQ(Mode(path), 0600);
    {
        TAtomicFile f(path);
        ASSERT_TRUE(f.Open());
        ASSERT_TRUE(f.Write(QByteArray("new, half written")));
        EXPECT_EQ(ReadFileBytes(path), "old");
        // Dropped without a commit: as after a crash or a failed write.
    }
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(FilesIn(home.Path()), 1);
    TAtomicFile f(path);
    ASSERT_TRUE(f.Open());
    ASSERT_TRUE(f.Write(QByteArray("new")));
    ASSERT_TRUE(f.Commit());
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(FilesIn(home.Path()), 1);
}

TEST(TAtomicFile, RefusesTargetsItCannotWrite) {
    TTestDataHome home;
    EXPECT_FALSE(WriteFileAtomic(home.Path() + "/missing/folder/file", "x"));
    EXPECT_FALSE(WriteFileAtomic(home.Path(), "x"));
    const QString readOnly = home.Path() + "/ro";
    ASSERT_TRUE(WriteFileBytes(readOnly, "keep"));
    ::chmod(QFile::encodeName(readOnly).constData(), 0400);
    if (::geteuid() != 0) { // root may write anything
        EXPECT_FALSE(WriteFileAtomic(readOnly, "x"));
    }
    ::chmod(QFile::encodeName(readOnly).constData(), 0600);
}

TEST(TAtomicFile, PrivateFoldersAreTheOwnersOnly) {
    TTestDataHome home;
    const QString folder = home.Path() + "/a/b/Quorvane";
    ASSERT_TRUE(MakePrivateFolder(folder));
    EXPECT_EQ(Mode(folder), 0700);
    EXPECT_EQ(Mode(home.Path() + "/a/b"), 0700);
    EXPECT_TRUE(MakePrivateFolder(folder));
    ASSERT_TRUE(WriteFileBytes(home.Path() + "/plain", "x"));
    EXPECT_FALSE(MakePrivateFolder(home.Path() + "/plain"));
    EXPECT_FALSE(MakePrivateFolder(QString()));
}
