// What a restore refuses from an archive's listing, before a byte of it is unpacked, and what it never
// takes from an archive nor puts into one.
#include "arhivefixture.h"

#include "backup/tfileunzipper.h"
#include "backup/tzipitem.h"
#include "storage/tsettingsfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

const TMessage kNotOurs = Info({"Данный файл не является архивом баз программы,", "или архив был поврежден"});
const TMessage kNoSpace = Info({"Недостаточно места на диске для восстановления архива."});
const TMessage kNotRestored = Info({"Архив не был восстановлен"});

constexpr quint64 kMiB = quint64(1) << 20;
constexpr quint64 kGiB = quint64(1) << 30;

// A listing as a directory gives it: names as stored, with their stated sizes.
std::vector<TZipItem> Listing(const std::vector<std::pair<QByteArray, quint32>>& entries) {
    std::vector<TZipItem> items;
    for (const auto& [name, size] : entries) {
        TZipItem item;
        item.SetEncodedName(name);
        item.UncompressedSize = size;
        items.push_back(item);
    }
    return items;
}

TEST(RestoreListing, SizesNamesAndTheInformationTableDecide) {
    const quint64 margin = arhive::kFreeSpaceMargin;
    const quint32 limit = quint32(arhive::kRestoreLimit);
    const std::vector<TMessage> notOurs = {kNotOurs, kNotRestored};
    const std::vector<TMessage> noSpace = {kNoSpace, kNotRestored};
    struct Case {
        const char* what;
        std::vector<std::pair<QByteArray, quint32>> entries;
        quint64 freeBytes;
        std::vector<TMessage> boxes; // none: the archive may be unpacked
    };
    const quint64 plenty = 10 * kGiB;
    const quint32 tenMiB = quint32(10 * kMiB);
    const std::vector<Case> cases = {
        {"a base", {{"arviveInfo", 200}, {"rashod", 5000}, {"Debt/debt0", 300}}, plenty, {}},
        {"its table named in other letters", {{"ARVIVEINFO", 200}, {"rashod", 5000}}, plenty, {}},
        {"the limit itself", {{"arviveInfo", 200}, {"rashod", limit - 200}}, plenty, {}},
        {"a byte past the limit", {{"arviveInfo", 201}, {"rashod", limit - 200}}, plenty, notOurs},
        {"an entry of 4 GiB or more", {{"arviveInfo", 200}, {"rashod", 0xFFFFFFFFu}}, 100 * kGiB, notOurs},
        {"past the limit together", {{"arviveInfo", 2}, {"a", limit / 2}, {"b", limit / 2}}, plenty, notOurs},
        {"no information table", {{"rashod", 5000}}, plenty, notOurs},
        {"the table in a sub-folder only", {{"Debt/arviveInfo", 200}, {"rashod", 5000}}, plenty, notOurs},
        {"the table as a folder", {{"arviveInfo/", 0}, {"rashod", 5000}}, plenty, notOurs},
        {"a name twice", {{"arviveInfo", 200}, {"rashod", 5}, {"rashod", 7}}, plenty, notOurs},
        {"twice by a backslash", {{"arviveInfo", 2}, {"Debt/debt0", 5}, {"Debt\\debt0", 5}}, plenty, notOurs},
        {"twice through a dot", {{"arviveInfo", 2}, {"Debt/debt0", 5}, {"Debt/./debt0", 5}}, plenty, notOurs},
        {"the table twice in two cases", {{"arviveInfo", 200}, {"arviveinfo", 200}}, plenty, notOurs},
        {"a name leading outside", {{"arviveInfo", 200}, {"../rashod", 5}}, plenty, notOurs},
        {"room for it and the margin", {{"arviveInfo", 0}, {"rashod", tenMiB}}, tenMiB + margin, {}},
        {"a byte less", {{"arviveInfo", 0}, {"rashod", tenMiB}}, tenMiB + margin - 1, noSpace},
        {"less free than the margin", {{"arviveInfo", 0}}, margin - 1, noSpace},
        {"a full disk", {{"arviveInfo", 200}}, 0, noSpace},
        {"damage is told before room", {{"rashod", 5000}}, 0, notOurs},
    };
    for (const Case& c : cases) {
        TMessageRecorder messages;
        EXPECT_EQ(arhive::AcceptListing(Listing(c.entries), c.freeBytes), c.boxes.empty()) << c.what;
        EXPECT_EQ(messages.Boxes(), c.boxes) << c.what;
    }
}

