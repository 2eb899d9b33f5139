#include "ui/thintpanel.h"
#include "ui/tmessagedialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QStringList Texts(const QList<QPushButton*>& buttons) {
    QStringList out;
    for (auto* b : buttons)
        out << b->text();
    return out;
}

int TextBottom(const TMessageDialog& box) {
    return box.LineLabels().last()->geometry().bottom() + 1;
}

} // namespace

TEST(TMessageDialog, KindsHaveTheirCaptionsAndButtons) {
    const struct {
        TMsgKind kind;
        const char* caption;
        QStringList buttons;
    } cases[] = {{TMsgKind::Information, "   Сообщение", {"OK"}},
                 {TMsgKind::Error, "  Ошибка", {"OK"}},
                 {TMsgKind::Question, "   Подтвердите", {"Да", "Нет"}},
                 {TMsgKind::Warning, "   Предупреждение", {"OK"}}};
    for (const auto& c : cases) {
        TMessageDialog box({c.kind, {"Строка"}, TMsgButton::OK, false});
        EXPECT_EQ(box.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(Texts(box.Buttons()), c.buttons);
    }
}

TEST(TMessageDialog, EveryLineIsALabelAndButtonsSitByTheLineCount) {
    TMessageDialog two({TMsgKind::Information, {"Первая", "Вторая строка подлиннее"}, TMsgButton::OK, false});
    ASSERT_EQ(two.LineLabels().size(), 2);
    EXPECT_EQ(two.LineLabels()[0]->text(), "Первая");
    EXPECT_EQ(two.LineLabels()[1]->geometry().top(), two.LineLabels()[0]->geometry().bottom() + 2);
    EXPECT_EQ(two.Buttons()[0]->geometry().top(), TextBottom(two) + 30);

    TMessageDialog three({TMsgKind::Question, {"a", "b", "c"}, TMsgButton::No, false});
    EXPECT_EQ(three.Buttons()[0]->geometry().top(), TextBottom(three) + 10);
    // Centred, a third of a button apart, each button as high as its text and two thirds more.
    const QRect yes = three.Buttons()[0]->geometry(), no = three.Buttons()[1]->geometry();
    EXPECT_EQ(no.left() - yes.right() - 1, yes.width() / 3);
    EXPECT_NEAR(yes.left(), three.width() - no.right() - 1, 1);
    EXPECT_EQ(yes.height(), three.fontMetrics().height() * 5 / 3);
}

TEST(TMessageDialog, DefaultButtonAnswersEnterAndEscIsNeverYes) {
    const struct {
        TMsgButton def;
        int key;
        TMsgButton expected;
    } cases[] = {{TMsgButton::No, Qt::Key_Return, TMsgButton::No},
                 {TMsgButton::Yes, Qt::Key_Return, TMsgButton::Yes},
                 {TMsgButton::Yes, Qt::Key_Escape, TMsgButton::No}};
    for (const auto& c : cases) {
        TMessageDialog box({TMsgKind::Question, {"Выйти из программы?"}, c.def, false});
        EXPECT_TRUE(box.Button(c.def)->isDefault());
        QTimer::singleShot(0, &box, [&box, key = c.key] {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &box;
            QTest::keyClick(target, Qt::Key(key));
        });
        box.exec();
        EXPECT_EQ(box.Clicked(), c.expected);
    }
}

TEST(TMessageDialog, AQuestionBetweenTwoActionsNamesThemOnItsButtons) {
    TMessage message{
        TMsgKind::Question, {"База \"Base1\" уже открыта в другой программе."}, TMsgButton::Yes, false};
    message.yesText = "Открыть только для чтения";
    message.noText = "Отмена";
    TMessageDialog box(message);
    EXPECT_EQ(box.windowTitle(), "   Подтвердите");
    EXPECT_EQ(Texts(box.Buttons()), QStringList({"Открыть только для чтения", "Отмена"}));
    const QPushButton* open = box.Button(TMsgButton::Yes);
    EXPECT_GE(open->width(), open->fontMetrics().horizontalAdvance(open->text()));
    EXPECT_EQ(box.Buttons()[1]->width(), open->width());
    EXPECT_TRUE(open->isDefault());
    QTimer::singleShot(0, &box, [&box] {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &box, Qt::Key_Return);
    });
    box.exec();
    EXPECT_EQ(box.Clicked(), TMsgButton::Yes);
}

// A message that offers something to do: its button beside "OK", which stays the default and which
// Esc gives.
TEST(TMessageDialog, AnInformationWithAnActionOffersItBesideOk) {
    TMessage message{TMsgKind::Information, {"Таблица сохранена: /tmp/a.ods"}, TMsgButton::OK, false};
    message.yesText = "Открыть папку";
    const struct {
        const char* what;
        int key;
        bool click;
        TMsgButton expected;
    } cases[] = {{"Enter", Qt::Key_Return, false, TMsgButton::OK},
                 {"Esc", Qt::Key_Escape, false, TMsgButton::OK},
                 {"the action's button", 0, true, TMsgButton::Yes}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TMessageDialog box(message);
        EXPECT_EQ(box.windowTitle(), "   Сообщение");
        EXPECT_EQ(Texts(box.Buttons()), QStringList({"Открыть папку", "OK"}));
        EXPECT_TRUE(box.Button(TMsgButton::OK)->isDefault());
        QTimer::singleShot(0, &box, [&box, &c] {
            if (c.click)
                QTest::mouseClick(box.Button(TMsgButton::Yes), Qt::LeftButton);
            else
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &box,
                                Qt::Key(c.key));
        });
        box.exec();
        EXPECT_EQ(box.Clicked(), c.expected);
    }
}

TEST(TMessageDialog, OptionBoxSitsUnderTheTextAndStartsUnticked) {
    TMessageDialog box({TMsgKind::Information, {"Файл только для чтения"}, TMsgButton::OK, true});
    ASSERT_NE(box.OptionBox(), nullptr);
    EXPECT_EQ(box.OptionBox()->text(), "Понятно. Больше не показывать это сообщение");
    EXPECT_FALSE(box.OptionTicked());
    EXPECT_EQ(box.OptionBox()->geometry().top(), TextBottom(box) + 20);
    EXPECT_GT(box.Buttons()[0]->geometry().top(), box.OptionBox()->geometry().bottom());
    box.OptionBox()->setChecked(true);
    EXPECT_TRUE(box.OptionTicked());
}

TEST(THintPanel, ANewHintReplacesTheOldAndHidesByItself) {
    QStandardItemModel model(5, 5);
    QTableView grid;
    grid.setModel(&model);
    grid.resize(400, 300);
    grid.show();
    THintPanel hint;
    hint.ShowCellHint(&grid, 1, 1, "Заполните предыдущие ячейки");
    hint.ShowCellHint(&grid, 2, 2, "Долга нет");
    EXPECT_TRUE(hint.isVisible());
    EXPECT_EQ(hint.Text(), "Долга нет");
    EXPECT_EQ(hint.pos(), grid.visualRect(model.index(2, 2)).topLeft() + QPoint(5, 5));
    hint.ShowCellHint(&grid, 4, 4, "У самого края");
    EXPECT_LE(hint.geometry().right(), grid.viewport()->width() - 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !hint.isVisible(); }, 3000));
}
