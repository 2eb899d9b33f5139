#include "ui/tcalcform.h"

#include "messagerecorder.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFrame>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A calculator shown on screen whose highlight pauses are recorded instead of waited for.
class CalcFormTest : public ::testing::Test {
protected:
    struct Pause {
        int ms;
        int defaultKey; // the key shown as the default one during the pause, or -1
        QString display;
    };

    CalcFormTest() {
        form.SetPause([this](int ms) {
            int lit = -1;
            for (int k = 0; k < CalcKeyCount; ++k) {
                if (form.Key(k)->isDefault()) lit = k;
            }
            pauses.push_back({ms, lit, form.Edit()->text()});
        });
        form.show();
        QApplication::setActiveWindow(&form);
    }

    // A key as the keyboard sends it, with its character.
    void Type(int key, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::sendKeyEvent(QTest::Click, form.Edit(), Qt::Key(key), text, mods);
    }
    void TypeText(const QString& text) {
        for (QChar c : text)
            Type(c.toUpper().unicode(), QString(c));
    }
    void Ctrl(int key, Qt::KeyboardModifiers extra = Qt::NoModifier) {
        Type(key, QString(), Qt::ControlModifier | extra);
    }
    QString Display() const { return form.Edit()->text(); }

    TMessageRecorder messages;
    TCalcForm form;
    std::vector<Pause> pauses;
};

} // namespace

TEST_F(CalcFormTest, KeysStandInTheirCellsUnderTheDisplay) {
    EXPECT_EQ(form.windowTitle(), "Калькулятор");
    const QRect display = form.Edit()->geometry();
    EXPECT_EQ(form.Edit()->objectName(), "Edit");
    EXPECT_TRUE(form.Edit()->alignment() & Qt::AlignRight);

    // Captions by cell, row by row; "M" is the memory panel.
    const char* const grid[5][6] = {{"M", "", "", "", "", ""},
                                    {"MC", "7", "8", "9", "Del", "C"},
                                    {"MR", "4", "5", "6", "*", "/"},
                                    {"MS", "1", "2", "3", "+", "-"},
                                    {"M+", "0", ",", "+/-", "=", ""}};
    for (int key = 1; key < CalcKeyCount; ++key) {
        QPushButton* button = form.Key(key);
        const QRect r = button->geometry();
        const int column = (r.left() - display.left()) / 38;
        const int row = (r.top() - display.bottom() - 1 - 3) / 28;
        EXPECT_EQ(r.left(), display.left() + column * 38) << key;
        EXPECT_EQ(r.top(), display.bottom() + 1 + 3 + row * 28) << key;
        ASSERT_TRUE(row >= 0 && row < 5 && column >= 0 && column < 6) << key;
        EXPECT_EQ(button->text(), QString::fromLatin1(grid[row][column])) << key;
        EXPECT_EQ(r.size(), QSize(key == CalcEquals ? 73 : 35, 25)) << key;
        EXPECT_TRUE(button->font().bold()) << key;
        EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << key;
        EXPECT_TRUE(button->isVisible()) << key;
    }
    EXPECT_FALSE(form.Key(CalcM)->isVisible());
    EXPECT_EQ(form.MemoryPanel()->objectName(), "PanelM");
    EXPECT_EQ(form.MemoryPanel()->geometry(), QRect(display.left(), display.bottom() + 4, 35, 25));
    // The display spans the six columns; the frame holds everything and the window fits the frame.
    EXPECT_EQ(display.width(), 5 * 38 + 35);
    EXPECT_EQ(form.Key(CalcClear)->geometry().right(), display.right());
    const QRect frame = form.Frame()->rect();
    EXPECT_TRUE(frame.contains(display));
    EXPECT_TRUE(frame.contains(form.Key(CalcEquals)->geometry()));
    EXPECT_EQ(form.size(), form.Frame()->size());
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
}

TEST_F(CalcFormTest, TypedKeysCalculate) {
    const struct {
        const char* typed;
        const char* display;
    } cases[] = {{"1/3=", "0,333333333333333"},
                 {"c999999999999999+1=", "1E15"},
                 {"c5/0=", "ERROR"},
                 {"c0.5+0,25=", "0,75"},
                 {"c2+3*4=", "20"},
                 {"c2+3=x", "-5"},
                 {"c2-7=", "-5"},
                 {"c12abc", "0"},
                 {"s12", "12"},
                 {"S3 q e", "3"}};
    for (const auto& c : cases) {
        TypeText(QString::fromLatin1(c.typed));
        EXPECT_EQ(Display(), QString::fromLatin1(c.display)) << c.typed;
    }
}

