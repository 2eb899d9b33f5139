// Two programs share one data root: a base another program has open is opened read-only or not at all,
// one left by a program that is gone is taken over, and no base another program has open is written.
#include "users/basehold.h"

#include "ledger/basechanges.h"
#include "ledger/tbaseloader.h"
#include "storage/tbaselock.h"
#include "users/tbasessession.h"
#include "users/tfirstrunlogic.h"
#include "users/tloginlogic.h"
#include "users/trecordmover.h"
#include "users/tuserslogic.h"
#include "usersfixture.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using TOutcome = TLoginLogic::TOutcome;

const QStringList kExpense = {"01.02.2024", "Еда", "Хлеб", "40", "рубль", "", "Мама"};

TMessage OpenQuestion(const QString& base) {
    return Choice({"База \"" + base + "\" уже открыта в другой программе: " + kOtherHolder + "."},
                  "Открыть только для чтения", "Отмена", TMsgButton::Yes);
}

TMessage HeldRefusal(const QString& base) {
    return Info({"База \"" + base + "\" открыта в другой программе: " + kOtherHolder + ".",
                 "Изменить её можно будет, когда та программа закроет базу."});
}

QString LockOf(const TBooks& b, const QString& base) {
    return b.File(base, baselock::kFileName);
}

// "Мама" works in "Семья", "Папа" in "Дача"; both bases have an expense.
struct TTwoBases {
    TBooks b;
    TFirstRunLogic firstRun{b.state};
    int optimised = 0;
    TLoginLogic login{b.state, firstRun, TUserHooks{{}, [this] { ++optimised; }, {}, {}, {}, {}}};
    TTwoBases() {
        b.SetUsers({{"Мама", "Семья", "1", "0"}, {"Папа", "Дача", "1", "0"}});
        b.SetBases({"Семья", "Дача"});
        for (const QString& base : QStringList{"Семья", "Дача"})
            WriteRows(b.File(base, "rashod"), {kExpense});
    }
    bool Own(const QString& base) const {
        return QFileInfo::exists(LockOf(b, base)) &&
               RowsOfFile(LockOf(b, base)).at(0).value(3) == QString::number(::getpid());
    }
};

} // namespace

TEST(OpeningAHeldBase, TheLogInAsksAndOpensItReadOnlyLeavingTheOtherLockAlone) {
    TTwoBases t;
    WriteOtherProgramsLock(t.b.Folder("Семья"));
    const QByteArray lock = ReadFileBytes(LockOf(t.b, "Семья"));
    TMessageRecorder rec;
    t.login.ShowLogin();
    EXPECT_EQ(t.login.AcceptLogin("Мама", ""), TOutcome::LoggedIn);
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{OpenQuestion("Семья")});
    EXPECT_TRUE(t.b.state.readOnly);
    EXPECT_EQ(t.b.state.readOnlyReason, "база открыта в другой программе (" + kOtherHolder + ")");
    EXPECT_EQ(t.b.state.baseFolder, t.b.Folder("Семья"));
    EXPECT_FALSE(t.b.state.baseLock.Held());
    EXPECT_EQ(ReadFileBytes(LockOf(t.b, "Семья")), lock);

    // Opened and "saved" as the program does: nothing of the base is written.
    TBaseLoader::OpenBase(t.b.state);
    t.b.state.Table(TTableKind::Rashod).Row(0)->SetCell(3, "999");
    EXPECT_TRUE(TBaseLoader::SaveAndTell(t.b.state));
    EXPECT_EQ(RowsOfFile(t.b.File("Семья", "rashod")), TRows({kExpense}));
    LeaveOpenBase(t.b.state);
    EXPECT_EQ(ReadFileBytes(LockOf(t.b, "Семья")), lock);
}

