#include "ui/tfiltercontroller.h"

#include "ui/tappcontext.h"
#include "ui/tfilterform.h"
#include "ui/tlowerpanel.h"
#include "ui/tmenuclass.h"
#include "ui/ttitlestrip.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>

namespace {

const char* const kMenuItems[] = {"FilterNoMenu",    "FilterMoneyMenu", "FilterWeekMenu", "Filter7DayMenu",
                                  "FilterMonthMenu", "Filter30DayMenu", "FilterEveryMenu"};

} // namespace

TFilterController::TFilterController(TAppContext& context, TLowerPanel* lower, TMenuClass* menu,
                                     TTitleStrip* title, QObject* parent)
    : QObject(parent), m_context(context), m_lower(lower), m_menu(menu), m_title(title) {
    connect(m_lower->FilterButtons(), &QButtonGroup::idClicked, this, &TFilterController::Choose);
    for (int type = 0; type < filtertype::Count; ++type)
        if (QAction* item = m_menu->Item(QString::fromLatin1(kMenuItems[type])))
            connect(item, &QAction::triggered, this, [this, type] { Choose(type); });
}

TFilterForm* TFilterController::Form() {
    if (!m_form) {
        m_ownForm = new TFilterForm(dialogOver ? dialogOver() : nullptr);
        m_form = m_ownForm;
    }
    return m_form;
}

void TFilterController::Check(int type) {
    if (QAbstractButton* radio = m_lower->FilterButtons()->button(type)) radio->setChecked(true);
    if (type >= 0 && type < filtertype::Count)
        if (QAction* item = m_menu->Item(QString::fromLatin1(kMenuItems[type]))) item->setChecked(true);
}

void TFilterController::Choose(int type) {
    TMyType& state = m_context.state;
    m_context.editors.CloseAndCommit();
    const TDataGrid* current = state.current;
    // Nothing on show can be filtered (the controls are not shown then).
    if (!current || (!IsFilterable(current->kind) && current->kind != TTableKind::Returns)) return;
    TFilterChoiceResult result = m_context.filters.ChooseFilter(type);
    const TTableKind kind = current->kind;
    switch (result.action) {
    case TFilterChoiceAction::FocusDebtGrid:
        Check(result.checkedItem);
        m_title->SetTitle(result.title);
        if (focusGrid) focusGrid(TTableKind::Dolg);
        return;
    case TFilterChoiceAction::OpenDialog: {
        Check(result.checkedItem);
        m_title->SetTitle(result.title);
        if (result.clearSearch && clearSearch) clearSearch();
        // The filter is off while the dialog is open: the totals say so.
        m_context.money.calc.ShowTotals();
        TFilterDialogFields fields;
        if (Form()->Run(TFilters::DialogSetup(kind), dialogOver ? dialogOver() : nullptr, &fields)) {
            m_title->SetTitle(m_context.filters.AcceptDialog(kind, fields));
        } else {
            result = m_context.filters.CancelDialog(kind);
            m_title->SetTitle(result.title);
            Check(result.checkedItem);
        }
        break;
    }
    case TFilterChoiceAction::Done:
        Check(result.checkedItem);
        m_title->SetTitle(result.title);
        if (result.clearSearch && clearSearch) clearSearch();
        break;
    }
    if (focusGrid) focusGrid(kind);
}

void TFilterController::ShowFor(TTableKind kind) {
    if (!IsFilterable(kind)) return;
    TDataGrid& grid = m_context.state.Grid(kind);
    Check(grid.filterChoice);
    if (grid.filterChoice != filtertype::None || grid.filterActive) m_context.filters.ReapplyFilter(kind);
    m_title->SetTitle(FilterPageTitle(kind, grid.filterChoice));
}
