// Reading archives: damaged directories, damaged entries and hostile names.
#include "backup/tfileunzipper.h"
#include "backup/tfilezipper.h"
#include "backup/tziparchive.h"

#include "testfolders.h"
#include "ziptestkit.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A base of three files packed by the program.
struct TPackedBase {
    TTestDataHome home;
    QString archive = home.Path() + "/a.zip";
    QString target = home.Path() + "/target";
    QByteArray rashod = SampleBytes(200000, 1);
    QByteArray debt = SampleBytes(5000, 2);
    QByteArray purse = "\x02\x05рубль\x011";

    TPackedBase() {
        WriteFileBytes(home.Path() + "/base/rashod", rashod);
        WriteFileBytes(home.Path() + "/base/Debt/debt1", debt);
        WriteFileBytes(home.Path() + "/base/purse", purse);
        TFileZipper zipper;
        EXPECT_TRUE(zipper.Pack(archive, home.Path() + "/base"));
    }
    QByteArray Zip() const { return ReadFileBytes(archive); }
    quint32 Directory() const {
        const QByteArray z = Zip();
        return Le32(z, z.size() - 6);
    }
    void ExpectAllUnpacked() const {
        EXPECT_EQ(FilesUnder(target), QStringList({"Debt/debt1", "purse", "rashod"}));
        EXPECT_EQ(ReadFileBytes(target + "/rashod"), rashod);
        EXPECT_EQ(ReadFileBytes(target + "/Debt/debt1"), debt);
        EXPECT_EQ(ReadFileBytes(target + "/purse"), purse);
    }
};

QString Unpack(const QByteArray& zip, const QString& folder) {
    const QString archive = folder + "/crafted.zip";
    WriteFileBytes(archive, zip);
    TFileUnzipper unzipper;
    return unzipper.Unpack(archive, folder + "/target") ? QString() : unzipper.Error();
}

} // namespace

TEST(TFileUnzipper, ADamagedDirectoryIsRebuiltFromTheLocalHeaders) {
    const struct {
        const char* what;
        std::function<QByteArray(const QByteArray&, quint32 directory)> damage;
        QString directoryError;
    } cases[] = {
        {"directory cut off", [](const QByteArray& z, quint32 d) { return z.left(d); },
         "End header cannot be found"},
        {"cut in the directory", [](const QByteArray& z, quint32 d) { return z.left(d + 50); },
         "End header cannot be found"},
        {"offset past the end",
         [](const QByteArray& z, quint32) {
             QByteArray b = z;
             b[b.size() - 3] = '\x7F';
             return b;
         },
         "Error in end of central dir header"},
        {"size 0 with an offset",
         [](const QByteArray& z, quint32) {
             QByteArray b = z;
             b.replace(b.size() - 10, 4, QByteArray(4, '\0'));
             return b;
         },
         "Error in end of central dir header"},
        {"central signature broken",
         [](const QByteArray& z, quint32 d) {
             QByteArray b = z;
             b[d + 3] = '\x03';
             return b;
         },
         ""}, // the text names the signature and its place, checked below
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TPackedBase base;
        const quint32 directory = base.Directory();
        WriteFileBytes(base.archive, c.damage(base.Zip(), directory));
        TFileUnzipper unzipper;
        ASSERT_TRUE(unzipper.Unpack(base.archive, base.target)) << unzipper.Error().toStdString();
        if (c.directoryError.isEmpty()) {
            EXPECT_EQ(unzipper.DirectoryError(), "03014B50 " + QString::number(directory));
        } else {
            EXPECT_EQ(unzipper.DirectoryError(), c.directoryError);
        }
        base.ExpectAllUnpacked();
    }
}

TEST(TFileUnzipper, EmptyAndForeignFilesHaveNoEntries) {
    TTestDataHome home;
    for (const QByteArray& bytes : {QByteArray(), QByteArray("not an archive at all, PK but no header")}) {
        WriteFileBytes(home.Path() + "/a.zip", bytes);
        TFileUnzipper unzipper;
        std::vector<TZipItem> items{TZipItem{}};
        ASSERT_TRUE(unzipper.List(home.Path() + "/a.zip", items));
        EXPECT_TRUE(items.empty());
        EXPECT_TRUE(unzipper.Unpack(home.Path() + "/a.zip", home.Path() + "/t"));
        EXPECT_TRUE(FilesUnder(home.Path() + "/t").isEmpty());
    }
    TFileUnzipper unzipper;
    EXPECT_FALSE(unzipper.Unpack(home.Path() + "/missing.zip", home.Path() + "/t"));
    EXPECT_EQ(unzipper.Error(), "Can't open archive " + home.Path() + "/missing.zip");
}

