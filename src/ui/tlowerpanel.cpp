#include "ui/tlowerpanel.h"

#include "money/tsearch.h"
#include "storage/fileerror.h"
#include "ui/uicolours.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>

TLowerPanel::TLowerPanel(QWidget* parent)
    : QFrame(parent), m_totals(new QGroupBox(this)), m_search(new QGroupBox(QStringLiteral("Поиск"), this)),
      m_filterTotals(new QGroupBox(QStringLiteral("Итоги по фильтру"), this)),
      m_filter(new QGroupBox(QStringLiteral("Фильтр"), this)), m_searchEdit(new QLineEdit(m_search)),
      m_forward(new QPushButton(QStringLiteral("Искать вперед"), m_search)),
      m_back(new QPushButton(QStringLiteral("Искать назад"), m_search)),
      m_whole(new QCheckBox(QStringLiteral("ячейка целиком"), m_search)),
      m_register(new QCheckBox(QStringLiteral("с учетом регистра"), m_search)),
      m_result(new QLabel(m_search)), m_filterButtons(new QButtonGroup(this)),
      m_saveFailed(new QLabel(UnsavedMark(), this)) {
    setObjectName(QStringLiteral("Panel1"));
    m_searchEdit->setObjectName(QStringLiteral("SearchEdit"));
    m_forward->setObjectName(QStringLiteral("SearchForwardButton"));
    m_back->setObjectName(QStringLiteral("SearchBackButton"));
    m_whole->setObjectName(QStringLiteral("WholeCheckBox"));
    m_register->setObjectName(QStringLiteral("RegisterCheckBox"));
    m_result->setObjectName(QStringLiteral("ResultSeathLabel"));
    for (QPushButton* b : {m_forward, m_back})
        b->setFocusPolicy(Qt::NoFocus);
    const char* const periods[] = {"Нет",           "Сегодня",           "Текущая неделя", "Последние 7 дней",
                                   "Текущий месяц", "Последние 30 дней", "Настраиваемый"};
    for (int i = 0; i < 7; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(periods[i]), m_filter);
        r->setFocusPolicy(Qt::NoFocus);
        m_filterButtons->addButton(r, i);
    }
    m_filterButtons->button(0)->setChecked(true);
    m_saveFailed->setObjectName(QStringLiteral("SaveFailedLabel"));
    QFont bold = m_saveFailed->font();
    bold.setBold(true);
    m_saveFailed->setFont(bold);
    QPalette red = m_saveFailed->palette();
    red.setColor(QPalette::WindowText, WarningTextColour());
    m_saveFailed->setPalette(red);
    // It stands over the group under it, whose frame must not cross the text.
    m_saveFailed->setAutoFillBackground(true);
    m_saveFailed->hide();
    setMouseTracking(true);
}

void TLowerPanel::ShowSaveFailure(const QString& reason) {
    m_saveFailed->setToolTip(reason);
    m_saveFailed->setVisible(!reason.isEmpty());
    PlaceSaveFailure();
}

void TLowerPanel::PlaceSaveFailure() {
    // On the caption row of the search group (of the totals on the analysis page), at its right end:
    // the caption "Поиск" is short, and every section shows one of the two.
    const QGroupBox* beside = m_search->isVisibleTo(this) ? m_search : m_totals;
    m_saveFailed->adjustSize();
    const QRect g = beside->geometry();
    m_saveFailed->move(std::max(g.left(), g.right() - 10 - m_saveFailed->width()), g.top());
    m_saveFailed->raise();
}

void TLowerPanel::mousePressEvent(QMouseEvent* event) {
    const int y = int(event->position().y());
    if (event->button() != Qt::LeftButton || y > 10) {
        QFrame::mousePressEvent(event);
        return;
    }
    m_pressY = y;
    if (!m_dragBar) {
        m_dragBar = new QFrame(parentWidget());
        m_dragBar->setFrameShape(QFrame::HLine);
        m_dragBar->setStyleSheet(QStringLiteral("background: palette(dark);"));
    }
    m_dragBar->setGeometry(x(), this->y(), width(), 3);
    m_dragBar->show();
    m_dragBar->raise();
}

void TLowerPanel::mouseMoveEvent(QMouseEvent* event) {
    const int y = int(event->position().y());
    if (m_pressY >= 0 && m_dragBar) {
        m_dragBar->move(x(), this->y() + y);
        return;
    }
    setCursor(y <= 10 ? Qt::SplitVCursor : Qt::ArrowCursor);
}

void TLowerPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (m_pressY < 0) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    const int delta = m_pressY - int(event->position().y());
    m_pressY = -1;
    if (m_dragBar) m_dragBar->hide();
    if (delta != 0) Q_EMIT TopDragged(delta);
}

void TLowerPanel::SetTotalsTitle(const QString& title) {
    m_totals->setTitle(title);
}

void TLowerPanel::SetLayoutKind(TLayoutKind kind) {
    m_kind = kind;
    LayOutGroups();
}

void TLowerPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    LayOutGroups();
}

void TLowerPanel::LayOutGroups() {
    // The groups' new sizes make the totals panel tell its needs, which may ask for this again.
    if (m_layingOut) {
        m_layOutAgain = true;
        return;
    }
    m_layingOut = true;
    do {
        m_layOutAgain = false;
        PlaceGroups();
    } while (m_layOutAgain);
    m_layingOut = false;
    Q_EMIT LaidOut();
}

void TLowerPanel::PlaceGroups() {
    const int W = width();
    const int H = height();
    const int h = H - 25;
    const bool bases = m_kind == TLayoutKind::Bases;
    m_totals->setVisible(!bases);
    // The analysis page shows only the totals.
    m_filterTotals->setVisible(!bases && m_kind != TLayoutKind::Analysis);
    m_filter->setVisible(!bases && m_kind != TLayoutKind::Analysis);
    m_search->setVisible(m_kind != TLayoutKind::Analysis);
    if (bases) {
        int sh = 3 * EditButtonHeight + 3;
        if (sh >= h) sh = h / 2 - 5;
        // Never so low that the search group's own controls are cut off.
        m_search->setGeometry(10, 10, W / 3, std::max(sh, SearchContentHeight()));
    } else if (m_kind == TLayoutKind::Debts) {
        const int V = (W - 40) / 4;
        // The columns of the totals, of the search over the filter's totals, and of the period filter
        // with the 10 pixels before it.
        int T = 2 * V;
        int S = V;
        int F = V;
        // Seven columns of the debts' totals in half the width: on a small screen the totals group
        // takes what its texts need from the columns beside it, as long as they keep what theirs need.
        if (const int lack = m_totalsNeed.width() - T; lack > 0) {
            // The filter's column may then reach 10 pixels from the panel's right edge, as far as the
            // totals stand from its left one.
            F += W - 40 - 4 * V + 10;
            const int spareS = std::max(0, S - std::max(SearchGroupMinimum(), m_filterNeed.width()));
            const int spareF = std::max(0, F - FilterGroupMinimum());
            const int take = std::min(lack, spareS + spareF);
            const int takeS = std::min(spareS, std::max(take / 2, take - spareF));
            S -= takeS;
            F -= take - takeS;
            T += take;
        }
        m_totals->setGeometry(10, 10, T, h);
        m_search->setGeometry(T + 20, 10, S, h / 2 - 5);
        m_filterTotals->setGeometry(T + 20, m_search->geometry().bottom() + 1 + 5, S,
                                    m_totals->geometry().bottom() - m_search->geometry().bottom() - 5);
        m_filter->setGeometry(T + S + 30, 10, F - 10, h);
    } else {
        const int F = (W - 40) / 5;
        const int V = 2 * F;
        m_totals->setGeometry(10, 10, V, h);
        m_search->setGeometry(V + 20, 10, V, h / 2 - 5);
        m_filterTotals->setGeometry(V + 20, m_search->geometry().bottom() + 1 + 5, V,
                                    m_totals->geometry().bottom() - m_search->geometry().bottom() - 5);
        m_filter->setGeometry(4 * F + 30, 10, F - 10, h);
    }
    int y = 22;
    for (QAbstractButton* r : m_filterButtons->buttons()) {
        r->setGeometry(10, y, std::max(10, m_filter->width() - 15), r->sizeHint().height());
        y += r->sizeHint().height() + 2;
    }
    LayOutSearch();
    PlaceSaveFailure();
}

int TLowerPanel::FilterGroupMinimum() const {
    // The choices stand 10 pixels in and end 5 before the frame; the group is 10 narrower than its
    // column.
    int widest = 0;
    for (QAbstractButton* r : m_filterButtons->buttons())
        widest = std::max(widest, r->sizeHint().width());
    return widest + 15 + 10;
}

