// The session built as the program builds it, without any window: the logic objects reach each other.
#include "session/tsession.h"

#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "messagerecorder.h"
#include "session/requirelink.h"
#include "storage/atomicfile.h"
#include "testfolders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <functional>
#include <stdexcept>

namespace {

QString AmountOf(TMyType& state, const QString& purse) {
    const TMemTable& t = state.Table(TTableKind::Purse);
    for (int i = 0; i < t.RowCount(); ++i)
        if (t.Row(i)->Cell(0) == purse) return t.Row(i)->Cell(2);
    return "(no purse)";
}

// A base on disk with the purse "рубль" holding 1000 and one expense of 100 today (already taken from it),
// opened by the session.
class Session : public ::testing::Test {
protected:
    void SetUp() override {
        TMyType& s = session.state;
        s.paths.dataRoot = home.Path() + "/";
        s.paths.programFolder = home.Path() + "/program";
        s.userName = "Мама";
        s.baseName = "Семья";
        s.baseFolder = home.Path() + "/BASE/Семья";
        Write("purse", {{"рубль", "1", "1000", "1"}});
        Write("rashod", {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"}});
        QObject::connect(&session, &TSession::TotalsChanged,
                         [this](TTableKind kind) { totalsChanged << int(kind); });
        QObject::connect(&session, &TSession::FilterChanged,
                         [this](TTableKind kind) { filterChanged << int(kind); });
        session.OpenBase();
    }
    void Write(const QString& table, const std::vector<QStringList>& rows) {
        MakePrivateFolder(session.state.baseFolder);
        TMemTable t;
        for (const QStringList& r : rows)
            t.AddRow()->SetCells(r);
        ASSERT_TRUE(t.SaveToFile(session.state.baseFolder + "/" + table));
    }
    TDataGrid& Rashod() { return session.state.Grid(TTableKind::Rashod); }

    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
    TMessageRecorder boxes;
    TSession session;
    QList<int> totalsChanged, filterChanged;
};

} // namespace

TEST_F(Session, ACommittedExpenseReachesThePursesTheTotalsAndTheFilter) {
    session.filters.ApplyPeriod(TTableKind::Rashod, QDate(2026, 12, 10), QDate(2026, 12, 10));
    EXPECT_TRUE(filterChanged.contains(int(TTableKind::Rashod)));
    EXPECT_EQ(double(Rashod().filteredTotal), 100.0);

    // The new-record row the loader left, given its kind, name and purse; the sum is typed last.
    TDataGrid& grid = Rashod();
    const int last = grid.GridRowCount() - 1;
    for (const auto& [col, text] : {std::pair{1, "Еда"}, {2, "Кофе"}, {4, "рубль"}})
        session.edit.CommitText(grid, col, last, TEditorKind::Text, text);
    totalsChanged.clear();
    session.edit.CommitText(grid, 3, last, TEditorKind::Number, "45");

    // The purse holds its balance as stored; the new expense is taken from it.
    EXPECT_EQ(AmountOf(session.state, "рубль"), "955");
    EXPECT_EQ(double(Rashod().total), 145.0);
    EXPECT_EQ(double(Rashod().filteredTotal), 145.0);
    EXPECT_TRUE(totalsChanged.contains(int(TTableKind::Rashod)));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Session, ABaseReadAgainRecomputesItsTotals) {
    EXPECT_EQ(double(Rashod().total), 100.0);
    Write("rashod", {{"10.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"},
                     {"09.12.2026", "Дом", "Посуда", "250", "рубль", "", "Мама"}});
    session.OpenBase();
    EXPECT_EQ(double(Rashod().total), 350.0);
}

// Whether the books on disk are behind, and why, is the session's to tell: the windows keep a sign up
// from the first failed save to the next one that succeeds, whichever save it was.
TEST_F(Session, ASaveThatFailsIsHeardWithItsReasonUntilASaveSucceeds) {
    TMyType& s = session.state;
    int heard = 0;
    QObject::connect(&session, &TSession::SaveStateChanged, [&] { ++heard; });
    const QString rashod = s.baseFolder + "/rashod";
    s.Table(TTableKind::Rashod).Row(0)->SetCell(5, "правка");
    ASSERT_TRUE(QFile::remove(rashod));
    ASSERT_TRUE(QDir().mkpath(rashod + "/занято"));

    EXPECT_FALSE(TBaseLoader::SaveTables(s));
    EXPECT_EQ(heard, 1);
    EXPECT_TRUE(s.saveFailed);
    EXPECT_EQ(s.saveError.path, rashod);
    EXPECT_EQ(SaveFailureDetails(s.saveError),
              (QStringList{"Файл: " + rashod, "Причина: На месте файла находится папка."}));
    // The same failure again changes nothing to hear; the fixed points tell theirs in a box as well.
    EXPECT_FALSE(TBaseLoader::SaveAndTell(s));
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(boxes.Boxes().size(), 1u);

    ASSERT_TRUE(QDir(rashod).removeRecursively());
    EXPECT_TRUE(TBaseLoader::SaveTables(s));
    EXPECT_EQ(heard, 2);
    EXPECT_FALSE(s.saveFailed);
    EXPECT_FALSE(s.saveError.Failed());
    // A save with nothing changed after a good one is not heard.
    EXPECT_TRUE(TBaseLoader::SaveTables(s));
    EXPECT_EQ(heard, 2);
}

TEST(SessionLinks, EveryLinkIsMadeAndAMissingOneFailsLoudly) {
    TTestDataHome home;
    TSession session;
    EXPECT_NO_THROW(session.CheckLinks());
    const struct {
        const char* link;
        std::function<void(TSession&)> cut;
    } cases[] = {
        {"purses -> filters", [](TSession& s) { s.money.purse.reapplyFilter = nullptr; }},
        {"editor -> totals", [](TSession& s) { s.hooks.totalsChanged = nullptr; }},
        {"filters -> filter changed", [](TSession& s) { s.filters.onChanged = nullptr; }},
        {"kinds lists", [](TSession& s) { s.kinds.listChanged = nullptr; }},
        {"saves -> save state changed", [](TSession& s) { s.state.saveStateChanged = nullptr; }},
        {"base lock -> read-only", [](TSession& s) { s.state.baseLock.onLost = nullptr; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        TSession cut;
        c.cut(cut);
        try {
            cut.CheckLinks();
            ADD_FAILURE() << "no failure";
        } catch (const std::logic_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.link), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(RequireLink(false, "x"), std::logic_error);
    EXPECT_NO_THROW(RequireLink(true, "x"));
}
