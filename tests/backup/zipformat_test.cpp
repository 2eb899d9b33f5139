// The bytes of the archives the program writes.
#include "backup/tfileunzipper.h"
#include "backup/tfilezipper.h"
#include "backup/tziparchive.h"
#include "backup/tzipitem.h"
#include "storage/codepage.h"

#include "testfolders.h"
#include "ziptestkit.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

quint16 DosTime(const QDateTime& t) {
    return quint16(t.time().hour() * 2048 + t.time().minute() * 32 + t.time().second() / 2);
}

quint16 DosDate(const QDateTime& t) {
    return quint16((t.date().year() - 1980) * 512 + t.date().month() * 32 + t.date().day());
}

QDateTime Local(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime);
}

} // namespace

TEST(TFileZipper, WritesOneEntryPerFileWithTheFixedHeaderValues) {
    TTestDataHome home;
    const QString base = home.Path() + "/base";
    struct {
        QString name;
        QByteArray bytes;
        QDateTime time;
    } files[] = {
        {"Debt/debt1", SampleBytes(3000, 2), Local(2023, 12, 31, 23, 59, 58)},
        {"rashod", SampleBytes(300000, 1), Local(2024, 3, 7, 14, 25, 37)},
    };
    for (const auto& f : files)
        WriteFileAt(base + "/" + f.name, f.bytes, f.time);
    const QString archive = home.Path() + "/2024-03-07.zip";
    TFileZipper zipper;
    ASSERT_TRUE(zipper.Pack(archive, base)) << zipper.Error().toStdString();
    const QByteArray zip = ReadFileBytes(archive);

    const qsizetype end = zip.size() - 22;
    ASSERT_EQ(Le32(zip, end), 0x06054B50u);
    EXPECT_EQ(Le32(zip, end + 4), 0u); // disk numbers
    EXPECT_EQ(Le16(zip, end + 8), 2);
    EXPECT_EQ(Le16(zip, end + 10), 2);
    EXPECT_EQ(Le16(zip, end + 20), 0); // comment
    const quint32 directory = Le32(zip, end + 16);
    EXPECT_EQ(directory + Le32(zip, end + 12), quint32(end));

    quint32 central = directory;
    quint32 local = 0; // entries follow one another from the start, in listing order
    for (const auto& f : files) {
        SCOPED_TRACE(f.name.toStdString());
        const QByteArray name = f.name.toLatin1();
        const QByteArray data = RawDeflate(f.bytes, 5);
        ASSERT_EQ(Le32(zip, central), 0x02014B50u);
        EXPECT_EQ(zip[central + 4], 20);
        EXPECT_EQ(zip[central + 5], 0);
        EXPECT_EQ(Le16(zip, central + 6), 20);
        EXPECT_EQ(Le16(zip, central + 8), 0);
        EXPECT_EQ(Le16(zip, central + 10), 8);
        EXPECT_EQ(Le16(zip, central + 12), DosTime(f.time));
        EXPECT_EQ(Le16(zip, central + 14), DosDate(f.time));
        EXPECT_EQ(Le32(zip, central + 16), Crc(f.bytes));
        EXPECT_EQ(Le32(zip, central + 20), quint32(data.size()));
        EXPECT_EQ(Le32(zip, central + 24), quint32(f.bytes.size()));
        EXPECT_EQ(Le16(zip, central + 28), name.size());
        EXPECT_EQ(zip.mid(central + 30, 12), QByteArray(12, '\0')); // extra, comment, disk, attributes
        EXPECT_EQ(Le32(zip, central + 42), local);
        EXPECT_EQ(zip.mid(central + 46, name.size()), name);

        ASSERT_EQ(Le32(zip, local), 0x04034B50u);
        EXPECT_EQ(Le16(zip, local + 4), 20);
        // Flags, method, time, date, CRC and sizes equal the central header's after the rewrite.
        EXPECT_EQ(zip.mid(local + 6, 20), zip.mid(central + 8, 20));
        EXPECT_EQ(Le16(zip, local + 28), 0);
        EXPECT_EQ(zip.mid(local + 30, name.size()), name);
        EXPECT_EQ(zip.mid(local + 30 + name.size(), data.size()), data);
        local += 30 + quint32(name.size() + data.size());
        central += 46 + quint32(name.size());
    }
    EXPECT_EQ(local, directory);
    EXPECT_EQ(central, quint32(end));

    const QString back = home.Path() + "/back";
    TFileUnzipper unzipper;
    ASSERT_TRUE(unzipper.Unpack(archive, back)) << unzipper.Error().toStdString();
    EXPECT_EQ(FilesUnder(back), QStringList({"Debt/debt1", "rashod"}));
    for (const auto& f : files) {
        EXPECT_EQ(ReadFileBytes(back + "/" + f.name), f.bytes);
        // DOS time keeps even seconds: an odd one comes back a second earlier.
        EXPECT_EQ(Modified(back + "/" + f.name), f.time.addSecs(-(f.time.time().second() % 2)));
    }
}

