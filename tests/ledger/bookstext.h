#pragma once

#include <QString>

class TMyType;

// The books a state shows, as text to compare: every row of the ledgers, the transfers, the purses, the
// users and the kinds lists, and under each debt the returns it shows.
QString BooksText(TMyType& state);
