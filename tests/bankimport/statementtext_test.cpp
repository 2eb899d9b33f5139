// Sums, dates and the text of a statement file, as every format reads them.
#include "bankimport/statementtext.h"

#include "qtprint.h"

#include <gtest/gtest.h>

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

struct TSumCase {
    const char16_t* text;
    qint64 kopecks;
};

TEST(StatementSums, WrittenEveryWayBanksWriteThem) {
    const TSumCase cases[] = {
        {u"1234,56", 123456},
        {u"1234.56", 123456},
        {u"1 234,56", 123456},
        {u"1\u00a0234,56", 123456},
        {u"1\u202f234,56", 123456},
        {u"1'234.56", 123456},
        {u"1\u2019234.56", 123456},
        {u"1,234.56", 123456},
        {u"1.234,56", 123456},
        {u"1,234,567.89", 123456789},
        {u"1 234 567", 123456700},
        {u"1,234", 123400},
        {u"-1 234,56", -123456},
        {u"1234,56-", -123456},
        {u"(1 234,56)", -123456},
        {u"\u2212"
         u"30 000",
         -3000000},
        {u"+2 500,00", 250000},
        {u"- 12,5", -1250},
        {u"0,5", 50},
        {u",5", 50},
        {u"12.50", 1250},
        {u"12.500", 1250000},
        {u"3.10000", 310},
        {u"0", 0},
        {u"1 234,56 ₽", 123456},
        {u"$12.00", 1200},
        {u"12 руб.", 1200},
        {u"-925,50 RUB", -92550},
        {u"(USD 10.10)", -1010},
        {u"9999999999999.99", 999999999999999},
    };
    for (const TSumCase& c : cases) {
        QString why;
        const auto sum = ParseKopecks(QString::fromUtf16(c.text), &why);
        ASSERT_TRUE(sum.has_value()) << QString::fromUtf16(c.text).toStdString() << ": " << why.toStdString();
        EXPECT_EQ(*sum, c.kopecks) << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(StatementSums, NotSumsAreToldWhy) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"", u"не сумма: «»"},
        {u"сто рублей", u"не сумма: «сто рублей»"},
        {u"12,3,4", u"не сумма: «12,3,4»"},
        {u"1.234.5", u"не сумма: «1.234.5»"},
        {u"1,234.56.78", u"не сумма: «1,234.56.78»"},
        {u"12a34", u"не сумма: «12a34»"},
        {u"1,2345", u"больше двух знаков после запятой: «1,2345»"},
        {u"0,125", u"больше двух знаков после запятой: «0,125»"},
        {u"99999999999999,00", u"слишком большая сумма: «99999999999999,00»"},
    };
    for (const auto& [text, reason] : cases) {
        QString why;
        EXPECT_FALSE(ParseKopecks(QString::fromUtf16(text), &why).has_value())
            << QString::fromUtf16(text).toStdString();
        EXPECT_EQ(why, QString::fromUtf16(reason));
    }
}

TEST(StatementSums, AreWrittenWithAPointAndTwoDecimals) {
    EXPECT_EQ(FormatKopecks(123456), QStringLiteral("1234.56"));
    EXPECT_EQ(FormatKopecks(-5), QStringLiteral("-0.05"));
    EXPECT_EQ(FormatKopecks(0), QStringLiteral("0.00"));
    EXPECT_EQ(FormatKopecks(std::numeric_limits<qint64>::min()), QStringLiteral("-92233720368547758.08"));
}

TEST(StatementDates, InEveryFormAndWithATime) {
    const std::pair<const char16_t*, QDate> cases[] = {
        {u"31.01.2026", QDate(2026, 1, 31)},
        {u"31.01.26", QDate(2026, 1, 31)},
        {u"1.2.2026", QDate(2026, 2, 1)},
        {u"2026-01-31", QDate(2026, 1, 31)},
        {u"31.01.2026 19:45:12", QDate(2026, 1, 31)},
        {u"31.01.2026 19:45", QDate(2026, 1, 31)},
        {u"2026-01-10 18:22:01", QDate(2026, 1, 10)},
        {u"2026-01-10T18:22:01.000+03:00", QDate(2026, 1, 10)},
        {u" 29.02.2024 ", QDate(2024, 2, 29)},
        {u"15/01/2026", QDate(2026, 1, 15)},
    };
    for (const auto& [text, date] : cases) {
        QString why;
        EXPECT_EQ(ParseStatementDate(QString::fromUtf16(text), &why), date)
            << QString::fromUtf16(text).toStdString() << ": " << why.toStdString();
    }
}

