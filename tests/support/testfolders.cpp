#include "testfolders.h"

#include "storage/tmemtable.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

TTestDataHome::TTestDataHome() : m_previous(qgetenv("XDG_DATA_HOME")) {
    QDir().mkpath(Share());
    qputenv("XDG_DATA_HOME", QFile::encodeName(Share()));
}

TTestDataHome::~TTestDataHome() {
    qputenv("XDG_DATA_HOME", m_previous);
}

QByteArray ReadFileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

bool WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray Hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

void WriteOtherProgramsLock(const QString& baseFolder, qint64 secondsAgo) {
    const QDateTime refreshed =
        QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() - secondsAgo, Qt::UTC);
    const QDateTime opened = QDateTime(QDate(2026, 3, 7), QTime(9, 5), Qt::LocalTime).toUTC();
    TMemTable table;
    table.AddRow()->SetCells({"Папа", "kuhnya", "0a0b0c0d", "4242", "777", opened.toString(Qt::ISODate),
                              refreshed.toString(Qt::ISODate)});
    const QString path = baseFolder + "/blokirovka";
    WriteFileBytes(path, table.ToBytes());
    QFile file(path);
    if (file.open(QIODevice::ReadWrite)) file.setFileTime(refreshed, QFileDevice::FileModificationTime);
}
