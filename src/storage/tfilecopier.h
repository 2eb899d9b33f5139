#pragma once

#include <QString>

#include <functional>
#include <vector>

// Why one entry of a copy was not copied.
enum class TCopyFailure {
    SourceMissing,     // gone, or a link that leads nowhere
    NotAFile,          // a device, a pipe, a socket, or a link to a folder (never followed)
    DestinationExists, // overwrite is off: the file at the destination is left as it is
    DestinationIsFolder,
    ReadFailed,
    WriteFailed,
    FolderNotMade,
    FolderNotListed,
    IntoItself, // the destination lies inside the source: the copy would never end
};

struct TCopyFailureEntry {
    QString source;
    QString destination;
    TCopyFailure reason;
};

// Copies folders and files. A file is written to a temporary file in its destination folder and
// renamed into place only when every byte is there, so a failed or interrupted copy never leaves a
// half-written file under the destination's name.
class TFileCopier {
public:
    static constexpr int kDefaultBufferSize = 65536;

    int bufferSize = kDefaultBufferSize;
    bool copyAttributes = true; // the permission bits
    // Last access and last write. Linux keeps no creation time that a program could set, so the
    // creation time of the original is not carried over.
    bool copyTimes = true;
    bool overwrite = false;
    // Files by this name are left where they are, as if the folder did not have them.
    std::function<bool(const QString& fileName)> skip;

    // Copies everything in source into destination, made with its missing parents. Sub-folders go
    // first, then the files, each in name order; a failed entry does not stop the rest. True only when
    // every file and sub-folder was copied. The counters start again from zero.
    bool CopyFolder(const QString& source, const QString& destination);
    bool CopyFolder(const QString& source, const QString& destination, bool attributes, bool times,
                    bool overwriteFiles);
    // One file; the counters start again from zero.
    bool CopyFile(const QString& source, const QString& destination);

    int FilesCopied() const { return m_files; }
    qint64 BytesCopied() const { return m_bytes; }
    // What was not copied by the last copy, in the order met.
    const std::vector<TCopyFailureEntry>& Failures() const { return m_failures; }

private:
    void Reset();
    bool CopyTree(const QString& source, const QString& destination);
    bool CopyOneFile(const QString& source, const QString& destination);
    bool Fail(const QString& source, const QString& destination, TCopyFailure reason);

    int m_files = 0;
    qint64 m_bytes = 0;
    std::vector<TCopyFailureEntry> m_failures;
};
