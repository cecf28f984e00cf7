#pragma once
// Values of the embedded engine and their conversions to and from the text forms, by
// the column's Jet kind. Stored forms: date-times as "YYYY-MM-DD HH:MM:SS" text, yes/no
// as 0/1, numbers as the engine's numbers, text as UTF-8; an empty value is NULL.
#include <cstdint>
#include <string>
#include <variant>

#include "dbupgrade/Database.h"
#include "dbupgrade/JetColumnKind.h"

namespace qel::db {

// Text kept as bytes; the engine does not turn such a value into a number.
struct Bytes {
    std::string utf8;
    bool operator==(const Bytes&) const = default;
};

// One stored value: NULL, whole number, number, UTF-8 text, or text kept as bytes.
using Cell = std::variant<std::monostate, std::int64_t, double, std::string, Bytes>;

// How a column reads and takes values.
struct ColumnForm {
    std::string name;  // as the query names it (Windows-1252)
    ColumnType type;
    // The engine turns number-like text stored in this column into numbers (its rule
    // for declared types other than text or blob types).
    bool numericAffinity = false;
};

// Program text (Windows-1252) to stored text (UTF-8) and back.
std::string ProgramToStored(const std::string& cp1252);
std::string StoredToProgram(const std::string& utf8);

// Whether the engine's rule gives a declared type numeric affinity.
bool HasNumericAffinity(const char* declared);

// A stored value as text, in the column kind's text form. A value that does not belong
// to the kind fails with the kind's conversion message.
std::string CellToText(const Cell& cell, const ColumnForm& column);
// A stored value as a date-time; an empty value is the zero date-time.
DateTime CellToDateTime(const Cell& cell, const ColumnForm& column);
// The value to store for a text assigned to the column: empty text empties every column
// but a text one; text is cut to the column's size; a text that does not convert fails
// with the kind's message. A counter column is never assigned.
Cell TextToCell(const std::string& text, const ColumnForm& column);

}  // namespace qel::db
