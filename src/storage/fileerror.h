#pragma once

#include <QString>
#include <QStringList>

// A file operation that failed: the file (or folder) and the system's error number.
struct TFileError {
    QString path;
    int code = 0;

    bool Failed() const { return code != 0; }
    // The system's reason in the program's words.
    QString Reason() const;
    // Keeps the first failure of a sequence of operations.
    void SetOnce(const QString& failedPath, int errorCode) {
        if (!Failed()) {
            path = failedPath;
            code = errorCode != 0 ? errorCode : -1;
        }
    }
};

// The system's reason for an error number, in Russian.
QString SystemReason(int code);

// "Файл: " with the file and "Причина: " with the system's reason, as a failed save is told.
QStringList SaveFailureDetails(const TFileError& error);
// "Не удалось сохранить базу" and the details, in an error box.
void ReportSaveFailure(const TFileError& error);

// The sign the windows keep up while the last save of the open base has failed.
inline QString UnsavedMark() {
    return QStringLiteral("Не сохранено");
}
