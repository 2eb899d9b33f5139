#include "storage/tbasefiles.h"

#include "messagerecorder.h"
#include "storage/datafolders.h"
#include "storage/tabledefs.h"
#include "storage/tbasesave.h"
#include "tablerows.h"
#include "testfolders.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QByteArray TableBytes(const std::vector<QStringList>& rows) {
    TMemTable t;
    for (const QStringList& r : rows)
        t.AddRow()->SetCells(r);
    return t.ToBytes();
}

std::vector<QStringList> RowsOfFile(const QString& path) {
    TMemTable t;
    EXPECT_TRUE(t.LoadFromFile(path));
    return Rows(t);
}

QStringList DamagedCopies(const QString& folder) {
    return QDir(folder).entryList({"*.damaged-*"}, QDir::Files);
}

const QByteArray kBroken = Hex("06 02 03 61 62 63 00  09 01");

} // namespace

TEST(BaseFiles, ResolvingATablePathMakesTheFolderAndAnEmptyFile) {
    TTestDataHome home;
    const QString folder = home.Path() + "/BASE/Семья";
    const QString path = ResolveTablePath(folder, "rashod");
    EXPECT_EQ(path, folder + "/rashod");
    EXPECT_TRUE(QFileInfo(path).isFile());
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_EQ(ResolveTablePath("/proc/no/such", "rashod"), QString());
}

TEST(BaseFiles, LedgerRowsGetTheirTablesCellCounts) {
    TTestDataHome home;
    const QString path = home.Path() + "/t";
    WriteFileBytes(path, TableBytes({{"01.01.2024", "Зарплата", "100", "рубль", "", "Мама", "x", "y"},
                                     {"02.01.2024", "Аванс", "50", "рубль"}}));
    TMemTable t;
    ASSERT_EQ(LoadLedgerFile(TTableKind::Dohod, path, t), TTableLoad::Read);
    EXPECT_EQ(Rows(t), (std::vector<QStringList>{{"01.01.2024", "Зарплата", "100", "рубль", "", "Мама"},
                                                 {"02.01.2024", "Аванс", "50", "рубль", "", ""}}));

    WriteFileBytes(path, TableBytes({{"дано в долг", "01.01.2024", "01.02.2024"}, {"взято в долг"}}));
    ASSERT_EQ(LoadLedgerFile(TTableKind::Dolg, path, t), TTableLoad::Read);
    EXPECT_EQ(t.Row(0)->CellCount(), 10);
    EXPECT_EQ(t.Row(0)->Cell(9), "0");
    EXPECT_EQ(t.Row(1)->Cell(9), "1");

    WriteFileBytes(path, TableBytes({{"Папа", "Base1", "1", "0"},
                                     {"Мама", "Base1", "Администратор", "5"},
                                     {"Сын", "Base1", "0"},
                                     {"Дочь", "Base1", "что-то"}}));
    ASSERT_EQ(LoadLedgerFile(TTableKind::User, path, t), TTableLoad::Read);
    QStringList roles;
    for (const QStringList& r : Rows(t))
        roles << r[2];
    EXPECT_EQ(roles, QStringList(
                         {"Администратор", "Администратор", "Обычный пользователь", "Обычный пользователь"}));
}

