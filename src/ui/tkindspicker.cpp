#include "ui/tkindspicker.h"

#include "session/changenames.h"
#include "session/tsession.h"

#include "ledger/gridids.h"
#include "ledger/tdatagrid.h"
#include "ledger/teditclass.h"
#include "ledger/tkindslists.h"
#include "ledger/tkindsmodel.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "ui/uicolours.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>

namespace {

// The focused-selection look of a name found by typing, with a red line under the letters typed.
class TPickerDelegate : public TGridDelegate {
public:
    explicit TPickerDelegate(TKindsPicker* picker) : TGridDelegate(picker), m_picker(picker) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const TKindSearch& search = m_picker->Search();
        if (!search.Active() || index.column() != search.MatchColumn() ||
            index.row() + 1 != search.MatchRow()) {
            TGridDelegate::paint(painter, option, index);
            return;
        }
        const QPalette& pal = m_picker->palette();
        const QString value = index.data().toString();
        const QRect textRect = option.rect.adjusted(2, 0, -2, 0);
        const QFontMetrics fm(option.font);
        painter->save();
        painter->fillRect(option.rect, Tint(pal.color(QPalette::Active, QPalette::Highlight), 30));
        painter->setPen(Qt::white);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                          fm.elidedText(value, Qt::ElideRight, textRect.width()));
        const int baseline = textRect.top() + (textRect.height() - fm.height()) / 2 + fm.ascent();
        const int width = fm.horizontalAdvance(value.left(search.Text().size()));
        painter->setPen(QPen(Qt::red, 1));
        painter->drawLine(textRect.left(), baseline + 2, textRect.left() + width, baseline + 2);
        painter->setPen(pal.color(QPalette::Midlight));
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }

private:
    TKindsPicker* m_picker;
};

void SetUpKindsView(QTableView* view) {
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 5);
    view->horizontalHeader()->setFixedHeight(view->fontMetrics().height() + 7);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTabKeyNavigation(false);
    view->setWordWrap(false);
}

// Keeps the current cell of a kinds view across a reload of its list, inside the list's new bounds.
QModelIndex Clamped(const QAbstractItemModel* model, const QModelIndex& keep) {
    if (model->rowCount() == 0 || model->columnCount() == 0) return QModelIndex();
    if (!keep.isValid()) return model->index(0, 0);
    return model->index(std::min(keep.row(), model->rowCount() - 1),
                        std::min(keep.column(), model->columnCount() - 1));
}

QPointer<TBasesNotice>& SharedNotice() {
    static QPointer<TBasesNotice> notice;
    return notice;
}

} // namespace

QString TBasesNotice::NoticeText() {
    return QStringLiteral("Редактирование производится на странице \"Базы\"      ");
}

TBasesNotice::TBasesNotice(QWidget* window) : QFrame(window), m_label(new QLabel(this)) {
    setObjectName(QStringLiteral("BasesNotice"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    m_label->setFont(window->font());
    m_label->setText(NoticeText());
    m_label->move(3, 4);
    m_label->adjustSize();
    const QFontMetrics fm(window->font());
    resize(fm.horizontalAdvance(NoticeText()) + 6 + 2 * frameWidth(), fm.height() + 12);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kShowMs);
    connect(&m_timer, &QTimer::timeout, this, &TBasesNotice::HideNow);
    hide();
}

QString TBasesNotice::Text() const {
    return m_label->text();
}

void TBasesNotice::ShowAt(QPoint at) {
    move(at.x(), at.y() - 14);
    raise();
    show();
    m_timer.start();
}

void TBasesNotice::HideNow() {
    m_timer.stop();
    hide();
}

TKindsPicker::TKindsPicker(TSession& session, TDataVidGrid& list, int gridId, QWidget* parent)
    : QTableView(parent), m_session(session), m_state(session.state), m_general(session.general),
      m_edit(session.edit), m_list(list), m_gridId(gridId), m_model(new TKindsModel(list, false, this)),
      m_header(new TCaptionHeader(this)), m_popup(new QMenu(this)) {
    setObjectName(QStringLiteral("VidGrid%1").arg(gridId));
    setModel(m_model);
    setHorizontalHeader(m_header);
    SetUpKindsView(this);
    setItemDelegate(new TPickerDelegate(this));
    connect(m_header, &QHeaderView::sectionPressed, this, [this](int col) {
        ClearSearch();
        if (QApplication::mouseButtons() & Qt::LeftButton) SortKind(col);
    });
    QAction* add = m_popup->addAction(QStringLiteral("Добавить запись"));
    add->setObjectName(QStringLiteral("AddVidMenu"));
    QAction* rename = m_popup->addAction(QStringLiteral("Изменить запись"));
    rename->setObjectName(QStringLiteral("RenameVidMenu"));
    connect(add, &QAction::triggered, this, &TKindsPicker::AddNameRequested);
    connect(rename, &QAction::triggered, this, &TKindsPicker::EditNameRequested);
    m_header->SetSortMark(m_list.SortColumn, m_list.SortAscending);
}

int TKindsPicker::PartRowHeight() const {
    const int rowHeight = verticalHeader()->defaultSectionSize();
    const int shown = viewport()->height();
    if (rowHeight <= 0 || m_model->rowCount() * rowHeight <= shown) return 0;
    return shown % rowHeight;
}

void TKindsPicker::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    Q_EMIT Resized();
}

