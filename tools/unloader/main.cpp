// The export tool the program starts from NewUnloaded/ when the table on show goes to a spreadsheet.
// It takes no arguments: everything comes from the job file in the job folder the program wrote it to,
// found as the program finds it (the account's runtime folder, else the temp folder).
#include "output/desktopopen.h"
#include "output/unloadjob.h"
#include "output/unloadtool.h"
#include "storage/datafolders.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    // Only a desktop session can show the spreadsheet; without one the tool needs no display at all.
    const bool display =
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    std::unique_ptr<QCoreApplication> app;
    if (display)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    bool busy = false;
    const int lock = HoldToolLock(QCoreApplication::applicationDirPath(), busy);
    if (lock < 0 && busy) {
        std::fprintf(stderr, "vellumora-ods: another export is at work\n");
        return UnloadBusy;
    }

    TUnloadToolRun run;
    run.jobFile = JobFilePath();
    run.successNote = SuccessNotePath();
    run.templateFolder = ProgramDataFolder() + QStringLiteral("/PageMaket");
    run.today = QDate::currentDate();
    if (display) run.open = OpenWithDesktop;
    QString saved, error;
    const TUnloadToolResult result = RunUnloadTool(run, saved, error);
    if (!error.isEmpty()) std::fprintf(stderr, "vellumora-ods: %s\n", qPrintable(error));
    return result;
}
