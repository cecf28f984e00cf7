#pragma once
// Date-times as the platform's automation dates: days since 30 December 1899, the time
// as the fraction of a day. Before that day the whole days count backwards while the
// fraction still counts forwards (-1.25 is 29 December 1899 06:00).
#include <optional>
#include <string>
#include <string_view>

#include "dbupgrade/Database.h"

namespace qel::db {

// The date-time of a whole second, plus a fraction of that second.
double ToOleDate(const DateTime& value, double fractionOfSecond = 0);
// Whether the value lies in years 100 to 9999, the only ones a date-time has.
bool OleDateInRange(double value);
// The second a value in range lies in: the fraction of a second is dropped, never rounded up, so
// comparing the result with a whole second (the 2007 cut-off) gives what comparing the
// stored value would.
DateTime FromOleDate(double value);

// The text form of a stored value, "YYYY-MM-DD HH:MM:SS" followed by as few fraction
// digits as make OleDateFromText give back the very same value; nothing when no text
// does (a value between -1 and 0, which names the same time as its positive twin).
std::optional<std::string> OleDateText(double value);
// A date-time text form (forms::ParseDateTime's, fraction digits included) as a value.
std::optional<double> OleDateFromText(std::string_view text);

}  // namespace qel::db
