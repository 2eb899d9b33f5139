#include "storage/ttabledelta.h"

#include "storage/tmemtable.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

namespace {

using TBytes = std::array<QByteArray, 3>;

class TableDelta : public ::testing::Test {
protected:
    void SetUp() override {
        // One table as read from a file (its rows sit in the file's slots, with no room to grow), one
        // typed from nothing, one empty.
        TMemTable typed;
        for (int i = 0; i < 6; ++i)
            typed.AddRow()->SetCells({QString::number(i), QStringLiteral("Продукты"), QString(i, u'я')});
        ASSERT_TRUE(tables[0].LoadFromBytes(typed.ToBytes()));
        tables[1].CopyFrom(typed);
        tables[2].Clear();
        for (TMemTable& t : tables)
            t.AttachRecorder(&recorder);
    }
    TBytes Bytes() const { return {tables[0].ToBytes(), tables[1].ToBytes(), tables[2].ToBytes()}; }

    // One random change of the kinds the program makes.
    void RandomChange(std::mt19937& rng) {
        const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
        const auto text = [&] { return QString(pick(12), QChar(u'а' + pick(30))); };
        for (int steps = 1 + pick(5); steps > 0; --steps) {
            TMemTable& t = tables[size_t(pick(3))];
            const int n = t.RowCount();
            switch (pick(10)) {
            case 0:
            case 1:
                t.InsertRow(pick(n + 1))->SetCells({text(), text(), text()});
                break;
            case 2:
                if (n > 0) t.Row(pick(n))->SetCell(pick(3), text());
                break;
            case 3:
                if (n > 0) t.Row(pick(n))->SetCells({text(), text(), text(), text(), text()});
                break;
            case 4:
                if (n > 0) t.DeleteRow(pick(n));
                break;
            case 5: {
                std::vector<int> rows;
                for (int i = 0; i < n; ++i)
                    if (pick(3) == 0) rows.push_back(i);
                t.DeleteRows(rows);
                break;
            }
            case 6:
                if (n > 0) t.MoveRow(pick(n), pick(n));
                break;
            case 7: {
                std::vector<int> order(size_t(n), 0);
                for (int i = 0; i < n; ++i)
                    order[size_t(i)] = n - 1 - i;
                t.Reorder(order);
                break;
            }
            case 8:
                if (pick(4) == 0) t.Clear();
                break;
            case 9: {
                TMemTable other;
                other.AddRow()->SetCells({text(), text()});
                if (pick(2) == 0)
                    t.LoadFromBytes(other.ToBytes());
                else
                    t.AppendFrom(other);
                break;
            }
            }
        }
    }

    TTableRecorder recorder;
    std::array<TMemTable, 3> tables;
};

// Seeded runs of many changes: undoing them all, newest first, passes through every earlier state byte
// for byte back to the start, and redoing them passes through every later one to the end.
TEST_F(TableDelta, UndoAndRedoWalkBackAndForthThroughEveryStateByteForByte) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        SetUp();
        std::mt19937 rng(seed);
        std::vector<TBytes> states{Bytes()};
        std::vector<TTableDelta> history;
        for (int i = 0; i < 60; ++i) {
            history.emplace_back();
            {
                TRecording recording(recorder, history.back());
                RandomChange(rng);
            }
            states.push_back(Bytes());
        }
        for (size_t i = history.size(); i-- > 0;) {
            history[i].Undo();
            ASSERT_EQ(Bytes(), states[i]) << "undo of change " << i;
        }
        for (size_t i = 0; i < history.size(); ++i) {
            history[i].Redo();
            ASSERT_EQ(Bytes(), states[i + 1]) << "redo of change " << i;
        }
        // And back halfway, and once more forward: a redone change undoes as well as a fresh one.
        for (size_t i = history.size(); i-- > history.size() / 2;)
            history[i].Undo();
        ASSERT_EQ(Bytes(), states[history.size() / 2]);
        for (size_t i = history.size() / 2; i < history.size(); ++i)
            history[i].Redo();
        ASSERT_EQ(Bytes(), states.back());
    }
}

// A deleted row comes back as the same row with its cells, the table counts as changed by the undo (the
// autosave writes it), and a row given new cells has a new stamp, so what was derived from it is made
// again. Outside a recording nothing is kept.
TEST_F(TableDelta, AnUndoneDeletionBringsBackTheSameRowAndCountsAsAChange) {
    TMemTable& t = tables[1];
    TTableRow* third = t.Row(2);
    const quint64 stamp = t.Row(0)->Stamp();
    TTableDelta delta;
    {
        TRecording recording(recorder, delta);
        t.DeleteRow(2);
        t.Row(0)->SetCell(1, QStringLiteral("Кафе"));
        t.AddRow()->SetCells({QStringLiteral("новая")}); // never takes the deleted row's place
    }
    EXPECT_NE(t.Row(t.RowCount() - 1), third);
    t.MarkUnmodified();
    delta.Undo();
    EXPECT_TRUE(t.Modified());
    EXPECT_EQ(t.Row(2), third);
    EXPECT_EQ(third->Cell(0), "2");
    EXPECT_EQ(t.Row(0)->Cell(1), "Продукты");
    EXPECT_NE(t.Row(0)->Stamp(), stamp);
    EXPECT_EQ(t.RowCount(), 6);
    EXPECT_GT(delta.Size(), 0);

    // Nothing records without a delta being recorded: a deleted row is free for the next one.
    TTableRow* first = t.Row(0);
    t.DeleteRow(0);
    EXPECT_EQ(t.AddRow(), first);
}

// Steps outside the tables are taken back and done again in their place among the table's steps.
TEST_F(TableDelta, OwnStepsRunInTheirPlaceAmongTheTablesSteps) {
    QStringList seen;
    TTableDelta delta;
    {
        TRecording recording(recorder, delta);
        tables[2].AddRow()->SetCells({QStringLiteral("a")});
        delta.AddStep([&] { seen << "undo:" + QString::number(tables[2].RowCount()); },
                      [&] { seen << "redo:" + QString::number(tables[2].RowCount()); });
        tables[2].AddRow()->SetCells({QStringLiteral("b")});
    }
    delta.Undo();
    delta.Redo();
    EXPECT_EQ(seen, QStringList({"undo:1", "redo:1"}));
}

} // namespace
