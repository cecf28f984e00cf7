#pragma once
// Values of the embedded engine and their conversions to and from the exact values the
// interface carries (Value: text forms in UTF-8, bytes for binary columns), by the
// column's Jet kind. Stored forms: date-times as "YYYY-MM-DD HH:MM:SS" text with the
// digits of a fraction of a second when there is one, yes/no as 0/1, numbers as the
// engine's numbers, text as UTF-8, binary columns as the engine's bytes; an empty value
// is NULL.
#include <cstdint>
#include <string>
#include <variant>

#include "dbupgrade/Database.h"
#include "dbupgrade/JetColumnKind.h"

namespace qel::db {

// The engine's bytes: a binary column's value, or text kept as bytes so that the engine
// does not turn it into a number.
struct Bytes {
    std::string data;
    bool operator==(const Bytes&) const = default;
};

// One stored value: NULL, whole number, number, UTF-8 text, or bytes.
using Cell = std::variant<std::monostate, std::int64_t, double, std::string, Bytes>;

// How a column reads and takes values.
struct ColumnForm {
    std::string name;  // as the query names it (Windows-1252)
    ColumnType type;
    // The engine turns number-like text stored in this column into numbers (its rule
    // for declared types other than text or blob types).
    bool numericAffinity = false;
    // Jet's Required (the column is declared NOT NULL) and AllowZeroLength (a text column
    // takes an empty text unless its table declares it must not be empty).
    bool required = false;
    bool emptyTextAllowed = true;
};

// Whether the engine's rule gives a declared type numeric affinity.
bool HasNumericAffinity(const char* declared);

// A stored value in the column kind's text form, or its bytes. A value that does not
// belong to the kind fails with the kind's conversion message.
Value CellToText(const Cell& cell, const ColumnForm& column);
// A stored value as a date-time (the second it lies in); an empty value is the zero
// date-time.
DateTime CellToDateTime(const Cell& cell, const ColumnForm& column);
// The value to store for a value assigned to the column: nothing empties the column,
// and an empty text empties a number, date-time or yes/no column; text is cut to the
// column's size in characters; a text that does not convert fails with the kind's
// message, a number with more digits than the engine's numbers hold with InexactValue,
// nothing for a required column and an empty text where the column allows none with
// RefusedValue. A counter column is never assigned.
Cell TextToCell(const Value& value, const ColumnForm& column);

}  // namespace qel::db
