// A power cut at any moment of a save, whatever it keeps of the calls not yet flushed, leaves books that
// the next start opens whole: the old ones or the new ones, every debt with its own returns. The save's
// file calls are recorded, every disk the power-cut model allows after each call is built, and each is
// opened as the next start would open it: the journal recovered, then the real base loader.
#include "bookstext.h"
#include "crashstates.h"
#include "fileshim.h"
#include "savedbase.h"

#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "messagerecorder.h"
#include "storage/tmemtable.h"
#include "storage/tsavetransaction.h"
#include "tablefiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

#include <fcntl.h>

namespace {

using crashstates::TDisk;

class PowerLoss : public TSavedBaseTest {
protected:
    void SetUp() override {
        // The disks tried are many thousands: they are laid out in memory where the machine has a
        // memory file system, since the model, not the file system under it, decides what a power
        // cut keeps.
        PointAt((memoryFolder.isValid() ? memoryFolder.path() : home.Path()) + "/data");
    }

    // A base with every file in place, its debts written newest first by an earlier run: the load sorts
    // them the other way, so the next save renumbers every debt and moves every returns file.
    void WriteBase(int debts) {
        ASSERT_TRUE(QDir().mkpath(base + "/Debt"));
        WriteRows(base + "/rashod", {{"01.02.2024", "Еда", "Хлеб", "100", "рубль", "", "Мама"}});
        WriteRows(base + "/purse", {{"рубль", "1", "900", "1"}, {"копилка", "1", "0", "0"}});
        WriteRows(root + "/BASE/user", {{"Мама", "Семья", "Администратор", "0"}});
        // The files the program adds to a base of its own.
        TBaseLoader::OpenBase(state);
        ASSERT_TRUE(TBaseLoader::SaveBase(state));
        WriteDebtsNewestFirst(base, debts);
        TBaseLoader::OpenBase(state);
    }

    // An expense with its purse amount, a new user, and the newest debt deleted.
    void ChangeTheBooks() {
        state.Table(TTableKind::Rashod)
            .InsertRow(0)
            ->SetCells({"02.02.2024", "Еда", "Сыр", "123", "рубль", "", "Мама"});
        state.Table(TTableKind::Purse).Row(0)->SetCell(2, "777");
        state.users.InsertRow(0)->SetCells({"Сын", "Семья", "Обычный пользователь", "0"});
        TMemTable& dolg = state.Table(TTableKind::Dolg);
        for (int i = 0; i < dolg.RowCount(); ++i)
            if (dolg.Row(i)->Cell(3) == DebtName(0)) {
                dolg.DeleteRow(i);
                break;
            }
    }

    // One more return of a debt: a save of its returns file alone.
    void AddAReturn(int debt) {
        TMemTable& dolg = state.Table(TTableKind::Dolg);
        for (int i = 0; i < dolg.RowCount(); ++i)
            if (dolg.Row(i)->Cell(3) == DebtName(debt))
                state.ReturnsTable(dolg.Row(i)->Cell(9).toInt())
                    .AddRow()
                    ->SetCells({"01.03.2024", ReturnSum(debt, 3), "рубль", ""});
    }

    // Only the files that differ from what the last opening left are written or removed: the folders
    // stay, as no save here makes or removes one.
    void PutBack(const TDisk& disk) {
        for (const auto& [path, bytes] : onDisk)
            if (!disk.count(path)) QFile::remove(path);
        for (const auto& [path, bytes] : disk) {
            const auto it = onDisk.find(path);
            if (it == onDisk.end() || it->second != bytes) WriteFileBytes(path, bytes);
        }
    }

