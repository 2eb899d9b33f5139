#include "users/trecordmover.h"

#include "storage/tbasefiles.h"
#include "users/tuserslogic.h"
#include "usersfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QStringList kR1 = {"01.02.2024", "Еда", "Хлеб", "40", "рубль", "", "Мама"};
const QStringList kR2 = {"02.02.2024", "Авто", "Бензин", "900", "карта", "", "Папа"};
const QStringList kR3 = {"03.02.2024", "Авто", "Мойка", "300", "карта", "", "Папа"};
const QStringList kB1 = {"04.02.2024", "Сад", "Семена", "50", "рубль", "", "Сын"};
const QStringList kIncomeFather = {"05.02.2024", "Зарплата", "5000", "рубль", "", "Папа"};
const QStringList kIncomeMother = {"06.02.2024", "Премия", "700", "рубль", "", "Мама"};
const QStringList kPlanFather = {"Авто", "Бензин", "01.02.2024", "29.02.2024", "3000", "карта", "", "Папа"};
const QStringList kPlanIncomeMother = {"Премия", "01.02.2024", "29.02.2024", "700", "рубль", "", "Мама"};
const QStringList kTransfer1 = {"07.02.2024", "рубль", "1", "карта", "1", "100", ""};
const QStringList kTransfer2 = {"08.02.2024", "карта", "1", "рубль", "1", "20", "сдача"};

QStringList Debt(const QString& who, const QString& purse, const QString& sum, int number) {
    return {"дано в долг", "01.01.2024", "01.03.2024", who,    sum,
            purse,         "",           "отображать", "Папа", QString::number(number)};
}

QStringList Owner(QStringList debt, const QString& user) {
    debt[8] = user;
    return debt;
}

const QStringList kD0 = Owner(Debt("Соседу", "рубль", "100", 0), "Мама");
const QStringList kD1 = Debt("Брату", "карта", "200", 1);
const QStringList kD2 = Debt("Другу", "рубль", "300", 2);
const QStringList kE0 = Owner(Debt("Тёте", "рубль", "400", 0), "Сын");

TRows Returns(const QString& sum) {
    return {{"10.01.2024", sum, "рубль", ""}};
}

// "Семья" holds the father's and the mother's records, "Дача" the son's.
void MakeBases(TBooks& b) {
    const QString a = "Семья", d = "Дача";
    WriteRows(b.File(a, "purse"), {{"рубль", "1", "0", "1"}, {"карта", "1", "0", "0"}});
    WriteRows(b.File(d, "purse"), {{"рубль", "1", "0", "1"}});
    WriteRows(b.File(a, "rashod"), {kR1, kR2, kR3});
    WriteRows(b.File(d, "rashod"), {kB1});
    WriteRows(b.File(a, "dohod"), {kIncomeFather, kIncomeMother});
    WriteRows(b.File(a, "dolg"), {kD0, kD1, kD2});
    WriteRows(b.File(a, "Debt/debt0"), Returns("10"));
    WriteRows(b.File(a, "Debt/debt1"),
              {{"11.01.2024", "20", "карта", ""}, {"12.01.2024", "21", "карта", ""}});
    WriteRows(b.File(a, "Debt/debt2"), Returns("30"));
    WriteRows(b.File(d, "dolg"), {kE0});
    WriteRows(b.File(d, "Debt/debt0"), Returns("40"));
    WriteRows(b.File(a, "planrashod"), {kPlanFather});
    WriteRows(b.File(a, "plandohod"), {kPlanIncomeMother});
    WriteRows(b.File(a, "transfer_purse"), {kTransfer1, kTransfer2});
}

