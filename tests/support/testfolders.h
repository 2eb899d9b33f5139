#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "qtprint.h"

// A fresh shared data folder for one test: XDG_DATA_HOME points into it while the object lives.
class TTestDataHome {
public:
    TTestDataHome();
    ~TTestDataHome();
    QString Path() const { return m_dir.path(); }
    QString Share() const { return m_dir.path() + QStringLiteral("/share"); }
    QString ProgramData() const { return Share() + QStringLiteral("/Quorvane"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};

QByteArray ReadFileBytes(const QString& path);
bool WriteFileBytes(const QString& path, const QByteArray& bytes);
// Bytes from a text of hexadecimal pairs such as "06 02 03 61".
QByteArray Hex(const char* text);
// A base's lock as another program leaves it: the user "Папа" on another computer, "kuhnya", who opened
// the base at 07.03.2026 09:05 local time and last wrote the lock (and its file) secondsAgo before now.
void WriteOtherProgramsLock(const QString& baseFolder, qint64 secondsAgo = 0);
// How the program's messages name that holder.
inline const QString kOtherHolder = QStringLiteral("Папа, компьютер kuhnya, с 07.03.2026 09:05");