    // The books the next start shows on this disk, or what went wrong on the way.
    struct TOpened {
        QString books;
        std::string fault;
    };
    TOpened OpenAsTheNextStart(const TDisk& disk) {
        if (onDisk.empty()) onDisk = FilesOnDisk(root + "/BASE");
        PutBack(disk);
        TMyType opened;
        TMessageRecorder boxes;
        OpenedAgain(opened);
        TOpened result;
        // A returns file a save was removing when the power went is kept aside as an orphan and told:
        // not the books, and nothing of them is lost.
        for (const TMessage& box : boxes.Boxes())
            if (!box.lines.value(0).startsWith("Найдены возвраты долгов") && result.fault.empty())
                result.fault = "a message: " + box.lines.join(" / ").toStdString();
        if (opened.damaged) result.fault = "the base opened damaged";
        if (opened.readOnly) result.fault = "the base opened read-only";
        const TMemTable& dolg = opened.Table(TTableKind::Dolg);
        for (int i = 0; i < dolg.RowCount(); ++i) {
            const QString name = dolg.Row(i)->Cell(3);
            if (name.isEmpty()) continue;
            const int debt = name.mid(name.lastIndexOf(' ') + 1).toInt();
            const TMemTable& returns = opened.ReturnsTable(dolg.Row(i)->Cell(9).toInt());
            bool own = returns.RowCount() >= 2;
            for (int r = 0; r < returns.RowCount(); ++r)
                own = own && returns.Row(r)->Cell(1).toInt() / 10 == debt;
            if (!own) result.fault = name.toStdString() + " shows returns that are not its own";
        }
        result.books = BooksText(opened);
        onDisk = FilesOnDisk(root + "/BASE");
        for (const auto& [path, bytes] : onDisk)
            if (QFileInfo(path).fileName().startsWith('.') ||
                QFileInfo(path).fileName() == savejournal::kFileName)
                result.fault = "left behind: " + path.toStdString();
        return result;
    }

    // Records the saves (each after its changes), then opens every disk a power cut after any of their
    // calls can leave. Once a save has said it is made, its books must never be lost again.
    void Explore(const char* what, const std::vector<std::function<void()>>& saves, bool bulk) {
        const TDisk start = FilesOnDisk(root + "/BASE");
        std::vector<size_t> ends;
        fileshim::Arm(fileshim::TMode::Record);
        for (const auto& change : saves) {
            change();
            if (!TBaseLoader::SaveBase(state)) break;
            ends.push_back(fileshim::Recorded().size());
        }
        fileshim::Disarm();
        ASSERT_EQ(ends.size(), saves.size()) << "a save failed";
        const std::vector<fileshim::TCall> calls = fileshim::Recorded();
        bool syncfs = false;
        for (const fileshim::TCall& c : calls)
            syncfs = syncfs || c.name == "syncfs";
        EXPECT_EQ(syncfs, bulk) << "the first save flushes "
                                << (bulk ? "many files at once" : "few one by one");

        // The books after each save, as the program leaves them.
        std::vector<QString> books{OpenAsTheNextStart(start).books};
        {
            crashstates::TReplay replay(start);
            std::string why;
            for (size_t i = 0; i < calls.size(); ++i) {
                ASSERT_TRUE(replay.Apply(calls[i], why)) << why;
                if (i + 1 != ends[books.size() - 1]) continue;
                EXPECT_EQ(replay.Unflushed(), 0)
                    << "save " << books.size() << " said it was made before all was flushed";
                books.push_back(OpenAsTheNextStart(replay.Current()).books);
                if (books.size() > ends.size()) break;
            }
        }
        for (size_t i = 1; i < books.size(); ++i)
            ASSERT_NE(books[i], books[i - 1]) << "save " << i << " changed nothing";

        // Every disk is opened once; one that is wrong after any call counts once, and the first few are
        // told in full.
        struct TSeen {
            TOpened opened;
            bool wrong = false;
        };
        std::map<TDisk, TSeen> seen;
        std::vector<long> shown(books.size());
        long wrong = 0;
        crashstates::TReplay replay(start);
        std::string why;
        size_t done = 0; // saves made
        for (size_t i = 0; i < calls.size(); ++i) {
            ASSERT_TRUE(replay.Apply(calls[i], why)) << why;
            ASSERT_LE(replay.Unflushed(), 20) << "too many states to try after call " << i;
            replay.EachCrashState([&](const TDisk& disk) {
                auto [it, fresh] = seen.try_emplace(disk);
                TSeen& found = it->second;
                if (fresh) found.opened = OpenAsTheNextStart(disk);
                const size_t next = std::min(done + 1, books.size() - 1);
                const bool before = found.opened.books == books[done];
                std::string fault = found.opened.fault;
                if (fault.empty() && !before && found.opened.books != books[next])
                    fault = "the books are neither those before this save nor after it";
                if (fresh && fault.empty()) ++shown[before ? done : next];
                if (fault.empty() || found.wrong) return;
                found.wrong = true;
                if (++wrong <= 5)
                    ADD_FAILURE() << "after call " << i + 1 << " (" << calls[i].name << "): " << fault;
            });
            if (done < ends.size() && i + 1 == ends[done]) ++done;
        }
        QStringList counts;
        for (size_t i = 0; i < shown.size(); ++i)
            counts << QString::number(shown[i]) +
                          (i == 0 ? " the old books" : " the books of save " + QString::number(i));
        std::printf(
            "%s: %zu file calls, %zu disk states tried, %ld of them not whole old or new books (%s)\n", what,
            calls.size(), seen.size(), wrong, counts.join(", ").toUtf8().constData());
        EXPECT_EQ(wrong, 0) << "disk states whose books are not whole old or new ones";
    }

