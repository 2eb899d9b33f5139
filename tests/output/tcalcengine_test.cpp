#include "output/tcalcengine.h"

#include "ledger/toperationswithnumbers.h"

#include "messagerecorder.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

namespace {

// Presses the keys of a script on the engine. Tokens are separated by spaces: a key caption ("MR",
// "+/-", "Del", "M+", "*"), a run of digits and commas typed one by one ("0,25"), or "@c" / "@c+n" to put
// the display's caret at c with n characters selected.
void Press(TCalcEngine& calc, const QString& script) {
    for (const QString& token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token.startsWith(QLatin1Char('@'))) {
            const QStringList parts = token.mid(1).split(QLatin1Char('+'));
            calc.SetCaret(parts[0].toInt(), parts.size() > 1 ? parts[1].toInt() : 0);
            continue;
        }
        int key = -1;
        for (int k = CalcM + 1; k < CalcKeyCount && key < 0; ++k) {
            if (CalcKeyCaption(k) == token) key = k;
        }
        if (key >= 0) {
            calc.Press(key);
            continue;
        }
        for (QChar c : token) {
            const int typed = CalcKeyForChar(c);
            ASSERT_GE(typed, 0) << token.toStdString();
            calc.Press(typed);
        }
    }
}

struct TScriptCase {
    const char* keys;
    const char* display;
    int beeps = 0;
};

void RunCases(const TScriptCase* begin, const TScriptCase* end) {
    for (const TScriptCase* c = begin; c != end; ++c) {
        TMessageRecorder messages;
        TCalcEngine calc;
        Press(calc, QString::fromLatin1(c->keys));
        EXPECT_EQ(calc.Display(), QString::fromLatin1(c->display)) << c->keys;
        EXPECT_EQ(messages.Beeps(), c->beeps) << c->keys;
    }
}

} // namespace

TEST(TCalcEngine, KeySequencesShowTheirResults) {
    const TScriptCase cases[] = {
        {"1 / 3 =", "0,333333333333333"},
        {"100 / 3 =", "33,3333333333333"},
        {"999999999999999 + 1 =", "1E15"},
        {"0,5 + 0,25 =", "0,75"},
        {"0,1 + 0,2 =", "0,3"},
        {"1 - 3 =", "-2"},
        {"0 - 1 * 0 =", "0"},
        {"12,5 / 0,0001 =", "125000"},
        {"1 / 7 / 10000 =", "1,42857142857143E-5"},
        // Strictly left to right, no precedence.
        {"2 + 3 * 4 =", "20"},
        {"2 + 3 - 10 / 5 =", "-1"},
        // An operation key pressed twice applies the first operation to 0.
        {"2 + +", "2"},
        {"2 * *", "0"},
        {"2 / /", "ERROR"},
        // The operand is re-read from its 15-digit text at every operation key and "=".
        {"1 / 3 = * 3 =", "0,999999999999999"},
        {"1 / 3 * 3 =", "0,999999999999999"},
        // Division by zero, and what follows it.
        {"5 / 0 =", "ERROR"},
        {"5 / 0 = 2 + 2 =", "2"},
        {"5 / 0 = C 2 + 2 =", "4"},
        {"5 / 0 = 7", "7"},
        {"5 / 0 = +/-", "ERROR"},
        // "=" shows the result again without repeating; digits typed after it give way to the result.
        {"2 + 3 = =", "5"},
        {"2 + 3 = 7 =", "5"},
        {"2 + 3 = 7 + 1 =", "6"},
        {"2 + 3 = - 1 =", "4"},
        {"2 + 3 = 7", "7"},
        // The sign of a shown result.
        {"2 + 3 = +/-", "-5"},
        {"2 + 3 = +/- + 1 =", "-4"},
        {"2 + 3 = +/- +/-", "5"},
        {"5 +/-", "-5"},
        {"5 +/- +/-", "5"},
        {"+/-", "0"},
        {"5 +/- Del +/-", "0"},
        // Tidying the entry when it is evaluated.
        {"007", "7"},
        {"0 0 7", "7"},
        {"0,50 =", "0,5"},
        {"3, =", "3"},
        {"0,0 =", "0"},
        {"100 =", "100"},
        {", 5 =", "0,5"},
        {"@0 , 5 =", "0,5"},
        {", 5 = + 1 =", "1,5"},
        // Refused keys sound the alert and change nothing.
        {"123456789012345 6", "123456789012345", 1},
        {"123456789012345 ,", "123456789012345,"},
        {"-", "0"},
        {"1,,", "1,", 1},
        {"Del", "0", 1},
        {"Del Del 5 Del", "0", 2},
        {"12 Del", "1"},
        {"+/- 5 Del", "0"},
        {"5 +/- Del", "-"},
        // Caret and selection of the display.
        {"123 @1 9", "1923"},
        {"123 @1+2 9", "19"},
        {"123 @0+3 4", "4"},
        {"123 @1 Del", "23"},
        {"123 @0 Del", "123"},
        {"123 @1 ,", "1,23"},
        {"123 @1 +/-", "-123"},
        {"C", "0"},
        {"2 + 3 C", "0"},
        {"2 + 3 C =", "0"},
    };
    RunCases(std::begin(cases), std::end(cases));
}