// Each debt of a base as the loader reads it, with the sums of its returns.
std::vector<std::pair<QString, QStringList>> DebtsWithReturns(const QString& folder) {
    TMessageRecorder quiet;
    TMemTable dolg;
    EXPECT_EQ(LoadLedgerFile(TTableKind::Dolg, folder + "/dolg", dolg), TTableLoad::Read);
    TReturnsTables returns;
    TReturnsOnDisk onDisk;
    EXPECT_TRUE(LoadReturnsFiles(folder, dolg, returns, onDisk));
    std::vector<std::pair<QString, QStringList>> out;
    for (int i = 0; i < dolg.RowCount(); ++i) {
        QStringList sums;
        const TMemTable& r = *returns[size_t(dolg.Row(i)->Cell(9).toInt())];
        for (int j = 0; j < r.RowCount(); ++j)
            sums << r.Row(j)->Cell(1);
        out.emplace_back(dolg.Row(i)->Cell(3), sums);
    }
    return out;
}

const TMessage kAddCard =
    Question({"В новой базе пользователя нет кошелька \"карта\"", "Добавить?"}, TMsgButton::Yes);

} // namespace

TEST(MoveRecords, TheUsersRowsEveryTransferAndEachDebtsReturnsMove) {
    TBooks b;
    MakeBases(b);
    TMessageRecorder rec;
    ASSERT_TRUE(TRecordMover::Move(b.Folder("Семья"), b.Folder("Дача"), "Папа"));
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{kAddCard});

    EXPECT_EQ(RowsOfFile(b.File("Семья", "rashod")), TRows({kR1}));
    EXPECT_EQ(RowsOfFile(b.File("Дача", "rashod")), TRows({kB1, kR2, kR3}));
    EXPECT_EQ(RowsOfFile(b.File("Семья", "dohod")), TRows({kIncomeMother}));
    EXPECT_EQ(RowsOfFile(b.File("Дача", "dohod")), TRows({kIncomeFather}));
    EXPECT_EQ(RowsOfFile(b.File("Семья", "planrashod")), TRows());
    EXPECT_EQ(RowsOfFile(b.File("Дача", "planrashod")), TRows({kPlanFather}));
    EXPECT_EQ(RowsOfFile(b.File("Семья", "plandohod")), TRows({kPlanIncomeMother}));
    EXPECT_EQ(RowsOfFile(b.File("Дача", "plandohod")), TRows());
    EXPECT_EQ(RowsOfFile(b.File("Семья", "transfer_purse")), TRows());
    EXPECT_EQ(RowsOfFile(b.File("Дача", "transfer_purse")), TRows({kTransfer1, kTransfer2}));
    EXPECT_EQ(RowsOfFile(b.File("Дача", "purse")),
              TRows({{"рубль", "1", "0", "1"}, {"карта", "1", "0", "0"}}));

    using TDebts = std::vector<std::pair<QString, QStringList>>;
    EXPECT_EQ(DebtsWithReturns(b.Folder("Семья")), TDebts({{"Соседу", {"10"}}}));
    EXPECT_EQ(DebtsWithReturns(b.Folder("Дача")),
              TDebts({{"Тёте", {"40"}}, {"Брату", {"20", "21"}}, {"Другу", {"30"}}}));
    EXPECT_EQ(QDir(b.Folder("Семья") + "/Debt").entryList(QDir::Files), QStringList({"debt0"}));
}

TEST(MoveRecords, AMissingPurseIsAskedForAgainAfterNo) {
    TBooks b;
    MakeBases(b);
    TMessageRecorder rec;
    rec.AnswerNo();
    rec.AnswerNo();
    ASSERT_TRUE(TRecordMover::Move(b.Folder("Семья"), b.Folder("Дача"), "Папа"));
    // Twice in the expenses, then at the father's debt, where the default adds it.
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>(3, kAddCard));
    EXPECT_EQ(RowsOfFile(b.File("Дача", "purse")).size(), 2u);
    EXPECT_EQ(RowsOfFile(b.File("Дача", "rashod")), TRows({kB1, kR2, kR3}));
}

