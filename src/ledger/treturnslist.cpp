#include "ledger/treturnslist.h"

#include "storage/ttabledelta.h"

TTableDelta* TReturnsList::Recording() const {
    return m_recorder ? m_recorder->ChangeMade() : nullptr;
}

void TReturnsList::Attach(const TReturnsTables& tables) const {
    for (const auto& table : tables)
        if (table) table->AttachRecorder(m_recorder);
}

void TReturnsList::AttachRecorder(TTableRecorder* recorder) {
    m_recorder = recorder;
    Attach(m_tables);
}

TReturnsList& TReturnsList::operator=(TReturnsTables tables) {
    if (tables == m_tables) return *this;
    Attach(tables);
    if (TTableDelta* delta = Recording()) {
        // The tables the list let go live on in the step, for the list to take them back.
        TReturnsTables before = std::move(m_tables);
        const qsizetype size =
            qsizetype((before.capacity() + tables.size()) * sizeof(TReturnsTables::value_type));
        delta->AddStep([this, before = std::move(before)] { m_tables = before; },
                       [this, after = tables] { m_tables = after; }, size);
    }
    m_tables = std::move(tables);
    return *this;
}

TMemTable& TReturnsList::Make(int number) {
    const size_t n = size_t(number);
    if (n < m_tables.size() && m_tables[n]) return *m_tables[n];
    const size_t sizeBefore = m_tables.size();
    auto table = std::make_shared<TMemTable>();
    table->AttachRecorder(m_recorder);
    if (TTableDelta* delta = Recording())
        delta->AddStep(
            [this, n, sizeBefore] {
                m_tables[n].reset();
                if (m_tables.size() > sizeBefore) m_tables.resize(sizeBefore);
            },
            [this, n, table] {
                if (n >= m_tables.size()) m_tables.resize(n + 1);
                m_tables[n] = table;
            },
            qsizetype(sizeof(table) + sizeof(TMemTable)));
    if (n >= m_tables.size()) m_tables.resize(n + 1);
    m_tables[n] = std::move(table);
    return *m_tables[n];
}
