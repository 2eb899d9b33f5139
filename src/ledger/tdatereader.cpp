#include "ledger/tdatereader.h"
#include "storage/textrules.h"

#include "ledger/toperationswithnumbers.h"

namespace {

std::optional<QDate> g_todayOverride;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Reads a run of digits starting at pos, at most maxDigits of them (more make the read fail).
bool ReadDigits(QStringView t, qsizetype& pos, int minDigits, int maxDigits, int& value, int& count) {
    value = 0;
    count = 0;
    while (pos < t.size() && IsDigit(t[pos])) {
        if (++count > maxDigits) return false;
        value = value * 10 + (t[pos].unicode() - '0');
        ++pos;
    }
    return count >= minDigits;
}

// One- and two-digit years: the 100-year window that starts 50 years before this year.
int WindowYear(int shortYear) {
    const int base = Today().year() - 50;
    int year = shortYear + base / 100 * 100;
    if (year < base) year += 100;
    return year;
}

// "d.M.y" or "d.M" with one or two digits for day and month and blanks around; `yearDigits` counts
// the year's digits (0 without a year).
bool ReadDayMonthYear(QStringView text, TDateValue& date, int* yearDigits = nullptr) {
    const QStringView t = TrimBlanks(text);
    qsizetype pos = 0;
    int day = 0, month = 0, year = 0, digits = 0;
    if (!ReadDigits(t, pos, 1, 2, day, digits) || pos >= t.size() || t[pos] != u'.') return false;
    ++pos;
    if (!ReadDigits(t, pos, 1, 2, month, digits)) return false;
    if (pos == t.size()) {
        year = Today().year();
    } else {
        if (t[pos] != u'.') return false;
        ++pos;
        // More than nine digits cannot be a year the program knows and would not fit the value.
        if (!ReadDigits(t, pos, 1, 9, year, digits) || pos != t.size()) return false;
        if (yearDigits) *yearDigits = digits;
        if (digits <= 2) year = WindowYear(year);
    }
    if (!IsValidDay(year, month, day)) return false;
    date = DateFromYmd(year, month, day);
    return true;
}

} // namespace

void YmdFromDate(TDateValue date, int& year, int& month, int& day) {
    const long z = long(date) + 693899; // days from 1.3.0000
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long dayOfEra = z - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long mp = (5 * dayOfYear + 2) / 153;
    day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsValidDay(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

QDate DateToQDate(TDateValue date) {
    return QDate::fromJulianDay(qint64(date) + 2415019);
}

TDateValue DateFromQDate(QDate date) {
    return TDateValue(date.toJulianDay() - 2415019);
}

QDate Today() {
    return g_todayOverride ? *g_todayOverride : QDate::currentDate();
}

TDateValue TodayValue() {
    return DateFromQDate(Today());
}

TTodayOverride::TTodayOverride(QDate today) : m_previous(g_todayOverride) {
    g_todayOverride = today;
}

TTodayOverride::~TTodayOverride() {
    g_todayOverride = m_previous;
}

QString FormatDate(TDateValue date) {
    int year = 0, month = 0, day = 0;
    YmdFromDate(date, year, month, day);
    char16_t buf[16];
    int n = 0;
    buf[n++] = char16_t('0' + day / 10);
    buf[n++] = char16_t('0' + day % 10);
    buf[n++] = u'.';
    buf[n++] = char16_t('0' + month / 10);
    buf[n++] = char16_t('0' + month % 10);
    buf[n++] = u'.';
    if (year < 1 || year > 9999)
        return QString(reinterpret_cast<const QChar*>(buf), n) + QString::number(year);
    buf[n++] = char16_t('0' + year / 1000);
    buf[n++] = char16_t('0' + year / 100 % 10);
    buf[n++] = char16_t('0' + year / 10 % 10);
    buf[n++] = char16_t('0' + year % 10);
    return QString(reinterpret_cast<const QChar*>(buf), n);
}

TDateValue ParseCellDate(QStringView text) {
    if (text.isEmpty()) return kEmptyDate;
    TDateValue date = 0;
    if (ReadDayMonthYear(text, date)) return date == 0 ? TodayValue() : date;
    if (text == u"nil") return kNilDate;
    return ParseDateLoose(text);
}

std::optional<TDateValue> ReadTypedDate(QStringView text) {
    TDateValue date = 0;
    int yearDigits = 0;
    if (!ReadDayMonthYear(text, date, &yearDigits)) return std::nullopt;
    // A year of one or three digits is a year half typed.
    if (yearDigits == 1 || yearDigits == 3 || yearDigits > 4) return std::nullopt;
    return date;
}

TDateValue ParseDateLoose(QStringView text) {
    QChar sep;
    if (text.contains(u'.'))
        sep = u'.';
    else if (text.contains(u'/'))
        sep = u'/';
    else if (text.contains(u'-'))
        sep = u'-';
    else
        return kEmptyDate;
    const qsizetype first = text.indexOf(sep);
    const qsizetype second = text.indexOf(sep, first + 1);
    if (second < 0) return kEmptyDate;
    const QStringView p1 = text.left(first);
    const QStringView p2 = text.mid(first + 1, second - first - 1);
    const QStringView p3 = text.mid(second + 1);
    const qsizetype l1 = p1.size(), l2 = p2.size(), l3 = p3.size();
    int day = 0, month = 0, year = 0;
    if (l1 == 2 && l2 == 2 && (l3 == 2 || l3 == 4)) {
        day = ParseInt(p1), month = ParseInt(p2), year = ParseInt(p3);
    } else if (sep == u'.' && l2 == 1 && l3 == 2 && (l1 == 2 || l1 == 1)) {
        day = ParseInt(p1), month = ParseInt(p2), year = ParseInt(p3);
    } else if (sep == u'-' && l1 == 4 && l2 == 2 && l3 == 2) {
        year = ParseInt(p1), month = ParseInt(p2), day = ParseInt(p3);
    } else {
        return kEmptyDate;
    }
    if (year < 100) year += 2000;
    return IsValidDay(year, month, day) ? DateFromYmd(year, month, day) : kEmptyDate;
}

TDateValue ParseDateSystem(QStringView text) {
    if (text.isEmpty()) return kEmptyDate;
    TDateValue date = 0;
    if (ReadDayMonthYear(text, date)) return date;
    if (text == u"nil") return kNilDate;
    return ParseDateLoose(text);
}
