#include "output/tcalcengine.h"
#include "storage/textrules.h"

#include "ledger/toperationswithnumbers.h"
#include "storage/tmessageboxclass.h"

#include <QByteArray>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

const QString kError = QStringLiteral("ERROR");
const QString kZero = QStringLiteral("0");
constexpr int kMaxDigitEntry = 15;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

QString CalcKeyCaption(int key) {
    static const char* const captions[CalcKeyCount] = {"M",   "MC",  "MR", "MS", "M+", "7", "4", "1",
                                                       "0",   "8",   "5",  "2",  ",",  "9", "6", "3",
                                                       "+/-", "Del", "*",  "+",  "=",  "C", "/", "-"};
    return key >= 0 && key < CalcKeyCount ? QString::fromLatin1(captions[key]) : QString();
}

int CalcKeyForChar(QChar typed) {
    static const int digitKeys[10] = {Calc0, Calc1, Calc2, Calc3, Calc4, Calc5, Calc6, Calc7, Calc8, Calc9};
    if (typed >= QLatin1Char('0') && typed <= QLatin1Char('9')) return digitKeys[typed.unicode() - '0'];
    switch (typed.unicode()) {
    case ',':
    case '.':
        return CalcComma;
    case 'x':
        return CalcSign;
    case '\b':
        return CalcDel;
    case '*':
        return CalcMul;
    case '+':
        return CalcAdd;
    case '=':
    case '\r':
        return CalcEquals;
    case '/':
        return CalcDiv;
    case '-':
        return CalcSub;
    case 'C':
    case 'c':
    case 'S':
    case 's':
    case 0x0421: // Cyrillic Es, the letter on the C key of the Russian layout
    case 0x0441:
        return CalcClear;
    default:
        return -1;
    }
}

int CalcKeyForCtrlLetter(QChar letter) {
    switch (letter.toUpper().unicode()) {
    case 'L':
    case 0x0414:
        return CalcMC;
    case 'R':
    case 0x041A:
        return CalcMR;
    case 'M':
    case 0x042C:
        return CalcMS;
    case 'P':
    case 0x0417:
        return CalcMPlus;
    default:
        return -1;
    }
}

int CalcFlashCount(int key, bool byMouse) {
    if (key <= CalcM || key >= CalcKeyCount) return 0;
    const bool operation = key == CalcMul || key == CalcAdd || key == CalcEquals || key == CalcClear ||
                           key == CalcDiv || key == CalcSub;
    if (byMouse) return operation ? 2 : 1;
    return key < Calc7 || key == CalcSign ? 0 : 1;
}

QString TidyNumberText(QString text) {
    // The exponent of a shown result stays as it is: its zeros are no trailing zeros ("1,5E20").
    QString exponent;
    const qsizetype e = text.indexOf(QLatin1Char('E'), 1, Qt::CaseInsensitive);
    if (e > 0 && (text.at(e - 1).isDigit() || text.at(e - 1) == QLatin1Char(','))) {
        exponent = text.mid(e);
        text.truncate(e);
    }
    while (text.startsWith(QLatin1Char('0')))
        text.remove(0, 1);
    qsizetype mark = text.indexOf(QLatin1Char(','));
    if (mark < 0) mark = text.indexOf(QLatin1Char('.'));
    if (mark == 0) text.prepend(QLatin1Char('0'));
    if (mark >= 0) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
    }
    if (text.endsWith(QLatin1Char(',')) || text.endsWith(QLatin1Char('.'))) text.chop(1);
    if (text.isEmpty() || text == QLatin1String(",")) text = kZero;
    return text + exponent;
}

long double ReadCalcNumber(const QString& text) {
    QByteArray s = TrimBlanks(text).toLatin1();
    s.replace(',', '.');
    // Only a plain decimal number counts; from_chars would also take "inf" and "nan".
    const char* p = s.constData();
    const char* end = p + s.size();
    const char* q = p + (p != end && *p == '-' ? 1 : 0);
    if (q == end || !(IsDigit(*q) || (*q == '.' && q + 1 != end && IsDigit(q[1])))) return 0;
    long double value = 0;
    const auto res = std::from_chars(p, end, value);
    if (res.ec == std::errc::result_out_of_range) {
        const char* exp = std::find_if(p, res.ptr, [](char c) { return c == 'e' || c == 'E'; });
        const bool tiny = exp != res.ptr && exp + 1 != res.ptr && exp[1] == '-';
        const long double magnitude = tiny ? 0.0L : HUGE_VALL;
        return *p == '-' ? -magnitude : magnitude;
    }
    return res.ec == std::errc() ? value : 0;
}

void TCalcEngine::Reset() {
    m_entry = kZero;
    m_accumulator = 0;
    m_pending = TCalcOp::None;
    m_memory = 0;
    m_memoryLit = false;
    Show(kZero);
    m_selection = 0;
}

void TCalcEngine::SetCaret(int caret, int selectionLength) {
    const int length = int(m_display.size());
    m_caret = std::clamp(caret, 0, length);
    m_selection = std::clamp(selectionLength, 0, length - m_caret);
}

QString TCalcEngine::MemoryIndicator() const {
    return m_memoryLit ? QStringLiteral("M") : QString();
}

