#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

// Date texts of the program. Dates are stored and shown as "dd.MM.yyyy"; a date value is a count of
// days where 0 is 30.12.1899 (so day numbers agree with the spreadsheet and the original books).
using TDateValue = int;

// Days from 30.12.1899 for any proleptic Gregorian day; no check that the day exists.
constexpr TDateValue DateFromYmd(int year, int month, int day) {
    // Days from 1.3.0000 in years that start in March, so the leap day comes last.
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 693899;
}
void YmdFromDate(TDateValue date, int& year, int& month, int& day);
// Year 1..9999, month 1..12 and a day that this month has (Gregorian leap years).
bool IsValidDay(int year, int month, int day);

QDate DateToQDate(TDateValue date);
TDateValue DateFromQDate(QDate date);

// 30.12.1900 stands for an empty date cell and sorts before every real date; 29.12.3000 stands for
// the word "nil" and sorts after them.
inline constexpr TDateValue kEmptyDate = DateFromYmd(1900, 12, 30);
inline constexpr TDateValue kNilDate = DateFromYmd(3000, 12, 29);
static_assert(DateFromYmd(1899, 12, 30) == 0 && kEmptyDate == 365 && kNilDate == 402131);

// The local date of today, or the date a test has put in its place.
QDate Today();
TDateValue TodayValue();

// Puts a fixed date in place of today while it lives (tests).
class TTodayOverride {
public:
    explicit TTodayOverride(QDate today);
    ~TTodayOverride();
    TTodayOverride(const TTodayOverride&) = delete;
    TTodayOverride& operator=(const TTodayOverride&) = delete;

private:
    std::optional<QDate> m_previous;
};

// "dd.MM.yyyy" with leading zeros.
QString FormatDate(TDateValue date);

// The reading behind every date comparison, drawing and sort: "d.M.y" with one or two digits for
// day and month, blanks around ignored; a day and a month alone mean this year; a one- or two-digit
// year lies in the 100-year window that starts 50 years before this year (as ParseDateSystem reads it,
// so the date rewrite after loading never moves a row). Empty: 30.12.1900; "nil": 29.12.3000;
// 30.12.1899 reads as today; anything else goes through ParseDateLoose.
TDateValue ParseCellDate(QStringView text);

// A date typed into the date picker: day and month of one or two digits, then a year of four digits
// or of two (in the window of ParseCellDate), or no year for this year's day. Nothing is guessed: a day
// the month does not have, or any other text, gives nothing.
std::optional<TDateValue> ReadTypedDate(QStringView text);

// The fallback reader: "dd.MM.yy(yy)" with ".", "/" or "-", "dd.M.yy", "d.M.yy" and "yyyy-MM-dd";
// years below 100 are 20yy. Anything else, or a day that does not exist, gives 30.12.1900.
TDateValue ParseDateLoose(QStringView text);

// The reading of the date rewrite after loading: the system's short form (day, month, year with ".")
// with the 50-year window for short years, then ParseDateLoose. "nil" keeps its meaning (29.12.3000)
// so that the rewrite cannot turn a "nil" date into an empty one.
TDateValue ParseDateSystem(QStringView text);
