#include "backup/tfileunzipper.h"

#include "backup/tziparchive.h"
#include "storage/atomicfile.h"

namespace {

bool CheckNames(const std::vector<TZipItem>& items, QString& error) {
    for (const TZipItem& item : items) {
        QString relative;
        if (!item.SafeRelativePath(relative)) {
            error = QStringLiteral("Unsafe file name: ") + item.Name;
            return false;
        }
    }
    return true;
}

} // namespace

bool TFileUnzipper::List(const QString& archivePath, std::vector<TZipItem>& items) {
    m_error.clear();
    TZipArchive zip;
    if (!zip.Open(archivePath)) {
        m_error = zip.Error();
        return false;
    }
    m_directoryError = zip.DirectoryError();
    items = zip.Items();
    return true;
}

bool TFileUnzipper::Unpack(const QString& archivePath, const QString& targetFolder) {
    m_error.clear();
    TZipArchive zip;
    if (!zip.Open(archivePath)) {
        m_error = zip.Error();
        return false;
    }
    m_directoryError = zip.DirectoryError();
    if (!CheckNames(zip.Items(), m_error)) return false;
    if (!MakePrivateFolder(targetFolder)) {
        m_error = QStringLiteral("Can't create folder ") + targetFolder;
        return false;
    }
    for (const TZipItem& item : zip.Items())
        if (!zip.Extract(item, targetFolder, m_error)) return false;
    return true;
}

bool TFileUnzipper::Verify(const QString& archivePath) {
    m_error.clear();
    TZipArchive zip;
    if (!zip.Open(archivePath)) {
        m_error = zip.Error();
        return false;
    }
    m_directoryError = zip.DirectoryError();
    if (!CheckNames(zip.Items(), m_error)) return false;
    for (const TZipItem& item : zip.Items()) {
        if (item.IsFolder) continue;
        if (!zip.Decode(
                item, [](const char*, size_t) { return true; }, m_error))
            return false;
    }
    return true;
}