TEST(BaseFiles, EveryDamagedTableIsReportedKeptAsideAndReplaced) {
    const struct {
        TTableKind kind;
        std::vector<TMessage> boxes;
        int beeps;
    } cases[] = {
        {TTableKind::Rashod, {Info({"База расходов повреждена!", "Восстановите резервную копию!"})}, 1},
        {TTableKind::Dohod, {Info({"База доходов повреждена!", "Восстановите резервную копию!"})}, 1},
        {TTableKind::Dolg, {Info({"База долгов повреждена!", "Восстановите резервную копию!"})}, 1},
        {TTableKind::PlanRashod,
         {Info({"База планов-расходов повреждена!", "Восстановите резервную копию!"})},
         1},
        {TTableKind::PlanDohod,
         {Info({"База планов-доходов повреждена!", "Восстановите резервную копию!"})},
         1},
        {TTableKind::User, {Info({"База пользователей повреждена!", "Восстановите резервную копию!"})}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(TableDef(c.kind).fileName.toStdString());
        TTestDataHome home;
        const QString path = home.Path() + "/" + TableDef(c.kind).fileName;
        WriteFileBytes(path, kBroken);
        TMessageRecorder boxes;
        TMemTable t;
        EXPECT_EQ(LoadLedgerFile(c.kind, path, t), TTableLoad::Damaged);
        // The whole row before the damage stays, in the table's shape.
        ASSERT_EQ(t.RowCount(), 1);
        EXPECT_EQ(t.Row(0)->Cell(0), "abc");
        EXPECT_EQ(t.Row(0)->CellCount(), TableDef(c.kind).CellCount());
        EXPECT_EQ(boxes.Boxes(), c.boxes);
        EXPECT_EQ(boxes.Beeps(), c.beeps);
        const QStringList copies = DamagedCopies(home.Path());
        ASSERT_EQ(copies.size(), 1);
        EXPECT_EQ(ReadFileBytes(home.Path() + "/" + copies[0]), kBroken);
    }
}

TEST(BaseFiles, PursesAndTransfersRepairThemselves) {
    TTestDataHome home;
    const QString path = home.Path() + "/purse";
    TMemTable purse;
    {
        TMessageRecorder boxes;
        WriteFileBytes(path, kBroken);
        EXPECT_EQ(LoadPurseFile(path, purse), "рубль");
        EXPECT_EQ(boxes.Boxes(),
                  std::vector<TMessage>{Info(
                      {"База кошельков повреждена!", "Значение кошелька будет установлено по-умолчанию"})});
        EXPECT_EQ(Rows(purse),
                  (std::vector<QStringList>{{"рубль", "1", "0", "1"}, {"копилка", "1", "0", "0"}}));
    }
    WriteFileBytes(path, TableBytes({{" ", "2", "5", "1"}, {"", "1", "0", "0"}}));
    EXPECT_EQ(LoadPurseFile(path, purse), "рубль");
    EXPECT_EQ(purse.RowCount(), 2);

    WriteFileBytes(
        path, TableBytes({{"карта", "1", "5", "0"}, {"доллар", "90", "1", "1"}, {"евро", "100", "0", "1"}}));
    EXPECT_EQ(LoadPurseFile(path, purse), "доллар");

    WriteFileBytes(path, TableBytes({{"карта", "1"}, {"доллар", "90", "1", "0"}}));
    EXPECT_EQ(LoadPurseFile(path, purse), "карта");
    EXPECT_EQ(purse.Row(0)->Cells(), QStringList({"карта", "1", "", "1"}));

    TMessageRecorder boxes;
    WriteFileBytes(home.Path() + "/transfer_purse", kBroken);
    TMemTable transfer;
    EXPECT_FALSE(LoadTransferFile(home.Path() + "/transfer_purse", transfer));
    ASSERT_EQ(transfer.RowCount(), 1); // the transfer before the damage stays
    EXPECT_EQ(transfer.Row(0)->Cell(0), "abc");
    EXPECT_EQ(boxes.Beeps(), 1);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{
                                 Error({"База названий переноса денег из кошелька в кошелек повреждена!"})});
}

TEST(BaseFiles, KindsListsFallBackToTheInstalledDefaultsAndThenToOneColumn) {
    TTestDataHome home;
    const QString program = home.Path() + "/program";
    const QString path = home.Path() + "/base/vidrashod";
    TMemTable kinds;
    TMessageRecorder boxes;
    LoadKindsFile(TKindsList::Rashod, path, program, kinds);
    EXPECT_EQ(Rows(kinds), std::vector<QStringList>{{"Имя"}});
    LoadKindsFile(TKindsList::Dohod, home.Path() + "/base/viddohod", program, kinds);
    EXPECT_EQ(Rows(kinds), std::vector<QStringList>{{"Виды доходов"}});
    EXPECT_TRUE(boxes.Boxes().empty());

    WriteFileBytes(program + "/DATA/vidrashod", TableBytes({{"Еда", "Хлеб", "Кофе"}, {"Дом"}}));
    LoadKindsFile(TKindsList::Rashod, path, program, kinds);
    EXPECT_EQ(Rows(kinds), (std::vector<QStringList>{{"Еда", "Хлеб", "Кофе"}, {"Дом"}}));

    WriteFileBytes(path, kBroken);
    LoadKindsFile(TKindsList::Rashod, path, program, kinds);
    EXPECT_EQ(Rows(kinds), (std::vector<QStringList>{{"Еда", "Хлеб", "Кофе"}, {"Дом"}}));
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Info({"База названий расходов повреждена!",
                                                         "Будет восстановлена по умолчанию"})});
    EXPECT_EQ(boxes.Beeps(), 1);
    EXPECT_EQ(DamagedCopies(home.Path() + "/base").size(), 1);

    boxes.Reset();
    WriteFileBytes(program + "/DATA/vidrashod", kBroken);
    WriteFileBytes(path, QByteArray());
    LoadKindsFile(TKindsList::Rashod, path, program, kinds);
    EXPECT_EQ(kinds.RowCount(), 0);
    EXPECT_EQ(boxes.Boxes(), std::vector<TMessage>{Error({"Нет доступа к базам программы.",
                                                          "Проверьте настройки безопасности для файла " +
                                                              program + "/DATA/vidrashod"})});
}

