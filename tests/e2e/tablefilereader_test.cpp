// The tests' own reader of table files, against bytes made by hand from the format.
#include "tablefilereader.h"

#include "qtprint.h"

#include <gtest/gtest.h>

namespace {

using TRows = std::vector<QStringList>;

QByteArray Bytes(std::initializer_list<int> bytes) {
    QByteArray out;
    for (int b : bytes)
        out.append(char(b));
    return out;
}

TEST(TableFileReader, ReadsWhatTheFormatWrites) {
    const QString longCell(200, QLatin1Char('x'));
    QByteArray longRow = Bytes({0xCB, 0x01, 0x01, 0xC8, 0x01}); // 203 bytes: one cell of 200
    longRow.append(longCell.toLatin1());
    const struct {
        const char* what;
        QByteArray bytes;
        TRows rows;
    } cases[] = {
        {"an empty file", {}, {}},
        {"two cells, the second empty", Bytes({0x06, 0x02, 0x03, 'a', 'b', 'c', 0x00}), {{"abc", ""}}},
        {"a row of no cells", Bytes({0x01, 0x00}), {QStringList()}},
        {"Cyrillic in two bytes a letter", Bytes({0x06, 0x01, 0x04, 0xD0, 0x81, 0xD0, 0xB6}), {{"Ёж"}}},
        {"a cell length of two bytes", longRow, {{longCell}}},
        {"a surrogate pair written unit by unit",
         Bytes({0x08, 0x01, 0x06, 0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}),
         {{QString::fromUtf8("\xF0\x9F\x98\x80")}}},
        {"a four-byte sequence",
         Bytes({0x06, 0x01, 0x04, 0xF0, 0x9F, 0x98, 0x80}),
         {{QString::fromUtf8("\xF0\x9F\x98\x80")}}},
        {"rows in order",
         Bytes({0x03, 0x01, 0x01, '1', 0x05, 0x02, 0x01, '2', 0x01, '3'}),
         {{"1"}, {"2", "3"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TTableFile file = ReadTableBytes(c.bytes);
        EXPECT_EQ(file.error, QString());
        EXPECT_EQ(file.rows, c.rows);
    }
}

TEST(TableFileReader, TellsWhereAFileIsNotWhole) {
    const struct {
        const char* what;
        QByteArray bytes;
        const char* error;
    } cases[] = {
        {"a row of length 0", Bytes({0x03, 0x01, 0x01, '1', 0x00}),
         "a row length of 0 with 0 bytes left at byte 4"},
        {"a row cut short", Bytes({0x03, 0x01, 0x01, '1', 0x06, 0x02}),
         "a row length of 6 with 1 bytes left at byte 4"},
        {"a varint that runs out", Bytes({0x03, 0x01, 0x01, '1', 0x80}),
         "a row length that is no varint at byte 4"},
        {"a varint of six bytes", Bytes({0x80, 0x80, 0x80, 0x80, 0x80, 0x01}),
         "a row length that is no varint at byte 0"},
        {"a cell past its row", Bytes({0x03, 0x01, 0x05, 'a', 'b'}), "cell 0 runs past its row at byte 0"},
        {"slack after the cells", Bytes({0x04, 0x01, 0x01, 'a', 0x00}),
         "1 bytes after the cells of a row at byte 0"},
        {"a stray continuation byte", Bytes({0x03, 0x01, 0x01, 0x81}), "cell 0 is no UTF-8 at byte 0"},
        {"a sequence cut by the cell's end", Bytes({0x04, 0x02, 0x01, 0xD0, 0x00}),
         "cell 0 is no UTF-8 at byte 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TTableFile file = ReadTableBytes(c.bytes);
        EXPECT_EQ(file.error, QString::fromUtf8(c.error));
    }
    // The rows before the damage are kept.
    EXPECT_EQ(ReadTableBytes(Bytes({0x03, 0x01, 0x01, '1', 0x00})).rows, TRows({{"1"}}));
    EXPECT_EQ(ReadTableFile("/nonexistent/rashod").error, "no file to read");
}

} // namespace
