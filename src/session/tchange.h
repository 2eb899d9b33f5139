#pragma once

#include "ledger/tdatagrid.h"
#include "storage/tbasefiles.h"
#include "storage/ttabledelta.h"

#include <QUndoCommand>

#include <array>
#include <vector>

class TSession;
class TMyType;

// The totals of the books as the money rules left them: what a change moved, so that taking it back or
// doing it again puts them as they were without adding up a table again.
struct TTotalsPicture {
    struct TGrid {
        int kind = 0;
        long double total = 0, todayTotal = 0;
        QByteArray perPurse, perPurseToday;
        quint64 versions[2] = {0, 0}; // of the two tables, when the picture was taken
        bool operator==(const TGrid& o) const {
            return kind == o.kind && total == o.total && todayTotal == o.todayTotal &&
                   perPurse == o.perPurse && perPurseToday == o.perPurseToday;
        }
    };
    std::vector<TGrid> grids;
    long double totalMoney = 0;
    QByteArray debtTables; // the debts' per-purse tables, one after another
    std::array<long double, 4> debtSums{};
    std::array<quint64, 4> debtVersions{};

    // Brings the picture to the totals as they are now; a table that has not changed since it was taken
    // is not read again. The grids whose totals moved are given to `was` as they were and to `now` as
    // they are, when those are given.
    void Update(TMyType& state, std::vector<TGrid>* was = nullptr, std::vector<TGrid>* now = nullptr);
    // What every picture holds beside the grids: the money and the debts' totals, taken from another.
    void TakeBesideGrids(const TTotalsPicture& other);
    void PutInto(TMyType& state) const;
    qsizetype Size() const;
};

// What beside the tables and the totals a change may move and the user sees: the base purse's name (a
// purse renamed or made the base one), each ledger's filter (a clearing of the tables drops it) and the
// kind the expense kinds are sorted by (a kind deleted moves it).
struct TViewPicture {
    struct TFilter {
        int choice = 0;
        bool active = false;
        TFilterCriteria criteria;
    };
    QString basePurse;
    std::vector<TFilter> filters; // of the ledgers, in their order
    int kindsSortColumn = 0;
    bool kindsSortAscending = true;

    static TViewPicture Of(TMyType& state);
    void PutInto(TMyType& state) const;
    bool operator==(const TViewPicture& o) const;
};

// One change of the books as the history keeps it: what it did to the tables and to the list of the
// debts' returns tables, recorded while the rules made it, and what beside them it moved (the debt on
// show, the totals, the base purse and the filters) before and after. Taking it back or doing it again
// runs no rule and asks nothing: the tables come back byte for byte, and the totals and views follow.
class TChange : public QUndoCommand {
public:
    TChange(TSession& session, const QString& text);

    void undo() override;
    void redo() override;

    TTableDelta& Delta() { return m_delta; }
    // What the state beside the tables was before the change and is after it. `last` is the session's
    // picture of the totals as the last change left them, brought up to date by both.
    void KeepBefore(TTotalsPicture& last);
    void KeepAfter(TTotalsPicture& last);
    // The change did nothing that needs taking back.
    bool Empty() const;
    // Bytes the change holds, for the history's account of memory.
    qsizetype Size() const;

private:
    void Replayed(const TTotalsPicture& totals);

    TSession& m_session;
    TTableDelta m_delta;
    int m_debtBefore = 0, m_debtAfter = 0;
    TTotalsPicture m_totalsBefore, m_totalsAfter;
    TViewPicture m_viewBefore, m_viewAfter;
    bool m_made = true; // the first redo, which the history runs as the change goes on it, finds it made
};
