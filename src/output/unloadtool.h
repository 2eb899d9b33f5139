#pragma once

#include <QDate>
#include <QString>

#include <functional>

// The export tool's run, started by the program without arguments: it reads the job and the rows,
// fills the template of the export number and saves the spreadsheet under the job's name.
struct TUnloadToolRun {
    QString jobFile;        // JobFilePath()
    QString successNote;    // SuccessNotePath()
    QString templateFolder; // the program data folder's PageMaket
    QDate today;
    // Opens the saved spreadsheet with the desktop's application; empty when there is no display.
    std::function<bool(const QString& path)> open;
};

// What a run ended with, as the tool's exit code.
enum TUnloadToolResult : int {
    UnloadDone = 0,
    UnloadBadJob = 2,
    UnloadBadRows = 3,
    UnloadNotSaved = 4,
    UnloadBusy = 5,
};

// Writes the note Success=0 first, so that a run that stops half-way never reads as done, and
// Success=1 only once the spreadsheet is saved and the desktop was asked to open it, with whether it
// did (`Opened`). A template that is missing or cannot be filled gives
// way to a plain spreadsheet of the rows. The saved file's path comes back, and the error of a run
// that failed, or why the template was not used.
TUnloadToolResult RunUnloadTool(const TUnloadToolRun& run, QString& savedPath, QString& error);

// The lock the tool holds while it works: the file `ToolLockName()` in its folder, locked exclusively
// without waiting. The descriptor stays open for the life of the process;
// -1 with busy set when another process holds it, -1 without busy when it cannot be opened at all.
int HoldToolLock(const QString& folder, bool& busy);
