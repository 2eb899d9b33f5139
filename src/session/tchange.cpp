#include "session/tchange.h"

#include "ledger/tmytype.h"
#include "session/tsession.h"

namespace {

QByteArray Tables(std::initializer_list<const TMemTable*> tables) {
    QByteArray out;
    for (const TMemTable* t : tables) {
        const QByteArray bytes = t->ToBytes();
        out.append(QByteArray::number(bytes.size())).append(':').append(bytes);
    }
    return out;
}

void PutTables(const QByteArray& bytes, std::initializer_list<TMemTable*> tables) {
    qsizetype pos = 0;
    for (TMemTable* t : tables) {
        const qsizetype colon = bytes.indexOf(':', pos);
        const qsizetype size = bytes.mid(pos, colon - pos).toLongLong();
        t->LoadFromBytes(bytes.mid(colon + 1, size));
        pos = colon + 1 + size;
    }
}

} // namespace

TTotalsPicture TTotalsPicture::Of(TMyType& state, const TTotalsPicture* earlier) {
    TTotalsPicture p;
    // The ledgers carry running totals; a filter's totals are made again with its rows.
    for (TTableKind kind : LedgerKinds()) {
        TDataGrid& g = state.Grid(kind);
        TGrid pg{int(kind), g.total, g.todayTotal, {}, {}, {g.perPurse.Version(), g.perPurseToday.Version()}};
        const size_t i = p.grids.size();
        const bool same = earlier && i < earlier->grids.size() && earlier->grids[i].kind == pg.kind &&
                          earlier->grids[i].versions[0] == pg.versions[0] &&
                          earlier->grids[i].versions[1] == pg.versions[1];
        pg.perPurse = same ? earlier->grids[i].perPurse : g.perPurse.ToBytes();
        pg.perPurseToday = same ? earlier->grids[i].perPurseToday : g.perPurseToday.ToBytes();
        p.grids.push_back(std::move(pg));
    }
    p.totalMoney = state.totalMoney;
    const TDebtTotals& d = state.debtTotals;
    p.debtVersions = {d.lentPerPurse.Version(), d.lentPerPurseToday.Version(), d.returnsToMe.Version(),
                      d.myReturns.Version()};
    p.debtTables = earlier && earlier->debtVersions == p.debtVersions
                       ? earlier->debtTables
                       : Tables({&d.lentPerPurse, &d.lentPerPurseToday, &d.returnsToMe, &d.myReturns});
    p.debtSums = {d.lentTotal, d.lentTodayTotal, d.returnsToMeTotal, d.myReturnsTotal};
    return p;
}

void TTotalsPicture::PutInto(TMyType& state) const {
    for (const TGrid& pg : grids) {
        TDataGrid& g = state.Grid(TTableKind(pg.kind));
        g.total = pg.total;
        g.todayTotal = pg.todayTotal;
        g.perPurse.LoadFromBytes(pg.perPurse);
        g.perPurseToday.LoadFromBytes(pg.perPurseToday);
    }
    state.totalMoney = totalMoney;
    TDebtTotals& d = state.debtTotals;
    PutTables(debtTables, {&d.lentPerPurse, &d.lentPerPurseToday, &d.returnsToMe, &d.myReturns});
    d.lentTotal = debtSums[0];
    d.lentTodayTotal = debtSums[1];
    d.returnsToMeTotal = debtSums[2];
    d.myReturnsTotal = debtSums[3];
}

void TTotalsPicture::KeepChangedFrom(const TTotalsPicture& other) {
    std::vector<TGrid> changed;
    for (size_t i = 0; i < grids.size(); ++i)
        if (i >= other.grids.size() || !(grids[i] == other.grids[i])) changed.push_back(std::move(grids[i]));
    grids = std::move(changed);
}

qsizetype TTotalsPicture::Size() const {
    qsizetype size = sizeof(*this) + debtTables.capacity();
    for (const TGrid& g : grids)
        size += sizeof(g) + g.perPurse.capacity() + g.perPurseToday.capacity();
    return size;
}

TChange::TChange(TSession& session, const QString& text) : QUndoCommand(text), m_session(session) {}

void TChange::KeepBefore(const TTotalsPicture& last) {
    TMyType& state = m_session.state;
    m_debtBefore = state.currentDebt;
    m_totalsBefore = TTotalsPicture::Of(state, &last);
}

void TChange::KeepAfter(TTotalsPicture& last) {
    TMyType& state = m_session.state;
    m_debtAfter = state.currentDebt;
    m_totalsAfter = TTotalsPicture::Of(state, &m_totalsBefore);
    last = m_totalsAfter;
    // Only the totals the change moved are kept, both ways.
    TTotalsPicture before = m_totalsBefore;
    m_totalsBefore.KeepChangedFrom(m_totalsAfter);
    m_totalsAfter.KeepChangedFrom(before);
}

bool TChange::Empty() const {
    return m_delta.Empty() && m_debtBefore == m_debtAfter && m_totalsBefore.grids.empty() &&
           m_totalsAfter.grids.empty() && m_totalsBefore.totalMoney == m_totalsAfter.totalMoney;
}

qsizetype TChange::Size() const {
    return qsizetype(sizeof(*this)) + m_delta.Size() + m_totalsBefore.Size() + m_totalsAfter.Size();
}

void TChange::undo() {
    m_delta.Undo();
    m_session.state.currentDebt = m_debtBefore;
    Replayed(m_totalsBefore);
}

void TChange::redo() {
    if (m_made) {
        m_made = false;
        return;
    }
    m_delta.Redo();
    m_session.state.currentDebt = m_debtAfter;
    Replayed(m_totalsAfter);
}

void TChange::Replayed(const TTotalsPicture& totals) {
    totals.PutInto(m_session.state);
    m_session.BooksReplayed();
}
