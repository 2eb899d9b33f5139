#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// The statement files written for these tests, each after a bank's or a format's layout.
inline QString FixturePath(const QString& name) {
    return QStringLiteral(VELLUMORA_IMPORT_FIXTURES "/") + name;
}

inline QByteArray FixtureBytes(const QString& name) {
    QFile file(FixturePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