TEST_F(CalcFormTest, EnterBackspaceAndTheCyrillicEs) {
    TypeText("2+3");
    Type(Qt::Key_Return, "\r");
    EXPECT_EQ(Display(), "5");
    TypeText("7");
    Type(Qt::Key_Enter, "\r", Qt::KeypadModifier);
    EXPECT_EQ(Display(), "5");
    TypeText("c123");
    Type(Qt::Key_Backspace, "\b");
    EXPECT_EQ(Display(), "12");
    Type(0x0421, "С");
    EXPECT_EQ(Display(), "0");
    TypeText("45");
    Type(0x0421, "с");
    EXPECT_EQ(Display(), "0");
}

TEST_F(CalcFormTest, CtrlShortcutsWorkTheMemoryWithCtrlAlone) {
    TypeText("12");
    Ctrl(Qt::Key_M);
    EXPECT_EQ(form.MemoryPanel()->text(), "M");
    Ctrl(Qt::Key_L);
    EXPECT_EQ(form.MemoryPanel()->text(), "");
    TypeText("7");
    Ctrl(Qt::Key_P);
    EXPECT_EQ(form.MemoryPanel()->text(), "");
    EXPECT_EQ(form.Engine().Memory(), 7.0L);
    TypeText("c2+");
    Ctrl(Qt::Key_R);
    TypeText("=");
    EXPECT_EQ(Display(), "9");

    // With Shift or Alt held, or on other letters, nothing happens.
    TypeText("c5");
    Ctrl(Qt::Key_M, Qt::ShiftModifier);
    Ctrl(Qt::Key_M, Qt::AltModifier);
    Ctrl(Qt::Key_L, Qt::ShiftModifier);
    Ctrl(Qt::Key_C);
    EXPECT_EQ(form.Engine().Memory(), 7.0L);
    EXPECT_EQ(Display(), "5");
    // The same keys of the Russian layout.
    Ctrl(0x042C); // Ь on the M key
    EXPECT_EQ(form.Engine().Memory(), 5.0L);
    Ctrl(0x0414); // Д on the L key
    EXPECT_EQ(form.MemoryPanel()->text(), "");
}

TEST_F(CalcFormTest, OtherInputLeavesTheDisplayAlone) {
    TypeText("123");
    QApplication::clipboard()->setText("999");
    Ctrl(Qt::Key_V);
    Type(Qt::Key_Insert, QString(), Qt::ShiftModifier);
    Type(Qt::Key_Delete, QString());
    Type(Qt::Key_Home, QString());
    Type(Qt::Key_Delete, QString());
    Ctrl(Qt::Key_X);
    Ctrl(Qt::Key_Z);
    Type(Qt::Key_A, "a");
    Type(Qt::Key_7, "7", Qt::AltModifier);
    QTest::mouseClick(form.Edit(), Qt::MiddleButton);
    EXPECT_EQ(Display(), "123");
    // Caret and selection still move, and a digit goes in at the caret.
    Type(Qt::Key_Right, QString());
    TypeText("9");
    EXPECT_EQ(Display(), "1923");
    Type(Qt::Key_End, QString(), Qt::ShiftModifier);
    TypeText("4");
    EXPECT_EQ(Display(), "194");
    Ctrl(Qt::Key_A);
    TypeText("5");
    EXPECT_EQ(Display(), "5");
    // An input method's text counts as typed keys.
    QInputMethodEvent commit;
    commit.setCommitString("+2=");
    QApplication::sendEvent(form.Edit(), &commit);
    EXPECT_EQ(Display(), "7");
}

TEST_F(CalcFormTest, RefusedKeysSoundTheAlert) {
    TypeText("123456789012345");
    TypeText("6");
    EXPECT_EQ(Display(), "123456789012345");
    EXPECT_EQ(messages.Beeps(), 1);
    TypeText(",");
    TypeText(",");
    EXPECT_EQ(Display(), "123456789012345,");
    EXPECT_EQ(messages.Beeps(), 2);
}

TEST_F(CalcFormTest, MouseLeftButtonPressActsAndFocusReturnsToTheDisplay) {
    QTest::mousePress(form.Key(Calc7), Qt::LeftButton);
    EXPECT_EQ(Display(), "7");
    QTest::mouseRelease(form.Key(Calc7), Qt::LeftButton);
    EXPECT_EQ(Display(), "7");
    QTest::mouseClick(form.Key(Calc8), Qt::RightButton);
    QTest::mouseClick(form.Key(Calc8), Qt::MiddleButton);
    EXPECT_EQ(Display(), "7");
    QTest::mouseClick(form.Key(CalcMul), Qt::LeftButton);
    QTest::mouseClick(form.Key(Calc3), Qt::LeftButton);
    QTest::mouseClick(form.Key(CalcEquals), Qt::LeftButton);
    EXPECT_EQ(Display(), "21");
    QTest::mouseClick(form.Key(CalcMS), Qt::LeftButton);
    EXPECT_EQ(form.MemoryPanel()->text(), "M");
    EXPECT_TRUE(form.Edit()->hasFocus());
}

