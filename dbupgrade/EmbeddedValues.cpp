#include "dbupgrade/EmbeddedValues.h"

#include <cmath>

#include "dbupgrade/Messages.h"
#include "dbupgrade/TextForms.h"
#include "platform/Failure.h"
#include "platform/Text.h"

namespace qel::db {

namespace {

// The value as it is stored, whatever its storage: numbers in their text forms, text
// (UTF-8) and bytes as they are.
std::string RawText(const Cell& cell) {
    switch (cell.index()) {
        case 1: return forms::FormatWhole(std::get<std::int64_t>(cell));
        case 2: return forms::FormatNumber(std::get<double>(cell));
        case 3: return std::get<std::string>(cell);
        case 4: return std::get<Bytes>(cell).data;
        default: return {};
    }
}

// A value in a message, which is program text.
std::string Shown(const Cell& cell) { return text::FromUtf8(RawText(cell)); }

bool IsNull(const Cell& cell) { return cell.index() == 0; }

// Text the engine would read as a number when stored in a column of numeric affinity.
// Deliberately broad: keeping more texts as bytes costs nothing.
bool LooksNumeric(const std::string& s) {
    bool digit = false;
    for (char c : s) {
        if (c >= '0' && c <= '9') digit = true;
        else if (!(c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E' || c == ' ' || c == '\t' ||
                   c == '\r' || c == '\n' || c == '\f' || c == '\v'))
            return false;
    }
    return digit;
}

std::string WholeText(const Cell& cell, const ColumnForm& column) {
    if (auto* i = std::get_if<std::int64_t>(&cell)) return forms::FormatWhole(*i);
    if (auto* d = std::get_if<double>(&cell)) {
        if (std::trunc(*d) == *d && std::fabs(*d) < 9.2e18) return forms::FormatWhole(static_cast<std::int64_t>(*d));
    } else if (auto parsed = forms::ParseWhole(RawText(cell))) {
        return forms::FormatWhole(*parsed);
    }
    throw Failure(msg::InvalidInteger(Shown(cell), column.name));
}

std::string NumberText(const Cell& cell, const ColumnForm& column) {
    if (auto* i = std::get_if<std::int64_t>(&cell)) return forms::FormatWhole(*i);
    if (auto* d = std::get_if<double>(&cell)) return forms::FormatNumber(*d);
    std::string raw = RawText(cell);
    if (auto whole = forms::ParseWhole(raw)) return forms::FormatWhole(*whole);
    if (auto number = forms::ParseNumber(raw)) return forms::FormatNumber(*number);
    throw Failure(msg::InvalidNumber(Shown(cell), column.name));
}

DateTime StoredDateTime(const Cell& cell, const ColumnForm& column, std::string* fraction = nullptr) {
    // A date's text form is plain ASCII: it is read from the stored bytes as they are.
    const std::string* stored = std::get_if<std::string>(&cell);
    if (const Bytes* bytes = std::get_if<Bytes>(&cell)) stored = &bytes->data;
    if (stored) {
        if (auto parsed = forms::ParseDateTime(*stored, fraction)) return *parsed;
    }
    throw Failure(msg::InvalidDateTime(Shown(cell), column.name));
}

bool StoredYesNo(const Cell& cell, const ColumnForm& column) {
    if (auto* i = std::get_if<std::int64_t>(&cell)) return *i != 0;
    if (auto* d = std::get_if<double>(&cell)) return *d != 0;
    if (auto parsed = forms::ParseYesNo(RawText(cell))) return *parsed;
    throw Failure(msg::InvalidYesNo(Shown(cell), column.name));
}

// Whether a decimal text has at most 15 significant digits, which a double always holds
// (trailing zeros are counted: the check only has to be sure).
bool FitsADouble(std::string_view s) {
    int digits = 0;
    for (char c : s) {
        if (c == 'e' || c == 'E') break;
        if (c >= '0' && c <= '9' && (digits > 0 || c != '0')) ++digits;
    }
    return digits <= 15;
}

// The first units UTF-16 code units of UTF-8 text (how Jet counts a column's size),
// never splitting a character.
std::string CutToUnits(const std::string& utf8, int units) {
    int used = 0;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        if ((b & 0xC0) == 0x80) continue;
        used += b >= 0xF0 ? 2 : 1;
        if (used > units) return utf8.substr(0, i);
    }
    return utf8;
}

}  // namespace

