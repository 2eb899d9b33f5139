// Any text in a date cell: every date reader must give a day that FormatDate writes as "dd.MM.yyyy"
// and that reads back as the same day.
#include "ledger/tdatereader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TTodayOverride today(QDate(2026, 3, 10));
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const TDateValue date : {ParseCellDate(text), ParseDateSystem(text), ParseDateLoose(text)}) {
        const QString written = FormatDate(date);
        if (written.size() != 10 || written[2] != u'.' || written[5] != u'.') std::abort();
        if (date != 0 && ParseCellDate(written) != date) std::abort();
        if (ParseDateSystem(written) != date) std::abort();
    }
    return 0;
}
