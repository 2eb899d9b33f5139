#include "bankimport/statementtext.h"

#include <QStringDecoder>

namespace {

// Units a control character in text is allowed to be: tabs, line ends, form feed, and the end-of-file mark
// of old DOS programs.
bool AllowedControl(char16_t c) {
    return c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v' || c == 0x1a;
}

bool LooksBinary(const QString& text) {
    const qsizetype n = qMin<qsizetype>(text.size(), 64 * 1024);
    qsizetype controls = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == 0) return true;
        if ((c < 0x20 && !AllowedControl(c)) || c == 0xfffd) ++controls;
    }
    // A text file has a stray control character or two at most.
    return controls > 2 && controls * 200 > n;
}

bool GroupSpace(char16_t c) {
    return c == u' ' || c == 0x00a0 || c == 0x202f || c == 0x2009 || c == u'\'' || c == 0x2019;
}

bool Minus(char16_t c) {
    return c == u'-' || c == 0x2212 || c == 0x2013;
}

// A currency written beside a sum: a sign, an ISO code, or the rouble's short names.
bool CurrencyWord(QStringView word) {
    if (word.endsWith(u'.')) word.chop(1);
    if (word.size() == 3) {
        bool code = true;
        for (const QChar c : word)
            code = code && c >= u'A' && c <= u'Z';
        if (code) return true;
    }
    const QString lower = word.toString().toLower();
    return lower == u"руб" || lower == u"р" || lower == u"rub" || lower == u"rur" || lower == u"usd" ||
           lower == u"eur";
}

bool CurrencySign(QChar c) {
    return c.category() == QChar::Symbol_Currency;
}

QStringView StripCurrency(QStringView s) {
    s = s.trimmed();
    for (bool changed = true; changed && !s.isEmpty();) {
        changed = false;
        if (CurrencySign(s.front())) s = s.mid(1).trimmed(), changed = true;
        if (!s.isEmpty() && CurrencySign(s.back())) s = s.chopped(1).trimmed(), changed = true;
        qsizetype lead = 0;
        while (lead < s.size() && s[lead].isLetter())
            ++lead;
        if (lead < s.size() && s[lead] == u'.') ++lead;
        if (lead > 0 && CurrencyWord(s.left(lead))) s = s.mid(lead).trimmed(), changed = true;
        qsizetype tail = s.size();
        if (tail > 0 && s[tail - 1] == u'.') --tail;
        while (tail > 0 && s[tail - 1].isLetter())
            --tail;
        if (tail < s.size() && tail > 0 && CurrencyWord(s.mid(tail)))
            s = s.left(tail).trimmed(), changed = true;
    }
    return s;
}

constexpr int kMaxIntegerDigits = 13; // a hundred billion roubles and more is no family's sum

QString Quoted(QStringView text) {
    return QStringLiteral("«%1»").arg(text.trimmed());
}

} // namespace

TDecodedText DecodeStatementBytes(const QByteArray& bytes) {
    TDecodedText out;
    if (bytes.trimmed().isEmpty()) {
        out.error = QStringLiteral("файл пуст");
        return out;
    }
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        const bool little = bytes.startsWith("\xff\xfe");
        QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        out.text = decoder(bytes.mid(2));
    } else {
        const QByteArray body = bytes.startsWith("\xef\xbb\xbf") ? bytes.mid(3) : bytes;
        if (body.left(64 * 1024).contains('\0')) {
            out.error = QStringLiteral("это не текст, а двоичные данные");
            return out;
        }
        QStringDecoder utf8(QStringDecoder::Utf8);
        out.text = utf8(body);
        if (utf8.hasError()) out.text = DecodeWithCodePage(body, "Windows-1251");
    }
    if (LooksBinary(out.text)) {
        out.text.clear();
        out.error = QStringLiteral("это не текст, а двоичные данные");
    } else if (out.text.trimmed().isEmpty()) {
        out.text.clear();
        out.error = QStringLiteral("файл пуст");
    }
    return out;
}

