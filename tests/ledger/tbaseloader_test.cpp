#include "ledger/tbaseloader.h"

#include "ledger/tdatereader.h"
#include "ledger/tmytype.h"
#include "messagerecorder.h"
#include "storage/datafolders.h"
#include "testfolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class BaseLoader : public ::testing::Test {
protected:
    void SetUp() override {
        state.paths.dataRoot = home.Path() + "/";
        state.paths.programFolder = home.Path() + "/program";
        state.baseName = "Семья";
        state.baseFolder = home.Path() + "/BASE/Семья";
    }

    std::vector<QStringList> FileRows(const QString& name) {
        TMemTable t;
        EXPECT_TRUE(t.LoadFromFile(state.baseFolder + "/" + name));
        std::vector<QStringList> rows;
        for (int i = 0; i < t.RowCount(); ++i)
            rows.push_back(t.Row(i)->Cells());
        return rows;
    }
    // The same state object, as after closing the program and logging in again.
    void Reopen() { TBaseLoader::OpenBase(state); }

    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
    TMyType state;
};

} // namespace

TEST_F(BaseLoader, ANewBaseGetsItsFilesDefaultsAndNewRows) {
    TMessageRecorder boxes;
    TBaseLoader::OpenBase(state);
    EXPECT_TRUE(boxes.Boxes().empty());
    for (const char* f : {"rashod", "dohod", "dolg", "planrashod", "plandohod", "purse", "transfer_purse",
                          "vidrashod", "viddohod"})
        EXPECT_TRUE(QFileInfo(state.baseFolder + "/" + f).isFile()) << f;
    EXPECT_TRUE(QFileInfo(state.BaseRoot() + "/user").isFile());
    EXPECT_EQ(state.basePurse, "рубль");
    EXPECT_EQ(state.vidRashod.Row(0)->Cells(), QStringList({"Имя"}));
    EXPECT_EQ(state.vidDohod.Row(0)->Cells(), QStringList({"Виды доходов"}));
    const TMemTable& rashod = state.Table(TTableKind::Rashod);
    ASSERT_EQ(rashod.RowCount(), 1);
    EXPECT_EQ(rashod.Row(0)->Cells(), QStringList({"10.12.2026", "", "", "", "", "", ""}));
    EXPECT_EQ(state.Grid(TTableKind::Rashod).GridRowCount(), 2);
    EXPECT_EQ(state.Table(TTableKind::Dolg).Row(0)->CellCount(), 10);
    EXPECT_FALSE(state.damaged);
}

TEST_F(BaseLoader, SavingWritesCompleteRecordsOnly) {
    TBaseLoader::OpenBase(state);
    TMemTable& rashod = state.Table(TTableKind::Rashod);
    rashod.Row(0)->SetCells({"09.12.2026", "Еда", "Хлеб", "45", "рубль", "", "Мама"});
    rashod.AddRow()->SetCells({"10.12.2026", "", "", "", "", "", ""});
    TBaseLoader::SaveBase(state);
    EXPECT_EQ(FileRows("rashod"),
              (std::vector<QStringList>{{"09.12.2026", "Еда", "Хлеб", "45", "рубль", "", "Мама"}}));
    Reopen();
    EXPECT_EQ(state.Table(TTableKind::Rashod).RowCount(), 2);
}

