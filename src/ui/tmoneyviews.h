#pragma once

#include "money/imoneyview.h"
#include "storage/tabledefs.h"
#include "ui/tmainwindowparts.h"

#include <QObject>

class TAppContext;
class TClearTablesForm;
class TDebtsController;
class TFilterController;
class TFilterForm;
class TItogiPanel;
class TPursePage;
class TQuorvaneForm;
class TSearchController;

// The main window's side of the money rules: the totals panel, the purses tab's controls, the debts
// page, the period filter and the search, and the dialog "Очистить таблицы". It answers the rules'
// calls (IMoneyView, the editor's totals hook, the filters' changes) by redrawing what they changed.
class TMoneyViews : public QObject, public IMoneyView {
    Q_OBJECT
public:
    TMoneyViews(TQuorvaneForm& form, TAppContext& context, const TMainWindowParts& parts);
    ~TMoneyViews() override;

    TItogiPanel* Itogi() const { return m_itogi; }
    TSearchController* Search() const { return m_search; }
    TFilterController* Filter() const { return m_filter; }
    TDebtsController* Debts() const { return m_debts; }
    TClearTablesForm* ClearForm() const { return m_clear; }
    TPursePage* PursePage() const { return m_pursePage; }
    void SetFilterForm(TFilterForm* form);

    // The window shows another section, plan tab or Bases tab.
    void SectionShown();
    // A base was read into the window.
    void BaseOpened();
    // The totals panel for the view on show.
    void RefreshTotals();
    // "Очистить таблицы" from the menu.
    void ClearTables();

    void TotalsChanged() override;
    void PurseAmountsChanged() override;
    void PurseListChanged() override;
    void ReturnsShown() override;

private:
    // The ledger of the page on show; the debts for either grid of the debts page.
    TTableKind PageKind() const;
    // The view the totals are shown for: the current one when it belongs to the page on show.
    TTableKind TotalsKind() const;
    void CurrentChanged();

    TQuorvaneForm& m_form;
    TAppContext& m_context;
    const TMainWindowParts m_parts;
    TPursePage* m_pursePage;
    TItogiPanel* m_itogi;
    TSearchController* m_search;
    TFilterController* m_filter;
    TDebtsController* m_debts;
    TClearTablesForm* m_clear;
};
