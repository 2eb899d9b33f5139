#pragma once

#include "users/tuserhooks.h"

class TMyType;

// The user table as the daily copies keep it, for a user table found empty while bases exist. Each
// base's daily copies hold that base's users only, so the table is put together base by base: every
// base of the base list (and every base folder the list lacks) gives the users of its newest daily
// copy that has any. A name found in the copies of two bases (a user who changed bases between them)
// is taken from the newer copy.
TCopiedUsers UsersFromDailyCopies(const TMyType& state);
