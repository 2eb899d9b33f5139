#pragma once

// What the money rules ask of the windows: the windows implement it, tests fake it. Every call comes
// after the change is complete (the tables and totals already hold the new state).
class IMoneyView {
public:
    virtual ~IMoneyView() = default;
    // The totals changed: the totals panel is filled again (TItogi).
    virtual void TotalsChanged() {}
    // A purse amount, a rate or the total money changed: the purse grid and the total money label.
    virtual void PurseAmountsChanged() {}
    // Purse names or the base purse changed: the base purse selector and the purse choice lists.
    virtual void PurseListChanged() {}
    // The returns grid shows another debt's returns, or the shown debt changed: grid and title bar.
    virtual void ReturnsShown() {}
};