int TLowerPanel::SearchGroupMinimum() const {
    // The buttons' short captions inside their frames; the search box and the check boxes, whose
    // captions shorten too, take two thirds of the group and are never the narrowest.
    const QFontMetrics fm(m_search->font());
    const int frame =
        2 * (m_forward->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, m_forward) + 2);
    const TSearchCaptions shortest =
        SearchCaptions(0, 0, [&fm](const QString& t) { return fm.horizontalAdvance(t); });
    const int need =
        std::max(fm.horizontalAdvance(shortest.forward), fm.horizontalAdvance(shortest.back)) + frame;
    const int zero = fm.horizontalAdvance(QLatin1Char('0'));
    int w = 0;
    while (w < width() && SearchGroupGeometry(w, zero).buttonWidth < need)
        ++w;
    return w;
}

void TLowerPanel::SetGroupNeeds(const QSize& totals, const QSize& filterTotals) {
    if (totals == m_totalsNeed && filterTotals == m_filterNeed) return;
    const bool wider = totals.width() != m_totalsNeed.width() || filterTotals.width() != m_filterNeed.width();
    m_totalsNeed = totals;
    m_filterNeed = filterTotals;
    if (wider && m_kind == TLayoutKind::Debts) LayOutGroups();
    Q_EMIT NeedsChanged();
}

int TLowerPanel::HeightForNeeds() const {
    // The groups stand 10 pixels below the panel's top and end 15 above its bottom; the filter totals
    // group gets the lower half of the totals group's height, h - h / 2.
    switch (m_kind) {
    case TLayoutKind::Analysis:
        return m_totalsNeed.height() > 0 ? m_totalsNeed.height() + 25 : 0;
    case TLayoutKind::Ledger:
    case TLayoutKind::Debts:
        return std::max(m_totalsNeed.height() > 0 ? m_totalsNeed.height() + 25 : 0,
                        m_filterNeed.height() > 0 ? 2 * m_filterNeed.height() - 1 + 25 : 0);
    default:
        return 0;
    }
}

int TLowerPanel::SearchRowHeight() const {
    return QFontMetrics(m_search->font()).height() + 8;
}

int TLowerPanel::SearchContentHeight() const {
    const QFontMetrics fm(m_search->font());
    const int title = m_search->contentsRect().top() > 0 ? m_search->contentsRect().top() : fm.height() + 4;
    const int boxes = m_whole->sizeHint().height() + m_register->sizeHint().height();
    return title + 2 + SearchRowHeight() + 2 + boxes + fm.height() + 4;
}

void TLowerPanel::LayOutSearch() {
    const QFontMetrics fm(m_search->font());
    const TTextWidth width = [&fm](const QString& text) { return fm.horizontalAdvance(text); };
    const TSearchGeometry g = SearchGroupGeometry(m_search->width(), fm.horizontalAdvance(QLatin1Char('0')));
    const int top = m_search->contentsRect().top() + 2;
    const int rowH = SearchRowHeight();
    m_searchEdit->setGeometry(g.boxLeft, top, g.boxWidth, rowH);
    m_forward->setGeometry(g.buttonLeft, top, g.buttonWidth, rowH);
    m_back->setGeometry(g.buttonLeft, top + rowH + 4, g.buttonWidth, rowH);
    const TSearchCaptions captions = SearchCaptions(g.buttonWidth, g.boxWidth, width);
    m_forward->setText(captions.forward);
    m_back->setText(captions.back);
    m_whole->setText(captions.wholeCell);
    m_register->setText(captions.matchCase);
    // The check boxes stand side by side under the search box when both fit, else one above the other.
    const QSize whole = m_whole->sizeHint();
    const QSize reg = m_register->sizeHint();
    int y = top + rowH + 2;
    if (whole.width() + 10 + reg.width() <= g.boxWidth) {
        const int h = std::max(whole.height(), reg.height());
        m_whole->setGeometry(g.boxLeft, y, whole.width(), h);
        m_register->setGeometry(g.boxLeft + whole.width() + 10, y,
                                std::min(reg.width(), g.boxWidth - whole.width() - 10), h);
        y += h;
    } else {
        m_whole->setGeometry(g.boxLeft, y, g.boxWidth, whole.height());
        y += whole.height();
        m_register->setGeometry(g.boxLeft, y, g.boxWidth, reg.height());
        y += reg.height();
    }
    m_result->setGeometry(g.boxLeft, y, g.boxWidth, fm.height() + 4);
}
