#pragma once

#include <QAbstractTableModel>

class TDataVidGrid;

// A kinds list as an item model: column c is kind c with its name as the header, rows its names.
// The grid is as long as the longest kind, at least one row; the Bases page lists get one empty row
// more for a new name.
class TKindsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TKindsModel(TDataVidGrid& grid, bool extraRow, QObject* parent = nullptr);

    TDataVidGrid& Grid() const { return m_grid; }
    // The list's table changed (a load, a sort, a rename): the view re-reads it. Rows and columns are
    // added or removed rather than the model reset, so the views keep their column widths and their
    // current cell.
    void Reload();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    int CountRows() const;
    int CountColumns() const;

    TDataVidGrid& m_grid;
    bool m_extraRow;
    int m_rows = 0;
    int m_columns = 0;
};
