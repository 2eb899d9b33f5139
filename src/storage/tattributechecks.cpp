#include "storage/tattributechecks.h"

#include "storage/datafolders.h"
#include "storage/tbasefiles.h"
#include "storage/tmessageboxclass.h"
#include "storage/tsettingsfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <unistd.h>

namespace {

const QString kBase = QStringLiteral("BASE");

// The table files of a base in the order they are checked: the base's own ledgers, the two tables
// shared by every base, then the base's kinds lists.
const QStringList& LedgerFiles() {
    static const QStringList names = {QStringLiteral("rashod"), QStringLiteral("dohod"),
                                      QStringLiteral("dolg"), QStringLiteral("planrashod"),
                                      QStringLiteral("plandohod")};
    return names;
}
const QStringList& SharedFiles() {
    static const QStringList names = {QStringLiteral("user"), QStringLiteral("baseuser")};
    return names;
}
const QStringList& KindsFiles() {
    static const QStringList names = {QStringLiteral("vidrashod"), QStringLiteral("viddohod")};
    return names;
}

QString AttributeList(int flags, const QString& readOnly, const QString& system) {
    QStringList parts;
    if (flags & fileattr::ReadOnly) parts << readOnly;
    if (flags & fileattr::System) parts << system;
    return parts.join(QStringLiteral(", "));
}

} // namespace

int PlatformAttributes(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0 ? 0 : fileattr::ReadOnly;
}

TAttributeChecks::TAttributeChecks(TAttributeProbe probe) : m_probe(std::move(probe)) {}

int TAttributeChecks::Attributes(const QString& path) const {
    if (path.isEmpty() || !QFileInfo::exists(path)) return 0;
    return m_probe ? m_probe(path) & (fileattr::ReadOnly | fileattr::System) : 0;
}

TAttributeSentence TAttributeChecks::DescribeAttributes(const QString& folder, const QString& name) const {
    TAttributeSentence result;
    if (folder.isEmpty()) return result;
    if (!name.isEmpty()) {
        const QString path = JoinPath(folder, name);
        // A file the program cannot read at all (no read permission, a link, a folder in its place) is
        // not a read-only one: the load of the base tells what it is.
        const TTableFileState state = TableFileState(path);
        if (state != TTableFileState::File) return result;
        const int flags = Attributes(path);
        result.finding = flags != 0;
        result.sentence =
            QStringLiteral("Файл баз программы \"") + name + QStringLiteral("\" является ") +
            AttributeList(flags, QStringLiteral("доступным только для чтения"), QStringLiteral("системным")) +
            QLatin1Char('.');
        return result;
    }
    if (!QFileInfo(folder).isDir()) return result;
    const int flags = Attributes(folder);
    result.finding = flags != 0;
    result.sentence =
        QStringLiteral("Папка баз программы является ") +
        AttributeList(flags, QStringLiteral("доступной только для чтения"), QStringLiteral("системной")) +
        QLatin1Char('.');
    return result;
}

void TAttributeChecks::CheckDataRootFolders(const QString& dataRoot, const QString& baseFolder) const {
    if (dataRoot.isEmpty()) return;
    const QString marker = JoinPath(dataRoot, QStringLiteral("attr_bigfolder.ini"));
    if (!ReadAttributeQuestion(marker)) return;
    for (const QString& folder : {dataRoot, JoinPath(dataRoot, kBase), baseFolder}) {
        const TAttributeSentence found = DescribeAttributes(folder, QString());
        if (!found.finding) continue;
        const bool ticked = Messages().ShowInfoWithOption(
            {found.sentence, QStringLiteral("Это может вызвать неправильную работу программы."),
             QStringLiteral("Рекомендуется изменить атрибуты папки баз программы."),
             QStringLiteral("Путь к папке: ") + folder});
        WriteAttributeQuestion(marker, !ticked);
        return;
    }
}

void TAttributeChecks::CheckBaseFiles(const QString& dataRoot, const QString& baseFolder) const {
    // Without a base folder the marker would have no place of its own.
    if (baseFolder.isEmpty()) return;
    const QString marker = JoinPath(baseFolder, QStringLiteral("attr_quest.ini"));
    if (!ReadAttributeQuestion(marker)) return;
    const QString baseRoot = JoinPath(dataRoot, kBase);
    QStringList lines;
    auto test = [&](const QString& folder, const QStringList& names) {
        for (const QString& name : names) {
            const TAttributeSentence found = DescribeAttributes(folder, name);
            if (found.finding) lines << found.sentence;
        }
    };
    test(baseFolder, LedgerFiles());
    test(baseRoot, SharedFiles());
    test(baseFolder, KindsFiles());
    bool ticked = false;
    if (!lines.isEmpty()) {
        lines << QStringLiteral("Программа с такими базами может работать некорректно.")
              << QStringLiteral("Измените атрибуты файлов и вновь войдите в программу.")
              << QStringLiteral("Указанные файлы хранятся в папке: ") + baseFolder;
        ticked = Messages().ShowInfoWithOption(lines);
    }
    WriteAttributeQuestion(marker, !ticked);
}

void TAttributeChecks::AddFindings(TMemTable& findings, const QString& path) const {
    const int flags = Attributes(path);
    if (flags & fileattr::ReadOnly) findings.AddRow()->SetCells({NoWriteKind(), path});
    if (flags & fileattr::System) findings.AddRow()->SetCells({SystemKind(), path});
}

void TAttributeChecks::CollectFindings(const QString& dataRoot, const QString& baseFolder,
                                       TMemTable& findings) const {
    findings.Clear();
    if (dataRoot.isEmpty()) return;
    const QString baseRoot = JoinPath(dataRoot, kBase);
    for (const QString& folder : {dataRoot, baseRoot, baseFolder}) {
        if (Attributes(folder) != 0) {
            AddFindings(findings, folder);
            break;
        }
    }
    QStringList paths;
    if (!baseFolder.isEmpty()) {
        for (const QString& name : LedgerFiles())
            paths << JoinPath(baseFolder, name);
    }
    for (const QString& name : SharedFiles())
        paths << JoinPath(baseRoot, name);
    if (!baseFolder.isEmpty()) {
        for (const QString& name : KindsFiles())
            paths << JoinPath(baseFolder, name);
    }
    paths << baseRoot;
    if (!baseFolder.isEmpty()) paths << ReturnsFolder(baseFolder);
    for (const QString& path : paths)
        AddFindings(findings, path);
}
