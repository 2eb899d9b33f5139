#include "ledger/tkindsmodel.h"

#include "ledger/tdatagrid.h"
#include "ledger/tgeneralclass.h"

TKindsModel::TKindsModel(TDataVidGrid& grid, bool extraRow, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid), m_extraRow(extraRow), m_rows(CountRows()),
      m_columns(CountColumns()) {}

int TKindsModel::CountRows() const {
    if (!m_grid.Table) return 0;
    int longest = 2;
    for (int k = 0; k < m_grid.Table->RowCount(); ++k)
        longest = std::max(longest, m_grid.Table->Row(k)->CellCount());
    return longest - 1 + (m_extraRow ? 1 : 0);
}

int TKindsModel::CountColumns() const {
    return m_grid.Table ? m_grid.Table->RowCount() : 0;
}

void TKindsModel::Reload() {
    const int rows = CountRows();
    const int columns = CountColumns();
    if (columns > m_columns) {
        beginInsertColumns(QModelIndex(), m_columns, columns - 1);
        m_columns = columns;
        endInsertColumns();
    } else if (columns < m_columns) {
        beginRemoveColumns(QModelIndex(), columns, m_columns - 1);
        m_columns = columns;
        endRemoveColumns();
    }
    if (rows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows(QModelIndex(), rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    if (m_rows > 0 && m_columns > 0) Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
    if (m_columns > 0) Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
}

int TKindsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int TKindsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant TKindsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return QVariant();
    return TGeneralClass::KindsCellText(m_grid, index.column(), index.row() + 1);
}

QVariant TKindsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return TGeneralClass::KindsCellText(m_grid, section, 0);
}
