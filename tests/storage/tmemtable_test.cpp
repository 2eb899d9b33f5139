#include "storage/tmemtable.h"

#include "testfolders.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace memtable;

TEST(TMemTableFormat, VarintsAndCellTextAreTheDocumentedBytes) {
    const struct {
        quint32 value;
        const char* hex;
    } cases[] = {{0, "00"},     {5, "05"},         {127, "7f"},
                 {200, "c801"}, {16384, "808001"}, {0xFFFFFFFF, "ffffffff0f"}};
    for (const auto& c : cases) {
        QByteArray out;
        AppendVarint(out, c.value);
        EXPECT_EQ(out.toHex(), QByteArray(c.hex)) << c.value;
        EXPECT_EQ(VarintSize(c.value), out.size());
        qsizetype pos = 0;
        quint32 back = 0;
        ASSERT_TRUE(ReadVarint(out.constData(), out.size(), pos, back));
        EXPECT_EQ(back, c.value);
    }
    QByteArray tooLong = Hex("80 80 80 80 80 01");
    qsizetype pos = 0;
    quint32 v;
    EXPECT_FALSE(ReadVarint(tooLong.constData(), tooLong.size(), pos, v));

    QByteArray text;
    AppendCellText(text, QString::fromUtf8("Ёж"));
    EXPECT_EQ(text, Hex("D0 81 D0 B6"));
    // A character outside the BMP is written as its two surrogates, three bytes each.
    text.clear();
    AppendCellText(text, QString::fromUtf8("😀"));
    EXPECT_EQ(text, Hex("ED A0 BD ED B8 80"));
}

TEST(TMemTableFormat, DecodingAcceptsFourByteFormsAndRefusesBrokenBytes) {
    QString out;
    const QByteArray four = Hex("F0 9F 98 80");
    ASSERT_TRUE(DecodeCellText(four.constData(), four.size(), out));
    EXPECT_EQ(out, QString::fromUtf8("😀"));
    for (const char* bad : {"80", "BF", "F8", "FF", "C3", "E2 82", "C3 41", "F4 90 80 80"}) {
        const QByteArray b = Hex(bad);
        EXPECT_FALSE(DecodeCellText(b.constData(), b.size(), out)) << bad;
    }
}

TEST(TMemTable, WritesTheRowRecordsOfTheFileFormat) {
    TTestDataHome home;
    const QString path = home.Path() + "/t";
    TMemTable t;
    ASSERT_TRUE(t.SaveToFile(path));
    EXPECT_EQ(ReadFileBytes(path).size(), 0);
    ASSERT_TRUE(t.LoadFromFile(path));
    EXPECT_EQ(t.RowCount(), 0);

    TTableRow* r = t.AddRow();
    r->SetCellCount(2);
    r->SetCell(0, "abc");
    t.AddRow()->SetCellCount(0);
    t.AddRow(); // never given cells: still a loadable record
    ASSERT_TRUE(t.SaveToFile(path));
    EXPECT_EQ(ReadFileBytes(path), Hex("06 02 03 61 62 63 00  01 00  01 00"));

    TMemTable back;
    ASSERT_TRUE(back.LoadFromFile(path));
    ASSERT_EQ(back.RowCount(), 3);
    EXPECT_EQ(back.Row(0)->Cells(), QStringList({"abc", ""}));
    EXPECT_EQ(back.Row(1)->CellCount(), 0);
}

TEST(TMemTable, CellsOutsideTheRowAreIgnoredUntilTheRowGrows) {
    TMemTable t;
    TTableRow* r = t.AddRow();
    r->SetCellCount(3);
    r->SetCell(5, "x");
    EXPECT_EQ(r->CellCount(), 3);
    EXPECT_EQ(r->Cell(5), QString());
    EXPECT_EQ(r->Cell(-1), QString());
    r->SetCell(2, "two");
    r->SetCellCount(6);
    r->SetCell(5, "x");
    EXPECT_EQ(r->Cells(), QStringList({"", "", "two", "", "", "x"}));
    r->SetCellCount(2);
    EXPECT_EQ(r->Cells(), QStringList({"", ""}));
    EXPECT_EQ(t.Row(-1), nullptr);
    EXPECT_EQ(t.Row(1), nullptr);
    EXPECT_EQ(t.InsertRow(3), nullptr);
    t.DeleteRow(-1);
    t.DeleteRow(1);
    EXPECT_EQ(t.RowCount(), 1);
}

TEST(TMemTable, GrowingARowNeverTouchesItsNeighboursAndSavingDropsSlack) {
    TMemTable t;
    const QString longText(130, QChar('a'));
    for (int i = 0; i < 3; ++i) {
        TTableRow* r = t.AddRow();
        r->SetCellCount(2);
        r->SetCell(0, longText);
        r->SetCell(1, QString::number(i));
    }
    t.Row(1)->SetCell(0, longText + "bb"); // a two-byte length, longer than its slot
    t.Row(2)->SetCell(0, "short");         // shrinks in place, leaving slack
    EXPECT_EQ(t.Row(0)->Cells(), QStringList({longText, "0"}));
    EXPECT_EQ(t.Row(1)->Cells(), QStringList({longText + "bb", "1"}));
    EXPECT_EQ(t.Row(2)->Cells(), QStringList({"short", "2"}));

    const QByteArray saved = t.ToBytes();
    QByteArray expected;
    for (const QStringList& cells :
         {QStringList{longText, "0"}, QStringList{longText + "bb", "1"}, QStringList{"short", "2"}}) {
        QByteArray enc;
        AppendVarint(enc, 2);
        for (const QString& c : cells) {
            AppendVarint(enc, quint32(CellTextSize(c)));
            AppendCellText(enc, c);
        }
        AppendVarint(expected, quint32(enc.size()));
        expected += enc;
    }
    EXPECT_EQ(saved, expected);
}

