#pragma once

#include <QByteArray>
#include <QString>

// Writes a file so that it is replaced in one step: the bytes go to a temporary file in the same
// folder, which is flushed, synced and renamed over the target, and the folder is synced. A crash,
// a full disk or an I/O error in the middle leaves the old file whole. New files are private (0600).
class TAtomicFile {
public:
    explicit TAtomicFile(const QString& path);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // False when the target cannot be written (its folder is missing, or the file exists and
    // the current user may not write it).
    bool Open();
    bool Write(const char* data, qint64 size);
    bool Write(const QByteArray& bytes) { return Write(bytes.constData(), bytes.size()); }
    // Overwrites bytes already written, counted from the start of the file (a header whose values are
    // known only at the end). The position where Write goes on stays where it was.
    bool WriteAt(qint64 offset, const char* data, qint64 size);
    // Makes the new content the file's. False, with the old file untouched, on any failure.
    bool Commit();
    // Drops the temporary file; the target keeps its old content.
    void Abort();

    const QString& Path() const { return m_path; }

private:
    QString m_path;
    QByteArray m_tempName;
    int m_fd = -1;
    bool m_failed = false;
};

bool WriteFileAtomic(const QString& path, const QByteArray& bytes);

// Makes the names in a folder (files renamed into it or out of it) reach the disk.
void SyncFolder(const QString& folder);

// Removes the temporary files that a save interrupted by a crash left in a folder. Only the one
// running program writes there (its access lock says so), so none of them is in use.
void RemoveStaleTempFiles(const QString& folder);

// Creates a folder (and its missing parents) that the program owns; the folders created here are
// readable by their owner only. True when the folder exists afterwards.
bool MakePrivateFolder(const QString& path);
// The path is a folder in its own right, not a link to one: the program writes only into its own folders.
bool IsRealFolder(const QString& path);
// Makes an existing table or settings file private to its owner.
void MakePrivateFile(const QString& path);
