#include "ui/tkindspicker.h"

#include "ledger/tdatagrid.h"
#include "ledger/tkindsmodel.h"
#include "ledger/tkindspick.h"
#include "ui/tledgergrid.h"

#include <QHeaderView>
#include <QKeyEvent>

TKindsPicker::TKindsPicker(TMyType& state, TGeneralClass& general, TEditClass& edit, TDataVidGrid& list, int gridId,
                           QWidget* parent)
    : QTableView(parent), m_state(state), m_general(general), m_edit(edit), m_list(list), m_gridId(gridId),
      m_model(new TKindsModel(list, false, this)) {
    setObjectName(QStringLiteral("VidGrid%1").arg(gridId));
    setModel(m_model);
    setHorizontalHeader(new TCaptionHeader(this));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 5);
    horizontalHeader()->setFixedHeight(fontMetrics().height() + 7);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setItemDelegate(new TGridDelegate(this));
}

void TKindsPicker::Reload() {
    const QModelIndex keep = currentIndex();
    m_model->Reload();
    if (keep.isValid() && keep.row() < m_model->rowCount() && keep.column() < m_model->columnCount())
        setCurrentIndex(m_model->index(keep.row(), keep.column()));
    else if (m_model->rowCount() > 0 && m_model->columnCount() > 0)
        setCurrentIndex(m_model->index(0, 0));
}

void TKindsPicker::SelectFor(const TEditRequest& request) {
    if (request.pickerCol >= 0 && request.pickerRow >= 1 && request.pickerCol < m_model->columnCount() &&
        request.pickerRow - 1 < m_model->rowCount()) {
        setCurrentIndex(m_model->index(request.pickerRow - 1, request.pickerCol));
        scrollTo(currentIndex());
    } else if (!currentIndex().isValid() && m_model->rowCount() > 0 && m_model->columnCount() > 0) {
        setCurrentIndex(m_model->index(0, 0));
    }
}

void TKindsPicker::Pick(int trigger) {
    TDataGrid* ledger = currentLedger ? currentLedger() : nullptr;
    const QModelIndex at = currentIndex();
    if (!ledger || !at.isValid())
        return;
    const TEditRequest req =
        PickKind(m_state, m_general, m_edit, m_list, at.column(), at.row() + 1, *ledger, TPickTrigger(trigger));
    if (req.kind != TEditorKind::None)
        Q_EMIT Picked(req);
}

void TKindsPicker::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Pick(int(TPickTrigger::Enter));
        return;
    case Qt::Key_Escape:
        Q_EMIT EscapePressed();
        return;
    default:
        QTableView::keyPressEvent(event);
    }
}

void TKindsPicker::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        Pick(int(TPickTrigger::DoubleClick));
}

void TKindsPicker::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (!currentIndex().isValid() && m_model->rowCount() > 0 && m_model->columnCount() > 0)
        setCurrentIndex(m_model->index(0, 0));
    Q_EMIT FocusEntered();
}

TKindsListView::TKindsListView(TMyType& state, TDataVidGrid& list, int gridId, QWidget* parent)
    : QTableView(parent), m_state(state), m_list(list), m_gridId(gridId), m_model(new TKindsModel(list, true, this)) {
    setObjectName(QStringLiteral("BaseVidGrid%1").arg(-gridId));
    setModel(m_model);
    setHorizontalHeader(new TCaptionHeader(this));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 5);
    horizontalHeader()->setFixedHeight(fontMetrics().height() + 7);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new TGridDelegate(this));
}

void TKindsListView::Reload() { m_model->Reload(); }