TEST(BaseFiles, SavingLeavesOutIncompleteRowsAndPadsToTheFirstRow) {
    TTestDataHome home;
    TMemTable t;
    t.AddRow()->SetCells({"01.01.2024", "Еда", "Хлеб", "50", "рубль", "", "Мама"});
    t.AddRow()->SetCells({"02.01.2024", "", "Хлеб", "10", "", "", ""});
    t.AddRow()->SetCells({"03.01.2024", "Еда", "Кофе"});
    t.AddRow()->SetCells({"04.01.2024", "Еда", "Сыр", "1", "", "", "", "лишнее"});
    const QString path = home.Path() + "/rashod";
    ASSERT_TRUE(SaveTableFiltered(TTableKind::Rashod, t, path));
    EXPECT_EQ(RowsOfFile(path),
              (std::vector<QStringList>{{"01.01.2024", "Еда", "Хлеб", "50", "рубль", "", "Мама"},
                                        {"03.01.2024", "Еда", "Кофе", "", "", "", ""},
                                        {"04.01.2024", "Еда", "Сыр", "1", "", "", ""}}));
    TMemTable users;
    users.AddRow()->SetCells({"Мама", "Base1", "Администратор", "0"});
    users.AddRow()->SetCells({"Гость", "", "Обычный пользователь", "0"});
    ASSERT_TRUE(SaveTableFiltered(TTableKind::User, users, home.Path() + "/user"));
    EXPECT_EQ(RowsOfFile(home.Path() + "/user").size(), 1u);
}

TEST(BaseFiles, EachDebtFindsItsOwnReturnsAfterSortsAndDroppedRows) {
    TTestDataHome home;
    const QString base = home.Path() + "/base";
    TMemTable dolg;
    TReturnsTables returns;
    // Entered later date first: numbers 0 and 1, then a half-typed debt 2 and the new row 3.
    auto addDebt = [&](const QStringList& cells, const QStringList& firstReturn) {
        QStringList c = cells;
        c.resize(10);
        c[9] = QString::number(dolg.RowCount());
        dolg.AddRow()->SetCells(c);
        auto r = std::make_unique<TMemTable>();
        if (!firstReturn.isEmpty()) r->AddRow()->SetCells(firstReturn);
        returns.push_back(std::move(r));
    };
    addDebt({"дано в долг", "10.05.2024", "10.06.2024", "Сосед", "1000", "рубль"},
            {"12.05.2024", "300", "рубль", "700"});
    addDebt({"взято в долг", "01.03.2024", "01.04.2024", "Брат", "500", "рубль"},
            {"02.03.2024", "50", "рубль", "450"});
    addDebt({"дано в долг", "", "", "без даты"}, {"01.01.2024", "1", "рубль", ""});
    addDebt({}, {});
    // As the load sorts by date: Брат's debt comes first, then Сосед's, then the half-typed and the new row.
    dolg.Reorder({1, 0, 2, 3});

    TReturnsOnDisk onDisk;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        std::vector<QStringList> before;
        for (int i = 0; i < dolg.RowCount(); ++i)
            before.push_back(dolg.Row(i)->Cells());
        ASSERT_TRUE(SaveDebtsAndReturns(base, dolg, returns, onDisk, true));
        TMemTable loaded;
        ASSERT_EQ(LoadLedgerFile(TTableKind::Dolg, ReturnsFolder(base) + "/../dolg", loaded),
                  TTableLoad::Read);
        ASSERT_EQ(loaded.RowCount(), 2);
        loaded.Reorder({1, 0}); // the next load sorts them another way
        TReturnsTables back;
        TReturnsOnDisk backOnDisk;
        ASSERT_TRUE(LoadReturnsFiles(base, loaded, back, backOnDisk));
        for (int i = 0; i < 2; ++i) {
            const QString firstReturn = back[size_t(loaded.Row(i)->Cell(9).toInt())]->Row(0)->Cell(1);
            EXPECT_EQ(firstReturn, loaded.Row(i)->Cell(3) == "Сосед" ? "300" : "50");
        }
        // The save numbers the debts in the file only: what the program holds stays as it was.
        for (int i = 0; i < dolg.RowCount(); ++i)
            EXPECT_EQ(dolg.Row(i)->Cells(), before[size_t(i)]);
        dolg.CopyFrom(loaded);
        dolg.AddRow()->SetCells({"", "", "", "", "", "", "", "", "", "2"});
        returns = std::move(back);
        onDisk = std::move(backOnDisk);
        returns.push_back(std::make_unique<TMemTable>());
    }
    EXPECT_FALSE(QFileInfo::exists(ReturnsFilePath(base, 2)));
}