TEST_F(BaseLoader, DebtsKeepTheirOwnReturnsThroughSavesAndLoads) {
    TBaseLoader::OpenBase(state);
    TMemTable& dolg = state.Table(TTableKind::Dolg);
    // Entered later date first; each gets its returns table number when it was the new row.
    auto enterDebt = [&](const QStringList& cells, const QString& returnSum) {
        TTableRow* row = dolg.Row(dolg.RowCount() - 1);
        const QString number = row->Cell(9);
        QStringList c = cells;
        c.resize(10);
        c[9] = number;
        row->SetCells(c);
        state.ReturnsTable(number.toInt()).AddRow()->SetCells({"01.12.2026", returnSum, "рубль", ""});
        TBaseLoader::AppendNewRecordRow(state, state.Grid(TTableKind::Dolg));
    };
    enterDebt({"дано в долг", "05.12.2026", "05.01.2027", "Сосед", "1000", "рубль", "", "отображать", "Мама"},
              "300");
    enterDebt({"взято в долг", "01.11.2026", "01.02.2027", "Брат", "500", "рубль", "", "отображать", "Мама"},
              "50");
    for (int round = 0; round < 2; ++round) {
        TBaseLoader::SaveBase(state);
        Reopen();
        const TMemTable& loaded = state.Table(TTableKind::Dolg);
        ASSERT_EQ(loaded.RowCount(), 3);
        EXPECT_EQ(loaded.Row(0)->Cell(3), "Брат"); // sorted by date at load
        for (int i = 0; i < 2; ++i) {
            const TMemTable& returns = state.ReturnsTable(loaded.Row(i)->Cell(9).toInt());
            ASSERT_EQ(returns.RowCount(), 1);
            EXPECT_EQ(returns.Row(0)->Cell(1), loaded.Row(i)->Cell(3) == "Сосед" ? "300" : "50");
        }
    }
}

TEST_F(BaseLoader, ADamagedLedgerMarksTheBaseAndIsWrittenAgainAtTheNextSave) {
    WriteFileBytes(state.baseFolder + "/rashod", Hex("09 01"));
    TMessageRecorder boxes;
    TBaseLoader::OpenBase(state);
    EXPECT_TRUE(state.damaged);
    EXPECT_EQ(boxes.Boxes(),
              std::vector<TMessage>{Info({"База расходов повреждена!", "Восстановите резервную копию!"})});
    EXPECT_EQ(state.Table(TTableKind::Rashod).RowCount(), 1);
    TBaseLoader::SaveBase(state);
    EXPECT_EQ(ReadFileBytes(state.baseFolder + "/rashod").size(), 0);
    EXPECT_EQ(QDir(state.baseFolder).entryList({"rashod.damaged-*"}).size(), 1);
    boxes.Reset();
    Reopen();
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(BaseLoader, ASaveWhoseOnlyWorkIsRemovingASpareReturnsFileIsMade) {
    TBaseLoader::OpenBase(state);
    ASSERT_TRUE(TBaseLoader::SaveBase(state));
    // Left by a save a crash cut short: the returns of a debt that is gone.
    WriteFileBytes(state.baseFolder + "/Debt/debt4", Hex("05 04 00 00 00 00"));
    Reopen();
    TMessageRecorder boxes;
    EXPECT_TRUE(TBaseLoader::SaveAndTell(state));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(QFileInfo::exists(state.baseFolder + "/Debt/debt4"));
    EXPECT_TRUE(TBaseLoader::SaveAndTell(state));
}

TEST_F(BaseLoader, ADebtFolderThatIsALinkFailsTheSaveWithItsReason) {
    TBaseLoader::OpenBase(state);
    state.Table(TTableKind::Dolg)
        .Row(0)
        ->SetCells({"дано в долг", "01.12.2026", "01.03.2027", "Сосед", "1000", "рубль", "", "не отображать",
                    "Мама", "0"});
    TBaseLoader::AppendNewRecordRow(state, state.Grid(TTableKind::Dolg));
    ASSERT_TRUE(TBaseLoader::SaveBase(state));
    // The returns go to another folder by a link: nothing of the base may be written there.
    const QString elsewhere = home.Path() + "/чужая папка";
    ASSERT_TRUE(QDir().rename(state.baseFolder + "/Debt", elsewhere));
    ASSERT_TRUE(QFile::link(elsewhere, state.baseFolder + "/Debt"));
    const QByteArray returns = ReadFileBytes(elsewhere + "/debt0");
    state.ReturnsTable(0).AddRow()->SetCells({"05.12.2026", "300", "рубль", ""});
    TMessageRecorder boxes;
    EXPECT_FALSE(TBaseLoader::SaveAndTell(state));
    EXPECT_EQ(boxes.Boxes(),
              std::vector<TMessage>{Error({"Не удалось сохранить базу", "Файл: " + state.baseFolder + "/Debt",
                                           "Причина: Папка является ссылкой на другое место."})});
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::Files | QDir::Hidden), QStringList({"debt0"}));
    EXPECT_EQ(ReadFileBytes(elsewhere + "/debt0"), returns);
}
