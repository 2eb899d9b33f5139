#include "testfolders.h"

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
