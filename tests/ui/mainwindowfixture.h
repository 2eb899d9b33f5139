#pragma once

#include "ledger/iledgerhooks.h"
#include "ledger/tautosave.h"
#include "ledger/tdatereader.h"
#include "storage/atomicfile.h"
#include "storage/tmemtable.h"
#include "testfolders.h"
#include "ui/tappcontext.h"
#include "ui/tcleartablesform.h"
#include "ui/tgridcontroller.h"
#include "ui/thelperform.h"
#include "ui/titogipanel.h"
#include "ui/tkindslistcontroller.h"
#include "ui/tkindspicker.h"
#include "ui/tledgergrid.h"
#include "ui/tlowerpanel.h"
#include "ui/tmenuclass.h"
#include "ui/tpursepage.h"
#include "ui/tquorvaneform.h"
#include "ui/ttitlestrip.h"
#include "ui/ttoolbarpanel.h"
#include "ui/tuserspage.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// A picture of a widget kept where VELLUMORA_KEEP_SCREENSHOTS points, for a person to look at.
inline void KeepPicture(QWidget* w, const QString& name) {
    QApplication::processEvents();
    const QString dir = qEnvironmentVariable("VELLUMORA_KEEP_SCREENSHOTS");
    if (dir.isEmpty()) return;
    QDir().mkpath(dir);
    w->grab().save(dir + "/" + name + ".png");
}

// The main window's widgets and the objects behind them, found as they sit in the window: by their
// object names where the window has several of a kind, by their kind where it has one.
class TWindowWidgets {
public:
    explicit TWindowWidgets(const QWidget* window = nullptr) : m_window(window) {}

    TLedgerGrid* Grid(TTableKind kind) const {
        return Find<TLedgerGrid>(QStringLiteral("Grid%1").arg(TableDef(kind).gridId));
    }
    TKindsPicker* Picker(int gridId) const {
        return Find<TKindsPicker>(QStringLiteral("VidGrid%1").arg(gridId));
    }
    TKindsListView* KindsList(int gridId) const {
        return Find<TKindsListView>(QStringLiteral("BaseVidGrid%1").arg(-gridId));
    }
    TGridController* Controller(TTableKind kind) const {
        const TLedgerGrid* view = Grid(kind);
        for (TGridController* c : m_window->findChildren<TGridController*>())
            if (c->View() == view) return c;
        ADD_FAILURE() << "no controller of grid " << TableDef(kind).gridId;
        return nullptr;
    }
    TKindsListController* KindsListController(int gridId) const {
        const TKindsListView* view = KindsList(gridId);
        for (TKindsListController* c : m_window->findChildren<TKindsListController*>())
            if (c->View() == view) return c;
        ADD_FAILURE() << "no controller of kinds list " << gridId;
        return nullptr;
    }
    TToolBarPanel* ToolBar() const { return Find<TToolBarPanel>(QStringLiteral("ToolBar")); }
    TLowerPanel* Lower() const { return Find<TLowerPanel>(QStringLiteral("Panel1")); }
    TTitleStrip* Title() const { return Find<TTitleStrip>(QStringLiteral("NameGridPanel")); }
    TTitleStrip* ReturnsStrip() const { return Find<TTitleStrip>(QStringLiteral("ReturnsPanel")); }
    QTabWidget* PlanTabs() const { return Find<QTabWidget>(QStringLiteral("TabPlan")); }
    QTabWidget* BaseTabs() const { return Find<QTabWidget>(QStringLiteral("TabBase")); }
    TPursePage* PursePage() const { return Find<TPursePage>(QStringLiteral("PurseTab")); }
    TMenuClass* Menu() const { return Find<TMenuClass>(); }
    TItogiPanel* Itogi() const { return Find<TItogiPanel>(); }
    TClearTablesForm* ClearForm() const { return Find<TClearTablesForm>(); }
    TAutoSave* AutoSave() const { return Find<TAutoSave>(); }
    TUsersPage* UsersPage() const { return Find<TUsersPage>(); }

    // The one object of that kind and name in the window.
    template <class T> T* Find(const QString& name = QString()) const {
        const QList<T*> found = m_window->findChildren<T*>(name);
        if (found.size() != 1) {
            ADD_FAILURE() << found.size() << " objects " << T::staticMetaObject.className() << " \""
                          << name.toStdString() << "\" in the window";
            return nullptr;
        }
        return found.constFirst();
    }

private:
    const QWidget* m_window;
};

// The main window over a fresh base whose expense kinds come from the program's DATA folder: Еда
// (Хлеб, Кофе, Конфеты) and Дом (Посуда). Keys go to whatever widget has the keyboard. A test may put
// table files into the base before it opens (Seed, WriteTable).
class MainWindowFixture : public ::testing::Test {
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
        Seed();
        ShowWindow(context);
    }
    // The main window over a context, shown at the program's size with its base opened.
    void ShowWindow(TAppContext& over) {
        form = std::make_unique<TQuorvaneForm>(over);
        // The small input dialog given as the program gives it.
        form->SetHelperForm(&helperForm);
        ui = TWindowWidgets(form.get());
        form->resize(1136, 681);
        form->show();
        form->OpenBase();
        QApplication::setActiveWindow(form.get());
    }
    virtual void Seed() {}
    void WriteTable(const QString& fileName, const std::vector<QStringList>& rows) {
        TMemTable t;
        for (const QStringList& r : rows)
            t.AddRow()->SetCells(r);
        const QString path = context.state.baseFolder + "/" + fileName;
        MakePrivateFolder(path.left(path.lastIndexOf('/')));
        ASSERT_TRUE(t.SaveToFile(path)) << path.toStdString();
    }
    // A key for the whole window (F2 to F7), which it takes only while it is the active window.
    void WindowKey(Qt::Key key) {
        QApplication::setActiveWindow(form.get());
        QTest::keyClick(form.get(), key);
    }
    TLedgerGrid* Rashod() { return ui.Grid(TTableKind::Rashod); }
    // The expenses grid takes the keyboard with its cursor on a cell.
    void FocusExpenseCell(int col, int gridRow) {
        Rashod()->setFocus();
        TDataGrid& grid = context.state.Grid(TTableKind::Rashod);
        grid.col = col;
        grid.row = gridRow;
        Rashod()->ShowCell(col, gridRow);
    }
    QString Cell(int row, int col) { return context.state.Table(TTableKind::Rashod).Row(row)->Cell(col); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClick(w, key, mods);
    }
    // Letters of any alphabet: the key code of a letter is its upper-case code point.
    void Type(const QString& text) {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(c.toUpper().unicode()),
                                QString(c), Qt::NoModifier);
    }

    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
    TSession session;
    TAppContext context{session};
    THelperForm helperForm;
    std::unique_ptr<TQuorvaneForm> form;
    TWindowWidgets ui;
};
