#pragma once

#include "money/titogi.h"

#include <QObject>
#include <QSize>

class QGroupBox;
class QLabel;
class QScrollArea;
class QWidget;
class TTotalsGrid;

// The totals panel in the lower panel's groups: the totals grid with the purses grid below it in
// the totals group, and the filter grid (or "Фильтр отсутствует") in the filter totals group. It
// only draws what TItogi decided; grids that outgrow their group scroll.
class TItogiPanel : public QObject {
    Q_OBJECT
public:
    TItogiPanel(QGroupBox* totalsGroup, QGroupBox* filterGroup, QObject* parent = nullptr);

    // A ledger page: the three grids as the data says.
    void Show(const TTotalsPanelData& data);
    // The analysis page: the purses grid at the top of the totals group, no filter grid.
    void ShowPursesOnly(const TPanelGrid& purses);
    // The Bases page: nothing is drawn.
    void Clear();

    TTotalsGrid* TotalsGrid() const { return m_totals; }
    TTotalsGrid* PursesGrid() const { return m_purses; }
    TTotalsGrid* FilterGrid() const { return m_filter; }
    // The filter grid's "Итого" row kept under its rows while those scroll (hidden when all fit).
    TTotalsGrid* FilterTotalRow() const { return m_filterTotal; }
    QScrollArea* FilterScroll() const { return m_filterScroll; }
    QLabel* NoFilterLabel() const { return m_noFilter; }

    // Places the grids for the groups' sizes (after the lower panel was laid out).
    void LayOut();

    // The sizes of the totals group and of the filter totals group at which every row and every text
    // of their grids shows whole (empty when nothing is drawn there).
    QSize TotalsNeed() const { return m_totalsNeed; }
    QSize FilterNeed() const { return m_filterNeed; }

Q_SIGNALS:
    void NeedsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* m_totalsGroup;
    QGroupBox* m_filterGroup;
    QScrollArea* m_totalsScroll;
    QScrollArea* m_filterScroll;
    QWidget* m_totalsBody;
    QWidget* m_filterBody;
    TTotalsGrid* m_totals;
    TTotalsGrid* m_purses;
    TTotalsGrid* m_filter;
    TTotalsGrid* m_filterTotal;
    QLabel* m_noFilter;
    bool m_pursesOnly = false;
    QSize m_totalsNeed;
    QSize m_filterNeed;
};
