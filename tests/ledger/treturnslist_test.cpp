// The list of the debts' returns tables is seen by a recorder as a table is: its changes are recorded with
// their way back, or counted as made outside, and every table it holds reports to the same recorder.
#include "ledger/treturnslist.h"

#include "storage/ttabledelta.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

std::shared_ptr<TMemTable> TableWith(const QString& sum) {
    auto t = std::make_shared<TMemTable>();
    t->AddRow()->SetCells({QStringLiteral("03.12.2026"), sum, QStringLiteral("рубль"), QString()});
    return t;
}

std::vector<const TMemTable*> Raw(const TReturnsList& list) {
    std::vector<const TMemTable*> raw;
    for (const auto& t : list)
        raw.push_back(t.get());
    return raw;
}

// A debt typed (its returns table made beyond the end), a return typed into it, then a debt deleted (the
// list replaced, the later tables renumbered): taken back, the list holds the very tables it held before
// with their rows; done again, those it held after.
TEST(ReturnsList, ItsChangesAreTakenBackAndDoneAgainWithTheSameTables) {
    TTableRecorder recorder;
    TReturnsList list;
    list.AttachRecorder(&recorder);
    list = TReturnsTables{TableWith("100"), nullptr, TableWith("200")};
    const std::vector<const TMemTable*> before = Raw(list);
    const QByteArray firstBytes = list[0]->ToBytes();

    TTableDelta delta;
    {
        TRecording recording(recorder, delta);
        EXPECT_EQ(&list.Make(0), before[0]); // there already: nothing changes
        TMemTable& made = list.Make(4);
        made.AddRow()->SetCells({QStringLiteral("05.12.2026"), QStringLiteral("7"), QStringLiteral("рубль")});
        list[0]->Row(0)->SetCell(1, QStringLiteral("90"));
        list = TReturnsTables{list[2], list[4]};
    }
    const std::vector<const TMemTable*> after = Raw(list);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], before[2]);
    EXPECT_EQ(after[1]->RowCount(), 1);
    const QByteArray madeBytes = after[1]->ToBytes();

    delta.Undo();
    EXPECT_EQ(Raw(list), before);
    EXPECT_EQ(list[0]->ToBytes(), firstBytes);
    delta.Redo();
    EXPECT_EQ(Raw(list), after);
    EXPECT_EQ(list[1]->ToBytes(), madeBytes);
    EXPECT_EQ(before[0]->Row(0)->Cell(1), "90"); // dropped, yet held by the change with its new cell
    delta.Undo();
    EXPECT_EQ(Raw(list), before);
    EXPECT_EQ(recorder.ChangesOutside(), 1u); // the list as first given, nothing recorded then
}

// With nothing recorded, each change of the list or of a table in it is counted, and nothing else is:
// the recorder needs no walk of the tables to know the books changed.
TEST(ReturnsList, EachChangeMadeWhileNothingIsRecordedIsCounted) {
    struct TCase {
        const char* what;
        std::function<void(TReturnsList&)> change;
        quint64 counted;
    };
    const std::vector<TCase> cases = {
        {"a table made for a new number", [](TReturnsList& l) { l.Make(3); }, 1},
        {"a table made in an empty place", [](TReturnsList& l) { l.Make(1); }, 1},
        {"a table asked for that is there", [](TReturnsList& l) { l.Make(2); }, 0},
        {"the list replaced",
         [](TReturnsList& l) {
             l = TReturnsTables{l[0], TableWith("50")};
         },
         1},
        {"the list given as it is",
         [](TReturnsList& l) {
             l = TReturnsTables{l[0], nullptr, l[2]};
         },
         0},
        {"the list emptied", [](TReturnsList& l) { l.clear(); }, 1},
        {"a return typed into a table of the list", [](TReturnsList& l) { l[2]->Row(0)->SetCell(1, "1"); },
         1},
        {"a return typed into a table put in later",
         [](TReturnsList& l) {
             const auto put = TableWith("50");
             l = TReturnsTables{put};
             put->AddRow();
         },
         2},
        {"a return typed into a table made later", [](TReturnsList& l) { l.Make(5).AddRow(); }, 2},
        {"only read", [](TReturnsList& l) { EXPECT_EQ(l[0]->RowCount() + int(l.size()), 4); }, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        TTableRecorder recorder;
        TReturnsList list;
        list = TReturnsTables{TableWith("100"), nullptr, TableWith("200")};
        list.AttachRecorder(&recorder);
        c.change(list);
        EXPECT_EQ(recorder.ChangesOutside(), c.counted);
        list.AttachRecorder(nullptr); // let go: the tables are no longer counted
        if (!list.empty() && list[0]) list[0]->AddRow();
        EXPECT_EQ(recorder.ChangesOutside(), c.counted);
    }
}

} // namespace
