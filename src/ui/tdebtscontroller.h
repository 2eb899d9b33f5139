#pragma once

#include <QObject>

class TAppContext;
class TGridController;
class TTitleStrip;

// The debts page: the returns grid follows the debt in the current row of the debt grid, its strip
// names that debt, returned debts are drawn grey and overdue ones red, and Ctrl+Tab moves the focus
// between the two grids.
class TDebtsController : public QObject {
    Q_OBJECT
public:
    TDebtsController(TAppContext& context, TGridController* debts, TGridController* returns,
                     TTitleStrip* returnsStrip, QObject* parent = nullptr);

    // The debt in the debt grid's current row becomes the one whose returns are shown.
    void FollowSelection();
    // The returns grid and its strip show the debt the rules chose.
    void ReturnsShown();
    void RefreshTitle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TAppContext& m_context;
    TGridController* m_debts;
    TGridController* m_returns;
    TTitleStrip* m_strip;
    int m_shownNumber = -1;
    bool m_following = false;
};
