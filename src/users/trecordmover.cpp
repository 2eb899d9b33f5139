#include "users/trecordmover.h"

#include "money/moneycells.h"
#include "storage/datafolders.h"
#include "storage/tabledefs.h"
#include "storage/tbasefiles.h"
#include "storage/tbasesave.h"
#include "storage/tmemtable.h"
#include "storage/tmessageboxclass.h"
#include "users/basehold.h"
#include "users/usertables.h"

#include <QFileInfo>

#include <vector>

namespace {

const std::vector<TTableKind>& MovedKinds() {
    static const std::vector<TTableKind> kinds = {TTableKind::Rashod,    TTableKind::Dohod,
                                                  TTableKind::Dolg,      TTableKind::PlanRashod,
                                                  TTableKind::PlanDohod, TTableKind::Transfer};
    return kinds;
}

// A transfer names two purses; a moved transfer needs both of them in its new base.
std::vector<int> PurseCells(TTableKind kind) {
    if (kind == TTableKind::Transfer) return {1, 3};
    return {TableDef(kind).PurseColumn()};
}

// Reads a table file of a base, creating it empty when missing; false when it cannot be read.
bool ReadTable(const QString& folder, const QString& name, TMemTable& table, QString& path) {
    table.Clear();
    path = ResolveTablePath(folder, name);
    if (path.isEmpty() || QFileInfo(path).isDir()) return false;
    if (table.LoadFromFile(path)) return true;
    table.Clear();
    return false;
}

int FindPurse(const TMemTable& purses, const QString& name) {
    for (int i = 0; i < purses.RowCount(); ++i)
        if (purses.Row(i)->Cell(col::purse::Name) == name) return i;
    return -1;
}

// A debt table as the loader leaves it: each row with ten cells and its number (its place in the file)
// in cell 9, its returns read from the Debt folder, or taken out of the rows of an earlier version.
bool PrepareDebts(const QString& folder, TMemTable& dolg, TReturnsTables& returns, TReturnsOnDisk& onDisk) {
    const bool old = IsOldDebtTable(dolg);
    if (old) returns = TakeOldDebtReturns(dolg);
    const int cellCount = TableDef(TTableKind::Dolg).CellCount();
    for (int i = 0; i < dolg.RowCount(); ++i) {
        QStringList cells = dolg.Row(i)->Cells();
        cells.resize(cellCount);
        cells[col::dolg::DebtNumber] = QString::number(i);
        dolg.Row(i)->SetCells(cells);
    }
    // Returns that cannot be read (a link, say) leave the debts where they are, as an unreadable table does.
    TUnreachableFiles unreachable;
    return old || (LoadReturnsFiles(folder, dolg, returns, onDisk, &unreachable) && unreachable.empty());
}

// Offers to add to B the purses a row of A names that B lacks; true when one was added.
bool AskForPurses(TTableKind kind, const TTableRow& row, const TMemTable& purseA, TMemTable& purseB) {
    bool added = false;
    for (int cell : PurseCells(kind)) {
        const QString name = row.Cell(cell);
        if (IsBlank(name) || FindPurse(purseB, name) >= 0) continue;
        const int source = FindPurse(purseA, name);
        if (source < 0) continue; // nothing to copy
        if (!Messages().AskYesNo(
                {QStringLiteral("В новой базе пользователя нет кошелька \"") + name + QStringLiteral("\""),
                 QStringLiteral("Добавить?")},
                TMsgButton::Yes))
            continue;
        purseB.AddRow()->SetCells(purseA.Row(source)->Cells());
        added = true;
    }
    return added;
}

// A table of one base as the move leaves it, written when the move is done.
struct TMovedTable {
    TTableKind kind;
    std::unique_ptr<TMemTable> table;
    QString path;
    TReturnsTables returns; // the debts'
    TReturnsOnDisk onDisk;
};

// Every table of a base that the move changed, in one transaction.
bool SaveBase(const QString& folder, std::vector<TMovedTable>& tables, TMemTable* purse,
              const QString& pursePath) {
    TBaseSave save(folder);
    for (TMovedTable& t : tables) {
        if (t.kind == TTableKind::Dolg)
            save.StageDebtsAndReturns(*t.table, t.returns, t.onDisk, true);
        else
            save.StageAsItIs(*t.table, t.path);
    }
    if (purse) save.StageAsItIs(*purse, pursePath);
    return save.Commit();
}

} // namespace

