#pragma once

#include <QString>
#include <QStringList>

class TMemTable;
class TMyType;

// Reading the purse table: every rule that converts a sum to base units goes through these.
// Purses are found by their exact name; a name not in the table has rate 0.
int FindPurse(const TMemTable& purse, const QString& name);
long double PurseRate(const TMemTable& purse, const QString& name);
long double PurseRate(TMyType& state, const QString& name);
// The purse list: every non-blank name in table order.
QStringList PurseNames(const TMemTable& purse);