TEST_F(CalcFormTest, KeysFlashAsTheDefaultKeyBeforeActing) {
    const auto flashes = [this](const std::function<void()>& press) {
        pauses.clear();
        press();
        std::vector<int> lit;
        for (const Pause& p : pauses) {
            EXPECT_EQ(p.ms, 100);
            lit.push_back(p.defaultKey);
        }
        return lit;
    };
    using Keys = std::vector<int>;
    EXPECT_EQ(flashes([&] { TypeText("7"); }), Keys{Calc7});
    // The key is lit before it acts, and no longer afterwards.
    EXPECT_EQ(pauses[0].display, "0");
    EXPECT_EQ(Display(), "7");
    EXPECT_FALSE(form.Key(Calc7)->isDefault());
    EXPECT_EQ(flashes([&] { TypeText("."); }), Keys{CalcComma});
    EXPECT_EQ(flashes([&] { Type(Qt::Key_Backspace, "\b"); }), Keys{CalcDel});
    EXPECT_EQ(flashes([&] { TypeText("+"); }), Keys{CalcAdd});
    EXPECT_EQ(flashes([&] { Type(Qt::Key_Return, "\r"); }), Keys{CalcEquals});
    EXPECT_EQ(flashes([&] { Type(0x0421, "С"); }), Keys{CalcClear});
    EXPECT_EQ(flashes([&] { TypeText("x"); }), Keys{});
    EXPECT_EQ(flashes([&] { Ctrl(Qt::Key_M); }), Keys{});
    EXPECT_EQ(flashes([&] { QTest::mouseClick(form.Key(Calc5), Qt::LeftButton); }), Keys{Calc5});
    EXPECT_EQ(flashes([&] { QTest::mouseClick(form.Key(CalcMR), Qt::LeftButton); }), Keys{CalcMR});
    EXPECT_EQ(flashes([&] { QTest::mouseClick(form.Key(CalcSign), Qt::LeftButton); }), Keys{CalcSign});
    for (int key : {CalcMul, CalcAdd, CalcEquals, CalcClear, CalcDiv, CalcSub}) {
        EXPECT_EQ(flashes([&] { QTest::mouseClick(form.Key(key), Qt::LeftButton); }), (Keys{key, key}))
            << key;
    }
    EXPECT_EQ(flashes([&] { QTest::mouseClick(form.Key(Calc5), Qt::RightButton); }), Keys{});
}

TEST_F(CalcFormTest, EscClosesAndEveryOpeningStartsAfresh) {
    TypeText("12");
    Ctrl(Qt::Key_M);
    TypeText("+3");
    Type(Qt::Key_Escape, QString());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);

    form.show();
    EXPECT_EQ(Display(), "0");
    EXPECT_EQ(form.Edit()->cursorPosition(), 1);
    EXPECT_EQ(form.MemoryPanel()->text(), "");
    EXPECT_EQ(form.Engine().Memory(), 0.0L);
    EXPECT_EQ(form.Engine().Pending(), TCalcOp::None);
    TypeText("4=");
    EXPECT_EQ(Display(), "4");
}

TEST(TCalcForm, TheHighlightHoldsTheKeyBackATenthOfASecond) {
    TCalcForm form;
    form.show();
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(form.Edit(), Qt::Key_7);
    EXPECT_GE(clock.elapsed(), 100);
    EXPECT_EQ(form.Edit()->text(), "7");
    clock.restart();
    QTest::mouseClick(form.Key(CalcAdd), Qt::LeftButton);
    EXPECT_GE(clock.elapsed(), 200);
    EXPECT_FALSE(form.Key(CalcAdd)->isDefault());
}

TEST(OpenCalculator, TheWindowOpensOverTheMainWindowOnlyWhenNoDesktopCalculatorStarts) {
    QWidget mainWindow;
    mainWindow.setGeometry(200, 150, 800, 600);
    mainWindow.show();
    TCalcForm form;
    QStringList tried;
    OpenCalculator(form, &mainWindow, [&](const QString& program) {
        tried << program;
        return program == QLatin1String("kcalc");
    });
    EXPECT_EQ(tried, QStringList({"gnome-calculator", "kcalc"}));
    EXPECT_FALSE(form.isVisible());

    bool shownModal = false;
    QPoint centre;
    QTimer::singleShot(0, &form, [&] {
        shownModal = form.isVisible() && form.isModal();
        centre = form.geometry().center();
        QTest::keyClick(form.Edit(), Qt::Key_Escape);
    });
    OpenCalculator(form, &mainWindow, [](const QString&) { return false; });
    EXPECT_TRUE(shownModal);
    const QPoint offCentre = centre - mainWindow.geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 1);
    EXPECT_FALSE(form.isVisible());
}