    QTemporaryDir memoryFolder{QStringLiteral("/dev/shm/vellumora-XXXXXX")};
    TDisk onDisk;
};

} // namespace

TEST_F(PowerLoss, ASaveOfAFewFilesLeavesTheOldBooksOrTheNew) {
    // Seven files (three returns files among them) flushed one by one, then one returns file alone.
    WriteBase(4);
    Explore("a save of a few files, then of one", {[&] { ChangeTheBooks(); }, [&] { AddAReturn(2); }}, false);
}

TEST_F(PowerLoss, ASaveOfManyFilesLeavesTheOldBooksOrTheNew) {
    // Nine files: more than are flushed one by one.
    WriteBase(6);
    Explore("a save of many files", {[&] { ChangeTheBooks(); }}, true);
}

TEST(CrashStates, WhatIsNotFlushedMayBeKeptOrLostPieceByPiece) {
    using fileshim::TCall;
    const TCall create{"open", "/b/a", "", 5, O_WRONLY | O_CREAT, {}};
    const TCall write{"write", "", "", 5, 0, "новое"};
    const TCall flushFile{"fsync", "", "", 5, 0, {}};
    const TCall openFolder{"open", "/b", "", 6, O_RDONLY | O_DIRECTORY, {}};
    const TCall flushFolder{"fsync", "", "", 6, 0, {}};
    const TCall temp{"mkostemp", "/b/.t.tmp-abc123", "", 7, 0, {}};
    const TCall writeTemp{"write", "", "", 7, 0, "новое"};
    const TCall flushTemp{"fsync", "", "", 7, 0, {}};
    const TCall rename{"rename", "/b/.t.tmp-abc123", "/b/t", -1, 0, {}};
    const TCall syncfs{"syncfs", "", "", 6, 0, {}};
    const struct {
        const char* what;
        std::vector<TCall> calls;
        std::set<TDisk> disks;
    } cases[] = {
        {"a new file written",
         {create, write},
         {{{"/b/t", "старое"}}, {{"/b/t", "старое"}, {"/b/a", ""}}, {{"/b/t", "старое"}, {"/b/a", "новое"}}}},
        {"its data flushed",
         {create, write, flushFile},
         {{{"/b/t", "старое"}}, {{"/b/t", "старое"}, {"/b/a", "новое"}}}},
        {"its folder flushed too",
         {create, write, flushFile, openFolder, flushFolder},
         {{{"/b/t", "старое"}, {"/b/a", "новое"}}}},
        {"a file replaced by a rename, its folder not flushed",
         {temp, writeTemp, flushTemp, rename},
         {{{"/b/t", "старое"}}, {{"/b/t", "старое"}, {"/b/.t.tmp-abc123", "новое"}}, {{"/b/t", "новое"}}}},
        {"everything flushed with the file system",
         {create, write, temp, writeTemp, rename, openFolder, syncfs},
         {{{"/b/t", "новое"}, {"/b/a", "новое"}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        crashstates::TReplay replay(TDisk{{"/b/t", "старое"}});
        std::string why;
        for (const TCall& call : c.calls)
            ASSERT_TRUE(replay.Apply(call, why)) << why;
        std::set<TDisk> disks;
        replay.EachCrashState([&](const TDisk& disk) { disks.insert(disk); });
        EXPECT_EQ(disks, c.disks);
    }
}
