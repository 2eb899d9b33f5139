#pragma once

#include "backup/tzipitem.h"

#include <QString>

#include <vector>

// Unpacks an archive into a folder, checks an archive without writing anything, or lists it. A
// damaged archive ends the call with an error text, which the caller reports in its own words.
class TFileUnzipper {
public:
    // Every entry under the target folder (missing folders created, existing files replaced), each
    // with its time. Entry names are checked before anything is written: a name that could lead
    // outside the folder refuses the whole archive. An error stops at the entry where it happens;
    // the entries before it stay written, the failed one is not written at all.
    bool Unpack(const QString& archivePath, const QString& targetFolder);
    // Decodes every entry and checks its size and CRC, writing nothing.
    bool Verify(const QString& archivePath);
    // The entries of the archive; false when it cannot be opened.
    bool List(const QString& archivePath, std::vector<TZipItem>& items);

    const QString& Error() const { return m_error; }
    // Why the archive's directory had to be rebuilt from its local headers; empty when it was whole.
    const QString& DirectoryError() const { return m_directoryError; }

private:
    QString m_error;
    QString m_directoryError;
};
