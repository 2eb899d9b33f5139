#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class TMemTable;

// Rows of text cells seen through a small interface, so that rows can be shown, filtered and sorted
// without moving the rows of a table. Providers built on a provider observe it: every change is
// announced to them (and to the optional callback) after it is made.
class TDataProvider {
public:
    TDataProvider() = default;
    TDataProvider(const TDataProvider&) = delete;
    TDataProvider& operator=(const TDataProvider&) = delete;
    virtual ~TDataProvider();

    virtual int RowCount() const = 0;
    virtual int ColumnCount() const = 0;
    // Empty outside the rows and columns.
    virtual QString Cell(int row, int column) const = 0;

    // Called after every change of this provider.
    std::function<void()> OnChange;
    // Announces a change: the callback first, then every provider built on this one.
    void Changed();

protected:
    // Makes this provider observe another; nullptr stops observing.
    void SetSource(TDataProvider* source);
    TDataProvider* Source() const { return m_source; }
    // The observed provider has changed (or, with source nullptr, is being destroyed).
    virtual void SourceChanged() {}

private:
    TDataProvider* m_source = nullptr;
    std::vector<TDataProvider*> m_observers;
};

// A provider over one memory table. The table is not owned; whoever changes it calls Changed().
class TMemTableProvider : public TDataProvider {
public:
    // columnCount < 0: the largest cell count of the rows.
    explicit TMemTableProvider(const TMemTable* table, int columnCount = -1);

    int RowCount() const override;
    int ColumnCount() const override;
    QString Cell(int row, int column) const override;

private:
    const TMemTable* m_table;
    int m_columnCount;
};

// A provider over another provider: the rows that pass a predicate, optionally sorted, and optionally
// only some columns. It rebuilds itself whenever its source changes.
class TDataFilter : public TDataProvider {
public:
    using TRowPredicate = std::function<bool(const TDataProvider& source, int row)>;
    // Negative, 0 or positive, like a comparison of the two source rows.
    using TRowComparison = std::function<int(const TDataProvider& source, int rowA, int rowB)>;

    explicit TDataFilter(TDataProvider* source);
    ~TDataFilter() override;

    void SetPredicate(TRowPredicate predicate);
    // The built-in predicate: keeps the rows whose cell in `column` equals `text`.
    void SetCellEquals(int column, const QString& text);
    void SetComparison(TRowComparison comparison);
    // Filter column i shows source column map[i].
    void SetColumnMap(std::vector<int> map);
    void ClearColumnMap();

    // Tests every source row and, with a comparison, sorts the passing ones (ties keep source order).
    // Without a predicate and a comparison every row passes through unmapped. Announces the change.
    void Rebuild();

    int RowCount() const override;
    int ColumnCount() const override;
    QString Cell(int row, int column) const override;
    // The source row shown as a filter row; -1 outside the rows.
    int SourceRow(int row) const;
    const std::optional<std::vector<int>>& RowMap() const { return m_rowMap; }

protected:
    void SourceChanged() override;

private:
    TRowPredicate m_predicate;
    TRowComparison m_comparison;
    std::optional<std::vector<int>> m_rowMap;
    std::optional<std::vector<int>> m_columnMap;
};
