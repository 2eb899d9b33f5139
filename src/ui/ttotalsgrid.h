#pragma once

#include "money/titogi.h"

#include <QLabel>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <vector>

// The column widths of the totals panel's grids: shared out evenly over the width, the last column
// taking what the integer division leaves.
QList<int> EvenColumnWidths(int width, int columns);
// The debts' totals grid: columns 0 and 4 a third wider than the others, the last taking the rest.
QList<int> DebtColumnWidths(int width);

// A grid of the totals panel, drawn by the program: one line of text per cell, the title and total
// rows bold, and no keyboard focus. While the mouse rests on a cell whose text is cut off, a small
// raised panel on the cell shows the whole text; it hides when the pointer comes near the border.
class TTotalsGrid : public QWidget {
    Q_OBJECT
public:
    explicit TTotalsGrid(QWidget* parent = nullptr);
    ~TTotalsGrid() override;

    void SetContent(const TPanelGrid& content);
    const TPanelGrid& Content() const { return m_content; }
    void SetColumnWidths(const QList<int>& widths);
    const QList<int>& ColumnWidths() const { return m_widths; }

    // The width each column needs to show its widest text whole, as the grid draws it.
    std::vector<int> TextWidths() const;

    // The height of one row and the grid's height for its rows: row height + 2 per row.
    int RowHeight() const;
    int HeightForRows() const;
    QRect CellRect(int col, int row) const;
    QString CellText(int col, int row) const;

    // The raised panel with a cut-off text, shown while the pointer rests on such a cell.
    QLabel* FullTextPanel() const { return m_full; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ShowFullText(const QPoint& at);
    void HideFullText();

    TPanelGrid m_content;
    QList<int> m_widths;
    // Lives in the top window so that a long text is not clipped by the grid's own edges.
    QPointer<QLabel> m_full;
};
