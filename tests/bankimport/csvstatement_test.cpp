// Text tables: the banks' own layouts with their quirks, and tables of no known layout.
#include "bankimport/csvstatement.h"
#include "bankimport/statementfile.h"
#include "fixtures.h"
#include "statementrows.h"

#include "qtprint.h"

#include <gtest/gtest.h>

namespace {

struct TBankCase {
    const char* file;
    const char16_t* format;
    QStringList rows;
    QStringList unrecognised;
};

// Each bank's file as its online banking writes it: T-Bank in Windows-1251 with quoted cells and a
// purchase in dollars paid in roubles, a failed operation and two cards; Sberbank in UTF-8 with a byte order
// mark, lines about the statement above the table, expenses without a sign and incomes with a plus,
// thousands by non-breaking spaces and totals below; Alfa-Bank with income and expense columns, two-digit
// years, the MCC inside the description and an operation on hold; VTB in UTF-16 with commas between
// quoted sums, ISO dates and statuses in words.
TEST(BankCsv, EachBanksLayoutIsReadByItsHeader) {
    const TBankCase cases[] = {
        {"tbank.csv",
         u"Выписка Т-Банка (CSV)",
         {
             "31.01.2026 | -1234.56 | RUB | Пятёрочка | Супермаркеты | 5411 |  | *1234 |  | 2",
             "30.01.2026 | -500.00 | RUB | Яндекс Такси | Транспорт | 4121 | FAILED | *1234 |  | 3",
             "29.01.2026 | -925.50 | RUB | STEAM GAMES | Сервис | 5734 |  | *5678 |  | 4",
             "28.01.2026 | 50000.00 | RUB | Зарплата \"ООО Ромашка\" | Пополнения |  |  | *1234 |  | 5",
             "27.01.2026 | -89.90 | RUB | Пятёрочка | Супермаркеты | 5411 |  | *1234 |  | 6",
         },
         {}},
        {"sber.csv",
         u"Выписка Сбербанка (CSV)",
         {
             "15.01.2026 | -1234.56 | RUB | ПЕРЕКРЕСТОК Москва RUS | Супермаркеты |  |  | 220220******4321 | "
             " | 6",
             "16.01.2026 | 2500.00 | RUB | Иванов И. И. | Перевод СБП |  |  | 220220******4321 |  | 7",
             "17.01.2026 | -450.00 | RUB | Шоколадница | Рестораны и кафе |  |  | 220220******4321 |  | 8",
             "17.01.2026 | -450.00 | RUB | Шоколадница | Рестораны и кафе |  |  | 220220******4321 |  | 9",
         },
         {}},
        {"alfa.csv",
         u"Выписка Альфа-Банка (CSV)",
         {
             "05.01.2026 | -2150.00 | RUB | 510621++++++1234 12345678\\RUS\\MOSCOW\\AZBUKA VKUSA 05.01.26 "
             "05.01.26 "
             "2150.00 RUR MCC5411 |  | 5411 |  | 40817810104560012345 | CRD_1A2B3C | 2",
             "06.01.2026 | 65000.50 | RUB | Зачисление зарплаты |  |  |  | 40817810104560012345 | "
             "C0601260001 | 3",
             "07.01.2026 | -12400.00 | RUB | 510621++++++1234 AEROFLOT MCC4511 |  | 4511 | HOLD | "
             "40817810104560012345 "
             "|  | 4",
         },
         {"не распознана: строка 5 (нет такой даты: «32.01.26»)"}},
        {"vtb.csv",
         u"Выписка ВТБ (CSV)",
         {
             "10.01.2026 | -1999.00 | RUB | Оплата товаров, М.Видео | Электроника |  |  | *7788 |  | 4",
             "11.01.2026 | -2104.40 | RUB | Booking.com | Путешествия |  | В обработке | *7788 |  | 5",
             "12.01.2026 | -350.00 | RUB | Кофейня | Кафе |  | Отклонено | *7788 |  | 6",
             "13.01.2026 | 15000.00 | RUB | Перевод от Петров П. | Переводы |  |  | *7788 |  | 7",
         },
         {}},
    };
    for (const TBankCase& c : cases) {
        SCOPED_TRACE(c.file);
        const TStatement st = ReadStatementFile(FixturePath(QString::fromLatin1(c.file)));
        EXPECT_EQ(st.error, QString());
        EXPECT_EQ(st.format, QString::fromUtf16(c.format));
        EXPECT_EQ(OperationRows(st), c.rows);
        EXPECT_EQ(UnrecognisedRows(st), c.unrecognised);
        // A bank's layout asks the user nothing.
        EXPECT_TRUE(st.firstRows.isEmpty());
        EXPECT_TRUE(st.headerKey.isEmpty());
    }
}

TEST(BankCsv, TheAccountOfTheStatementComesFromItsInformationLines) {
    EXPECT_EQ(ReadStatementFile(FixturePath("tbank.csv")).Accounts(), QStringList({"*1234", "*5678"}));
    EXPECT_EQ(ReadStatementFile(FixturePath("sber.csv")).Accounts(), QStringList({"220220******4321"}));
    // "Номер счета/карты" is a column of VTB's table; the line above it names the account as well.
    EXPECT_EQ(ReadStatementFile(FixturePath("vtb.csv")).Accounts(), QStringList({"*7788"}));
}

TEST(CsvTable, SeparatorsAndQuotingAreFound) {
    const std::pair<const char16_t*, QStringList> cases[] = {
        {u"Дата;Описание;Сумма\n01.02.2026;Хлеб, молоко;-120,50\n",
         {"01.02.2026 | -120.50 |  | Хлеб, молоко |  |  |  |  |  | 2"}},
        {u"Дата\tОписание\tСумма\n01.02.2026\tХлеб; молоко\t-120,50\n",
         {"01.02.2026 | -120.50 |  | Хлеб; молоко |  |  |  |  |  | 2"}},
        {u"Дата,Описание,Сумма\n01.02.2026,\"Хлеб, молоко\",\"-1 120,50\"\n",
         {"01.02.2026 | -1120.50 |  | Хлеб, молоко |  |  |  |  |  | 2"}},
        // A quoted cell over two lines: the next row still knows its own line.
        {u"Дата;Описание;Сумма\r\n01.02.2026;\"Хлеб\r\nи \"\"молоко\"\"\";-1\r\n02.02.2026;Сыр;-2\r\n",
         {"01.02.2026 | -1.00 |  | Хлеб и \"молоко\" |  |  |  |  |  | 2",
          "02.02.2026 | -2.00 |  | Сыр |  |  |  |  |  | 4"}},
        // Old Mac line ends and no line end at all after the last row.
        {u"Дата;Сумма\r01.02.2026;5\r02.02.2026;6",
         {"01.02.2026 | 5.00 |  |  |  |  |  |  |  | 2", "02.02.2026 | 6.00 |  |  |  |  |  |  |  | 3"}},
    };
    for (const auto& [text, rows] : cases) {
        const TStatement st = ReadCsvStatement(QString::fromUtf16(text));
        EXPECT_EQ(st.error, QString()) << QString::fromUtf16(text).toStdString();
        EXPECT_EQ(OperationRows(st), rows) << QString::fromUtf16(text).toStdString();
    }
}

// Signs and columns of every kind in a table of no known layout; the bad row is told by its line, and
// lines about the statement above and totals below are neither operations nor errors.
TEST(CsvTable, AnyOtherTableHasItsColumnsGuessedFromTheHeader) {
    const TStatement st = ReadStatementFile(FixturePath("custom.csv"));
    EXPECT_EQ(st.format, QStringLiteral("CSV: столбцы по выбору"));
    EXPECT_EQ(OperationRows(st), QStringList({
                                     "03.02.2026 | -1500.00 | RUB | ООО «Лента» |  |  |  |  |  | 2",
                                     "04.02.2026 | -250.00 | RUB | Возврат |  |  |  |  |  | 3",
                                     "05.02.2026 | -30000.00 | RUB | Аренда |  |  |  |  |  | 4",
                                     "06.02.2026 | -1250.00 | RUB | Кино |  |  |  |  |  | 5",
                                 }));
    EXPECT_EQ(UnrecognisedRows(st), QStringList({"не распознана: строка 6 (не сумма: «сто рублей»)"}));
    TColumnChoice expected;
    expected.headerRow = 0;
    expected.date = 0;
    expected.description = 1;
    expected.amount = 2;
    expected.currency = 3;
    EXPECT_EQ(st.columns, expected);
    ASSERT_EQ(st.firstRows.size(), 6);
    EXPECT_EQ(st.firstRows[0], QStringList({"Дата", "Получатель", "Сумма", "Валюта", "Примечание"}));
}

TEST(CsvTable, InformationAboveAndTotalsBelowAreNoOperations) {
    const QString text = QStringLiteral("Выписка по карте;;;\n"
                                        "Карта: 4276 **** **** 0042;;;\n"
                                        "Входящий остаток;;;10 000,00\n"
                                        ";;;\n"
                                        "Дата проводки;Дата операции;Расход;Приход;Назначение платежа\n"
                                        "02.02.2026;01.02.2026;1 500,00;;Аптека\n"
                                        "03.02.2026;02.02.2026;;20 000,00;Аванс\n"
                                        "Итого;;1 500,00;20 000,00;\n"
                                        "Исходящий остаток;;;28 500,00\n"
                                        "Выписка сформирована 05.02.2026;;;\n");
    const TStatement st = ReadCsvStatement(text);
    EXPECT_EQ(OperationRows(st), QStringList({
                                     "01.02.2026 | -1500.00 |  | Аптека |  |  |  | 4276********0042 |  | 6",
                                     "02.02.2026 | 20000.00 |  | Аванс |  |  |  | 4276********0042 |  | 7",
                                 }));
    EXPECT_TRUE(st.unrecognised.isEmpty());
    EXPECT_EQ(st.columns.date, 1);
    EXPECT_EQ(st.columns.expense, 2);
    EXPECT_EQ(st.columns.income, 3);
    // The empty line is no row of the table.
    EXPECT_EQ(st.columns.headerRow, 3);
}

TEST(CsvTable, WithoutAHeaderTheColumnsAreGuessedFromTheCells) {
    const QString text = QStringLiteral("Операции по счёту 40817810000000000077\n"
                                        "A-1;2026-02-01;Молоко;-89.90\n"
                                        "A-2;2026-02-02;Кафе \"Ёлки\";-1250\n"
                                        "A-3;2026-02-03;Возврат;300.00\n"
                                        "A-4;2026-02-30;Нет дня;-1.00\n");
    const TStatement st = ReadCsvStatement(text);
    EXPECT_EQ(st.error, QString());
    TColumnChoice expected;
    expected.date = 1;
    expected.description = 2;
    expected.amount = 3;
    EXPECT_EQ(st.columns, expected);
    EXPECT_EQ(OperationRows(st),
              QStringList({
                  "01.02.2026 | -89.90 |  | Молоко |  |  |  | 40817810000000000077 |  | 2",
                  "02.02.2026 | -1250.00 |  | Кафе \"Ёлки\" |  |  |  | 40817810000000000077 |  | 3",
                  "03.02.2026 | 300.00 |  | Возврат |  |  |  | 40817810000000000077 |  | 4",
              }));
    EXPECT_EQ(UnrecognisedRows(st), QStringList({"не распознана: строка 5 (нет такой даты: «2026-02-30»)"}));
    EXPECT_EQ(st.headerKey, QStringLiteral("csv-noheader-4"));
}

TEST(CsvTable, ColumnsThatCannotBeFoundAreToldAndTheRowsOfferedToChoose) {
    const QString text = QStringLiteral("Код;Имя;Заметка\nA;Хлеб;на завтрак\nB;Молоко;\n");
    const TStatement st = ReadCsvStatement(text);
    EXPECT_EQ(st.error, QStringLiteral("не найдены столбцы с датой и суммой операции"));
    EXPECT_TRUE(st.operations.isEmpty());
    EXPECT_EQ(st.firstRows.size(), 3);
    EXPECT_FALSE(st.headerKey.isEmpty());

    // The same table with the columns the user chose in the dialog: Заметка holds no sums.
    TColumnChoice choice;
    choice.headerRow = 0;
    choice.date = 0;
    choice.amount = 2;
    const TStatement chosen = ReadCsvStatement(text, &choice);
    EXPECT_EQ(chosen.error, QString());
    EXPECT_EQ(chosen.columns, choice);
    EXPECT_EQ(UnrecognisedRows(chosen), QStringList({"не распознана: строка 2 (не дата: «A»)",
                                                     "не распознана: строка 3 (не дата: «B»)"}));
}

TEST(CsvTable, AChoiceIsRememberedUnderTheKeyOfItsHeader) {
    const QString first = QStringLiteral("Дата;Сумма;Кому\n01.02.2026;-5;Хлеб\n");
    const QString second = QStringLiteral("\"дата\"; Сумма ;КОМУ\n03.03.2026;-7;Сыр\n04.03.2026;-8;Чай\n");
    const QString other = QStringLiteral("Дата;Сумма;Кому;Валюта\n01.02.2026;-5;Хлеб;RUB\n");
    const TStatement a = ReadCsvStatement(first), b = ReadCsvStatement(second), c = ReadCsvStatement(other);
    EXPECT_TRUE(a.headerKey.startsWith(QStringLiteral("csv-")));
    EXPECT_EQ(a.headerKey, b.headerKey);
    EXPECT_NE(a.headerKey, c.headerKey);
}

TEST(CsvTable, RowsTooShortOrWithoutASumAreToldByLine) {
    const QString text = QStringLiteral("Дата;Описание;Приход;Расход\n"
                                        "01.02.2026;Хлеб;;50\n"
                                        "02.02.2026;Обрыв\n"
                                        "03.02.2026;Ничего;;\n"
                                        "04.02.2026;Сыр;;1e5\n");
    const TStatement st = ReadCsvStatement(text);
    EXPECT_EQ(OperationRows(st), QStringList({"01.02.2026 | -50.00 |  | Хлеб |  |  |  |  |  | 2"}));
    EXPECT_EQ(UnrecognisedRows(st), QStringList({
                                        "не распознана: строка 3 (в строке 2 столбцов, нужно не меньше 4)",
                                        "не распознана: строка 4 (нет суммы)",
                                        "не распознана: строка 5 (не сумма: «1e5»)",
                                    }));
}

} // namespace
