#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// A reader of table files written from their format alone, so that the checks of what the program
// wrote do not go through the program's own reader. It is stricter than a loader has to be: the
// program never writes slack bytes after a row's cells, so any byte a row does not account for is an
// error here.
struct TTableFile {
    std::vector<QStringList> rows; // the rows read before an error, if any
    QString error;                 // empty when the whole file was read
};

TTableFile ReadTableBytes(const QByteArray& bytes);
// A missing file is an error: a check never expects a table the program did not write.
TTableFile ReadTableFile(const QString& path);
