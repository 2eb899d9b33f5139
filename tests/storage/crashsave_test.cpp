// A save killed at any moment leaves the table file as it was before or as it is after, never half.
#include "storage/tmemtable.h"

#include "testfolders.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void Fill(TMemTable& t, int rows, const QString& tag) {
    for (int i = 0; i < rows; ++i)
        t.AddRow()->SetCells({QStringLiteral("%1.01.2024").arg(i % 28 + 1, 2, 10, QLatin1Char('0')),
                              QStringLiteral("Продукты"), tag, QString::number(i), QStringLiteral("рубль"),
                              QString(), QStringLiteral("Мама")});
}

} // namespace

TEST(CrashDuringSave, LeavesTheOldOrTheNewFileWhole) {
    TTestDataHome home;
    const QString path = home.Path() + "/rashod";
    TMemTable a, b;
    Fill(a, 100000, QStringLiteral("старое"));
    Fill(b, 100000, QStringLiteral("новое"));
    const QByteArray bytesA = a.ToBytes(), bytesB = b.ToBytes();
    ASSERT_TRUE(a.SaveToFile(path));
    std::mt19937 random(20261210);
    for (int round = 0; round < 8; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                b.SaveToFile(path);
                a.SaveToFile(path);
            }
        }
        ::usleep(useconds_t(std::uniform_int_distribution<int>(20000, 300000)(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const QByteArray now = ReadFileBytes(path);
        EXPECT_TRUE(now == bytesA || now == bytesB) << "round " << round << ": " << now.size() << " bytes";
        TMemTable back;
        EXPECT_TRUE(back.LoadFromFile(path));
        EXPECT_EQ(back.RowCount(), 100000);
    }
}
