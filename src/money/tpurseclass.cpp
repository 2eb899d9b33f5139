#include "money/tpurseclass.h"

#include "ledger/basechanges.h"
#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "money/imoneyview.h"
#include "money/moneycells.h"
#include "money/pursetable.h"
#include "money/tcalculationresults.h"
#include "storage/tmessageboxclass.h"

#include <algorithm>
#include <array>
#include <functional>

namespace {

const QString kZeroTransferRate = QStringLiteral("Курс кошелька не может быть нулевым");
const QString kNoRecount = QStringLiteral("Пересчет в кошельках по данной операции");
const QString kNotDone = QStringLiteral("не будет произведен.");

QString PurseGoneLine(const QString& name) {
    return QStringLiteral("Кошелек \"") + name + QStringLiteral("\" был удален. ");
}

} // namespace

TPurseClass::TPurseClass(TMyType& state, TCalculationResults& calc) : m_state(state), m_calc(calc) {}

QStringList TPurseClass::PurseList() const {
    return PurseNames(m_state.Table(TTableKind::Purse));
}

long double TPurseClass::TotalMoney() {
    return m_calc.TotalMoney();
}

QString TPurseClass::TotalMoneyLabel() const {
    return QStringLiteral("Общая сумма в кошельке : ") + DisplayRound(m_state.totalMoney) +
           QStringLiteral(" (") + m_state.basePurse + QStringLiteral(")");
}

void TPurseClass::PursesChanged() {
    m_calc.TotalMoney();
    m_state.Grid(TTableKind::Purse).NotifyCells();
}

TPurseEdit TPurseClass::CommitPurseCell(int row, int column, const QString& typed) {
    TMemTable& purse = m_state.Table(TTableKind::Purse);
    TTableRow* r = purse.Row(row);
    if (!r || column < col::purse::Name || column > col::purse::Amount) return {};
    if (RefusesBaseRate(row, column, typed)) return {};
    if (!IsNotBlank(typed)) return {};

    if (column == col::purse::Name) {
        const QString name = TrimmedName(typed);
        for (int i = 0; i < purse.RowCount(); ++i) {
            if (i != row && SameNameIgnoringCase(purse.Row(i)->Cell(col::purse::Name), name)) {
                Messages().ShowError(
                    {QStringLiteral("Кошелек \"") + name + QStringLiteral("\" уже существует")});
                return {false, i};
            }
        }
        const QString old = r->Cell(col::purse::Name);
        SetCellWidened(*r, col::purse::Name, name);
        if (!IsNotBlank(old))
            CreatePurse(row);
        else if (old != name)
            RenamePurse(old, name);
        m_state.Grid(TTableKind::Purse).NotifyCells();
        return {true, -1};
    }

    const QString value = NormalizeSum(typed);
    if (column == col::purse::Rate) {
        if (NumberValue(value) == 0) {
            Messages().ShowError({QStringLiteral("Курс кошелька не может быть равен нулю")});
            return {};
        }
        const long double r0 = NumberValue(r->Cell(col::purse::Rate));
        SetCellWidened(*r, col::purse::Rate, value);
        const QString name = r->Cell(col::purse::Name);
        if (IsNotBlank(name)) m_calc.CorrectForRate(name, r0, NumberValue(value));
    } else {
        SetCellWidened(*r, col::purse::Amount, value);
    }
    PursesChanged();
    return {true, -1};
}

bool TPurseClass::RefusesBaseRate(int row, int column, const QString& typed) {
    const TTableRow* r = m_state.Table(TTableKind::Purse).Row(row);
    if (!r || column != col::purse::Rate || r->Cell(col::purse::BaseFlag) != QLatin1String("1") ||
        NormalizeSum(typed) == QLatin1String("1"))
        return false;
    Messages().ShowError({QStringLiteral("Курс базового кошелька всегда равен 1")});
    return true;
}

void TPurseClass::CreatePurse(int row) {
    TTableRow* r = m_state.Table(TTableKind::Purse).Row(row);
    if (!r) return;
    const QString name = r->Cell(col::purse::Name);
    if (!ParseNumber(r->Cell(col::purse::Rate)).ok) SetCellWidened(*r, col::purse::Rate, QStringLiteral("1"));
    if (!ParseNumber(r->Cell(col::purse::Amount)).ok)
        SetCellWidened(*r, col::purse::Amount, QStringLiteral("0"));
    if (r->Cell(col::purse::BaseFlag) != QLatin1String("1"))
        SetCellWidened(*r, col::purse::BaseFlag, QStringLiteral("0"));
    m_calc.AlignPerPurseTables();
    if (view) view->PurseListChanged();
    m_calc.AskPurseRecalculation(name);
    PursesChanged();
}

