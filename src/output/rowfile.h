#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// The row file an export hands to the export tool ("unloaded_base.txt"): items of a 4-byte
// little-endian length and that many bytes of Windows-1251 text, one item per cell, and after each
// row an item holding the single byte 0x0D. An empty cell is one space; a table without rows is one
// row of two-space cells.
QByteArray RowFileBytes(const std::vector<QStringList>& rows, int columns);
// Truncates the file and writes the rows; false when the file could not be written whole.
bool WriteRowFile(const QString& path, const std::vector<QStringList>& rows, int columns);

// The rows read back, cells as the grid showed them (a one-space cell is empty again, the row of an
// empty table gives no rows). False with a text when the file is missing or damaged.
bool ReadRowFile(const QString& path, std::vector<QStringList>& rows, QString& error);
bool ParseRowFile(const QByteArray& bytes, std::vector<QStringList>& rows, QString& error);
