#pragma once

#include <QByteArray>
#include <QString>

// The Windows code pages the program's older files and passwords were written in.
QString FromCp1251(const QByteArray& bytes);
QByteArray ToCp1251(const QString& text); // characters without a code become '?'
QString FromCp866(const QByteArray& bytes);
QByteArray ToCp866(const QString& text);
