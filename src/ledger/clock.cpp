#include "ledger/clock.h"

namespace {
QDate g_fixed;
}

QDate CurrentDate() { return g_fixed.isValid() ? g_fixed : QDate::currentDate(); }

void SetCurrentDateForTesting(const QDate& date) { g_fixed = date; }
