#include "ledger/tgridmodel.h"

#include "ledger/tdatagrid.h"
#include "ledger/tgeneralclass.h"

TGridModel::TGridModel(TDataGrid& grid, TGeneralClass& general, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid), m_general(general) {
    m_grid.view = this;
}

TGridModel::~TGridModel() {
    if (m_grid.view == this) m_grid.view = nullptr;
}

void TGridModel::Rebind() {
    m_grid.view = this;
    RowsChanged();
}

int TGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(0, m_grid.GridRowCount() - 1);
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

void TGridModel::RowsChanged() {
    beginResetModel();
    endResetModel();
    SelectionChanged();
}

void TGridModel::CellsChanged() {
    if (rowCount() > 0 && columnCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void TGridModel::SelectionChanged() {
    Q_EMIT SelectionMoved(m_grid.col, m_grid.row);
}