// Each archive is refused through the restore command with the open base, its users and every other
// file left as they were: no scratch folder stays, and the waiting panel never showed, so nothing was
// unpacked.
TEST_F(ArhiveTest, ArchivesNotWholeOrNotABaseAreRefusedBeforeAnythingIsUnpacked) {
    const QString good = Pack();
    const QByteArray zip = ReadFileBytes(good);
    const QByteArray info = ReadFileBytes(books.File("Base1", "arviveInfo"));
    std::vector<TZipItem> items;
    ASSERT_TRUE(TFileUnzipper().List(good, items));
    auto byOffset = [](const TZipItem& a, const TZipItem& b) { return a.LocalOffset < b.LocalOffset; };
    auto bySize = [](const TZipItem& a, const TZipItem& b) { return a.CompressedSize < b.CompressedSize; };
    const TZipItem last = *std::max_element(items.begin(), items.end(), byOffset);
    const TZipItem biggest = *std::max_element(items.begin(), items.end(), bySize);
    ASSERT_GT(biggest.CompressedSize, 8u);
    const qsizetype biggestData = qsizetype(biggest.LocalOffset) + 30 + Le16(zip, biggest.LocalOffset + 26);
    const quint32 directory = Le32(zip, zip.size() - 6);

    struct Case {
        const char* what;
        QByteArray bytes; // none: written apart
    };
    const std::vector<Case> cases = {
        {"cut in the directory", zip.left(directory + 50)},
        {"cut at the last entry's local header", zip.left(last.LocalOffset)},
        {"cut in an entry's data", zip.left(biggestData + biggest.CompressedSize / 2)},
        {"a name twice", BuildZip({TRawEntry("arviveInfo", info), TRawEntry("Debt/debt0", "a"),
                                   TRawEntry("Debt\\debt0", "b")})},
        {"more than 2 GiB stated",
         BuildZip({TRawEntry("arviveInfo", info), TRawEntry("rashod", "x").Stated(0x50000000),
                   TRawEntry("dohod", "y").Stated(0x50000000)})},
        {"1 GiB of zeros without an information table", {}},
    };
    QStringList paths;
    for (const Case& c : cases) {
        paths << books.home.Path() + QStringLiteral("/case%1.zip").arg(paths.size());
        if (c.bytes.isEmpty())
            ASSERT_TRUE(WriteZerosZip(paths.back(), "rashod", quint32(kGiB)));
        else
            WriteFileBytes(paths.back(), c.bytes);
    }
    const auto base = Snapshot(books.Folder("Base1"));
    const TRows users = books.UsersOnDisk();
    const QStringList tree = TreeOf(books.home.Path());

    for (size_t i = 0; i < cases.size(); ++i) {
        const char* what = cases[i].what;
        busy.clear();
        TMessageRecorder messages;
        messages.AnswerYes();
        messages.AnswerYes();
        EXPECT_EQ(restore.Restore(paths[int(i)]), TArhiveRestore::TResult::Failed) << what;
        EXPECT_EQ(messages.Boxes(), (std::vector<TMessage>{kAskReplace, kAskDestroy, kNotOurs, kNotRestored}))
            << what;
        EXPECT_TRUE(busy.empty()) << what;
        EXPECT_EQ(Snapshot(books.Folder("Base1")), base) << what;
        EXPECT_EQ(books.UsersOnDisk(), users) << what;
        EXPECT_EQ(TreeOf(books.home.Path()), tree) << what;
    }
    EXPECT_EQ(reloads, 0);
}

