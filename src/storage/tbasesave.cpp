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

bool TBaseSave::StageDebtsAndReturns(TMemTable& dolg, const TReturnsTables& returns, TReturnsOnDisk& onDisk,
                                     bool cleanOld) {
    const int required = TableDef(TTableKind::Dolg).required;
    const int cellCount = std::max(dolg.RowCount() > 0 ? dolg.Row(0)->CellCount() : 0, 10);
    // The debts as the file holds them: the debt at place k names "debt<k>". The debts in memory keep
    // their own numbers, so that a save changes nothing the program shows or may take back.
    TMemTable written;
    TReturnsOnDisk nowOnDisk;
    std::vector<bool> taken(returns.size(), false);
    bool renumbered = false;
    bool ok = true;
    const QString folder = ReturnsFolder(m_folder);
    for (int i = 0; i < dolg.RowCount(); ++i) {
        const TTableRow* row = dolg.Row(i);
        bool complete = true;
        for (int c = 0; c < required && complete; ++c)
            complete = c < row->CellCount() && !row->CellBytes(c).isEmpty();
        if (!complete) continue; // a debt still being typed is written with its returns once it is whole
        bool valid = false;
        const int n = DebtNumberCell(row->Cell(col::dolg::DebtNumber), &valid);
        std::shared_ptr<TMemTable> table;
        // A number named twice keeps its returns with the first debt that names it.
        if (valid && size_t(n) < returns.size() && returns[size_t(n)] && !taken[size_t(n)]) {
            table = returns[size_t(n)];
            taken[size_t(n)] = true;
        }
        const int k = written.RowCount();
        QStringList cells = row->Cells();
        cells.resize(cellCount);
        renumbered = renumbered || cells[col::dolg::DebtNumber] != QString::number(k);
        cells[col::dolg::DebtNumber] = QString::number(k);
        written.AddRow()->SetCells(cells);

        const QString path = SavePath(folder, QStringLiteral("debt") + QString::number(k));
        const bool same = table && !table->Modified() && size_t(k) < onDisk.size() &&
                          onDisk[size_t(k)].lock() == table && QFileInfo(path).isFile();
        if (!same) {
            static const TMemTable none;
            ok = m_transaction.Stage(path, FilteredTableBytes(TTableKind::Returns, table ? *table : none)) &&
                 ok;
            if (table) m_staged.push_back(table.get());
        }
        nowOnDisk.push_back(table);
    }
    const QString path = SavePath(m_folder, TableDef(TTableKind::Dolg).fileName);
    if (dolg.Modified() || renumbered || !QFileInfo(path).isFile()) {
        ok = m_transaction.Stage(path, FilteredTableBytes(TTableKind::Dolg, written)) && ok;
        m_staged.push_back(&dolg);
    }
    if (cleanOld) {
        static const QRegularExpression name(QStringLiteral("^debt(\\d+)$"));
        const QStringList files = QDir(folder).entryList(QDir::Files);
        for (const QString& f : files) {
            const auto m = name.match(f);
            if (m.hasMatch() && m.captured(1).toInt() >= written.RowCount())
                m_transaction.Remove(JoinPath(folder, f));
        }
    }
    m_onDisk = &onDisk;
    m_nextOnDisk = std::move(nowOnDisk);
    return ok;
}

bool TBaseSave::Commit() {
    if (!m_transaction.Commit()) return false;
    for (TMemTable* table : m_staged)
        table->MarkUnmodified();
    m_staged.clear();
    if (m_onDisk) *m_onDisk = std::move(m_nextOnDisk);
    m_onDisk = nullptr;
    return true;
}

bool SaveDebtsAndReturns(const QString& baseFolder, TMemTable& dolg, const TReturnsTables& returns,
                         TReturnsOnDisk& onDisk, bool cleanOld) {
    TBaseSave save(baseFolder);
    save.StageDebtsAndReturns(dolg, returns, onDisk, cleanOld);
    return save.Commit();
}
