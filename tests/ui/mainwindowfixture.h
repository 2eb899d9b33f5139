#pragma once

#include "ledger/iledgerhooks.h"
#include "ledger/tdatereader.h"
#include "storage/atomicfile.h"
#include "storage/tmemtable.h"
#include "testfolders.h"
#include "ui/tappcontext.h"
#include "ui/tquorvaneform.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

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
        form = std::make_unique<TQuorvaneForm>(context);
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
    TLedgerGrid* Rashod() { return form->Grid(TTableKind::Rashod); }
    QString Cell(int row, int col) { return context.state.Table(TTableKind::Rashod).Row(row)->Cell(col); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClick(w, key, mods);
    }
    // Letters of any alphabet: the key code of a letter is its upper-case code point.
    void Type(const QString& text) {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
    }

    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
    TSession session;
    TAppContext context{session};
    std::unique_ptr<TQuorvaneForm> form;
};
