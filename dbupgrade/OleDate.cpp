#include "dbupgrade/OleDate.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "dbupgrade/TextForms.h"

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

double ToOleDate(const DateTime& v, double fractionOfSecond) {
    std::int64_t days = DaysFromCivil(v.year, v.month, v.day) - kZeroDay;
    double fraction = (v.hour * 3600 + v.minute * 60 + v.second + fractionOfSecond) / 86400.0;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

namespace {

// The date-time of the whole seconds a value counts, dropping the fraction of a second,
// or rounding to the nearest second.
DateTime Seconds(double value, bool nearest) {
    // Whole days and seconds into the day, counted from the signed representation.
    double days = std::trunc(value);
    double fraction = std::fabs(value - days);
    double seconds = fraction * 86400.0;
    std::int64_t whole = static_cast<std::int64_t>(nearest ? std::nearbyint(seconds) : std::floor(seconds));
    std::int64_t day = static_cast<std::int64_t>(days);
    if (whole >= 86400) {
        // A fraction a hair below one day: the next midnight, or the last second of the day.
        if (nearest) ++day;
        whole = nearest ? 0 : 86399;
    }
    DateTime out;
    CivilFromDays(day + kZeroDay, out.year, out.month, out.day);
    out.hour = static_cast<int>(whole / 3600);
    out.minute = static_cast<int>(whole / 60 % 60);
    out.second = static_cast<int>(whole % 60);
    return out;
}

}  // namespace

DateTime FromOleDate(double value) {
    // A value that is the very double of a whole second (as the platform makes them) is
    // that second, though it may lie a hair below it.
    DateTime nearest = Seconds(value, true);
    return ToOleDate(nearest) == value ? nearest : Seconds(value, false);
}

bool OleDateInRange(double value) { return value > -657435.0 && value < 2958466.0; }

std::optional<std::string> OleDateText(double value) {
    if (!OleDateInRange(value)) return std::nullopt;
    const DateTime whole = FromOleDate(value);
    if (ToOleDate(whole) == value) return forms::FormatDateTime(whole);
    // What is left of the second, printed with more digits until the text reads back as
    // the value. Nine are enough for dates of our era; times of the zero day need more.
    const double secondsIntoDay = std::fabs(value - std::trunc(value)) * 86400.0;
    const double rest = secondsIntoDay - (whole.hour * 3600 + whole.minute * 60 + whole.second);
    for (int digits = 1; digits <= 17; ++digits) {
        char buf[32];
        auto printed = std::to_chars(buf, buf + sizeof buf, rest, std::chars_format::fixed, digits);
        if (printed.ec != std::errc() || buf[0] != '0') continue;  // rounded up to the next second
        std::string_view fraction(buf + 2, static_cast<size_t>(printed.ptr - buf - 2));
        std::string candidate = forms::FormatDateTime(whole, fraction);
        if (OleDateFromText(candidate) == value) return candidate;
    }
    return std::nullopt;
}

std::optional<double> OleDateFromText(std::string_view text) {
    std::string fraction;
    auto whole = forms::ParseDateTime(text, &fraction);
    if (!whole) return std::nullopt;
    double ofSecond = 0;
    if (!fraction.empty()) {
        fraction.insert(0, "0.");
        std::from_chars(fraction.data(), fraction.data() + fraction.size(), ofSecond);
    }
    return ToOleDate(*whole, ofSecond);
}

}  // namespace qel::db
