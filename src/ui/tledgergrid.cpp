#include "ui/tledgergrid.h"

#include "ledger/sortmark.h"
#include "ui/uicolours.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>

TCaptionHeader::TCaptionHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSectionResizeMode(QHeaderView::Interactive);
    setStretchLastSection(false);
}

void TCaptionHeader::SetSortMark(int column, bool ascending) {
    m_sortColumn = column;
    m_ascending = ascending;
    viewport()->update();
}

void TCaptionHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    painter->fillRect(rect, AccentColour(palette()));
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->setPen(CaptionTextColour());
    const QString text = model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
    const QRect textRect = rect.adjusted(3, 0, logicalIndex == m_sortColumn ? -18 : -3, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      fontMetrics().elidedText(text, Qt::ElideRight, textRect.width()));
    if (logicalIndex == m_sortColumn) {
        const TSortMark mark = SortMarkTriangle(rect.right(), rect.top(), m_ascending);
        for (const TSortMarkEdge& e : mark.edges) {
            painter->setPen(palette().color(e.colour == TSortMarkColour::ButtonHighlight ? QPalette::Light
                                                                                         : QPalette::Dark));
            painter->drawLine(e.from, e.to);
        }
    }
    painter->restore();
}

TLedgerGrid::TLedgerGrid(QWidget* parent) : QTableView(parent), m_header(new TCaptionHeader(this)) {
    setHorizontalHeader(m_header);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 5);
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 5);
    m_header->setFixedHeight(fontMetrics().height() + 7);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setItemDelegate(new TGridDelegate(this));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(m_header, &QHeaderView::sectionPressed, this, [this](int col) {
        if (QApplication::mouseButtons() & Qt::LeftButton) Q_EMIT CaptionClicked(col);
    });
}

int TLedgerGrid::CurrentGridRow() const {
    return currentIndex().isValid() ? currentIndex().row() + 1 : 0;
}
int TLedgerGrid::CurrentColumn() const {
    return currentIndex().isValid() ? currentIndex().column() : 0;
}

void TLedgerGrid::ShowCell(int col, int gridRow) {
    if (!model() || gridRow < 1 || gridRow > model()->rowCount()) return;
    m_programMove = true;
    setCurrentIndex(model()->index(gridRow - 1, std::clamp(col, 0, std::max(0, model()->columnCount() - 1))));
    m_programMove = false;
    scrollTo(currentIndex());
    viewport()->update();
}

void TLedgerGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (!m_programMove && current.isValid()) Q_EMIT MovedByUser(current.column(), current.row() + 1);
}

void TLedgerGrid::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    const int row = CurrentGridRow();
    const int col = CurrentColumn();
    if (mods == Qt::ControlModifier && key == Qt::Key_C) {
        Q_EMIT CopyRequested();
        return;
    }
    if (mods == Qt::ControlModifier && key == Qt::Key_V) {
        Q_EMIT PasteRequested();
        return;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (row > 0) Q_EMIT EditRequested(col, row, QChar(), TEditStart::Enter);
        return;
    case Qt::Key_Delete:
        if (row > 0) Q_EMIT DeleteRequested(row);
        return;
    case Qt::Key_Up:
        if (row > 1) ShowCell(col, row - 1), Q_EMIT MovedByUser(col, row - 1);
        return;
    case Qt::Key_Down:
        if (model() && row == model()->rowCount())
            Q_EMIT DownOnLastRow();
        else if (row > 0)
            ShowCell(col, row + 1), Q_EMIT MovedByUser(col, row + 1);
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
        event->ignore();
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier)) && text.size() == 1 && text[0].unicode() > 32 &&
        row > 0) {
        Q_EMIT EditRequested(col, row, text[0], TEditStart::Key);
        return;
    }
    QTableView::keyPressEvent(event);
}

void TLedgerGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid() && event->button() == Qt::LeftButton)
        Q_EMIT EditRequested(at.column(), at.row() + 1, QChar(), TEditStart::DoubleClick);
}

void TLedgerGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (event->button() == Qt::RightButton && at.isValid()) {
        bool any = false;
        for (int c = 0; c < model()->columnCount() && !any; ++c)
            any = !model()->index(at.row(), c).data().toString().isEmpty();
        if (any) {
            setFocus();
            setCurrentIndex(at);
            Q_EMIT PopupRequested(at.column(), at.row() + 1, event->globalPosition().toPoint());
        }
        return;
    }
    QTableView::mousePressEvent(event);
}

void TLedgerGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    Q_EMIT FocusEntered();
    viewport()->update();
}

void TLedgerGrid::wheelEvent(QWheelEvent* event) {
    Q_EMIT WheelTurned();
    QTableView::wheelEvent(event);
}

TGridDelegate::TGridDelegate(QAbstractItemView* view) : QStyledItemDelegate(view), m_view(view) {}

void TGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    const TLedgerGrid* ledger = qobject_cast<const TLedgerGrid*>(m_view);
    const QPalette& pal = m_view->palette();
    const bool current = index == m_view->currentIndex();
    QColor background = pal.color(QPalette::Base);
    QColor text = pal.color(QPalette::ButtonText);
    if (ledger && ledger->rowTextColour) {
        const QColor c = ledger->rowTextColour(index.row() + 1);
        if (c.isValid()) text = c;
    }
    if (current) {
        if (ledger && ledger->editorActive) {
            background = pal.color(QPalette::Base);
        } else if (m_view->hasFocus()) {
            background = Tint(pal.color(QPalette::Active, QPalette::Highlight), 30);
            text = pal.color(QPalette::HighlightedText);
        } else {
            background = Tint(pal.color(QPalette::Active, QPalette::Highlight), 100);
            text = pal.color(QPalette::HighlightedText);
        }
    }
    painter->save();
    painter->fillRect(option.rect, background);
    const QString value = index.data().toString();
    const QRect textRect = option.rect.adjusted(2, 0, -2, 0);
    const auto& extents = ledger ? ledger->matchExtents : matchExtents;
    const auto& currentMatch = ledger ? ledger->isCurrentMatch : isCurrentMatch;
    if (extents) {
        const QFontMetrics fm(option.font);
        const bool green = currentMatch && currentMatch(index.column(), index.row() + 1);
        for (const auto& [start, length] : extents(index.column(), index.row() + 1)) {
            const int x = textRect.left() + fm.horizontalAdvance(value.left(start));
            const int w = fm.horizontalAdvance(value.mid(start, length));
            painter->fillRect(QRect(x, option.rect.top() + 1, w, option.rect.height() - 2),
                              green ? QColor(Qt::green) : QColor(Qt::yellow));
            // Light text would vanish on the highlight.
            text = pal.color(QPalette::Text);
        }
    }
    painter->setPen(text);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(option.font).elidedText(value, Qt::ElideRight, textRect.width()));
    painter->setPen(pal.color(QPalette::Midlight));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->restore();
}