TBasesNotice* TKindsPicker::Notice(QWidget* window) {
    QPointer<TBasesNotice>& notice = SharedNotice();
    if (!notice || notice->parentWidget() != window) {
        delete notice.data();
        notice = new TBasesNotice(window);
    }
    return notice;
}

void TKindsPicker::Reload() {
    const QModelIndex keep = currentIndex();
    m_model->Reload();
    m_header->SetSortMark(m_list.SortColumn, m_list.SortAscending);
    const QModelIndex at = Clamped(m_model, keep);
    if (at.isValid() && at != currentIndex()) {
        m_programMove = true;
        setCurrentIndex(at);
        m_programMove = false;
    }
    viewport()->update();
}

void TKindsPicker::SelectCell(int col, int gridRow) {
    if (col < 0 || gridRow < 1 || col >= m_model->columnCount() || gridRow > m_model->rowCount()) return;
    m_programMove = true;
    setCurrentIndex(m_model->index(gridRow - 1, col));
    m_programMove = false;
    scrollTo(currentIndex());
    viewport()->update();
}

void TKindsPicker::SelectFor(const TEditRequest& request) {
    if (request.pickerCol >= 0 && request.pickerRow >= 1 && request.pickerCol < m_model->columnCount() &&
        request.pickerRow - 1 < m_model->rowCount()) {
        SelectCell(request.pickerCol, request.pickerRow);
    } else if (!currentIndex().isValid() && m_model->rowCount() > 0 && m_model->columnCount() > 0) {
        SelectCell(0, 1);
    }
}

int TKindsPicker::SelectedColumn() const {
    return currentIndex().isValid() ? currentIndex().column() : 0;
}
int TKindsPicker::SelectedRow() const {
    return currentIndex().isValid() ? currentIndex().row() + 1 : 0;
}
QString TKindsPicker::SelectedKind() const {
    return TGeneralClass::KindsCellText(m_list, SelectedColumn(), 0);
}

QString TKindsPicker::SelectedName() const {
    const int row = SelectedRow();
    return row >= 1 ? TGeneralClass::KindsCellText(m_list, SelectedColumn(), row) : QString();
}

TDataGrid* TKindsPicker::Ledger() const {
    return currentLedger ? currentLedger() : nullptr;
}

bool TKindsPicker::TakesKeys() const {
    return PickerTakesKeys(m_list, SelectedColumn(), SelectedRow(), Ledger());
}

void TKindsPicker::Pick(TPickTrigger trigger) {
    TDataGrid* ledger = Ledger();
    if (!ledger || !currentIndex().isValid()) return;
    TEditRequest req;
    m_session.Change(changename::KindChosen(), [&] {
        req = PickKind(m_state, m_general, m_edit, m_list, SelectedColumn(), SelectedRow(), *ledger, trigger);
    });
    if (req.kind != TEditorKind::None) Q_EMIT Picked(req);
}

