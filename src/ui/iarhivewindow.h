#pragma once

class QWidget;

// What the archive commands ask of the main window: a restore replaces the base under it, so the base
// on screen is saved first, read again afterwards and shown from the first page.
class IArhiveWindow {
public:
    virtual ~IArhiveWindow() = default;
    // The window the archive dialogs and the wait panel belong to; disabled while a restore runs.
    virtual QWidget& Window() = 0;
    virtual bool BaseOpen() const = 0;
    // False, told to the user, when the base could not be saved.
    virtual bool SaveAll() = 0;
    virtual void OpenBase() = 0;
    virtual void RunDateOptimisation() = 0;
    virtual void ShowFirstSection() = 0;
    // The current user or its rights changed: the caption and the administrator commands follow.
    virtual void ShowUserChanged() = 0;
    // The search's matches point into rows a restore replaces.
    virtual void DiscardSearch() = 0;
};