// Debts that change places between saves: each file is written again whenever another debt's returns
// were in it, also for a debt that comes back to the place it had, and a save with nothing changed
// writes nothing.
TEST(BaseFiles, ReturnsFilesFollowTheirDebtsAsTheyChangePlacesBetweenSaves) {
    TTestDataHome home;
    const QString base = home.Path() + "/base";
    TMemTable dolg;
    TReturnsTables returns;
    for (const char* who : {"Сосед", "Брат"}) {
        const QString number = QString::number(dolg.RowCount());
        dolg.AddRow()->SetCells(
            {"дано в долг", "01.05.2024", "01.06.2024", who, "100", "рубль", "", "", "", number});
        returns.push_back(std::make_unique<TMemTable>());
        returns.back()->AddRow()->SetCells({"02.05.2024", who == QString("Сосед") ? "1" : "2", "рубль", ""});
    }
    const auto firstReturnsInFiles = [&] {
        TMemTable loaded;
        EXPECT_EQ(LoadLedgerFile(TTableKind::Dolg, base + "/dolg", loaded), TTableLoad::Read);
        TReturnsTables back;
        TReturnsOnDisk ignored;
        EXPECT_TRUE(LoadReturnsFiles(base, loaded, back, ignored));
        QStringList out;
        for (int i = 0; i < loaded.RowCount(); ++i) {
            const TMemTable& r = *back[size_t(loaded.Row(i)->Cell(9).toInt())];
            out << loaded.Row(i)->Cell(3) + ":" + (r.RowCount() > 0 ? r.Row(0)->Cell(1) : QString("нет"));
        }
        return out;
    };
    TReturnsOnDisk onDisk;
    const struct {
        std::vector<int> order;
        QStringList files;
    } rounds[] = {
        {{0, 1}, {"Сосед:1", "Брат:2"}}, {{1, 0}, {"Брат:2", "Сосед:1"}}, {{1, 0}, {"Сосед:1", "Брат:2"}}};
    for (const auto& r : rounds) {
        dolg.Reorder(r.order);
        ASSERT_TRUE(SaveDebtsAndReturns(base, dolg, returns, onDisk, true));
        EXPECT_EQ(firstReturnsInFiles(), r.files);
    }
    TBaseSave again(base);
    again.StageDebtsAndReturns(dolg, returns, onDisk, true);
    EXPECT_TRUE(again.IsEmpty());
}

