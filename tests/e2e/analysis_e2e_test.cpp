// Two expenses typed on the expenses page, then the analysis page opened with F6: the program shows it
// without failing, and the page's five settings reach the base's settings file when it closes.
#include "e2edriver.h"

#include "qtprint.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <gtest/gtest.h>

#include <iostream>

namespace {

// The keys of one section of an ini file, read without the program's reader: UTF-8 after its mark,
// lines "key=value", section names without regard to case.
QMap<QString, QString> IniSection(const QString& path, const QString& section) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    QMap<QString, QString> keys;
    bool inside = false;
    for (const QString& raw : QString::fromUtf8(bytes).split(QStringLiteral("\r\n"))) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            inside = line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (inside && eq > 0) keys.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return keys;
}

class AnalysisE2E : public TE2ETest {};

TEST_F(AnalysisE2E, TheAnalysisPageOpensAndItsSettingsAreStoredAtClose) {
    {
        TE2EProgram program(display, home.path());
        const QString main = FirstStart(program);
        ASSERT_FALSE(main.isEmpty());
        TypeTwoExpenses(program, main);
        program.Keys(main, {"F6"});
        ASSERT_TRUE(program.WaitIdle());
        const QString shot = program.Screenshot(home.path() + "/analysis.png");
        std::cout << "analysis page: " << shot.toStdString() << std::endl;
        EXPECT_TRUE(WaitUntil([&] { return QFileInfo(shot).size() > 0; }, 20000)) << shot.toStdString();
        ASSERT_TRUE(program.IsRunning()) << program.Output().toStdString();
        EXPECT_FALSE(program.WaitWindow(QStringLiteral("Пользователь: Мама"), 5000).isEmpty());
        KeepScreenshot(shot, "analysis.png");
        ASSERT_TRUE(Quit(program, main));
        EXPECT_EQ(program.ExitCode(), 0);
    }
    const QString base = Bases() + "/Base1";
    const std::vector<QStringList> expenses = TableRows(base + "/rashod");
    ASSERT_EQ(expenses.size(), 2u);
    EXPECT_EQ(expenses[0].value(3), "120");
    EXPECT_EQ(expenses[1].value(3), "30");
    const QMap<QString, QString> analis = IniSection(base + "/Tarnwell.ini", "Analis");
    EXPECT_EQ(analis.value("DataS"), Today(-30));
    EXPECT_EQ(analis.value("DataDo"), Today());
    EXPECT_EQ(analis.value("Vid"), "Видам расходов");
    EXPECT_EQ(analis.value("Format"), "Числовой");
    EXPECT_EQ(analis.value("VidChart"), "Круговая");
}

} // namespace
