// A save of a base stopped at any one of its file operations, by a kill or by a failing disk, leaves
// books that open wholly as they were before it or wholly as they are after it: every debt with its
// own returns and purse amounts that match the records.
#include "fileshim.h"
#include "savedbase.h"

#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "messagerecorder.h"
#include "storage/tmemtable.h"
#include "tablefiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Enough debts that renumbering them moves returns from file to file and leaves one file over, and,
// with the other tables of a first save, more files than are flushed one by one.
constexpr int kDebts = 4;

class SaveCrash : public TSavedBaseTest {
protected:
    void SetUp() override {
        TSavedBaseTest::SetUp();
        WriteDebtsNewestFirst(base, kDebts);
        WriteRows(base + "/rashod", {{"01.02.2024", "Еда", "Хлеб", "100", "рубль", "", "Мама"}});
        WriteRows(base + "/purse", {{"рубль", "1", "900", "1"}, {"копилка", "1", "0", "0"}});
        WriteRows(root + "/BASE/user", {{"Мама", "Семья", "Администратор", "0"}});
    }

    // What the family did before the save: an expense of 123 from "рубль" (whose amount follows), a new
    // user, and the newest debt deleted.
    void ChangeTheBooks() {
        TMemTable& rashod = state.Table(TTableKind::Rashod);
        rashod.InsertRow(0)->SetCells({"02.02.2024", "Еда", "Сыр", "123", "рубль", "", "Мама"});
        TMemTable& purse = state.Table(TTableKind::Purse);
        purse.Row(0)->SetCell(2, "777");
        state.users.InsertRow(0)->SetCells({"Сын", "Семья", "Обычный пользователь", "0"});
        TMemTable& dolg = state.Table(TTableKind::Dolg);
        for (int i = 0; i < dolg.RowCount(); ++i)
            if (dolg.Row(i)->Cell(3) == DebtName(0)) {
                dolg.DeleteRow(i);
                break;
            }
    }

    TFiles FilesOnDisk() const { return ::FilesOnDisk(root + "/BASE"); }
    void PutBack(const TFiles& files) { PutFilesBack(root + "/BASE", files); }

    // Saves in a child process stopped as the shim is armed; the exit code says how the save ended.
    enum class TEnd { Saved, Told, NotTold, Killed };
    TEnd SaveInChild(fileshim::TMode mode, long at) {
        const pid_t child = ::fork();
        if (child == 0) {
            TMessageRecorder boxes;
            fileshim::Arm(mode, at);
            const bool saved = TBaseLoader::SaveAndTell(state);
            fileshim::Disarm();
            const bool told =
                boxes.Boxes().size() == 1 && boxes.Boxes()[0].lines.value(0) == "Не удалось сохранить базу";
            ::_exit(saved ? 0 : told ? 1 : 2);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFSIGNALED(status)) return TEnd::Killed;
        return WEXITSTATUS(status) == 0 ? TEnd::Saved : WEXITSTATUS(status) == 1 ? TEnd::Told : TEnd::NotTold;
    }

    // The books as the next start finds them, after its opening of the base has done its repairs.
    TFiles OpenedAgain(std::vector<std::string>& faults) {
        TMyType opened;
        TMessageRecorder boxes;
        TSavedBaseTest::OpenedAgain(opened);
        // A returns file that a kill left beyond the debts is kept aside and told, which is no damage.
        const bool onlyKeptAside =
            boxes.Boxes().empty() || (boxes.Boxes().size() == 1 &&
                                      boxes.Boxes()[0].lines.value(0) ==
                                          "Найдены возвраты долгов, которые не относятся ни к одному долгу:");
        if (!onlyKeptAside || opened.damaged) faults.push_back("the base opened damaged");
        const TMemTable& dolg = opened.Table(TTableKind::Dolg);
        for (int i = 0; i < dolg.RowCount(); ++i) {
            const QString name = dolg.Row(i)->Cell(3);
            if (name.isEmpty()) continue;
            const int debt = name.mid(name.lastIndexOf(' ') + 1).toInt();
            const TMemTable& returns = opened.ReturnsTable(dolg.Row(i)->Cell(9).toInt());
            if (returns.RowCount() != 2 || returns.Row(0)->Cell(1) != ReturnSum(debt, 1) ||
                returns.Row(1)->Cell(1) != ReturnSum(debt, 2))
                faults.push_back(name.toStdString() + " shows returns that are not its own");
        }
        // The purse amount follows the expenses: 1000 at the start.
        long double spent = 0;
        const TMemTable& rashod = opened.Table(TTableKind::Rashod);
        for (int i = 0; i < rashod.RowCount(); ++i)
            spent += rashod.Row(i)->Cell(3).toDouble();
        if (opened.Table(TTableKind::Purse).Row(0)->Cell(2).toDouble() != double(1000 - spent))
            faults.push_back("the purse does not match the expenses");
        return FilesOnDisk();
    }

