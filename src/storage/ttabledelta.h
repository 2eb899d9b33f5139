#pragma once

#include <QByteArray>

#include <functional>
#include <memory>
#include <variant>
#include <vector>

class TMemTable;
class TTableRow;

// What one change did to the tables of the open base, recorded as it happened so that it can be taken
// back and done again without running any rule a second time. Every step names rows by their identity
// (a row pointer stays valid while a delta holds it: a row deleted during a recording is kept, not
// reused), and a re-encoded row keeps its encodings before and after, so undo and redo leave every
// table byte for byte as it was.
class TTableDelta {
public:
    TTableDelta() = default;
    TTableDelta(const TTableDelta&) = delete;
    TTableDelta& operator=(const TTableDelta&) = delete;
    TTableDelta(TTableDelta&&) = default;
    TTableDelta& operator=(TTableDelta&&) = default;

    bool Empty() const { return m_steps.empty(); }
    // Newest first: every table as before the change.
    void Undo();
    // Oldest first: every table as after the change.
    void Redo();
    // Forgets the rows written again as they were (a cell committed unchanged): they need no taking back,
    // and a change made only of them is no step.
    void DropUnchanged();
    // What an earlier delta did goes before what this one did: undoing this one takes both back.
    void Prepend(TTableDelta&& earlier);
    // Bytes the recorded steps hold (the rows they keep alive are counted at eight bytes each).
    qsizetype Size() const;

    // A step outside the tables (a returns table made or dropped, a value of the state) recorded by the
    // code that makes it, with its own way back and forth. `size` is what it holds, for the history's
    // account of memory.
    void AddStep(std::function<void()> undo, std::function<void()> redo, qsizetype size = 0);

private:
    friend class TMemTable;
    friend class TTableRow;

    struct TInserted {
        TMemTable* table;
        int index;
        TTableRow* row;
    };
    struct TDeleted {
        TMemTable* table;
        std::vector<int> indices; // ascending
        std::vector<TTableRow*> rows;
    };
    struct TMoved {
        TMemTable* table;
        int from, to;
    };
    // The whole row list replaced: a reorder, a clear, a table read anew.
    struct TListed {
        TMemTable* table;
        std::vector<TTableRow*> before, after;
    };
    struct TEncoded {
        TTableRow* row;
        QByteArray before, after;
    };
    struct TOwn {
        std::function<void()> undo, redo;
        qsizetype size;
    };
    using TStep = std::variant<TInserted, TDeleted, TMoved, TListed, TEncoded, TOwn>;

    std::vector<TStep> m_steps;
};

// Where the tables of the open base report their changes: a table (or the list of the debts' returns
// tables) attached to a recorder appends every change to the delta being recorded, if one is. With none
// being recorded a table works as it always did (loading, saving, the tools).
class TTableRecorder {
public:
    // Changes of attached tables go to the delta from now until Stop.
    void Start(TTableDelta& delta) { m_delta = &delta; }
    void Stop() { m_delta = nullptr; }
    TTableDelta* Recording() const { return m_delta; }
    // Asked by an attached table or list for every change it makes: the delta to record the change into,
    // or none, and then the change is counted as made outside.
    TTableDelta* ChangeMade() {
        if (!m_delta) ++m_outside;
        return m_delta;
    }
    // Changes of attached tables made while nothing was recorded, since the count was last reset: a history
    // of recorded changes is only true of tables no one else has changed.
    quint64 ChangesOutside() const { return m_outside; }
    void ResetChangesOutside() { m_outside = 0; }

private:
    TTableDelta* m_delta = nullptr;
    quint64 m_outside = 0;
};

// Records into the delta for as long as it lives.
class TRecording {
public:
    TRecording(TTableRecorder& recorder, TTableDelta& delta) : m_recorder(recorder) { recorder.Start(delta); }
    ~TRecording() { m_recorder.Stop(); }
    TRecording(const TRecording&) = delete;
    TRecording& operator=(const TRecording&) = delete;

private:
    TTableRecorder& m_recorder;
};