TEST(OpeningAHeldBase, CancelKeepsTheLogInDialogAndTheSwitchKeepsTheOpenBase) {
    TTwoBases t;
    WriteOtherProgramsLock(t.b.Folder("Дача"));
    TMessageRecorder rec;
    t.login.ShowLogin();
    rec.AnswerNo();
    EXPECT_EQ(t.login.AcceptLogin("Папа", ""), TOutcome::Stay);
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{OpenQuestion("Дача")});
    EXPECT_TRUE(t.b.state.userName.isEmpty());
    EXPECT_TRUE(t.b.state.baseFolder.isEmpty());

    // The mother logs in to her own base, free: no question, and the lock is this program's.
    rec.Reset();
    EXPECT_EQ(t.login.AcceptLogin("Мама", ""), TOutcome::LoggedIn);
    EXPECT_TRUE(rec.Boxes().empty());
    EXPECT_FALSE(t.b.state.readOnly);
    EXPECT_TRUE(t.Own("Семья"));
    TBaseLoader::OpenBase(t.b.state);

    // "Сменить пользователя" to the father, whose base the other program has: "Отмена" leaves everything.
    t.login.ShowSwitch();
    rec.AnswerNo();
    EXPECT_EQ(t.login.AcceptSwitch("Папа", ""), TOutcome::Stay);
    EXPECT_EQ(t.b.state.userName, "Мама");
    EXPECT_EQ(t.b.state.baseFolder, t.b.Folder("Семья"));
    EXPECT_TRUE(t.Own("Семья"));
    EXPECT_FALSE(t.b.state.readOnly);
    EXPECT_EQ(t.optimised, 1);

    // Read-only this time: the mother's base is left, its lock with it, and the father's stays the other's.
    EXPECT_EQ(t.login.AcceptSwitch("Папа", ""), TOutcome::Switched);
    EXPECT_TRUE(t.b.state.readOnly);
    EXPECT_EQ(t.b.state.baseFolder, t.b.Folder("Дача"));
    EXPECT_FALSE(QFileInfo::exists(LockOf(t.b, "Семья")));
    EXPECT_EQ(RowsOfFile(LockOf(t.b, "Дача")).at(0).value(1), "kuhnya");

    // Back to the mother's base, free again: writable, the read-only mark gone with the base.
    EXPECT_EQ(t.login.AcceptSwitch("Мама", ""), TOutcome::Switched);
    EXPECT_FALSE(t.b.state.readOnly);
    EXPECT_TRUE(t.b.state.readOnlyReason.isEmpty());
    EXPECT_TRUE(t.Own("Семья"));
}

TEST(OpeningAHeldBase, ALockLeftByAProgramThatIsGoneIsTakenOverAndTold) {
    TTwoBases t;
    WriteOtherProgramsLock(t.b.Folder("Семья"), baselock::kAbandonedAfterSeconds + 60);
    TMessageRecorder rec;
    t.login.ShowLogin();
    EXPECT_EQ(t.login.AcceptLogin("Мама", ""), TOutcome::LoggedIn);
    EXPECT_EQ(rec.Boxes(),
              std::vector<TMessage>{Info({"Программа, открывшая базу \"Семья\" (Папа, компьютер "
                                          "kuhnya), завершилась без закрытия базы. База открыта."})});
    EXPECT_FALSE(t.b.state.readOnly);
    EXPECT_TRUE(t.Own("Семья"));
}

TEST(OpeningAHeldBase, ABaseTakenOverWhileOpenTurnsReadOnlyAndIsNotWrittenAgain) {
    TTwoBases t;
    TMessageRecorder rec;
    t.login.ShowLogin();
    ASSERT_EQ(t.login.AcceptLogin("Мама", ""), TOutcome::LoggedIn);
    TBaseLoader::OpenBase(t.b.state);
    int lost = 0;
    t.b.state.baseLock.onLost = [&] {
        EXPECT_TRUE(t.b.state.readOnly) << "the state follows first";
        ++lost;
    };
    EXPECT_TRUE(KeepBaseLock(t.b.state, true));

    // This computer slept for minutes; another took the base over meanwhile.
    WriteOtherProgramsLock(t.b.Folder("Семья"));
    t.b.state.Table(TTableKind::Rashod).Row(0)->SetCell(3, "999");
    EXPECT_TRUE(TBaseLoader::SaveAndTell(t.b.state));
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{
                               Info({"База \"Семья\" открыта в другой программе: " + kOtherHolder + ".",
                                     "Изменения больше не сохраняются: база открыта только для чтения."})});
    EXPECT_EQ(lost, 1);
    EXPECT_TRUE(t.b.state.readOnly);
    EXPECT_EQ(RowsOfFile(t.b.File("Семья", "rashod")), TRows({kExpense}));
    EXPECT_TRUE(KeepBaseLock(t.b.state, true)) << "nothing held any more";
    EXPECT_EQ(lost, 1) << "told once";
    EXPECT_EQ(rec.Boxes().size(), 1u);
    LeaveOpenBase(t.b.state);
    EXPECT_EQ(RowsOfFile(LockOf(t.b, "Семья")).at(0).value(1), "kuhnya");
}

