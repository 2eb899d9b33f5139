#pragma once

class QCoreApplication;

// What main() settles before the first window; the tests call the same functions.

// The C library's character type in UTF-8 whatever locale the session has (a login without LANG has
// none): window captions reach the X server in it, and every caption of the program is Russian.
void UseUtf8CharacterType();

// Qt's own dialogs and standard buttons (the file, folder and print dialogs, "Отмена", ...) in Russian,
// from Qt's translations (Debian's qt6-translations-l10n), the names of the file dialog's file types
// included. False when they are not installed: the program then runs with Qt's English texts.
bool LoadQtTranslations(QCoreApplication& app);