bool TRecordMover::HasRecords(const QString& baseFolder, const QString& user) {
    if (!QFileInfo(baseFolder).isDir()) return false;
    for (TTableKind kind : LedgerKinds()) {
        const TTableDef& def = TableDef(kind);
        const QString path = JoinPath(baseFolder, def.fileName);
        TMemTable table;
        if (!QFileInfo(path).isFile() || !table.LoadFromFile(path)) continue;
        for (int i = 0; i < table.RowCount(); ++i)
            if (table.Row(i)->Cell(def.userColumn) == user) return true;
    }
    return false;
}

bool TRecordMover::Move(const QString& folderA, const QString& folderB, const QString& user) {
    // A base folder is named as its base.
    for (const QString& folder : {folderA, folderB})
        if (RefuseHeldBase(QFileInfo(folder).fileName(), folder)) return false;
    const QString purseFile = TableDef(TTableKind::Purse).fileName;
    TMemTable purseA, purseB;
    QString pursePathA, pursePathB;
    bool pursesRead = false, purseAdded = false;
    std::vector<TMovedTable> movedA, movedB;
    for (TTableKind kind : MovedKinds()) {
        const TTableDef& def = TableDef(kind);
        auto tableA = std::make_unique<TMemTable>(), tableB = std::make_unique<TMemTable>();
        QString pathA, pathB;
        const bool readA = ReadTable(folderA, def.fileName, *tableA, pathA);
        const bool readB = ReadTable(folderB, def.fileName, *tableB, pathB);
        if (!readA || !readB) {
            if (kind != TTableKind::Rashod) continue;
            Messages().ShowError({QStringLiteral("Нет доступа к базам программы."),
                                  QStringLiteral("Проверьте настройки безопасности для файлов:"),
                                  JoinPath(folderA, def.fileName), JoinPath(folderB, def.fileName)});
            return false;
        }
        if (!pursesRead && !(ReadTable(folderA, purseFile, purseA, pursePathA) &&
                             ReadTable(folderB, purseFile, purseB, pursePathB)))
            continue;
        pursesRead = true;

        const bool debts = kind == TTableKind::Dolg;
        TReturnsTables returnsA, returnsB;
        TReturnsOnDisk onDiskA, onDiskB;
        if (debts && (!PrepareDebts(folderA, *tableA, returnsA, onDiskA) ||
                      !PrepareDebts(folderB, *tableB, returnsB, onDiskB)))
            continue; // a returns file could not be read: a debt must not be parted from its returns

        std::vector<int> moved;
        for (int i = 0; i < tableA->RowCount(); ++i) {
            const TTableRow& row = *tableA->Row(i);
            purseAdded = AskForPurses(kind, row, purseA, purseB) || purseAdded;
            if (kind == TTableKind::Transfer || row.Cell(def.userColumn) == user) moved.push_back(i);
        }
        if (moved.empty()) continue;

        for (int i : moved) {
            QStringList cells = tableA->Row(i)->Cells();
            if (debts) {
                // The debt takes its returns along under its number in B.
                const int numberA = cells[col::dolg::DebtNumber].toInt();
                const int numberB = int(returnsB.size());
                std::shared_ptr<TMemTable> returns;
                if (numberA >= 0 && size_t(numberA) < returnsA.size() && returnsA[size_t(numberA)])
                    returns = std::move(returnsA[size_t(numberA)]);
                else
                    returns = std::make_unique<TMemTable>();
                returns->Touch(); // its file in B is a new one
                returnsB.push_back(std::move(returns));
                cells[col::dolg::DebtNumber] = QString::number(numberB);
            }
            tableB->AddRow()->SetCells(cells);
        }
        DeleteTableRows(*tableA, moved);
        movedB.push_back({kind, std::move(tableB), pathB, std::move(returnsB), std::move(onDiskB)});
        movedA.push_back({kind, std::move(tableA), pathA, std::move(returnsA), std::move(onDiskA)});
    }
    // B is written whole before A is touched: a move cut short leaves the moved rows in both bases,
    // never in neither.
    if (!movedB.empty() || purseAdded) {
        if (SaveBase(folderB, movedB, purseAdded ? &purseB : nullptr, pursePathB) && !movedA.empty())
            SaveBase(folderA, movedA, nullptr, QString());
    }
    return true;
}