void TPurseClass::RenamePurse(const QString& from, const QString& to) {
    if (from == to || from.isEmpty()) return;
    // Records that already named the new name (a purse deleted earlier) count from now on: their
    // tables are recomputed, which a plain rename of the per-purse rows would miss.
    bool stale[kTableKindCount] = {};
    for (TTableKind kind : LedgerKinds()) {
        TMemTable& table = m_state.Table(kind);
        const int column = TableDef(kind).PurseColumn();
        for (int i = 0; i < table.RowCount(); ++i) {
            TTableRow* row = table.Row(i);
            const QString p = row->Cell(column);
            if (p == from)
                row->SetCell(column, to);
            else if (p == to)
                stale[int(kind)] = true;
        }
    }
    for (auto& returns : m_state.returns) {
        if (!returns) continue;
        for (int i = 0; i < returns->RowCount(); ++i) {
            TTableRow* row = returns->Row(i);
            const QString p = row->Cell(col::returns::Purse);
            if (p == from)
                row->SetCell(col::returns::Purse, to);
            else if (p == to)
                stale[int(TTableKind::Dolg)] = true;
        }
    }
    TMemTable& transfer = m_state.Table(TTableKind::Transfer);
    for (int i = 0; i < transfer.RowCount(); ++i) {
        TTableRow* row = transfer.Row(i);
        for (int c : {col::transfer::FromPurse, col::transfer::ToPurse})
            if (row->Cell(c) == from) row->SetCell(c, to);
    }
    for (TTableKind kind : LedgerKinds()) {
        TDataGrid& g = m_state.Grid(kind);
        for (TMemTable* t : {&g.perPurse, &g.perPurseToday, &g.filteredPerPurse, &g.filteredBorrowedPerPurse})
            RenamePerPurse(*t, from, to);
    }
    TDebtTotals& d = m_state.debtTotals;
    for (TMemTable* t : {&d.lentPerPurse, &d.lentPerPurseToday, &d.returnsToMe, &d.myReturns})
        RenamePerPurse(*t, from, to);
    if (m_state.basePurse == from) m_state.basePurse = to;
    for (TTableKind kind : LedgerKinds())
        if (stale[int(kind)]) m_calc.RecomputeTable(kind);
    for (TTableKind kind : LedgerKinds())
        m_state.Grid(kind).NotifyCells();
    m_state.Grid(TTableKind::Returns).NotifyCells();
    m_state.Grid(TTableKind::Transfer).NotifyCells();
    if (view) {
        view->PurseListChanged();
        view->ReturnsShown();
    }
    m_calc.ShowTotals();
    PursesChanged();
}

bool TPurseClass::ChangeBasePurse(const QString& name) {
    TMemTable& purse = m_state.Table(TTableKind::Purse);
    const int index = FindPurse(purse, name);
    if (index < 0 || RefuseChange(m_state)) return false;
    TTableRow* chosen = purse.Row(index);
    if (!ParseNumber(chosen->Cell(col::purse::Rate)).ok)
        SetCellWidened(*chosen, col::purse::Rate, QStringLiteral("1"));
    if (!ParseNumber(chosen->Cell(col::purse::Amount)).ok)
        SetCellWidened(*chosen, col::purse::Amount, QStringLiteral("0"));
    if (m_state.basePurse == name && chosen->Cell(col::purse::BaseFlag) == QLatin1String("1")) return true;
    const long double k = NumberValue(chosen->Cell(col::purse::Rate));
    if (k == 0) {
        Messages().ShowError({QStringLiteral("Курс кошелька не может быть равен нулю")});
        return false;
    }
    for (int i = 0; i < purse.RowCount(); ++i) {
        TTableRow* row = purse.Row(i);
        SetCellWidened(*row, col::purse::BaseFlag, i == index ? QStringLiteral("1") : QStringLiteral("0"));
        if (!row->Cell(col::purse::Name).isEmpty())
            SetCellWidened(*row, col::purse::Rate,
                           i == index ? QStringLiteral("1")
                                      : FloatToText(NumberValue(row->Cell(col::purse::Rate)) / k));
    }
    m_state.basePurse = name;
    m_calc.DivideTotals(k);
    PursesChanged();
    if (view) view->PurseListChanged();
    return true;
}

