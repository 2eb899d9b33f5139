#include "money/pursetable.h"

#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "money/moneycells.h"
#include "storage/tmemtable.h"

int FindPurse(const TMemTable& purse, const QString& name) {
    if (!IsNotBlank(name)) return -1;
    for (int i = 0; i < purse.RowCount(); ++i)
        if (purse.Row(i)->Cell(col::purse::Name) == name) return i;
    return -1;
}

long double PurseRate(const TMemTable& purse, const QString& name) {
    const int i = FindPurse(purse, name);
    return i < 0 ? 0 : NumberValue(purse.Row(i)->Cell(col::purse::Rate));
}

long double PurseRate(TMyType& state, const QString& name) {
    return PurseRate(state.Table(TTableKind::Purse), name);
}

QStringList PurseNames(const TMemTable& purse) {
    QStringList names;
    for (int i = 0; i < purse.RowCount(); ++i) {
        const QString n = purse.Row(i)->Cell(col::purse::Name);
        if (IsNotBlank(n)) names << n;
    }
    return names;
}

bool AddToPurse(TMemTable& purse, const QString& name, long double delta) {
    const int i = FindPurse(purse, name);
    if (i < 0) return false;
    TTableRow* row = purse.Row(i);
    SetCellWidened(*row, col::purse::Amount, FloatToText(NumberValue(row->Cell(col::purse::Amount)) + delta));
    return true;
}

long double PurseAmount(const TMemTable& purse, const QString& name) {
    const int i = FindPurse(purse, name);
    return i < 0 ? 0 : NumberValue(purse.Row(i)->Cell(col::purse::Amount));
}

bool SetPurseAmount(TMemTable& purse, const QString& name, long double value) {
    const int i = FindPurse(purse, name);
    if (i < 0) return false;
    SetCellWidened(*purse.Row(i), col::purse::Amount, FloatToText(value));
    return true;
}
