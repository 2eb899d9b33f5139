#include "openedbase.h"

#include "benchbase.h"
#include "ledger/tbaseloader.h"
#include "ledger/tmytype.h"

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
