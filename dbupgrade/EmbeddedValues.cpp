#include "dbupgrade/EmbeddedValues.h"

#include <cmath>

#include "dbupgrade/Messages.h"
#include "dbupgrade/TextForms.h"
#include "platform/Failure.h"
#include "platform/Text.h"

namespace qel::db {

namespace {

bool IsAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

std::string ToProgram(const std::string& utf8) { return StoredToProgram(utf8); }
std::string ToStored(const std::string& cp1252) { return ProgramToStored(cp1252); }

// The value as plain text, whatever its storage, for messages and lenient reading.
std::string RawText(const Cell& cell) {
    switch (cell.index()) {
        case 1: return forms::FormatWhole(std::get<std::int64_t>(cell));
        case 2: return forms::FormatNumber(std::get<double>(cell));
        case 3: return ToProgram(std::get<std::string>(cell));
        case 4: return ToProgram(std::get<Bytes>(cell).utf8);
        default: return {};
    }
}

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
    throw Failure(msg::InvalidInteger(RawText(cell), column.name));
}

std::string NumberText(const Cell& cell, const ColumnForm& column) {
    if (auto* i = std::get_if<std::int64_t>(&cell)) return forms::FormatWhole(*i);
    if (auto* d = std::get_if<double>(&cell)) return forms::FormatNumber(*d);
    std::string raw = RawText(cell);
    if (auto whole = forms::ParseWhole(raw)) return forms::FormatWhole(*whole);
    if (auto number = forms::ParseNumber(raw)) return forms::FormatNumber(*number);
    throw Failure(msg::InvalidNumber(raw, column.name));
}

DateTime StoredDateTime(const Cell& cell, const ColumnForm& column) {
    // A date's text form is plain ASCII: it is read from the stored bytes as they are.
    const std::string* stored = std::get_if<std::string>(&cell);
    if (const Bytes* bytes = std::get_if<Bytes>(&cell)) stored = &bytes->utf8;
    if (stored) {
        if (auto parsed = forms::ParseDateTime(*stored)) return *parsed;
    }
    throw Failure(msg::InvalidDateTime(RawText(cell), column.name));
}

bool StoredYesNo(const Cell& cell, const ColumnForm& column) {
    if (auto* i = std::get_if<std::int64_t>(&cell)) return *i != 0;
    if (auto* d = std::get_if<double>(&cell)) return *d != 0;
    if (auto parsed = forms::ParseYesNo(RawText(cell))) return *parsed;
    throw Failure(msg::InvalidYesNo(RawText(cell), column.name));
}

}  // namespace

// Plain ASCII, most of what a database holds, needs no conversion.
std::string ProgramToStored(const std::string& cp1252) { return IsAscii(cp1252) ? cp1252 : text::ToUtf8(cp1252); }
std::string StoredToProgram(const std::string& utf8) { return IsAscii(utf8) ? utf8 : text::FromUtf8(utf8); }

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

std::string CellToText(const Cell& cell, const ColumnForm& column) {
    if (IsNull(cell)) return {};
    switch (column.type.kind) {
        case ColumnKind::Counter:
        case ColumnKind::Whole: return WholeText(cell, column);
        case ColumnKind::Number: return NumberText(cell, column);
        case ColumnKind::DateTime: return forms::FormatDateTime(StoredDateTime(cell, column));
        case ColumnKind::YesNo: return forms::FormatYesNo(StoredYesNo(cell, column));
        case ColumnKind::Text:
        case ColumnKind::LongText: break;
    }
    return RawText(cell);
}

DateTime CellToDateTime(const Cell& cell, const ColumnForm& column) {
    if (IsNull(cell)) return DateTime{};
    if (column.type.kind == ColumnKind::DateTime) return StoredDateTime(cell, column);
    std::string text = CellToText(cell, column);
    if (column.type.kind == ColumnKind::Text || column.type.kind == ColumnKind::LongText) {
        if (auto parsed = forms::ParseDateTime(text)) return *parsed;
    }
    throw Failure(msg::InvalidDateTime(text, column.name));
}

Cell TextToCell(const std::string& text, const ColumnForm& column) {
    const ColumnKind kind = column.type.kind;
    if (kind == ColumnKind::Counter) throw Failure(msg::FieldReadOnly(column.name));
    if (text.empty()) {
        if (kind == ColumnKind::Text) return std::string();
        return std::monostate{};
    }
    switch (kind) {
        case ColumnKind::Whole:
            if (auto v = forms::ParseWhole(text)) return *v;
            throw Failure(msg::InvalidInteger(text, column.name));
        case ColumnKind::Number:
            // Whole values stay exact beyond the precision of a double ("-0" keeps its sign).
            if (auto v = forms::ParseWhole(text); v && !(*v == 0 && forms::Trim(text).front() == '-')) return *v;
            if (auto v = forms::ParseNumber(text)) return *v;
            throw Failure(msg::InvalidNumber(text, column.name));
        case ColumnKind::DateTime:
            if (auto v = forms::ParseDateTime(text)) return forms::FormatDateTime(*v);
            throw Failure(msg::InvalidDateTime(text, column.name));
        case ColumnKind::YesNo:
            if (auto v = forms::ParseYesNo(text)) return static_cast<std::int64_t>(*v ? 1 : 0);
            throw Failure(msg::InvalidYesNo(text, column.name));
        default: break;
    }
    const bool tooLong = column.type.size > 0 && text.size() > static_cast<size_t>(column.type.size);
    std::string stored = ToStored(tooLong ? text.substr(0, static_cast<size_t>(column.type.size)) : text);
    if (column.numericAffinity && LooksNumeric(stored)) return Bytes{std::move(stored)};
    return stored;
}

}  // namespace qel::db
