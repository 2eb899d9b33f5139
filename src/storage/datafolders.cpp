#include "storage/datafolders.h"

#include "storage/atomicfile.h"
#include "storage/tinistorage.h"
#include "storage/tmessageboxclass.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kSection = QStringLiteral("path base");
const QString kPath = QStringLiteral("path");
const QString kCopyPath = QStringLiteral("copypath");
const QString kMissing = QStringLiteral("NO");

QStringList DamagedLines() {
    return {QStringLiteral("Базы программы повреждены!"), QStringLiteral("Vellumora откроет базы,"),
            QStringLiteral("которые находятся в папке по умолчанию."),
            QStringLiteral("После входа в программу укажите путь"), QStringLiteral("к Вашим базам данных")};
}

} // namespace

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return name;
    if (folder.endsWith(QLatin1Char('/'))) return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString WithTrailingSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString ResolvedPath(const QString& path) {
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    while (!QFileInfo::exists(existing) && existing != QLatin1String("/")) {
        const QFileInfo info(existing);
        rest = rest.isEmpty() ? info.fileName() : info.fileName() + QLatin1Char('/') + rest;
        existing = info.absolutePath();
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    const QString base = canonical.isEmpty() ? existing : canonical;
    return rest.isEmpty() ? base : JoinPath(base, rest);
}

bool IsSameOrInside(const QString& path, const QString& folder) {
    const QString p = ResolvedPath(path);
    const QString f = ResolvedPath(folder);
    return p == f || p.startsWith(WithTrailingSlash(f));
}

QString SharedDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString ProgramDataFolder() {
    return JoinPath(SharedDataFolder(), QStringLiteral("Quorvane"));
}

QString DefaultBackupCopyFolder() {
    const QString folder = JoinPath(SharedDataFolder(), QStringLiteral("QuorvaneCopy"));
    MakePrivateFolder(folder);
    return WithTrailingSlash(folder);
}

QString PathBaseIniPath(const QString& programDataFolder) {
    return JoinPath(programDataFolder, QStringLiteral("pathbase.ini"));
}

bool EnsureSettingsFile(const QString& path) {
    if (QFileInfo::exists(path)) return true;
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

QString ResolveDataRoot(const QString& programDataFolder) {
    const QString fallback = WithTrailingSlash(programDataFolder);
    MakePrivateFolder(programDataFolder);
    const QString iniPath = PathBaseIniPath(programDataFolder);
    TIniStorage ini;
    if (!QFileInfo::exists(iniPath)) {
        if (EnsureSettingsFile(iniPath)) {
            ini.LoadFromFile(iniPath);
            ini.WriteString(kSection, kPath, fallback);
            ini.SaveToFile(iniPath);
        }
        return fallback;
    }
    if (!ini.LoadFromFile(iniPath)) {
        // The file cannot be read: it is replaced by one that names the default.
        ini.Clear();
        ini.WriteString(kSection, kPath, fallback);
        ini.SaveToFile(iniPath);
        Messages().ShowInfo(DamagedLines());
        return fallback;
    }
    const QString value = ini.ReadString(kSection, kPath, kMissing);
    if (value == kMissing) {
        ini.WriteString(kSection, kPath, fallback);
        ini.SaveToFile(iniPath);
        Messages().ShowInfo(DamagedLines());
        return fallback;
    }
    if (value.isEmpty() || !QFileInfo(value).isDir()) {
        Messages().ShowInfo({QStringLiteral("Базы программы по указанному пути"), value,
                             QStringLiteral("не найдены."), QStringLiteral("Vellumora откроет базы,"),
                             QStringLiteral("которые находятся в папке по умолчанию."),
                             QStringLiteral("После входа в программу укажите путь"),
                             QStringLiteral("к Вашим базам данных")});
        ini.WriteString(kSection, kPath, fallback);
        ini.SaveToFile(iniPath);
        return fallback;
    }
    return WithTrailingSlash(value);
}

QString ResolveBackupCopyFolder(const QString& programDataFolder) {
    const QString fallback = DefaultBackupCopyFolder();
    const QString iniPath = PathBaseIniPath(programDataFolder);
    TIniStorage ini;
    if (!QFileInfo::exists(iniPath)) {
        if (EnsureSettingsFile(iniPath)) {
            ini.WriteString(kSection, kCopyPath, fallback);
            ini.SaveToFile(iniPath);
        }
        return fallback;
    }
    if (!ini.LoadFromFile(iniPath)) return fallback;
    const QString value = ini.ReadString(kSection, kCopyPath, kMissing);
    if (value == kMissing) {
        ini.WriteString(kSection, kCopyPath, fallback);
        ini.SaveToFile(iniPath);
        return fallback;
    }
    if (!AcceptableCopyFolder(value)) {
        // Told once: the settings name the default from now on.
        ini.WriteString(kSection, kCopyPath, fallback);
        ini.SaveToFile(iniPath);
        Messages().ShowInfo({QStringLiteral("Папка ежедневных резервных копий по указанному пути"), value,
                             QStringLiteral("недоступна."),
                             QStringLiteral("Копии будут храниться в папке по умолчанию"), fallback});
        return fallback;
    }
    return value;
}

bool AcceptableCopyFolder(const QString& path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path)) return false;
    const QFileInfo folder(path);
    if (folder.exists()) return folder.isDir();
    // A folder still to be made goes only where the user's own files are: a damaged setting must not
    // make folders anywhere the program happens to be allowed to.
    const QString parent = QFileInfo(QDir::cleanPath(path)).absolutePath();
    struct stat st {};
    return ::stat(QFile::encodeName(parent).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid();
}

bool CopyFolderRecursively(const QString& from, const QString& to) {
    const QDir source(from);
    if (!source.exists()) return false;
    if (!MakePrivateFolder(to)) return false;
    bool ok = true;
    const QFileInfoList entries =
        source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& e : entries) {
        const QString target = JoinPath(to, e.fileName());
        if (e.isDir() && !e.isSymLink()) {
            ok = CopyFolderRecursively(e.absoluteFilePath(), target) && ok;
        } else if (e.isFile()) {
            QFile::remove(target);
            // QFile::copy gives the copy the installed file's mode (0644): the program's own files
            // are its owner's only.
            const bool copied = QFile::copy(e.absoluteFilePath(), target);
            if (copied) MakePrivateFile(target);
            ok = copied && ok;
        }
    }
    return ok;
}

