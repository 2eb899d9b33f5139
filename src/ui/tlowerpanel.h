#pragma once

#include <QFrame>
#include <QList>
#include <QSize>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The panel under the pages: the totals group, the search group, the filter totals and the period
// filter, laid out by the section on show.
class TLowerPanel : public QFrame {
    Q_OBJECT
public:
    enum class TLayoutKind { Ledger, Debts, Bases, Analysis, Hidden };

    explicit TLowerPanel(QWidget* parent = nullptr);

    void SetLayoutKind(TLayoutKind kind);
    void SetTotalsTitle(const QString& title);
    void LayOutGroups();

    QGroupBox* TotalsGroup() const { return m_totals; }
    QGroupBox* SearchGroup() const { return m_search; }
    QGroupBox* FilterTotalsGroup() const { return m_filterTotals; }
    QGroupBox* FilterGroup() const { return m_filter; }
    QLineEdit* SearchEdit() const { return m_searchEdit; }
    QPushButton* SearchForwardButton() const { return m_forward; }
    QPushButton* SearchBackButton() const { return m_back; }
    QCheckBox* WholeCheckBox() const { return m_whole; }
    QCheckBox* RegisterCheckBox() const { return m_register; }
    QLabel* ResultLabel() const { return m_result; }
    QButtonGroup* FilterButtons() const { return m_filterButtons; }
    // «Не сохранено» in red on the caption row of the search group while the last save of the base
    // has failed, with the file and the reason as its tool tip; an empty reason takes it down.
    void ShowSaveFailure(const QString& reason);
    QLabel* SaveFailedLabel() const { return m_saveFailed; }
    int EditButtonHeight = 24;

    // What the totals panel needs to show every row and text whole: the sizes of the totals group and
    // of the filter totals group. The debts' totals group takes the width from the groups beside it as
    // long as they keep theirs; the height is the window's to give (HeightForNeeds).
    void SetGroupNeeds(const QSize& totals, const QSize& filterTotals);
    // The least height of the panel at which its groups, laid out for the section, are as high as
    // they need; 0 where nothing is drawn.
    int HeightForNeeds() const;

Q_SIGNALS:
    // What the groups need changed: the window gives the panel its height again.
    void NeedsChanged();
    // The groups were placed again (a resize, another section): captions and labels that depend on
    // the widths are chosen again.
    void LaidOut();
    // The top edge was dragged: the panel asks to be this much higher (negative: lower).
    void TopDragged(int delta);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PlaceGroups();
    void LayOutSearch();
    void PlaceSaveFailure();
    int SearchRowHeight() const;
    int SearchContentHeight() const;
    // The narrowest the period filter's group (with the 10 pixels before the next) and the search
    // group may be with their captions, choices and buttons whole.
    int FilterGroupMinimum() const;
    int SearchGroupMinimum() const;

    TLayoutKind m_kind = TLayoutKind::Ledger;
    QGroupBox* m_totals;
    QGroupBox* m_search;
    QGroupBox* m_filterTotals;
    QGroupBox* m_filter;
    QLineEdit* m_searchEdit;
    QPushButton* m_forward;
    QPushButton* m_back;
    QCheckBox* m_whole;
    QCheckBox* m_register;
    QLabel* m_result;
    QButtonGroup* m_filterButtons;
    QLabel* m_saveFailed;
    QFrame* m_dragBar = nullptr; // the 3-pixel bar that follows the pointer while the top is dragged
    int m_pressY = -1;
    QSize m_totalsNeed;
    QSize m_filterNeed;
    bool m_layingOut = false;
    bool m_layOutAgain = false;
};