TEST(TMemTable, DamagedFilesKeepTheRowsBeforeTheDamage) {
    const struct {
        const char* name;
        QByteArray bytes;
        int rows;
    } cases[] = {
        {"cut short", Hex("06 02 03 61 62 63 00  06 02 03 61"), 1},
        {"zero length", Hex("01 00  00"), 1},
        {"varint past the end", Hex("01 00  80"), 1},
        {"over-long varint", Hex("80 80 80 80 80 01"), 0},
    };
    for (const auto& c : cases) {
        TMemTable t;
        EXPECT_FALSE(t.LoadFromBytes(c.bytes)) << c.name;
        EXPECT_EQ(t.RowCount(), c.rows) << c.name;
    }
    TMemTable missing;
    EXPECT_TRUE(missing.LoadFromFile("/nonexistent/file"));
    EXPECT_EQ(missing.RowCount(), 0);
}

TEST(TMemTable, BrokenRowEncodingsReadSafely) {
    TMemTable t;
    // Declares 5 cells in a 3-byte slot, then a cell whose length runs past the slot.
    ASSERT_TRUE(t.LoadFromBytes(Hex("03 05 01 41  03 02 09 41  03 01 01 C3")));
    EXPECT_EQ(t.Row(0)->Cell(0), "A");
    EXPECT_EQ(t.Row(0)->Cell(4), QString());
    QString text;
    EXPECT_FALSE(t.Row(1)->TryCell(0, text));
    EXPECT_FALSE(t.Row(2)->TryCell(0, text)); // "Invalid UTF8 Char"
    EXPECT_EQ(t.Row(2)->Cell(0), QString());
}

TEST(TMemTable, CellBytesAreTheStoredEncodingAndEmptyWhereNoCellIs) {
    TMemTable t;
    t.AddRow()->SetCells({"12,5", "Ёж", ""});
    const TTableRow* r = t.Row(0);
    EXPECT_EQ(r->CellBytes(0), QByteArrayView("12,5"));
    EXPECT_EQ(r->CellBytes(1).toByteArray(), Hex("D0 81 D0 B6"));
    EXPECT_TRUE(r->CellBytes(2).isEmpty());
    EXPECT_TRUE(r->CellBytes(3).isEmpty());
    EXPECT_TRUE(r->CellBytes(-1).isEmpty());
    ASSERT_TRUE(t.LoadFromBytes(Hex("03 05 01 41  03 02 09 41")));
    EXPECT_EQ(t.Row(0)->CellBytes(0), QByteArrayView("A"));
    EXPECT_TRUE(t.Row(1)->CellBytes(0).isEmpty()); // its length runs past the row
}

// Rows are handed out as pointers that stay valid while other rows come, move and go, and each row
// reads its own table's bytes even when tables are made and dropped around it.
TEST(TMemTable, RowsKeepTheirCellsThroughMovesDeletesAndOtherTables) {
    auto names = [](const TMemTable& t) {
        QStringList out;
        for (int i = 0; i < t.RowCount(); ++i)
            out << t.Row(i)->Cell(0);
        return out;
    };
    TMemTable t;
    std::vector<TTableRow*> rows;
    for (int i = 0; i < 1000; ++i) { // several blocks of rows
        rows.push_back(t.AddRow());
        rows.back()->SetCells({QString::number(i)});
    }
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(rows[size_t(i)]->Cell(0), QString::number(i));

    TMemTable small;
    small.AddRow()->SetCells({"a"});
    small.AddRow()->SetCells({"b"});
    small.AddRow()->SetCells({"c"});
    small.AddRow()->SetCells({"d"});
    small.MoveRow(0, 2);
    EXPECT_EQ(names(small), QStringList({"b", "c", "a", "d"}));
    small.MoveRow(3, 0);
    EXPECT_EQ(names(small), QStringList({"d", "b", "c", "a"}));
    small.MoveRow(1, 1);
    small.MoveRow(0, 4); // out of range: nothing moves
    EXPECT_EQ(names(small), QStringList({"d", "b", "c", "a"}));

    TTableRow* kept = small.Row(3);
    small.DeleteRow(1);
    TTableRow* reused = small.InsertRow(0);
    reused->SetCells({"e"});
    EXPECT_EQ(kept->Cell(0), "a");
    EXPECT_EQ(names(small), QStringList({"e", "d", "c", "a"}));
    EXPECT_EQ(reused->Cells(), QStringList{"e"});

    {
        auto gone = std::make_unique<TMemTable>();
        gone->AddRow()->SetCells({"из другой таблицы"});
    }
    TMemTable later; // may take the number of the table just dropped
    later.AddRow()->SetCells({"новая"});
    EXPECT_EQ(later.Row(0)->Cell(0), "новая");
    EXPECT_EQ(names(small), QStringList({"e", "d", "c", "a"}));
    EXPECT_EQ(rows[999]->Cell(0), "999");

    QByteArray bytes = small.ToBytes();
    TMemTable loaded;
    ASSERT_TRUE(loaded.LoadFromBytes(bytes));
    EXPECT_EQ(names(loaded), names(small));
    loaded.Row(1)->SetCell(0, "длиннее, чем было"); // outgrows its slot in the loaded buffer
    EXPECT_EQ(names(loaded), QStringList({"e", "длиннее, чем было", "c", "a"}));
    EXPECT_EQ(loaded.RowEncoding(2), small.RowEncoding(2));
}