TEST(MoveRecords, AnUnreadableExpensesFileStopsEverything) {
    for (const QString& spoiled : {QString("Семья"), QString("Дача")}) {
        SCOPED_TRACE(spoiled.toStdString());
        TBooks b;
        MakeBases(b);
        WriteFileBytes(b.File(spoiled, "rashod"), Hex("06 02 03 61 62 63 00  09 01"));
        std::vector<QByteArray> before;
        const QStringList tree = TreeOf(b.Root());
        for (const QString& f : tree)
            before.push_back(ReadFileBytes(b.Root() + "/" + f));
        TMessageRecorder rec;
        EXPECT_FALSE(TRecordMover::Move(b.Folder("Семья"), b.Folder("Дача"), "Папа"));
        EXPECT_EQ(rec.Boxes(),
                  std::vector<TMessage>{
                      Error({"Нет доступа к базам программы.", "Проверьте настройки безопасности для файлов:",
                             b.File("Семья", "rashod"), b.File("Дача", "rashod")})});
        ASSERT_EQ(TreeOf(b.Root()), tree);
        for (int i = 0; i < tree.size(); ++i) {
            EXPECT_EQ(ReadFileBytes(b.Root() + "/" + tree[i]), before[size_t(i)]) << tree[i].toStdString();
        }
    }
}

TEST(MoveRecords, ALaterUnreadableTableIsSkippedSilently) {
    TBooks b;
    MakeBases(b);
    const QByteArray broken = Hex("06 02 03 61 62 63 00  09 01");
    WriteFileBytes(b.File("Семья", "dohod"), broken);
    TMessageRecorder rec;
    ASSERT_TRUE(TRecordMover::Move(b.Folder("Семья"), b.Folder("Дача"), "Папа"));
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{kAddCard});
    EXPECT_EQ(ReadFileBytes(b.File("Семья", "dohod")), broken);
    EXPECT_EQ(RowsOfFile(b.File("Дача", "dohod")), TRows());
    EXPECT_EQ(RowsOfFile(b.File("Дача", "planrashod")), TRows({kPlanFather}));
}

TEST(MoveRecords, TheDestinationIsWrittenFirstSoAFailedWriteLosesNothing) {
    // The expenses file of one base becomes unwritable while the purse question waits.
    auto blockWrites = [](const QString& file) {
        return [file] {
            QFile::rename(file, file + ".kept");
            QDir().mkpath(file);
        };
    };
    {
        SCOPED_TRACE("the destination cannot be written");
        TBooks b;
        MakeBases(b);
        TActingPresenter presenter(blockWrites(b.File("Дача", "rashod")));
        TRecordMover::Move(b.Folder("Семья"), b.Folder("Дача"), "Папа");
        EXPECT_EQ(RowsOfFile(b.File("Семья", "rashod")), TRows({kR1, kR2, kR3}));
        EXPECT_EQ(RowsOfFile(b.File("Дача", "rashod.kept")), TRows({kB1}));
        // The destination is written in one save: none of its tables took the rows, and none left.
        EXPECT_EQ(RowsOfFile(b.File("Дача", "dohod")), TRows());
        EXPECT_EQ(RowsOfFile(b.File("Семья", "dohod")), TRows({kIncomeFather, kIncomeMother}));
        EXPECT_EQ(RowsOfFile(b.File("Дача", "purse")), TRows({{"рубль", "1", "0", "1"}}));
        using TDebts = std::vector<std::pair<QString, QStringList>>;
        EXPECT_EQ(DebtsWithReturns(b.Folder("Семья")),
                  TDebts({{"Соседу", {"10"}}, {"Брату", {"20", "21"}}, {"Другу", {"30"}}}));
        EXPECT_EQ(DebtsWithReturns(b.Folder("Дача")), TDebts({{"Тёте", {"40"}}}));
    }
    {
        SCOPED_TRACE("the source cannot be written");
        TBooks b;
        MakeBases(b);
        TActingPresenter presenter(blockWrites(b.File("Семья", "rashod")));
        TRecordMover::Move(b.Folder("Семья"), b.Folder("Дача"), "Папа");
        EXPECT_EQ(RowsOfFile(b.File("Дача", "rashod")), TRows({kB1, kR2, kR3}));
        EXPECT_EQ(RowsOfFile(b.File("Семья", "rashod.kept")), TRows({kR1, kR2, kR3}));
        // The moved rows are in both bases, each debt still with its own returns in each.
        EXPECT_EQ(RowsOfFile(b.File("Дача", "dohod")), TRows({kIncomeFather}));
        EXPECT_EQ(RowsOfFile(b.File("Семья", "dohod")), TRows({kIncomeFather, kIncomeMother}));
        using TDebts = std::vector<std::pair<QString, QStringList>>;
        EXPECT_EQ(DebtsWithReturns(b.Folder("Семья")),
                  TDebts({{"Соседу", {"10"}}, {"Брату", {"20", "21"}}, {"Другу", {"30"}}}));
        EXPECT_EQ(DebtsWithReturns(b.Folder("Дача")),
                  TDebts({{"Тёте", {"40"}}, {"Брату", {"20", "21"}}, {"Другу", {"30"}}}));
    }
}

