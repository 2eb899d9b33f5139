#pragma once

#include <QString>

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

// "Не удалось сохранить базу", the file and the reason, in an error box.
void ReportSaveFailure(const TFileError& error);