// Each archive is Info-ZIP's packing of the base's files as the program packs them, one thing changed
// first: zip sums the CRCs of what it is given, so every entry unpacks clean. Restored over the open
// base through the command's questions, an archive with a file of the base the loader could not read,
// or with a link among its entries, is refused and the base, its users and everything around them stay
// byte for byte; an archive that merely carries files no base has gives back the base and names them.
TEST_F(ArhiveTest, EveryFileOfTheBaseIsReadBeforeTheBaseIsReplaced) {
    const QString zip = FindTool("zip");
    if (zip.isEmpty()) {
        GTEST_SKIP() << "zip is not installed";
    }
    ASSERT_TRUE(arhive::WriteInfo(books.state));
    WriteFileBytes(books.File("Base1", "Tarnwell.ini"), "[MainForm]\r\nMaximized=1\r\n");
    SaveLastUser(books.state.BaseRoot(), "Анна"); // as her log-in left it
    const auto base = Snapshot(books.Folder("Base1"));

    using TChange = std::function<void(const QString& staging)>;
    auto write = [](const QString& rel, const QByteArray& bytes) -> TChange {
        return [=](const QString& staging) { WriteFileBytes(staging + "/" + rel, bytes); };
    };
    auto link = [](const QString& rel, const QString& target) -> TChange {
        return [=](const QString& staging) {
            QDir(staging + "/" + rel).removeRecursively();
            QFile::remove(staging + "/" + rel);
            QFile::link(target, staging + "/" + rel);
        };
    };
    QStringList extras = {"notes.txt", "RASHOD", "Debt/debt01", "Debt/debt0.damaged-2024-03-01-120000"};
    for (int i = 1; i <= 8; ++i)
        extras << QStringLiteral("Документы/файл%1").arg(i);
    const TChange addExtras = [extras](const QString& staging) {
        for (const QString& rel : extras)
            WriteFileBytes(staging + "/" + rel, "not the program's");
    };
    const QByteArray dolg = base.at("dolg");
    const TMessage replaced = Info({"База заменена"});
    const TMessage named = Info({"Из архива не восстановлены файлы, которых нет в базах программы:",
                                 "Debt/debt0.damaged-2024-03-01-120000", "Debt/debt01", "RASHOD", "notes.txt",
                                 "Документы/файл1", "Документы/файл2", "Документы/файл3", "Документы/файл4",
                                 "Документы/файл5", "Документы/файл6", "и ещё 2"});
    auto unreadable = [](const char* name) {
        return Info(
            {QStringLiteral("Архив повреждён: таблица \"%1\" не читается.").arg(name), "База не изменена."});
    };
    struct Case {
        const char* what;
        TChange change;
        std::vector<TMessage> boxes; // after the two questions of the command
    };
    const std::vector<Case> cases = {
        {"expenses that are not a table", write("rashod", Hex("09 01")), {unreadable("rashod")}},
        {"debts cut short", write("dolg", dolg.left(dolg.size() / 2)), {unreadable("dolg")}},
        {"a debt's returns with a zero-length row",
         write("Debt/debt0", Hex("00")),
         {unreadable("Debt/debt0")}},
        {"a kinds list", write("vidrashod", Hex("85 80 80 80 80 01")), {unreadable("vidrashod")}},
        {"the purses", write("purse", Hex("7f 02")), {unreadable("purse")}},
        {"settings that are not text",
         write("Tarnwell.ini", Hex("5b 4d 00 5d")),
         {unreadable("Tarnwell.ini")}},
        {"expenses as a link", link("rashod", "/etc/passwd"), {unreadable("rashod")}},
        {"the returns folder as a link", link("Debt", "/tmp"), {unreadable("Debt")}},
        {"a link among files of no base", link("notes", "rashod"), {unreadable("notes")}},
        {"files no base has", addExtras, {replaced, named}},
    };
    QStringList archives;
    for (const Case& c : cases) {
        const QString staging = books.home.Path() + QStringLiteral("/stage%1").arg(archives.size());
        for (const auto& [rel, bytes] : base)
            WriteFileBytes(staging + "/" + rel, bytes);
        c.change(staging);
        archives << books.home.Path() + QStringLiteral("/case%1.zip").arg(archives.size());
        QString output;
        ASSERT_EQ(RunTool(zip, {"-q", "-r", "-y", archives.back(), "."}, staging, &output), 0)
            << c.what << output.toStdString();
    }
    TRows users = books.UsersOnDisk();
    std::sort(users.begin(), users.end());
    const QStringList tree = TreeOf(books.home.Path());

    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        TMessageRecorder messages;
        messages.AnswerYes();
        messages.AnswerYes();
        const bool takes = c.boxes.front() == replaced;
        EXPECT_EQ(restore.Restore(archives[int(i)]),
                  takes ? TArhiveRestore::TResult::Replaced : TArhiveRestore::TResult::Failed)
            << c.what;
        std::vector<TMessage> boxes = {kAskReplace, kAskDestroy};
        boxes.insert(boxes.end(), c.boxes.begin(), c.boxes.end());
        EXPECT_EQ(messages.Boxes(), boxes) << c.what;
        EXPECT_EQ(Snapshot(books.Folder("Base1")), base) << c.what;
        TRows usersAfter = books.UsersOnDisk();
        std::sort(usersAfter.begin(), usersAfter.end());
        EXPECT_EQ(usersAfter, users) << c.what;
        EXPECT_EQ(TreeOf(books.home.Path()), tree) << c.what;
    }
    EXPECT_EQ(reloads, 1);
}

TEST_F(ArhiveTest, TheScratchOfSavesIsNeitherPackedNorRestored) {
    const QStringList scratch = {"zhurnal", ".rashod.tmp-abc123", "Debt/.debt0.tmp-abc123"};
    for (const QString& rel : scratch)
        WriteFileBytes(books.File("Base1", rel), "the open base's own");
    const QString packed = Pack();
    const QStringList names = EntryNames(packed);
    for (const QString& rel : scratch)
        EXPECT_FALSE(names.contains(rel)) << qPrintable(rel);
    EXPECT_TRUE(names.contains("rashod"));

    // An archive made elsewhere that carries them. Neither its scratch nor the open base's may end up in
    // the restored base: a journal there would be carried out over the restored files at the next load.
    std::map<QString, QByteArray> expected;
    std::vector<TRawEntry> entries;
    for (const auto& [rel, bytes] : Snapshot(books.Folder("Base1"))) {
        const bool isScratch = scratch.contains(rel);
        entries.emplace_back(rel.toUtf8(), isScratch ? QByteArray("from the archive") : bytes);
        if (!isScratch) expected[rel] = bytes;
    }
    const QString carrying = books.home.Path() + "/carrying.zip";
    WriteFileBytes(carrying, BuildZip(entries));
    WriteRows(books.File("Base1", "rashod"), {{"03.03.2024", "Еда", "Сыр", "300", "рубль", "", "Анна"}});

    TArhiveHooks h = hooks();
    h.reloadBase = nullptr; // a load would clear the scratch away by itself
    restore.SetHooks(h);
    TMessageRecorder messages;
    EXPECT_EQ(restore.RestoreOver(carrying), TArhiveRestore::TResult::Replaced);
    EXPECT_EQ(messages.Boxes(), std::vector<TMessage>{Info({"База заменена"})});
    EXPECT_EQ(Snapshot(books.Folder("Base1")), expected);
}

} // namespace
