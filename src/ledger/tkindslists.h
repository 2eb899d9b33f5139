#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>

class TDataVidGrid;
class TMyType;

// What a name typed into a kinds list did.
struct TNameCommit {
    bool stored = false;
    // A new name, written into the empty cell after the kind's last name: Enter goes on to the empty cell
    // below it, where the next name is typed, rather than staying where typing would rename this one.
    bool added = false;
    // A duplicate: this grid row of the same kind is selected instead.
    int selectRow = -1;
};

// The answer to a kind name typed in the input dialog.
enum class TKindNameResult {
    Blank, // nothing happens; the dialog closes
    NotUnique, // "Название не уникально" was shown; the dialog stays open with its text selected
    Done, // the kind was added or renamed; the dialog closes
};

// The two reference lists, expense kinds with their names and income names, and every change made to
// them on the Bases page: kinds added, renamed and deleted, names typed and deleted, renames carried
// into the records that use them, and the lists' files.
class TKindsLists {
public:
    explicit TKindsLists(TMyType& state) : m_state(state) {}

    // The list a view shows, by its grid id (pickers 5, 11, 6, 10 and the Bases page lists -10, -11).
    TDataVidGrid* ListForGrid(int gridId) const;

    // Reads the list's file with its repair (damage reported, the program's defaults used) and tells
    // its views.
    void LoadKinds(TDataVidGrid& list);
    // Writes one list's table to its file in the base folder; a list that did not change since it was
    // last written is left alone, and so is the file of a base open read-only. False when the file could
    // not be written.
    bool SaveList(TDataVidGrid& list);
    // Both lists.
    bool SaveKinds();

    // A caption click sorts the names of that kind: ascending for another kind than the one sorted
    // last, else the other way round. False when the list has no such kind.
    bool SortKind(TDataVidGrid& list, int column);
    // The same from a picker, which also writes the list's file at once.
    bool SortAndSaveKind(TDataVidGrid& list, int column);

    // Expense kinds only. The name is checked without regard to letter case against every caption.
    // These and the name changes below are refused with a beep on a base open read-only.
    TKindNameResult AddKind(const QString& name);
    TKindNameResult RenameKind(int column, const QString& name);
    // Asks first when told to; the last kind left becomes the empty kind "Имя". True when something was
    // deleted.
    bool DeleteKind(int column, bool askFirst = true);
    // What the window asks before a kind or a name goes, the deletion then made without asking; empty
    // when the deletion is refused (no such kind or name, a base open read-only), which the rule tells.
    QStringList KindDeletionQuestion(int column) const;
    QStringList NameDeletionQuestion(const TDataVidGrid& list, int column, int row) const;

    // The column the kind commands work on: the caption last right-clicked, else the current column.
    // It is forgotten after every kind command.
    int kindColumn = -1;
    int KindColumn(int currentColumn) const { return kindColumn >= 0 ? kindColumn : currentColumn; }

    // Deletes a non-blank name, asking first when told to; the names below move up. True when it was
    // deleted.
    bool DeleteName(TDataVidGrid& list, int column, int row, bool askFirst = true);
    // A name typed into a cell of a list: refused when the kind has it already (letter case aside),
    // otherwise the records that used the old name follow and the name is stored.
    TNameCommit CommitName(TDataVidGrid& list, int column, int row, const QString& text);

    // A typed character may start the editor only on a name or on the first empty cell directly below
    // the kind's last name, so a kind's names never have gaps.
    static bool CanStartTyping(const TDataVidGrid& list, int column, int row);
    // Whether the editor may open on the cell: CanStartTyping, and the base may be changed (else a beep).
    bool MayEdit(const TDataVidGrid& list, int column, int row) const;
    // The row of the kind's last name; 0 when it has none.
    static int LastNameRow(const TDataVidGrid& list, int column);
    // Where a name taken from a picker is edited on the Bases page: the column of the kind (the first
    // column when no caption matches) and the row holding the name, or the empty cell after the kind's
    // last name when the name is not there (or blank), so that it can be added.
    static QPoint EditTarget(const TDataVidGrid& list, const QString& kind, const QString& name);

    // Called after a list's table changed, for every view that shows it.
    std::function<void(TDataVidGrid& list)> listChanged;

private:
    TKindNameResult CheckKindName(const QString& name) const;
    void RenameNameInRecords(const TDataVidGrid& list, const QString& kind, const QString& oldName,
                             const QString& newName);
    void Changed(TDataVidGrid& list);
    QString PathOf(const TDataVidGrid& list) const;

    TMyType& m_state;
};