TEST(BaseFiles, ADamagedReturnsFileLeavesTheOthersAndIsKept) {
    TTestDataHome home;
    const QString base = home.Path() + "/base";
    TMemTable dolg;
    for (int i = 0; i < 6; ++i)
        dolg.AddRow()->SetCells(
            {"дано в долг", "01.01.2024", "", "", "1", "", "", "", "", QString::number(i)});
    WriteFileBytes(ReturnsFilePath(base, 0), TableBytes({{"02.01.2024", "5", "рубль", ""}}));
    WriteFileBytes(ReturnsFilePath(base, 1), kBroken);
    WriteFileBytes(ReturnsFilePath(base, 2), TableBytes({{"03.01.2024", "7", "рубль", ""}}));
    // 3 has no file yet, 4 is an empty file, 5 is a folder where the file should be.
    WriteFileBytes(ReturnsFilePath(base, 4), QByteArray());
    ASSERT_TRUE(QDir().mkpath(ReturnsFilePath(base, 5)));
    TReturnsTables returns;
    TUnreachableFiles unreachable;
    TReturnsOnDisk onDisk;
    EXPECT_FALSE(LoadReturnsFiles(base, dolg, returns, onDisk, &unreachable));
    ASSERT_EQ(unreachable.size(), 1u); // noted for the open to tell, not read as empty
    EXPECT_EQ(unreachable[0].path, ReturnsFilePath(base, 5));
    EXPECT_EQ(unreachable[0].state, TTableFileState::Folder);
    ASSERT_EQ(returns.size(), 6u);
    EXPECT_EQ(returns[0]->Row(0)->Cell(1), "5");
    EXPECT_EQ(returns[1]->RowCount(), 1); // the complete row before the damage
    EXPECT_EQ(returns[2]->Row(0)->Cell(1), "7");
    for (size_t n : {3, 4, 5}) {
        EXPECT_EQ(returns[n]->RowCount(), 0) << n;
        EXPECT_FALSE(returns[n]->Modified()) << n;
    }
    EXPECT_TRUE(QFileInfo(ReturnsFilePath(base, 3)).isFile()); // made, as any missing table file
    EXPECT_FALSE(returns[0]->Modified());
    EXPECT_TRUE(returns[1]->Modified()); // written back whole at the next save
    EXPECT_EQ(DamagedCopies(ReturnsFolder(base)).size(), 1);
}

TEST(BaseFiles, DebtsOfTheEarlierVersionCarryTheirReturnInTheRow) {
    TMemTable dolg;
    dolg.AddRow()->SetCells({"дано в долг", "01.01.2024", "01.02.2024", "Сосед", "1000", "рубль", "",
                             "отображать", "Мама", "05.01.2024", "300", "рубль"});
    dolg.AddRow()->SetCells(
        {"взято в долг", "02.01.2024", "", "Брат", "50", "рубль", "", "", "Мама", "", "", ""});
    ASSERT_TRUE(IsOldDebtTable(dolg));
    const TReturnsTables returns = TakeOldDebtReturns(dolg);
    ASSERT_EQ(returns.size(), 2u);
    EXPECT_EQ(returns[0]->Row(0)->Cells(), QStringList({"05.01.2024", "300", "рубль", ""}));
    EXPECT_EQ(returns[1]->RowCount(), 0);
}

// The named cells and the table definitions describe the same files: a name off by one would read the
// purse as the sum.
TEST(NamedColumns, AgreeWithTheTableDefinitions) {
    struct Case {
        TTableKind kind;
        int count, sum, date, user, lastRequired;
    };
    const Case cases[] = {
        {TTableKind::Rashod, col::rashod::Count, col::rashod::Sum, col::rashod::Date, col::rashod::User,
         col::rashod::Name},
        {TTableKind::Dohod, col::dohod::Count, col::dohod::Sum, col::dohod::Date, col::dohod::User,
         col::dohod::Kind},
        {TTableKind::Dolg, col::dolg::Count, col::dolg::Sum, col::dolg::Date, col::dolg::User,
         col::dolg::Due},
        {TTableKind::PlanRashod, col::planrashod::Count, col::planrashod::Sum, col::planrashod::From,
         col::planrashod::User, col::planrashod::Name},
        {TTableKind::PlanDohod, col::plandohod::Count, col::plandohod::Sum, col::plandohod::From,
         col::plandohod::User, col::plandohod::From},
        {TTableKind::Returns, col::returns::Count, col::returns::Sum, col::returns::Date, -1,
         col::returns::Purse},
        {TTableKind::Transfer, col::transfer::Count, -1, col::transfer::Date, -1, col::transfer::ToPurse},
        {TTableKind::Purse, col::purse::Count, -1, -1, -1, col::purse::Name},
        {TTableKind::User, col::user::Count, -1, -1, -1, col::user::Role},
    };
    for (const Case& c : cases) {
        const TTableDef& def = TableDef(c.kind);
        SCOPED_TRACE(def.fileName.toStdString());
        EXPECT_EQ(def.CellCount(), c.count);
        EXPECT_EQ(def.sumColumn, c.sum);
        EXPECT_EQ(def.dateColumn, c.date);
        EXPECT_EQ(def.userColumn, c.user);
        EXPECT_EQ(def.lastRequiredColumn, c.lastRequired);
    }
    EXPECT_EQ(TableDef(TTableKind::Dolg).PurseColumn(), col::dolg::Purse);
    EXPECT_EQ(TableDef(TTableKind::Rashod).PurseColumn(), col::rashod::Purse);
}
