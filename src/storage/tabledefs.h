#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Every table file of a base and of the users, with its columns. The one place that says what a
// cell of a table means; the grids, the loader, the totals and the filters all read it here.
enum class TTableKind { Rashod, Dohod, Dolg, PlanRashod, PlanDohod, Returns, Transfer, Purse, User };

constexpr int kTableKindCount = 9;

struct TTableDef {
    TTableKind kind;
    int gridId;           // the id of the table's view
    QString fileName;     // no extension; returns tables add their number
    bool shared;          // lives in data root/BASE rather than in the base folder
    QString schema;       // one letter per visible column
    QStringList captions; // one title per visible column
    int hiddenCells;      // cells after the visible ones (debt number, base flag, password code)
    int required;         // leading cells that must be non-blank for a row to be written; 0: every row
    int sumColumn;        // -1: none
    int dateColumn;       // -1: none
    int lastRequiredColumn;
    int userColumn;       // -1: none
    std::vector<int> sizeClasses;
    QString damageWord;   // the table's word in "База ... повреждена!"

    int ColumnCount() const { return int(schema.size()); }
    int CellCount() const { return ColumnCount() + hiddenCells; }
    bool IsLedger() const;
    // The purse column of a record: the column right after the sum.
    int PurseColumn() const { return sumColumn >= 0 ? sumColumn + 1 : -1; }
};

const TTableDef& TableDef(TTableKind kind);
// The five ledgers in the order the program loads, saves and reports them.
const std::vector<TTableKind>& LedgerKinds();

// Kinds lists: expenses kinds with their names, and income names.
enum class TKindsList { Rashod, Dohod };
QString KindsFileName(TKindsList list);
QString KindsListWord(TKindsList list);     // "расходов" / "доходов"
QString DefaultKindsCaption(TKindsList list); // "Имя" / "Виды доходов"

// Texts of cells the program writes itself.
namespace cells {
inline const QString kLent = QStringLiteral("дано в долг");
inline const QString kBorrowed = QStringLiteral("взято в долг");
inline const QString kShown = QStringLiteral("отображать");
inline const QString kNotShown = QStringLiteral("не отображать");
inline const QString kAdmin = QStringLiteral("Администратор");
inline const QString kOrdinary = QStringLiteral("Обычный пользователь");
} // namespace cells
