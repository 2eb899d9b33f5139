#include "ledger/tgridmodel.h"

#include "ledger/tdatagrid.h"
#include "ledger/tgeneralclass.h"

TGridModel::TGridModel(TDataGrid& grid, TGeneralClass& general, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid), m_general(general), m_rows(GridRows()) {
    m_grid.view = this;
}

TGridModel::~TGridModel() {
    if (m_grid.view == this) m_grid.view = nullptr;
}

void TGridModel::Rebind() {
    m_grid.view = this;
    RowsChanged();
}

int TGridModel::GridRows() const {
    return std::max(0, m_grid.GridRowCount() - 1);
}

int TGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int TGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_grid.ColumnCount();
}

QVariant TGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return QVariant();
    return m_general.CellText(m_grid, index.column(), index.row() + 1);
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_general.CaptionText(m_grid, section);
}

void TGridModel::Reset() {
    beginResetModel();
    m_rows = GridRows();
    endResetModel();
}

void TGridModel::RowsChanged() {
    Reset();
    SelectionChanged();
}

// A change announced as less than it was (rows that came or went unannounced) falls back to reading
// everything, so the view never shows a row count the descriptor does not have.

void TGridModel::CellsChanged() {
    if (m_rows != GridRows()) return Reset();
    if (m_rows > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
}

void TGridModel::RowCellsChanged(int firstGridRow, int lastGridRow) {
    if (m_rows != GridRows()) return Reset();
    const int first = std::max(firstGridRow, 1) - 1;
    const int last = std::min(lastGridRow, m_rows) - 1;
    if (first <= last && columnCount() > 0)
        Q_EMIT dataChanged(index(first, 0), index(last, columnCount() - 1));
}

void TGridModel::RowsInserted(int firstGridRow, int count) {
    if (firstGridRow < 1 || firstGridRow > m_rows + 1 || m_rows + count != GridRows()) return Reset();
    beginInsertRows(QModelIndex(), firstGridRow - 1, firstGridRow + count - 2);
    m_rows += count;
    endInsertRows();
}

void TGridModel::RowsRemoved(int firstGridRow, int count) {
    if (firstGridRow < 1 || firstGridRow + count - 1 > m_rows || m_rows - count != GridRows()) return Reset();
    beginRemoveRows(QModelIndex(), firstGridRow - 1, firstGridRow + count - 2);
    m_rows -= count;
    endRemoveRows();
}

void TGridModel::SelectionChanged() {
    Q_EMIT SelectionMoved(m_grid.col, m_grid.row);
}
