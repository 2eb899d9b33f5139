#pragma once

#include "ledger/tdatagrid.h"
#include "money/rowcells.h"
#include "storage/tabledefs.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class TMyType;
struct TBaseSettings;

// The filter types: the index of the item in the radio group "Фильтр" and in the menu "Фильтр".
namespace filtertype {
constexpr int None = 0;
constexpr int Today = 1;
constexpr int Week = 2;
constexpr int Last7Days = 3;
constexpr int Month = 4;
constexpr int Last30Days = 5;
constexpr int Custom = 6;
constexpr int Count = 7;
} // namespace filtertype

// "Нет", "Сегодня", ... "Настраиваемый": the radio items in order.
const QStringList& FilterRadioItems();
// The word the page title and the printed headings show for a type; empty for 0 and out of range.
QString FilterTitleWord(int type);
// "Таблица расходов", "Таблица доходов", "Таблица долгов", "Таблица планов" (both plans).
QString TablePageTitle(TTableKind kind);
// The page title with the filter: the table's own title for type 0, else title + "  Фильтр : " + word.
QString FilterPageTitle(TTableKind kind, int type);
// Expenses, incomes, debts and both plans can be filtered.
bool IsFilterable(TTableKind kind);

// Both ends included.
struct TPeriod {
    QDate from, to;
};
// The dates of types 1 to 5 on the given day; none for the others.
std::optional<TPeriod> PeriodBounds(int type, QDate today);

// The cells of a record the filtered totals follow: its sum, its purse and, for debts, its kind.
struct TFilterRecordValues {
    QString sum;
    QString purse;
    QString debtKind;
};

// What the window does once the filter choice is made.
enum class TFilterChoiceAction {
    Done,          // the filter is applied (or removed): show the title and give the grid the focus
    OpenDialog,    // "Настраиваемый": open the dialog; its outcome finishes the choice
    FocusDebtGrid, // the debt returns grid was current: move the focus to the debts, nothing changed
};

struct TFilterChoiceResult {
    TFilterChoiceAction action = TFilterChoiceAction::Done;
    QString title;            // the page title to show
    int checkedItem = 0;      // the radio item and the menu item to check
    bool clearSearch = false; // the search text is cleared
};

// The texts of the dialog "Фильтровать..." as typed.
struct TFilterDialogFields {
    QDate from, to;
    QString sumFrom, sumTo;
    QString kind, name, purse, user;
};

// What the dialog shows for a table each time it opens.
struct TFilterDialogSetup {
    TFilterDialogFields fields; // both dates today, both sums "-1", the texts empty
    QString kindLabel;          // "Вид расхода", "Вид дохода" or "Категория"
    QString nameLabel;          // "Название расхода" or "Дебитор/Кредитор"
    bool nameVisible = false;   // the name field and its label: expenses, debts and expense plans
};

// The period and custom filters of the ledger tables. The filter state lives in each table's grid
// descriptor; this object applies it, keeps the filtered totals in step with edits, and moves the
// state to and from the per-base settings.
class TFilters {
public:
    explicit TFilters(TMyType& state);
    TFilters(const TFilters&) = delete;
    TFilters& operator=(const TFilters&) = delete;

    // Shows the records whose date lies in [from, to] (and that hold anything besides), and computes
    // the filtered totals.
    void ApplyPeriod(TTableKind kind, QDate from, QDate to);
    // The same with the dialog's criteria. A null date leaves that side open; two empty sums, or
    // both -1, let every sum pass; otherwise an empty sum reads as 0.
    void ApplyCustom(TTableKind kind, const TFilterCriteria& criteria);
    // Shows every record again. Incomplete records that carry no money are deleted (the last row is
    // kept); the table ends with an empty new-record row; the filtered totals are reset.
    void RemoveFilter(TTableKind kind, bool redisplay);
    // Applies the table's stored type again: 1 to 5 with today's dates, 6 with the stored criteria.
    // Call it after a record is deleted under a filter, after sorting, and when the table's page or
    // plan tab is shown again.
    void ReapplyFilter(TTableKind kind);

    // The radio group or the menu chose a type for the current view: removes the current filter,
    // stores the type and applies it. Type 6 asks for the dialog (DialogSetup, then AcceptDialog or
    // CancelDialog).
    TFilterChoiceResult ChooseFilter(int type);

    static TFilterDialogSetup DialogSetup(TTableKind kind);
    // The criteria the dialog's texts give: unparsable or empty sums read as 0.
    static TFilterCriteria CriteriaFromDialog(const TFilterDialogFields& fields);
    // "Принять": applies and stores the criteria, type 6 stays chosen. Returns the page title.
    QString AcceptDialog(TTableKind kind, const TFilterDialogFields& fields);
    // "Отмена" or any other close: the filter is removed, the type becomes 0, the criteria are cleared.
    TFilterChoiceResult CancelDialog(TTableKind kind);

    // For the commit pipeline, before the new value is stored: a record's sum, purse or (debts) kind
    // changes. A record listed under an active filter moves its contribution in the filtered totals.
    void RecordChanged(TTableKind kind, int tableRow, const TFilterRecordValues& before,
                       const TFilterRecordValues& after);
    // Before a record is deleted: a listed record takes its contribution out of the filtered totals.
    // Call ReapplyFilter once the row is gone.
    void RecordRemoved(TTableKind kind, int tableRow);
    // The values RecordChanged and RecordRemoved read from a table row.
    static TFilterRecordValues RecordValues(TTableKind kind, const TTableRow& row);

    // The filter state of the five ledgers into the per-base settings (type and, for 6, the fields).
    void StoreInSettings(TBaseSettings& settings) const;
    // The stored state back into the descriptors, each filter applied again (after a base is loaded).
    void RestoreFromSettings(const TBaseSettings& settings);
    // The eight settings fields: dates "dd.MM.yyyy", sums as float text, the four texts.
    static QStringList CriteriaToFields(const TFilterCriteria& criteria);
    static TFilterCriteria CriteriaFromFields(const QStringList& fields);

    // Told after the rows or the filtered totals of a table changed: the window redraws the grid and
    // the totals, and the search list is discarded.
    std::function<void(TTableKind)> onChanged;

private:
    struct TMatcher;
    void Apply(TTableKind kind, const TMatcher& matcher);
    void ResetFilteredTotals(TDataGrid& grid);
    void MoveContribution(TDataGrid& grid, const TFilterRecordValues& values, int sign);
    void Changed(TTableKind kind);

    TMyType& m_state;
    // By table, the rows found to stay for what they hold when a filter was last removed, in the
    // order they stood after it; an empty key for a row that must be read again.
    std::map<TTableKind, std::vector<TRowKey>> m_keepers;
};