void PrepareTemplateFolders(const QString& programFolder, const QString& programDataFolder) {
    const QString source = JoinPath(programFolder, QStringLiteral("PageMaket"));
    if (!QFileInfo(source).isDir()) return;
    const QString work = JoinPath(programDataFolder, QStringLiteral("PageMaket"));
    if (!QFileInfo(work).isDir()) CopyFolderRecursively(source, work);
    const QString defaults = JoinPath(programDataFolder, QStringLiteral("PageMaketDefault"));
    if (!QFileInfo(defaults).isDir()) CopyFolderRecursively(source, defaults);
}

void CheckProgramFolder(const QString& programFolder,
                        const std::function<bool(const QString&)>& pictureLoads) {
    const QString icons = JoinPath(programFolder, QStringLiteral("Icons"));
    if (!QFileInfo(icons).isDir() || !pictureLoads(JoinPath(icons, QStringLiteral("Resize.bmp"))))
        Messages().ShowError({QStringLiteral("Отсутствует папка программы \"Icons\"."),
                              QStringLiteral("Возможно некорректное отображение интерфейса."),
                              QStringLiteral("Рекомендуется переустановить программу")});
    if (!QFileInfo(JoinPath(programFolder, QStringLiteral("NewUnloaded"))).isDir())
        Messages().ShowError({QStringLiteral("Отсутствует папка \"NewUnloaded\"."),
                              QStringLiteral("Выгрузка таблиц программы в Excel будет невозможна."),
                              QStringLiteral("Рекомендуется переустановить программу")});
}