// Entries of every size the writing and reading work with in pieces: below, at and past the 64 KiB
// of the header stage and of the slices summed while deflating, past a 1 MiB block, and many small ones
// that share the stage. Each entry holds what zlib makes of the file in one call, its local header the
// final CRC and sizes whether it was still staged or already on disk when they became known, and the
// archive reads back whole, while a byte spoilt in any of its entries is found.
TEST(TFileZipper, EntriesOfEverySizeHoldOneDeflateStreamAndTheirFinalHeaders) {
    TTestDataHome home;
    const QString base = home.Path() + "/base";
    std::vector<std::pair<QString, QByteArray>> files;
    const auto random = [](qsizetype size, quint32 seed) {
        QByteArray bytes(size, Qt::Uninitialized);
        quint32 x = seed * 2654435761u + 1;
        for (char& c : bytes) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            c = char(x >> 24);
        }
        return bytes;
    };
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"a1", "x"},
        {"a2_64k_less_one_random", random(65535, 1)},
        {"a3_64k_random", random(65536, 2)},
        {"a4_64k_more_one", SampleBytes(65537, 3)},
        {"a5_1m_random", random(1 << 20, 4)},
        {"a6_1m_more_one", SampleBytes((1 << 20) + 1, 5)},
        {"a7_3m", SampleBytes(3 << 20, 6)},
    };
    for (const auto& c : cases)
        files.push_back({c.name, c.bytes});
    for (int i = 0; i < 80; ++i)
        files.push_back({QStringLiteral("b/small%1").arg(i, 2, 10, QLatin1Char('0')),
                         SampleBytes(1500 + i * 37, 10 + i)});
    for (const auto& [name, bytes] : files)
        WriteFileBytes(base + "/" + name, bytes);
    const QString archive = home.Path() + "/a.zip";
    TFileZipper zipper;
    ASSERT_TRUE(zipper.Pack(archive, base)) << zipper.Error().toStdString();
    const QByteArray zip = ReadFileBytes(archive);

    const qsizetype end = zip.size() - 22;
    ASSERT_EQ(Le32(zip, end), 0x06054B50u);
    ASSERT_EQ(Le16(zip, end + 10), files.size());
    quint32 central = Le32(zip, end + 16);
    std::vector<quint32> dataStarts;
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(Le32(zip, central), 0x02014B50u);
        const quint32 local = Le32(zip, central + 42);
        const QByteArray data = RawDeflate(bytes, 5);
        EXPECT_EQ(Le32(zip, central + 16), Crc(bytes));
        EXPECT_EQ(Le32(zip, central + 20), quint32(data.size()));
        EXPECT_EQ(Le32(zip, central + 24), quint32(bytes.size()));
        EXPECT_EQ(zip.mid(central + 46, name.size()), name.toLatin1());
        ASSERT_EQ(Le32(zip, local), 0x04034B50u);
        EXPECT_EQ(zip.mid(local + 6, 20), zip.mid(central + 8, 20));
        const quint32 start = local + 30 + quint32(name.size());
        EXPECT_EQ(zip.mid(start, data.size()), data);
        dataStarts.push_back(start);
        central += 46 + quint32(name.size());
    }

    TFileUnzipper unzipper;
    ASSERT_TRUE(unzipper.Verify(archive)) << unzipper.Error().toStdString();
    ASSERT_TRUE(unzipper.Unpack(archive, home.Path() + "/back")) << unzipper.Error().toStdString();
    for (const auto& [name, bytes] : files)
        EXPECT_EQ(ReadFileBytes(home.Path() + "/back/" + name), bytes) << name.toStdString();

    // One byte spoilt in the middle of the data of an entry early, across a block and last.
    for (size_t i : {size_t(1), size_t(5), size_t(6), files.size() - 1}) {
        SCOPED_TRACE(files[i].first.toStdString());
        QByteArray spoilt = zip;
        const qsizetype at = dataStarts[i] + RawDeflate(files[i].second, 5).size() / 2;
        spoilt[at] = char(spoilt[at] ^ 0x21);
        WriteFileBytes(archive, spoilt);
        EXPECT_FALSE(unzipper.Verify(archive));
        EXPECT_FALSE(unzipper.Error().isEmpty());
    }
}

