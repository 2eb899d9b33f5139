#pragma once

#include <QString>

// The folders the program works with, settled at start-up and read by every part of it.
struct TProgramPaths {
    QString programFolder;     // the executable's folder with the installed material
    QString programDataFolder; // locks, pathbase.ini, working templates
    QString dataRoot;          // holds BASE; ends with "/"
    QString backupCopyFolder;  // ends with "/"
};
