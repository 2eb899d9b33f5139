#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

// A table file written with these rows, its folders made.
void WriteRows(const QString& path, const std::vector<QStringList>& rows);
// The rows of a table file; empty when it is missing or cannot be read.
std::vector<QStringList> RowsOfFile(const QString& path);
// Every file under a folder with its bytes, by its path relative to the folder.
std::map<QString, QByteArray> FileBytesUnder(const QString& folder);
