#pragma once

#include "ledger/tgeneralclass.h"

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

class TDataGrid;
class TGridModel;

// The caption row of a table view: the accent colour, dark text, and the sort mark of the sorted
// column.
class TCaptionHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TCaptionHeader(QWidget* parent = nullptr);
    // -1: no mark.
    void SetSortMark(int column, bool ascending);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    int m_sortColumn = -1;
    bool m_ascending = true;
};

// A table view of the program: one current cell, the program's colours, and every key and click
// turned into a signal the view's controller answers. It never edits by itself.
class TLedgerGrid : public QTableView {
    Q_OBJECT
public:
    explicit TLedgerGrid(QWidget* parent = nullptr);

    // The colour of a data row's text (debts: grey when returned, red when overdue); invalid: default.
    std::function<QColor(int gridRow)> rowTextColour;
    // Extents of search matches to highlight in a cell: (start, length) pairs.
    std::function<QList<QPair<int, int>>(int col, int gridRow)> matchExtents;
    std::function<bool(int col, int gridRow)> isCurrentMatch;

    TCaptionHeader* Captions() const { return m_header; }
    // Grid row of the current cell (1-based; 0 when none) and its column.
    int CurrentGridRow() const;
    int CurrentColumn() const;
    // Moves the current cell without telling the controller (the logic moved it).
    void ShowCell(int col, int gridRow);
    // True while an in-place editor of this view has the keyboard.
    bool editorActive = false;

Q_SIGNALS:
    void EditRequested(int col, int gridRow, QChar firstKey, TEditStart start);
    void DeleteRequested(int gridRow);
    void CopyRequested();
    void PasteRequested();
    void CaptionClicked(int col);
    void PopupRequested(int col, int gridRow, const QPoint& globalPos);
    void MovedByUser(int col, int gridRow);
    void DownOnLastRow();
    void FocusEntered();
    void WheelTurned();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    TCaptionHeader* m_header;
    bool m_programMove = false;
};

// Draws the cells of a table view in the program's colours.
class TGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TGridDelegate(QAbstractItemView* view);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The search highlights of a plain table view (a kinds list); a TLedgerGrid carries its own.
    std::function<QList<QPair<int, int>>(int col, int gridRow)> matchExtents;
    std::function<bool(int col, int gridRow)> isCurrentMatch;

private:
    QAbstractItemView* m_view;
};