TEST(TFileZipper, AnEmptyFileIsStoredWithSizesAndCrcZero) {
    TTestDataHome home;
    WriteFileBytes(home.Path() + "/base/empty", {});
    const QString archive = home.Path() + "/a.zip";
    TFileZipper zipper;
    ASSERT_TRUE(zipper.Pack(archive, home.Path() + "/base"));
    const QByteArray zip = ReadFileBytes(archive);
    EXPECT_EQ(Le16(zip, 8), 0);
    EXPECT_EQ(zip.mid(14, 12), QByteArray(12, '\0'));
    EXPECT_EQ(Le32(zip, 35), 0x02014B50u); // the directory follows the name at once
    TFileUnzipper unzipper;
    ASSERT_TRUE(unzipper.Unpack(archive, home.Path() + "/back")) << unzipper.Error().toStdString();
    EXPECT_TRUE(QFileInfo::exists(home.Path() + "/back/empty"));
    EXPECT_EQ(QFileInfo(home.Path() + "/back/empty").size(), 0);
}

TEST(TFileZipper, ArchiveLevelChoosesMethodAndZlibLevel) {
    const struct {
        int level;
        int method;
        int zlibLevel;
    } cases[] = {{-1, 0, 0}, {0, 0, 0}, {1, 8, 1}, {2, 8, 3}, {3, 8, 5}, {4, 8, 7}, {5, 8, 9}, {7, 8, 9}};
    TTestDataHome home;
    const QByteArray bytes = SampleBytes(400000, 7);
    WriteFileBytes(home.Path() + "/base/rashod", bytes);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        const QString archive = home.Path() + "/a.zip";
        TFileZipper zipper(c.level);
        ASSERT_TRUE(zipper.Pack(archive, home.Path() + "/base"));
        const QByteArray zip = ReadFileBytes(archive);
        EXPECT_EQ(Le16(zip, 8), c.method);
        const QByteArray data = c.method == 0 ? bytes : RawDeflate(bytes, c.zlibLevel);
        EXPECT_EQ(Le32(zip, 18), quint32(data.size()));
        EXPECT_EQ(zip.mid(36, data.size()), data);
    }
}

TEST(TFileZipper, AFailedPackLeavesTheEarlierArchiveWhole) {
    TTestDataHome home;
    const QString archive = home.Path() + "/out/2024-03-07.zip";
    WriteFileBytes(archive, "the archive of this morning");
    WriteFileBytes(home.Path() + "/base/rashod", SampleBytes(5000, 1));
    TFileZipper zipper;
    EXPECT_FALSE(zipper.PackFiles(
        archive, {{home.Path() + "/base/rashod", "rashod"}, {home.Path() + "/base/gone", "gone"}}));
    EXPECT_EQ(zipper.Error(), "Can't read file " + home.Path() + "/base/gone");
    EXPECT_EQ(ReadFileBytes(archive), "the archive of this morning");
    EXPECT_EQ(QDir(home.Path() + "/out").entryList(QDir::Files | QDir::Hidden),
              QStringList{"2024-03-07.zip"});
    EXPECT_FALSE(zipper.Pack(home.Path() + "/no/such/folder/a.zip", home.Path() + "/base"));
    EXPECT_FALSE(zipper.Pack(archive, home.Path() + "/no such base"));
}

TEST(TFileZipper, AnArchiveInsideThePackedFolderLeavesItselfOut) {
    TTestDataHome home;
    const QString base = home.Path() + "/base";
    WriteFileBytes(base + "/rashod", "1");
    TFileZipper zipper;
    ASSERT_TRUE(zipper.Pack(base + "/copy.zip", base));
    ASSERT_TRUE(zipper.Pack(base + "/copy.zip", base));
    std::vector<TZipItem> items;
    TFileUnzipper unzipper;
    ASSERT_TRUE(unzipper.List(base + "/copy.zip", items));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Name, "rashod");
}

TEST(TZipItem, TimesAtTheResolutionAndRangeOfDos) {
    const struct {
        QDateTime file;
        QDateTime stored;
    } cases[] = {
        {Local(2024, 3, 7, 14, 25, 37), Local(2024, 3, 7, 14, 25, 36)},
        {Local(1980, 1, 1, 0, 0, 0), Local(1980, 1, 1, 0, 0, 0)},
        {Local(2107, 12, 31, 23, 59, 59), Local(2107, 12, 31, 23, 59, 58)},
        {Local(1975, 6, 1, 10, 0, 0), Local(1980, 1, 1, 0, 0, 0)},
        {Local(2110, 1, 1, 10, 0, 0), Local(2107, 12, 31, 23, 59, 58)},
    };
    for (const auto& c : cases) {
        TZipItem item;
        item.SetTime(c.file.toSecsSinceEpoch());
        EXPECT_EQ(item.Time(), c.stored) << c.file.toString().toStdString();
    }
    TZipItem bad;
    bad.DosDate = (44 << 9) | (13 << 5) | 1; // month 13
    EXPECT_FALSE(bad.Time().isValid());
}

