#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// The users found in the daily copies of the bases, for a user table that was found empty.
struct TCopiedUsers {
    struct TCopy {
        QString base;
        QDate day; // the day the copy was written
    };
    std::vector<QStringList> rows; // name, base, role, password code, as the user file stores them
    std::vector<TCopy> copies;     // the copy each base's users were taken from
};

// What the users rules ask of other parts of the program, wired at start-up. An empty hook is skipped.
struct TUserHooks {
    // The totals of the open base after its tables were read again.
    std::function<void()> recomputeTotals;
    // Every date cell of the open base rewritten as "dd.MM.yyyy" (the base optimisation).
    std::function<void()> normaliseAllDates;
    // The attribute warning for the data root's folders, before the base list is read.
    std::function<void()> checkDataRootFolders;
    // The attribute warning for the base's files, after a log-in to a base this program may write.
    std::function<void()> checkBaseFiles;
    // The users kept in the newest daily copy of each base that has them.
    std::function<TCopiedUsers()> usersFromDailyCopies;
    // The open base's records were moved to another base and read again: nothing before can be taken
    // back, for the reason given.
    std::function<void(const QString& why)> forgetHistory;
};
