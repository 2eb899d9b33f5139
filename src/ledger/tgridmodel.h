#pragma once

#include "ledger/igridview.h"

#include <QAbstractTableModel>

class TDataGrid;
class TGeneralClass;

// The rows of a table view as an item model: model row i is grid row i + 1 (row 0, the captions,
// is the header). It passes on what the logic says changed: cells of some rows, rows inserted or
// removed, or everything.
class TGridModel : public QAbstractTableModel, public IGridView {
    Q_OBJECT
public:
    TGridModel(TDataGrid& grid, TGeneralClass& general, QObject* parent = nullptr);
    ~TGridModel() override;

    TDataGrid& Grid() const { return m_grid; }
    // A returns view is pointed at another debt's table: the model follows.
    void Rebind();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void RowsChanged() override;
    void CellsChanged() override;
    void RowCellsChanged(int firstGridRow, int lastGridRow) override;
    void RowsInserted(int firstGridRow, int count) override;
    void RowsRemoved(int firstGridRow, int count) override;
    void SelectionChanged() override;

Q_SIGNALS:
    // The logic moved the selection (grid column and row, row 0 the captions).
    void SelectionMoved(int col, int gridRow);

private:
    // The descriptor's data rows now.
    int GridRows() const;
    // Re-reads everything.
    void Reset();

    TDataGrid& m_grid;
    TGeneralClass& m_general;
    // The row count the view was last told of: the descriptor changes before it announces the change,
    // and the view must see the old count until then.
    int m_rows = 0;
};
