// Every change of the books through the session's one door can be taken back and done again: the tables
// byte for byte, the debts with their returns, the purses, the totals and the filtered views as they were.
#include "session/tsession.h"

#include "commitpath.h"
#include "ledger/clipboardcells.h"
#include "ledger/tbaseloader.h"
#include "ledger/tdatereader.h"
#include "ledger/tkindspick.h"
#include "messagerecorder.h"
#include "session/changenames.h"
#include "storage/atomicfile.h"
#include "tablefiles.h"
#include "testfolders.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <random>

namespace {

QString Num(long double x) {
    return QString::number(double(x), 'g', 17);
}

// A table as readable rows, and its bytes by their digest: a failure shows what differs, the digest
// that nothing else does.
QString TableText(const TMemTable& t) {
    QStringList rows;
    for (int i = 0; i < t.RowCount(); ++i)
        rows << t.Row(i)->Cells().join('|');
    return rows.join("; ") + " #" +
           QString::fromLatin1(QCryptographicHash::hash(t.ToBytes(), QCryptographicHash::Sha1).toHex());
}

// The lines that differ, for a failure that names what did not come back.
::testing::AssertionResult Same(const QStringList& now, const QStringList& expected) {
    if (now == expected) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    for (qsizetype i = 0; i < std::max(now.size(), expected.size()); ++i)
        if (now.value(i) != expected.value(i))
            failure << "\n  is:        " << now.value(i).toStdString()
                    << "\n  should be: " << expected.value(i).toStdString();
    return failure;
}

class Changes : public ::testing::Test {
public:
    void SetUp() override {
        TMyType& s = session.state;
        s.paths.dataRoot = home.Path() + "/";
        s.paths.programFolder = home.Path() + "/program";
        s.userName = "Мама";
        s.baseName = "Семья";
        s.baseFolder = home.Path() + "/BASE/Семья";
        Write("purse", {{"рубль", "1", "1000", "1"}, {"евро", "100", "50", "0"}});
        Write("rashod", {{"01.12.2026", "Еда", "Хлеб", "100", "рубль", "", "Мама"},
                         {"02.12.2026", "Дом", "Свет", "2", "евро", "", "Мама"},
                         {"10.12.2026", "Еда", "Молоко", "30", "рубль", "", "Мама"}});
        Write("dohod", {{"05.12.2026", "Зарплата", "500", "рубль", "", "Мама"}});
        Write("dolg", {{"дано в долг", "01.12.2026", "31.12.2026", "Сосед", "300", "рубль", "", "отображать",
                        "Мама", "0"},
                       {"взято в долг", "04.12.2026", "31.01.2027", "Банк", "20", "евро", "", "отображать",
                        "Мама", "1"}});
        Write("Debt/debt0", {{"03.12.2026", "100", "рубль", ""}});
        Write("Debt/debt1", {{"06.12.2026", "5", "евро", ""}});
        Write("planrashod", {{"Еда", "Хлеб", "01.12.2026", "31.12.2026", "3000", "рубль", "", "Мама"}});
        Write("plandohod", {{"Зарплата", "01.12.2026", "31.12.2026", "50000", "рубль", "", "Мама"}});
        Write("transfer_purse", {{"07.12.2026", "рубль", "1", "евро", "100", "200", ""}});
        Write("vidrashod", {{"Еда", "Хлеб", "Молоко"}, {"Дом", "Свет"}});
        Write("viddohod", {{"Виды доходов", "Зарплата", "Подарок"}});
        session.OpenBase();
    }
    void Write(const QString& table, const std::vector<QStringList>& rows) {
        MakePrivateFolder(QFileInfo(session.state.baseFolder + "/" + table).absolutePath());
        TMemTable t;
        for (const QStringList& r : rows)
            t.AddRow()->SetCells(r);
        ASSERT_TRUE(t.SaveToFile(session.state.baseFolder + "/" + table));
    }
    TDataGrid& Grid(TTableKind kind) { return session.state.Grid(kind); }
    int NewRow(TTableKind kind) { return Grid(kind).GridRowCount() - 1; }
    // Every table written once as the program holds it (with the new-entry rows).
    void SaveAll() {
        TMyType& s = session.state;
        for (TTableKind kind :
             {TTableKind::Rashod, TTableKind::Dohod, TTableKind::Dolg, TTableKind::PlanRashod,
              TTableKind::PlanDohod, TTableKind::Transfer, TTableKind::Purse})
            s.Table(kind).Touch();
        s.vidRashod.Touch();
        s.vidDohod.Touch();
        for (const auto& returns : s.returns)
            if (returns) returns->Touch();
        ASSERT_TRUE(TBaseLoader::SaveTables(s));
    }