namespace {

struct TBaseChange {
    TBooks b;
    int totals = 0;
    TUsersLogic users{b.state, TUserHooks{[this] { ++totals; }, {}, {}, {}, {}, {}}};
    TBaseChange() {
        b.SetUsers({{"Папа", "Семья", "1", "0"}, {"Мама", "Семья", "0", "0"}, {"Сын", "Дача", "0", "0"}});
        b.SetBases({"Семья", "Дача"});
        MakeBases(b);
        b.Open("Мама", "Семья");
    }
};

const TMessage kMoveQuestion = Question(
    {"Перенести записи пользователя \"Папа\"", "из базы \"Семья\" в базу \"Дача\"?"}, TMsgButton::Yes);

} // namespace

TEST(MoveRecords, ChangingAUsersBaseOffersTheMoveAndReloadsTheOpenBase) {
    TBaseChange t;
    // An edit of the open base not yet saved is in the files before they are read.
    t.b.state.Table(TTableKind::Rashod).Row(0)->SetCell(5, "правка");
    TMessageRecorder rec;
    const auto answer = t.users.CommitBase(0, "Дача");
    EXPECT_TRUE(answer.stored);
    EXPECT_TRUE(answer.baseReloaded);
    EXPECT_EQ(t.totals, 1);
    EXPECT_EQ(rec.Boxes(), (std::vector<TMessage>{kMoveQuestion, kAddCard}));
    EXPECT_EQ(t.b.UsersOnDisk()[0][1], "Дача");
    const TMemTable& rashod = t.b.state.Table(TTableKind::Rashod);
    ASSERT_EQ(rashod.RowCount(), 2); // the mother's record and the new-record row
    EXPECT_EQ(rashod.Row(0)->Cell(5), "правка");
    EXPECT_EQ(RowsOfFile(t.b.File("Дача", "rashod")), TRows({kB1, kR2, kR3}));
}

TEST(MoveRecords, DecliningTheMoveOnlyChangesTheBaseCell) {
    TBaseChange t;
    TMessageRecorder rec;
    rec.AnswerNo();
    const auto answer = t.users.CommitBase(0, "Дача");
    EXPECT_TRUE(answer.stored);
    EXPECT_FALSE(answer.baseReloaded);
    EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{kMoveQuestion});
    EXPECT_EQ(RowsOfFile(t.b.File("Семья", "rashod")), TRows({kR1, kR2, kR3}));
    EXPECT_EQ(t.totals, 0);
}

TEST(MoveRecords, ABadBaseNameInTheUsersGridIsRefused) {
    const struct {
        QString base;
        TMessage box;
    } cases[] = {
        {"../Чужая", Error({"Недопустимые символы >,<,*,?,/,|,\\,:,\""})},
        {"..", Error({"Недопустимые символы >,<,*,?,/,|,\\,:,\""})},
        {"  ", Error({"Имя базы не может быть пустым"})},
        {"baseuser", Error({"Имя не уникально"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base.toStdString());
        TBaseChange t;
        const QStringList tree = TreeOf(t.b.home.Path());
        TMessageRecorder rec;
        EXPECT_FALSE(t.users.CommitBase(0, c.base).stored);
        EXPECT_EQ(rec.Boxes(), std::vector<TMessage>{c.box});
        EXPECT_EQ(t.b.state.users.Row(0)->Cell(1), "Семья");
        EXPECT_EQ(TreeOf(t.b.home.Path()), tree);
    }
}
