#include "ledger/toperationswithnumbers.h"

#include "messagerecorder.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace {

struct NumberCase {
    const char* text;
    long double value;
    bool ok;
};

TEST(ParseNumber, ReadsCommaOrPointWithBlanksAroundAndRefusesAnythingElse) {
    const NumberCase cases[] = {
        {"12.50", 12.5L, true},
        {"12,50", 12.5L, true},
        {" \t12,5  ", 12.5L, true},
        {"", 0, false},
        {"   ", 0, false},
        {"1 000", 0, false},
        {"-0,5", -0.5L, true},
        {"+3", 3, true},
        {",5", 0.5L, true},
        {"5,", 5, true},
        {"1E3", 1000, true},
        {"1,5e-2", 0.015L, true},
        {"-", 0, false},
        {",", 0, false},
        {"1,2,3", 0, false},
        {"1.2.3", 0, false},
        {"12abc", 0, false},
        {"abc", 0, false},
        {"1e", 0, false},
        {"1e+", 0, false},
        {"--1", 0, false},
        {"1e99999", 0, false},
        {"inf", 0, false},
        {"nan", 0, false},
        {"0,1", 0.1L, true},
        {"123456789,12", 123456789.12L, true},
        {"00012", 12, true},
        {"-0", 0, true},
    };
    for (const auto& c : cases) {
        const TNumberRead r = ParseNumber(QString::fromUtf8(c.text));
        EXPECT_EQ(r.ok, c.ok) << c.text;
        EXPECT_EQ(r.value, c.value) << c.text;
    }
}

// The short forms are computed without the library reader: they must give the very same value.
TEST(ParseNumber, AgreesWithTheFullReaderOnRandomTexts) {
    std::mt19937_64 rng(7);
    for (int k = 0; k < 20000; ++k) {
        std::string text;
        if (rng() % 4 == 0) text += '-';
        const int intDigits = int(rng() % 22);
        for (int i = 0; i < intDigits; ++i)
            text += char('0' + rng() % 10);
        if (intDigits == 0 || rng() % 2) {
            text += ',';
            const int fracDigits = 1 + int(rng() % 30);
            for (int i = 0; i < fracDigits; ++i)
                text += char('0' + (rng() % 3 == 0 ? 0 : rng() % 10));
        }
        std::string ascii = text;
        for (char& ch : ascii)
            ch = ch == ',' ? '.' : ch;
        long double expected = 0;
        std::from_chars(ascii.data(), ascii.data() + ascii.size(), expected);
        const TNumberRead r = ParseNumber(QString::fromStdString(text));
        ASSERT_TRUE(r.ok) << text;
        ASSERT_EQ(r.value, expected) << text;
    }
}