TEST(StatementDates, ImpossibleOnesAreToldWhy) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"31.02.2026", u"нет такой даты: «31.02.2026»"},
        {u"29.02.2025", u"нет такой даты: «29.02.2025»"},
        {u"2026-13-01", u"нет такой даты: «2026-13-01»"},
        {u"00.01.2026", u"нет такой даты: «00.01.2026»"},
        {u"01.01.0001", u"нет такой даты: «01.01.0001»"},
        {u"вчера", u"не дата: «вчера»"},
        {u"31.01", u"не дата: «31.01»"},
        {u"31.01.2026г", u"не дата: «31.01.2026г»"},
        {u"31.01-2026", u"не дата: «31.01-2026»"},
        {u"31.01.202", u"не дата: «31.01.202»"},
    };
    for (const auto& [text, reason] : cases) {
        QString why;
        EXPECT_FALSE(ParseStatementDate(QString::fromUtf16(text), &why).isValid())
            << QString::fromUtf16(text).toStdString();
        EXPECT_EQ(why, QString::fromUtf16(reason));
    }
}

TEST(StatementText, EveryEncodingGivesTheSameText) {
    const QString text = QStringLiteral("Дата;Описание;Сумма\n31.01.2026;Пятёрочка №1;-1 234,56\n");
    const QByteArray utf8 = text.toUtf8();
    QStringEncoder cp1251("Windows-1251");
    QStringEncoder utf16le(QStringEncoder::Utf16LE), utf16be(QStringEncoder::Utf16BE);
    const std::pair<const char*, QByteArray> files[] = {
        {"UTF-8", utf8},
        {"UTF-8 with a byte order mark", "\xef\xbb\xbf" + utf8},
        {"Windows-1251", cp1251(text)},
        {"UTF-16LE with a byte order mark", "\xff\xfe" + QByteArray(utf16le(text))},
        {"UTF-16BE with a byte order mark", "\xfe\xff" + QByteArray(utf16be(text))},
    };
    for (const auto& [name, bytes] : files) {
        const TDecodedText decoded = DecodeStatementBytes(bytes);
        EXPECT_EQ(decoded.error, QString()) << name;
        EXPECT_EQ(decoded.text, text) << name;
    }
}

// Every letter and sign of Windows-1251 (0x98 is none) reads as the system's converter reads it.
TEST(StatementText, Windows1251ReadsAsTheSystemConverterReadsIt) {
    QByteArray bytes = "Выписка: ";
    for (int b = 0x80; b <= 0xff; ++b)
        if (b != 0x98) bytes += char(b);
    bytes = QStringEncoder("Windows-1251")(QStringLiteral("Выписка: ")) + bytes.mid(bytes.indexOf(' ') + 1);
    const TDecodedText decoded = DecodeStatementBytes(bytes);
    EXPECT_EQ(decoded.error, QString());
    EXPECT_EQ(decoded.text, QString(QStringDecoder("Windows-1251")(bytes)));
    EXPECT_EQ(decoded.text.size(), 9 + 127);
}

TEST(StatementText, EmptyAndBinaryFilesAreRefused) {
    QByteArray controls;
    for (int i = 0; i < 2000; ++i)
        controls += char(1 + i % 8);
    QByteArray withZero = "Дата;Сумма\n" + QByteArray(16, '\0');
    const std::pair<QByteArray, const char16_t*> cases[] = {
        {QByteArray(), u"файл пуст"},
        {QByteArray(" \r\n\t\n"), u"файл пуст"},
        {QByteArray("\xef\xbb\xbf"), u"файл пуст"},
        {QByteArray("\xff\xfe\x20\x00\x0a\x00"), u"файл пуст"},
        {withZero, u"это не текст, а двоичные данные"},
        {QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR", 16), u"это не текст, а двоичные данные"},
        {controls, u"это не текст, а двоичные данные"},
    };
    for (const auto& [bytes, reason] : cases) {
        const TDecodedText decoded = DecodeStatementBytes(bytes);
        EXPECT_EQ(decoded.error, QString::fromUtf16(reason)) << bytes.toHex().toStdString();
        EXPECT_TRUE(decoded.text.isEmpty());
    }
}

TEST(StatementText, CurrencyNamesBecomeCodes) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"RUR", u"RUB"}, {u"руб.", u"RUB"}, {u"₽", u"RUB"}, {u" rub ", u"RUB"},
        {u"$", u"USD"},   {u"€", u"EUR"},    {u"usd", u"USD"}, {u"", u""},
    };
    for (const auto& [text, code] : cases)
        EXPECT_EQ(NormalCurrency(QString::fromUtf16(text)), QString::fromUtf16(code));
}

} // namespace
