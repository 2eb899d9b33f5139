#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// What the program means by a blank text and by the same text in another case, in one place.

// A blank character is a space or a control character (codes below 33); a blank text holds nothing else.
inline bool IsBlankChar(QChar c) {
    return c.unicode() < 33;
}
bool IsBlank(QStringView text);
inline bool IsNotBlank(QStringView text) {
    return !IsBlank(text);
}
// The text without its leading and trailing blanks.
QStringView TrimBlanks(QStringView text);

// A name (of a user, a base, a purse, a kind) as it is stored: without the blanks typed around it, which
// would make " Мама " a second Мама.
inline QString TrimmedName(const QString& name) {
    return TrimBlanks(name).toString();
}
// Names are the same name when, blanks around them aside, they differ only in case, letter by letter
// (Unicode simple case folding): "Мама", " Мама " and "МАМА" are one user.
bool SameNameIgnoringCase(const QString& a, const QString& b);

// Text comparisons of the filters and the search, in the program's locale (the default QLocale,
// Russian). Both keep to the locale's own rules; the common case of Latin and Russian letters is
// answered without the collator, which gives the same answer there and costs far more.

// True when every character is a printable ASCII character or a letter of the Russian alphabet: for
// such text a letter's upper case is one character and the only differences the collator ignores are
// those of case.
inline bool IsPlainChar(char16_t c) {
    return (c >= 0x20 && c < 0x7F) || (c >= 0x410 && c <= 0x44F) || c == 0x401 || c == 0x451;
}
inline bool IsPlainText(QStringView text) {
    for (QChar c : text)
        if (!IsPlainChar(c.unicode())) return false;
    return true;
}
// The upper case of one character of plain text.
inline QChar PlainUpper(QChar c) {
    const char16_t u = c.unicode();
    if ((u >= u'a' && u <= u'z') || (u >= 0x430 && u <= 0x44F)) return QChar(char16_t(u - 0x20));
    return u == 0x451 ? QChar(char16_t(0x401)) : c;
}

// The locale upper-cases plain text letter by letter with PlainUpper (not so in Turkish, Azerbaijani
// and Lithuanian).
bool LocaleCasesPlainly();

// The text upper-cased by the locale's rules.
QString UpperText(const QString& text);

// A text compared with many cells, prepared once for the pass.
class TCaseBlindText {
public:
    explicit TCaseBlindText(const QString& text);

    const QString& Text() const { return m_text; }
    const QString& Upper() const { return m_upper; }
    // The cell equals the text as a whole, compared by the locale's collation without regard to case.
    bool SameAs(const QString& cell) const;
    // Where the upper-cased text first occurs in the upper-cased cell.
    std::optional<qsizetype> FindIn(const QString& cell) const;

private:
    QString m_text;
    QString m_upper;
    bool m_fast; // the text is plain and the locale cases plain text the common way
};

// A filter's or search's text equals a cell by the locale's collation without regard to case.
bool SameTextIgnoringCase(const QString& a, const QString& b);

// The collator's own answer (the fast path must agree with it).
bool CollatorSameIgnoringCase(const QString& a, const QString& b);
