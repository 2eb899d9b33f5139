#include "money/textcompare.h"

#include <QCollator>
#include <QLocale>

namespace {

// The collator of the current default locale, made again when the default locale changes.
QCollator& CaseBlindCollator() {
    static QLocale locale;
    static QCollator collator = [] {
        QCollator c(locale);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const QLocale now;
    if (now != locale) {
        locale = now;
        collator = QCollator(locale);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
    }
    return collator;
}

// Turkish, Azerbaijani and Lithuanian change the case of Latin letters their own way: there the fast
// path is not taken.
bool LocaleCasesPlainly() {
    const QLocale::Language language = QLocale().language();
    return language != QLocale::Turkish && language != QLocale::Azerbaijani && language != QLocale::Lithuanian;
}

bool IsPlainChar(char16_t c) {
    return (c >= 0x20 && c < 0x7F) || (c >= 0x410 && c <= 0x44F) || c == 0x401 || c == 0x451;
}

} // namespace

bool IsPlainText(QStringView text) {
    for (QChar c : text)
        if (!IsPlainChar(c.unicode()))
            return false;
    return true;
}

QChar PlainUpper(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'a' && u <= u'z')
        return QChar(char16_t(u - 0x20));
    if (u >= 0x430 && u <= 0x44F)
        return QChar(char16_t(u - 0x20));
    if (u == 0x451)
        return QChar(char16_t(0x401));
    return c;
}

QString UpperText(const QString& text) {
    if (IsPlainText(text) && LocaleCasesPlainly()) {
        QString out = text;
        for (QChar& c : out)
            c = PlainUpper(c);
        return out;
    }
    return QLocale().toUpper(text);
}

bool CollatorSameIgnoringCase(const QString& a, const QString& b) { return CaseBlindCollator().compare(a, b) == 0; }

bool SameTextIgnoringCase(const QString& a, const QString& b) {
    if (IsPlainText(a) && IsPlainText(b) && LocaleCasesPlainly()) {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i)
            if (PlainUpper(a[i]) != PlainUpper(b[i]))
                return false;
        return true;
    }
    return CollatorSameIgnoringCase(a, b);
}
