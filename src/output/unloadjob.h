#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

// The files an export shares with the export tool, all in the job folder "Quorvane": the job file, the
// row file and the tool's success note. The folder lies in the account's own runtime folder
// ($XDG_RUNTIME_DIR) when there is one, else in the temp folder; it is made when missing and is this
// account's alone.
struct TUnloadFolder {
    QString path;
    QString reason; // why the folder cannot be used; empty when it can

    bool Usable() const { return reason.isEmpty(); }
};
TUnloadFolder ResolveUnloadFolder();
// The job folder, or empty when it cannot be used.
QString UnloadFolder();
QString JobFilePath();     // "path_unloaded"
QString RowFilePath();     // "unloaded_base.txt"
QString SuccessNotePath(); // "success"

// One export job as the job file "path_unloaded" holds it.
struct TUnloadJob {
    QString saveFileName;    // `SaveFileName`: the spreadsheet's path without its extension
    QString rowFilePath;     // `Name_UnloadedPath`
    QStringList columnNames; // `NameCols`, each caption followed by ";"
    int sumColumn = -1;      // `SumCol`
    int dateColumn = -1;     // `DataCol`
    bool percent = false;    // `Proz`
    QString totalSum;        // `ItogSum`: a number with a decimal comma, or empty
    int number = 0;          // `NumberTable`
    QRect window;            // `Pozition`: the main window's place and size
};

// "Дата;Сумма;" for the captions Дата and Сумма, and back.
QString JoinColumnNames(const QStringList& names);
QStringList SplitColumnNames(const QString& text);

// Keeps the job file's other sections, erases "Unloaded" and writes every key of the job, in the
// single-byte code page. False when the file could not be written.
bool WriteJobFile(const QString& path, const TUnloadJob& job);
// False when the file cannot be read or names no row file.
bool ReadJobFile(const QString& path, TUnloadJob& job);

// The tool's note: section "Success", key `Success`; a missing file or key reads as false. Beside it
// the key `Opened` tells whether the desktop opened the saved spreadsheet; a note without it reads as
// opened.
bool ReadSuccessNote(const QString& path);
bool ReadOpenedNote(const QString& path);
bool WriteSuccessNote(const QString& path, bool success, bool opened = true);
