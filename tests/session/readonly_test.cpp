// A base another program has open, opened read-only: the books are shown, every change is refused with
// a beep, and nothing of the base is ever written.
#include "session/tsession.h"

#include "backup/tdailyarhive.h"
#include "ledger/basechanges.h"
#include "ledger/tautosave.h"
#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "ledger/tkindspick.h"
#include "messagerecorder.h"
#include "storage/atomicfile.h"
#include "storage/tattributechecks.h"
#include "tablefiles.h"
#include "tablerows.h"
#include "testfolders.h"
#include "users/basehold.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

namespace {

using TRows = std::vector<QStringList>;

class ReadOnlyBase : public ::testing::Test {
protected:
    void SetUp() override {
        TMyType& s = session.state;
        s.paths.dataRoot = home.Path() + "/";
        s.paths.programFolder = home.Path() + "/program";
        s.paths.backupCopyFolder = home.Path() + "/copies/";
        s.userName = "Мама";
        s.baseName = "Семья";
        s.baseFolder = home.Path() + "/BASE/Семья";
        s.admin = true;
        Write(s.baseFolder + "/purse", {{"рубль", "1", "1000", "1"}, {"копилка", "1", "0", "0"}});
        Write(s.baseFolder + "/rashod", {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"}});
        Write(s.baseFolder + "/transfer_purse", {{"1.12.2026", "рубль", "1", "копилка", "1", "5", ""}});
        Write(s.baseFolder + "/vidrashod", {{"Еда", "Хлеб", "Молоко"}});
        Write(s.BaseRoot() + "/user", {{"Мама", "Семья", "Администратор", "0"}, {"Папа", "Семья", "1", "0"}});
        WriteOtherProgramsLock(s.baseFolder);
        HoldOpenBase(s);
        session.OpenBase();
        boxes.Reset();
    }
    void Write(const QString& path, const TRows& rows) {
        MakePrivateFolder(QFileInfo(path).absolutePath());
        TMemTable t;
        for (const QStringList& r : rows)
            t.AddRow()->SetCells(r);
        ASSERT_TRUE(t.SaveToFile(path));
    }
    // What the program has in memory of the base.
    std::vector<TRows> Books() {
        TMyType& s = session.state;
        return {Rows(s.Table(TTableKind::Rashod)), Rows(s.Table(TTableKind::Purse)),
                Rows(s.Table(TTableKind::Transfer)), Rows(s.vidRashod), Rows(s.users)};
    }
    TDataGrid& Grid(TTableKind kind) { return session.state.Grid(kind); }

    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
    TMessageRecorder boxes;
    TSession session;
};

} // namespace

TEST_F(ReadOnlyBase, TheBooksAreShownAndEveryChangeIsRefusedWithABeep) {
    TMyType& s = session.state;
    ASSERT_TRUE(s.readOnly);
    EXPECT_FALSE(MayChangeBase(s));
    EXPECT_EQ(Rows(s.Table(TTableKind::Rashod)).at(0).value(3), "100");
    const std::vector<TRows> shown = Books();
    const struct {
        const char* what;
        std::function<bool()> change; // true when it went ahead
        int beeps;
    } cases[] = {
        {"typing into a cell",
         [&] {
             return session.general.BeginEdit(Grid(TTableKind::Rashod), 3, 1, u'5', TEditStart::Key).kind !=
                    TEditorKind::None;
         },
         1},
        {"Enter, a paste or a double click on a cell",
         [&] {
             return session.general.BeginEdit(Grid(TTableKind::Rashod), 5, 1, QChar(), TEditStart::Enter)
                        .kind != TEditorKind::None;
         },
         1},
        {"the new-record row",
         [&] {
             return session.general.BeginEdit(Grid(TTableKind::Rashod), 0, 2, QChar(), TEditStart::Enter)
                        .kind != TEditorKind::None;
         },
         1},
        {"deleting a record",
         [&] { return session.general.DeleteLedgerRow(Grid(TTableKind::Rashod), 1, false); }, 1},
        {"a name taken from the kinds picker",
         [&] {
             return PickKind(s, session.general, session.edit, s.vidRashodGrid, 0, 1,
                             Grid(TTableKind::Rashod), TPickTrigger::Drop)
                        .kind != TEditorKind::None;
         },
         1},
        {"a kind added", [&] { return session.kinds.AddKind("Дом") == TKindNameResult::Done; }, 1},
        {"a kind renamed", [&] { return session.kinds.RenameKind(0, "Продукты") == TKindNameResult::Done; },
         1},
        {"a kind deleted", [&] { return session.kinds.DeleteKind(0); }, 1},
        {"a name typed into a list", [&] { return session.kinds.MayEdit(s.vidRashodGrid, 0, 1); }, 1},
        {"a name committed in a list",
         [&] { return session.kinds.CommitName(s.vidRashodGrid, 0, 1, "Батон").stored; }, 1},
        {"a name deleted from a list", [&] { return session.kinds.DeleteName(s.vidRashodGrid, 0, 1); }, 1},
        {"a purse typed",
         [&] {
             return session.general.BeginEdit(Grid(TTableKind::Purse), 1, 1, u'2', TEditStart::Key).kind !=
                    TEditorKind::None;
         },
         1},
        {"another base purse chosen", [&] { return session.money.purse.ChangeBasePurse("копилка"); }, 1},
        {"a purse deleted", [&] { return session.money.purse.DeletePurse(1); }, 1},
        {"a transfer deleted",
         [&] { return session.general.DeleteLedgerRow(Grid(TTableKind::Transfer), 1, false); }, 1},
        {"a user typed",
         [&] {
             return session.general.BeginEdit(Grid(TTableKind::User), 0, 2, u'С', TEditStart::Key).kind !=
                    TEditorKind::None;
         },
         1},
        {"a user deleted", [&] { return session.users.DeleteUser(1).stored; }, 1},
        {"a password changed",
         [&] {
             session.passwords.ShowChange(0);
             session.passwords.AcceptChange("", "1", "1");
             return s.users.Row(0)->Cell(3) != "0";
         },
         1},
        {"the bases dialog", [&] { return session.bases.Open(); }, 1},
        {"the tables cleared",
         [&] {
             TClearRequest all;
             all.from = QDate(2000, 1, 1);
             all.to = QDate(2030, 1, 1);
             all.rashod = all.transfer = all.recalc = true;
             return session.money.ClearTablesByPeriod(all, {});
         },
         1},
        // Run by itself after a switch of user too: left out without a sound.
        {"the dates optimised", [&] { return session.edit.NormaliseAllDates(); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.Reset();
        EXPECT_FALSE(c.change());
        EXPECT_EQ(boxes.Beeps(), c.beeps);
        EXPECT_TRUE(boxes.Boxes().empty()) << testing::PrintToString(boxes.Boxes());
        EXPECT_EQ(Books(), shown);
    }
}

TEST_F(ReadOnlyBase, NothingOfTheBaseIsEverWritten) {
    TMyType& s = session.state;
    const auto before = FileBytesUnder(s.baseFolder);
    // What sorting and a damaged load may change in memory stays there.
    session.general.SortByColumn(Grid(TTableKind::Rashod), 3);
    s.Table(TTableKind::Rashod).Touch();
    s.vidRashod.Touch();
    s.Table(TTableKind::Purse).Touch();
    EXPECT_TRUE(TBaseLoader::BaseModified(s));

    EXPECT_TRUE(TBaseLoader::SaveAndTell(s));
    EXPECT_TRUE(TBaseLoader::SaveKindsAndPurses(s));
    EXPECT_TRUE(session.kinds.SaveKinds());
    TAutoSave autosave(s);
    EXPECT_TRUE(autosave.SaveIfChanged());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(FileBytesUnder(s.baseFolder), before);
    // The other program's lock is left exactly as it was, also when this program leaves the base.
    LeaveOpenBase(s);
    EXPECT_EQ(FileBytesUnder(s.baseFolder), before);
}

// A start on a base another program has open goes the whole way (the question, the log-in, the open, the
// save at the close, the day's copy, the leaving) and writes nothing into that base: not even the marker
// of the attribute warning, which that program's user answers.
TEST(ReadOnlyLogIn, WritesNothingIntoTheOtherProgramsBase) {
    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
    const QString base = home.ProgramData() + "/BASE/Семья";
    WriteRows(home.ProgramData() + "/BASE/user", {{"Мама", "Семья", "1", "0"}});
    WriteRows(home.ProgramData() + "/BASE/baseuser", {{"Семья"}});
    WriteRows(base + "/rashod", {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"}});
    // The files of the base may not be written by this account: worth the attribute warning.
    const TAttributeProbe probe = [&](const QString& path) {
        return path.startsWith(base + "/") ? fileattr::ReadOnly : 0;
    };
    const auto start = [&] {
        TSession session(probe);
        TMyType& s = session.state;
        s.paths.programFolder = home.Path() + "/program";
        s.paths.programDataFolder = home.ProgramData();
        session.login.PrepareAtCreation();
        session.login.ShowLogin();
        ASSERT_EQ(session.login.AcceptLogin("Мама", ""), TLoginLogic::TOutcome::LoggedIn);
        session.OpenBase();
        EXPECT_EQ(s.Table(TTableKind::Rashod).Row(0)->Cell(3), "100");
        TBaseLoader::SaveAndTell(s);
        TDailyArhive(s).Write(QDate(2026, 12, 10));
        LeaveOpenBase(s);
    };
    {
        // The other program's own start: the warning answered, the base made whole.
        TMessageRecorder boxes;
        start();
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        ASSERT_EQ(boxes.Boxes()[0].lines.value(0),
                  "Файл баз программы \"rashod\" является доступным только для чтения.");
    }
    WriteOtherProgramsLock(base);
    const auto before = FileBytesUnder(base);

    TMessageRecorder boxes;
    boxes.TickOption();
    start();
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Choice(
                                 {"База \"Семья\" уже открыта в другой программе: " + kOtherHolder + "."},
                                 "Открыть только для чтения", "Отмена", TMsgButton::Yes)});
    EXPECT_EQ(FileBytesUnder(base), before);
}
