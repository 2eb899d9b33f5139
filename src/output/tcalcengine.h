#pragma once

#include <QString>

// The keys of the calculator, numbered as the window creates them; the number selects the action.
enum TCalcKey : int {
    CalcM = 0, // never shown: its cell holds the memory indicator
    CalcMC,
    CalcMR,
    CalcMS,
    CalcMPlus,
    Calc7,
    Calc4,
    Calc1,
    Calc0,
    Calc8,
    Calc5,
    Calc2,
    CalcComma,
    Calc9,
    Calc6,
    Calc3,
    CalcSign,
    CalcDel,
    CalcMul,
    CalcAdd,
    CalcEquals,
    CalcClear,
    CalcDiv,
    CalcSub,
    CalcKeyCount
};

enum class TCalcOp { None, Add, Sub, Mul, Div, Equals };

QString CalcKeyCaption(int key);
// The key a typed character stands for ("7", "," or ".", "x", "*", "+", "=", "/", "-", the clear letters
// C, S and the Cyrillic Es in either case, Enter as '\r', Backspace as '\b'), or -1.
int CalcKeyForChar(QChar typed);
// The memory key of a Ctrl shortcut by the letter on the key: L, R, M, P, or the Cyrillic letters on the
// same keys of the Russian layout (Д, К, Ь, З), in either case; -1 for any other letter.
int CalcKeyForCtrlLetter(QChar letter);
// How many 100 ms highlight pauses come before the key acts: a mouse press on an operation key or "C"
// takes two, any other mouse press one; from the keyboard the character keys take one, while the sign
// key and the memory shortcuts act at once.
int CalcFlashCount(int key, bool byMouse);

// A number text as the calculator tidies it: no leading zeros, no trailing zeros after the decimal
// mark, no dangling mark, "0" for nothing. An exponent ("1,5E20") is left as it stands.
QString TidyNumberText(QString text);
// The value of a display or entry text: "," or "." as the decimal mark, an optional leading "-", an
// optional exponent; a text that does not begin with a number ("", "-", "ERROR") reads as 0.
long double ReadCalcNumber(const QString& text);

// The calculator's state and the action of every key. The view passes in the display's caret and
// selection before a key and afterwards shows Display() with the caret at Caret().
class TCalcEngine {
public:
    TCalcEngine() { Reset(); }

    // Everything back to the opening state, the memory included.
    void Reset();
    // The display's caret (characters before it) and the length of the selection after it.
    void SetCaret(int caret, int selectionLength = 0);
    void Press(int key);

    const QString& Display() const { return m_display; }
    int Caret() const { return m_caret; }
    const QString& Entry() const { return m_entry; }
    long double Accumulator() const { return m_accumulator; }
    long double Memory() const { return m_memory; }
    // "M" while the memory indicator is lit, else empty.
    QString MemoryIndicator() const;
    TCalcOp Pending() const { return m_pending; }

private:
    void Digit(QChar digit);
    void Comma();
    void Sign();
    void Delete();
    void Clear();
    void Operation(TCalcOp op);
    void Equals();
    void MemoryStore();
    void MemoryAdd();
    void MemoryRecall();
    void Evaluate();
    void InsertAtCaret(QChar c);
    // Shows a text with the caret at its end; keys that place the caret elsewhere do so afterwards.
    void Show(const QString& text);

    QString m_entry;
    QString m_display;
    long double m_accumulator = 0;
    long double m_memory = 0;
    TCalcOp m_pending = TCalcOp::None;
    bool m_memoryLit = false;
    int m_caret = 0;
    int m_selection = 0;
};
