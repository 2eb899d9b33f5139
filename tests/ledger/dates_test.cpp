#include "ledger/tdatereader.h"

#include "qtprint.h"

#include <gtest/gtest.h>

namespace {

struct DateCase {
    const char* text;
    const char* date; // as FormatDate writes it
};

// Every reader below runs on 10.03.2026.
class DateReaders : public ::testing::Test {
protected:
    TTodayOverride today{QDate(2026, 3, 10)};
};

TEST_F(DateReaders, ParseCellDate) {
    const DateCase cases[] = {
        {"1.2.13", "01.02.2013"},
        {"15.03", "15.03.2026"}, // day and month: this year
        {"2013-02-01", "01.02.2013"},
        {"01/02/2013", "01.02.2013"},
        {"31.02.2013", "30.12.1900"},
        {"nil", "29.12.3000"},
        {"", "30.12.1900"},
        {"   ", "30.12.1900"},
        {" 05.06.2020 ", "05.06.2020"},
        {"30.12.1899", "10.03.2026"}, // the zero day reads as today
        {"29.02.2024", "29.02.2024"},
        {"29.02.2023", "30.12.1900"},
        {"29.02.2100", "30.12.1900"},
        {"29.02.2000", "29.02.2000"},
        {"1.2.80", "01.02.1980"}, // short years: the window 1976..2075 of ParseDateSystem
        {"1.2.75", "01.02.2075"},
        {"1.2.76", "01.02.1976"},
        {"1.1.1", "01.01.2001"},
        {"01.02.013", "01.02.0013"}, // three digits: the year as it is
        {"31.12.9999", "31.12.9999"},
        {"1.1.10000", "30.12.1900"},
        {"NIL", "30.12.1900"},
        {"nil ", "30.12.1900"},
        {"abc", "30.12.1900"},
        {"01-02-13", "01.02.2013"}, // the loose reader: 20yy
        {"1-2-13", "30.12.1900"},
        {"2013/02/01", "30.12.1900"},
        {"15.03.2026.5", "30.12.1900"},
        {"001.2.2013", "30.12.1900"},
        {"32.01.2013", "30.12.1900"},
        {"00.01.2013", "30.12.1900"},
        {"01.13.2013", "30.12.1900"},
        {"15.03.", "30.12.1900"},
        {"1 .2.2013", "30.12.1900"},
        {"１.２.２０１３", "30.12.1900"}, // only ASCII digits are digits
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDate(ParseCellDate(QString::fromUtf8(c.text))), QString::fromUtf8(c.date)) << c.text;
}

TEST_F(DateReaders, ATypedDateIsReadAsTypedOrNotAtAll) {
    const struct {
        const char* text;
        const char* date; // nullptr: refused
    } cases[] = {
        {"15.03.2026", "15.03.2026"},
        {"5.3.2026", "05.03.2026"},
        {"15.03", "15.03.2026"},
        {"15.03.26", "15.03.2026"},
        {"1.2.80", "01.02.1980"},
        {"29.02.2024", "29.02.2024"},
        // A day the month does not have is never turned into another day.
        {"29.02.2027", nullptr},
        {"31.04.2026", nullptr},
        {"00.01.2026", nullptr},
        {"32.01.2026", nullptr},
        {"15.13.2026", nullptr},
        {"15.00.2026", nullptr},
        // A year half typed, text that is no date, and what only the loose reader takes.
        {"15.03.2", nullptr},
        {"15.03.202", nullptr},
        {"15.03.20261", nullptr},
        {"15.03.", nullptr},
        {"15", nullptr},
        {"", nullptr},
        {"nil", nullptr},
        {"2026-03-15", nullptr},
        {"15/03/2026", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<TDateValue> read = ReadTypedDate(QString::fromUtf8(c.text));
        if (!c.date) {
            EXPECT_FALSE(read.has_value()) << c.text;
            continue;
        }
        ASSERT_TRUE(read.has_value()) << c.text;
        EXPECT_EQ(FormatDate(*read), QString::fromUtf8(c.date)) << c.text;
    }
}

TEST_F(DateReaders, ParseDateSystem) {
    const DateCase cases[] = {
        {"1.2.80", "01.02.1980"},  {"1.2.13", "01.02.2013"},     {"1.2.75", "01.02.2075"},
        {"", "30.12.1900"},        {"30.12.1899", "30.12.1899"}, {"15.03", "15.03.2026"},
        {"garbage", "30.12.1900"}, {"2013-02-01", "01.02.2013"}, {"01/02/80", "01.02.2080"},
        {"nil", "29.12.3000"}, // the rewrite after loading must not turn "nil" into an empty date
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDate(ParseDateSystem(QString::fromUtf8(c.text))), QString::fromUtf8(c.date))
            << c.text;
}

TEST_F(DateReaders, ParseDateSystemWindowMovesWithTheYear) {
    TTodayOverride later(QDate(2040, 1, 1));
    EXPECT_EQ(FormatDate(ParseDateSystem(u"1.2.89")), QStringLiteral("01.02.2089"));
    EXPECT_EQ(FormatDate(ParseDateSystem(u"1.2.90")), QStringLiteral("01.02.1990"));
}

TEST(ParseDateLoose, Layouts) {
    const DateCase cases[] = {
        {"01.02.13", "01.02.2013"},   {"01.02.2013", "01.02.2013"}, {"01.2.13", "01.02.2013"},
        {"1.2.13", "01.02.2013"},     {"1.02.13", "30.12.1900"},    {"1.2.2013", "30.12.1900"},
        {"01-02-2013", "01.02.2013"}, {"01/02/13", "01.02.2013"},   {"01/2/13", "30.12.1900"},
        {"2013-02-01", "01.02.2013"}, {"2013.02.01", "30.12.1900"}, {"20130201", "30.12.1900"},
        {"01.02", "30.12.1900"},      {"1.2.80", "01.02.2080"},     {"31.04.13", "30.12.1900"},
        {"01.02.13.", "30.12.1900"},  {"", "30.12.1900"},           {"aa.bb.cc", "30.12.1900"},
        {" 1.02.13", "01.02.2013"}, // parts are read with ParseInt, which ignores blanks
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDate(ParseDateLoose(QString::fromUtf8(c.text))), QString::fromUtf8(c.date)) << c.text;
}

TEST(DateValues, MarkersAndFormat) {
    EXPECT_EQ(FormatDate(0), QStringLiteral("30.12.1899"));
    EXPECT_EQ(FormatDate(kEmptyDate), QStringLiteral("30.12.1900"));
    EXPECT_EQ(FormatDate(kNilDate), QStringLiteral("29.12.3000"));
    EXPECT_EQ(FormatDate(DateFromYmd(1, 1, 1)), QStringLiteral("01.01.0001"));
    EXPECT_EQ(DateFromQDate(QDate(2013, 2, 1)), 41306); // the day number spreadsheets show
    EXPECT_LT(kEmptyDate, DateFromYmd(1901, 1, 1));
    EXPECT_GT(kNilDate, DateFromYmd(2999, 1, 1));
}

TEST(DateValues, EveryDayOfEveryYearRoundTrips) {
    const TDateValue first = DateFromYmd(1, 1, 1);
    const TDateValue last = DateFromYmd(9999, 12, 31);
    QDate q(1, 1, 1);
    for (TDateValue d = first; d <= last; ++d, q = q.addDays(1)) {
        int y = 0, m = 0, day = 0;
        YmdFromDate(d, y, m, day);
        ASSERT_EQ(QDate(y, m, day), q) << d;
        ASSERT_TRUE(IsValidDay(y, m, day));
        ASSERT_EQ(DateFromYmd(y, m, day), d);
        ASSERT_EQ(DateToQDate(d), q);
        if (d % 97 == 0) {
            ASSERT_EQ(FormatDate(d), q.toString(QStringLiteral("dd.MM.yyyy")));
            if (d != 0) {
                ASSERT_EQ(ParseCellDate(FormatDate(d)), d) << FormatDate(d).toStdString();
            }
        }
    }
}

TEST(DateValues, ValidDayTest) {
    EXPECT_TRUE(IsValidDay(2024, 2, 29));
    EXPECT_FALSE(IsValidDay(2023, 2, 29));
    EXPECT_FALSE(IsValidDay(1900, 2, 29));
    EXPECT_TRUE(IsValidDay(2000, 2, 29));
    EXPECT_FALSE(IsValidDay(0, 1, 1));
    EXPECT_FALSE(IsValidDay(10000, 1, 1));
    EXPECT_FALSE(IsValidDay(2013, 0, 1));
    EXPECT_FALSE(IsValidDay(2013, 13, 1));
    EXPECT_FALSE(IsValidDay(2013, 4, 31));
    EXPECT_FALSE(IsValidDay(2013, 4, 0));
}

} // namespace
