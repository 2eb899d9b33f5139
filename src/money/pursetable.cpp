#include "money/pursetable.h"

#include "ledger/tmytype.h"
#include "ledger/toperationswithnumbers.h"
#include "storage/tmemtable.h"

int FindPurse(const TMemTable& purse, const QString& name) {
    for (int i = 0; i < purse.RowCount(); ++i)
        if (purse.Row(i)->Cell(0) == name)
            return i;
    return -1;
}

long double PurseRate(const TMemTable& purse, const QString& name) {
    if (name.isEmpty())
        return 0;
    const int i = FindPurse(purse, name);
    return i < 0 ? 0 : NumberValue(purse.Row(i)->Cell(1));
}

long double PurseRate(TMyType& state, const QString& name) {
    return PurseRate(state.Table(TTableKind::Purse), name);
}

QStringList PurseNames(const TMemTable& purse) {
    QStringList names;
    for (int i = 0; i < purse.RowCount(); ++i) {
        const QString n = purse.Row(i)->Cell(0);
        if (IsNotBlank(n))
            names << n;
    }
    return names;
}
