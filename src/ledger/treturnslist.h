#pragma once

#include "storage/tbasefiles.h"
#include "storage/tmemtable.h"

#include <cstddef>
#include <memory>

class TTableDelta;
class TTableRecorder;

// The debts' returns tables of the open base, indexed by the number in the debt's hidden cell (a number
// may have none). Read like a vector; changed only through its own calls, which a recorder sees as it
// sees a table's changes: recorded into the change being made with their way back, or counted as made
// outside. The tables in the list report to the same recorder, those put in later included, so that no
// one needs to walk the list to know whether the books changed.
class TReturnsList {
public:
    TReturnsList() = default;
    TReturnsList(const TReturnsList&) = delete;
    TReturnsList& operator=(const TReturnsList&) = delete;

    size_t size() const { return m_tables.size(); }
    bool empty() const { return m_tables.empty(); }
    const std::shared_ptr<TMemTable>& operator[](size_t number) const { return m_tables[number]; }
    TReturnsTables::const_iterator begin() const { return m_tables.begin(); }
    TReturnsTables::const_iterator end() const { return m_tables.end(); }
    // For the files' readers and writers, which take the tables as they are.
    operator const TReturnsTables&() const { return m_tables; }

    // The whole list replaced: a base read, a debt deleted and the later ones renumbered.
    TReturnsList& operator=(TReturnsTables tables);
    void clear() { *this = TReturnsTables(); }
    // The table of a number (not negative), made empty when there is none.
    TMemTable& Make(int number);

    // Every table of the list, now and later, reports to the recorder too; none (nullptr) lets them go.
    void AttachRecorder(TTableRecorder* recorder);

private:
    // The delta a change of the list goes to now, if any (with none, the recorder counts the change).
    TTableDelta* Recording() const;
    void Attach(const TReturnsTables& tables) const;

    TReturnsTables m_tables;
    TTableRecorder* m_recorder = nullptr;
};