TEST(TCalcEngine, MemoryKeys) {
    const TScriptCase cases[] = {
        {"5 MS C 2 + MR =", "7"},
        {"5 MS C 2 + 3 MR =", "8"},
        {"5 MS C MR", "5"},
        {"5 MS C MR 3", "3"},
        // After MS, M+ and MR with nothing pending the shown value is no operand.
        {"5 MS C MR + 3 =", "3"},
        {"5 MS + 3 =", "3"},
        {"2 + 3 MS", "5"},
        {"2 + 3 = MS", "5"},
        {"2 + 3 M+ MR", "5"},
        {"2 M+ 3 M+ C MR", "5"},
        {"2 M+ MC C MR", "0"},
        {"0,50 MS", "0,5"},
        {"5 / 0 MS", "ERROR"},
        // The zeros of an exponent are no trailing zeros.
        {"1,5 * 100000000000000 * 1000000 = MS", "1,5E20"},
        {"1,5 * 100000000000000 * 1000000 = MS C + MR =", "1,5E20"},
        {"1,5 * 100000000000000 * 1000000 = MS C + MR * 1 =", "1,5E20"},
    };
    RunCases(std::begin(cases), std::end(cases));
}

TEST(TCalcEngine, MemoryIndicator) {
    TMessageRecorder messages;
    TCalcEngine calc;
    Press(calc, "12 MS");
    EXPECT_EQ(calc.MemoryIndicator(), "M");
    EXPECT_EQ(calc.Memory(), 12.0L);
    Press(calc, "MC");
    EXPECT_EQ(calc.MemoryIndicator(), "");
    EXPECT_EQ(calc.Memory(), 0.0L);
    Press(calc, "7 M+");
    EXPECT_EQ(calc.MemoryIndicator(), "");
    EXPECT_EQ(calc.Memory(), 7.0L);
    Press(calc, "C");
    EXPECT_EQ(calc.Memory(), 7.0L);
}

TEST(TCalcEngine, EntryAccumulatorAndPendingOperation) {
    TMessageRecorder messages;
    TCalcEngine calc;
    Press(calc, "2 +");
    EXPECT_EQ(calc.Entry(), "0");
    EXPECT_EQ(calc.Display(), "2");
    EXPECT_EQ(calc.Accumulator(), 2.0L);
    EXPECT_EQ(calc.Pending(), TCalcOp::Add);
    Press(calc, "3");
    EXPECT_EQ(calc.Entry(), "3");
    Press(calc, "=");
    EXPECT_EQ(calc.Pending(), TCalcOp::Equals);
    EXPECT_EQ(calc.Entry(), "0");
    EXPECT_EQ(calc.Accumulator(), 5.0L);
    EXPECT_EQ(calc.Caret(), 1);
    // Division by zero leaves the entry "0", so the next digit starts a new number.
    Press(calc, "C 5 / 0 =");
    EXPECT_EQ(calc.Entry(), "0");
    EXPECT_EQ(calc.Accumulator(), 0.0L);
    EXPECT_EQ(calc.Caret(), 5);
    // Digits go in at the caret, which moves past them.
    Press(calc, "C 12 @1 3");
    EXPECT_EQ(calc.Display(), "132");
    EXPECT_EQ(calc.Caret(), 2);
    Press(calc, "Del");
    EXPECT_EQ(calc.Display(), "12");
    EXPECT_EQ(calc.Caret(), 1);
    Press(calc, "+/-");
    EXPECT_EQ(calc.Display(), "-12");
    EXPECT_EQ(calc.Caret(), 2);
}

