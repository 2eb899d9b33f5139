#pragma once

#include "storage/tabledefs.h"

#include <QChar>
#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

class ILedgerHooks;
class ITableRules;
class TDataGrid;
class TDataVidGrid;
class TMyType;
class TTableRow;

// The editor a cell opens by its column's kind, or what happens instead.
enum class TEditorKind {
    None,   // nothing opens (a computed cell, a refusal)
    Text,   // free text
    Number, // a sum or rate: the number editor with its key filter
    Choice, // a drop-down list whose text cannot be typed
    Date,   // the date picker
    Picker, // a kind or name: the focus goes to the view's kinds picker
    User,   // the user column: filled by the program, which moves on to the next record
};

// How an edit was started. It decides what a text or number editor opens with.
enum class TEditStart {
    Enter,       // Enter on the cell, the edit button, "Редактировать", a pick, a paste
    Continue,    // continuous entry: the next cell after a commit
    Key,         // a character typed over the cell, which is the first key
    DoubleClick, // a double click on the cell
};

// What the window opens over a cell.
struct TEditRequest {
    TEditorKind kind = TEditorKind::None;
    int col = -1;
    int row = -1;
    QString text;            // text and number editors
    bool selectAll = false;  // the whole text selected, so that what is typed replaces it
    bool caretAtEnd = false; // else the caret after the text; neither: at its start
    QStringList choices;
    int choiceIndex = 0;
    QDate date;
    // Picker: the column (kind) and row (name, 1-based) to select; -1 leaves the picker as it is.
    int pickerCol = -1;
    int pickerRow = -1;
};

// The text a text or number editor opens with, and where its caret stands. Typed over (Enter,
// continuous entry, a key the editor does not take) the stored text opens wholly selected, so that
// what is typed replaces it rather than going in front of it; a first key the editor takes stands
// alone with the caret after it; a double click opens to amend, the caret after the text.
void SetEditorOpening(TEditRequest& request, const QString& stored, QChar usedKey, TEditStart start);

// The rules every table view shares: what a cell shows, the trailing new row, which editor opens,
// the fill rule, the user column and deleting a row. Windows call it and draw what it decided.
class TGeneralClass {
public:
    TGeneralClass(TMyType& state, ILedgerHooks& hooks);
    ~TGeneralClass();
    TGeneralClass(const TGeneralClass&) = delete;
    TGeneralClass& operator=(const TGeneralClass&) = delete;

    // The text drawn in a data cell (grid rows from 1); `error` tells "Ошибка" from a stored text.
    QString CellText(const TDataGrid& grid, int col, int gridRow) const;
    QString CaptionText(const TDataGrid& grid, int col) const;
    // Kinds views: column c is the kind (row 0 its name), rows from 1 its names.
    static QString KindsCellText(const TDataVidGrid& grid, int col, int row);

    // Cells 0..LastRequiredColumn of the table row are filled.
    bool IsComplete(const TDataGrid& grid, int tableRow) const;
    // Makes the view end with one empty new row; true when a row was appended.
    bool EnsureNewRow(TDataGrid& grid);
    void NextCell(TDataGrid& grid) const;

    // True when the fill rule keeps this editor closed (the hint has been shown).
    bool FillRuleBlocks(const TDataGrid& grid, int col, int gridRow, TEditorKind editor) const;
    void ShowFillHint(const TDataGrid& grid, int col, int gridRow) const;
    // The entries of a choice column and the one preselected for the cell.
    QStringList ChoiceItems(const TDataGrid& grid, int col, int gridRow, int* preselect) const;

    // What entering a cell opens. `firstKey` is the key that started the edit (null for Enter,
    // double-click and the menu). Nothing opens on a base open read-only, with a beep.
    TEditRequest BeginEdit(TDataGrid& grid, int col, int gridRow, QChar firstKey, TEditStart start);

    // Algorithm of the user column: writes the user, moves to the next record's first cell to edit and
    // returns what opens there (None while the row is not started yet).
    TEditRequest EnterUserColumn(TDataGrid& grid);

    // A caption click or a "Сортировка" choice: the same column reverses, another sorts ascending.
    // Only the five ledgers and the transfers sort this way.
    void SortByColumn(TDataGrid& grid, int column);
    static bool IsSortable(const TDataGrid& grid);

    // What the window asks before the row goes, one box each in order, the deletion then made without
    // asking; empty when there is no record on the row, or when the deletion is refused and tells why.
    std::vector<QStringList> DeletionQuestions(const TDataGrid& grid, int gridRow);
    // Delete on a row: asks first when told to; true when something changed. A purse row goes to the
    // purse rules, which ask their own questions whatever `askFirst` says. Refused with a beep on a base
    // open read-only.
    bool DeleteLedgerRow(TDataGrid& grid, int gridRow, bool askFirst);

    ILedgerHooks& Hooks() const { return m_hooks; }

    // The rules of purses, transfers and users, registered by the layer that owns each table; the
    // ledgers and the returns have theirs from the start.
    void SetTableRules(TTableKind kind, ITableRules& rules) { m_rules[size_t(kind)] = &rules; }
    bool HasTableRules(TTableKind kind) const { return m_rules[size_t(kind)] != nullptr; }
    // The table's rules; for a table whose rules were never registered this throws std::logic_error.
    ITableRules& Rules(TTableKind kind) const;

    // The date written into new rows of expenses, incomes and transfers.
    static bool WritesDefaultDate(const TDataGrid& grid);

private:
    void AppendRow(TDataGrid& grid);

    TMyType& m_state;
    ILedgerHooks& m_hooks;
    std::array<ITableRules*, kTableKindCount> m_rules{};
    std::array<std::unique_ptr<ITableRules>, kTableKindCount> m_recordRules;
};

// The key that moves the view on after a value is committed in a number or text cell: Enter.
bool IsEditStartKey(QChar key);
