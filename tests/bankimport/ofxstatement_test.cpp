// OFX statements, SGML and XML, several accounts, dates with zones, damaged files.
#include "bankimport/ofxstatement.h"
#include "bankimport/statementfile.h"
#include "fixtures.h"
#include "statementrows.h"

#include "qtprint.h"

#include <gtest/gtest.h>

namespace {

// A checking account in roubles and a credit card in dollars in one SGML file written in Windows-1251.
// The day is the one the bank wrote, whatever its zone: 23:59:59 in New York is still 31 January. The
// day the user made the operation (DTUSER) comes before the day it was posted. A transfer's account
// (BANKACCTTO) is not the statement's; a sum in euros is turned into dollars by its rate.
TEST(Ofx, SgmlWithTwoAccounts) {
    const TStatement st = ReadStatementFile(FixturePath("two_accounts.ofx"));
    EXPECT_EQ(st.error, QString());
    EXPECT_EQ(st.format, QStringLiteral("OFX"));
    EXPECT_EQ(
        OperationRows(st),
        QStringList({
            "15.01.2026 | -1234.56 | RUB | ПЯТЁРОЧКА 123, Москва |  |  |  | 40817810000000000001 | A1 | 16",
            "20.01.2026 | 50000.00 | RUB | Зарплата & премия |  |  |  | 40817810000000000001 | A2 | 17",
            "21.01.2026 | -1000.00 | RUB | На карту |  |  |  | 40817810000000000001 | A3 | 18",
            "31.01.2026 | -10.10 | USD | Shop |  | 5999 |  | 4111********1111 | C1 | 23",
            "30.01.2026 | -21.70 | USD | Hotel |  |  |  | 4111********1111 | C2 | 24",
        }));
    EXPECT_EQ(st.Accounts(), QStringList({"40817810000000000001", "4111********1111"}));
    EXPECT_TRUE(st.unrecognised.isEmpty());
}

TEST(Ofx, XmlWithPayeeAggregateAndEntities) {
    const TStatement st = ReadStatementFile(FixturePath("statement.ofx"));
    EXPECT_EQ(st.error, QString());
    EXPECT_EQ(OperationRows(st),
              QStringList({
                  "10.01.2026 | -349.90 | RUB | Вкусвилл, Покупка <карта *2002> |  |  |  | "
                  "40817810200000000002 | X-0001 | 10",
                  "11.01.2026 | -100.00 | RUB | Комиссия |  |  |  | 40817810200000000002 | X-0002 | 12",
              }));
}

TEST(Ofx, DamagedFilesAreRefusedWholeOrTheirBadOperationsTold) {
    const QByteArray good = FixtureBytes("two_accounts.ofx");
    ASSERT_FALSE(good.isEmpty());
    // Cut short anywhere after the header: in an operation, between them, before the closing tag.
    for (const qsizetype at :
         {good.indexOf("<STMTTRN>") + 30, good.indexOf("</BANKTRANLIST>"), good.size() - 9}) {
        const TStatement st = ReadStatementBytes(good.left(at));
        EXPECT_EQ(st.error, QStringLiteral("файл OFX обрывается, не дописан до конца")) << at;
        EXPECT_TRUE(st.operations.isEmpty());
    }
    EXPECT_EQ(ReadStatementFile(FixturePath("truncated.ofx")).error,
              QStringLiteral("файл OFX обрывается, не дописан до конца"));
    EXPECT_EQ(ReadStatementBytes("OFXHEADER:100\nDATA:OFXSGML\n\n<HTML>nothing</HTML>").error,
              QStringLiteral("в файле OFX нет раздела <OFX>"));

    QByteArray bad = good;
    bad.replace("<DTPOSTED>20260120", "<DTPOSTED>20260231");
    bad.replace("<TRNAMT>-1000", "<TRNAMT>-1O00");
    const TStatement st = ReadStatementBytes(bad);
    EXPECT_EQ(st.error, QString());
    EXPECT_EQ(st.operations.size(), 3);
    EXPECT_EQ(UnrecognisedRows(st), QStringList({"не распознана: строка 17 (нет такой даты: «20260231»)",
                                                 "не распознана: строка 18 (не сумма: «-1O00»)"}));
}

TEST(Ofx, CodePageNamedInTheHeader) {
    const QByteArray latin =
        "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\nENCODING:USASCII\nCHARSET:1252\n\n"
        "<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS><CURDEF>EUR<BANKACCTFROM><ACCTID>FR76</BANKACCTFROM>"
        "<BANKTRANLIST><STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20260105<TRNAMT>-3.20<FITID>F1"
        "<NAME>Caf\xe9 cr\xe8me</STMTTRN></BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>";
    const TStatement st = ReadStatementBytes(latin);
    EXPECT_EQ(OperationRows(st),
              QStringList({"05.01.2026 | -3.20 | EUR | Café crème |  |  |  | FR76 | F1 | 7"}));
}

} // namespace
