#include "storage/textrules.h"

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

QString PlainUpperText(QString text) {
    for (QChar& c : text)
        c = PlainUpper(c);
    return text;
}

} // namespace

// Turkish, Azerbaijani and Lithuanian change the case of Latin letters their own way: there the fast
// path is not taken.
bool LocaleCasesPlainly() {
    const QLocale::Language language = QLocale().language();
    return language != QLocale::Turkish && language != QLocale::Azerbaijani &&
           language != QLocale::Lithuanian;
}

bool IsBlank(QStringView text) {
    for (QChar c : text)
        if (!IsBlankChar(c)) return false;
    return true;
}

QStringView TrimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlankChar(text[begin]))
        ++begin;
    while (end > begin && IsBlankChar(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool SameNameIgnoringCase(const QString& a, const QString& b) {
    return TrimBlanks(a).compare(TrimBlanks(b), Qt::CaseInsensitive) == 0;
}

QString UpperText(const QString& text) {
    if (IsPlainText(text) && LocaleCasesPlainly()) return PlainUpperText(text);
    return QLocale().toUpper(text);
}

bool CollatorSameIgnoringCase(const QString& a, const QString& b) {
    return CaseBlindCollator().compare(a, b) == 0;
}

TCaseBlindText::TCaseBlindText(const QString& text)
    : m_text(text), m_fast(IsPlainText(text) && LocaleCasesPlainly()) {
    m_upper = m_fast ? PlainUpperText(text) : QLocale().toUpper(text);
}

bool TCaseBlindText::SameAs(const QString& cell) const {
    if (m_fast && IsPlainText(cell)) {
        if (cell.size() != m_upper.size()) return false;
        for (qsizetype i = 0; i < cell.size(); ++i)
            if (PlainUpper(cell[i]) != m_upper[i]) return false;
        return true;
    }
    return CollatorSameIgnoringCase(cell, m_text);
}

std::optional<qsizetype> TCaseBlindText::FindIn(const QString& cell) const {
    if (m_fast && IsPlainText(cell)) {
        // Upper case keeps every plain character one character long: compare in place.
        const qsizetype n = cell.size(), m = m_upper.size();
        if (m == 0) return 0;
        const QChar first = m_upper[0];
        const QChar firstLower = first.toLower();
        for (qsizetype i = 0; i + m <= n; ++i) {
            if (cell[i] != first && cell[i] != firstLower) continue;
            qsizetype j = 1;
            while (j < m && PlainUpper(cell[i + j]) == m_upper[j])
                ++j;
            if (j == m) return i;
        }
        return std::nullopt;
    }
    const qsizetype at = UpperText(cell).indexOf(m_upper);
    return at < 0 ? std::nullopt : std::optional<qsizetype>(at);
}

bool SameTextIgnoringCase(const QString& a, const QString& b) {
    return TCaseBlindText(b).SameAs(a);
}
