#pragma once

#include "ledger/tgeneralclass.h"

#include <QPoint>
#include <QString>

class TDataGrid;
class TDataVidGrid;
class TEditClass;
class TMyType;

// How a name was taken from a kinds picker.
enum class TPickTrigger { Enter, DoubleClick, Drop };

// Which ledger a picker writes into: its list's two ledgers, whichever is the current view.
bool PickerServes(const TDataVidGrid& list, const TDataGrid& ledger);

// Enter, Esc and typed letters count in a picker only while its selected cell holds a name and the
// current view is a ledger of its list.
bool PickerTakesKeys(const TDataVidGrid& list, int kindCol, int nameRow, const TDataGrid* ledger);
// A printable character typed into a picker (by its grid id) goes to the search; the plan pickers
// leave out the space.
bool PickerSearchesFor(int pickerGridId, QChar key);

// Applies the picker's kind (its column's caption) and name (cell `nameRow` of that column) to a
// row of the ledger, fills the date and user where the rules say, and returns the number editor to
// open on the row's sum. Returns a request of kind None when the trigger does not count, or (with a beep)
// when the base is open read-only.
TEditRequest PickKind(TMyType& state, TGeneralClass& general, TEditClass& edit, const TDataVidGrid& list,
                      int kindCol, int nameRow, TDataGrid& ledger, TPickTrigger trigger);

// What a move of the pointer with the button held does in a picker.
enum class TDragStep {
    None,          // no drag can start over this ledger
    MoveReference, // the reference point moves to the pointer
    Start,         // the drag starts
};
// A drag starts on the first move that changes both coordinates at once, and only when the kind and
// name the ledger needs were taken at the press.
TDragStep DragStep(const TDataVidGrid& list, const TDataGrid* ledger, const QString& kind,
                   const QString& name, QPoint reference, QPoint pointer);

// Finding a name of the picker's column by typing its first letters.
class TKindSearch {
public:
    // The outcome of one key: the row of the matched name and how many of its first letters matched,
    // or row -1 when nothing matched (the search is then cleared and row 1 selected).
    struct TResult {
        int row = -1;
        int length = 0;
    };

    // Backspace (8) removes the last letter, any other character is appended; the first name of the
    // column whose first letters equal the search text, both in upper case, is the match.
    TResult Key(const TDataVidGrid& list, int column, QChar key);
    void Clear();

    const QString& Text() const { return m_text; }
    int MatchColumn() const { return m_col; }
    int MatchRow() const { return m_row; }
    bool Active() const { return m_row >= 1; }

private:
    QString m_text;
    int m_col = -1;
    int m_row = -1;
};
