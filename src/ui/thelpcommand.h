#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// The help document's file name in the program folder (kept scrambled, like the help items).
QString HelpFileName();
QString HelpItemCaption();  // "Справка"
QString AboutItemCaption(); // "О программе"

// F1: opens the help document with the desktop's viewer, or says why it cannot and names the file.
void OpenHelp(const QString& programFolder, const std::function<bool(const QUrl&)>& open = {});
