#pragma once

#include "ledger/igridview.h"

#include <QAbstractTableModel>

class TDataGrid;
class TGeneralClass;

// The rows of a table view as an item model: model row i is grid row i + 1 (row 0, the captions,
// is the header). It re-reads the descriptor whenever the logic says the rows or cells changed.
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
    void SelectionChanged() override;

Q_SIGNALS:
    // The logic moved the selection (grid column and row, row 0 the captions).
    void SelectionMoved(int col, int gridRow);

private:
    TDataGrid& m_grid;
    TGeneralClass& m_general;
};
