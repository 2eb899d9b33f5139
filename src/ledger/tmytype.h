#pragma once

#include "ledger/tdatagrid.h"
#include "ledger/treturnslist.h"
#include "storage/fileerror.h"
#include "storage/tabledefs.h"
#include "storage/tbasefiles.h"
#include "storage/tbaselock.h"
#include "storage/tmemtable.h"
#include "storage/tprogrampaths.h"
#include "storage/tsettingsfiles.h"

#include <QDate>
#include <QString>

#include <array>
#include <functional>
#include <memory>

// Totals that only debts have: lent sums per purse and in base units, and the returns per purse.
struct TDebtTotals {
    TMemTable lentPerPurse;      // name, sum
    TMemTable lentPerPurseToday; // name, sum
    long double lentTotal = 0;
    long double lentTodayTotal = 0;
    TMemTable returnsToMe; // per purse: returns of debts "дано в долг"
    TMemTable myReturns;   // per purse: returns of debts "взято в долг"
    long double returnsToMeTotal = 0;
    long double myReturnsTotal = 0;
};

// The program-wide state: the open base's tables, the descriptors of their views, the current user
// and the current view. Created once; a base load replaces the tables' content, never the objects.
class TMyType {
public:
    TMyType();
    TMyType(const TMyType&) = delete;
    TMyType& operator=(const TMyType&) = delete;

    TProgramPaths paths;

    // The logged-in user and the open base.
    QString userName;
    QString baseName;
    QString baseFolder;
    bool admin = false;

    // The tables of the open base, and the users and bases shared by every base.
    TMemTable& Table(TTableKind kind);
    TMemTable users;
    TMemTable baseList;
    TMemTable vidRashod;
    TMemTable vidDohod;
    TReturnsList returns;         // indexed by the number in the debt's hidden cell
    TReturnsOnDisk returnsOnDisk; // which of them each returns file holds
    int currentDebt = 0;
    // Every table that holds the books of the open base reports its changes to the recorder (none:
    // nullptr), the debts' returns tables included, those made later too.
    void AttachRecorder(TTableRecorder* recorder);
    // The returns table of a debt number; created empty when missing.
    TMemTable& ReturnsTable(int number);
    // The number of the next debt's returns table.
    int NextDebtNumber() const;

    QString basePurse;
    long double totalMoney = 0;
    TDebtTotals debtTotals;
    bool purseDefault = true; // "Вставлять базовый кошелек в таблицы по умолчанию"
    QDate planUntilRashod, planUntilDohod;
    bool damaged = false;    // a table of the open base could not be read
    bool debtsLoaded = true; // the debt table was read whole, so its returns files are all ours
    bool saveFailed = false; // the last save of the open base could not be made: the disk holds older books
    TFileError saveError;    // why: the file and the system's error, as the failure was told
    bool readOnly = false;   // the base is shown but never written: see where it is set
    QString readOnlyReason;  // why, for the window to tell (SetReadOnly in ledger/basechanges.h)
    // readOnly was set by the open itself (a file it could not read, a save it could not finish): the next
    // opening looks at it anew.
    bool readOnlyByOpen = false;
    TBaseLock baseLock;     // held while this program has the open base to itself
    TBaseSettings settings; // read at the end of a base load, written at the end of a save

    // How the last save of the open base ended (no failure: it succeeded, or a base was just opened).
    // Whoever listens hears when the state of the books on disk changes.
    void SetSaveOutcome(const TFileError& failure);
    std::function<void()> saveStateChanged;

    // One descriptor per table view.
    TDataGrid& Grid(TTableKind kind);
    TDataGrid* GridById(int gridId);
    TDataVidGrid vidRashodGrid;
    TDataVidGrid vidDohodGrid;
    TDataGrid* current = nullptr;

    // Table folders of the open base.
    QString BaseRoot() const; // data root/BASE
    QString TablePath(TTableKind kind) const;

private:
    std::array<TMemTable, 5> m_ledgers;
    TMemTable m_transfer;
    TMemTable m_purse;
    std::array<TDataGrid, kTableKindCount> m_grids;
};
