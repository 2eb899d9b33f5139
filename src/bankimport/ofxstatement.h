#pragma once

#include "bankimport/tstatement.h"

#include <QByteArray>
#include <QString>

// An OFX statement, 1.x (SGML headers, leaf elements left unclosed) or 2.x (XML): the operations of every
// bank and credit-card account in it, account after account. The date is the one the bank wrote (in its
// own time zone), the sum is in the account's currency, FITID is the reference. A file cut short is refused
// whole. The bytes are needed besides the text for the code page an SGML header names.
TStatement ReadOfxStatement(const QString& text, const QByteArray& bytes);
