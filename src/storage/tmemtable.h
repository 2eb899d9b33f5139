#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

class TMemTable;
class TTableDelta;
class TTableRecorder;

// One row of a memory table: a slot in the table's buffer holding the row's encoding.
class TTableRow {
public:
    int CellCount() const;
    void SetCellCount(int n);
    // Empty text for a cell that does not exist or whose bytes are not valid UTF-8.
    QString Cell(int i) const;
    // False when the cell exists but its bytes cannot be decoded ("Invalid UTF8 Char"): grids show
    // such a cell as an error, while the logic sees an empty cell.
    bool TryCell(int i, QString& text) const;
    // Ignored for a cell that does not exist: give the row its cells with SetCellCount first.
    void SetCell(int i, const QString& text);
    // The cell's bytes as the file holds them (empty for a cell that does not exist or a broken row),
    // for readers that compare or scan cells without decoding them. Valid until the table changes.
    QByteArrayView CellBytes(int i) const;
    // All cells at once, decoded in one walk of the row.
    QStringList Cells() const;
    // The row's slot as it lies in the table's buffer (the encoding, maybe followed by slack); empty for
    // a row never given cells. For readers that walk a row's cells without copying them; valid until
    // the table changes.
    QByteArrayView Bytes() const;
    // Changes with every change of the row's cells and differs between rows that are alive at the same
    // time unless they were loaded together: a row and its stamp together name the row's content, for
    // readers that keep something derived from a row.
    quint64 Stamp() const;
    // Replaces all cells in one re-encoding.
    void SetCells(const QStringList& cells);

private:
    friend class TMemTable;
    friend class TTableDelta;
    TTableRow() = default;
    explicit TTableRow(quint32 table) : m_table(table) {}
    TMemTable& Table() const;
    void Encode(const QStringList& cells);
    // Puts the encoding in the row's slot, or in a new one when it does not fit.
    void WriteEncoding(QByteArrayView enc);
    // The encoding without the slack of its slot; empty for a row never given cells.
    QByteArray Encoding() const;
    // The row's bytes in the buffer and the room of its slot; false for a row never given cells.
    bool Slot(const char*& p, qsizetype& capacity) const;
    // Start and end of the row's bytes in the buffer, and the declared cell count.
    bool Header(const char*& p, const char*& end, quint32& count) const;

    // A new slot at the end of the buffer, stamped, with room for the bytes.
    void AppendSlot(QByteArrayView bytes);

    // A big table has many rows, so a row is kept in eight bytes: its table's number among the live
    // tables, and where its slot starts in the buffer. A slot read from the file is the row's length
    // and bytes; the rows read together share the table's load stamp. A slot the program wrote also
    // carries the row's own stamp between the two.
    quint32 m_table : 31 = 0;
    quint32 m_stamped : 1 = 0;
    qint32 m_slot = -1; // -1: the row has never been given cells
};

// The one storage structure of the program: an ordered list of rows of text cells, kept encoded
// in one buffer that has exactly the layout of the table file.
class TMemTable {
public:
    TMemTable();
    ~TMemTable();
    TMemTable(const TMemTable&) = delete;
    TMemTable& operator=(const TMemTable&) = delete;

    void Clear();
    int RowCount() const { return int(m_rows.size()); }
    // None (nullptr) outside 0..RowCount-1.
    TTableRow* Row(int index) const;
    TTableRow* InsertRow(int index);
    TTableRow* AddRow() { return InsertRow(RowCount()); }
    void DeleteRow(int index);
    // Deletes the rows at the given indices (ascending, each once) in one pass over the list.
    void DeleteRows(const std::vector<int>& indices);
    // Moves a row to another place in the list without touching its bytes.
    void MoveRow(int from, int to);
    // Puts the rows in the given order: order[i] is the old index of the row that becomes row i.
    void Reorder(const std::vector<int>& order);

    bool LoadFromFile(const QString& path);
    bool SaveToFile(const QString& path) const;
    // The bytes SaveToFile writes.
    QByteArray ToBytes() const;
    bool LoadFromBytes(const QByteArray& bytes);

    // The row's encoding as the file holds it (cell count, then the cells), without the slack of its
    // slot; empty for a row never given cells.
    QByteArray RowEncoding(int index) const;

    // Copies every row of another table (cells only) to the end of this one.
    void AppendFrom(const TMemTable& other);
    void CopyFrom(const TMemTable& other);

    // Bytes held by the buffer, for measuring memory.
    qsizetype BufferSize() const { return m_data.size(); }

    // Every change of rows or cells counts; a save can skip a table that did not change since the
    // content on disk was last known to match it.
    quint64 Version() const { return m_version; }
    bool Modified() const { return m_version != m_cleanVersion; }
    void MarkUnmodified() { m_cleanVersion = m_version; }
    void Touch() { ++m_version; }

    // While the recorder records, every change of the table is appended to its delta; a row deleted
    // then is kept for the delta and never reused, and clearing or reading the table anew keeps the old
    // rows too. A table is attached for as long as the recorder lives. Gives the recorder it had, for
    // whoever attaches it for a while.
    TTableRecorder* AttachRecorder(TTableRecorder* recorder) { return std::exchange(m_recorder, recorder); }
    // The delta being recorded for the table now, if any: where a rule records what it moved beside the
    // table (a sort mark), so that it goes back and forth with the rows.
    TTableDelta* DeltaBeingRecorded() const;

private:
    friend class TTableRow;
    friend class TTableDelta;
    // The delta the table's changes go to now, if any; asked by every change of the table, so that a
    // change made while nothing is recorded is counted by the recorder.
    TTableDelta* Recording() const;
    // A row from the table's own blocks: a big table's rows cost their few bytes each, not a heap
    // block each. Rows never move, so a row pointer stays valid until its row is deleted.
    TTableRow* NewRow(qsizetype expected = 0);

    quint32 m_number = 0;    // among the live tables
    quint64 m_loadStamp = 0; // of the rows read from the file
    quint64 m_version = 1;
    quint64 m_cleanVersion = 0;
    QByteArray m_data; // TMemData: the encoded rows
    std::vector<TTableRow*> m_rows;
    std::vector<std::unique_ptr<TTableRow[]>> m_blocks;
    qsizetype m_blockUsed = 0, m_blockSize = 0; // of the last block
    std::vector<TTableRow*> m_freeRows;         // deleted rows, for reuse
    TTableRecorder* m_recorder = nullptr;
};

// The file format's pieces, shared with tools that read table files on their own.
namespace memtable {
void AppendVarint(QByteArray& out, quint32 value);
int VarintSize(quint32 value);
// False when the varint runs past the end or is longer than five bytes.
bool ReadVarint(const char* data, qsizetype size, qsizetype& pos, quint32& value);
// Every UTF-16 unit on its own: 1, 2 or 3 bytes.
void AppendCellText(QByteArray& out, const QString& text);
int CellTextSize(const QString& text);
// False ("Invalid UTF8 Char") for bytes the format does not allow.
bool DecodeCellText(const char* data, qsizetype size, QString& out);
} // namespace memtable
