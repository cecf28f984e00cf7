#pragma once
// Date-times as the platform's automation dates: days since 30 December 1899, the time
// as the fraction of a day. Before that day the whole days count backwards while the
// fraction still counts forwards (-1.25 is 29 December 1899 06:00).
#include "dbupgrade/Database.h"

namespace qel::db {

double ToOleDate(const DateTime& value);
// Rounded to the nearest second.
DateTime FromOleDate(double value);

}  // namespace qel::db
