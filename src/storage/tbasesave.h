#pragma once

#include "storage/tabledefs.h"
#include "storage/tbasefiles.h"
#include "storage/tsavetransaction.h"

#include <QString>

#include <vector>

// The tables of one base written in one transaction. Each table is staged only when it changed since
// its file was last known to match it (or its file is missing), and counts as unchanged again only
// once the transaction has committed.
class TBaseSave {
public:
    explicit TBaseSave(const QString& baseFolder);

    // A ledger, the transfers or the users: the rows whose required cells are filled, each with the first
    // row's cell count.
    bool StageTable(TTableKind kind, TMemTable& table, const QString& path);
    // A table written as it is, rows and all (the kinds lists, the purses).
    bool StageAsItIs(TMemTable& table, const QString& path);
    // A file of settings, written when its bytes differ from the file's.
    bool StageBytes(const QString& path, const QByteArray& bytes);
    // The debts and their returns, so that at the next load each debt finds its own returns: the debt
    // written at position k gets k in cell 9 and its returns in "debt<k>". Nothing in memory changes; a
    // returns file is written when its table changed or another table's returns were there (onDisk,
    // brought up to date by the commit). Files of numbers beyond the written debts are removed only
    // when cleanOld is set (the debt table was read without damage).
    bool StageDebtsAndReturns(TMemTable& dolg, const TReturnsTables& returns, TReturnsOnDisk& onDisk,
                              bool cleanOld);

    bool IsEmpty() const { return m_transaction.IsEmpty(); }
    bool Commit();
    const TFileError& Error() const { return m_transaction.Error(); }

    const QString& BaseFolder() const { return m_folder; }

private:
    QString m_folder;
    TSaveTransaction m_transaction;
    std::vector<TMemTable*> m_staged;
    TReturnsOnDisk* m_onDisk = nullptr;
    TReturnsOnDisk m_nextOnDisk;
};

// The path a table of a folder is saved to; the folder is made when missing.
QString SavePath(const QString& folder, const QString& tableName);
