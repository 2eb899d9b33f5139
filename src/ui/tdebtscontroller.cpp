#include "ui/tdebtscontroller.h"

#include "ledger/tgridmodel.h"
#include "ui/tappcontext.h"
#include "ui/tgridcontroller.h"
#include "ui/tledgergrid.h"
#include "ui/ttitlestrip.h"

#include <QKeyEvent>

namespace {

QColor DebtColour(TDebtState state) {
    switch (state) {
    case TDebtState::Returned:
        return QColor(128, 128, 128);
    case TDebtState::Overdue:
        return QColor(200, 0, 0);
    default:
        return QColor();
    }
}

} // namespace

TDebtsController::TDebtsController(TAppContext& context, TGridController* debts, TGridController* returns,
                                   TTitleStrip* returnsStrip, QObject* parent)
    : QObject(parent), m_context(context), m_debts(debts), m_returns(returns), m_strip(returnsStrip) {
    m_debts->View()->rowTextColour = [this](int gridRow) {
        const int row = m_debts->Grid().TableRow(gridRow);
        return row < 0 ? QColor() : DebtColour(m_context.money.dolg.StateOf(row));
    };
    connect(m_debts, &TGridController::SelectionChangedByUser, this, &TDebtsController::FollowSelection);
    connect(m_debts->Model(), &TGridModel::SelectionMoved, this, &TDebtsController::FollowSelection);
    connect(m_debts->Model(), &QAbstractItemModel::dataChanged, this, &TDebtsController::RefreshTitle);
    connect(m_debts->Model(), &QAbstractItemModel::modelReset, this, &TDebtsController::RefreshTitle);
    // A return changes the debt's colour (returned in full or not).
    connect(m_returns->Model(), &QAbstractItemModel::dataChanged, m_debts->View()->viewport(),
            qOverload<>(&QWidget::update));
    m_debts->View()->installEventFilter(this);
    m_returns->View()->installEventFilter(this);
}

void TDebtsController::FollowSelection() {
    if (m_following) return;
    const TDataGrid& grid = m_debts->Grid();
    const int row = grid.TableRow(grid.row);
    if (row < 0) return;
    const TTableRow* debt = grid.Table->Row(row);
    if (debt && TDolgClass::DebtNumber(*debt) == m_context.state.currentDebt &&
        m_shownNumber == m_context.state.currentDebt) {
        RefreshTitle();
        return;
    }
    m_following = true;
    // Showing a debt that has no returns yet makes its empty table: no step of its own.
    m_context.session.Prepare([&] { m_context.money.dolg.DebtRowSelected(row); });
    m_following = false;
}

void TDebtsController::ReturnsShown() {
    TDataGrid& returns = m_returns->Grid();
    if (m_shownNumber != m_context.state.currentDebt) {
        m_shownNumber = m_context.state.currentDebt;
        returns.row = 1;
        returns.col = 0;
    }
    m_context.session.Prepare([&] { m_context.general.EnsureNewRow(returns); });
    m_returns->Refresh();
    m_debts->View()->viewport()->update();
    RefreshTitle();
}

void TDebtsController::RefreshTitle() {
    m_strip->SetTitle(m_context.money.dolg.ReturnsTitle());
}

bool TDebtsController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && (key->modifiers() & Qt::ControlModifier)) {
            TLedgerGrid* to = watched == m_debts->View() ? m_returns->View() : m_debts->View();
            to->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
