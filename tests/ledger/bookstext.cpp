#include "bookstext.h"

#include "ledger/tmytype.h"

#include <QStringList>

QString BooksText(TMyType& state) {
    QStringList books;
    auto add = [&](const QString& tag, const TMemTable& t) {
        for (int i = 0; i < t.RowCount(); ++i)
            books << tag + QStringLiteral(": ") + t.Row(i)->Cells().join('|');
    };
    for (TTableKind kind : {TTableKind::Rashod, TTableKind::Dohod, TTableKind::PlanRashod,
                            TTableKind::PlanDohod, TTableKind::Transfer, TTableKind::Purse})
        add(TableDef(kind).fileName, state.Table(kind));
    add(QStringLiteral("user"), state.users);
    add(QStringLiteral("vidrashod"), state.vidRashod);
    add(QStringLiteral("viddohod"), state.vidDohod);
    const TMemTable& dolg = state.Table(TTableKind::Dolg);
    for (int i = 0; i < dolg.RowCount(); ++i) {
        books << QStringLiteral("dolg: ") + dolg.Row(i)->Cells().mid(0, col::dolg::DebtNumber).join('|');
        add(QStringLiteral("  return"), state.ReturnsTable(dolg.Row(i)->Cell(col::dolg::DebtNumber).toInt()));
    }
    return books.join('\n');
}
