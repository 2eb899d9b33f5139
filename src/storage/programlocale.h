#pragma once

// The program's locale, settled first thing in main() before any other use of QLocale (the test
// programs do the same). Dates "dd.MM.yyyy" and the decimal comma are the program's own Russian
// forms, and Qt's own dialogs list dates, sizes and file types in Russian too, whatever locale the
// session has; the C library and the programs started from this one keep the session's own.
void UseRussianLocale();
