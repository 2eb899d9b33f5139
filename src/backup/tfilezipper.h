#pragma once

#include "backup/zipmethods.h"

#include <QList>
#include <QString>

#include <functional>

// A file to pack and its name inside the archive ("/" between folders).
struct TZipFile {
    QString path;
    QString name;
};

// Packs files into a new archive. The archive replaces an existing file of that name only once it is
// complete; a failure leaves the earlier file as it was and tells why in Error().
class TFileZipper {
public:
    explicit TFileZipper(int level = ZipDefaultLevel) : m_level(level) {}

    // Every file under the folder, sub-folders included, but the archive itself and the files
    // leaveOut picks.
    bool Pack(const QString& archivePath, const QString& folder,
              const std::function<bool(const TZipFile&)>& leaveOut = {});
    bool PackFiles(const QString& archivePath, const QList<TZipFile>& files);
    const QString& Error() const { return m_error; }

    // The files under a folder in the order they are packed: each folder's entries by name, without
    // regard to letter case, the contents of a sub-folder where the sub-folder comes. Symbolic links
    // are left out.
    static QList<TZipFile> FolderFiles(const QString& folder);

private:
    int m_level;
    QString m_error;
};
