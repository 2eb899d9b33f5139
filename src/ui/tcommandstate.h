#pragma once

#include <QMap>
#include <QString>

// Which toolbar buttons and menu items are shown and enabled for the page, tab and view on show and
// the user's role. Computed without widgets; the main window applies it.
struct TCommandContext {
    int section = 0; // 0..5
    int baseTab = 0; // 0 expense kinds, 1 income names, 2 purses, 3 users
    bool returnsCurrent = false;
    bool editorOpen = false;
    bool lastColumn = false; // the current cell is in the view's last column
    bool admin = true;
    bool ownUserRow = false; // the users grid's current row is the logged-in user's
};

struct TCommandFlags {
    bool visible = true;
    bool enabled = true;
};

struct TCommandState {
    bool toolbarVisible = true;
    // Toolbar buttons by name (PravkaButton, DeleteButton, AddVidButton, DelVidButton, RenameVidButton,
    // BaseUserButton, ParolButton) and menu items by name.
    QMap<QString, TCommandFlags> items;
    bool actionsMenuVisible = true;
    bool adminMenuVisible = true;
    bool adminMenuEnabled = true;
    bool sortMenuVisible = true;
    bool sortMenuEnabled = true;

    TCommandFlags Item(const QString& name) const { return items.value(name, TCommandFlags{false, false}); }
};

TCommandState ComputeCommandState(const TCommandContext& context);
