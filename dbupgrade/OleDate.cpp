#include "dbupgrade/OleDate.h"

#include <cmath>
#include <cstdint>

namespace qel::db {

namespace {

// Days from 1 March of year 0 (proleptic Gregorian) to a civil date, and back.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t yoe = y - era * 400;
    std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    std::int64_t doe = z - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t y = yoe + era * 400;
    std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

const std::int64_t kZeroDay = DaysFromCivil(1899, 12, 30);

}  // namespace

double ToOleDate(const DateTime& v) {
    std::int64_t days = DaysFromCivil(v.year, v.month, v.day) - kZeroDay;
    double fraction = (v.hour * 3600 + v.minute * 60 + v.second) / 86400.0;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

DateTime FromOleDate(double value) {
    // Whole days and seconds into the day, counted from the signed representation.
    double days = std::trunc(value);
    double fraction = std::fabs(value - days);
    std::int64_t seconds = static_cast<std::int64_t>(std::llround(fraction * 86400.0));
    std::int64_t day = static_cast<std::int64_t>(days);
    if (seconds >= 86400) {  // rounded up to the next midnight; the fraction always runs forward
        seconds -= 86400;
        day += 1;
    }
    DateTime out;
    CivilFromDays(day + kZeroDay, out.year, out.month, out.day);
    out.hour = static_cast<int>(seconds / 3600);
    out.minute = static_cast<int>(seconds / 60 % 60);
    out.second = static_cast<int>(seconds % 60);
    return out;
}

}  // namespace qel::db
