#pragma once

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

// The main window over a base of one family, opened as after a log-in, on 10.12.2026. A test may put
// table files into the base before it opens (Seed) and types into the window with the keyboard.
class TMainWindowTest : public ::testing::Test {
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
        MakePrivateFolder(s.baseFolder);
        Seed();
        form = std::make_unique<TQuorvaneForm>(context);
        form->resize(1136, 681);
        form->show();
        form->OpenBase();
        QApplication::setActiveWindow(form.get());
    }
    // Table files written into the base folder before it is opened.
    virtual void Seed() {}
    void WriteTable(const QString& fileName, const std::vector<QStringList>& rows) {
        TMemTable t;
        for (const QStringList& r : rows)
            t.AddRow()->SetCells(r);
        const QString path = context.state.baseFolder + "/" + fileName;
        if (fileName.contains('/'))
            MakePrivateFolder(path.left(path.lastIndexOf('/')));
        ASSERT_TRUE(t.SaveToFile(path)) << path.toStdString();
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClick(w, key, mods);
    }
    // Any text, Cyrillic included: each character is a key event carrying it.
    void Type(const QString& text) {
        for (QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClicks(QApplication::focusWidget(), QString(c));
            else
                QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
        }
    }
    // A key for the whole window (F2 to F7), which it takes only while it is the active window.
    void WindowKey(Qt::Key key) {
        QApplication::setActiveWindow(form.get());
        QTest::keyClick(form.get(), key);
    }

    TTodayOverride today{QDate(2026, 12, 10)};
    TTestDataHome home;
    TAppContext context;
    std::unique_ptr<TQuorvaneForm> form;
};
