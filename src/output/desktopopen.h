#pragma once

#include <QString>

// Opens a file or a folder with the application the desktop gives its type. xdg-open starts whether or
// not any application takes the file, so the desktop's own associations are asked first: false when
// none is set for the type, or when opening fails. Where the associations cannot be asked, opening is
// simply tried. Only a GUI application can open anything.
bool OpenWithDesktop(const QString& path);
