#include "backup/tfilezipper.h"

#include "backup/tziparchive.h"

#include <QDir>
#include <QFileInfo>

namespace {

void ListFolder(const QString& folder, const QString& prefix, QList<TZipFile>& files) {
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System | QDir::NoSymLinks,
        QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& info : entries) {
        const QString name = prefix + info.fileName();
        if (info.isDir())
            ListFolder(info.filePath(), name + QLatin1Char('/'), files);
        else if (info.isFile())
            files.append({info.filePath(), name});
    }
}

} // namespace

QList<TZipFile> TFileZipper::FolderFiles(const QString& folder) {
    QList<TZipFile> files;
    ListFolder(folder, QString(), files);
    return files;
}

bool TFileZipper::Pack(const QString& archivePath, const QString& folder,
                       const std::function<bool(const TZipFile&)>& leaveOut) {
    if (!QFileInfo(folder).isDir()) {
        m_error = QStringLiteral("No folder ") + folder;
        return false;
    }
    QList<TZipFile> files = FolderFiles(folder);
    // An archive written into the folder it packs must not take in its own earlier copy. Only a file of
    // the archive's name can be it, so no other one has its path worked out.
    const QFileInfo archiveInfo(archivePath);
    const QString archive = archiveInfo.absoluteFilePath();
    const QString archiveName = archiveInfo.fileName();
    files.removeIf([&](const TZipFile& f) {
        const bool sameName = f.name.endsWith(archiveName) &&
                              (f.name.size() == archiveName.size() ||
                               f.name.at(f.name.size() - archiveName.size() - 1) == QLatin1Char('/'));
        return (sameName && QFileInfo(f.path).absoluteFilePath() == archive) || (leaveOut && leaveOut(f));
    });
    return PackFiles(archivePath, files);
}

bool TFileZipper::PackFiles(const QString& archivePath, const QList<TZipFile>& files) {
    m_error.clear();
    TZipArchive zip;
    bool ok = zip.Create(archivePath, m_level);
    for (const TZipFile& f : files) {
        if (!ok) break;
        ok = zip.AddFile(f.path, f.name);
    }
    ok = ok && zip.Finish();
    if (!ok) m_error = zip.Error();
    return ok;
}
