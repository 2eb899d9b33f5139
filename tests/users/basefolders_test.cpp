#include "users/basefolders.h"

#include "usersfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

// Every dialog that names a base asks this one rule; the characters are those of the hint
// "Недопустимые символы >,<,*,?,/,|,\,:,\"".
TEST(BaseFolders, NamesThatCannotBeFoldersOfBaseAreRefused) {
    const struct {
        QString name;
        TBaseNameCheck check;
    } cases[] = {
        {"Семья", TBaseNameCheck::Ok},
        {" Дача 2 ", TBaseNameCheck::Ok},
        {"...", TBaseNameCheck::Ok},
        {"Дача.2024;[старая]=+,", TBaseNameCheck::Ok},
        {"a>b", TBaseNameCheck::BadCharacters},
        {"a<b", TBaseNameCheck::BadCharacters},
        {"a*b", TBaseNameCheck::BadCharacters},
        {"a?b", TBaseNameCheck::BadCharacters},
        {"a|b", TBaseNameCheck::BadCharacters},
        {"a:b", TBaseNameCheck::BadCharacters},
        {"\"a\"", TBaseNameCheck::BadCharacters},
        {"a\x7f", TBaseNameCheck::BadCharacters},
        {"", TBaseNameCheck::Blank},
        {" \t ", TBaseNameCheck::Blank},
        {".", TBaseNameCheck::BadCharacters},
        {"..", TBaseNameCheck::BadCharacters},
        {" .. ", TBaseNameCheck::BadCharacters},
        {"a/b", TBaseNameCheck::BadCharacters},
        {"/tmp", TBaseNameCheck::BadCharacters},
        {"a\\b", TBaseNameCheck::BadCharacters},
        {QString("a") + QChar(0), TBaseNameCheck::BadCharacters},
        {"a\nb", TBaseNameCheck::BadCharacters},
        {"user", TBaseNameCheck::Reserved},
        {"baseuser", TBaseNameCheck::Reserved},
        {"Tarnwell.ini", TBaseNameCheck::Reserved},
        {" user ", TBaseNameCheck::Reserved},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(CheckBaseName(c.name), c.check);
    }
    // A named string: the range of a range-for over a temporary's remove() would dangle.
    const QString refused = QStringLiteral("><*?/|\\:\"");
    for (QChar c : refused)
        EXPECT_TRUE(IsRefusedInBaseName(c)) << QString(c).toStdString();
    for (QChar c : QStringLiteral(".,;=[]+ Яя"))
        EXPECT_FALSE(IsRefusedInBaseName(c)) << QString(c).toStdString();
}

TEST(BaseFolders, ALinkOrAFileInBaseIsNeverTreatedAsABaseFolder) {
    TBooks b;
    const QString outside = b.home.Path() + "/outside";
    WriteFileBytes(outside + "/precious", "data");
    ASSERT_TRUE(QFile::link(outside, b.Root() + "/link"));
    WriteFileBytes(b.Root() + "/notes", "text");
    const QString dataRoot = b.state.paths.dataRoot;

    EXPECT_EQ(BaseFolderOf(dataRoot, "link"), QString());
    EXPECT_EQ(MakeBaseFolder(dataRoot, "link"), QString());
    EXPECT_FALSE(DeleteBaseFolder(dataRoot, "link"));
    EXPECT_FALSE(RenameBaseFolder(dataRoot, "link", "moved"));
    EXPECT_FALSE(DeleteBaseFolder(dataRoot, "notes"));
    EXPECT_FALSE(RenameBaseFolder(dataRoot, "notes", "moved"));
    EXPECT_EQ(ReadFileBytes(outside + "/precious"), "data");
    EXPECT_EQ(ReadFileBytes(b.Root() + "/notes"), "text");
    EXPECT_FALSE(QFileInfo::exists(b.Root() + "/moved"));
}

TEST(BaseFolders, ARenameNeverReplacesAnotherFolder) {
    TBooks b;
    WriteFileBytes(b.File("Старая", "rashod"), "old");
    WriteFileBytes(b.File("Занята", "rashod"), "taken");
    const QString dataRoot = b.state.paths.dataRoot;
    EXPECT_FALSE(RenameBaseFolder(dataRoot, "Старая", "Занята"));
    EXPECT_EQ(ReadFileBytes(b.File("Занята", "rashod")), "taken");
    EXPECT_TRUE(RenameBaseFolder(dataRoot, "Старая", "Новая"));
    EXPECT_EQ(ReadFileBytes(b.File("Новая", "rashod")), "old");
    EXPECT_EQ(MakeBaseFolder(dataRoot, "Свежая"), b.Folder("Свежая"));
    EXPECT_TRUE(QFileInfo(b.Folder("Свежая")).isDir());
    EXPECT_EQ(QFile(b.Folder("Свежая")).permissions() & (QFile::ReadOther | QFile::ReadGroup),
              QFile::Permissions());
}
