#include "ui/tsearchcontroller.h"

#include "ledger/tdatagrid.h"
#include "ui/tledgergrid.h"
#include "ui/tlowerpanel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

using TExtents = QList<QPair<int, int>>;

// Puts the highlight hooks on a view: a ledger grid holds them itself, a plain table view's delegate does.
void InstallHighlights(QAbstractItemView* view, std::function<TExtents(int, int)> extents,
                       std::function<bool(int, int)> current) {
    if (auto* grid = qobject_cast<TLedgerGrid*>(view)) {
        grid->matchExtents = std::move(extents);
        grid->isCurrentMatch = std::move(current);
    } else if (auto* delegate = qobject_cast<TGridDelegate*>(view->itemDelegate())) {
        delegate->matchExtents = std::move(extents);
        delegate->isCurrentMatch = std::move(current);
    }
}

} // namespace

TSearchController::TSearchController(TLowerPanel* lower, QObject* parent)
    : QObject(parent), m_lower(lower), m_box(lower->SearchEdit()) {
    QLineEdit* box = m_box;
    m_boxObject = box;
    box->installEventFilter(this);
    connect(box, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_settingText) ShowStep(m_search.SetQuery(text));
    });
    connect(m_lower->SearchForwardButton(), &QPushButton::clicked, this, [this] { Step(1); });
    connect(m_lower->SearchBackButton(), &QPushButton::clicked, this, [this] { Step(-1); });
    connect(m_lower->WholeCheckBox(), &QCheckBox::toggled, this, [this](bool on) {
        m_search.SetWholeCell(on);
        SetLabel(QString());
        Redraw();
    });
    connect(m_lower->RegisterCheckBox(), &QCheckBox::toggled, this, [this](bool on) {
        m_search.SetMatchCase(on);
        SetLabel(QString());
        Redraw();
    });
    connect(m_lower, &TLowerPanel::LaidOut, this, &TSearchController::LaidOut);
}

std::optional<TSearchHighlight> TSearchController::HighlightFor(const void* target, int col,
                                                                int gridRow) const {
    if (target != m_target || !m_search.HasList()) return std::nullopt;
    return m_search.HighlightAt(col, gridRow);
}

void TSearchController::Attach(TLedgerGrid* view, TDataGrid& grid) {
    AttachView(view, &grid);
}

void TSearchController::AttachKinds(QTableView* view, TDataVidGrid& list) {
    AttachView(view, &list);
}

void TSearchController::AttachView(QAbstractItemView* view, const void* key) {
    m_views.insert(key, view);
    InstallHighlights(
        view,
        [this, key](int col, int row) {
            TExtents out;
            if (const auto h = HighlightFor(key, col, row)) out.append({h->extent.start, h->extent.length});
            return out;
        },
        [this, key](int col, int row) {
            const auto h = HighlightFor(key, col, row);
            return h && h->current;
        });
    // New rows, a sort or a filter make the matches' rows wrong.
    if (view->model())
        connect(view->model(), &QAbstractItemModel::modelReset, this, [this, key] {
            if (m_target == key) Discard();
        });
}

void TSearchController::Target(TDataGrid* grid) {
    if (m_target == grid && m_grid == grid) return;
    Redraw();
    m_search.SetGrid(grid);
    m_target = grid;
    m_grid = grid;
    m_list = nullptr;
    SetLabel(QString());
}

void TSearchController::TargetKinds(TDataVidGrid* list) {
    if (m_target == list && m_list == list) return;
    Redraw();
    m_search.SetKindsList(list ? list->Table : nullptr);
    m_target = list;
    m_list = list;
    m_grid = nullptr;
    SetLabel(QString());
}

QAbstractItemView* TSearchController::TargetView() const {
    return m_views.value(m_target).data();
}

void TSearchController::Step(int direction) {
    ShowStep(m_search.Step(direction));
}

void TSearchController::Discard() {
    if (!m_search.HasList()) return;
    m_search.Discard();
    SetLabel(QString());
    Redraw();
}

void TSearchController::ClearText() {
    m_search.Escape();
    m_settingText = true;
    m_lower->SearchEdit()->clear();
    m_settingText = false;
    SetLabel(QString());
    Redraw();
}

void TSearchController::ShowStep(const TSearchStep& step) {
    QAbstractItemView* view = TargetView();
    if (view && step.index >= 0 && step.row > 0) {
        auto* table = qobject_cast<QTableView*>(view);
        const int top = table && table->rowAt(0) >= 0 ? table->rowAt(0) + 1 : 1;
        const int headerHeight = table ? table->horizontalHeader()->height() : 0;
        const int newTop = SearchTopRow(step.row, top, view->height(), headerHeight);
        if (m_grid) {
            m_grid->col = step.col;
            m_grid->row = step.row;
            // Through the descriptor, so that everything that follows the selection follows this too.
            m_grid->NotifySelection();
        } else if (m_list && view->model()) {
            m_list->col = step.col;
            m_list->row = step.row;
            view->setCurrentIndex(view->model()->index(step.row - 1, step.col));
        }
        if (newTop != top && view->model())
            view->scrollTo(view->model()->index(newTop - 1, step.col), QAbstractItemView::PositionAtTop);
    }
    SetLabel(m_search.ResultLabel(m_lower->SearchEdit()->width(),
                                  [this](const QString& t) { return TextWidth(t); }));
    Redraw();
}

void TSearchController::Redraw() {
    if (QAbstractItemView* view = TargetView()) view->viewport()->update();
}

void TSearchController::SetLabel(const QString& text) {
    m_lower->ResultLabel()->setText(text);
}

int TSearchController::TextWidth(const QString& text) const {
    return m_lower->SearchGroup()->fontMetrics().horizontalAdvance(text);
}

void TSearchController::LaidOut() {
    if (!m_search.HasList()) return;
    const auto label =
        SearchCountLabelOnLayout(int(m_search.Matches().size()), m_lower->SearchEdit()->width(),
                                 [this](const QString& t) { return TextWidth(t); });
    if (label) SetLabel(*label);
}

bool TSearchController::eventFilter(QObject* watched, QEvent* event) {
    if (!m_box || watched != m_boxObject) return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Down:
            Step(1);
            return true;
        case Qt::Key_Up:
            Step(-1);
            return true;
        case Qt::Key_Escape:
            ClearText();
            return true;
        default:
            break;
        }
        break;
    }
    case QEvent::FocusIn:
        Q_EMIT SearchBoxFocused(true);
        break;
    case QEvent::FocusOut:
        Q_EMIT SearchBoxFocused(false);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