    // A cell of a grid row committed with the editor its column opens, the cell selected as the window
    // selects it.
    TCommitResult Type(TTableKind kind, int gridRow, int col, const QString& text) {
        TDataGrid& g = Grid(kind);
        g.row = gridRow;
        g.col = col;
        return CommitCell(session.edit, g, col, gridRow, text);
    }
    // A record typed into the new-record row cell by cell, following it as the sort moves it.
    void TypeRecord(TTableKind kind, const std::vector<std::pair<int, QString>>& cells) {
        int row = NewRow(kind);
        for (const auto& [col, text] : cells) {
            Type(kind, row, col, text);
            row = Grid(kind).row;
        }
    }
    // Ctrl+V as the window does it: the editor opens on the pasted text, and Enter commits it.
    TCommitResult Paste(TTableKind kind, int gridRow, int col, const QString& clipboard) {
        TDataGrid& g = Grid(kind);
        g.row = gridRow;
        g.col = col;
        if (!IsClipboardColumn(g, col)) return {};
        const TEditRequest req = session.general.BeginEdit(g, col, gridRow, QChar(), TEditStart::Enter);
        if (req.kind != TEditorKind::Number && req.kind != TEditorKind::Text) return {};
        return session.edit.CommitText(g, req.col, req.row, req.kind, PastedCellText(g, col, clipboard));
    }
    // A name taken from the expense kinds picker with Enter into the grid row on show.
    void Pick(TTableKind kind, int gridRow, int kindCol, int nameRow) {
        TDataGrid& g = Grid(kind);
        g.row = gridRow;
        g.col = 1;
        PickKind(session.state, session.general, session.edit, session.state.vidRashodGrid, kindCol, nameRow,
                 g, TPickTrigger::Enter);
    }
    // Choosing the debt on show is no change of the books: the state the next step starts from, and an
    // undo of it comes back to, is the one the choice leaves.
    void ShowDebt(int row) {
        session.money.dolg.DebtRowSelected(row);
        if (startStates && !startStates->empty()) startStates->back() = State();
    }
    void FilterMonth(TTableKind kind) {
        Grid(kind).filterChoice = filtertype::Month;
        session.filters.ReapplyFilter(kind);
    }
    // "Очистить таблицы" → "Принять", dropping the filters as the window does.
    bool Clear(TClearRequest request) {
        return session.money.ClearTablesByPeriod(request, [&] {
            for (TTableKind kind : LedgerKinds())
                if (Grid(kind).filterActive || Grid(kind).filterChoice) session.hooks.DropFilter(Grid(kind));
        });
    }

    // The books as the program holds them: every table, each debt with its returns, the kinds lists, and
    // the totals with their sums per purse.
    QStringList Books() {
        TMyType& s = session.state;
        QStringList out;
        for (TTableKind kind :
             {TTableKind::Rashod, TTableKind::Dohod, TTableKind::Dolg, TTableKind::PlanRashod,
              TTableKind::PlanDohod, TTableKind::Transfer, TTableKind::Purse})
            out << TableDef(kind).fileName + ": " + TableText(s.Table(kind));
        out << "users: " + TableText(s.users) << "vidrashod: " + TableText(s.vidRashod)
            << "viddohod: " + TableText(s.vidDohod);
        const TMemTable& dolg = s.Table(TTableKind::Dolg);
        for (int i = 0; i < dolg.RowCount(); ++i) {
            const int n = dolg.Row(i)->Cell(col::dolg::DebtNumber).toInt();
            out << "returns of debt " + QString::number(i) + ": " +
                       (size_t(n) < s.returns.size() && s.returns[size_t(n)]
                            ? TableText(*s.returns[size_t(n)])
                            : QString("-"));
        }
        const auto hex = [](const TMemTable& t) { return QString::fromLatin1(t.ToBytes().toHex()); };
        for (TTableKind kind : {TTableKind::Rashod, TTableKind::Dohod, TTableKind::Dolg}) {
            const TDataGrid& g = Grid(kind);
            out << QString::number(double(g.total)) << QString::number(double(g.todayTotal))
                << hex(g.perPurse) << hex(g.perPurseToday);
        }
        const TDebtTotals& d = s.debtTotals;
        out << hex(d.lentPerPurse) << hex(d.lentPerPurseToday) << hex(d.returnsToMe) << hex(d.myReturns);
        out << QString::number(double(s.totalMoney));
        return out;
    }
    // What the user sees beside the tables: the totals of each grid, the filtered views, the debts'
    // totals, the total money and the base purse, the debt on show. Purse amounts and the debts'
    // remainders are cells of the books.
    QStringList Seen(bool withFiltered = true) {
        TMyType& s = session.state;
        QStringList out;
        for (TTableKind kind : LedgerKinds()) {
            const TDataGrid& g = Grid(kind);
            const QString name = TableDef(kind).fileName;
            out << name + " total " + Num(g.total) + ", today " + Num(g.todayTotal) + ", per purse " +
                       TableText(g.perPurse) + ", today " + TableText(g.perPurseToday);
            QStringList map;
            for (int r : g.RowMap)
                map << QString::number(r);
            out << name + " filter " + QString::number(g.filterChoice) + (g.filterActive ? " on" : " off") +
                       ", rows " + map.join(',');
            // The filtered totals are shown only while the filter is on. They follow the records typed
            // under the filter, but a purse renamed, added or made the base one moves them only when the
            // filter is next applied, as an undo or a redo applies it: a sequence compares them only
            // where it starts from a filter just applied.
            out << name + " filtered " +
                       (g.filterActive && withFiltered
                            ? Num(g.filteredTotal) + ", lent " + Num(g.filteredLentTotal) + ", " +
                                  TableText(g.filteredPerPurse) + ", " + TableText(g.filteredBorrowedPerPurse)
                            : QString("-"));
        }
        const TDebtTotals& d = s.debtTotals;
        out << "lent " + Num(d.lentTotal) + " " + TableText(d.lentPerPurse) + ", today " +
                   Num(d.lentTodayTotal) + " " + TableText(d.lentPerPurseToday);
        out << "returns " + Num(d.returnsToMeTotal) + " " + TableText(d.returnsToMe) + ", mine " +
                   Num(d.myReturnsTotal) + " " + TableText(d.myReturns);
        out << "money " + Num(s.totalMoney) + " " + s.basePurse;
        out << "kinds sorted by " + QString::number(s.vidRashodGrid.SortColumn) +
                   (s.vidRashodGrid.SortAscending ? " up" : " down");
        out << "debt on show " + QString::number(s.currentDebt) + ": " +
                   TableText(*Grid(TTableKind::Returns).Table);
        return out;
    }
    QStringList State() { return Books() + Seen(withFilteredTotals); }

