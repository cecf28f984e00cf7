#pragma once
// Column kinds as the Jet provider knows them, taken from the type name a table declares.
#include <string_view>

namespace qel::db {

enum class ColumnKind {
    Counter,   // auto-numbered whole number; never assigned by the program
    Whole,     // whole number
    Number,    // number with a fraction
    DateTime,  // date and time
    YesNo,     // yes/no
    Text,      // text, cut to its size when it has one
    LongText,  // long text without a size
    Binary,    // bytes (OLE Object, binary), carried byte for byte
};

struct ColumnType {
    ColumnKind kind = ColumnKind::Text;
    // For Text: the most characters the column holds; 0 means no limit.
    int size = 0;
};

// The kind of a column declared with a Jet SQL type name, case ignored. Unknown or
// missing names are text without a size limit; TEXT, VARCHAR and CHAR without a size
// hold 255 characters.
ColumnType ColumnTypeFromDeclared(std::string_view declared);

}  // namespace qel::db
