#pragma once

#include "bankimport/tstatement.h"

#include <QString>

// A QIF file of a bank account, cash or a credit card: each record an operation, a split record one
// operation per part. Sections of other kinds (investments, lists of categories) are passed over.
TStatement ReadQifStatement(const QString& text);
