#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The CSV export of one bank's online banking, told by the names of its columns. A layout is data: each
// field lists the names the bank gives the column (compared as HeaderName), the first one found is used.
struct TBankLayout {
    QString format;
    // Every one of these is in the header row of the bank's file, and together they are in no other bank's.
    QStringList signature;
    QStringList date;   // the day of the operation, never the day of its processing
    QStringList amount; // a signed sum in the account's currency...
    QStringList income; // ...or an income and an expense column
    QStringList expense;
    QStringList currency; // the account's currency
    QStringList description;
    QStringList category;
    QStringList mcc;
    QStringList status;
    QStringList card; // the account or card of the operation
    QStringList reference;
    // A sum written without a sign is an expense; incomes carry a plus.
    bool unsignedIsExpense = false;
    // This word in the reference column marks an operation the bank has not carried out yet.
    QString pendingReference;
    // The MCC is written into the description, as "MCC5411".
    bool mccInDescription = false;
    // The currency when the table has no column for it.
    QString defaultCurrency;
};

// The layouts known, tried in this order.
const QList<TBankLayout>& BankLayouts();

// A column name as compared: lower case, "ё" as "е", runs of blanks as one space, no quotes around.
QString HeaderName(QStringView cell);

// Whether a bank's status word means the operation was carried out.
bool CarriedOutStatus(QStringView word);
