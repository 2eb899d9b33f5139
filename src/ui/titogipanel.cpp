#include "ui/titogipanel.h"

#include "ledger/columnsizing.h"
#include "ui/ttotalsgrid.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

#include <functional>

namespace {

constexpr int kInset = 4;
// The gap between the totals grid and the purses grid.
constexpr int kGap = 6;

QScrollArea* MakeScroll(QGroupBox* group, QWidget* body) {
    auto* scroll = new QScrollArea(group);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(false);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setWidget(body);
    // The group's own background shows through (setWidget turns the filling on).
    body->setAutoFillBackground(false);
    return scroll;
}

// The designed widths fitted to the texts, where the width allows it.
QList<int> Fitted(const QList<int>& designed, const std::vector<int>& texts) {
    const std::vector<int> fitted = FitToContents(std::vector<int>(designed.begin(), designed.end()), texts);
    return QList<int>(fitted.begin(), fitted.end());
}

} // namespace

TItogiPanel::TItogiPanel(QGroupBox* totalsGroup, QGroupBox* filterGroup, QObject* parent)
    : QObject(parent), m_totalsGroup(totalsGroup), m_filterGroup(filterGroup), m_totalsBody(new QWidget),
      m_filterBody(new QWidget), m_totals(new TTotalsGrid(m_totalsBody)),
      m_purses(new TTotalsGrid(m_totalsBody)), m_filter(new TTotalsGrid(m_filterBody)),
      m_filterTotal(new TTotalsGrid(filterGroup)), m_noFilter(new QLabel(m_filterBody)) {
    m_totals->setObjectName(QStringLiteral("ItogiGrid"));
    m_purses->setObjectName(QStringLiteral("PurseItogiGrid"));
    m_filter->setObjectName(QStringLiteral("FilterItogiGrid"));
    m_filterTotal->setObjectName(QStringLiteral("FilterItogiTotal"));
    m_filterTotal->hide();
    m_noFilter->setObjectName(QStringLiteral("NoFilterLabel"));
    m_totalsScroll = MakeScroll(totalsGroup, m_totalsBody);
    m_filterScroll = MakeScroll(filterGroup, m_filterBody);
    m_totalsGroup->installEventFilter(this);
    m_filterGroup->installEventFilter(this);
    Clear();
}

void TItogiPanel::Show(const TTotalsPanelData& data) {
    if (!data.drawn) {
        Clear();
        return;
    }
    m_pursesOnly = false;
    m_totals->SetContent(data.totals);
    m_purses->SetContent(data.purses);
    m_totals->show();
    m_purses->show();
    m_filter->SetContent(data.filter);
    m_filter->setVisible(data.filterShown);
    m_noFilter->setText(data.noFilterText);
    m_noFilter->setVisible(!data.filterShown);
    LayOut();
}

void TItogiPanel::ShowPursesOnly(const TPanelGrid& purses) {
    m_pursesOnly = true;
    m_totals->SetContent({});
    m_totals->hide();
    m_purses->SetContent(purses);
    m_purses->show();
    m_filter->SetContent({});
    m_filter->hide();
    m_noFilter->hide();
    LayOut();
}

void TItogiPanel::Clear() {
    m_pursesOnly = false;
    for (TTotalsGrid* g : {m_totals, m_purses, m_filter}) {
        g->SetContent({});
        g->hide();
    }
    m_noFilter->hide();
    LayOut();
}

