// Any bytes as a table file: loading, reading every cell, editing and saving must never crash, and a
// loaded table saves to bytes that load again.
#include "storage/tmemtable.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemTable t;
    t.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (int i = 0; i < t.RowCount(); ++i) {
        TTableRow* r = t.Row(i);
        const int n = r->CellCount();
        for (int c = -1; c <= n && c < 64; ++c) {
            QString text;
            r->TryCell(c, text);
        }
        r->Cells();
        if (i % 2) r->SetCell(0, QStringLiteral("изменено"));
    }
    TMemTable again;
    if (!again.LoadFromBytes(t.ToBytes()) || again.RowCount() != t.RowCount()) std::abort();
    return 0;
}
