#include "ledger/iledgerhooks.h"
#include "ledger/tdatereader.h"
#include "messagerecorder.h"
#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "testfolders.h"
#include "ui/tappcontext.h"
#include "ui/tcelleditors.h"
#include "ui/tkindspicker.h"
#include "ui/tledgergrid.h"
#include "ui/tquorvaneform.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        TMyType& s = context.state;
        s.paths.programFolder = home.Path() + "/program";
        TMemTable kinds;
        kinds.AddRow()->SetCells({"Еда", "Хлеб", "Кофе", "Конфеты"});
        kinds.AddRow()->SetCells({"Дом", "Посуда"});
        MakePrivateFolder(s.paths.programFolder + "/DATA");
        kinds.SaveToFile(s.paths.programFolder + "/DATA/vidrashod");
        s.paths.dataRoot = home.Path() + "/";
        s.userName = "Мама";
        s.baseName = "Семья";
        s.baseFolder = home.Path() + "/BASE/Семья";
        s.admin = true;
        form = std::make_unique<TQuorvaneForm>(context);
        form->resize(1136, 681);
        form->show();
        form->OpenBase();
        QApplication::setActiveWindow(form.get());
    }
    TLedgerGrid* Rashod() { return form->Grid(TTableKind::Rashod); }
    QString Cell(int row, int col) { return context.state.Table(TTableKind::Rashod).Row(row)->Cell(col); }
    void Key(Qt::Key key) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClick(w, key);
    }
    void Type(const QString& text) {
        for (QChar c : text)
            QTest::keyClicks(QApplication::focusWidget(), QString(c));
    }

    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
    TNoLedgerHooks hooks;
    TAppContext context{hooks};
    std::unique_ptr<TQuorvaneForm> form;
};

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
