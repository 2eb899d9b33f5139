#pragma once

#include "bankimport/tstatement.h"

#include <QList>
#include <QString>
#include <QStringList>

// A statement that is a text table: one of the banks' layouts when its header row is found, else the
// columns given by the caller, else columns guessed from the header's names or the cells themselves.
TStatement ReadCsvStatement(const QString& text, const TColumnChoice* choice = nullptr);

// Which columns of these rows hold the date, the sum and the rest, from the header's names when a row
// among the first ones names them, else from what the cells hold. Incomplete when nothing fits.
TColumnChoice GuessColumns(const QList<QStringList>& rows);

// The key a column choice is remembered under: the same for every file with the same header row (and
// for header-less tables, with the same number of columns).
QString HeaderKey(const QList<QStringList>& rows, const TColumnChoice& choice);
