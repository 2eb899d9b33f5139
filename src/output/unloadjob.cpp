#include "output/unloadjob.h"

#include "storage/atomicfile.h"
#include "storage/fileerror.h"
#include "storage/tinistorage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kUnloaded = QStringLiteral("Unloaded");
const QString kSuccess = QStringLiteral("Success");

QString Bool(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// Why `path` cannot hold this account's job files, or empty when it can: it must be a real folder
// (not a link) of this account that no other account may write to; it is made for this account alone
// when missing, and one that others may only read is closed to them.
QString OwnFolderProblem(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) return SystemReason(errno);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) return SystemReason(errno);
    if (S_ISLNK(st.st_mode)) return QStringLiteral("На месте папки находится ссылка.");
    if (!S_ISDIR(st.st_mode)) return QStringLiteral("На месте папки находится файл.");
    if (st.st_uid != ::getuid()) return QStringLiteral("Папка принадлежит другой учетной записи.");
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("В папку могут писать другие учетные записи.");
    if ((st.st_mode & 077) != 0 && ::chmod(name.constData(), 0700) != 0) return SystemReason(errno);
    if (::access(name.constData(), R_OK | W_OK | X_OK) != 0) return SystemReason(errno);
    return {};
}

QString InUnloadFolder(const QString& name) {
    const QString folder = UnloadFolder();
    return folder.isEmpty() ? QString() : folder + u'/' + name;
}

} // namespace

TUnloadFolder ResolveUnloadFolder() {
    // The runtime folder is the account's own (0700) and lives only as long as its session: there no
    // other account reads the family's rows or puts anything in the job folder's place. One that is
    // not private is told, not quietly traded for the shared temp folder.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        const QString folder = runtime + QStringLiteral("/Quorvane");
        struct stat st {};
        if (::stat(QFile::encodeName(runtime).constData(), &st) != 0) return {folder, SystemReason(errno)};
        const QString where = QStringLiteral("Папка $XDG_RUNTIME_DIR \"") + runtime + QStringLiteral("\" ");
        if (st.st_uid != ::getuid())
            return {folder, where + QStringLiteral("принадлежит другой учетной записи.")};
        if ((st.st_mode & 077) != 0)
            return {folder, where + QStringLiteral("доступна другим учетным записям.")};
        return {folder, OwnFolderProblem(folder)};
    }
    // Without one, the temp folder, which every account of the machine shares: a "Quorvane" of another
    // account, or a link planted under that name, must never receive this family's rows nor lead our
    // writes to another file, so this account then keeps a job folder of its own.
    const QString shared = QDir::tempPath() + QStringLiteral("/Quorvane");
    if (OwnFolderProblem(shared).isEmpty()) return {shared, {}};
    const QString own = shared + u'-' + QString::number(::getuid());
    return {own, OwnFolderProblem(own)};
}

QString UnloadFolder() {
    const TUnloadFolder folder = ResolveUnloadFolder();
    return folder.Usable() ? folder.path : QString();
}

QString JobFilePath() {
    return InUnloadFolder(QStringLiteral("path_unloaded"));
}

QString RowFilePath() {
    return InUnloadFolder(QStringLiteral("unloaded_base.txt"));
}

QString SuccessNotePath() {
    return InUnloadFolder(QStringLiteral("success"));
}

QString JoinColumnNames(const QStringList& names) {
    QString out;
    for (const QString& n : names)
        out += n + QLatin1Char(';');
    return out;
}

QStringList SplitColumnNames(const QString& text) {
    QStringList names = text.split(QLatin1Char(';'));
    if (!names.isEmpty() && names.last().isEmpty()) names.removeLast();
    return names;
}

