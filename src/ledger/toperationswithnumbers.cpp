#include "ledger/toperationswithnumbers.h"

#include "storage/tmessageboxclass.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

bool IsDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool IsOperator(QChar c) {
    const char16_t u = c.unicode();
    return u == '*' || u == '+' || u == '-' || u == '/';
}

// Powers of ten that long double holds exactly (5^27 still fits in its 64-bit mantissa).
constexpr long double kExactPowers[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                        1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
                                        1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
constexpr int kMaxExactPower = 27;

long double PowerOfTen(int n) {
    if (n >= 0 && n <= kMaxExactPower) return kExactPowers[n];
    return std::pow(10.0L, static_cast<long double>(n));
}

} // namespace

TNumberRead ParseNumber(QStringView text) {
    const QStringView t = TrimBlanks(text);
    const qsizetype n = t.size();
    if (n == 0) return {};
    // Checked by hand so that exactly sign, digits, one decimal mark and an exponent pass; the value of
    // the common short forms is then computed exactly, the rest goes to the library reader.
    std::string ascii;
    ascii.reserve(size_t(n));
    qsizetype i = 0;
    bool negative = false;
    if (t[0] == u'+' || t[0] == u'-') {
        negative = t[0] == u'-';
        ++i;
    }
    std::uint64_t mantissa = 0;
    int significant = 0;
    int scale = 0;
    int digits = 0;
    bool exact = true;
    auto takeDigit = [&](QChar c, bool fraction) {
        const int d = c.unicode() - '0';
        ascii.push_back(char('0' + d));
        ++digits;
        if (mantissa == 0 && d == 0) {
            if (fraction) ++scale;
            return;
        }
        if (significant < 19) {
            mantissa = mantissa * 10 + std::uint64_t(d);
            ++significant;
            if (fraction) ++scale;
        } else {
            exact = false;
        }
    };
    while (i < n && IsDigit(t[i]))
        takeDigit(t[i++], false);
    if (i < n && (t[i] == u',' || t[i] == u'.')) {
        ascii.push_back('.');
        ++i;
        while (i < n && IsDigit(t[i]))
            takeDigit(t[i++], true);
    }
    if (digits == 0) return {};
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        exact = false;
        ascii.push_back('e');
        ++i;
        if (i < n && (t[i] == u'+' || t[i] == u'-')) ascii.push_back(char(t[i++].unicode()));
        const qsizetype expStart = i;
        while (i < n && IsDigit(t[i]))
            ascii.push_back(char(t[i++].unicode()));
        if (i == expStart) return {};
    }
    if (i != n) return {};

    long double value = 0;
    if (exact && scale <= kMaxExactPower) {
        // Both operands are exact, so the one division is rounded exactly as the full reader rounds.
        value = static_cast<long double>(mantissa);
        if (scale > 0) value /= kExactPowers[scale];
    } else {
        const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
        if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size()) return {};
    }
    if (!std::isfinite(value)) return {};
    return {negative ? -value : value, true};
}

long double NumberValue(QStringView text) {
    return ParseNumber(text).value;
}

