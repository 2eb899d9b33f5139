#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

// Runs a program to its end; its exit code, or -1 when it did not start or finish in time. The
// output gets stdout and stderr together.
int RunProgram(const QString& program, const QStringList& args, QString* output = nullptr,
               const QStringList& environment = {});
// The program on PATH, or empty.
QString FindProgram(const QString& name);

// Converts the files in one LibreOffice start (its own profile under work) to the format given
// ("csv" or "ods") into outDir. False when soffice is missing or fails.
bool SofficeConvert(const QStringList& files, const QString& format, const QString& outDir,
                    const QString& work, QString* output = nullptr);
// A CSV file as written by LibreOffice (comma, double quotes, UTF-8): rows of cells.
std::vector<QStringList> ReadCsv(const QString& path);

// A cell of a flat spreadsheet (.fods) as LibreOffice wrote it: its value type ("float",
// "percentage", "string", ... or empty), its value for numbers and the text it shows.
struct TSheetCell {
    QString type;
    double value = 0;
    QString text;
};
// The first sheet of a .fods file, row by row; repeated cells and rows are spelled out (up to a
// bound), merged-over cells are empty cells.
std::vector<std::vector<TSheetCell>> ReadFlatSheet(const QString& path);

// The program folder of this build.
QString ProgramDir();