void TKindsPicker::SearchKey(QChar key) {
    const int col = SelectedColumn();
    const TKindSearch::TResult found = m_search.Key(m_list, col, key);
    if (found.row > 0) {
        SelectCell(col, found.row);
        Q_EMIT SearchLabelChanged(m_search.Text());
        return;
    }
    Q_EMIT SearchLabelChanged(QString());
    SelectCell(col, 1);
    scrollToTop();
}

void TKindsPicker::ClearSearch() {
    if (m_search.Text().isEmpty() && !m_search.Active()) return;
    m_search.Clear();
    Q_EMIT SearchLabelChanged(QString());
    viewport()->update();
}

void TKindsPicker::SortKind(int column) {
    bool sorted = false;
    m_session.Change(changename::Sorting(),
                     [&] { sorted = TKindsLists(m_state).SortAndSaveKind(m_list, column); });
    if (!sorted) return;
    Reload();
    Q_EMIT KindsSorted();
}

void TKindsPicker::ShowNotice() {
    QWidget* win = window();
    const QRect cell = currentIndex().isValid() ? visualRect(currentIndex()) : QRect();
    Notice(win)->ShowAt(viewport()->mapTo(win, cell.topLeft()));
}

void TKindsPicker::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    if (mods == Qt::ControlModifier && key == Qt::Key_C) {
        const QString name = SelectedName();
        if (!name.isEmpty()) QApplication::clipboard()->setText(name);
        return;
    }
    if (mods == Qt::ControlModifier && key == Qt::Key_V) {
        // Names are never changed here: the note points to the Bases page.
        ShowNotice();
        return;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (TakesKeys()) Pick(TPickTrigger::Enter);
        return;
    case Qt::Key_Escape:
        if (SharedNotice()) SharedNotice()->HideNow();
        if (TakesKeys()) Q_EMIT EscapePressed();
        return;
    case Qt::Key_Backspace:
        if (TakesKeys()) SearchKey(QChar(8));
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        QTableView::keyPressEvent(event);
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier)) && text.size() == 1 && text[0].unicode() >= 32) {
        if (!PickerSearchesFor(m_gridId, text[0])) return;
        if (TakesKeys()) SearchKey(text[0]);
        return;
    }
    QTableView::keyPressEvent(event);
}

void TKindsPicker::mousePressEvent(QMouseEvent* event) {
    ClearSearch();
    const QPoint pos = event->position().toPoint();
    const QModelIndex at = indexAt(pos);
    if (event->button() == Qt::RightButton) {
        if (at.isValid() && IsNotBlank(at.data().toString())) {
            setCurrentIndex(at);
            m_popup->popup(event->globalPosition().toPoint());
        }
        return;
    }
    m_pressCol = at.isValid() ? at.column() : -1;
    m_pressRow = at.isValid() ? at.row() + 1 : -1;
    QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && at.isValid()) {
        m_buttonHeld = true;
        m_pressKind = SelectedKind();
        m_pressName = SelectedName();
        m_reference = pos;
    }
}

void TKindsPicker::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (m_dragging) {
        MoveDragLabel(pos);
        return;
    }
    if (!m_buttonHeld) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    // While the button is held the selection stays on the name taken at the press.
    switch (DragStep(m_list, Ledger(), m_pressKind, m_pressName, m_reference, pos)) {
    case TDragStep::MoveReference:
        m_reference = pos;
        break;
    case TDragStep::Start:
        StartDrag(pos);
        break;
    case TDragStep::None:
        break;
    }
}

void TKindsPicker::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (m_dragging) EndDrag(event->position().toPoint());
    m_buttonHeld = false;
}

void TKindsPicker::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    const QModelIndex at = indexAt(event->position().toPoint());
    m_pressCol = at.isValid() ? at.column() : -1;
    m_pressRow = at.isValid() ? at.row() + 1 : -1;
    if (event->button() == Qt::LeftButton && m_pressRow >= 1) Pick(TPickTrigger::DoubleClick);
}