TEST(TCalcEngine, ResetForgetsEverythingTheMemoryToo) {
    TMessageRecorder messages;
    TCalcEngine calc;
    Press(calc, "12 MS 3 + 4 *");
    calc.Reset();
    EXPECT_EQ(calc.Display(), "0");
    EXPECT_EQ(calc.Entry(), "0");
    EXPECT_EQ(calc.Caret(), 1);
    EXPECT_EQ(calc.Accumulator(), 0.0L);
    EXPECT_EQ(calc.Memory(), 0.0L);
    EXPECT_EQ(calc.MemoryIndicator(), "");
    EXPECT_EQ(calc.Pending(), TCalcOp::None);
}

TEST(TCalcEngine, ResultsBeyondTheExtendedRange) {
    TMessageRecorder messages;
    TCalcEngine calc;
    // Squaring the memory eight times from 10^15 gives 10^3840; 78 more factors of 10^14 give 10^4932,
    // just under the largest extended value.
    QString script = "999999999999999 + 1 = MS";
    for (int i = 0; i < 8; ++i)
        script += " C 1 * MR * MR = MS";
    EXPECT_EQ(calc.Display(), "0");
    Press(calc, script);
    EXPECT_EQ(calc.Display(), "1E3840");
    script = "C 1 * MR";
    for (int i = 0; i < 78; ++i)
        script += " * 100000000000000";
    Press(calc, script + " = MS");
    EXPECT_EQ(calc.Display(), "1E4932");
    // Doubling it would overflow: M+ is refused and the memory keeps its value.
    Press(calc, "M+");
    EXPECT_EQ(messages.Beeps(), 1);
    EXPECT_EQ(calc.Memory(), ReadCalcNumber("1E4932"));
    // An overflowing operation shows ERROR and goes on from 0 as a division by zero does.
    Press(calc, "C 1 * MR * 10 =");
    EXPECT_EQ(calc.Display(), "ERROR");
    EXPECT_EQ(calc.Entry(), "0");
    Press(calc, "4 + 2 =");
    EXPECT_EQ(calc.Display(), "2");
    // Underflow fades to 0 without a fault.
    Press(calc, "C 1 / MR / MR =");
    EXPECT_EQ(calc.Display(), "0");
}

TEST(CalcNumberText, Tidy) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"007", "7"},
                 {"0,50", "0,5"},
                 {",5", "0,5"},
                 {"3,", "3"},
                 {"0,0", "0"},
                 {"100", "100"},
                 {"", "0"},
                 {",", "0"},
                 {"0", "0"},
                 {"000", "0"},
                 {"0.50", "0.5"},
                 {"-0,50", "-0,5"},
                 {"ERROR", "ERROR"},
                 {"-", "-"},
                 {"1,5E20", "1,5E20"},
                 {"1E10", "1E10"},
                 {"2,50E-70", "2,5E-70"},
                 {"100,", "100"},
                 {"10,10", "10,1"}};
    for (const auto& c : cases) {
        EXPECT_EQ(TidyNumberText(QString::fromLatin1(c.in)), QString::fromLatin1(c.out)) << c.in;
    }
}

