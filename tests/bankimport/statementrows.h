#pragma once

#include "bankimport/statementtext.h"
#include "bankimport/tstatement.h"

#include <QStringList>

// An operation as one line to compare: date | sum | currency | description | category | MCC | state |
// account | reference | line.
inline QString OperationRow(const TStatementOperation& op) {
    return QStringList{op.date.toString(QStringLiteral("dd.MM.yyyy")),
                       FormatKopecks(op.kopecks),
                       op.currency,
                       op.description,
                       op.category,
                       op.mcc,
                       op.state,
                       op.account,
                       op.reference,
                       QString::number(op.line)}
        .join(QStringLiteral(" | "));
}

inline QStringList OperationRows(const TStatement& st) {
    QStringList rows;
    for (const TStatementOperation& op : st.operations)
        rows << OperationRow(op);
    return rows;
}

inline QStringList UnrecognisedRows(const TStatement& st) {
    QStringList rows;
    for (const TUnrecognisedLine& u : st.unrecognised)
        rows << u.State() + QStringLiteral(" (") + u.reason + u')';
    return rows;
}
