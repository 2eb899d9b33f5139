#include "ledger/tdataprovider.h"

#include "storage/tmemtable.h"

#include <algorithm>

TDataProvider::~TDataProvider() {
    SetSource(nullptr);
    // Observers outlive nothing they cannot reach: they are told their source is gone.
    const std::vector<TDataProvider*> observers = m_observers;
    for (TDataProvider* observer : observers) {
        observer->m_source = nullptr;
        observer->SourceChanged();
    }
}

void TDataProvider::Changed() {
    if (OnChange) OnChange();
    const std::vector<TDataProvider*> observers = m_observers;
    for (TDataProvider* observer : observers)
        observer->SourceChanged();
}

void TDataProvider::SetSource(TDataProvider* source) {
    if (m_source == source) return;
    if (m_source) {
        auto& list = m_source->m_observers;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    m_source = source;
    if (m_source) m_source->m_observers.push_back(this);
}

TMemTableProvider::TMemTableProvider(const TMemTable* table, int columnCount)
    : m_table(table), m_columnCount(columnCount) {}

int TMemTableProvider::RowCount() const {
    return m_table ? m_table->RowCount() : 0;
}

int TMemTableProvider::ColumnCount() const {
    if (m_columnCount >= 0 || !m_table) return std::max(m_columnCount, 0);
    int count = 0;
    for (int i = 0; i < m_table->RowCount(); ++i)
        count = std::max(count, m_table->Row(i)->CellCount());
    return count;
}

QString TMemTableProvider::Cell(int row, int column) const {
    if (!m_table || column < 0 || (m_columnCount >= 0 && column >= m_columnCount)) return QString();
    const TTableRow* r = m_table->Row(row);
    return r ? r->Cell(column) : QString();
}

TDataFilter::TDataFilter(TDataProvider* source) {
    SetSource(source);
}

TDataFilter::~TDataFilter() {
    SetSource(nullptr);
}

void TDataFilter::SetPredicate(TRowPredicate predicate) {
    m_predicate = std::move(predicate);
}

void TDataFilter::SetCellEquals(int column, const QString& text) {
    m_predicate = [column, text](const TDataProvider& source, int row) {
        return source.Cell(row, column) == text;
    };
}

void TDataFilter::SetComparison(TRowComparison comparison) {
    m_comparison = std::move(comparison);
}

void TDataFilter::SetColumnMap(std::vector<int> map) {
    m_columnMap = std::move(map);
}

void TDataFilter::ClearColumnMap() {
    m_columnMap.reset();
}

void TDataFilter::Rebuild() {
    const TDataProvider* source = Source();
    if (!source || (!m_predicate && !m_comparison)) {
        m_rowMap.reset();
        if (!source) m_rowMap.emplace();
        Changed();
        return;
    }
    std::vector<int> map;
    const int n = source->RowCount();
    for (int row = 0; row < n; ++row) {
        if (!m_predicate || m_predicate(*source, row)) map.push_back(row);
    }
    if (m_comparison) {
        // A stable merge sort: ties keep the source order, and a comparison that is not a true order
        // cannot make it read outside the map.
        std::stable_sort(map.begin(), map.end(),
                         [&](int a, int b) { return m_comparison(*source, a, b) < 0; });
    }
    m_rowMap = std::move(map);
    Changed();
}

int TDataFilter::RowCount() const {
    if (m_rowMap) return int(m_rowMap->size());
    return Source() ? Source()->RowCount() : 0;
}

int TDataFilter::ColumnCount() const {
    if (m_columnMap) return int(m_columnMap->size());
    return Source() ? Source()->ColumnCount() : 0;
}

int TDataFilter::SourceRow(int row) const {
    if (row < 0 || row >= RowCount()) return -1;
    return m_rowMap ? (*m_rowMap)[size_t(row)] : row;
}

QString TDataFilter::Cell(int row, int column) const {
    const TDataProvider* source = Source();
    const int sourceRow = SourceRow(row);
    if (!source || sourceRow < 0 || column < 0) return QString();
    if (m_columnMap) {
        if (column >= int(m_columnMap->size())) return QString();
        column = (*m_columnMap)[size_t(column)];
    }
    return source->Cell(sourceRow, column);
}

void TDataFilter::SourceChanged() {
    Rebuild();
}
