#include "storage/tsettingsfiles.h"

#include "testfolders.h"

#include <gtest/gtest.h>

TEST(BaseSettings, WritesEveryKeyInOrderAndDropsForeignOnes) {
    TTestDataHome home;
    WriteFileBytes(home.Path() + "/Tarnwell.ini", "[Foreign]\r\nkey=1\r\n");
    TBaseSettings s;
    s.maximized = true;
    s.width = 800; // not written while maximized
    s.columns.push_back({"RashodGridWidthCol", {50, 120}});
    s.filterIndex = {6, 1, 0, 0, 0};
    s.filterFields[0] = {"", "", "", "", "", "", "", "Мама"};
    ASSERT_TRUE(WriteBaseSettings(home.Path(), s));
    const QByteArray bytes = ReadFileBytes(home.Path() + "/Tarnwell.ini");
    EXPECT_FALSE(bytes.contains("Foreign"));
    EXPECT_FALSE(bytes.contains("\r\nWidth="));
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF[MainForm]\r\nMaximized=1\r\n\r\n[Analis]\r\nDataS=\r\n"));
    EXPECT_TRUE(bytes.contains("[RashodGridWidthCol]\r\n0=50\r\n1=120\r\n"));
    EXPECT_TRUE(bytes.contains(QString("FilterRashodArray=\t\t\t\t\t\t\tМама\t\r\n").toUtf8()));
    EXPECT_TRUE(bytes.endsWith("FilterPlanDohod=0\r\n"));

    const TBaseSettings back = ReadBaseSettings(home.Path());
    EXPECT_TRUE(back.maximized);
    EXPECT_FALSE(back.width.has_value());
    EXPECT_EQ(back.filterIndex[0], 6);
    EXPECT_EQ(back.filterFields[0].value(7), "Мама");
    EXPECT_EQ(back.filterIndex[1], 1);
    ASSERT_EQ(back.columns.size(), 1u);
    EXPECT_EQ(back.columns[0].widths, QList<int>({50, 120}));
}

TEST(BaseSettings, ReadingAppliesItsFallbacks) {
    TTestDataHome home;
    WriteFileBytes(home.Path() + "/Tarnwell.ini",
                   "[LowerPanel]\r\nHeight=100\r\n[Filter]\r\nFilterDohod=6\r\nFilterDolg=6\r\n"
                   "FilterDolgArray=01.01.2024\t31.01.2024\r\n"
                   "[DohodGridWidthCol]\r\n0=40\r\n2=70\r\n[VidRashodGridWidthCol]\r\n1=33\r\n"
                   "[RashodGridWidthCol]\r\n0=60\r\n1=0\r\n2=80\r\n");
    const TBaseSettings s = ReadBaseSettings(home.Path(), {7, 6, 9, 8, 7, 4, 2, 1, 3, 3, 3, 1, 3, 1, 7});
    EXPECT_EQ(s.lowerPanelHeight, 250);
    EXPECT_EQ(s.filterIndex[1], 0); // custom without its array
    EXPECT_EQ(s.filterIndex[2], 6);
    EXPECT_EQ(s.filterFields[2], QStringList({"01.01.2024", "31.01.2024", "", "", "", "", "", ""}));
    ASSERT_EQ(s.columns.size(), 3u);
    EXPECT_EQ(s.columns[0].section, "RashodGridWidthCol");
    EXPECT_EQ(s.columns[0].widths, QList<int>({60})); // stops at the first width below 1
    EXPECT_EQ(s.columns[1].widths, QList<int>({40, 50, 70, 50, 50, 50}));
    EXPECT_EQ(s.columns[2].widths, QList<int>({-1, 33, -1}));
    EXPECT_TRUE(s.maximized);
    EXPECT_TRUE(s.purseDefault);
}

TEST(BaseSettings, LastUserAndAttributeMarkers) {
    TTestDataHome home;
    EXPECT_EQ(ReadLastUser(home.Path()), QString());
    SaveLastUser(home.Path(), "Мама");
    EXPECT_EQ(ReadLastUser(home.Path()), "Мама");
    const QString marker = home.Path() + "/attr_quest.ini";
    EXPECT_TRUE(ReadAttributeQuestion(marker));
    WriteAttributeQuestion(marker, false);
    EXPECT_FALSE(ReadAttributeQuestion(marker));
    WriteFileBytes(marker, QByteArray("\x00\x01", 2));
    EXPECT_TRUE(ReadAttributeQuestion(marker));
}
