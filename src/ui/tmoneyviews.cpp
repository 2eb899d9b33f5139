#include "ui/tmoneyviews.h"

#include "ledger/basechanges.h"
#include "ledger/gridids.h"
#include "money/tcleartables.h"
#include "session/changenames.h"
#include "storage/tmessageboxclass.h"
#include "ui/tappcontext.h"
#include "ui/tcleartablesform.h"
#include "ui/tdebtscontroller.h"
#include "ui/tfiltercontroller.h"
#include "ui/tgridcontroller.h"
#include "ui/titogipanel.h"
#include "ui/tkindspicker.h"
#include "ui/tledgergrid.h"
#include "ui/tlowerpanel.h"
#include "ui/tmenuclass.h"
#include "ui/tpursepage.h"
#include "ui/tquorvaneform.h"
#include "ui/tsearchcontroller.h"
#include "ui/ttoolbarpanel.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

namespace {

bool ShowsTotals(TTableKind kind) {
    return TableDef(kind).IsLedger() || kind == TTableKind::Returns;
}

} // namespace

TMoneyViews::TMoneyViews(TQuorvaneForm& form, TAppContext& context, const TMainWindowParts& parts)
    : QObject(&form), m_form(form), m_context(context), m_parts(parts), m_pursePage(parts.pursePage),
      m_itogi(new TItogiPanel(parts.lower->TotalsGroup(), parts.lower->FilterTotalsGroup(), this)),
      m_search(new TSearchController(parts.lower, this)),
      m_filter(new TFilterController(context, parts.lower, parts.menu, parts.title, this)),
      m_debts(new TDebtsController(context, parts.Controller(TTableKind::Dolg),
                                   parts.Controller(TTableKind::Returns), parts.returnsStrip, this)),
      m_clear(new TClearTablesForm(&form)) {
    TMyType& state = m_context.state;
    m_context.money.SetView(this);
    connect(m_itogi, &TItogiPanel::NeedsChanged, parts.lower,
            [this] { m_parts.lower->SetGroupNeeds(m_itogi->TotalsNeed(), m_itogi->FilterNeed()); });
    connect(&m_context.session, &TSession::TotalsChanged, this, &TMoneyViews::RefreshTotals);
    connect(&m_context.session, &TSession::FilterChanged, this, [this] {
        m_search->Discard();
        RefreshTotals();
    });

    for (TTableKind kind : {TTableKind::Rashod, TTableKind::Dohod, TTableKind::Dolg, TTableKind::PlanRashod,
                            TTableKind::PlanDohod, TTableKind::Returns}) {
        if (TLedgerGrid* view = m_parts.Grid(kind)) m_search->Attach(view, state.Grid(kind));
    }
    if (TKindsListView* list = m_parts.lists.value(gridid::BaseRashod))
        m_search->AttachKinds(list, state.vidRashodGrid);
    if (TKindsListView* list = m_parts.lists.value(gridid::BaseDohod))
        m_search->AttachKinds(list, state.vidDohodGrid);
    for (TTableKind kind : {TTableKind::Rashod, TTableKind::Dohod, TTableKind::Dolg, TTableKind::PlanRashod,
                            TTableKind::PlanDohod, TTableKind::Returns})
        if (TGridController* c = m_parts.Controller(kind))
            connect(c, &TGridController::BecameCurrent, this, &TMoneyViews::CurrentChanged);

    m_filter->dialogOver = [this] { return static_cast<QWidget*>(&m_form); };
    m_filter->focusGrid = [this](TTableKind kind) {
        if (TLedgerGrid* view = m_parts.Grid(kind)) view->setFocus();
    };
    m_filter->clearSearch = [this] { m_search->ClearText(); };

    // Keys typed into the search box must not reach the records through the record buttons.
    for (QPushButton* button : {m_parts.toolbar->PravkaButton(), m_parts.toolbar->DeleteButton()})
        connect(m_search, &TSearchController::SearchBoxFocused, button,
                [button](bool focused) { button->setEnabled(!focused); });

    if (QAction* clear = m_parts.menu->Item(QStringLiteral("ClearBaseMenu")))
        connect(clear, &QAction::triggered, this, &TMoneyViews::ClearTables);
    connect(m_parts.planTabs, &QTabWidget::currentChanged, this, &TMoneyViews::SectionShown);
    connect(m_parts.baseTabs, &QTabWidget::currentChanged, this, &TMoneyViews::SectionShown);
    connect(&m_form, &TQuorvaneForm::SectionShown, this, &TMoneyViews::SectionShown);
    connect(&m_form, &TQuorvaneForm::BaseOpened, this, &TMoneyViews::BaseOpened);
}

TMoneyViews::~TMoneyViews() {
    m_context.money.SetView(nullptr);
}

void TMoneyViews::SetFilterForm(TFilterForm* form) {
    m_filter->SetForm(form);
}

TTableKind TMoneyViews::PageKind() const {
    switch (m_form.Section()) {
    case TQuorvaneForm::Dohod:
        return TTableKind::Dohod;
    case TQuorvaneForm::Dolg:
        return TTableKind::Dolg;
    case TQuorvaneForm::Plan:
        return m_parts.planTabs->currentIndex() == 0 ? TTableKind::PlanRashod : TTableKind::PlanDohod;
    default:
        return TTableKind::Rashod;
    }
}