    // One change a family makes, picked by the seed, made the way the window makes it.
    void RandomChange(std::mt19937& rng);

    std::vector<QStringList>* startStates = nullptr; // of a sequence of changes, kept by the test
    bool withFilteredTotals = true;

    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
    TMessageRecorder boxes;
    TSession session;
};

const QStringList kPurseNames = {"рубль", "евро", "доллар", "копилка"};

void Changes::RandomChange(std::mt19937& rng) {
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const QString sum = QString::number(1 + pick(900));
    const QString purse = kPurseNames[pick(pick(3) ? 2 : 4)];
    const QString day = QString("%1.12.2026").arg(1 + pick(12), 2, 10, QChar('0'));
    TSession& s = session;
    const auto record = [&](TTableKind kind) { return 1 + pick(std::max(1, Grid(kind).GridRowCount() - 1)); };
    switch (pick(24)) {
    case 0: { // an expense: kind and name from the picker, then the sum
        const int kinds = s.state.vidRashod.RowCount();
        const int kind = pick(kinds);
        const int names = std::max(1, s.state.vidRashod.Row(kind)->CellCount() - 1);
        const int row = NewRow(TTableKind::Rashod);
        s.Change(changename::Typing(Grid(TTableKind::Rashod), col::rashod::Sum), [&] {
            Pick(TTableKind::Rashod, row, kind, 1 + pick(names));
            Type(TTableKind::Rashod, Grid(TTableKind::Rashod).row, col::rashod::Purse, purse);
            Type(TTableKind::Rashod, Grid(TTableKind::Rashod).row, col::rashod::Sum, sum);
        });
        break;
    }
    case 1: { // an income
        const QString kind = pick(2) ? "Зарплата" : "Подарок";
        s.Change(changename::Typing(Grid(TTableKind::Dohod), col::dohod::Sum), [&] {
            TypeRecord(TTableKind::Dohod, {{col::dohod::Date, day},
                                           {col::dohod::Kind, kind},
                                           {col::dohod::Purse, purse},
                                           {col::dohod::Sum, sum}});
        });
        break;
    }
    case 2: { // a sum typed over
        const TTableKind kind = pick(2) ? TTableKind::Rashod : TTableKind::Dohod;
        s.Change(changename::Typing(Grid(kind), Grid(kind).SumColumn),
                 [&] { Type(kind, record(kind), Grid(kind).SumColumn, sum); });
        break;
    }
    case 3: { // a record deleted
        const TTableKind kind = LedgerKinds()[size_t(pick(5))];
        s.Change(changename::Deletion(), [&] { s.general.DeleteLedgerRow(Grid(kind), record(kind), true); });
        break;
    }
    case 4: { // a debt lent or borrowed
        const QString category = pick(2) ? "дано в долг" : "взято в долг";
        const QString party = pick(2) ? "Сосед" : "Брат";
        const QString inPurse = pick(3) ? "отображать" : "не отображать";
        s.Change(changename::Typing(Grid(TTableKind::Dolg), col::dolg::Sum), [&] {
            TypeRecord(TTableKind::Dolg, {{col::dolg::Category, category},
                                          {col::dolg::Date, day},
                                          {col::dolg::Due, "31.12.2026"},
                                          {col::dolg::Party, party},
                                          {col::dolg::Purse, purse},
                                          {col::dolg::Sum, sum},
                                          {col::dolg::InPurse, inPurse}});
        });
        break;
    }
    case 5: { // a return of a debt
        const int debts = s.state.Table(TTableKind::Dolg).RowCount();
        if (debts == 0) break;
        ShowDebt(pick(debts));
        const QString back = QString::number(1 + pick(50));
        s.Change(changename::Typing(Grid(TTableKind::Returns), col::returns::Sum), [&] {
            TypeRecord(TTableKind::Returns,
                       {{col::returns::Date, day}, {col::returns::Purse, purse}, {col::returns::Sum, back}});
        });
        break;
    }
    case 6: { // a debt deleted with its returns, or a return deleted
        const TTableKind kind = pick(2) ? TTableKind::Dolg : TTableKind::Returns;
        if (kind == TTableKind::Returns && s.state.Table(TTableKind::Dolg).RowCount() > 0)
            ShowDebt(pick(s.state.Table(TTableKind::Dolg).RowCount()));
        s.Change(changename::Deletion(), [&] { s.general.DeleteLedgerRow(Grid(kind), record(kind), true); });
        break;
    }
    case 7: // a kind added
        s.Change(changename::KindAdded(), [&] { s.kinds.AddKind(QString("Вид %1").arg(pick(6))); });
        break;
    case 8: // a kind renamed, carried into the records
        s.Change(changename::KindRenamed(), [&] {
            s.kinds.RenameKind(pick(s.state.vidRashod.RowCount()),
                               pick(2) ? "Еда" : QString("Вид %1").arg(pick(6)));
        });
        break;
    case 9: // a kind deleted
        s.Change(changename::KindDeleted(), [&] { s.kinds.DeleteKind(pick(s.state.vidRashod.RowCount())); });
        break;
    case 10: { // a name of a kind typed over in the kinds list, carried into the records
        TDataVidGrid& list = pick(2) ? s.state.vidRashodGrid : s.state.vidDohodGrid;
        const int column = pick(list.Table->RowCount());
        const int row = 1 + pick(TKindsLists::LastNameRow(list, column) + 1);
        s.Change(changename::NameTyped(), [&] {
            s.kinds.CommitName(list, column, row, pick(2) ? "Хлеб" : QString("Имя %1").arg(pick(5)));
        });
        break;
    }
    case 11: { // a sum or a note pasted
        const TTableKind kind = LedgerKinds()[size_t(pick(5))];
        const bool note = pick(3) == 0;
        const TDataGrid& g = Grid(kind);
        const int column = note ? g.SumColumn + 2 : g.SumColumn;
        s.Change(changename::Paste(),
                 [&] { Paste(kind, record(kind), column, note ? "к празднику" : sum + "+" + sum); });
        break;
    }
    case 12: { // a purse added, or one renamed (the base purse too)
        const QString name = kPurseNames[pick(4)];
        s.Change(changename::Typing(Grid(TTableKind::Purse), col::purse::Name), [&] {
            s.general.EnsureNewRow(Grid(TTableKind::Purse)); // as a key typed into the grid does
            Type(TTableKind::Purse, record(TTableKind::Purse), col::purse::Name, name);
        });
        break;
    }
    case 13: { // a purse's rate or amount typed
        const int column = pick(2) ? col::purse::Rate : col::purse::Amount;
        s.Change(changename::Typing(Grid(TTableKind::Purse), column), [&] {
            Type(TTableKind::Purse, record(TTableKind::Purse), column, QString::number(1 + pick(120)));
        });
        break;
    }
    case 14: // a purse deleted
        s.Change(changename::Deletion(), [&] {
            s.general.DeleteLedgerRow(Grid(TTableKind::Purse), record(TTableKind::Purse), true);
        });
        break;
    case 15: // the base purse changed
        s.Change(changename::BasePurseChosen(), [&] { s.money.purse.ChangeBasePurse(kPurseNames[pick(4)]); });
        break;
    case 16: { // a transfer between purses
        const QString to = kPurseNames[pick(2)];
        s.Change(changename::Typing(Grid(TTableKind::Transfer), col::transfer::Amount), [&] {
            s.general.EnsureNewRow(Grid(TTableKind::Transfer)); // as a key typed into the grid does
            TypeRecord(TTableKind::Transfer, {{col::transfer::Date, day},
                                              {col::transfer::FromPurse, purse},
                                              {col::transfer::ToPurse, to},
                                              {col::transfer::Amount, sum}});
        });
        break;
    }
    case 17: { // a transfer's cell typed over, or the transfer deleted
        const int row = record(TTableKind::Transfer);
        if (pick(2))
            s.Change(changename::Typing(Grid(TTableKind::Transfer), col::transfer::Amount),
                     [&] { Type(TTableKind::Transfer, row, col::transfer::Amount, sum); });
        else
            s.Change(changename::Deletion(),
                     [&] { s.general.DeleteLedgerRow(Grid(TTableKind::Transfer), row, true); });
        break;
    }
    case 18: { // a plan
        const TTableKind kind = pick(2) ? TTableKind::PlanRashod : TTableKind::PlanDohod;
        const int sumColumn = Grid(kind).SumColumn;
        std::vector<std::pair<int, QString>> cells;
        if (kind == TTableKind::PlanRashod)
            cells = {{col::planrashod::Kind, "Дом"}, {col::planrashod::Name, "Свет"}};
        else
            cells = {{col::plandohod::Kind, "Подарок"}};
        cells.insert(
            cells.end(),
            {{sumColumn - 2, day}, {sumColumn - 1, "31.12.2026"}, {sumColumn + 1, purse}, {sumColumn, sum}});
        s.Change(changename::Typing(Grid(kind), sumColumn), [&] { TypeRecord(kind, cells); });
        break;
    }
    case 19: {                   // tables cleared by period
        if (pick(3) != 0) break; // rarer: it takes much at once
        TClearRequest request;
        request.from = QDate(2026, 12, 1);
        request.to = QDate(2026, 12, 1 + pick(10));
        request.rashod = pick(2);
        request.dohod = pick(2);
        request.dolg = pick(2);
        request.planRashod = pick(2);
        request.planDohod = pick(2);
        request.transfer = pick(2);
        request.recalc = pick(2);
        s.Change(changename::TablesCleared(), [&] { Clear(request); });
        break;
    }
    case 20: { // a purse chosen for a record
        const TTableKind kind = LedgerKinds()[size_t(pick(5))];
        s.Change(changename::Typing(Grid(kind), Grid(kind).SumColumn + 1),
                 [&] { Type(kind, record(kind), Grid(kind).SumColumn + 1, purse); });
        break;
    }
    case 21: { // a debt's category or whether it counts in the purse
        const int column = pick(2) ? col::dolg::Category : col::dolg::InPurse;
        const QString value = column == col::dolg::Category ? (pick(2) ? "дано в долг" : "взято в долг")
                                                            : (pick(2) ? "отображать" : "не отображать");
        s.Change(changename::Typing(Grid(TTableKind::Dolg), column),
                 [&] { Type(TTableKind::Dolg, record(TTableKind::Dolg), column, value); });
        break;
    }
    case 22: { // a date typed: the record moves to its place, today's totals follow
        const TTableKind kind = pick(2) ? TTableKind::Rashod : TTableKind::Dohod;
        s.Change(changename::Typing(Grid(kind), 0), [&] { Type(kind, record(kind), 0, day); });
        break;
    }
    case 23: { // a debt's return typed over
        const int debts = s.state.Table(TTableKind::Dolg).RowCount();
        if (debts == 0) break;
        ShowDebt(pick(debts));
        s.Change(changename::Typing(Grid(TTableKind::Returns), col::returns::Sum), [&] {
            Type(TTableKind::Returns, record(TTableKind::Returns), col::returns::Sum,
                 QString::number(1 + pick(80)));
        });
        break;
    }
    }
}

// Seeded runs of 200 changes of every kind: undoing them all passes back through every earlier state to
// the books as opened, redoing them all forward to the end; the saves in between write what is shown,
// and the files after undoing everything are byte for byte those of the base as it was, and after
// redoing everything those of the base as the changes left it.
class Sequences : public Changes, public ::testing::WithParamInterface<unsigned> {};

TEST_P(Sequences, TwoHundredChangesUndoneAndRedoneByteForByte) {
    TMyType& s = session.state;
    // An odd seed works with a filter on the expenses, as a family that looks at this month does.
    if (GetParam() % 2) FilterMonth(TTableKind::Rashod);
    withFilteredTotals = false;
    SaveAll();
    const auto filesAtStart = FileBytesUnder(s.baseFolder);
    std::mt19937 rng(GetParam());
    // The state each step leaves, and the one the next step starts from (a debt chosen in between).
    std::vector<QStringList> seen{State()}, starts{State()};
    startStates = &starts;
    for (int i = 0; i < 200; ++i) {
        const int before = session.History().count();
        boxes.Reset();
        boxes.AnswerYes(); // the question a change meets first is answered yes, the others by default
        RandomChange(rng);
        ASSERT_LE(session.History().count(), before + 1) << "change " << i;
        if (session.History().count() != before) {
            seen.push_back(State());
            starts.push_back(State());
        } else {
            ASSERT_TRUE(Same(State(), starts.back()))
                << "change " << i << " changed the books but left no step";
        }
        if (i % 37 == 0) {
            ASSERT_TRUE(TBaseLoader::SaveTables(s)); // the autosave between changes
        }
    }
    const auto filesAtEnd = [&] {
        SaveAll();
        return FileBytesUnder(s.baseFolder);
    }();
    const int steps = session.History().count();
    ASSERT_GT(steps, 100);
    ASSERT_EQ(size_t(steps) + 1, seen.size());
    boxes.Reset();
    for (int i = steps; i > 0; --i) {
        ASSERT_TRUE(session.Undo());
        ASSERT_TRUE(Same(State(), starts[size_t(i - 1)]))
            << "after undoing step " << i << ": " << session.History().text(i - 1).toStdString();
        if (i % 23 == 0) {
            ASSERT_TRUE(TBaseLoader::SaveTables(s));
        }
    }
    ASSERT_TRUE(TBaseLoader::SaveTables(s));
    EXPECT_EQ(FileBytesUnder(s.baseFolder), filesAtStart);
    for (int i = 1; i <= steps; ++i) {
        ASSERT_TRUE(session.Redo());
        ASSERT_TRUE(Same(State(), seen[size_t(i)]))
            << "after redoing step " << i << ": " << session.History().text(i - 1).toStdString();
        if (i % 29 == 0) {
            ASSERT_TRUE(TBaseLoader::SaveTables(s));
        }
    }
    SaveAll();
    EXPECT_EQ(FileBytesUnder(s.baseFolder), filesAtEnd);
    EXPECT_TRUE(boxes.Boxes().empty()) << "undo and redo ask nothing and tell nothing";
}

INSTANTIATE_TEST_SUITE_P(Seeds, Sequences, ::testing::Values(20261210u, 7u, 424242u, 1999u));

// One kind of change on the small base: what the user did before it (outside the history), the step's
// name, the change as the window makes it, and the boxes it shows once.
struct TCase {
    const char* name;
    std::function<void(Changes&)> setup;
    std::function<QString(Changes&)> step;
    std::function<void(Changes&)> change;
    std::vector<TMessage> shown = {};
};

void PrintTo(const TCase& c, std::ostream* os) {
    *os << c.name;
}

QString Typing(Changes& t, TTableKind kind, int col) {
    return changename::Typing(t.Grid(kind), col);
}

const TMessage kDeleteRow = Question({"Вы действительно хотите удалить строку?"}, TMsgButton::Yes);

TClearRequest EveryTable(QDate from, QDate to, bool recalc) {
    TClearRequest r;
    r.from = from;
    r.to = to;
    r.rashod = r.dohod = r.dolg = r.planRashod = r.planDohod = r.transfer = true;
    r.recalc = recalc;
    return r;
}

// Deleting the euro purse, which expenses, a debt, a return and a transfer name.
const std::vector<TMessage> kEuroDeleted = {
    Question({"Вы действительно хотите удалить кошелек?"}, TMsgButton::Yes),
    Question(
        {"Существуют расходы, связанные с удаляемым кошельком.", "Вы действительно хотите удалить кошелек?"},
        TMsgButton::Yes),
    Question(
        {"Существуют долги, связанные с удаляемым кошельком.", "Вы действительно хотите удалить кошелек?"},
        TMsgButton::Yes),
    Question({"Существует перенос денег, связанный с удаляемым кошельком.",
              "Вы действительно хотите удалить кошелек?"},
             TMsgButton::Yes),
    Question({"Существует возврат долга, связанный с удаляемым кошельком.",
              "Вы действительно хотите удалить кошелек?"},
             TMsgButton::Yes),
    Info({"Кошелек удален.", "Записи с удаленным кошельком остались",
          "в таблице расходов,  долгов,  переноса денег.", "Итоги посчитаны без учета этих записей."})};

const TMessage kClearQuestion =
    Question({"Будет произведено удаление всех записей", "в выделенных таблицах в указанном диапазоне дат",
              "Восстановление будет невозможно.", "Продолжить?"},
             TMsgButton::No);

const std::vector<TCase> kCases = {
    {"ExpenseSumTypedOver", nullptr,
     [](Changes& t) { return Typing(t, TTableKind::Rashod, col::rashod::Sum); },
     [](Changes& t) { t.Type(TTableKind::Rashod, 1, col::rashod::Sum, "250"); }},
    {"ExpenseTypedIntoTheNewRow",
     [](Changes& t) { t.Pick(TTableKind::Rashod, t.NewRow(TTableKind::Rashod), 1, 1); },
     [](Changes& t) { return Typing(t, TTableKind::Rashod, col::rashod::Sum); },
     [](Changes& t) { t.Type(TTableKind::Rashod, t.Grid(TTableKind::Rashod).row, col::rashod::Sum, "70"); }},
    {"ExpenseDateTypedToToday", nullptr,
     [](Changes& t) { return Typing(t, TTableKind::Rashod, col::rashod::Date); },
     [](Changes& t) { t.Type(TTableKind::Rashod, 1, col::rashod::Date, "10.12.2026"); }},
    {"ExpensePurseChosen", nullptr,
     [](Changes& t) { return Typing(t, TTableKind::Rashod, col::rashod::Purse); },
     [](Changes& t) { t.Type(TTableKind::Rashod, 1, col::rashod::Purse, "евро"); }},
    {"ExpenseKindPicked", nullptr,
     [](Changes& t) { return Typing(t, TTableKind::Rashod, col::rashod::Kind); },
     [](Changes& t) { t.Pick(TTableKind::Rashod, 1, 1, 1); }},
    {"SumPasted", nullptr, [](Changes&) { return changename::Paste(); },
     [](Changes& t) { t.Paste(TTableKind::Rashod, 1, col::rashod::Sum, "2*60"); }},
    {"NotePasted", nullptr, [](Changes&) { return changename::Paste(); },
     [](Changes& t) { t.Paste(TTableKind::Rashod, 2, col::rashod::Note, "к празднику"); }},
    {"ExpenseDeleted",
     nullptr,
     [](Changes&) { return changename::Deletion(); },
     [](Changes& t) { t.session.general.DeleteLedgerRow(t.Grid(TTableKind::Rashod), 1, true); },
     {kDeleteRow}},
    {"IncomeSumTypedOver", nullptr, [](Changes& t) { return Typing(t, TTableKind::Dohod, col::dohod::Sum); },
     [](Changes& t) { t.Type(TTableKind::Dohod, 1, col::dohod::Sum, "800"); }},
    {"DebtTypedIntoTheNewRow",
     [](Changes& t) {
         t.TypeRecord(TTableKind::Dolg, {{col::dolg::Category, "дано в долг"},
                                         {col::dolg::Date, "08.12.2026"},
                                         {col::dolg::Due, "08.01.2027"},
                                         {col::dolg::Party, "Брат"},
                                         {col::dolg::Purse, "евро"}});
     },
     [](Changes& t) { return Typing(t, TTableKind::Dolg, col::dolg::Sum); },
     [](Changes& t) { t.Type(TTableKind::Dolg, t.Grid(TTableKind::Dolg).row, col::dolg::Sum, "3"); }},
    {"DebtCategoryChosen", nullptr,
     [](Changes& t) { return Typing(t, TTableKind::Dolg, col::dolg::Category); },
     [](Changes& t) { t.Type(TTableKind::Dolg, 1, col::dolg::Category, "взято в долг"); }},
    {"DebtLeftOutOfThePurse", nullptr,
     [](Changes& t) { return Typing(t, TTableKind::Dolg, col::dolg::InPurse); },
     [](Changes& t) { t.Type(TTableKind::Dolg, 1, col::dolg::InPurse, "не отображать"); }},
    {"DebtDeletedWithItsReturns",
     nullptr,
     [](Changes&) { return changename::Deletion(); },
     [](Changes& t) { t.session.general.DeleteLedgerRow(t.Grid(TTableKind::Dolg), 1, true); },
     {kDeleteRow}},
    {"ReturnTyped", [](Changes& t) { t.ShowDebt(0); },
     [](Changes& t) { return Typing(t, TTableKind::Returns, col::returns::Sum); },
     [](Changes& t) { t.Type(TTableKind::Returns, t.NewRow(TTableKind::Returns), col::returns::Sum, "50"); }},
    {"ReturnOfABorrowedDebtTypedOver", [](Changes& t) { t.ShowDebt(1); },
     [](Changes& t) { return Typing(t, TTableKind::Returns, col::returns::Sum); },
     [](Changes& t) { t.Type(TTableKind::Returns, 1, col::returns::Sum, "15"); }},
    {"ReturnDeleted",
     [](Changes& t) { t.ShowDebt(0); },
     [](Changes&) { return changename::Deletion(); },
     [](Changes& t) { t.session.general.DeleteLedgerRow(t.Grid(TTableKind::Returns), 1, true); },
     {kDeleteRow}},
    {"PlanSumTypedOver", nullptr,
     [](Changes& t) { return Typing(t, TTableKind::PlanRashod, col::planrashod::Sum); },
     [](Changes& t) { t.Type(TTableKind::PlanRashod, 1, col::planrashod::Sum, "2500"); }},
    {"KindAdded", nullptr, [](Changes&) { return changename::KindAdded(); },
     [](Changes& t) { t.session.kinds.AddKind("Транспорт"); }},
    {"KindRenamedIntoTheRecords", nullptr, [](Changes&) { return changename::KindRenamed(); },
     [](Changes& t) { t.session.kinds.RenameKind(0, "Продукты"); }},
    {"KindDeleted",
     [](Changes& t) { t.session.kinds.SortKind(t.session.state.vidRashodGrid, 1); },
     [](Changes&) { return changename::KindDeleted(); },
     [](Changes& t) { t.session.kinds.DeleteKind(1); },
     {Question({"Вы действительно хотите удалить столбец?"}, TMsgButton::Yes)}},
    {"NameRenamedIntoTheRecords", nullptr, [](Changes&) { return changename::NameTyped(); },
     [](Changes& t) { t.session.kinds.CommitName(t.session.state.vidRashodGrid, 0, 1, "Батон"); }},
    {"IncomeNameRenamedIntoTheRecords", nullptr, [](Changes&) { return changename::NameTyped(); },
     [](Changes& t) { t.session.kinds.CommitName(t.session.state.vidDohodGrid, 0, 1, "Оклад"); }},
    {"NameDeleted",
     nullptr,
     [](Changes&) { return changename::NameDeleted(); },
     [](Changes& t) { t.session.kinds.DeleteName(t.session.state.vidRashodGrid, 0, 1); },
     {Question({"Вы действительно хотите удалить ячейку?"}, TMsgButton::Yes)}},
    {"PurseAdded", [](Changes& t) { t.session.general.EnsureNewRow(t.Grid(TTableKind::Purse)); },
     [](Changes& t) { return Typing(t, TTableKind::Purse, col::purse::Name); },
     [](Changes& t) { t.Type(TTableKind::Purse, t.NewRow(TTableKind::Purse), col::purse::Name, "доллар"); }},
    {"BasePurseRenamed", nullptr, [](Changes& t) { return Typing(t, TTableKind::Purse, col::purse::Name); },
     [](Changes& t) { t.Type(TTableKind::Purse, 1, col::purse::Name, "рубли"); }},
    {"PurseRateTyped", nullptr, [](Changes& t) { return Typing(t, TTableKind::Purse, col::purse::Rate); },
     [](Changes& t) { t.Type(TTableKind::Purse, 2, col::purse::Rate, "90"); }},
    {"PurseAmountTyped", nullptr, [](Changes& t) { return Typing(t, TTableKind::Purse, col::purse::Amount); },
     [](Changes& t) { t.Type(TTableKind::Purse, 1, col::purse::Amount, "1234"); }},
    {"PurseDeletedWithRecordsNamingIt", nullptr, [](Changes&) { return changename::Deletion(); },
     [](Changes& t) { t.session.general.DeleteLedgerRow(t.Grid(TTableKind::Purse), 2, true); }, kEuroDeleted},
    {"BasePurseChanged", nullptr, [](Changes&) { return changename::BasePurseChosen(); },
     [](Changes& t) { t.session.money.purse.ChangeBasePurse("евро"); }},
    {"TransferTyped",
     [](Changes& t) {
         t.session.general.EnsureNewRow(t.Grid(TTableKind::Transfer));
         t.TypeRecord(TTableKind::Transfer,
                      {{col::transfer::FromPurse, "евро"}, {col::transfer::ToPurse, "рубль"}});
     },
     [](Changes& t) { return Typing(t, TTableKind::Transfer, col::transfer::Amount); },
     [](Changes& t) {
         t.Type(TTableKind::Transfer, t.Grid(TTableKind::Transfer).row, col::transfer::Amount, "30");
     }},
    {"TransferDeleted",
     nullptr,
     [](Changes&) { return changename::Deletion(); },
     [](Changes& t) { t.session.general.DeleteLedgerRow(t.Grid(TTableKind::Transfer), 1, true); },
     {kDeleteRow}},
    {"TablesClearedWithThePurses",
     nullptr,
     [](Changes&) { return changename::TablesCleared(); },
     [](Changes& t) { t.Clear(EveryTable(QDate(2026, 12, 1), QDate(2026, 12, 5), true)); },
     {kClearQuestion}},
    {"TablesClearedLeavingThePurses",
     nullptr,
     [](Changes&) { return changename::TablesCleared(); },
     [](Changes& t) { t.Clear(EveryTable(QDate(2026, 12, 4), QDate(2026, 12, 10), false)); },
     {kClearQuestion}},
    {"ExpenseSumTypedUnderAFilter", [](Changes& t) { t.FilterMonth(TTableKind::Rashod); },
     [](Changes& t) { return Typing(t, TTableKind::Rashod, col::rashod::Sum); },
     [](Changes& t) { t.Type(TTableKind::Rashod, 1, col::rashod::Sum, "250"); }},
    {"ExpenseDeletedUnderAFilter",
     [](Changes& t) { t.FilterMonth(TTableKind::Rashod); },
     [](Changes&) { return changename::Deletion(); },
     [](Changes& t) { t.session.general.DeleteLedgerRow(t.Grid(TTableKind::Rashod), 2, true); },
     {kDeleteRow}},
    {"DebtDeletedUnderAFilter",
     [](Changes& t) { t.FilterMonth(TTableKind::Dolg); },
     [](Changes&) { return changename::Deletion(); },
     [](Changes& t) { t.session.general.DeleteLedgerRow(t.Grid(TTableKind::Dolg), 2, true); },
     {kDeleteRow}},
    {"PurseDeletedUnderAFilter", [](Changes& t) { t.FilterMonth(TTableKind::Rashod); },
     [](Changes&) { return changename::Deletion(); },
     [](Changes& t) { t.session.general.DeleteLedgerRow(t.Grid(TTableKind::Purse), 2, true); }, kEuroDeleted},
    {"TablesClearedUnderAFilter",
     [](Changes& t) { t.FilterMonth(TTableKind::Rashod); },
     [](Changes&) { return changename::TablesCleared(); },
     [](Changes& t) {
         TClearRequest r;
         r.from = QDate(2026, 12, 1);
         r.to = QDate(2026, 12, 2);
         r.rashod = r.recalc = true;
         t.Clear(r);
     },
     {kClearQuestion}},
};

// Each kind of change on its own: it changes the books; undoing it puts every table back byte for byte,
// in memory and in the files a save writes, with what the user sees beside them (totals, purses, debts'
// remainders, the filtered view); redoing it puts the books as the change left them. Neither asks nor
// tells anything, and the step is named as the menu shows it.
class EachChange : public Changes, public ::testing::WithParamInterface<TCase> {};

TEST_P(EachChange, IsTakenBackAndDoneAgainByteForByte) {
    const TCase& c = GetParam();
    TMyType& s = session.state;
    if (c.setup) c.setup(*this);
    SaveAll();
    const auto filesBefore = FileBytesUnder(s.baseFolder);
    const QStringList books = Books(), seen = Seen();

    boxes.Reset();
    boxes.AnswerYes();
    const QString name = c.step(*this);
    ASSERT_TRUE(session.Change(name, [&] { c.change(*this); }));
    EXPECT_EQ(boxes.Boxes(), c.shown);
    EXPECT_EQ(session.History().count(), 1);
    EXPECT_EQ(session.History().undoText(), name);
    const QStringList booksAfter = Books(), seenAfter = Seen();
    ASSERT_NE(booksAfter, books);
    SaveAll();
    const auto filesAfter = FileBytesUnder(s.baseFolder);
    ASSERT_NE(filesAfter, filesBefore);

    boxes.Reset();
    ASSERT_TRUE(session.Undo());
    EXPECT_TRUE(Same(Books(), books));
    EXPECT_TRUE(Same(Seen(), seen));
    EXPECT_EQ(session.History().redoText(), name);
    ASSERT_TRUE(TBaseLoader::SaveTables(s));
    EXPECT_EQ(FileBytesUnder(s.baseFolder), filesBefore);

    ASSERT_TRUE(session.Redo());
    EXPECT_TRUE(Same(Books(), booksAfter));
    EXPECT_TRUE(Same(Seen(), seenAfter));
    EXPECT_EQ(session.History().undoText(), name);
    ASSERT_TRUE(TBaseLoader::SaveTables(s));
    EXPECT_EQ(FileBytesUnder(s.baseFolder), filesAfter);
    EXPECT_TRUE(boxes.Boxes().empty()) << "undo and redo ask nothing and tell nothing";
}

std::string CaseName(const ::testing::TestParamInfo<TCase>& c) {
    return c.param.name;
}

INSTANTIATE_TEST_SUITE_P(Kinds, EachChange, ::testing::ValuesIn(kCases), CaseName);

// A change that changes nothing (a refused sum, a deletion of nothing) leaves nothing to undo; the history
// is emptied when a base is opened again.
TEST_F(Changes, NothingDoneIsNoStepAndOpeningABaseForgetsTheSteps) {
    TDataGrid& g = Grid(TTableKind::Rashod);
    EXPECT_FALSE(session.Change(changename::Typing(g, col::rashod::Sum), [] {}));
    EXPECT_EQ(session.History().count(), 0);
    EXPECT_TRUE(
        session.Change(changename::Deletion(), [&] { session.general.DeleteLedgerRow(g, 1, false); }));
    EXPECT_EQ(session.History().undoText(), "удаление записи");
    session.OpenBase();
    EXPECT_EQ(session.History().count(), 0);
}

// Steps are replayed by the rows they name: once the books were changed past the door, the history is
// emptied rather than replayed over a change it does not know. A save changes nothing of the books.
TEST_F(Changes, ABookChangedPastTheDoorEmptiesTheHistory) {
    TDataGrid& g = Grid(TTableKind::Rashod);
    ASSERT_TRUE(
        session.Change(changename::Deletion(), [&] { session.general.DeleteLedgerRow(g, 1, false); }));
    ASSERT_TRUE(TBaseLoader::SaveTables(session.state));
    EXPECT_TRUE(session.Undo());
    EXPECT_TRUE(session.Redo());
    CommitCell(session.edit, g, 3, 1, "77");
    EXPECT_FALSE(session.Undo());
    EXPECT_EQ(session.History().count(), 0);
    EXPECT_EQ(session.state.Table(TTableKind::Rashod).Row(0)->Cell(3), "77");
}

// The debts' returns changed past the door are seen too, whichever table or list holds them: after a debt
// typed through the door, a returns table read with the base or made by the door changed, a returns table
// made or the returns let go outside it empty the history, while nothing of the kind leaves the debt to be
// taken back.
TEST_F(Changes, TheDebtsReturnsChangedPastTheDoorEmptyTheHistory) {
    TMyType& s = session.state;
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"nothing", [] {}},
        {"a return read with the base changed", [&] { s.ReturnsTable(0).Row(0)->SetCell(1, "90"); }},
        {"a return put into a table the door made", [&] { s.ReturnsTable(s.NextDebtNumber() - 1).AddRow(); }},
        {"a returns table made", [&] { s.ReturnsTable(s.NextDebtNumber()); }},
        {"the returns let go, as a move of the bases does", [&] { s.returns.clear(); }},
    };
    for (const auto& [what, pastTheDoor] : cases) {
        SCOPED_TRACE(what);
        session.OpenBase();
        TDataGrid& g = Grid(TTableKind::Dolg);
        const int row = NewRow(TTableKind::Dolg);
        ASSERT_TRUE(session.Change("ввод долга", [&] {
            CommitCell(session.edit, g, 0, row, "дано в долг");
            CommitCell(session.edit, g, 2, row, "31.12.2026");
            CommitCell(session.edit, g, 3, row, "Брат");
            CommitCell(session.edit, g, 5, row, "рубль");
            CommitCell(session.edit, g, 4, row, "40");
        }));
        pastTheDoor();
        const bool kept = std::string_view(what) == "nothing";
        EXPECT_EQ(session.Undo(), kept);
        EXPECT_EQ(session.History().count(), kept ? 1 : 0);
    }
}

} // namespace