TEST(ParseInt, DecimalIntegersOnly) {
    const struct {
        const char* text;
        int value;
    } cases[] = {
        {"  42 ", 42},
        {"", 0},
        {"-7", -7},
        {"+7", 7},
        {"12a", 0},
        {"1.5", 0},
        {"-", 0},
        {"2147483647", 2147483647},
        {"2147483648", 0},
        {"-2147483648", std::numeric_limits<int>::min()},
        {"99999999999999999999", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseInt(QString::fromUtf8(c.text)), c.value) << c.text;
    EXPECT_EQ(IntToText(-15), QStringLiteral("-15"));
}

TEST(IsNotBlank, OnlyCharactersUpToTheSpaceCountAsBlank) {
    EXPECT_FALSE(IsNotBlank(u""));
    EXPECT_FALSE(IsNotBlank(u" \t\r\n "));
    EXPECT_TRUE(IsNotBlank(u" a "));
    EXPECT_TRUE(IsNotBlank(u"\u00a0")); // a no-break space is a character like any other
}

struct FloatCase {
    long double value;
    const char* text;
};

TEST(FloatToText, FifteenDigitsCommaAndExponentForms) {
    const FloatCase cases[] = {
        {100.0L / 3, "33,3333333333333"},
        {2.0L / 3, "0,666666666666667"},
        {1e15L, "1E15"},
        {1.5e-7L, "1,5E-7"},
        {0, "0"},
        {-0.0L, "0"},
        {0.0001L, "0,0001"},
        {0.00001L, "1E-5"},
        {999999999999999.0L, "999999999999999"},
        {999999999999999.9L, "1E15"},
        {-2.5L, "-2,5"},
        {100, "100"},
        {-120000, "-120000"},
        {-999999999999999.0L, "-999999999999999"},
        {1234567.891L, "1234567,891"},
        {1e20L, "1E20"},
        {-1.23456789012345678e-10L, "-1,23456789012346E-10"},
        {0.1L + 0.2L, "0,3"},
        {123456789012345.0L, "123456789012345"},
        {std::numeric_limits<long double>::infinity(), "0"},
        {std::numeric_limits<long double>::quiet_NaN(), "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToText(c.value), QString::fromUtf8(c.text)) << double(c.value);
}

TEST(RoundTo, HalvesGoToEvenInBothSteps) {
    const FloatCase cases[] = {
        {12.5L, "12,5"}, {2.125L, "2,12"},      {3.375L, "3,38"}, {-2.125L, "-2,12"}, {0.5L, "0,5"},
        {1e15L, "1E15"}, {100.0L / 3, "33,33"}, {-0.004L, "0"},   {7, "7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplayRound(c.value), QString::fromUtf8(c.text)) << double(c.value);
    EXPECT_EQ(RoundTo(0, 2.5L), 2.0L);
    EXPECT_EQ(RoundTo(0, 3.5L), 4.0L);
}

struct FormulaCase {
    const char* text;
    int decimals;
    const char* result;
};

TEST(EvaluateFormula, GrammarAndItsQuirks) {
    const FormulaCase cases[] = {
        {"(1,5+2,5)*3", 2, "12,00"},
        {"1/3", 2, "0,33"},
        {"2.125", 2, "2,13"}, // the digit after the last decimal decides, not halves to even
        {"1,005", 2, "1,00"}, // 1,005 is a little less than that in double
        {"0,005", 2, "0,01"},
        {"10/0", 2, "10,00"},
        {"10/0*2", 2, "20,00"},
        {"5+a", 2, "5,00"},
        {"12abc", 2, "12,00"},
        {"abc", 2, "0,00"},
        {"1.2.3", 2, "1,20"},
        {",5", 2, "0,00"},
        {"2+3*4", 2, "14,00"},
        {"2-3-4", 2, "-5,00"},
        {"8/2/2", 2, "2,00"},
        {"-(2+3)", 2, "-5,00"},
        {"--2", 2, "2,00"},
        {"+-+2", 2, "-2,00"},
        {"(2+3", 2, "5,00"},
        {"(2+3]*2", 2, "10,00"},
        {" 1 + 2 ", 2, "3,00"},
        {"1 000+5", 2, "1005,00"}, // spaces are skipped everywhere, digit groups included
        {"-0,004", 2, "0,00"},
        {"2/3", 0, "1"},
        {"2/3", 4, "0,6667"},
        {"", 2, "0,00"},
        {"=5", 2, "0,00"},
        {"99,995", 2, "100,00"},
        {"7*0", 2, "0,00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EvaluateFormula(QString::fromUtf8(c.text), c.decimals), QString::fromUtf8(c.result))
            << c.text;
}

TEST(EvaluateFormula, HugeAndDeepInputsStaySafe) {
    const QString huge = QStringLiteral("1") + QString(400, u'0');
    EXPECT_EQ(EvaluateFormula(huge, 2), QStringLiteral("INF"));
    EXPECT_EQ(EvaluateFormula(huge + QStringLiteral("-") + huge, 2), QStringLiteral("NAN"));
    EXPECT_EQ(EvaluateFormula(QStringLiteral("0,") + QString(400, u'0') + QStringLiteral("1+1"), 2),
              QStringLiteral("1,00"));
    // Nesting far beyond any real formula is cut off instead of exhausting the stack.
    const QString deep = QString(100000, u'(') + QStringLiteral("1");
    EXPECT_EQ(EvaluateFormula(deep, 2), QStringLiteral("0,00"));
    EXPECT_EQ(EvaluateFormula(QString(50, u'(') + QStringLiteral("2*3"), 2), QStringLiteral("6,00"));
    EXPECT_EQ(EvaluateFormula(QString(100000, u'-') + QStringLiteral("1"), 2), QStringLiteral("1,00"));
}

TEST(CheckFormula, ParenthesisRules) {
    const struct {
        const char* text;
        bool ok;
    } cases[] = {
        {"2*(3+4)", true}, {"(2+3", true},  {"12,5", true},    {"=(1,5+2,5)*3", true}, {"((2))", true},
        {"(1)", true},     {"abc", true},   {"(-2)", false},   {"2(3)", false},        {"(2+)", false},
        {")2(", false},    {"(2)3", false}, {"(2)(3)", false}, {"(2),5", false},       {"2,(3)", false},
        {"())(", false},   {"(*2)", false}, {"(2))", false},   {"(2*)", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckFormula(QString::fromUtf8(c.text)), c.ok) << c.text;
}

struct SumCase {
    const char* text;
    const char* stored;
};

TEST(NormalizeSum, StoredTexts) {
    const SumCase cases[] = {
        {"", "0"},
        {" ", "0"},
        {"=", "0"},
        {"(", "0"},
        {"=(1,5+2,5)*3", "12"},
        {"0,50", "0,5"},
        {"7,", "7"},
        {"5+", "5"},
        {"1/3", "0,33"},
        {"-2,5", "-2,5"},
        {"=2*(3+4)", "14"},
        {"10/0", "10"},
        {"(2+3", "5"},
        {"0,005", "0,01"},
        {"-0,5", "-0,5"},
        {",5", "0"},
        {"100", "100"},
        {"0", "0"},
        {"-0", "0"},
        {"12abc", "12"},
        {"abc", "0"},
        {"-", "0"},
        {"=-", "0"},
        {"1.5", "1,5"},
        {"0010,10", "10,1"},
        {"-0,004", "0"},
        {"5*", "5"},
        {"5//", "5"},
        {"12345678901234,56", "12345678901234,56"},
    };
    for (const auto& c : cases) {
        TMessageRecorder recorder;
        EXPECT_EQ(NormalizeSum(QString::fromUtf8(c.text)), QString::fromUtf8(c.stored)) << c.text;
        EXPECT_TRUE(recorder.Boxes().empty()) << c.text;
    }
}

TEST(ReadSum, TextsANumberCellRefusesAndWhy) {
    const struct {
        const char* text;
        TSumRefusal refusal;
        const char* stored; // when taken
    } cases[] = {
        // A division by zero is no amount anybody meant, wherever it stands.
        {"10/0", TSumRefusal::DivisionByZero, ""},
        {"=10/0", TSumRefusal::DivisionByZero, ""},
        {"7/0+3", TSumRefusal::DivisionByZero, ""},
        {"10/(5-5)", TSumRefusal::DivisionByZero, ""},
        {"0/0", TSumRefusal::DivisionByZero, ""},
        {"0/5", TSumRefusal::None, "0"},
        // Text the formula reader stops in is neither a number nor a formula.
        {"abc", TSumRefusal::NotANumber, ""},
        {"12abc", TSumRefusal::NotANumber, ""},
        {"5+a", TSumRefusal::NotANumber, ""},
        {"error", TSumRefusal::NotANumber, ""}, // what a paste that fails the formula check opens with
        {",5", TSumRefusal::NotANumber, ""},
        {"123456789012345678", TSumRefusal::TooBig, ""},
        {"99999999999*99999999", TSumRefusal::TooBig, ""},
        // What the design reads stays taken: a missing ")" at the end, one trailing operator, blanks.
        {"(2+3", TSumRefusal::None, "5"},
        {"=2*(3+4)", TSumRefusal::None, "14"},
        {"2+3*4", TSumRefusal::None, "14"},
        {"5+", TSumRefusal::None, "5"},
        {"1 000", TSumRefusal::None, "1000"},
        {"", TSumRefusal::None, "0"},
        {"=", TSumRefusal::None, "0"},
        {"-", TSumRefusal::None, "0"},
        {"12345678901234,56", TSumRefusal::None, "12345678901234,56"},
    };
    for (const auto& c : cases) {
        TMessageRecorder recorder;
        const TSumRead read = ReadSum(QString::fromUtf8(c.text));
        EXPECT_EQ(read.refusal, c.refusal) << c.text;
        if (c.refusal == TSumRefusal::None) {
            EXPECT_EQ(read.text, QString::fromUtf8(c.stored)) << c.text;
        }
        EXPECT_TRUE(recorder.Boxes().empty()) << c.text;
    }
    EXPECT_EQ(SumRefusalMessage(TSumRefusal::DivisionByZero), QStringLiteral("Деление на ноль"));
    EXPECT_EQ(SumRefusalMessage(TSumRefusal::NotANumber), QStringLiteral("Введите число или формулу"));
    EXPECT_EQ(SumRefusalMessage(TSumRefusal::TooBig), QStringLiteral("Вы ввели слишком большое число!"));
}

TEST(NormalizeSum, OversizedNumbersAreRefusedWithTheMessage) {
    const char* cases[] = {
        "123456789012345678", // 18 digits
        "-12345678901234,56", // 18 characters with the sign
        "99999999999*99999999",
    };
    for (const char* text : cases) {
        TMessageRecorder recorder;
        EXPECT_EQ(NormalizeSum(QString::fromUtf8(text)), QStringLiteral("0")) << text;
        EXPECT_EQ(recorder.Boxes(),
                  std::vector<TMessage>{Error({QStringLiteral("Вы ввели слишком большое число!")})})
            << text;
    }
    // Not a finite number is as good as too big: never "INF" or "NAN" in a table.
    const QString huge = QStringLiteral("1") + QString(400, u'0');
    for (const QString& text : {huge, huge + QStringLiteral("-") + huge}) {
        TMessageRecorder recorder;
        EXPECT_EQ(NormalizeSum(text), QStringLiteral("0"));
        EXPECT_EQ(recorder.Boxes().size(), 1u);
    }
}

// Types the keys one after another at the end of the text (Backspace: "\b").
QString TypeKeys(const QString& keys, int* beeps) {
    TMessageRecorder recorder;
    TOperationsWithNumbers editor;
    editor.Reset();
    QString text;
    for (QChar key : keys) {
        const auto accepted = editor.FilterKey(key, text, int(text.size()));
        if (!accepted) continue;
        if (*accepted == kBackspaceKey)
            text.chop(1);
        else
            text.append(*accepted);
    }
    *beeps = recorder.Beeps();
    return text;
}

TEST(NumberKeyFilter, TypingSequences) {
    const struct {
        const char* keys;
        const char* text;
        int beeps;
    } cases[] = {
        {"1,5+2,5", "1,5+2,5", 0},
        {"1,5,", "1,5", 1}, // one decimal comma per operand
        {"1.5", "1,5", 0},  // the point is typed as a comma
        {"1..", "1,", 1},
        {"1=", "1", 1}, // "=" only at the start
        {"=5", "=5", 0},
        {"==", "=", 1},
        {"-5", "-5", 0},  // a leading minus is a sign
        {"5--", "5-", 1}, // no two operators in a row
        {"*", "", 1},
        {"+5", "5", 1},
        {"2(", "2", 1},
        {")", "", 1},
        {"(2+)", "(2+", 1},
        {"(-", "(", 1},
        {"(2)", "(2)", 0},
        {"(2))", "(2)", 1},
        {"a5", "5", 1},
        {" ", "", 1},
        {"=-5", "=5", 1},
        {"5,5*2,5/3", "5,5*2,5/3", 0},
        {"1,\b,5", "1,5", 0}, // a comma removed with Backspace can be typed again
        {"=(", "=(", 0},
        {"=)", "=", 1},
    };
    for (const auto& c : cases) {
        int beeps = 0;
        QString keys = QString::fromUtf8(c.keys);
        keys.replace(u'\b', kBackspaceKey);
        EXPECT_EQ(TypeKeys(keys, &beeps), QString::fromUtf8(c.text)) << c.keys;
        EXPECT_EQ(beeps, c.beeps) << c.keys;
    }
}

TEST(NumberKeyFilter, CaretDecides) {
    TMessageRecorder recorder;
    TNumberKeySet allowed = TNumberKeySet::StartSet();
    EXPECT_EQ(NumberKeyFilter(u'-', QStringLiteral("5"), 0, allowed), QChar(u'-'));
    EXPECT_EQ(NumberKeyFilter(u'-', QStringLiteral("-5"), 0, allowed), std::nullopt);
    EXPECT_EQ(NumberKeyFilter(u'=', QStringLiteral("5"), 0, allowed), QChar(u'='));
    EXPECT_FALSE(allowed.Contains(u'='));
    EXPECT_EQ(NumberKeyFilter(u'(', QStringLiteral("2+3"), 2, allowed), QChar(u'('));
    EXPECT_EQ(NumberKeyFilter(u')', QStringLiteral("(2+3"), 3, allowed), std::nullopt);
    EXPECT_EQ(recorder.Beeps(), 2);
}

} // namespace
