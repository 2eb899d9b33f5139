#include "savedbase.h"

#include "ledger/tbaseloader.h"
#include "tablefiles.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>

TFiles FilesOnDisk(const QString& folder) {
    TFiles files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[path] = ReadFileBytes(path);
    }
    return files;
}

void PutFilesBack(const QString& folder, const TFiles& files) {
    QDir(folder).removeRecursively();
    for (const auto& [path, bytes] : files)
        WriteFileBytes(path, bytes);
}

QString DebtName(int i) {
    return QStringLiteral("Должник %1").arg(i);
}

QString ReturnSum(int i, int r) {
    return QString::number(i * 10 + r);
}

void WriteDebtsNewestFirst(const QString& baseFolder, int debts) {
    std::vector<QStringList> rows;
    for (int i = 0; i < debts; ++i) {
        const QString date = QDate(2024, 1, 1).addDays(debts - i).toString("dd.MM.yyyy");
        rows.push_back({"дано в долг", date, "01.06.2024", DebtName(i), "1000", "рубль", "", "не отображать",
                        "Мама", QString::number(i)});
        WriteRows(baseFolder + "/Debt/debt" + QString::number(i),
                  {{date, ReturnSum(i, 1), "рубль", ""}, {date, ReturnSum(i, 2), "рубль", ""}});
    }
    WriteRows(baseFolder + "/dolg", rows);
}

void TSavedBaseTest::PointAt(const QString& dataRoot) {
    root = dataRoot;
    base = root + "/BASE/Семья";
    state.paths.dataRoot = root + "/";
    state.paths.programFolder = home.Path() + "/program";
    state.baseName = "Семья";
    state.baseFolder = base;
}

TMyType& TSavedBaseTest::OpenedAgain(TMyType& opened) const {
    opened.paths = state.paths;
    opened.baseName = state.baseName;
    opened.baseFolder = state.baseFolder;
    TBaseLoader::OpenBase(opened);
    return opened;
}
