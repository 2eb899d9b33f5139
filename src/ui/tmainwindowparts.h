#pragma once

#include "storage/tabledefs.h"

#include <QMap>

#include <functional>

class QTabWidget;
class TGridController;
class THelperForm;
class TKindsListController;
class TKindsListView;
class TKindsPicker;
class TLedgerGrid;
class TLowerPanel;
class TMenuClass;
class TPursePage;
class TTitleStrip;
class TToolBarPanel;

// The main window's widgets and grid controllers, handed by the window to the pages and command
// classes it makes, so that none of them reaches back into the window for them.
struct TMainWindowParts {
    TToolBarPanel* toolbar = nullptr;
    TTitleStrip* title = nullptr;
    TLowerPanel* lower = nullptr;
    TMenuClass* menu = nullptr;
    QTabWidget* planTabs = nullptr;
    QTabWidget* baseTabs = nullptr;
    TTitleStrip* returnsStrip = nullptr;
    TPursePage* pursePage = nullptr;
    QMap<int, TGridController*> controllers;          // by table kind
    QMap<int, TKindsPicker*> pickers;                 // by grid id
    QMap<int, TKindsListView*> lists;                 // by grid id
    QMap<int, TKindsListController*> listControllers; // by grid id
    // The small input dialog: the program's, or one the window makes when given none.
    std::function<THelperForm*()> helper;

    TGridController* Controller(TTableKind kind) const { return controllers.value(int(kind)); }
    TLedgerGrid* Grid(TTableKind kind) const;
};
