#pragma once

#include <QString>
#include <QStringView>

// Text comparisons of the filters and the search, in the program's locale (the default QLocale,
// Russian). Both keep to the locale's own rules; the common case of Latin and Russian letters is
// answered without the collator, which gives the same answer there and costs far more.

// The text upper-cased by the locale's rules.
QString UpperText(const QString& text);

// True when the two texts are equal as a whole, compared by the locale's collation without regard to
// letter case.
bool SameTextIgnoringCase(const QString& a, const QString& b);

// The collator's own answer for the same question (used by the fast path for any other text).
bool CollatorSameIgnoringCase(const QString& a, const QString& b);

// True when every character is a printable ASCII character or a letter of the Russian alphabet: for
// such text a letter's upper case is one character and the only differences the collator ignores are
// those of case.
bool IsPlainText(QStringView text);

// The upper case of one character of plain text.
QChar PlainUpper(QChar c);
