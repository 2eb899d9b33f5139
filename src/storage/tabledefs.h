#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Every table file of a base and of the users, with its columns. The one place that says what a
// cell of a table means; the grids, the loader, the totals and the filters all read it here.
enum class TTableKind { Rashod, Dohod, Dolg, PlanRashod, PlanDohod, Returns, Transfer, Purse, User };

constexpr int kTableKindCount = 9;

// What a visible column holds. The editor opens, sorts, copies, prints and exports a cell by its
// column's kind.
enum class TColumnKind {
    None,     // no such column
    Date,     // a day, "dd.MM.yyyy"
    Kind,     // a kind or a name from a kinds list, taken from the kinds picker
    Number,   // a sum, a rate or an amount, typed as a number or a formula
    Text,     // free text: a name, a note
    Purse,    // a purse, chosen from the purse table
    User,     // the user who wrote the record, filled in by the program
    Category, // a debt lent or borrowed, chosen
    InPurse,  // whether a debt's money shows in its purse, chosen
    Role,     // a user's role, chosen
    Base,     // a user's base, chosen from the list of bases
    Computed, // a number the program computes, never typed (what is left of a debt)
};

// A column whose value is chosen from a list rather than typed.
bool IsChoiceColumn(TColumnKind kind);

struct TTableDef {
    TTableKind kind;
    int gridId;                       // the id of the table's view
    QString fileName;                 // no extension; returns tables add their number
    bool shared;                      // lives in data root/BASE rather than in the base folder
    std::vector<TColumnKind> columns; // one per visible column
    QStringList captions;             // one title per visible column
    int hiddenCells;                  // cells after the visible ones (debt number, base flag, password code)
    int required;   // leading cells that must be non-blank for a row to be written; 0: every row
    int sumColumn;  // -1: none
    int dateColumn; // -1: none
    int lastRequiredColumn;
    int userColumn; // -1: none
    std::vector<int> sizeClasses;
    QString damageWord; // the table's word in "База ... повреждена!"
    bool sortable;      // a caption click or "Сортировка" sorts the rows by a column
    bool datesNewRows;  // a new row starts with the default date

    int ColumnCount() const { return int(columns.size()); }
    TColumnKind Column(int column) const {
        return column >= 0 && column < ColumnCount() ? columns[size_t(column)] : TColumnKind::None;
    }
    int CellCount() const { return ColumnCount() + hiddenCells; }
    bool IsLedger() const;
    // The purse column of a record: the column right after the sum.
    int PurseColumn() const { return sumColumn >= 0 ? sumColumn + 1 : -1; }
};

const TTableDef& TableDef(TTableKind kind);
// The five ledgers in the order the program loads, saves and reports them.
const std::vector<TTableKind>& LedgerKinds();

// The cells of each table by name, in file order: the visible columns, then the hidden cells. Code reads
// and writes cells only through these names, never by a bare number.
namespace col {
namespace rashod {
enum : int { Date, Kind, Name, Sum, Purse, Note, User, Count };
}
namespace dohod {
enum : int { Date, Kind, Sum, Purse, Note, User, Count };
}
namespace dolg {
// DebtNumber: the number of the debt's returns file ("debt<N>"), hidden.
enum : int { Category, Date, Due, Party, Sum, Purse, Note, InPurse, User, DebtNumber, Count };
} // namespace dolg
namespace planrashod {
enum : int { Kind, Name, From, To, Sum, Purse, Note, User, Count };
}
namespace plandohod {
enum : int { Kind, From, To, Sum, Purse, Note, User, Count };
}
namespace returns {
enum : int { Date, Sum, Purse, Remainder, Count };
}
namespace transfer {
enum : int { Date, FromPurse, FromRate, ToPurse, ToRate, Amount, Note, Count };
}
namespace purse {
// BaseFlag: "1" on the base purse's row, hidden.
enum : int { Name, Rate, Amount, BaseFlag, Count };
} // namespace purse
namespace user {
// PasswordCode: the password's check code, hidden.
enum : int { Name, Base, Role, PasswordCode, Count };
} // namespace user
// The list of bases: one name per row.
namespace baselist {
enum : int { Name, Count };
}
// A kinds list: the kind (or income name) first, then the names of that kind.
namespace kinds {
enum : int { Kind, FirstName };
}
// The information table inside an archive: a row per user of the base (the `user` cells), then the row
// of the save that made it.
namespace arhiveinfo {
enum : int { Mark, User, Base, Count };
}
// The journal of a save: a head row (mark, version), a row per rename (table file, temporary file, and
// from version 2 on the new content's size and SHA-256), an end row (mark, number of renames, digest of
// the rows before it).
namespace journal {
enum : int { Mark, Version };
enum : int { Target, Temp, Size, Sha256, EntryCells };
enum : int { EndMark, RenameCount, Digest, EndCells };
} // namespace journal
// The per-purse sums the totals keep in memory: a row per purse in purse-table order.
namespace perpurse {
enum : int { Name, Sum };
}
// The per-purse sums of a filter: the purse, its rate when the filter was applied, the sum.
namespace filteredperpurse {
enum : int { Name, Rate, Sum };
}
} // namespace col

// Kinds lists: expenses kinds with their names, and income names.
enum class TKindsList { Rashod, Dohod };
QString KindsFileName(TKindsList list);
QString KindsListWord(TKindsList list);       // "расходов" / "доходов"
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
