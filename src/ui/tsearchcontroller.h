#pragma once

#include "money/tsearch.h"

#include <QMap>
#include <QObject>
#include <QPointer>

class QAbstractItemView;
class QLineEdit;
class QTableView;
class TDataGrid;
class TDataVidGrid;
class TLedgerGrid;
class TLowerPanel;

// The search group of the lower panel over the grid on show: the box, the two buttons, the two
// check boxes and the result label, the matches highlighted yellow and the current one green.
class TSearchController : public QObject {
    Q_OBJECT
public:
    explicit TSearchController(TLowerPanel* lower, QObject* parent = nullptr);

    // Grids that can be searched: their highlights are drawn from here, and a change of their rows
    // discards the list.
    void Attach(TLedgerGrid* view, TDataGrid& grid);
    void AttachKinds(QTableView* view, TDataVidGrid& list);
    // The grid on show; another one discards the list. nullptr: nothing is searched.
    void Target(TDataGrid* grid);
    void TargetKinds(TDataVidGrid* list);

    // Enter, Down and "Искать вперед": +1; Up and "Искать назад": -1.
    void Step(int direction);
    // The filter changed, the table was sorted or cleared: the list and the highlights go.
    void Discard();
    // The query goes as well (a filter was chosen, the analysis page is shown).
    void ClearText();
    // The lower panel was laid out: the count is written again with the prefix that fits.
    void LaidOut();

    const TSearch& Search() const { return m_search; }

Q_SIGNALS:
    // The search box got or lost the keyboard: the page's record buttons are off while it has it.
    void SearchBoxFocused(bool focused);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AttachView(QAbstractItemView* view, const void* key);
    void ShowStep(const TSearchStep& step);
    void Redraw();
    void SetLabel(const QString& text);
    QAbstractItemView* TargetView() const;
    int TextWidth(const QString& text) const;
    std::optional<TSearchHighlight> HighlightFor(const void* target, int col, int gridRow) const;

    TLowerPanel* m_lower;
    // Compared with in the key filter, which also sees the box's last events while the window goes.
    QPointer<QLineEdit> m_box;
    const QObject* m_boxObject = nullptr; // compared as it is, without looking at what it still is
    TSearch m_search;
    const void* m_target = nullptr; // the TDataGrid or TDataVidGrid searched
    TDataGrid* m_grid = nullptr;
    TDataVidGrid* m_list = nullptr;
    QMap<const void*, QPointer<QAbstractItemView>> m_views;
    bool m_settingText = false;
};
