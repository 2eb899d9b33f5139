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

void TTotalsPicture::Update(TMyType& state, std::vector<TGrid>* was, std::vector<TGrid>* now) {
    // The ledgers carry running totals; a filter's totals are made again with its rows.
    const std::vector<TTableKind>& ledgers = LedgerKinds();
    if (grids.size() != ledgers.size()) grids.assign(ledgers.size(), TGrid{});
    for (size_t i = 0; i < ledgers.size(); ++i) {
        const TDataGrid& g = state.Grid(ledgers[i]);
        TGrid& pg = grids[i];
        const quint64 versions[2] = {g.perPurse.Version(), g.perPurseToday.Version()};
        const bool tablesSame =
            pg.kind == int(ledgers[i]) && pg.versions[0] == versions[0] && pg.versions[1] == versions[1];
        if (tablesSame && pg.total == g.total && pg.todayTotal == g.todayTotal) continue;
        TGrid current{int(ledgers[i]),
                      g.total,
                      g.todayTotal,
                      tablesSame ? pg.perPurse : g.perPurse.ToBytes(),
                      tablesSame ? pg.perPurseToday : g.perPurseToday.ToBytes(),
                      {versions[0], versions[1]}};
        const bool kept = was && now && !(current == pg);
        if (kept) was->push_back(std::move(pg));
        pg = std::move(current);
        if (kept) now->push_back(pg);
    }
    totalMoney = state.totalMoney;
    const TDebtTotals& d = state.debtTotals;
    const std::array<quint64, 4> versions = {d.lentPerPurse.Version(), d.lentPerPurseToday.Version(),
                                             d.returnsToMe.Version(), d.myReturns.Version()};
    if (versions != debtVersions) {
        debtTables = Tables({&d.lentPerPurse, &d.lentPerPurseToday, &d.returnsToMe, &d.myReturns});
        debtVersions = versions;
    }
    debtSums = {d.lentTotal, d.lentTodayTotal, d.returnsToMeTotal, d.myReturnsTotal};
}

void TTotalsPicture::TakeBesideGrids(const TTotalsPicture& other) {
    totalMoney = other.totalMoney;
    debtTables = other.debtTables;
    debtSums = other.debtSums;
    debtVersions = other.debtVersions;
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

qsizetype TTotalsPicture::Size() const {
    qsizetype size = sizeof(*this) + debtTables.capacity();
    for (const TGrid& g : grids)
        size += sizeof(g) + g.perPurse.capacity() + g.perPurseToday.capacity();
    return size;
}

TViewPicture TViewPicture::Of(TMyType& state) {
    TViewPicture p;
    p.basePurse = state.basePurse;
    p.kindsSortColumn = state.vidRashodGrid.SortColumn;
    p.kindsSortAscending = state.vidRashodGrid.SortAscending;
    for (TTableKind kind : LedgerKinds()) {
        const TDataGrid& g = state.Grid(kind);
        p.filters.push_back({g.filterChoice, g.filterActive, g.criteria});
    }
    return p;
}

void TViewPicture::PutInto(TMyType& state) const {
    state.basePurse = basePurse;
    state.vidRashodGrid.SortColumn = kindsSortColumn;
    state.vidRashodGrid.SortAscending = kindsSortAscending;
    size_t i = 0;
    for (TTableKind kind : LedgerKinds()) {
        if (i >= filters.size()) break;
        TDataGrid& g = state.Grid(kind);
        const TFilter& f = filters[i++];
        g.filterChoice = f.choice;
        g.filterActive = f.active;
        g.criteria = f.criteria;
    }
}

bool TViewPicture::operator==(const TViewPicture& o) const {
    if (basePurse != o.basePurse || kindsSortColumn != o.kindsSortColumn ||
        kindsSortAscending != o.kindsSortAscending || filters.size() != o.filters.size())
        return false;
    for (size_t i = 0; i < filters.size(); ++i) {
        const TFilter &a = filters[i], &b = o.filters[i];
        if (a.choice != b.choice || a.active != b.active || a.criteria.from != b.criteria.from ||
            a.criteria.to != b.criteria.to || a.criteria.sumFrom != b.criteria.sumFrom ||
            a.criteria.sumTo != b.criteria.sumTo || a.criteria.kind != b.criteria.kind ||
            a.criteria.name != b.criteria.name || a.criteria.purse != b.criteria.purse ||
            a.criteria.user != b.criteria.user)
            return false;
    }
    return true;
}

TChange::TChange(TSession& session, const QString& text) : QUndoCommand(text), m_session(session) {}

void TChange::KeepBefore(TTotalsPicture& last) {
    TMyType& state = m_session.state;
    m_debtBefore = state.currentDebt;
    m_viewBefore = TViewPicture::Of(state);
    last.Update(state);
    m_totalsBefore.TakeBesideGrids(last);
}

void TChange::KeepAfter(TTotalsPicture& last) {
    TMyType& state = m_session.state;
    m_debtAfter = state.currentDebt;
    m_viewAfter = TViewPicture::Of(state);
    if (m_viewAfter == m_viewBefore) m_viewBefore = m_viewAfter = {}; // most changes move none of it
    // Only the grids whose totals the change moved are kept, both ways.
    last.Update(state, &m_totalsBefore.grids, &m_totalsAfter.grids);
    m_totalsAfter.TakeBesideGrids(last);
}

bool TChange::Empty() const {
    return m_delta.Empty() && m_debtBefore == m_debtAfter && m_viewBefore == m_viewAfter &&
           m_totalsBefore.grids.empty() && m_totalsAfter.grids.empty() &&
           m_totalsBefore.totalMoney == m_totalsAfter.totalMoney;
}

qsizetype TChange::Size() const {
    return qsizetype(sizeof(*this)) + m_delta.Size() + m_totalsBefore.Size() + m_totalsAfter.Size() +
           qsizetype((m_viewBefore.filters.capacity() + m_viewAfter.filters.capacity()) *
                     sizeof(TViewPicture::TFilter));
}

void TChange::undo() {
    m_delta.Undo();
    TMyType& state = m_session.state;
    state.currentDebt = m_debtBefore;
    if (!m_viewBefore.filters.empty()) m_viewBefore.PutInto(state);
    Replayed(m_totalsBefore);
}

void TChange::redo() {
    if (m_made) {
        m_made = false;
        return;
    }
    m_delta.Redo();
    TMyType& state = m_session.state;
    state.currentDebt = m_debtAfter;
    if (!m_viewAfter.filters.empty()) m_viewAfter.PutInto(state);
    Replayed(m_totalsAfter);
}

void TChange::Replayed(const TTotalsPicture& totals) {
    totals.PutInto(m_session.state);
    m_session.BooksReplayed();
}