int ParseInt(QStringView text) {
    const QStringView t = TrimBlanks(text);
    if (t.isEmpty()) return 0;
    qsizetype i = 0;
    bool negative = false;
    if (t[0] == u'+' || t[0] == u'-') {
        negative = t[0] == u'-';
        ++i;
    }
    if (i == t.size()) return 0;
    std::int64_t value = 0;
    for (; i < t.size(); ++i) {
        if (!IsDigit(t[i])) return 0;
        value = value * 10 + (t[i].unicode() - '0');
        if (value > std::int64_t(INT32_MAX) + 1) return 0;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return 0;
    return int(value);
}

QString IntToText(int value) {
    return QString::number(value);
}

long double RoundTo(int n, long double x) {
    if (!std::isfinite(x)) return x;
    const long double f = std::nearbyint(x);
    const long double p = PowerOfTen(n);
    const long double g = std::nearbyint((x - f) * p);
    return f + g / p;
}

QString FloatToText(long double x) {
    if (!std::isfinite(x) || x == 0) return QStringLiteral("0");
    // A whole number below 10^15 has at most fifteen digits: it reads as itself (most sums do).
    if (std::fabs(x) < 1e15L && x == std::trunc(x)) return QString::number(static_cast<qint64>(x));
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
    // "-d.dddddddddddddde+XX": the sign, fifteen digits and the decimal exponent.
    const char* p = buf;
    const char* end = res.ptr;
    QString out;
    if (*p == '-') {
        out.append(u'-');
        ++p;
    }
    std::string digits;
    while (p < end && *p != 'e') {
        if (*p >= '0' && *p <= '9') digits.push_back(*p);
        ++p;
    }
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    if (exponent >= 15 || exponent < -4) {
        out.append(QChar(digits[0]));
        if (digits.size() > 1) {
            out.append(u',');
            out.append(QString::fromLatin1(digits.data() + 1, qsizetype(digits.size() - 1)));
        }
        out.append(u'E');
        out.append(QString::number(exponent));
        return out;
    }
    if (exponent < 0) {
        out.append(QStringLiteral("0,"));
        out.append(QString(-exponent - 1, u'0'));
        out.append(QString::fromLatin1(digits.data(), qsizetype(digits.size())));
        return out;
    }
    const size_t intDigits = size_t(exponent) + 1;
    if (digits.size() <= intDigits) {
        out.append(QString::fromLatin1(digits.data(), qsizetype(digits.size())));
        out.append(QString(qsizetype(intDigits - digits.size()), u'0'));
        return out;
    }
    out.append(QString::fromLatin1(digits.data(), qsizetype(intDigits)));
    out.append(u',');
    out.append(QString::fromLatin1(digits.data() + intDigits, qsizetype(digits.size() - intDigits)));
    return out;
}

QString DisplayRound(long double x) {
    return FloatToText(RoundTo(2, x));
}

// Cell formulas, read left to right with spaces skipped:
//   expression = term { ("+" | "-") term }
//   term       = factor { ("*" | "/") factor }     division by zero leaves the left operand as it is
//   factor     = number | "(" expression <any one character> | "+" factor | "-" factor
//   number     = a digit followed by the longest run of digits and "." (the comma counts as ".");
//                read up to a second "." ("1.2.3" is 1.2)
// Any other character where a factor is expected gives 0 and stops the evaluation: what was computed
// before it is the result (5+a is 5, 12abc is 12). Every operand and intermediate value is a double.
namespace {

class TFormulaReader {
public:
    explicit TFormulaReader(QStringView text) : m_text(text) { SkipSpaces(); }

    // A division by zero was met (its left operand was kept).
    bool divisionByZero = false;
    // The whole text was read: nothing stopped the reader before its end.
    bool AtEnd() const { return m_pos >= m_text.size(); }

    double Expression(int depth) {
        double value = Term(depth);
        for (;;) {
            const char16_t op = Current();
            if (op != u'+' && op != u'-') return value;
            Advance();
            const double rhs = Term(depth);
            value = op == u'+' ? value + rhs : value - rhs;
        }
    }

private:
    // Deeper nesting reads its "(" as a character that is not a factor: an absurd paste must not be
    // able to exhaust the stack.
    static constexpr int kMaxDepth = 200;
    static constexpr char16_t kEnd = 0xFFFF;

    char16_t Current() const { return m_pos < m_text.size() ? m_text[m_pos].unicode() : kEnd; }
    void SkipSpaces() {
        while (m_pos < m_text.size() && m_text[m_pos] == u' ')
            ++m_pos;
    }
    void Advance() {
        ++m_pos;
        SkipSpaces();
    }

    double Term(int depth) {
        double value = Factor(depth);
        for (;;) {
            const char16_t op = Current();
            if (op != u'*' && op != u'/') return value;
            Advance();
            const double rhs = Factor(depth);
            if (op == u'*')
                value *= rhs;
            else if (rhs != 0)
                value /= rhs;
            else
                divisionByZero = true;
        }
    }

    double Factor(int depth) {
        bool negate = false;
        while (Current() == u'+' || Current() == u'-') {
            if (Current() == u'-') negate = !negate;
            Advance();
        }
        double value = 0;
        const char16_t c = Current();
        if (c >= u'0' && c <= u'9') {
            value = Number();
        } else if (c == u'(' && depth < kMaxDepth) {
            Advance();
            value = Expression(depth + 1);
            if (!AtEnd()) Advance(); // the closing character, whatever it is
        }
        return negate ? -value : value;
    }

    double Number() {
        std::string run;
        for (;;) {
            const char16_t c = Current();
            if (c >= u'0' && c <= u'9')
                run.push_back(char(c));
            else if (c == u'.' || c == u',')
                run.push_back('.');
            else
                break;
            Advance();
        }
        // The read stops at a second point.
        const size_t firstPoint = run.find('.');
        if (firstPoint != std::string::npos) {
            const size_t secondPoint = run.find('.', firstPoint + 1);
            if (secondPoint != std::string::npos) run.resize(secondPoint);
            if (run.back() == '.') run.pop_back();
        }
        double value = 0;
        const auto res =
            std::from_chars(run.data(), run.data() + run.size(), value, std::chars_format::fixed);
        if (res.ec == std::errc::result_out_of_range) {
            // Too many digits for a double: huge, or (only zeros before the first significant digit) tiny.
            const size_t intEnd = std::min(run.find('.'), run.size());
            const bool hasIntegerValue = run.find_first_not_of('0') < intEnd;
            value = hasIntegerValue ? HUGE_VAL : 0.0;
        }
        return value;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
};

// The value written with n decimals and "." as the mark: brought to 18 significant digits first, then
// the digit after the n-th decimal decides, 5 and above rounding the magnitude up (2.125 gives 2.13).
// A value that rounds to zero is written without a sign.
std::string FixedText(double value, int n) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    std::string digits; // the integer |value| * 10^n, most significant digit first
    if (value != 0) {
        char buf[64];
        const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 17);
        std::string sig;
        const char* p = buf[0] == '-' ? buf + 1 : buf;
        while (p < res.ptr && *p != 'e') {
            if (*p >= '0' && *p <= '9') sig.push_back(*p);
            ++p;
        }
        int exponent = 0;
        std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), res.ptr, exponent);
        // Digit k of sig has the place value 10^(exponent - k); the first dropped one is 10^-(n+1).
        const long keep = long(exponent) + n + 1;
        if (keep >= 0) {
            for (long k = 0; k < keep; ++k)
                digits.push_back(k < long(sig.size()) ? sig[size_t(k)] : '0');
            if (keep < long(sig.size()) && sig[size_t(keep)] >= '5') {
                long k = long(digits.size()) - 1;
                while (k >= 0 && digits[size_t(k)] == '9')
                    digits[size_t(k--)] = '0';
                if (k >= 0)
                    ++digits[size_t(k)];
                else
                    digits.insert(digits.begin(), '1');
            }
        }
    }
    const size_t first = digits.find_first_not_of('0');
    digits = first == std::string::npos ? std::string() : digits.substr(first);
    const bool negative = value < 0 && !digits.empty();
    if (digits.size() < size_t(n) + 1) digits.insert(digits.begin(), size_t(n) + 1 - digits.size(), '0');
    std::string out = negative ? "-" : "";
    out.append(digits, 0, digits.size() - size_t(n));
    if (n > 0) {
        out.push_back('.');
        out.append(digits, digits.size() - size_t(n), std::string::npos);
    }
    return out;
}

