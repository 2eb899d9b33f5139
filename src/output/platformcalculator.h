#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Starts a program by name, detached from this process; true when it started.
using TProgramStarter = std::function<bool(const QString& program)>;

// The desktop calculators tried, in order: GNOME, KDE, MATE, the GTK ones, and plain X.
const QStringList& PlatformCalculators();

// Starts the first desktop calculator that can be started; false when none could, and the program's
// own calculator window is to be shown instead.
bool StartPlatformCalculator(const TProgramStarter& start = {});