    // The files that count: returns files beyond the debts of the table are never read, and those kept
    // aside are not the books.
    TFiles Counting(TFiles files) const {
        TMemTable dolg;
        dolg.LoadFromBytes(files[base + "/dolg"]);
        const QString returns = base + "/Debt/debt";
        for (auto it = files.begin(); it != files.end();) {
            const QString name = it->first;
            const bool spare =
                name.startsWith(returns) && name.mid(returns.size()).toInt() >= dolg.RowCount();
            it = spare || name.contains(".damaged-") || name.contains(".orphan-") ? files.erase(it)
                                                                                  : std::next(it);
        }
        return files;
    }

    // big: the base as an earlier run left it, every debt renumbered by the save. Otherwise the base
    // was saved in its own order first and only an expense and its purse change: a save of a few files.
    void Check(fileshim::TMode mode, bool big) {
        TBaseLoader::OpenBase(state);
        if (big) {
            ChangeTheBooks();
        } else {
            ASSERT_TRUE(TBaseLoader::SaveBase(state));
            state.Table(TTableKind::Rashod)
                .InsertRow(0)
                ->SetCells({"03.02.2024", "Еда", "Чай", "50", "рубль", "", "Мама"});
            state.Table(TTableKind::Purse).Row(0)->SetCell(2, "850");
        }
        const TFiles before = FilesOnDisk();
        ASSERT_EQ(SaveInChild(fileshim::TMode::Count, 0), TEnd::Saved);
        const long points = fileshim::Counted();
        std::vector<std::string> faults;
        const TFiles after = Counting(OpenedAgain(faults));
        ASSERT_TRUE(faults.empty()) << faults.front();
        PutBack(before);
        ASSERT_TRUE(Counting(OpenedAgain(faults)) != after);
        ASSERT_TRUE(faults.empty()) << faults.front();

        int oldOnes = 0, newOnes = 0;
        std::set<std::string> struck;
        for (long at = 1; at <= points; ++at) {
            PutBack(before);
            const TEnd end = SaveInChild(mode, at);
            struck.insert(fileshim::StruckName());
            const std::string where = std::to_string(at) + " (" + fileshim::StruckName() + ")";
            ASSERT_EQ(fileshim::Struck(), at) << where;
            if (mode == fileshim::TMode::Kill)
                ASSERT_EQ(end, TEnd::Killed) << where;
            else
                ASSERT_NE(end, TEnd::NotTold) << "a failure at " << where << " was not told";
            faults.clear();
            const TFiles found = Counting(OpenedAgain(faults));
            EXPECT_TRUE(faults.empty()) << "at " << where << ": " << faults.front();
            if (found == after)
                ++newOnes;
            else if (found == Counting(before))
                ++oldOnes;
            else
                ADD_FAILURE() << "at " << where << " the books are neither the old ones nor the new ones";
            if (end == TEnd::Saved) {
                EXPECT_EQ(found, after) << "a save that said it was made at " << where;
            }
        }
        EXPECT_GT(oldOnes, 0);
        EXPECT_GT(newOnes, 0);
        // Every step of a save was struck: the files and the journal written and flushed (the many
        // together, the few one by one), put in place, and the journal and the spare returns removed.
        const std::set<std::string> steps =
            big ? std::set<std::string>{"mkostemp", "write", "close",  "syncfs",
                                        "open",     "fsync", "rename", "unlink"}
                : std::set<std::string>{"mkostemp", "write", "fsync", "close", "open", "rename", "unlink"};
        for (const std::string& step : steps)
            EXPECT_TRUE(struck.count(step)) << step << " was never struck";
        if (!big) {
            EXPECT_FALSE(struck.count("syncfs")) << "a save of a few files flushes them one by one";
        }
        std::printf("%ld points: %d left the old books, %d the new ones\n", points, oldOnes, newOnes);
    }
};

} // namespace

TEST_F(SaveCrash, AKillAtAnyPointLeavesTheOldBooksOrTheNew) {
    Check(fileshim::TMode::Kill, true);
}

TEST_F(SaveCrash, AFailureAtAnyPointIsToldAndLeavesTheOldBooksOrTheNew) {
    Check(fileshim::TMode::Fail, true);
}

TEST_F(SaveCrash, AKillInASaveOfAFewFilesLeavesTheOldBooksOrTheNew) {
    Check(fileshim::TMode::Kill, false);
}

TEST_F(SaveCrash, AFailureInASaveOfAFewFilesIsToldAndLeavesTheOldBooksOrTheNew) {
    Check(fileshim::TMode::Fail, false);
}