TEST(TFileUnzipper, DamagedEntriesStopWithTheirError) {
    const QByteArray data = SampleBytes(70000, 3);
    const struct {
        const char* what;
        TRawEntry entry;
        QString error;
    } cases[] = {
        {"method 9", TRawEntry("x", data, 9), "unsupported method"},
        {"method 12", TRawEntry("x", data, 12), "unsupported method"},
        {"encrypted", TRawEntry("x", data).Flags(0x0001), "unsupported method"},
        {"wrong CRC", TRawEntry("x", data).Crc(0x12345678), "CRC doesn' match"},
        {"stored, wrong CRC", TRawEntry("x", data, 0).Crc(0x12345678), "CRC doesn' match"},
        {"inflates past its size", TRawEntry("x", data).Stated(60000), TZipArchive::ErrTooLong},
        {"stored past its size", TRawEntry("x", data, 0).Stated(1000), TZipArchive::ErrTooLong},
        {"short of its size", TRawEntry("x", data).Stated(80000), TZipArchive::ErrTooShort},
        {"local header missing", TRawEntry("x", data).At(7), "Error in local file header"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TTestDataHome home;
        // The file the entry would replace stays as it was.
        WriteFileBytes(home.Path() + "/target/x", "kept");
        EXPECT_EQ(Unpack(BuildZip({c.entry}), home.Path()), c.error);
        EXPECT_EQ(ReadFileBytes(home.Path() + "/target/x"), "kept");
        EXPECT_EQ(FilesUnder(home.Path() + "/target"), QStringList{"x"});
        TFileUnzipper unzipper;
        EXPECT_FALSE(unzipper.Verify(home.Path() + "/crafted.zip"));
        EXPECT_EQ(unzipper.Error(), c.error);
    }
}

TEST(TFileUnzipper, AnErrorStopsAtItsEntryAndKeepsTheOnesBefore) {
    TTestDataHome home;
    const QString error =
        Unpack(BuildZip({{"a", "first"}, TRawEntry("b", "second").Crc(1), {"c", "third"}}), home.Path());
    EXPECT_EQ(error, "CRC doesn' match");
    EXPECT_EQ(FilesUnder(home.Path() + "/target"), QStringList{"a"});
}

TEST(TFileUnzipper, VerifyChecksEveryEntryWithoutWriting) {
    TPackedBase base;
    TFileUnzipper unzipper;
    EXPECT_TRUE(unzipper.Verify(base.archive)) << unzipper.Error().toStdString();
    QByteArray zip = base.Zip();
    zip[36 + 100] = char(zip[36 + 100] ^ 0x40); // inside the data of the first entry
    WriteFileBytes(base.archive, zip);
    EXPECT_FALSE(unzipper.Verify(base.archive));
    EXPECT_FALSE(unzipper.Error().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(base.target));
}

TEST(TFileUnzipper, NamesLeadingOutOfTheTargetRefuseTheWholeArchive) {
    const QByteArray leaf = QStringLiteral("vm-zip-escape-%1").arg(::getpid()).toLatin1();
    const QByteArray absolute = QFile::encodeName(QDir::tempPath()) + "/" + leaf;
    const QByteArray names[] = {"../x",        "/tmp/x", "../" + leaf, "Debt/../../" + leaf,
                                "..\\" + leaf, absolute, "C:" + leaf,  "\\" + leaf};
    for (const QByteArray& name : names) {
        SCOPED_TRACE(name.toStdString());
        TTestDataHome home;
        const QString error = Unpack(BuildZip({{"rashod", "first"}, {name, "escape"}}), home.Path());
        EXPECT_EQ(error, "Unsafe file name: " + QString::fromLatin1(name).replace('\\', '/'));
        // Nothing is written anywhere, not even the harmless entry before it.
        EXPECT_EQ(FilesUnder(home.Path()), QStringList{"crafted.zip"});
        EXPECT_FALSE(QFileInfo::exists(absolute));
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(home.Path()).absolutePath() + "/" + leaf));
    }
}

TEST(TFileUnzipper, EntriesSharingTheirDataCannotUnpackWithoutEnd) {
    // One megabyte of zeros deflates to about a kilobyte; thousands of directory entries pointing at
    // it would unpack to gigabytes.
    const QByteArray zeros(1 << 20, '\0');
    const quint32 packed = quint32(RawDeflate(zeros, 6).size());
    std::vector<TRawEntry> entries{{"z", zeros}};
    for (int i = 0; i < 4000; ++i) {
        entries.push_back(
            TRawEntry("z", {}).Crc(Crc(zeros)).Stated(zeros.size()).At(0).Packed(packed).CentralOnly());
    }
    TTestDataHome home;
    WriteFileBytes(home.Path() + "/bomb.zip", BuildZip(entries));
    TFileUnzipper unzipper;
    EXPECT_FALSE(unzipper.Verify(home.Path() + "/bomb.zip"));
    EXPECT_EQ(unzipper.Error(), TZipArchive::ErrTooMuch);
}

TEST(TFileUnzipper, ScanTakesSizesFromDataDescriptors) {
    // An archive written as a stream, its directory lost: the sizes come after the data.
    const QByteArray data = "a row of the table, a row of the table, a row of the table";
    const QByteArray packed = RawDeflate(data, 6);
    QByteArray zip = BuildZip({TRawEntry("rashod", data).Flags(0x0008).Crc(0).Stated(0)});
    zip.truncate(30 + 6 + packed.size());
    zip.replace(18, 4, QByteArray(4, '\0')); // no compressed size either
    zip += Hex("50 4B 07 08");
    for (quint32 v : {Crc(data), quint32(packed.size()), quint32(data.size())})
        for (int i = 0; i < 4; ++i)
            zip += char((v >> (8 * i)) & 0xFF);
    TTestDataHome home;
    EXPECT_EQ(Unpack(zip, home.Path()), QString());
    EXPECT_EQ(ReadFileBytes(home.Path() + "/target/rashod"), data);
}

TEST(TFileUnzipper, FolderEntriesOfOtherToolsBecomeFolders) {
    TTestDataHome home;
    EXPECT_EQ(Unpack(BuildZip({{"Debt/", "", 0}, {"Debt/debt1", "1"}}), home.Path()), QString());
    EXPECT_TRUE(QFileInfo(home.Path() + "/target/Debt").isDir());
    EXPECT_EQ(ReadFileBytes(home.Path() + "/target/Debt/debt1"), "1");
}