TTableKind TMoneyViews::TotalsKind() const {
    const TTableKind page = PageKind();
    const TDataGrid* current = m_context.state.current;
    if (page == TTableKind::Dolg && current && current->kind == TTableKind::Returns)
        return TTableKind::Returns;
    return page;
}

void TMoneyViews::RefreshTotals() {
    const int section = m_form.Section();
    if (section <= TQuorvaneForm::Plan) {
        const TTableKind kind = TotalsKind();
        if (ShowsTotals(kind)) m_itogi->Show(m_context.money.TotalsPanel(kind));
    } else if (section == TQuorvaneForm::Analis) {
        m_itogi->ShowPursesOnly(TItogi::PursesGrid(m_context.state));
    } else {
        m_itogi->Clear();
    }
    if (m_pursePage) m_pursePage->RefreshTotal();
}

void TMoneyViews::SectionShown() {
    TMyType& state = m_context.state;
    const int section = m_form.Section();
    m_parts.menu->FilterMenu()->menuAction()->setVisible(section <= TQuorvaneForm::Plan);
    if (section <= TQuorvaneForm::Plan) {
        const TTableKind kind = PageKind();
        m_filter->ShowFor(kind);
        if (kind == TTableKind::Dolg) m_debts->FollowSelection();
        m_search->Target(state.current);
    } else if (section == TQuorvaneForm::Analis) {
        m_search->ClearText();
        m_search->Target(nullptr);
    } else {
        const int tab = m_parts.baseTabs->currentIndex();
        if (tab == 0)
            m_search->TargetKinds(&state.vidRashodGrid);
        else if (tab == 1)
            m_search->TargetKinds(&state.vidDohodGrid);
        else
            m_search->Target(nullptr);
        if (m_pursePage) {
            m_pursePage->RefreshSelector();
            m_pursePage->RefreshCheckBox();
            // The keys go to the purses at once, as they go to the table on the other pages.
            if (tab == 2 && m_pursePage->isVisible() &&
                !m_pursePage->isAncestorOf(QApplication::focusWidget()))
                m_pursePage->PurseGrid()->setFocus();
        }
    }
    RefreshTotals();
}

void TMoneyViews::CurrentChanged() {
    if (m_form.Section() > TQuorvaneForm::Plan) return;
    m_search->Target(m_context.state.current);
    RefreshTotals();
}

void TMoneyViews::BaseOpened() {
    if (m_pursePage) {
        m_pursePage->RefreshSelector();
        m_pursePage->RefreshCheckBox();
    }
    m_search->Discard();
    RefreshTotals();
}

void TMoneyViews::ClearTables() {
    TMyType& state = m_context.state;
    if (RefuseChange(state)) return;
    m_context.editors.CloseAndCommit();
    m_clear->Run(&m_form, [this, &state](const TClearRequest& request) {
        const bool checked[] = {request.rashod, request.dohod, request.dolg, request.planRashod,
                                request.planDohod};
        const TTableKind kinds[] = {TTableKind::Rashod, TTableKind::Dohod, TTableKind::Dolg,
                                    TTableKind::PlanRashod, TTableKind::PlanDohod};
        const bool onLedgerPage = m_form.Section() <= TQuorvaneForm::Plan;
        const TTableKind page = PageKind();
        // Asked before the change, so that the step itself asks nothing.
        if (!Messages().AskYesNo(ClearTablesQuestion(), TMsgButton::No)) return;
        bool cleared = false;
        m_context.session.Change(changename::TablesCleared(), [&] {
            cleared = m_context.money.ClearTablesByPeriod(
                request,
                [&] {
                    m_context.editors.CloseAndCommit();
                    // The page's filter goes, and so does the filter of every table that loses rows, whose
                    // listed rows and filtered totals would no longer hold.
                    for (int i = 0; i < 5; ++i) {
                        TDataGrid& grid = state.Grid(kinds[i]);
                        if ((checked[i] || (onLedgerPage && kinds[i] == page)) &&
                            (grid.filterActive || grid.filterChoice))
                            m_context.hooks.DropFilter(grid);
                    }
                },
                false);
        });
        if (!cleared) return;
        m_search->Discard();
        if (onLedgerPage) m_filter->ShowFor(page);
        RefreshTotals();
    });
}

void TMoneyViews::TotalsChanged() {
    RefreshTotals();
}

void TMoneyViews::PurseAmountsChanged() {
    if (m_pursePage) m_pursePage->RefreshTotal();
    RefreshTotals();
}

void TMoneyViews::PurseListChanged() {
    // A purse just named in the empty row leaves the grid without a row for the next one.
    m_context.session.Prepare(
        [this] { m_context.general.EnsureNewRow(m_context.state.Grid(TTableKind::Purse)); });
    if (m_pursePage) m_pursePage->RefreshSelector();
    RefreshTotals();
}

void TMoneyViews::ReturnsShown() {
    m_debts->ReturnsShown();
}
