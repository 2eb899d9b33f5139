#pragma once

#include "bankimport/tstatement.h"

#include <QString>
#include <QStringList>

// The keys by which an operation imported once is known again in the same or an overlapping statement:
// the account and the bank's reference when there is one; otherwise the account, date, sum, description
// and the place of the operation among identical ones of the same file. Parallel to st.operations.
QStringList ImportKeys(const TStatement& st);

// The words of a description that name the merchant, for learning its kind: lower case, without numbers,
// card masks, dates, currencies, the city and the country.
QString MerchantWords(const QString& description);
