#include "backup/dailyusers.h"

#include "backup/tdailyarhive.h"
#include "users/usertables.h"

#include "../users/usersfixture.h"

#include <gtest/gtest.h>

namespace {

// The users the user file holds on a day, and the daily copy of a base written that day.
void CopyOn(TBooks& b, const QDate& day, const QString& user, const QString& base, const TRows& users) {
    b.SetUsers(users);
    b.Open(user, base);
    ASSERT_TRUE(TDailyArhive(b.state).Write(day));
}

} // namespace

TEST(UsersFromDailyCopies, EachBaseGivesTheUsersOfItsNewestCopyThatHasAnyAndTheNewerCopyWinsAName) {
    TBooks b;
    b.state.paths.backupCopyFolder = b.home.Path() + "/Копии/";
    b.SetBases({"Семья", "Дача"});
    CopyOn(b, QDate(2026, 12, 1), "Дед", "Семья", {{"Дед", "Семья", "1", "7"}});
    CopyOn(b, QDate(2026, 12, 5), "Сын", "Дача", {{"Мама", "Дача", "0", "2"}, {"Сын", "Дача", "0", "3"}});
    CopyOn(b, QDate(2026, 12, 8), "Папа", "Семья",
           {{"Папа", "Семья", "1", "1"}, {"Мама", "Семья", "0", "2"}});
    // The son has gone to the family's base: the cottage's latest copy holds no user of its own.
    CopyOn(b, QDate(2026, 12, 9), "Папа", "Дача", {{"Папа", "Семья", "1", "1"}});
    // Not a daily copy, whatever it holds.
    WriteFileBytes(b.state.paths.backupCopyFolder + "Семья/копия.zip", "PK");

    ReadBaseListFile(b.state); // as the log-in dialog has it
    const TCopiedUsers copied = UsersFromDailyCopies(b.state);
    EXPECT_EQ(copied.rows,
              TRows({{"Папа", "Семья", "1", "1"}, {"Мама", "Семья", "0", "2"}, {"Сын", "Дача", "0", "3"}}));
    ASSERT_EQ(copied.copies.size(), 2u);
    EXPECT_EQ(copied.copies[0].base, "Семья");
    EXPECT_EQ(copied.copies[0].day, QDate(2026, 12, 8));
    EXPECT_EQ(copied.copies[1].base, "Дача");
    EXPECT_EQ(copied.copies[1].day, QDate(2026, 12, 5));
}
