#include "users/basefolders.h"
#include "storage/textrules.h"

#include "storage/atomicfile.h"
#include "storage/datafolders.h"
#include "storage/tmessageboxclass.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString Clean(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The folder is a direct child of BASE, also once links are resolved.
bool InsideBaseRoot(const QString& baseRoot, const QString& folder) {
    const QString root = Clean(baseRoot);
    const QString path = Clean(folder);
    if (QFileInfo(path).absolutePath() != root) return false;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return true;
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const QString canonical = info.canonicalFilePath();
    return !canonical.isEmpty() && !canonicalRoot.isEmpty() &&
           QFileInfo(canonical).absolutePath() == canonicalRoot;
}

} // namespace

bool IsRefusedInBaseName(QChar c) {
    static const QString refused = QStringLiteral("\"*/:<>?\\|");
    return c.unicode() < 32 || c.unicode() == 127 || refused.contains(c);
}

TBaseNameCheck CheckBaseName(const QString& name) {
    if (IsBlank(name)) return TBaseNameCheck::Blank;
    // The name as it is stored: " .. " would be kept as "..".
    const QStringView stored = TrimBlanks(name);
    if (stored == QLatin1String(".") || stored == QLatin1String("..")) return TBaseNameCheck::BadCharacters;
    for (QChar c : name)
        if (IsRefusedInBaseName(c)) return TBaseNameCheck::BadCharacters;
    if (stored == QLatin1String("user") || stored == QLatin1String("baseuser") ||
        stored == QLatin1String("Tarnwell.ini"))
        return TBaseNameCheck::Reserved;
    return TBaseNameCheck::Ok;
}

bool AcceptTypedBaseName(const QString& name) {
    switch (CheckBaseName(name)) {
    case TBaseNameCheck::Blank:
        Messages().ShowError({QStringLiteral("Имя базы не может быть пустым")});
        return false;
    case TBaseNameCheck::BadCharacters:
        Messages().ShowError({kBadBaseNameCharacters});
        return false;
    case TBaseNameCheck::Reserved:
    case TBaseNameCheck::Ok:
        break;
    }
    return true;
}

QString BaseRootOf(const QString& dataRoot) {
    return JoinPath(dataRoot, QStringLiteral("BASE"));
}

QString BaseFolderOf(const QString& dataRoot, const QString& name) {
    if (CheckBaseName(name) != TBaseNameCheck::Ok || dataRoot.isEmpty()) return QString();
    const QString root = BaseRootOf(dataRoot);
    const QString folder = JoinPath(root, name);
    return InsideBaseRoot(root, folder) ? folder : QString();
}

QString MakeBaseFolder(const QString& dataRoot, const QString& name) {
    const QString folder = BaseFolderOf(dataRoot, name);
    if (folder.isEmpty()) return QString();
    if (!QFileInfo(folder).isDir() && !MakePrivateFolder(folder)) return QString();
    // Checked again now that it exists: nothing may have put a link there in between.
    return QFileInfo(folder).isDir() && InsideBaseRoot(BaseRootOf(dataRoot), folder) ? folder : QString();
}

bool RenameBaseFolder(const QString& dataRoot, const QString& from, const QString& to) {
    const QString oldFolder = BaseFolderOf(dataRoot, from);
    const QString newFolder = BaseFolderOf(dataRoot, to);
    if (oldFolder.isEmpty() || newFolder.isEmpty() || !IsRealFolder(oldFolder)) return false;
    const QFileInfo target(newFolder);
    if (target.exists() || target.isSymLink()) return false;
    return QDir().rename(oldFolder, newFolder);
}

bool DeleteBaseFolder(const QString& dataRoot, const QString& name) {
    const QString folder = BaseFolderOf(dataRoot, name);
    if (folder.isEmpty() || !IsRealFolder(folder)) return false;
    return QDir(folder).removeRecursively();
}

bool SameFolder(const QString& a, const QString& b) {
    return !a.isEmpty() && !b.isEmpty() && Clean(a) == Clean(b);
}

bool AnyBaseFolder(const QString& dataRoot) {
    if (dataRoot.isEmpty()) return false;
    const QDir root(BaseRootOf(dataRoot));
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (CheckBaseName(name) == TBaseNameCheck::Ok) return true;
    return false;
}
