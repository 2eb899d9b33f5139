// QIF files of a bank account, cash and a credit card.
#include "bankimport/qifstatement.h"
#include "bankimport/statementfile.h"
#include "fixtures.h"
#include "statementrows.h"

#include "qtprint.h"

#include <gtest/gtest.h>

namespace {

// Windows-1251, an account named before its records, US dates with an apostrophe and with a full year,
// amounts with thousands, a split record imported as its parts, and a day the calendar does not have.
TEST(Qif, BankAccountWithSplits) {
    const TStatement st = ReadStatementFile(FixturePath("bank.qif"));
    EXPECT_EQ(st.error, QString());
    EXPECT_EQ(st.format, QStringLiteral("QIF"));
    EXPECT_EQ(OperationRows(st),
              QStringList({
                  "01.12.2026 | -1234.56 |  | АШАН, Продукты на неделю | Продукты |  |  | Карта Мир |  | 6",
                  "02.12.2026 | -2000.00 |  | МВидео, Наушники | Техника:Наушники |  |  | Карта Мир |  | 15",
                  "02.12.2026 | -1000.00 |  | МВидео | Техника:Кабель |  |  | Карта Мир |  | 18",
                  "31.12.2025 | 15000.00 |  | Зарплата | Зарплата |  |  | Карта Мир |  | 21",
              }));
    EXPECT_EQ(UnrecognisedRows(st), QStringList({"не распознана: строка 26 (нет такой даты: «02/30'26»)"}));
}

// A slashed date with a first number above 12 tells that the whole file writes the day first.
TEST(Qif, DatesInTheUsualVariants) {
    const std::pair<const char*, const char*> cases[] = {
        {"D12/01'26", "01.12.2026"},   {"D12/01/2026", "01.12.2026"}, {"D 1/ 5'26", "05.01.2026"},
        {"D01.12.2026", "01.12.2026"}, {"D2026-12-01", "01.12.2026"}, {"D12/01/99", "01.12.1999"},
        {"D12-01-2026", "12.01.2026"},
    };
    for (const auto& [line, date] : cases) {
        const TStatement st =
            ReadQifStatement(QStringLiteral("!Type:Cash\n%1\nT-1\n^\n").arg(QLatin1String(line)));
        ASSERT_EQ(st.operations.size(), 1) << line;
        EXPECT_EQ(st.operations[0].date.toString(QStringLiteral("dd.MM.yyyy")), QLatin1String(date)) << line;
    }
    const TStatement ccard = ReadStatementFile(FixturePath("ccard.qif"));
    EXPECT_EQ(OperationRows(ccard), QStringList({"01.12.2026 | -99.90 |  | APTEKA 36.6 |  |  |  |  |  | 2",
                                                 "13.12.2026 | -10.00 |  | Кафе |  |  |  |  |  | 6"}));
}

TEST(Qif, RecordsThatDoNotReadAndFilesWithoutAnAccount) {
    const TStatement st =
        ReadQifStatement(QStringLiteral("!Type:Bank\nPНет даты\nT-1\n^\nD01.02.2026\nPНет суммы\n^\n"
                                        "D01.02.2026\nT-1\nSЕда\n$x\n^\nD02.02.2026\nT5"));
    EXPECT_EQ(OperationRows(st), QStringList({"02.02.2026 | 5.00 |  |  |  |  |  |  |  | 13"}));
    EXPECT_EQ(UnrecognisedRows(st),
              QStringList({"не распознана: строка 2 (нет даты)", "не распознана: строка 5 (нет суммы)",
                           "не распознана: строка 10 (не сумма: «x»)"}));
    EXPECT_EQ(ReadQifStatement(QStringLiteral("!Type:Invst\nD01.02.2026\nT-1\n^\n")).error,
              QStringLiteral("в файле QIF нет счёта банка, наличных или кредитной карты"));
}

} // namespace
