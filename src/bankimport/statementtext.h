#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

// The pieces of text every statement format shares: the file's bytes as text, sums and dates.

// The text of a statement file: UTF-8 with or without a byte order mark, UTF-16 with one, else
// Windows-1251 (the bytes are not UTF-8). An empty or binary file gives a Russian reason instead.
struct TDecodedText {
    QString text;
    QString error;
};
TDecodedText DecodeStatementBytes(const QByteArray& bytes);
// The bytes in a code page a file names itself ("Windows-1252", "UTF-8"...); Windows-1251 for a name Qt
// does not know.
QString DecodeWithCodePage(const QByteArray& bytes, const QByteArray& codePage);

// A sum in kopecks: decimal comma or point, thousands by spaces, non-breaking spaces or apostrophes, a sign
// as a leading or trailing minus, a plus, or parentheses; a currency sign or code around it is allowed.
// Nothing, with the reason in *why, for a text that is no sum or too big a one.
std::optional<qint64> ParseKopecks(QStringView text, QString* why = nullptr);
// A rate or another decimal number as an integer times 10^scale (scale ≤ 9).
std::optional<qint64> ParseScaled(QStringView text, int scale);

// dd.MM.yyyy, dd.MM.yy, yyyy-MM-dd, with or without a time after a space or a "T". An invalid date, with
// the reason in *why, for text that is no date or a day the calendar does not have.
QDate ParseStatementDate(QStringView text, QString* why = nullptr);
// A two-digit year is of this century.
int FullYear(int year, int digits);
// Whether a date the parser read is one the calendar has; sets *why when it is not.
QDate CheckedDate(int year, int month, int day, QStringView text, QString* why);

// -1234.56: a point and two decimals, a minus only for an expense.
QString FormatKopecks(qint64 kopecks);
// An ISO code for the currency names banks write: "RUR", "руб.", "₽" → "RUB"; "$" → "USD"...
QString NormalCurrency(QStringView text);