bool WriteJobFile(const QString& path, const TUnloadJob& job) {
    TIniStorage ini;
    if (QFile::exists(path)) ini.LoadFromFile(path);
    ini.EraseSection(kUnloaded);
    ini.WriteString(kUnloaded, QStringLiteral("SaveFileName"), job.saveFileName);
    ini.WriteString(kUnloaded, QStringLiteral("Name_UnloadedPath"), job.rowFilePath);
    ini.WriteString(kUnloaded, QStringLiteral("NameCols"), JoinColumnNames(job.columnNames));
    ini.WriteInteger(kUnloaded, QStringLiteral("SumCol"), job.sumColumn);
    ini.WriteInteger(kUnloaded, QStringLiteral("DataCol"), job.dateColumn);
    ini.WriteString(kUnloaded, QStringLiteral("Proz"), Bool(job.percent));
    ini.WriteString(kUnloaded, QStringLiteral("ProportionalCols"), QString());
    ini.WriteString(kUnloaded, QStringLiteral("ItogSum"), job.totalSum);
    ini.WriteString(kUnloaded, QStringLiteral("Dialog"), Bool(false));
    ini.WriteString(QStringLiteral("PrintOpen"), QStringLiteral("Print"), Bool(false));
    ini.WriteString(QStringLiteral("Download"), QStringLiteral("CaptionList"), QStringLiteral("Печать"));
    ini.WriteInteger(QStringLiteral("Download"), QStringLiteral("NumberTable"), job.number);
    const QString place = QStringLiteral("Pozition");
    ini.WriteInteger(place, QStringLiteral("Top"), job.window.top());
    ini.WriteInteger(place, QStringLiteral("Left"), job.window.left());
    ini.WriteInteger(place, QStringLiteral("Height"), job.window.height());
    ini.WriteInteger(place, QStringLiteral("Width"), job.window.width());
    ini.WriteString(QStringLiteral("Vedomost"), QStringLiteral("CaptionNumberVedomost"),
                    QStringLiteral("Print"));
    return WriteFileAtomic(path, ini.ToCp1251Bytes());
}

bool ReadJobFile(const QString& path, TUnloadJob& job) {
    TIniStorage ini;
    if (!ini.LoadFromFile(path)) return false;
    job.saveFileName = ini.ReadString(kUnloaded, QStringLiteral("SaveFileName"), QString());
    job.rowFilePath = ini.ReadString(kUnloaded, QStringLiteral("Name_UnloadedPath"), QString());
    job.columnNames = SplitColumnNames(ini.ReadString(kUnloaded, QStringLiteral("NameCols"), QString()));
    job.sumColumn = ini.ReadInteger(kUnloaded, QStringLiteral("SumCol"), -1);
    job.dateColumn = ini.ReadInteger(kUnloaded, QStringLiteral("DataCol"), -1);
    job.percent = ini.ReadBool(kUnloaded, QStringLiteral("Proz"), false);
    job.totalSum = ini.ReadString(kUnloaded, QStringLiteral("ItogSum"), QString());
    job.number = ini.ReadInteger(QStringLiteral("Download"), QStringLiteral("NumberTable"), 0);
    const QString place = QStringLiteral("Pozition");
    job.window = QRect(ini.ReadInteger(place, QStringLiteral("Left"), 0),
                       ini.ReadInteger(place, QStringLiteral("Top"), 0),
                       ini.ReadInteger(place, QStringLiteral("Width"), 0),
                       ini.ReadInteger(place, QStringLiteral("Height"), 0));
    return !job.rowFilePath.isEmpty();
}

bool ReadSuccessNote(const QString& path) {
    TIniStorage ini;
    if (!QFile::exists(path) || !ini.LoadFromFile(path)) return false;
    return ini.ReadBool(kSuccess, kSuccess, false);
}

bool ReadOpenedNote(const QString& path) {
    TIniStorage ini;
    if (!QFile::exists(path) || !ini.LoadFromFile(path)) return true;
    return ini.ReadBool(kSuccess, QStringLiteral("Opened"), true);
}

bool WriteSuccessNote(const QString& path, bool success, bool opened) {
    TIniStorage ini;
    ini.WriteString(kSuccess, kSuccess, Bool(success));
    if (success) ini.WriteString(kSuccess, QStringLiteral("Opened"), Bool(opened));
    return WriteFileAtomic(path, ini.ToCp1251Bytes());
}
