#include "storage/tbasesave.h"
#include "storage/tabledefs.h"

#include "storage/atomicfile.h"
#include "storage/datafolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

QString SavePath(const QString& folder, const QString& tableName) {
    MakePrivateFolder(folder);
    return JoinPath(folder, tableName);
}

TBaseSave::TBaseSave(const QString& baseFolder) : m_folder(baseFolder), m_transaction(baseFolder) {}

bool TBaseSave::StageTable(TTableKind kind, TMemTable& table, const QString& path) {
    if (!table.Modified() && QFileInfo(path).isFile()) return true;
    if (!m_transaction.Stage(path, FilteredTableBytes(kind, table))) return false;
    m_staged.push_back(&table);
    return true;
}

bool TBaseSave::StageAsItIs(TMemTable& table, const QString& path) {
    if (!table.Modified() && QFileInfo(path).size() > 0) return true;
    if (!m_transaction.Stage(path, table.ToBytes())) return false;
    m_staged.push_back(&table);
    return true;
}

bool TBaseSave::StageBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.readAll() == bytes) return true;
    return m_transaction.Stage(path, bytes);
}

bool TBaseSave::StageDebtsAndReturns(TMemTable& dolg, TReturnsTables& returns, bool cleanOld) {
    const int required = TableDef(TTableKind::Dolg).required;
    const int cellCount = dolg.RowCount() > 0 ? dolg.Row(0)->CellCount() : 0;
    TReturnsTables renumbered;
    std::vector<std::pair<int, std::unique_ptr<TMemTable>>>
        pending; // incomplete rows: numbered after the written ones
    bool ok = true;
    const QString folder = ReturnsFolder(m_folder);
    for (int i = 0; i < dolg.RowCount(); ++i) {
        TTableRow* row = dolg.Row(i);
        bool valid = false;
        const int n = DebtNumberCell(row->Cell(col::dolg::DebtNumber), &valid);
        std::unique_ptr<TMemTable> table;
        if (valid && size_t(n) < returns.size() && returns[size_t(n)])
            table = std::move(returns[size_t(n)]);
        else
            table = std::make_unique<TMemTable>();
        QStringList cells = row->Cells();
        cells.resize(std::max(cellCount, 10));
        bool complete = true;
        for (int c = 0; c < required && complete; ++c)
            complete = c < cellCount && !cells[c].isEmpty();
        if (!complete) {
            pending.emplace_back(i, std::move(table));
            continue;
        }
        const int k = int(renumbered.size());
        if (k != n || !valid)
            table->Touch(); // its file is another one now: it must be written whatever it holds
        ok = StageTable(TTableKind::Returns, *table,
                        SavePath(folder, QStringLiteral("debt") + QString::number(k))) &&
             ok;
        if (row->CellCount() < 10) row->SetCellCount(10);
        if (row->Cell(col::dolg::DebtNumber) != QString::number(k))
            row->SetCell(col::dolg::DebtNumber, QString::number(k));
        renumbered.push_back(std::move(table));
    }
    const int written = int(renumbered.size());
    for (auto& [rowIndex, table] : pending) {
        TTableRow* row = dolg.Row(rowIndex);
        if (row->CellCount() < 10) row->SetCellCount(10);
        if (row->Cell(col::dolg::DebtNumber) != QString::number(renumbered.size()))
            row->SetCell(col::dolg::DebtNumber, QString::number(renumbered.size()));
        renumbered.push_back(std::move(table));
    }
    returns = std::move(renumbered);
    ok = StageTable(TTableKind::Dolg, dolg, SavePath(m_folder, TableDef(TTableKind::Dolg).fileName)) && ok;
    if (cleanOld) {
        static const QRegularExpression name(QStringLiteral("^debt(\\d+)$"));
        const QStringList files = QDir(folder).entryList(QDir::Files);
        for (const QString& f : files) {
            const auto m = name.match(f);
            if (m.hasMatch() && m.captured(1).toInt() >= written) m_transaction.Remove(JoinPath(folder, f));
        }
    }
    return ok;
}

bool TBaseSave::Commit() {
    if (!m_transaction.Commit()) return false;
    for (TMemTable* table : m_staged)
        table->MarkUnmodified();
    m_staged.clear();
    return true;
}

bool SaveDebtsAndReturns(const QString& baseFolder, TMemTable& dolg, TReturnsTables& returns, bool cleanOld) {
    TBaseSave save(baseFolder);
    save.StageDebtsAndReturns(dolg, returns, cleanOld);
    return save.Commit();
}
