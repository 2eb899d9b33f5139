#pragma once

#include <functional>

// What the users rules ask of other parts of the program, wired at start-up. An empty hook is skipped.
struct TUserHooks {
    // The totals of the open base after its tables were read again.
    std::function<void()> recomputeTotals;
    // Every date cell of the open base rewritten as "dd.MM.yyyy" (the base optimisation).
    std::function<void()> normaliseAllDates;
    // The attribute warning for the data root's folders, before the base list is read.
    std::function<void()> checkDataRootFolders;
    // The attribute warning for the base's files, after a log-in.
    std::function<void()> checkBaseFiles;
};