namespace {

// The tables whose records may name a purse about to be deleted, in the order the questions come.
enum TPurseLink {
    LinkRashod,
    LinkDohod,
    LinkDolg,
    LinkPlanDohod,
    LinkPlanRashod,
    LinkTransfer,
    LinkReturns,
    LinkCount
};
using TPurseLinks = std::array<bool, LinkCount>;

bool LedgerNamesPurse(TMyType& state, TTableKind kind, const QString& name) {
    const TMemTable& table = state.Table(kind);
    const int column = TableDef(kind).PurseColumn();
    for (int i = 0; i < table.RowCount(); ++i)
        if (table.Row(i)->Cell(column) == name) return true;
    return false;
}

bool TransfersNamePurse(TMyType& state, const QString& name) {
    const TMemTable& table = state.Table(TTableKind::Transfer);
    for (int i = 0; i < table.RowCount(); ++i) {
        const TTableRow* t = table.Row(i);
        if (t->Cell(col::transfer::FromPurse) == name || t->Cell(col::transfer::ToPurse) == name) return true;
    }
    return false;
}

bool ReturnsNamePurse(TMyType& state, const QString& name) {
    for (const auto& returns : state.returns) {
        if (!returns) continue;
        for (int i = 0; i < returns->RowCount(); ++i)
            if (returns->Row(i)->Cell(col::returns::Purse) == name) return true;
    }
    return false;
}

// The kinds of records that name the purse, each with the line its question starts with.
TPurseLinks LinkedRecords(TMyType& state, const QString& name, QStringList* lines = nullptr) {
    const struct {
        TPurseLink link;
        const char* line;
        std::function<bool()> names;
    } checks[] = {
        {LinkRashod, "Существуют расходы, связанные с удаляемым кошельком.",
         [&] { return LedgerNamesPurse(state, TTableKind::Rashod, name); }},
        {LinkDohod, "Существуют доходы, связанные с удаляемым кошельком.",
         [&] { return LedgerNamesPurse(state, TTableKind::Dohod, name); }},
        {LinkDolg, "Существуют долги, связанные с удаляемым кошельком.",
         [&] { return LedgerNamesPurse(state, TTableKind::Dolg, name); }},
        {LinkPlanDohod, "Существуют планы по доходам, связанные с удаляемым кошельком.",
         [&] { return LedgerNamesPurse(state, TTableKind::PlanDohod, name); }},
        {LinkPlanRashod, "Существуют планы по расходам, связанные с удаляемым кошельком.",
         [&] { return LedgerNamesPurse(state, TTableKind::PlanRashod, name); }},
        {LinkTransfer, "Существует перенос денег, связанный с удаляемым кошельком.",
         [&] { return TransfersNamePurse(state, name); }},
        {LinkReturns, "Существует возврат долга, связанный с удаляемым кошельком.",
         [&] { return ReturnsNamePurse(state, name); }},
    };
    TPurseLinks linked{};
    for (const auto& c : checks) {
        if (!c.names()) continue;
        linked[c.link] = true;
        if (lines) *lines << QString::fromUtf8(c.line);
    }
    return linked;
}

const QString& PurseQuestion() {
    static const QString question = QStringLiteral("Вы действительно хотите удалить кошелек?");
    return question;
}

// "в таблице расходов, долгов." for the tables that kept records of the deleted purse.
QString LinkedTablesText(const TPurseLinks& linked) {
    QString where = QStringLiteral("в таблице");
    if (linked[LinkRashod]) where += QStringLiteral(" расходов, ");
    if (linked[LinkDohod]) where += QStringLiteral(" доходов, ");
    if (linked[LinkDolg] || linked[LinkReturns]) where += QStringLiteral(" долгов, ");
    if (linked[LinkPlanRashod] || linked[LinkPlanDohod]) where += QStringLiteral(" планов, ");
    if (linked[LinkTransfer]) where += QStringLiteral(" переноса денег, ");
    where.chop(2);
    where += u'.';
    return where;
}

} // namespace

