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

// "YYYY-MM-DD HH:MM:SS".
std::string FormatDateTime(const DateTime& value);
// Takes "YYYY-MM-DD", optionally followed by a blank or "T" and "HH:MM" with optional
// ":SS" and fraction digits (dropped), or a time alone ("HH:MM[:SS]", on the zero date).
// Years 100 to 9999; the date must exist. Blanks around the text are allowed.
std::optional<DateTime> ParseDateTime(std::string_view text);
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

// "True" / "False".
std::string FormatYesNo(bool value);
// True/False, Yes/No, T/F, Y/N, 1/0/-1, case ignored.
std::optional<bool> ParseYesNo(std::string_view text);

// Text with the blanks at both ends removed.
std::string_view Trim(std::string_view text);

}  // namespace qel::db::forms
