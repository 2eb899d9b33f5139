#include "mainwindowfixture.h"
#include "messagerecorder.h"
#include "ui/tcelleditors.h"
#include "ui/tkindspicker.h"
#include "ui/tledgergrid.h"

#include <QLineEdit>

namespace {

class MainWindow : public MainWindowFixture {};

} // namespace

TEST_F(MainWindow, AnExpenseTypedWithTheKeyboardAlone) {
    TMessageRecorder boxes;
    Rashod()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), Rashod());
    Key(Qt::Key_Right); // onto "Вид расхода"
    Key(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), form->Picker(5));
    Key(Qt::Key_Return);
    ASSERT_TRUE(context.editors.IsOpen());
    EXPECT_EQ(context.editors.Kind(), TEditorKind::Number);
    Type("2+3*4");
    EXPECT_EQ(context.editors.LineEditor()->text(), "2+3*4");
    Key(Qt::Key_Return);
    EXPECT_EQ(Cell(0, 3), "14");
    EXPECT_EQ(Cell(0, 6), "Мама");
    EXPECT_EQ(Cell(0, 0), "10.12.2026");
    EXPECT_TRUE(boxes.Boxes().empty());
}