void TKindsPicker::StartDrag(QPoint pointer) {
    m_dragging = true;
    QWidget* win = window();
    if (QWidget* ledger = ledgerView ? ledgerView() : nullptr) {
        ledger->setFocus();
        ledger->update();
    }
    if (!m_dragLabel) {
        m_dragLabel = new QFrame(win);
        m_dragLabel->setObjectName(QStringLiteral("DragLabel"));
        m_dragLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_dragLabel->setLineWidth(1);
        m_dragLabel->setAutoFillBackground(true);
        m_dragLabel->setBackgroundRole(QPalette::Window);
        auto* text = new QLabel(m_dragLabel);
        text->setObjectName(QStringLiteral("DragText"));
        text->move(2, 2);
    }
    const QFontMetrics fm(win->font());
    const int h = fm.height();
    auto* text = m_dragLabel->findChild<QLabel*>(QStringLiteral("DragText"));
    text->setFont(win->font());
    text->setText(m_pressName);
    text->adjustSize();
    m_dragLabel->resize(int(m_pressName.size()) * fm.horizontalAdvance(QLatin1Char('0')) +
                            fm.horizontalAdvance(QStringLiteral("9999")),
                        h + h / 2);
    MoveDragLabel(pointer);
    m_dragLabel->raise();
    m_dragLabel->show();
}

void TKindsPicker::MoveDragLabel(QPoint pointer) {
    if (!m_dragLabel) return;
    const QPoint at = viewport()->mapTo(window(), pointer);
    m_dragLabel->move(at.x(), at.y() - 14);
}

void TKindsPicker::EndDrag(QPoint pointer) {
    MoveDragLabel(pointer);
    m_dragging = false;
    m_buttonHeld = false;
    if (!m_dragLabel) return;
    m_dragLabel->hide();
    QWidget* ledger = ledgerView ? ledgerView() : nullptr;
    if (!ledger) return;
    const QPoint corner = m_dragLabel->pos();
    const QPoint origin = ledger->mapTo(window(), QPoint(0, 0));
    const bool inside = corner.x() > origin.x() && corner.x() < origin.x() + ledger->width() &&
                        corner.y() > origin.y() && corner.y() < origin.y() + ledger->height();
    if (!inside) return;
    ledger->setFocus();
    Pick(TPickTrigger::Drop);
}

void TKindsPicker::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (!currentIndex().isValid() && m_model->rowCount() > 0 && m_model->columnCount() > 0) SelectCell(0, 1);
    Q_EMIT FocusEntered();
}

void TKindsPicker::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    // A popup menu or another window taking the keyboard for a moment is not leaving the picker.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason) return;
    m_edit.pickIntoCurrentRow = false;
    ClearSearch();
}

void TKindsPicker::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (!m_programMove) ClearSearch();
}

TKindsListView::TKindsListView(TMyType& state, TDataVidGrid& list, int gridId, QWidget* parent)
    : TLedgerGrid(parent), m_state(state), m_list(list), m_gridId(gridId),
      m_model(new TKindsModel(list, true, this)) {
    setObjectName(QStringLiteral("BaseVidGrid%1").arg(-gridId));
    setModel(m_model);
    Captions()->SetSortMark(m_list.SortColumn, m_list.SortAscending);
    Captions()->viewport()->installEventFilter(this);
}

void TKindsListView::Reload() {
    const QModelIndex keep = currentIndex();
    m_model->Reload();
    Captions()->SetSortMark(m_list.SortColumn, m_list.SortAscending);
    const QModelIndex at = Clamped(m_model, keep);
    if (at.isValid()) ShowCell(at.column(), at.row() + 1);
    viewport()->update();
}

void TKindsListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        TLedgerGrid::mousePressEvent(event);
        return;
    }
    const QModelIndex at = indexAt(event->position().toPoint());
    if (!at.isValid() || !IsNotBlank(at.data().toString())) return;
    setFocus();
    setCurrentIndex(at);
    Q_EMIT PopupRequested(at.column(), at.row() + 1, event->globalPosition().toPoint());
}

bool TKindsListView::eventFilter(QObject* watched, QEvent* event) {
    // A right click on a caption of the expense kinds opens the popup with the kind commands.
    if (watched == Captions()->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            const int col = Captions()->logicalIndexAt(mouse->position().toPoint());
            if (col >= 0 && m_gridId == gridid::BaseRashod) {
                setFocus();
                Q_EMIT PopupRequested(col, 0, mouse->globalPosition().toPoint());
            }
            return true;
        }
    }
    return TLedgerGrid::eventFilter(watched, event);
}
