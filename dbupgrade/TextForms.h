#pragma once
// The text forms of values, shared by both engines: what reading a column as text gives
// and what assigning a column from text takes. Every form read back by its parser gives
// the same value, and none depends on the machine's regional settings.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "dbupgrade/Database.h"

namespace qel::db::forms {

// "YYYY-MM-DD HH:MM:SS", followed by "." and the digits of a fraction of a second when
// there are any (trailing zeros are left out).
std::string FormatDateTime(const DateTime& value, std::string_view fractionDigits = {});
// Takes "YYYY-MM-DD", optionally followed by a blank or "T" and "HH:MM" with optional
// ":SS" and fraction digits, or a time alone ("HH:MM[:SS]", on the zero date). Years 100
// to 9999; the date must exist. Blanks around the text are allowed. The value is that of
// the whole second; fractionDigits, when given, receives the digits after the ".".
std::optional<DateTime> ParseDateTime(std::string_view text, std::string* fractionDigits = nullptr);
bool IsValidDateTime(const DateTime& value);

std::string FormatWhole(std::int64_t value);
// Optional sign and decimal digits within the 64-bit range; blanks around are allowed.
std::optional<std::int64_t> ParseWhole(std::string_view text);

// Shortest decimal form that reads back as the same double, "." as separator, plain
// notation between 1e-5 and 1e15 and exponent notation outside.
std::string FormatNumber(double value);
// The single-precision counterpart: shortest form that reads back as the same float.
std::string FormatSingle(float value);
// Decimal number with optional sign, fraction and exponent ("inf" allowed, "nan" not);
// blanks around are allowed.
std::optional<double> ParseNumber(std::string_view text);
// The same text read straight to the nearest single-precision value (reading it as a
// double first could round twice).
std::optional<float> ParseSingle(std::string_view text);

// A decimal number as its sign, its significant digits (no leading or trailing zeros;
// none for zero) and the power of ten of the first of them: "0012.50" and "+1.25e1" both
// give 125 and 2. Takes an optional sign, digits with an optional "." and an optional
// exponent; blanks around are allowed.
struct Decimal {
    bool negative = false;
    std::string digits;
    long power = 0;
    bool operator==(const Decimal&) const = default;
};
std::optional<Decimal> ParseDecimal(std::string_view text);

// Whether the text form of a number written from a text is the same decimal number as
// that text: nothing was rounded away on the way into the column's type.
bool SameNumber(std::string_view text, std::string_view form);

// "True" / "False".
std::string FormatYesNo(bool value);
// True/False, Yes/No, T/F, Y/N, 1/0/-1, case ignored.
std::optional<bool> ParseYesNo(std::string_view text);

// Whether two texts are the same, ASCII letters compared without regard to case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// Text with the blanks at both ends removed.
std::string_view Trim(std::string_view text);

}  // namespace qel::db::forms