TEST(CalcNumberText, Read) {
    const struct {
        const char* text;
        long double value;
    } cases[] = {{"", 0},
                 {"   ", 0},
                 {"5", 5},
                 {" \t7\n", 7},
                 {"-", 0},
                 {"ERROR", 0},
                 {"-ERROR", 0},
                 {"0,5", 0.5L},
                 {"0.5", 0.5L},
                 {",5", 0.5L},
                 {"-,5", -0.5L},
                 {"3,", 3},
                 {"-12,25", -12.25L},
                 {"1E15", 1e15L},
                 {"1,5E-7", 1.5e-7L},
                 {"12abc", 12},
                 {"inf", 0},
                 {"nan", 0},
                 {"0x10", 0},
                 {"+5", 0},
                 {"1E-99999", 0},
                 {"1,18973149535723E4932", 1.18973149535723e4932L}};
    for (const auto& c : cases) {
        EXPECT_EQ(ReadCalcNumber(QString::fromLatin1(c.text)), c.value) << c.text;
    }
    EXPECT_EQ(ReadCalcNumber("1E99999"), HUGE_VALL);
    EXPECT_EQ(ReadCalcNumber("-1E99999"), -HUGE_VALL);
}

TEST(CalcNumberText, ResultsReadBackWithinFifteenDigits) {
    // A result carries over to the next operation through its float text.
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 20000; ++i) {
        const long double value = mantissa(random) * std::pow(10.0L, exponent(random));
        const QString text = FloatToText(value);
        const long double back = ReadCalcNumber(text);
        ASSERT_LE(std::fabs(back - value), std::fabs(value) * 5e-15L) << text.toStdString();
        ASSERT_EQ(FloatToText(back), text);
    }
    EXPECT_EQ(FloatToText(ReadCalcNumber(FloatToText(LDBL_MAX))), FloatToText(LDBL_MAX));
}

TEST(CalcKeys, CaptionsKeyboardAndFlashes) {
    const char* const captions[] = {"M", "MC", "MR", "MS", "M+",  "7",   "4", "1", "0", "8", "5", "2",
                                    ",", "9",  "6",  "3",  "+/-", "Del", "*", "+", "=", "C", "/", "-"};
    for (int k = 0; k < CalcKeyCount; ++k) {
        EXPECT_EQ(CalcKeyCaption(k), QString::fromLatin1(captions[k])) << k;
    }

    const struct {
        char16_t typed;
        int key;
    } chars[] = {{u'7', Calc7},     {u'0', Calc0},     {u'9', Calc9},      {u',', CalcComma},
                 {u'.', CalcComma}, {u'x', CalcSign},  {u'X', -1},         {u'\b', CalcDel},
                 {u'*', CalcMul},   {u'+', CalcAdd},   {u'=', CalcEquals}, {u'\r', CalcEquals},
                 {u'/', CalcDiv},   {u'-', CalcSub},   {u'C', CalcClear},  {u'c', CalcClear},
                 {u'S', CalcClear}, {u's', CalcClear}, {u'С', CalcClear},  {u'с', CalcClear},
                 {u'a', -1},        {u'e', -1},        {u' ', -1},         {u'ч', -1}};
    for (const auto& c : chars) {
        EXPECT_EQ(CalcKeyForChar(QChar(c.typed)), c.key) << int(c.typed);
    }

    const struct {
        char16_t letter;
        int key;
    } ctrl[] = {{u'L', CalcMC},    {u'l', CalcMC}, {u'R', CalcMR}, {u'M', CalcMS},
                {u'P', CalcMPlus}, {u'Д', CalcMC}, {u'к', CalcMR}, {u'Ь', CalcMS},
                {u'з', CalcMPlus}, {u'C', -1},     {u'S', -1}};
    for (const auto& c : ctrl) {
        EXPECT_EQ(CalcKeyForCtrlLetter(QChar(c.letter)), c.key) << int(c.letter);
    }

    for (int k = CalcMC; k < CalcKeyCount; ++k) {
        const QString caption = CalcKeyCaption(k);
        const bool operation = QStringLiteral("*+=C/-").contains(caption) && caption.size() == 1;
        EXPECT_EQ(CalcFlashCount(k, true), operation ? 2 : 1) << k;
        const bool atOnce = k <= CalcMPlus || k == CalcSign;
        EXPECT_EQ(CalcFlashCount(k, false), atOnce ? 0 : 1) << k;
    }
}
