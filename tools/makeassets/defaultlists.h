#pragma once

#include <QString>

// Writes the default kinds lists "vidrashod" and "viddohod" into the folder.
bool WriteDefaultLists(const QString& dataFolder);