void TCalcEngine::Press(int key) {
    if (key >= Calc7 && key <= CalcDel && m_entry == kError) m_entry = kZero;
    switch (key) {
    case CalcMC:
        m_memory = 0;
        m_memoryLit = false;
        break;
    case CalcMR:
        MemoryRecall();
        break;
    case CalcMS:
        MemoryStore();
        break;
    case CalcMPlus:
        MemoryAdd();
        break;
    case CalcComma:
        Comma();
        break;
    case CalcSign:
        Sign();
        break;
    case CalcDel:
        Delete();
        break;
    case CalcMul:
        Operation(TCalcOp::Mul);
        break;
    case CalcAdd:
        Operation(TCalcOp::Add);
        break;
    case CalcDiv:
        Operation(TCalcOp::Div);
        break;
    case CalcSub:
        Operation(TCalcOp::Sub);
        break;
    case CalcEquals:
        Equals();
        break;
    case CalcClear:
        Clear();
        break;
    default:
        if (key >= Calc7 && key < CalcKeyCount) Digit(CalcKeyCaption(key).at(0));
        break;
    }
}

void TCalcEngine::Show(const QString& text) {
    m_display = text;
    m_caret = int(text.size());
    m_selection = 0;
}

void TCalcEngine::InsertAtCaret(QChar c) {
    const int caret = m_caret;
    m_entry = m_entry.left(caret) + c + m_entry.mid(caret + m_selection);
    Show(m_entry);
    SetCaret(caret + 1);
}

void TCalcEngine::Digit(QChar digit) {
    if (m_entry.size() >= kMaxDigitEntry) {
        Messages().Beep();
        return;
    }
    if (m_entry == kZero) m_entry.clear();
    InsertAtCaret(digit);
}

void TCalcEngine::Comma() {
    if (m_entry.contains(QLatin1Char(','))) {
        Messages().Beep();
        return;
    }
    InsertAtCaret(QLatin1Char(','));
}

void TCalcEngine::Sign() {
    const auto flip = [](QString& text, int& caret) {
        if (!text.startsWith(QLatin1Char('-'))) {
            text.prepend(QLatin1Char('-'));
            ++caret;
        } else {
            text.remove(0, 1);
            --caret;
        }
    };
    int caret = m_caret;
    if (m_entry != kZero) {
        flip(m_entry, caret);
        // Taking the sign off a lone "-" leaves nothing typed, which the entry shows as "0".
        if (m_entry.isEmpty()) m_entry = kZero;
        Show(m_entry);
        SetCaret(caret);
    } else if (m_display != kZero && m_display != kError) {
        QString shown = m_display;
        flip(shown, caret);
        Show(shown);
        SetCaret(caret);
        m_accumulator = ReadCalcNumber(m_display);
    }
}

void TCalcEngine::Delete() {
    if (m_entry == kZero) {
        Messages().Beep();
        return;
    }
    if (m_entry.size() == 1) {
        m_entry = kZero;
        Show(m_entry);
        return;
    }
    const int caret = m_caret;
    if (caret > 0) m_entry.remove(caret - 1, 1);
    Show(m_entry);
    SetCaret(caret - 1);
}

void TCalcEngine::Clear() {
    m_entry = kZero;
    m_accumulator = 0;
    m_pending = TCalcOp::None;
    Show(kZero);
}

void TCalcEngine::Evaluate() {
    m_entry = TidyNumberText(m_entry);
    Show(m_entry);
    const long double value = ReadCalcNumber(m_entry);
    switch (m_pending) {
    case TCalcOp::None:
        return;
    case TCalcOp::Add:
        m_accumulator += value;
        break;
    case TCalcOp::Sub:
        m_accumulator -= value;
        break;
    case TCalcOp::Mul:
        m_accumulator *= value;
        break;
    case TCalcOp::Div:
        if (value == 0)
            m_entry = kError;
        else
            m_accumulator /= value;
        break;
    case TCalcOp::Equals:
        break;
    }
    if (m_entry != kError) {
        // A result beyond the extended range is no number to go on with: it is shown as a failed division is.
        if (std::isfinite(m_accumulator)) {
            m_entry = FloatToText(m_accumulator);
        } else {
            m_entry = kError;
            m_accumulator = 0;
        }
    }
    Show(m_entry);
    if (m_entry == kError) m_entry = kZero;
}

void TCalcEngine::Operation(TCalcOp op) {
    const TCalcOp previous = m_pending;
    Evaluate();
    m_pending = op;
    if (!(op == TCalcOp::Add && previous == TCalcOp::Equals)) m_accumulator = ReadCalcNumber(m_entry);
    m_entry = kZero;
}

void TCalcEngine::Equals() {
    Evaluate();
    m_pending = TCalcOp::Equals;
    m_accumulator = ReadCalcNumber(m_entry);
    m_entry = kZero;
}

void TCalcEngine::MemoryStore() {
    if (m_pending != TCalcOp::None) {
        Evaluate();
        m_pending = TCalcOp::None;
    }
    const QString shown = TidyNumberText(m_display);
    m_memory = ReadCalcNumber(shown);
    m_entry = kZero;
    m_memoryLit = true;
    Show(shown);
}

void TCalcEngine::MemoryAdd() {
    if (m_pending != TCalcOp::None) {
        Evaluate();
        m_pending = TCalcOp::None;
    }
    const long double sum = m_memory + ReadCalcNumber(m_display);
    if (std::isfinite(sum))
        m_memory = sum;
    else
        Messages().Beep();
    m_entry = kZero;
}

void TCalcEngine::MemoryRecall() {
    m_accumulator = ReadCalcNumber(TidyNumberText(m_display));
    m_entry = TidyNumberText(FloatToText(m_memory));
    Show(m_entry);
    if (m_pending == TCalcOp::None) m_entry = kZero;
}
