#include "session/changenames.h"

#include "ledger/tdatagrid.h"

QString changename::Typing(const TDataGrid& grid, int col) {
    switch (grid.Column(col)) {
    case TColumnKind::Number:
        return QStringLiteral("ввод суммы");
    case TColumnKind::Date:
        return QStringLiteral("ввод даты");
    case TColumnKind::Text:
        return QStringLiteral("ввод текста");
    case TColumnKind::Kind:
        return KindChosen();
    default:
        return QStringLiteral("выбор из списка");
    }
}
