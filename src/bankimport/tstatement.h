#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// One operation of a bank statement as the bank wrote it, before it becomes a record of the books.
struct TStatementOperation {
    QDate date;          // the day of the operation, not of its processing
    qint64 kopecks = 0;  // signed, in the account's currency: an expense is below zero
    QString currency;    // the account's currency (ISO code), empty when the file does not say
    QString description; // payee and memo as one text
    QString reference;   // the bank's own identifier of the operation, when it gives one
    QString category;    // the bank's category (a QIF category), offered as the kind
    QString mcc;         // merchant category code
    QString state;       // empty for an operation carried out, else the bank's word for it
    QString account;     // the account or card the operation belongs to, when the file says
    int line = 0;        // the line of the file it starts on, counted from 1
};

// A line that looked like an operation but could not be read.
struct TUnrecognisedLine {
    int line = 0;
    QString reason;
    // «не распознана: строка N», as the preview names the row.
    QString State() const;
};

// Which columns of a table with no known layout hold what; -1 for none.
struct TColumnChoice {
    int date = -1;
    int amount = -1; // one signed sum...
    int income = -1; // ...or separate income and expense columns
    int expense = -1;
    int description = -1;
    int currency = -1;
    int reference = -1;
    int category = -1;
    // The index of the header row among the file's rows, -1 when the table has none.
    int headerRow = -1;

    bool Complete() const { return date >= 0 && (amount >= 0 || income >= 0 || expense >= 0); }
    friend bool operator==(const TColumnChoice&, const TColumnChoice&) = default;
};

// What reading a statement file gives.
struct TStatement {
    QString format; // in words: «Выписка Т-Банка (CSV)», «OFX», «QIF», «CSV: столбцы по выбору»
    QList<TStatementOperation> operations;
    QList<TUnrecognisedLine> unrecognised;
    // Why the file gives no operations at all; empty when it was read.
    QString error;

    // A table with no known layout: the columns chosen (guessed, or given by the caller), the first rows for
    // the user to choose from, and the key of its header under which a choice is remembered.
    TColumnChoice columns;
    QList<QStringList> firstRows;
    QString headerKey;

    bool Ok() const { return error.isEmpty(); }
    // The accounts and cards of the operations, in the order they first appear; one empty entry when the
    // file names none.
    QStringList Accounts() const;
};

namespace statementformat {
inline const QString kSberbank = QStringLiteral("Выписка Сбербанка (CSV)");
inline const QString kTBank = QStringLiteral("Выписка Т-Банка (CSV)");
inline const QString kAlfa = QStringLiteral("Выписка Альфа-Банка (CSV)");
inline const QString kVtb = QStringLiteral("Выписка ВТБ (CSV)");
inline const QString kOfx = QStringLiteral("OFX");
inline const QString kQif = QStringLiteral("QIF");
inline const QString kCustomCsv = QStringLiteral("CSV: столбцы по выбору");
} // namespace statementformat
