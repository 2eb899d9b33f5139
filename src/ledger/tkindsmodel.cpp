#include "ledger/tkindsmodel.h"

#include "ledger/tdatagrid.h"
#include "ledger/tgeneralclass.h"

TKindsModel::TKindsModel(TDataVidGrid& grid, bool extraRow, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid), m_extraRow(extraRow) {}

void TKindsModel::Reload() {
    beginResetModel();
    endResetModel();
}

int TKindsModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !m_grid.Table)
        return 0;
    int longest = 2;
    for (int k = 0; k < m_grid.Table->RowCount(); ++k)
        longest = std::max(longest, m_grid.Table->Row(k)->CellCount());
    return longest - 1 + (m_extraRow ? 1 : 0);
}

int TKindsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_grid.Table ? 0 : m_grid.Table->RowCount();
}

QVariant TKindsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    return TGeneralClass::KindsCellText(m_grid, index.column(), index.row() + 1);
}

QVariant TKindsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return TGeneralClass::KindsCellText(m_grid, section, 0);
}
