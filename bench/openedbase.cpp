#include "openedbase.h"

#include "benchbase.h"
#include "ledger/tbaseloader.h"
#include "ledger/tdatagrid.h"
#include "ledger/tmytype.h"

#include <cstring>

TMyType& OpenedBigBase() {
    static TMyType* state = [] {
        auto* s = new TMyType;
        const TBenchBase& base = BigBase();
        s->paths.dataRoot = base.dataRoot + QStringLiteral("/");
        s->baseFolder = base.baseFolder;
        TBaseLoader::OpenBase(*s);
        return s;
    }();
    return *state;
}

int PassOverShownRowBytes(const TDataGrid& grid) {
    int found = 0;
    for (int r = 1; r < grid.GridRowCount(); ++r)
        if (const TTableRow* row = grid.RowAt(r)) {
            const QByteArrayView bytes = row->Bytes();
            found += std::memchr(bytes.data(), 0xFF, size_t(bytes.size())) != nullptr;
        }
    return found;
}