QString DecodeWithCodePage(const QByteArray& bytes, const QByteArray& codePage) {
    QStringDecoder decoder(codePage.constData());
    if (!decoder.isValid()) decoder = QStringDecoder("Windows-1251");
    return decoder(bytes);
}

std::optional<qint64> ParseKopecks(QStringView text, QString* why) {
    const auto fail = [&](const QString& reason) -> std::optional<qint64> {
        if (why) *why = reason;
        return std::nullopt;
    };
    QStringView s = StripCurrency(text);
    bool negative = false;
    if (s.size() >= 2 && s.front() == u'(' && s.back() == u')') {
        negative = true;
        s = StripCurrency(s.mid(1, s.size() - 2));
    }
    if (!s.isEmpty() && (Minus(s.front().unicode()) || s.front() == u'+')) {
        negative = negative || s.front() != u'+';
        s = StripCurrency(s.mid(1));
    } else if (!s.isEmpty() && Minus(s.back().unicode())) {
        negative = true;
        s = StripCurrency(s.chopped(1));
    }
    QString digits;
    digits.reserve(s.size());
    int points = 0, commas = 0;
    for (const QChar c : s) {
        if (c.isDigit() && c.unicode() < 0x80) {
            digits += c;
        } else if (c == u'.' || c == u',') {
            (c == u'.' ? points : commas) += 1;
            digits += c;
        } else if (!GroupSpace(c.unicode())) {
            return fail(QStringLiteral("не сумма: %1").arg(Quoted(text)));
        }
    }
    if (digits.isEmpty() || digits == u"." || digits == u",")
        return fail(QStringLiteral("не сумма: %1").arg(Quoted(text)));
    // Which mark, if any, is the decimal one.
    QChar decimal;
    if (points && commas) {
        decimal = digits.lastIndexOf(u'.') > digits.lastIndexOf(u',') ? u'.' : u',';
        if ((decimal == u'.' ? points : commas) > 1)
            return fail(QStringLiteral("не сумма: %1").arg(Quoted(text)));
    } else if (points + commas == 1) {
        const QChar mark = points ? u'.' : u',';
        const qsizetype at = digits.indexOf(mark);
        const qsizetype after = digits.size() - at - 1;
        // "1,234" is a thousand and more; "0,125" or "12345,678" are not.
        const bool thousands = after == 3 && at >= 1 && at <= 3 && digits[0] != u'0';
        if (!thousands) decimal = mark;
    }
    // Marks that are not the decimal one part thousands: groups of three digits after the first.
    const qsizetype integerEnd = decimal.isNull() ? digits.size() : digits.lastIndexOf(decimal);
    qsizetype group = 0, groups = 0;
    for (qsizetype k = 0; k <= integerEnd; ++k) {
        if (k < integerEnd && digits[k].isDigit()) {
            ++group;
            continue;
        }
        const bool mark = k < integerEnd;
        if (groups == 0 ? mark && (group < 1 || group > 3) : group != 3)
            return fail(QStringLiteral("не сумма: %1").arg(Quoted(text)));
        ++groups;
        group = 0;
    }
    QString whole, fraction;
    bool inFraction = false;
    for (const QChar c : std::as_const(digits)) {
        if (c == decimal)
            inFraction = true;
        else if (c.isDigit())
            (inFraction ? fraction : whole) += c;
    }
    while (fraction.size() > 2 && fraction.endsWith(u'0'))
        fraction.chop(1);
    if (fraction.size() > 2)
        return fail(QStringLiteral("больше двух знаков после запятой: %1").arg(Quoted(text)));
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    if (whole.size() > kMaxIntegerDigits)
        return fail(QStringLiteral("слишком большая сумма: %1").arg(Quoted(text)));
    fraction = fraction.leftJustified(2, u'0');
    const qint64 value = (whole.isEmpty() ? 0 : whole.toLongLong()) * 100 + fraction.toLongLong();
    return negative ? -value : value;
}