constexpr int kMaxDecimals = 40;

} // namespace

double FormulaValue(QStringView text) {
    TFormulaReader reader(text);
    return reader.Expression(0);
}

QString EvaluateFormula(QStringView text, int n) {
    n = std::clamp(n, 0, kMaxDecimals);
    QString out = QString::fromLatin1(FixedText(FormulaValue(text), n));
    out.replace(u'.', u',');
    return out;
}

bool ParenthesesInOrder(QStringView text) {
    int open = 0;
    for (QChar c : text) {
        if (c == u'(') {
            ++open;
        } else if (c == u')') {
            if (open == 0) return false;
            --open;
        }
    }
    return true;
}

bool CheckFormula(QStringView text) {
    if (!text.contains(u'(') && !text.contains(u')')) return true;
    if (!ParenthesesInOrder(text)) return false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        const QChar before = i > 0 ? text[i - 1] : QChar();
        const QChar after = i + 1 < n ? text[i + 1] : QChar();
        if (c == u'(') {
            if (i + 1 < n && IsOperator(after)) return false;
            if (i > 0 && (before == u')' || before == u',' || IsDigit(before))) return false;
        } else if (c == u')') {
            if (i + 1 < n && (after == u'(' || after == u',' || IsDigit(after))) return false;
            if (i > 0 && IsOperator(before)) return false;
        }
    }
    return true;
}

QString TooBigNumberMessage() {
    return QStringLiteral("Вы ввели слишком большое число!");
}

