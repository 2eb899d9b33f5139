#pragma once

#include "storage/tabledefs.h"

#include <QString>
#include <QStringList>

class TMemTable;
class TMyType;

// Reading the purse table: every rule that converts a sum to base units goes through these.
// Purses are found by their exact name; a name not in the table has rate 0. A blank name is never a
// purse, not even the empty row the purse grid keeps for a new purse.
int FindPurse(const TMemTable& purse, const QString& name);
long double PurseRate(const TMemTable& purse, const QString& name);
long double PurseRate(TMyType& state, const QString& name);
// The purse list: every non-blank name in table order.
QStringList PurseNames(const TMemTable& purse);

// Adds delta to a purse's amount (its own units), stored as float text. False, and nothing changes,
// when the name is blank or not in the purse table.
bool AddToPurse(TMemTable& purse, const QString& name, long double delta);
// The purse's amount; 0 for a purse that does not exist.
long double PurseAmount(const TMemTable& purse, const QString& name);
// Stores a computed amount as float text; false when the purse does not exist.
bool SetPurseAmount(TMemTable& purse, const QString& name, long double value);
