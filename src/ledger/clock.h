#pragma once

#include <QDate>

// Today's date as the program sees it. Tests fix it to a known day (a Sunday, a month's end...).
QDate CurrentDate();
// An invalid date returns to the system's clock.
void SetCurrentDateForTesting(const QDate& date);
