// Every change of the books through the session's one door can be taken back and done again: the tables
// byte for byte, the debts with their returns, the purses and the totals as they were.
#include "session/tsession.h"

#include "commitpath.h"
#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "messagerecorder.h"
#include "storage/atomicfile.h"
#include "tablefiles.h"
#include "testfolders.h"

#include <gtest/gtest.h>

#include <random>

namespace {

class Changes : public ::testing::Test {
protected:
    void SetUp() override {
        TMyType& s = session.state;
        s.paths.dataRoot = home.Path() + "/";
        s.paths.programFolder = home.Path() + "/program";
        s.userName = "Мама";
        s.baseName = "Семья";
        s.baseFolder = home.Path() + "/BASE/Семья";
        Write("purse", {{"рубль", "1", "1000", "1"}, {"евро", "100", "50", "0"}});
        Write("rashod", {{"01.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"},
                         {"02.12.2026", "Дом", "Свет", "2", "евро", "", "Мама"}});
        Write("dohod", {{"05.12.2026", "Зарплата", "500", "рубль", "", "Мама"}});
        Write("dolg", {{"дано в долг", "01.12.2026", "31.12.2026", "Сосед", "300", "рубль", "", "отображать",
                        "Мама", "0"}});
        Write("Debt/debt0", {{"03.12.2026", "100", "рубль", ""}});
        session.OpenBase();
        boxes.AnswerYes(); // a question a change meets is answered as a family would, once
    }
    void Write(const QString& table, const std::vector<QStringList>& rows) {
        MakePrivateFolder(QFileInfo(session.state.baseFolder + "/" + table).absolutePath());
        TMemTable t;
        for (const QStringList& r : rows)
            t.AddRow()->SetCells(r);
        ASSERT_TRUE(t.SaveToFile(session.state.baseFolder + "/" + table));
    }
    TDataGrid& Grid(TTableKind kind) { return session.state.Grid(kind); }
    int NewRow(TTableKind kind) { return Grid(kind).GridRowCount() - 1; }

    // The books as the program holds them: every table, each debt with its returns, and the totals with
    // their sums per purse.
    QStringList Books() {
        TMyType& s = session.state;
        QStringList out;
        for (TTableKind kind : {TTableKind::Rashod, TTableKind::Dohod, TTableKind::Dolg, TTableKind::Transfer,
                                TTableKind::Purse})
            out << QString::fromLatin1(s.Table(kind).ToBytes().toHex());
        out << QString::fromLatin1(s.vidRashod.ToBytes().toHex())
            << QString::fromLatin1(s.vidDohod.ToBytes().toHex());
        const TMemTable& dolg = s.Table(TTableKind::Dolg);
        for (int i = 0; i < dolg.RowCount(); ++i) {
            const int n = dolg.Row(i)->Cell(9).toInt();
            out << (size_t(n) < s.returns.size() && s.returns[size_t(n)]
                        ? QString::fromLatin1(s.returns[size_t(n)]->ToBytes().toHex())
                        : QString("-"));
        }
        const auto hex = [](const TMemTable& t) { return QString::fromLatin1(t.ToBytes().toHex()); };
        for (TTableKind kind : {TTableKind::Rashod, TTableKind::Dohod, TTableKind::Dolg}) {
            const TDataGrid& g = Grid(kind);
            out << QString::number(double(g.total)) << QString::number(double(g.todayTotal))
                << hex(g.perPurse) << hex(g.perPurseToday);
        }
        const TDebtTotals& d = s.debtTotals;
        out << hex(d.lentPerPurse) << hex(d.lentPerPurseToday) << hex(d.returnsToMe) << hex(d.myReturns);
        out << QString::number(double(s.totalMoney));
        return out;
    }

