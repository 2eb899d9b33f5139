#include "storage/tinistorage.h"

#include "testfolders.h"

#include <gtest/gtest.h>

namespace {

TIniStorage Parse(const QByteArray& bytes) {
    TIniStorage ini;
    EXPECT_TRUE(ini.LoadFromBytes(bytes));
    return ini;
}

QByteArray Utf16(const QString& text, bool littleEndian) {
    QByteArray out = littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (QChar c : text) {
        const char lo = char(c.unicode() & 0xFF), hi = char(c.unicode() >> 8);
        out.append(littleEndian ? lo : hi);
        out.append(littleEndian ? hi : lo);
    }
    return out;
}

} // namespace

TEST(TIniStorage, ReadsValuesWithBlanksCaseAndFallbacks) {
    const TIniStorage ini =
        Parse("\xEF\xBB\xBF[ User ]\r\nlastuser =  Мама \t\r\nnum= 7 \r\nbad=12abc\r\nneg=-3\r\n"
              "big=2147483648\r\nempty=\r\n");
    EXPECT_EQ(ini.ReadString("User", "LastUser", "x"), QString::fromUtf8("Мама"));
    EXPECT_EQ(ini.ReadString("USER", "LASTUSER", "x"), QString::fromUtf8("Мама"));
    EXPECT_EQ(ini.ReadInteger("User", "num", 1), 7);
    EXPECT_EQ(ini.ReadInteger("User", "bad", 1), 1);
    EXPECT_EQ(ini.ReadInteger("User", "neg", 1), -3);
    EXPECT_EQ(ini.ReadInteger("User", "big", 5), 5);
    EXPECT_EQ(ini.ReadInteger("User", "empty", 9), 9);
    EXPECT_EQ(ini.ReadString("User", "empty", "x"), QString());
    EXPECT_EQ(ini.ReadString("User", "missing", "NO"), "NO");
    EXPECT_EQ(ini.ReadString("Other", "num", "NO"), "NO");
    EXPECT_TRUE(ini.ValueExists("user", "NUM"));
    EXPECT_FALSE(ini.ValueExists("user", "nothing"));
    EXPECT_TRUE(ini.ReadBool("User", "num", false));
    EXPECT_FALSE(ini.ReadBool("User", "missing", false));
    EXPECT_TRUE(ini.ReadBool("User", "bad", true));
}

TEST(TIniStorage, KeysBeforeTheFirstSectionAreNeverFound) {
    TIniStorage ini = Parse("LastUser=ghost\r\n[User]\r\nOther=1\r\n");
    EXPECT_EQ(ini.ReadString("", "LastUser", "none"), "none");
    EXPECT_EQ(ini.ReadString("User", "LastUser", "none"), "none");
    // ...but they are written back as they were.
    EXPECT_EQ(ini.ToBytes(), QByteArray("\xEF\xBB\xBFLastUser=ghost\r\n[User]\r\nOther=1\r\n"));
}

TEST(TIniStorage, KeepsCommentsBlankAndPlainLinesAndDropsOthers) {
    TIniStorage ini = Parse("; comment\n\n[A]\n=plain\n[broken\njunk line\nk=v\n");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "v");
    EXPECT_EQ(ini.ToBytes(), QByteArray("\xEF\xBB\xBF; comment\r\n\r\n[A]\r\n=plain\r\n[broken\r\nk=v\r\n"));
}

TEST(TIniStorage, NewKeysGoAfterTheLastKeyOfTheirSectionAndNewSectionsAtTheEnd) {
    TIniStorage ini = Parse("[A]\r\nx=1\r\n; note\r\n[B]\r\ny=2\r\n");
    ini.WriteString("a", "z", "3");
    ini.WriteInteger("C", "n", -4);
    ini.WriteBool("B", "y", false);
    EXPECT_EQ(ini.ToBytes(),
              QByteArray("\xEF\xBB\xBF[A]\r\nx=1\r\nz=3\r\n; note\r\n[B]\r\ny=0\r\n\r\n[C]\r\nn=-4\r\n"));

    TIniStorage empty;
    empty.WriteString("path base", "path", "/x/");
    empty.WriteString("path base", "copypath", "/y/");
    EXPECT_EQ(empty.ToBytes(), QByteArray("\xEF\xBB\xBF[path base]\r\npath=/x/\r\ncopypath=/y/\r\n"));

    TIniStorage endsBlank = Parse("[A]\r\nx=1\r\n\r\n");
    endsBlank.WriteString("B", "k", "v");
    EXPECT_EQ(endsBlank.ToBytes(), QByteArray("\xEF\xBB\xBF[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n"));
}

TEST(TIniStorage, ReadsEveryEncodingAndSavesUtf8WithMark) {
    const QString text = QString::fromUtf8("[User]\r\nLastUser=Ёлка\r\n");
    const QByteArray cp1251 = QByteArray("[User]\r\nLastUser=\xA8\xEB\xEA\xE0\r\n");
    for (const QByteArray& bytes :
         {Utf16(text, true), Utf16(text, false), QByteArray("\xEF\xBB\xBF") + text.toUtf8(), cp1251}) {
        TTestDataHome home;
        const QString path = home.Path() + "/t.ini";
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        TIniStorage ini;
        ASSERT_TRUE(ini.LoadFromFile(path));
        EXPECT_EQ(ini.ReadString("user", "lastuser", ""), QString::fromUtf8("Ёлка"));
        ASSERT_TRUE(ini.SaveToFile(path));
        EXPECT_EQ(ReadFileBytes(path), QByteArray("\xEF\xBB\xBF") + text.toUtf8());
    }
}

TEST(TIniStorage, RefusesFilesThatAreNotText) {
    TIniStorage ini;
    ini.WriteString("A", "k", "v");
    EXPECT_FALSE(ini.LoadFromBytes(QByteArray("\x00\x01\x02garbage", 10)));
    EXPECT_EQ(ini.ReadString("A", "k", "fallback"), "fallback");
    EXPECT_FALSE(ini.LoadFromBytes(QByteArray("\xFF\xFE\x41", 3)));
    EXPECT_FALSE(ini.LoadFromBytes(QByteArray("\xEF\xBB\xBF\xFF\xFF")));
    EXPECT_FALSE(ini.LoadFromFile("/nonexistent/folder/file.ini"));
    EXPECT_TRUE(ini.LoadFromBytes(QByteArray()));
    EXPECT_EQ(ini.ToBytes(), QByteArray("\xEF\xBB\xBF"));
}

TEST(TIniStorage, ErasesASectionEveryTimeItStandsAndWritesTheSingleByteCodePage) {
    TIniStorage ini = Parse("[Unloaded]\r\nold=1\r\n[Keep]\r\nk=\xA8\r\n[unloaded]\r\nstale=2\r\n");
    ini.EraseSection("UNLOADED");
    EXPECT_FALSE(ini.SectionExists("Unloaded"));
    EXPECT_FALSE(ini.ValueExists("Unloaded", "stale"));
    ini.WriteString("Unloaded", "NameCols", "Дата;Сумма;");
    EXPECT_EQ(ini.ReadString("keep", "k", ""), QString::fromUtf8("Ё"));
    EXPECT_EQ(
        ini.ToCp1251Bytes(),
        QByteArray(
            "[Keep]\r\nk=\xA8\r\n\r\n[Unloaded]\r\nNameCols=\xC4\xE0\xF2\xE0;\xD1\xF3\xEC\xEC\xE0;\r\n"));
}
