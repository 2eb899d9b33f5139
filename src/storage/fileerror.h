#pragma once

#include <QString>
#include <QStringList>

// Failures the system has no error number for: the program's own codes, all below zero.
namespace fileerror {
enum : int {
    kLinkInPlace = -2,      // a link stands where the program's file should be
    kFolderIsLink = -3,     // the folder is a link to somewhere else
    kNewContentLost = -4,   // an interrupted save's temporary file is gone and the file never got its content
    kNewContentBroken = -5, // an interrupted save's temporary file does not hold what the journal says
    kCannotBeChecked = -6,  // a journal of an earlier version names a temporary file that is gone
};
} // namespace fileerror

// A file operation that failed: the file (or folder) and the system's error number (or one of the
// program's own codes above).
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
// An interrupted save whose journal cannot be carried out: the file and the reason, in an error box.
void ReportUnfinishedSave(const TFileError& error);