std::vector<QStringList> TPurseClass::DeletionQuestions(int row) {
    const TTableRow* r = m_state.Table(TTableKind::Purse).Row(row);
    if (!r || !IsNotBlank(r->Cell(col::purse::Name)) || !MayChangeBase(m_state) ||
        r->Cell(col::purse::BaseFlag) == QLatin1String("1"))
        return {};
    std::vector<QStringList> questions{{PurseQuestion()}};
    QStringList lines;
    LinkedRecords(m_state, r->Cell(col::purse::Name), &lines);
    for (const QString& line : lines)
        questions.push_back({line, PurseQuestion()});
    return questions;
}

bool TPurseClass::DeletePurse(int row, bool askFirst) {
    TMemTable& purse = m_state.Table(TTableKind::Purse);
    TTableRow* r = purse.Row(row);
    if (!r || !IsNotBlank(r->Cell(col::purse::Name)) || RefuseChange(m_state)) return false;
    if (r->Cell(col::purse::BaseFlag) == QLatin1String("1")) {
        Messages().ShowError({QStringLiteral("Базовый кошелек удалять нельзя")});
        return false;
    }
    if (askFirst)
        for (const QStringList& question : DeletionQuestions(row))
            if (!Messages().AskYesNo(question, TMsgButton::Yes)) return false;
    const QString name = r->Cell(col::purse::Name);
    const TPurseLinks linked = LinkedRecords(m_state, name);

    purse.DeleteRow(row);
    m_state.Grid(TTableKind::Purse).ResetRowMap();
    m_calc.AlignPerPurseTables();
    for (TTableKind kind : LedgerKinds()) {
        TDataGrid& g = m_state.Grid(kind);
        DropPerPurse(g.filteredPerPurse, name);
        DropPerPurse(g.filteredBorrowedPerPurse, name);
    }
    m_calc.TotalMoney();
    m_state.Grid(TTableKind::Purse).NotifyRows();
    if (view) view->PurseListChanged();

    if (std::any_of(linked.begin(), linked.end(), [](bool b) { return b; })) {
        const struct {
            TTableKind kind;
            bool linked;
        } tables[] = {{TTableKind::Rashod, linked[LinkRashod]},
                      {TTableKind::Dohod, linked[LinkDohod]},
                      {TTableKind::Dolg, linked[LinkDolg] || linked[LinkReturns]},
                      {TTableKind::PlanRashod, linked[LinkPlanRashod]},
                      {TTableKind::PlanDohod, linked[LinkPlanDohod]}};
        for (const auto& t : tables) {
            if (!t.linked) continue;
            if (reapplyFilter && m_state.Grid(t.kind).filterActive) reapplyFilter(t.kind);
            m_calc.RecomputeTable(t.kind);
        }
        Messages().ShowInfo(
            {QStringLiteral("Кошелек удален."), QStringLiteral("Записи с удаленным кошельком остались"),
             LinkedTablesText(linked), QStringLiteral("Итоги посчитаны без учета этих записей.")});
    }
    m_calc.ShowTotals();
    return true;
}

bool TPurseClass::IsTransferComplete(int row) const {
    const TTableRow* r = m_state.Table(TTableKind::Transfer).Row(row);
    if (!r) return false;
    for (int c = col::transfer::FromPurse; c <= col::transfer::Amount; ++c)
        if (!IsNotBlank(r->Cell(c))) return false;
    return true;
}

void TPurseClass::ApplyTransfer(int row) {
    MoveTransfer(row, 1, TTransferReport::Short);
}

void TPurseClass::ReverseTransfer(int row, TTransferReport report) {
    MoveTransfer(row, -1, report);
}

