#pragma once

#include "storage/textrules.h"

#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

// The number texts of the program. Every sum, rate and total passes through these functions on its
// way into or out of a table, so their exact results are part of the stored data.
//
// Sums the user types are stored with a decimal comma and at most two decimals (NormalizeSum); amounts
// the program computes are stored as float text (FloatToText). Values read from cells are held in 80-bit
// extended precision (long double); cell formulas are evaluated in double.

// Result of reading a number text: the value, and whether the text was a number at all.
struct TNumberRead {
    long double value = 0;
    bool ok = false;
};

// Blanks (codes below 33) around the number are ignored; "." reads as the decimal comma; an optional
// sign and exponent are accepted. Anything else, an empty text or a value out of range gives 0 and false.
TNumberRead ParseNumber(QStringView text);
// Just the value: 0 for a text that is not a number.
long double NumberValue(QStringView text);

// A decimal integer with an optional sign, blanks around it ignored; 0 when empty, not a number or
// out of the 32-bit range.
int ParseInt(QStringView text);
QString IntToText(int value);

// f = x rounded to an integer, g = (x - f) * 10^n rounded to an integer (halves to even both times),
// result f + g / 10^n.
long double RoundTo(int n, long double x);

// General format with at most 15 significant digits: decimal comma, no digit grouping, no trailing
// zeros, and the exponent form (1E15, 1,5E-7) from 10^15 up and below 0,0001. A value that is not a
// finite number is written as "0": such a text would read back as 0 anyway.
QString FloatToText(long double x);
// The form of every total shown: rounded to two decimals by RoundTo, then written as float text.
QString DisplayRound(long double x);

// The value of a cell formula written with n decimals and a decimal comma (see the .cpp for the
// grammar and its quirks). Not-a-number and infinite results are written "NAN", "INF", "-INF".
QString EvaluateFormula(QStringView text, int n);
// The formula's value in double precision, before it is written.
double FormulaValue(QStringView text);

// The parenthesis rules a number cell's text must pass when it is pasted or typed.
bool CheckFormula(QStringView text);
// True when the parentheses never close more than were opened, counting from the left.
bool ParenthesesInOrder(QStringView text);

// Why a number cell refuses a typed text.
enum class TSumRefusal {
    None,
    NotANumber,     // the reader stops before the end: "abc", "12abc", "5+a"
    DivisionByZero, // "10/0", "7/0+3": no amount a family would mean
    TooBig,         // longer than 17 characters tidied, or not a finite number
};

// What a number cell makes of a typed text: the text it stores (the formula evaluated and tidied to at
// most two decimals) and, when the text is refused, why. A blank text is the sum 0.
struct TSumRead {
    QString text;
    TSumRefusal refusal = TSumRefusal::None;
};
TSumRead ReadSum(const QString& text);
// The message a refusal is told with.
QString SumRefusalMessage(TSumRefusal refusal);

// The stored text alone, for sums that are not typed into a cell. A number too big is told with
// "Вы ввели слишком большое число!" and gives "0"; the other refusals give what the reader computed.
QString NormalizeSum(const QString& text);
// The message NormalizeSum shows for an oversized number.
QString TooBigNumberMessage();

// The characters the number editor currently lets through.
class TNumberKeySet {
public:
    static TNumberKeySet StartSet();
    bool Contains(QChar c) const { return m_chars.contains(c); }
    void Insert(QChar c);
    void Remove(QChar c) { m_chars.remove(c); }
    const QString& Chars() const { return m_chars; }

private:
    QString m_chars;
};

// The Backspace key as the number editor sees it.
inline constexpr QChar kBackspaceKey = QChar(8);

// Decides one typed character of the number editor: the character to insert ("." becomes ","), or
// nothing when the key is refused, in which case it beeps. `allowed` is the editor's state, updated
// by accepted keys. Ctrl+C, Ctrl+V, Enter and Esc never come here.
std::optional<QChar> NumberKeyFilter(QChar key, const QString& text, int caret, TNumberKeySet& allowed);

// The number editor's key rules with their state: Reset() each time the editor opens.
class TOperationsWithNumbers {
public:
    void Reset() { m_allowed = TNumberKeySet::StartSet(); }
    std::optional<QChar> FilterKey(QChar key, const QString& text, int caret) {
        return NumberKeyFilter(key, text, caret, m_allowed);
    }
    const TNumberKeySet& Allowed() const { return m_allowed; }

private:
    TNumberKeySet m_allowed = TNumberKeySet::StartSet();
};
