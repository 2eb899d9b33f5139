#pragma once

#include "ledger/tgeneralclass.h"

class TDataGrid;
class TDataVidGrid;
class TEditClass;
class TMyType;

// How a name was taken from a kinds picker.
enum class TPickTrigger { Enter, DoubleClick, Drop };

// Which ledger a picker writes into: its list's two ledgers, whichever is the current view.
bool PickerServes(const TDataVidGrid& list, const TDataGrid& ledger);

// Applies the picker's kind (its column's caption) and name (cell `nameRow` of that column) to a
// row of the ledger, fills the date and user where the rules say, and returns the number editor to
// open on the row's sum. Returns a request of kind None when the trigger does not count.
TEditRequest PickKind(TMyType& state, TGeneralClass& general, TEditClass& edit, const TDataVidGrid& list, int kindCol,
                      int nameRow, TDataGrid& ledger, TPickTrigger trigger);