void TPurseClass::MoveTransfer(int row, int sign, TTransferReport report) {
    if (!IsTransferComplete(row)) return;
    const TTableRow* r = m_state.Table(TTableKind::Transfer).Row(row);
    TMemTable& purse = m_state.Table(TTableKind::Purse);
    const long double s = NumberValue(r->Cell(col::transfer::Amount));
    const long double r1 = NumberValue(r->Cell(col::transfer::FromRate));
    const long double r2 = NumberValue(r->Cell(col::transfer::ToRate));
    const QString from = r->Cell(col::transfer::FromPurse);
    const QString to = r->Cell(col::transfer::ToPurse);
    const int source = FindPurse(purse, from);
    const int destination = FindPurse(purse, to);

    if (source < 0 || destination < 0) {
        const bool both = source < 0 && destination < 0;
        const QString missing = both ? QString() : PurseGoneLine(source < 0 ? from : to);
        const QString bothGone = QStringLiteral("Кошельки, указанные в данной операции удалены.");
        if (sign > 0) {
            Messages().ShowInfo({both ? bothGone : missing, kNoRecount + QStringLiteral(" ") + kNotDone});
        } else if (report == TTransferReport::Short) {
            Messages().ShowInfo({both ? bothGone : missing, kNoRecount, kNotDone});
        } else {
            Messages().ShowInfo({QStringLiteral("В таблице переноса денег есть перенос "),
                                 QStringLiteral("из кошелька \"") + from + QStringLiteral("\" в кошелек \"") +
                                     to + QStringLiteral("\""),
                                 QStringLiteral("на сумму ") + r->Cell(col::transfer::Amount),
                                 both ? QStringLiteral("Оба кошелька были удалены.") : missing, kNoRecount,
                                 kNotDone, QStringLiteral("Возможно будет необходимо исправить суммы "),
                                 QStringLiteral("в кошельках вручную.")});
        }
        return;
    }
    if (source == destination) return;
    if (r2 == 0) {
        Messages().ShowError({kZeroTransferRate});
        m_state.Grid(TTableKind::Purse).NotifyCells();
        return;
    }
    TTableRow* src = purse.Row(source);
    TTableRow* dst = purse.Row(destination);
    const long double moved = (s * r1) / r2;
    const long double dstAmount = NumberValue(dst->Cell(col::purse::Amount));
    const long double srcAmount = NumberValue(src->Cell(col::purse::Amount));
    SetCellWidened(*dst, col::purse::Amount, FloatToText(sign > 0 ? moved + dstAmount : dstAmount - moved));
    SetCellWidened(*src, col::purse::Amount, FloatToText(sign > 0 ? srcAmount - s : srcAmount + s));
    PursesChanged();
}

QString TPurseClass::TransferRateFor(const QString& name) const {
    const TMemTable& purse = m_state.Table(TTableKind::Purse);
    const int i = FindPurse(purse, name);
    return i < 0 ? QStringLiteral("1") : purse.Row(i)->Cell(col::purse::Rate);
}

bool TPurseClass::CommitTransferCell(int row, int column, const QString& typed) {
    TTableRow* r = m_state.Table(TTableKind::Transfer).Row(row);
    if (!r || column < col::transfer::Date || column > col::transfer::Note) return false;
    const bool rate = column == col::transfer::FromRate || column == col::transfer::ToRate;
    // Refused before the row's effect is taken back, so a refused value leaves the purses as they were.
    if (rate && typed == QLatin1String("0")) {
        Messages().ShowError({kZeroTransferRate});
        return false;
    }
    ReverseTransfer(row, TTransferReport::Short);
    const bool number = rate || column == col::transfer::Amount;
    SetCellWidened(*r, column, number ? NormalizeSum(typed) : typed);
    if (column == col::transfer::FromPurse || column == col::transfer::ToPurse)
        SetCellWidened(*r, column + 1, TransferRateFor(typed));
    ApplyTransfer(row);
    m_state.Grid(TTableKind::Transfer).NotifyCells();
    return true;
}

bool TPurseClass::DeleteTransferRow(int row, bool ask) {
    TMemTable& transfer = m_state.Table(TTableKind::Transfer);
    TTableRow* r = transfer.Row(row);
    if (!r) return false;
    if (ask &&
        !Messages().AskYesNo({QStringLiteral("Вы действительно хотите удалить строку?")}, TMsgButton::Yes))
        return false;
    // Also on the last row: a complete transfer there has moved money, which must come back.
    ReverseTransfer(row, TTransferReport::Short);
    TDataGrid& grid = m_state.Grid(TTableKind::Transfer);
    if (row == transfer.RowCount() - 1) {
        for (int c = col::transfer::FromPurse; c <= col::transfer::Note && c < r->CellCount(); ++c)
            r->SetCell(c, QString());
        grid.NotifyCells();
    } else {
        transfer.DeleteRow(row);
        RemoveRowsFromGrid(grid, {row});
        grid.NotifySelection();
    }
    return true;
}
