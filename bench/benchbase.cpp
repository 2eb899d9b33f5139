#include "benchbase.h"

#include "basegenerator.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>

const TBenchBase& BigBase() {
    static QTemporaryDir dir;
    static TBenchBase base = [] {
        TBenchBase b;
        b.dataRoot = dir.path();
        b.baseFolder = GenerateBase(b.dataRoot, QStringLiteral("Base1"), TBaseSize{});
        QDirIterator it(b.baseFolder, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            b.fileBytes += it.fileInfo().size();
        }
        return b;
    }();
    return base;
}

qint64 ReadAllFiles(const QString& folder) {
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly))
            total += f.readAll().size();
    }
    return total;
}

qint64 HeapInUse() { return qint64(mallinfo2().uordblks); }