// What the open of a base found unsafe (a table it could not read) is looked at anew when the base is
// read again; another program having the base is not, and keeps it read-only and unwritten.
TEST(OpeningAHeldBase, ReadingTheBaseAgainKeepsItReadOnlyWhileAnotherProgramHasIt) {
    const QString held = "база открыта в другой программе (" + kOtherHolder + ")";
    const struct {
        const char* what;
        bool heldAtLogIn; // else taken over while open, after the open found a table it could not read
    } cases[] = {{"held at the log-in, a table that could not be read", true},
                 {"taken over while open, after a table that could not be read", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TTwoBases t;
        const QString rashod = t.b.File("Семья", "rashod");
        WriteFileBytes(t.b.home.Path() + "/чужой", ReadFileBytes(rashod));
        QFile::remove(rashod);
        QFile::link(t.b.home.Path() + "/чужой", rashod);
        if (c.heldAtLogIn) WriteOtherProgramsLock(t.b.Folder("Семья"));
        TMessageRecorder rec;
        t.login.ShowLogin();
        ASSERT_EQ(t.login.AcceptLogin("Мама", ""), TOutcome::LoggedIn);
        TBaseLoader::OpenBase(t.b.state);
        ASSERT_TRUE(t.b.state.readOnly);
        if (!c.heldAtLogIn) {
            WriteOtherProgramsLock(t.b.Folder("Семья"));
            EXPECT_FALSE(KeepBaseLock(t.b.state, true));
        }
        EXPECT_EQ(t.b.state.readOnlyReason, held);

        // The table mended by hand and the base read again, as a restore or a move of records does.
        QFile::remove(rashod);
        WriteRows(rashod, {kExpense});
        const QByteArray lock = ReadFileBytes(LockOf(t.b, "Семья"));
        rec.Reset();
        TBaseLoader::OpenBase(t.b.state);
        EXPECT_TRUE(rec.Boxes().empty());
        EXPECT_TRUE(t.b.state.readOnly);
        EXPECT_EQ(t.b.state.readOnlyReason, held);
        t.b.state.Table(TTableKind::Rashod).Row(0)->SetCell(3, "999");
        EXPECT_TRUE(TBaseLoader::SaveAndTell(t.b.state));
        EXPECT_EQ(RowsOfFile(rashod), TRows({kExpense}));
        EXPECT_EQ(ReadFileBytes(LockOf(t.b, "Семья")), lock);
    }
}

// Every operation that writes into a base other than the open one stops at a base another program has.
TEST(WritingAnotherBase, ABaseAnotherProgramHasOpenIsToldAndLeftAlone) {
    const struct {
        const char* what;
        std::function<bool(TTwoBases&)> write; // true when it went ahead
    } cases[] = {
        {"moving the mother's records into it",
         [](TTwoBases& t) { return TRecordMover::Move(t.b.Folder("Семья"), t.b.Folder("Дача"), "Мама"); }},
        {"moving records out of it",
         [](TTwoBases& t) { return TRecordMover::Move(t.b.Folder("Дача"), t.b.Folder("Семья"), "Мама"); }},
        {"renaming the father, whose records it holds",
         [](TTwoBases& t) {
             TUsersLogic users{t.b.state};
             return users.CommitName(1, "Отец").stored;
         }},
        {"renaming its folder",
         [](TTwoBases& t) {
             TBasesSession bases{t.b.state};
             return bases.Open() && bases.CommitName(1, "Дом");
         }},
        {"deleting it",
         [](TTwoBases& t) {
             TBasesSession bases{t.b.state};
             return bases.Open() && bases.Delete(1);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TTwoBases t;
        t.b.Open("Мама", "Семья");
        HoldOpenBase(t.b.state);
        for (const QString& base : QStringList{"Семья", "Дача"})
            t.b.state.baseList.AddRow()->SetCells({base});
        WriteOtherProgramsLock(t.b.Folder("Дача"));
        const QStringList before = TreeOf(t.b.Folder("Дача"));
        TMessageRecorder rec;
        EXPECT_FALSE(c.write(t));
        EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{HeldRefusal("Дача")});
        EXPECT_EQ(TreeOf(t.b.Folder("Дача")), before);
        EXPECT_EQ(RowsOfFile(t.b.File("Дача", "rashod")), TRows({kExpense}));
        EXPECT_EQ(RowsOfFile(t.b.File("Семья", "rashod")), TRows({kExpense}));
    }
}
