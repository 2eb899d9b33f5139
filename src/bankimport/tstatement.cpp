#include "bankimport/tstatement.h"

QString TUnrecognisedLine::State() const {
    return QStringLiteral("не распознана: строка %1").arg(line);
}

QStringList TStatement::Accounts() const {
    QStringList accounts;
    for (const TStatementOperation& op : operations)
        if (!accounts.contains(op.account)) accounts << op.account;
    if (accounts.isEmpty()) accounts << QString();
    return accounts;
}