TEST(TZipItem, NamesThatCouldLeaveTheTargetFolderAreRefused) {
    const struct {
        QByteArray raw;
        bool safe;
        QString relative;
        bool folder;
    } cases[] = {
        {"rashod", true, "rashod", false},
        {"Debt/debt1", true, "Debt/debt1", false},
        {"Debt\\debt1", true, "Debt/debt1", false},
        {"Debt/", true, "Debt", true},
        {"./Debt//debt1", true, "Debt/debt1", false},
        {"../x", false, "", false},
        {"Debt/../../x", false, "", false},
        {"..\\x", false, "", false},
        {"/tmp/x", false, "", false},
        {"\\tmp\\x", false, "", false},
        {"C:/x", false, "", false},
        {"C:x", false, "", false},
        {"..", false, "", false},
        {"", false, "", false},
        {"./", false, "", true},
        {QByteArray("a\0b", 3), false, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.raw.toStdString());
        TZipItem item;
        item.SetEncodedName(c.raw);
        QString relative;
        EXPECT_EQ(item.SafeRelativePath(relative), c.safe);
        if (c.safe) {
            EXPECT_EQ(relative, c.relative);
        }
        EXPECT_EQ(item.IsFolder, c.folder);
    }
}

TEST(TZipItem, NamesAreInTheDosCodePageUnlessTheyAreUtf8) {
    const QByteArray cp866("\x84\xAE\xAB\xA3/\xE0\xA0\xE1\xE5\xAE\xA4");
    const QByteArray utf8 = QStringLiteral("Долг/расход").toUtf8();
    const struct {
        const char* what;
        QByteArray raw;
        quint16 flags;
        QString name;
    } cases[] = {
        {"CP866", cp866, 0, QStringLiteral("Долг/расход")},
        {"UTF-8 with the flag", utf8, TZipItem::FlagUtf8, QStringLiteral("Долг/расход")},
        {"UTF-8 without the flag, as Info-ZIP writes it", utf8, 0, QStringLiteral("Долг/расход")},
        {"ASCII", "Debt/debt1", 0, QStringLiteral("Debt/debt1")},
        // Lone UTF-8 lead bytes and a cut sequence: not UTF-8, so CP866.
        {"CP866 capitals", "\x84\x8E\x8B\x83", 0, QStringLiteral("ДОЛГ")},
        {"UTF-8 cut short", utf8.left(utf8.size() - 1), 0, FromCp866(utf8.left(utf8.size() - 1))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TZipItem item;
        item.Flags = c.flags;
        item.SetEncodedName(c.raw);
        EXPECT_EQ(item.Name, c.name);
    }
    // What the program writes stays CP866 without the flag.
    TZipItem item;
    item.Name = QStringLiteral("Долг/расход");
    EXPECT_EQ(item.EncodedName(), cp866);
}

TEST(TZipArchive, EntriesFromMemoryTakeTheMethodAskedWhateverTheLevel) {
    TTestDataHome home;
    const QByteArray text = SampleBytes(200000, 3);
    for (int level : {0, ZipDefaultLevel}) {
        SCOPED_TRACE(level);
        const QString path = home.Path() + QStringLiteral("/memory%1.zip").arg(level);
        TZipArchive writer;
        ASSERT_TRUE(writer.Create(path, level));
        ASSERT_TRUE(writer.AddData("mimetype", "application/x-test", true));
        ASSERT_TRUE(writer.AddData("packed/text", text, false));
        ASSERT_TRUE(writer.AddData("empty", QByteArray(), false));
        ASSERT_TRUE(writer.Finish()) << writer.Error().toStdString();

        const QByteArray zip = ReadFileBytes(path);
        EXPECT_EQ(Le16(zip, 8), 0);  // the first entry is stored
        EXPECT_EQ(Le16(zip, 28), 0); // without an extra field
        EXPECT_EQ(zip.mid(30, 8), "mimetype");
        EXPECT_EQ(zip.mid(38, 18), "application/x-test");

        TZipArchive reader;
        ASSERT_TRUE(reader.Open(path));
        ASSERT_EQ(reader.Items().size(), 3u);
        const int methods[] = {ZipMethodStore, ZipMethodDeflate, ZipMethodStore};
        const QByteArray contents[] = {"application/x-test", text, QByteArray()};
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(reader.Items()[i].Method, methods[i]) << i;
            QByteArray back;
            QString error;
            EXPECT_TRUE(reader.Decode(
                reader.Items()[i],
                [&](const char* d, size_t n) {
                    back.append(d, qsizetype(n));
                    return true;
                },
                error))
                << error.toStdString();
            EXPECT_EQ(back, contents[i]) << i;
        }
    }
}
