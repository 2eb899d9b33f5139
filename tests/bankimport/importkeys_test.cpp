// The keys that keep an operation from being imported twice, and the words that learn its kind.
#include "bankimport/csvstatement.h"
#include "bankimport/importkeys.h"
#include "bankimport/statementfile.h"
#include "fixtures.h"

#include "qtprint.h"

#include <gtest/gtest.h>

namespace {

TEST(ImportKeys, TheBanksReferenceWhenItGivesOne) {
    const TStatement st = ReadStatementFile(FixturePath("two_accounts.ofx"));
    EXPECT_EQ(ImportKeys(st), QStringList({
                                  "ref|40817810000000000001|A1",
                                  "ref|40817810000000000001|A2",
                                  "ref|40817810000000000001|A3",
                                  "ref|4111********1111|C1",
                                  "ref|4111********1111|C2",
                              }));
}

// Two identical coffees on one day are two operations: each keeps its place among the identical rows,
// so that the same statement, or a longer one that overlaps it, gives the same keys for them.
TEST(ImportKeys, OtherwiseTheOperationAndItsPlaceAmongIdenticalOnes) {
    const TStatement st = ReadStatementFile(FixturePath("sber.csv"));
    const QStringList keys = ImportKeys(st);
    EXPECT_EQ(keys, QStringList({
                        "op|220220******4321|2026-01-15|-123456|ПЕРЕКРЕСТОК Москва RUS|1",
                        "op|220220******4321|2026-01-16|250000|Иванов И. И.|1",
                        "op|220220******4321|2026-01-17|-45000|Шоколадница|1",
                        "op|220220******4321|2026-01-17|-45000|Шоколадница|2",
                    }));
    const QString shorter =
        QStringLiteral("Номер карты: 2202 20** **** 4321;;;\n"
                       "Дата операции;Дата обработки;Описание операции;Сумма в валюте счёта\n"
                       "17.01.2026;18.01.2026;Шоколадница;450\n");
    const QStringList again = ImportKeys(ReadCsvStatement(shorter));
    ASSERT_EQ(again.size(), 1);
    EXPECT_TRUE(keys.contains(again[0]));
}

TEST(MerchantWords, NumbersMasksDatesAndTheCityAreDropped) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"PYATEROCHKA 1234 MOSCOW RUS", u"pyaterochka"},
        {u"ПЕРЕКРЕСТОК Москва RUS", u"перекресток"},
        {u"Пятёрочка", u"пятерочка"},
        {u"510621++++++1234 12345678\\RUS\\MOSCOW\\AZBUKA VKUSA 05.01.26 05.01.26 2150.00 RUR MCC5411",
         u"azbuka vkusa"},
        {u"Оплата в YANDEX*TAXI 12.01.2026 карта *1234 г. Москва", u"оплата yandex taxi карта"},
        {u"SBOL перевод 4276****5678 И. ИВАНОВ", u"sbol перевод иванов"},
        {u"Шоколадница Санкт-Петербург", u"шоколадница"},
        {u"12345", u""},
    };
    for (const auto& [description, words] : cases)
        EXPECT_EQ(MerchantWords(QString::fromUtf16(description)), QString::fromUtf16(words))
            << QString::fromUtf16(description).toStdString();
}

} // namespace