bool HasNumericAffinity(const char* declared) {
    // The engine's rule: INT, CHAR/CLOB/TEXT, BLOB or nothing, REAL/FLOA/DOUB, else numeric.
    if (!declared || !*declared) return false;
    std::string upper = declared;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    auto has = [&](const char* part) { return upper.find(part) != std::string::npos; };
    if (has("INT")) return true;
    if (has("CHAR") || has("CLOB") || has("TEXT")) return false;
    if (has("BLOB")) return false;
    return true;
}

Value CellToText(const Cell& cell, const ColumnForm& column) {
    if (IsNull(cell)) return std::nullopt;
    switch (column.type.kind) {
        case ColumnKind::Counter:
        case ColumnKind::Whole: return WholeText(cell, column);
        case ColumnKind::Number: return NumberText(cell, column);
        case ColumnKind::DateTime: {
            std::string fraction;
            DateTime value = StoredDateTime(cell, column, &fraction);
            return forms::FormatDateTime(value, fraction);
        }
        case ColumnKind::YesNo: return forms::FormatYesNo(StoredYesNo(cell, column));
        case ColumnKind::Binary:
            if (cell.index() == 1 || cell.index() == 2) throw Failure(msg::InvalidBinary(Shown(cell), column.name));
            break;
        case ColumnKind::Text:
        case ColumnKind::LongText: break;
    }
    return RawText(cell);
}

DateTime CellToDateTime(const Cell& cell, const ColumnForm& column) {
    if (IsNull(cell)) return DateTime{};
    const ColumnKind kind = column.type.kind;
    if (kind == ColumnKind::DateTime) return StoredDateTime(cell, column);
    if (kind == ColumnKind::Text || kind == ColumnKind::LongText) {
        if (auto parsed = forms::ParseDateTime(RawText(cell))) return *parsed;
    }
    const std::string shown = kind == ColumnKind::Binary ? Shown(cell) : text::FromUtf8(*CellToText(cell, column));
    throw Failure(msg::InvalidDateTime(shown, column.name));
}

namespace {

Cell Converted(const Value& value, const ColumnForm& column) {
    const ColumnKind kind = column.type.kind;
    if (!value) return std::monostate{};
    const std::string& text = *value;
    if (kind == ColumnKind::Binary) return Bytes{text};
    if (kind == ColumnKind::Text || kind == ColumnKind::LongText) {
        const size_t size = static_cast<size_t>(column.type.size);
        std::string stored = size > 0 && text.size() > size ? CutToUnits(text, column.type.size) : text;
        if (column.numericAffinity && LooksNumeric(stored)) return Bytes{std::move(stored)};
        return stored;
    }
    if (text.empty()) return std::monostate{};
    auto shown = [&] { return text::FromUtf8(text); };
    switch (kind) {
        case ColumnKind::Whole:
            if (auto v = forms::ParseWhole(text)) return *v;
            throw Failure(msg::InvalidInteger(shown(), column.name));
        case ColumnKind::Number:
            // Whole values stay exact beyond the precision of a double ("-0" keeps its sign).
            if (auto v = forms::ParseWhole(text); v && !(*v == 0 && forms::Trim(text).front() == '-')) return *v;
            if (auto v = forms::ParseNumber(text)) {
                if (!FitsADouble(text) && std::isfinite(*v) && !forms::SameNumber(text, forms::FormatNumber(*v)))
                    throw InexactValue(column.name, "'" + shown() + "' has more digits than the column holds");
                return *v;
            }
            throw Failure(msg::InvalidNumber(shown(), column.name));
        case ColumnKind::DateTime: {
            std::string fraction;
            if (auto v = forms::ParseDateTime(text, &fraction)) return forms::FormatDateTime(*v, fraction);
            throw Failure(msg::InvalidDateTime(shown(), column.name));
        }
        case ColumnKind::YesNo:
            if (auto v = forms::ParseYesNo(text)) return static_cast<std::int64_t>(*v ? 1 : 0);
            throw Failure(msg::InvalidYesNo(shown(), column.name));
        default: break;
    }
    return std::monostate{};
}

}  // namespace

Cell TextToCell(const Value& value, const ColumnForm& column) {
    const ColumnKind kind = column.type.kind;
    if (kind == ColumnKind::Counter) throw Failure(msg::FieldReadOnly(column.name));
    Cell cell = Converted(value, column);
    if (column.required && IsNull(cell)) throw RefusedValue(column.name, "the column requires a value");
    if (!column.emptyTextAllowed && (kind == ColumnKind::Text || kind == ColumnKind::LongText) &&
        RawText(cell).empty() && !IsNull(cell))
        throw RefusedValue(column.name, "the column does not take an empty text");
    return cell;
}

}  // namespace qel::db