std::optional<qint64> ParseScaled(QStringView text, int scale) {
    const QStringView s = text.trimmed();
    qint64 value = 0;
    int decimals = -1;
    bool any = false;
    for (const QChar c : s) {
        if (c == u'.' || c == u',') {
            if (decimals >= 0) return std::nullopt;
            decimals = 0;
        } else if (c.isDigit() && c.unicode() < 0x80) {
            if (decimals >= scale) continue; // digits beyond the scale are dropped
            if (value > (Q_INT64_C(1) << 52)) return std::nullopt;
            value = value * 10 + c.digitValue();
            if (decimals >= 0) ++decimals;
            any = true;
        } else {
            return std::nullopt;
        }
    }
    if (!any) return std::nullopt;
    for (int d = qMax(decimals, 0); d < scale; ++d)
        value *= 10;
    return value;
}

int FullYear(int year, int digits) {
    return digits <= 2 ? 2000 + year : year;
}

QDate CheckedDate(int year, int month, int day, QStringView text, QString* why) {
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1900 || year > 2199) {
        if (why) *why = QStringLiteral("нет такой даты: %1").arg(Quoted(text));
        return {};
    }
    return date;
}

QDate ParseStatementDate(QStringView text, QString* why) {
    const QStringView s = text.trimmed();
    const auto notDate = [&]() {
        if (why) *why = QStringLiteral("не дата: %1").arg(Quoted(text));
        return QDate();
    };
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    QChar separator;
    qsizetype i = 0;
    for (int part = 0; part < 3; ++part) {
        while (i < s.size() && s[i].isDigit() && s[i].unicode() < 0x80 && digits[part] < 5) {
            parts[part] = parts[part] * 10 + s[i].digitValue();
            ++digits[part];
            ++i;
        }
        if (digits[part] == 0) return notDate();
        if (part < 2) {
            if (i >= s.size()) return notDate();
            if (part == 0)
                separator = s[i];
            else if (s[i] != separator)
                return notDate();
            if (separator != u'.' && separator != u'-' && separator != u'/') return notDate();
            ++i;
        }
    }
    // What follows is a time: "14:32", "14:32:05", "T14:32:05.000+03:00".
    if (i < s.size()) {
        if (s[i] != u' ' && s[i] != u'T') return notDate();
        for (qsizetype k = i + 1; k < s.size(); ++k) {
            const QChar c = s[k];
            if (!(c.isDigit() || c == u':' || c == u'.' || c == u'+' || c == u'-' || c == u'Z' || c == u' '))
                return notDate();
        }
    }
    if (separator == u'-' && digits[0] == 4 && digits[1] <= 2 && digits[2] <= 2)
        return CheckedDate(parts[0], parts[1], parts[2], text, why);
    if (separator != u'-' && digits[0] <= 2 && digits[1] <= 2 && (digits[2] == 2 || digits[2] == 4))
        return CheckedDate(FullYear(parts[2], digits[2]), parts[1], parts[0], text, why);
    return notDate();
}

QString FormatKopecks(qint64 kopecks) {
    const quint64 magnitude = kopecks < 0 ? quint64(-(kopecks + 1)) + 1 : quint64(kopecks);
    return QStringLiteral("%1%2.%3")
        .arg(kopecks < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString NormalCurrency(QStringView text) {
    const QString s = text.trimmed().toString().toUpper();
    if (s.isEmpty()) return {};
    if (s == u"RUR" || s == u"РУБ" || s == u"РУБ." || s == u"РУБЛЬ" || s == u"РУБЛИ" || s == u"₽" ||
        s == u"Р" || s == u"Р.")
        return QStringLiteral("RUB");
    if (s == u"$" || s == u"ДОЛЛ." || s == u"ДОЛЛАР") return QStringLiteral("USD");
    if (s == u"€" || s == u"ЕВРО") return QStringLiteral("EUR");
    return s;
}
