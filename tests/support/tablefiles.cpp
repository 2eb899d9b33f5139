#include "tablefiles.h"

#include "storage/tmemtable.h"
#include "tablerows.h"
#include "testfolders.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

void WriteRows(const QString& path, const std::vector<QStringList>& rows) {
    TMemTable table;
    for (const QStringList& r : rows)
        table.AddRow()->SetCells(r);
    ASSERT_TRUE(WriteFileBytes(path, table.ToBytes())) << path.toStdString();
}

std::vector<QStringList> RowsOfFile(const QString& path) {
    TMemTable table;
    if (!QFileInfo(path).isFile() || !table.LoadFromFile(path)) return {};
    return Rows(table);
}

std::map<QString, QByteArray> FileBytesUnder(const QString& folder) {
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(folder).relativeFilePath(path)] = ReadFileBytes(path);
    }
    return files;
}