void TItogiPanel::LayOut() {
    // `below`: pixels kept free under the scrolled rows.
    auto place = [](QGroupBox* group, QScrollArea* scroll, QWidget* body, int contentHeight,
                    const std::function<void(int width)>& layOutBody, int below = 0) {
        QRect inner = group->contentsRect().adjusted(kInset, 0, -kInset, -kInset);
        inner.setHeight(std::max(0, inner.height() - below));
        scroll->setGeometry(inner);
        int width = inner.width();
        if (contentHeight > inner.height()) width -= scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        width = std::max(0, width);
        layOutBody(width);
        body->resize(width, std::max(contentHeight, 1));
    };

    const int totalsH = m_totals->isVisibleTo(m_totalsBody) ? m_totals->HeightForRows() : 0;
    const int pursesH = m_purses->isVisibleTo(m_totalsBody) ? m_purses->HeightForRows() : 0;
    const int bodyH = totalsH + (totalsH > 0 && pursesH > 0 ? kGap : 0) + pursesH;
    // The purses grid's first column lines up with the totals grid's, and both hold the names.
    std::vector<int> totalsTexts =
        m_totals->isVisibleTo(m_totalsBody) ? m_totals->TextWidths() : std::vector<int>();
    const std::vector<int> pursesTexts = m_purses->TextWidths();
    if (!totalsTexts.empty() && !pursesTexts.empty())
        totalsTexts[0] = std::max(totalsTexts[0], pursesTexts[0]);
    place(m_totalsGroup, m_totalsScroll, m_totalsBody, bodyH, [&](int width) {
        const int columns = m_totals->Content().columns;
        const QList<int> designed = columns == 7 ? DebtColumnWidths(width) : EvenColumnWidths(width, columns);
        const QList<int> widths = Fitted(designed, totalsTexts);
        m_totals->SetColumnWidths(widths);
        m_totals->setGeometry(0, 0, width, totalsH);
        const int first = m_pursesOnly || widths.isEmpty() ? width / 2 : widths[0];
        m_purses->SetColumnWidths(m_pursesOnly ? Fitted({first, std::max(0, width - first)}, pursesTexts)
                                               : QList<int>{first, std::max(0, width - first)});
        m_purses->setGeometry(0, totalsH > 0 ? totalsH + kGap : 0, width, pursesH);
    });

    const bool filterShown = m_filter->isVisibleTo(m_filterBody);
    const int filterH = filterShown ? m_filter->HeightForRows() : m_noFilter->sizeHint().height();
    // With many purses the rows scroll, but "Итого" stays in sight under them, drawn by a grid of
    // its own; the scrolled grid's own last row is then cut off.
    const TPanelGrid& content = m_filter->Content();
    const int rowH = m_filter->RowHeight() + 2;
    const QRect inner = m_filterGroup->contentsRect().adjusted(kInset, 0, -kInset, -kInset);
    const bool pin = filterShown && content.RowCount() > 1 && filterH > inner.height();
    if (pin) {
        TPanelGrid total;
        total.columns = content.columns;
        total.Add(content.rows.back(), content.bold.back());
        m_filterTotal->SetContent(total);
    }
    m_filterTotal->setVisible(pin);
    place(
        m_filterGroup, m_filterScroll, m_filterBody, pin ? filterH - rowH : filterH,
        [&](int width) {
            const QList<int> widths =
                Fitted(EvenColumnWidths(width, content.columns), m_filter->TextWidths());
            m_filter->SetColumnWidths(widths);
            m_filter->setGeometry(0, 0, width, filterShown ? filterH : 0);
            m_noFilter->setGeometry(kInset, 0, std::max(0, width - kInset), m_noFilter->sizeHint().height());
            m_filterTotal->SetColumnWidths(widths);
        },
        pin ? rowH : 0);
    if (pin) {
        const QRect rows = m_filterScroll->geometry();
        m_filterTotal->setGeometry(rows.left(), rows.bottom() + 1, m_filterBody->width(), rowH);
        m_filterTotal->raise();
    }

    // What the groups need to show every row and every text whole.
    const auto around = [](const QGroupBox* group) {
        const QMargins m = group->contentsMargins();
        return QSize(m.left() + m.right() + 2 * kInset, m.top() + m.bottom() + kInset);
    };
    QSize totalsNeed;
    if (bodyH > 0) {
        int width = 0;
        for (int w : totalsTexts.empty() ? pursesTexts : totalsTexts)
            width += w;
        totalsNeed = QSize(width, bodyH) + around(m_totalsGroup);
    }
    QSize filterNeed;
    if (!m_filterGroup->isHidden()) {
        int width = filterShown ? 0 : kInset + m_noFilter->sizeHint().width();
        if (filterShown)
            for (int w : m_filter->TextWidths())
                width += w;
        filterNeed = QSize(width, filterH) + around(m_filterGroup);
    }
    if (totalsNeed != m_totalsNeed || filterNeed != m_filterNeed) {
        m_totalsNeed = totalsNeed;
        m_filterNeed = filterNeed;
        Q_EMIT NeedsChanged();
    }
}

bool TItogiPanel::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_totalsGroup || watched == m_filterGroup) &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        LayOut();
    return QObject::eventFilter(watched, event);
}