QString SumRefusalMessage(TSumRefusal refusal) {
    switch (refusal) {
    case TSumRefusal::NotANumber:
        return QStringLiteral("Введите число или формулу");
    case TSumRefusal::DivisionByZero:
        return QStringLiteral("Деление на ноль");
    case TSumRefusal::TooBig:
        return TooBigNumberMessage();
    case TSumRefusal::None:
        break;
    }
    return QString();
}

TSumRead ReadSum(const QString& text) {
    if (text.isEmpty() || text == u" " || text == u"=" || text == u"(") return {QStringLiteral("0")};
    QStringView t(text);
    if (t.startsWith(u'=')) t = t.mid(1);
    if (!t.isEmpty() && IsOperator(t.back())) t.chop(1);
    if (t == u"-") return {QStringLiteral("0")};

    TFormulaReader reader(t);
    const double value = reader.Expression(0);
    TSumRead read;
    if (!reader.AtEnd())
        read.refusal = TSumRefusal::NotANumber;
    else if (reader.divisionByZero)
        read.refusal = TSumRefusal::DivisionByZero;
    if (!std::isfinite(value)) return {QStringLiteral("0"), TSumRefusal::TooBig};
    QString s = QString::fromLatin1(FixedText(value, 2));
    s.replace(u'.', u',');

    const bool negative = s.startsWith(u'-');
    QString body = negative ? s.mid(1) : s;
    qsizetype zeros = 0;
    while (zeros < body.size() && body[zeros] == u'0')
        ++zeros;
    body.remove(0, zeros);
    if (body.startsWith(u',')) body.prepend(u'0');
    s = negative ? QStringLiteral("-") + body : body;

    if (s.contains(u',') || s.contains(u'.')) {
        while (s.endsWith(u'0'))
            s.chop(1);
        if (s.endsWith(u',') || s.endsWith(u'.')) s.chop(1);
    }
    if (s.isEmpty() || s == u"-") s = QStringLiteral("0");
    if (s.size() > 17) return {QStringLiteral("0"), TSumRefusal::TooBig};
    read.text = s;
    return read;
}

QString NormalizeSum(const QString& text) {
    const TSumRead read = ReadSum(text);
    if (read.refusal == TSumRefusal::TooBig) Messages().ShowError({TooBigNumberMessage()});
    return read.text;
}

TNumberKeySet TNumberKeySet::StartSet() {
    TNumberKeySet set;
    set.m_chars = QString(kBackspaceKey) + QStringLiteral("(),-.0123456789=");
    return set;
}

void TNumberKeySet::Insert(QChar c) {
    if (!m_chars.contains(c)) m_chars.append(c);
}

std::optional<QChar> NumberKeyFilter(QChar key, const QString& text, int caret, TNumberKeySet& allowed) {
    caret = std::clamp(caret, 0, int(text.size()));
    auto refuse = []() -> std::optional<QChar> {
        Messages().Beep();
        return std::nullopt;
    };
    // A minus typed at the very start of a text without one is a sign, not an operator.
    const bool minusIsSign = key == u'-' && !text.contains(u'-') && caret == 0;
    auto isOperator = [minusIsSign](QChar c) { return IsOperator(c) && !(minusIsSign && c == u'-'); };

    if (key == u'=') {
        if (text.contains(u'=') || caret != 0) return refuse();
        allowed.Insert(u'=');
    }
    if ((key == u',' || key == u'.') && !allowed.Contains(u',')) {
        qsizetype last = -1;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (isOperator(text[i])) last = i;
        }
        if (!QStringView(text).mid(last + 1).contains(u',')) {
            allowed.Insert(u',');
            allowed.Insert(u'.');
        }
    }
    if (key == u'.') key = u',';
    if (key == u'(' || key == u')') {
        QString inserted = text;
        inserted.insert(caret, key);
        if (!ParenthesesInOrder(inserted)) return refuse();
    }
    const QChar before = caret > 0 ? text[caret - 1] : QChar();
    if (key == u'(' && caret > 0 && (before == u',' || before == u'.' || IsDigit(before))) return refuse();
    if (key == u')' && caret > 0 && (isOperator(before) || before == u'=')) return refuse();
    if (isOperator(key)) {
        if (caret == 0 || isOperator(before) || before == u'(' || before == u'=') return refuse();
        allowed.Insert(u',');
        allowed.Insert(u'.');
    } else if (!allowed.Contains(key)) {
        return refuse();
    }
    if (key == u'=') allowed.Remove(u'=');
    if (key == u',') {
        allowed.Remove(u',');
        allowed.Remove(u'.');
    }
    return key;
}
