#include "output/unloadjob.h"

#include "storage/atomicfile.h"
#include "storage/tinistorage.h"

#include <QDir>
#include <QFile>

namespace {

const QString kUnloaded = QStringLiteral("Unloaded");
const QString kSuccess = QStringLiteral("Success");

QString Bool(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

QString UnloadFolder() {
    return QDir::tempPath() + QStringLiteral("/Quorvane");
}

QString JobFilePath() {
    return UnloadFolder() + QStringLiteral("/path_unloaded");
}

QString RowFilePath() {
    return UnloadFolder() + QStringLiteral("/unloaded_base.txt");
}

QString SuccessNotePath() {
    return UnloadFolder() + QStringLiteral("/success");
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

bool WriteSuccessNote(const QString& path, bool success) {
    TIniStorage ini;
    ini.WriteString(kSuccess, kSuccess, Bool(success));
    return WriteFileAtomic(path, ini.ToCp1251Bytes());
}
