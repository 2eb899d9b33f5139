#pragma once

#include "storage/fileerror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

// One save of a base, all or nothing. Every new file content is written to a temporary file beside
// its target; the files and then the folders holding them are flushed to the disk, so that the
// temporary files are there whatever a power cut keeps; then a small journal in the base folder lists
// the renames with each new content's size and SHA-256 and is flushed (the moment the save counts as
// made); then the renames are made, the folders flushed and the journal removed. A base opened after a
// crash at any instant finds either no journal (the old files, or the new ones, whole) or a complete
// journal, which is carried out, or a torn one, which is dropped with its temporary files. A temporary
// file a complete journal names and that is gone counts as put in place only when its target holds the
// new content.
//
// The files of a transaction lie in the base folder, its "Debt" folder, or the shared BASE folder
// above it (the user table). No link is followed: a link where a file should be, or a "Debt" that is a
// link, fails the save.
class TSaveTransaction {
public:
    explicit TSaveTransaction(const QString& baseFolder);
    ~TSaveTransaction();
    TSaveTransaction(const TSaveTransaction&) = delete;
    TSaveTransaction& operator=(const TSaveTransaction&) = delete;

    // Writes the new content of a file to its temporary file; nothing replaces the file before Commit.
    bool Stage(const QString& path, const QByteArray& bytes);
    // The file is removed when the transaction commits (a link or a folder by that name stays).
    void Remove(const QString& path);
    bool IsEmpty() const { return m_entries.empty() && m_removals.empty(); }
    int StagedCount() const { return int(m_entries.size()); }

    // True when every staged file holds its new content and every removed file is gone. False with
    // Error() set: before the journal was flushed nothing on disk has changed; after it, the journal
    // stays and the next save or opening of the base completes it.
    bool Commit();
    // Drops the temporary files; the files keep their old content.
    void Abort();
    const TFileError& Error() const { return m_error; }

    // More staged files than this are flushed by one flush of the whole file system rather than file
    // by file.
    static constexpr int kFilesSyncedOneByOne = 8;

private:
    struct TEntry {
        QString target;
        QString temp;
        int fd = -1;
        qint64 size = 0;
        QByteArray sha256; // hex
    };
    bool Fail(const QString& path, int code);
    bool CheckFolderOf(const QString& relative);
    bool Flush();
    bool WriteJournal();
    void SyncFolders(const QStringList& folders);

    QString m_baseFolder;
    int m_folderFd = -1;
    std::vector<TEntry> m_entries;
    QByteArray m_firstBytes;
    QStringList m_removals;
    bool m_bulk = false;
    bool m_failed = false;
    TFileError m_error;
};

namespace savejournal {
// The journal a save leaves in its base folder while it puts its files in place.
inline const QString kFileName = QStringLiteral("zhurnal");
} // namespace savejournal

// Completes or drops the journal of a save that was interrupted in a base folder. False when a
// complete journal could not be carried out (it stays for the next try, error says why): then nothing
// was renamed by this call.
bool RecoverInterruptedSave(const QString& baseFolder, TFileError* error = nullptr);

// The base as the journal of an interrupted save would leave it, read without changing anything: each
// file whose new content waits whole (size and SHA-256 as the journal says) in its temporary file is
// read from that file, every other file as it is. Empty when there is no complete journal.
struct TUnfinishedSave {
    std::map<QString, QString> newContent; // table file -> its temporary file, both as absolute paths

    // The file to read for a table file.
    QString ReadPath(const QString& path) const;
};
TUnfinishedSave InspectInterruptedSave(const QString& baseFolder);
// The same for every base folder under BASE that no other running program has open: run before
// anything reads a table of the data root.
void RecoverInterruptedSaves(const QString& baseRoot);
// True when a journal waits in a base folder under BASE (its temporary files must then stay).
bool AnySaveJournal(const QString& baseRoot);

// The journal and the temporary files of saves: never packed into an archive nor taken from one.
bool IsSaveScratchName(const QString& fileName);
