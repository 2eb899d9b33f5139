#include "bankimport/statementtext.h"

#include <QStringDecoder>

#include <string_view>

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

// Windows-1251 from 0x80 up to the Cyrillic alphabet, which then runs from U+0410 in order; 0x98 is not used.
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201a, 0x0453, 0x201e, 0x2026, 0x2020, 0x2021, 0x20ac, 0x2030, 0x0409, 0x2039, 0x040a,
    0x040c, 0x040b, 0x040f, 0x0452, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022, 0x2013, 0x2014, 0xfffd, 0x2122,
    0x0459, 0x203a, 0x045a, 0x045c, 0x045b, 0x045f, 0x00a0, 0x040e, 0x045e, 0x0408, 0x00a4, 0x0490, 0x00a6,
    0x00a7, 0x0401, 0x00a9, 0x0404, 0x00ab, 0x00ac, 0x00ad, 0x00ae, 0x0407, 0x00b0, 0x00b1, 0x0406, 0x0456,
    0x0491, 0x00b5, 0x00b6, 0x00b7, 0x0451, 0x2116, 0x0454, 0x00bb, 0x0458, 0x0405, 0x0455, 0x0457};

// A table of its own rather than ICU's converter: a statement of a hundred thousand lines is decoded in
// a few milliseconds instead of a few hundred.
QString DecodeCp1251(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char c : bytes) {
        const uchar b = uchar(c);
        *out++ = b < 0x80 ? char16_t(b) : b < 0xc0 ? kCp1251High[b - 0x80] : char16_t(0x0410 + (b - 0xc0));
    }
    return text;
}

// Whether there is nothing but blanks, without copying a large text as trimmed() would.
template <typename View> bool Blank(View text) {
    for (const auto c : text)
        if (!(c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v')) return false;
    return true;
}

// Whether the bytes are UTF-8 throughout: overlong forms and surrogates are not.
bool ValidUtf8(QByteArrayView bytes) {
    const uchar* p = reinterpret_cast<const uchar*>(bytes.data());
    const uchar* end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int follow = 0;
        uint lowest = 0, code = 0;
        if ((*p & 0xe0) == 0xc0)
            follow = 1, lowest = 0x80, code = *p & 0x1f;
        else if ((*p & 0xf0) == 0xe0)
            follow = 2, lowest = 0x800, code = *p & 0x0f;
        else if ((*p & 0xf8) == 0xf0)
            follow = 3, lowest = 0x10000, code = *p & 0x07;
        else
            return false;
        if (end - p <= follow) return false;
        for (int k = 1; k <= follow; ++k) {
            if ((p[k] & 0xc0) != 0x80) return false;
            code = code << 6 | (p[k] & 0x3f);
        }
        if (code < lowest || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return false;
        p += follow + 1;
    }
    return true;
}

} // namespace

TDecodedText DecodeStatementBytes(const QByteArray& bytes) {
    TDecodedText out;
    if (Blank(QByteArrayView(bytes))) {
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
        out.text = ValidUtf8(body) ? QString::fromUtf8(body) : DecodeCp1251(body);
    }
    if (LooksBinary(out.text)) {
        out.text.clear();
        out.error = QStringLiteral("это не текст, а двоичные данные");
    } else if (Blank(QStringView(out.text))) {
        out.text.clear();
        out.error = QStringLiteral("файл пуст");
    }
    return out;
}

QString DecodeWithCodePage(const QByteArray& bytes, const QByteArray& codePage) {
    QStringDecoder decoder(codePage.constData());
    return decoder.isValid() ? QString(decoder(bytes)) : DecodeCp1251(bytes);
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
    // The digits and marks alone, as ASCII: a sum has few of them.
    char buffer[48];
    int size = 0, points = 0, commas = 0;
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        if ((u >= u'0' && u <= u'9') || u == u'.' || u == u',') {
            if (size == int(sizeof buffer))
                return fail(QStringLiteral("слишком большая сумма: %1").arg(Quoted(text)));
            buffer[size++] = char(u);
            points += u == u'.';
            commas += u == u',';
        } else if (!GroupSpace(u)) {
            return fail(QStringLiteral("не сумма: %1").arg(Quoted(text)));
        }
    }
    const std::string_view digits(buffer, size_t(size));
    if (size == points + commas) return fail(QStringLiteral("не сумма: %1").arg(Quoted(text)));
    // Which mark, if any, is the decimal one.
    char decimal = 0;
    if (points && commas) {
        decimal = digits.rfind('.') > digits.rfind(',') ? '.' : ',';
        if ((decimal == '.' ? points : commas) > 1)
            return fail(QStringLiteral("не сумма: %1").arg(Quoted(text)));
    } else if (points + commas == 1) {
        const char mark = points ? '.' : ',';
        const size_t at = digits.find(mark);
        const size_t after = digits.size() - at - 1;
        // "1,234" is a thousand and more; "0,125" or "12345,678" are not.
        const bool thousands = after == 3 && at >= 1 && at <= 3 && digits[0] != '0';
        if (!thousands) decimal = mark;
    }
    // Marks that are not the decimal one part thousands: groups of three digits after the first.
    const size_t integerEnd = decimal ? digits.rfind(decimal) : digits.size();
    int group = 0, groups = 0;
    for (size_t k = 0; k <= integerEnd; ++k) {
        if (k < integerEnd && digits[k] >= '0' && digits[k] <= '9') {
            ++group;
            continue;
        }
        const bool mark = k < integerEnd;
        if (groups == 0 ? mark && (group < 1 || group > 3) : group != 3)
            return fail(QStringLiteral("не сумма: %1").arg(Quoted(text)));
        ++groups;
        group = 0;
    }
    qint64 whole = 0;
    int wholeDigits = 0;
    for (size_t k = 0; k < integerEnd; ++k) {
        if (digits[k] < '0' || digits[k] > '9') continue;
        if (wholeDigits || digits[k] != '0') ++wholeDigits;
        if (wholeDigits > kMaxIntegerDigits)
            return fail(QStringLiteral("слишком большая сумма: %1").arg(Quoted(text)));
        whole = whole * 10 + (digits[k] - '0');
    }
    std::string_view fraction = decimal ? digits.substr(integerEnd + 1) : std::string_view();
    while (fraction.size() > 2 && fraction.back() == '0')
        fraction.remove_suffix(1);
    if (fraction.size() > 2)
        return fail(QStringLiteral("больше двух знаков после запятой: %1").arg(Quoted(text)));
    const qint64 cents = fraction.empty()       ? 0
                         : fraction.size() == 1 ? (fraction[0] - '0') * 10
                                                : (fraction[0] - '0') * 10 + (fraction[1] - '0');
    const qint64 value = whole * 100 + cents;
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
            parts[part] = parts[part] * 10 + (s[i].unicode() - u'0');
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
