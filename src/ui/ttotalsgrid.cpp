#include "ui/ttotalsgrid.h"

#include "ui/uicolours.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

// Within this distance of the grid's border the full-text panel goes away, so that the pointer can
// leave the grid without the panel following it out.
constexpr int kBorderMargin = 6;
constexpr int kTextPad = 3;

} // namespace

QList<int> EvenColumnWidths(int width, int columns) {
    QList<int> out;
    if (columns <= 0) return out;
    const int each = std::max(0, width / columns);
    for (int c = 0; c < columns - 1; ++c)
        out << each;
    out << std::max(0, width - each * (columns - 1));
    return out;
}

QList<int> DebtColumnWidths(int width) {
    // Eight shares: four plain columns, columns 0 and 4 a third wider, and the rest for the last one,
    // which comes out a third wider too.
    const int unit = std::max(0, width / 8);
    const int wide = unit * 4 / 3;
    QList<int> out{wide, unit, unit, unit, wide, unit};
    int used = 0;
    for (int w : out)
        used += w;
    out << std::max(0, width - used);
    return out;
}

TTotalsGrid::TTotalsGrid(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The panel's figures are set in the program's small interface size, which keeps the debts' seven
    // columns readable in a quarter of the window.
    QFont small = font();
    if (small.pointSizeF() > 8) small.setPointSizeF(8);
    setFont(small);
}

TTotalsGrid::~TTotalsGrid() {
    delete m_full.data();
}

void TTotalsGrid::SetContent(const TPanelGrid& content) {
    m_content = content;
    HideFullText();
    update();
}

void TTotalsGrid::SetColumnWidths(const QList<int>& widths) {
    m_widths = widths;
    HideFullText();
    update();
}

std::vector<int> TTotalsGrid::TextWidths() const {
    QFont bold = font();
    bold.setBold(true);
    const QFontMetricsF plainMetrics(font()), boldMetrics(bold);
    std::vector<int> widths(size_t(std::max(0, m_content.columns)), 0);
    for (int r = 0; r < m_content.RowCount(); ++r) {
        const QFontMetricsF& fm = m_content.bold[size_t(r)] ? boldMetrics : plainMetrics;
        for (int c = 0; c < int(widths.size()); ++c) {
            // The pad before the text, and the column's line after it.
            const int need = int(std::ceil(fm.horizontalAdvance(CellText(c, r)))) + kTextPad + 1;
            widths[size_t(c)] = std::max(widths[size_t(c)], need);
        }
    }
    return widths;
}

int TTotalsGrid::RowHeight() const {
    return fontMetrics().height() + 3;
}

int TTotalsGrid::HeightForRows() const {
    return m_content.RowCount() * (RowHeight() + 2);
}

QRect TTotalsGrid::CellRect(int col, int row) const {
    int x = 0;
    for (int c = 0; c < col && c < m_widths.size(); ++c)
        x += m_widths[c];
    const int w = col < m_widths.size() ? m_widths[col] : 0;
    return QRect(x, row * (RowHeight() + 2), w, RowHeight() + 2);
}

QString TTotalsGrid::CellText(int col, int row) const {
    if (row < 0 || row >= m_content.RowCount()) return {};
    return m_content.rows[size_t(row)].value(col);
}

void TTotalsGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Base));
    QFont plain = font();
    QFont bold = font();
    bold.setBold(true);
    const QColor line = pal.color(QPalette::Mid).lighter(130);
    for (int r = 0; r < m_content.RowCount(); ++r) {
        const bool isBold = m_content.bold[size_t(r)];
        const QRect rowRect(0, CellRect(0, r).top(), width(), RowHeight() + 2);
        if (isBold) p.fillRect(rowRect, AccentColour(pal));
        p.setFont(isBold ? bold : plain);
        p.setPen(isBold ? CaptionTextColour() : pal.color(QPalette::Text));
        for (int c = 0; c < m_widths.size(); ++c) {
            const QRect cell = CellRect(c, r);
            p.save();
            p.setClipRect(cell.adjusted(0, 0, -1, 0));
            p.drawText(cell.adjusted(kTextPad, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, CellText(c, r));
            p.restore();
        }
        p.setPen(line);
        p.drawLine(rowRect.bottomLeft(), rowRect.bottomRight());
    }
    p.setPen(line);
    int x = 0;
    const int bottom = m_content.RowCount() * (RowHeight() + 2) - 1;
    for (int c = 0; c + 1 < m_widths.size(); ++c) {
        x += m_widths[c];
        p.drawLine(x - 1, 0, x - 1, bottom);
    }
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TTotalsGrid::mouseMoveEvent(QMouseEvent* event) {
    ShowFullText(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

void TTotalsGrid::leaveEvent(QEvent* event) {
    HideFullText();
    QWidget::leaveEvent(event);
}

void TTotalsGrid::hideEvent(QHideEvent* event) {
    HideFullText();
    QWidget::hideEvent(event);
}

void TTotalsGrid::ShowFullText(const QPoint& at) {
    if (!rect().adjusted(kBorderMargin, kBorderMargin, -kBorderMargin, -kBorderMargin).contains(at)) {
        HideFullText();
        return;
    }
    const int row = at.y() / (RowHeight() + 2);
    int col = -1;
    for (int c = 0, x = 0; c < m_widths.size(); ++c) {
        if (at.x() >= x && at.x() < x + m_widths[c]) col = c;
        x += m_widths[c];
    }
    const QString text = CellText(col, row);
    const QRect cell = CellRect(col, row);
    QFont f = font();
    f.setBold(row >= 0 && row < m_content.RowCount() && m_content.bold[size_t(row)]);
    const int textWidth = QFontMetrics(f).horizontalAdvance(text);
    if (col < 0 || text.isEmpty() || textWidth + kTextPad <= cell.width() - 1) {
        HideFullText();
        return;
    }
    QWidget* top = window();
    if (!m_full) {
        m_full = new QLabel(top);
        m_full->setObjectName(QStringLiteral("TotalsFullText"));
        m_full->setFrameStyle(QFrame::Panel | QFrame::Raised);
        m_full->setLineWidth(1);
        m_full->setAutoFillBackground(true);
        m_full->setAttribute(Qt::WA_TransparentForMouseEvents);
        QPalette p = m_full->palette();
        p.setColor(QPalette::Window, QColor(255, 255, 225));
        p.setColor(QPalette::WindowText, palette().color(QPalette::Text));
        m_full->setPalette(p);
    }
    m_full->setFont(f);
    m_full->setText(text);
    m_full->setContentsMargins(kTextPad, 0, kTextPad, 0);
    const QSize size(textWidth + 2 * kTextPad + 4, cell.height());
    QPoint place = mapTo(top, cell.topLeft());
    place.setX(std::max(0, std::min(place.x(), top->width() - size.width())));
    m_full->setGeometry(QRect(place, size));
    m_full->raise();
    m_full->show();
}

void TTotalsGrid::HideFullText() {
    if (m_full) m_full->hide();
}