    // One change a family makes, picked by the seed.
    void RandomChange(std::mt19937& rng) {
        const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
        const QString sum = QString::number(1 + pick(900));
        const QString purse = pick(2) ? "рубль" : "евро";
        TSession& s = session;
        switch (pick(7)) {
        case 0: { // an expense typed into the new-record row
            TDataGrid& g = Grid(TTableKind::Rashod);
            const int row = NewRow(TTableKind::Rashod);
            s.Change("ввод записи", [&] {
                CommitCell(s.edit, g, 1, row, pick(2) ? "Еда" : "Дом");
                CommitCell(s.edit, g, 2, row, pick(2) ? "Хлеб" : "Свет");
                CommitCell(s.edit, g, 4, row, purse);
                CommitCell(s.edit, g, 3, row, sum);
            });
            break;
        }
        case 1: { // an income
            TDataGrid& g = Grid(TTableKind::Dohod);
            const int row = NewRow(TTableKind::Dohod);
            s.Change("ввод записи", [&] {
                CommitCell(s.edit, g, 1, row, "Зарплата");
                CommitCell(s.edit, g, 3, row, purse);
                CommitCell(s.edit, g, 2, row, sum);
            });
            break;
        }
        case 2: { // a sum typed over
            TDataGrid& g = Grid(TTableKind::Rashod);
            if (g.GridRowCount() > 2)
                s.Change("ввод суммы",
                         [&] { CommitCell(s.edit, g, 3, 1 + pick(g.GridRowCount() - 2), sum); });
            break;
        }
        case 3: { // a record deleted
            const TTableKind kind = pick(2) ? TTableKind::Rashod : TTableKind::Dohod;
            TDataGrid& g = Grid(kind);
            if (g.GridRowCount() > 2)
                s.Change("удаление записи",
                         [&] { s.general.DeleteLedgerRow(g, 1 + pick(g.GridRowCount() - 2), false); });
            break;
        }
        case 4: { // a debt lent
            TDataGrid& g = Grid(TTableKind::Dolg);
            const int row = NewRow(TTableKind::Dolg);
            s.Change("ввод долга", [&] {
                CommitCell(s.edit, g, 0, row, "дано в долг");
                CommitCell(s.edit, g, 2, row, "31.12.2026");
                CommitCell(s.edit, g, 3, row, pick(2) ? "Сосед" : "Брат");
                CommitCell(s.edit, g, 5, row, purse);
                CommitCell(s.edit, g, 4, row, sum);
                CommitCell(s.edit, g, 7, row, "отображать");
            });
            break;
        }
        case 5: { // a return of a debt
            const int debts = s.state.Table(TTableKind::Dolg).RowCount();
            if (debts == 0) break;
            s.money.dolg.DebtRowSelected(pick(debts));
            TDataGrid& g = Grid(TTableKind::Returns);
            const int row = NewRow(TTableKind::Returns);
            s.Change("ввод возврата", [&] {
                CommitCell(s.edit, g, 2, row, "рубль");
                CommitCell(s.edit, g, 1, row, QString::number(1 + pick(50)));
            });
            break;
        }
        case 6: { // a debt deleted with its returns
            const int debts = s.state.Table(TTableKind::Dolg).RowCount();
            if (debts > 0) s.Change("удаление долга", [&] { s.money.dolg.DeleteDebt(pick(debts), true); });
            break;
        }
        }
    }

    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
    TMessageRecorder boxes;
    TSession session;
};

// Seeded runs of 200 changes of every kind: undoing them all passes back through every earlier state to
// the books as opened, redoing them all forward to the end; the saves in between write what is shown,
// and the files after undoing everything are byte for byte those of the base as it was.
TEST_F(Changes, TwoHundredChangesUndoneAndRedoneByteForByte) {
    TMyType& s = session.state;
    // Every table written once as the program holds it (the purses with their new-entry row).
    for (TTableKind kind : {TTableKind::Rashod, TTableKind::Dohod, TTableKind::Dolg, TTableKind::Purse})
        s.Table(kind).Touch();
    ASSERT_TRUE(TBaseLoader::SaveTables(s));
    const auto filesAtStart = FileBytesUnder(s.baseFolder);
    std::mt19937 rng(20261210);
    std::vector<QStringList> states{Books()};
    for (int i = 0; i < 200; ++i) {
        const int before = session.History().count();
        boxes.AnswerYes();
        RandomChange(rng);
        if (session.History().count() != before) states.push_back(Books());
        if (i == 100) {
            ASSERT_TRUE(TBaseLoader::SaveTables(s)); // the autosave between changes
        }
    }
    const int steps = session.History().count();
    ASSERT_GT(steps, 100);
    ASSERT_EQ(size_t(steps) + 1, states.size());
    for (int i = steps; i > 0; --i) {
        ASSERT_TRUE(session.Undo());
        ASSERT_EQ(Books(), states[size_t(i - 1)])
            << "after undoing step " << i << ": " << session.History().text(i - 1).toStdString();
        if (i == steps / 2) {
            ASSERT_TRUE(TBaseLoader::SaveTables(s));
        }
    }
    ASSERT_TRUE(TBaseLoader::SaveTables(s));
    EXPECT_EQ(FileBytesUnder(s.baseFolder), filesAtStart);
    for (int i = 1; i <= steps; ++i) {
        ASSERT_TRUE(session.Redo());
        ASSERT_EQ(Books(), states[size_t(i)]) << "after redoing step " << i;
    }
}

// A change that changes nothing (a refused sum, a deletion of nothing) leaves nothing to undo; the history
// is emptied when a base is opened again.
TEST_F(Changes, NothingDoneIsNoStepAndOpeningABaseForgetsTheSteps) {
    TDataGrid& g = Grid(TTableKind::Rashod);
    EXPECT_FALSE(session.Change("ввод суммы", [] {}));
    EXPECT_EQ(session.History().count(), 0);
    EXPECT_TRUE(session.Change("удаление записи", [&] { session.general.DeleteLedgerRow(g, 1, false); }));
    EXPECT_EQ(session.History().undoText(), "удаление записи");
    session.OpenBase();
    EXPECT_EQ(session.History().count(), 0);
}

// Steps are replayed by the rows they name: once the books were changed past the door, the history is
// emptied rather than replayed over a change it does not know. A save changes nothing of the books.
TEST_F(Changes, ABookChangedPastTheDoorEmptiesTheHistory) {
    TDataGrid& g = Grid(TTableKind::Rashod);
    ASSERT_TRUE(session.Change("удаление записи", [&] { session.general.DeleteLedgerRow(g, 1, false); }));
    ASSERT_TRUE(TBaseLoader::SaveTables(session.state));
    EXPECT_TRUE(session.Undo());
    EXPECT_TRUE(session.Redo());
    CommitCell(session.edit, g, 3, 1, "77");
    EXPECT_FALSE(session.Undo());
    EXPECT_EQ(session.History().count(), 0);
    EXPECT_EQ(session.state.Table(TTableKind::Rashod).Row(0)->Cell(3), "77");
}

// The debts' returns changed past the door are seen too, whichever table or list holds them: after a debt
// typed through the door, a returns table read with the base or made by the door changed, a returns table
// made or the returns let go outside it empty the history, while nothing of the kind leaves the debt to be
// taken back.
TEST_F(Changes, TheDebtsReturnsChangedPastTheDoorEmptyTheHistory) {
    TMyType& s = session.state;
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"nothing", [] {}},
        {"a return read with the base changed", [&] { s.ReturnsTable(0).Row(0)->SetCell(1, "90"); }},
        {"a return put into a table the door made", [&] { s.ReturnsTable(s.NextDebtNumber() - 1).AddRow(); }},
        {"a returns table made", [&] { s.ReturnsTable(s.NextDebtNumber()); }},
        {"the returns let go, as a move of the bases does", [&] { s.returns.clear(); }},
    };
    for (const auto& [what, pastTheDoor] : cases) {
        SCOPED_TRACE(what);
        session.OpenBase();
        TDataGrid& g = Grid(TTableKind::Dolg);
        const int row = NewRow(TTableKind::Dolg);
        ASSERT_TRUE(session.Change("ввод долга", [&] {
            CommitCell(session.edit, g, 0, row, "дано в долг");
            CommitCell(session.edit, g, 2, row, "31.12.2026");
            CommitCell(session.edit, g, 3, row, "Брат");
            CommitCell(session.edit, g, 5, row, "рубль");
            CommitCell(session.edit, g, 4, row, "40");
        }));
        pastTheDoor();
        const bool kept = std::string_view(what) == "nothing";
        EXPECT_EQ(session.Undo(), kept);
        EXPECT_EQ(session.History().count(), kept ? 1 : 0);
    }
}

} // namespace
