#pragma once
// The values of ADO's fields and their exact forms (Value), for every column kind of an
// Access database, as plain conversions that need no ADO object: what the ADO engine
// reads from a field and assigns to one.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "dbupgrade/Database.h"
#include "dbupgrade/JetColumnKind.h"

namespace qel::db {

// ADO's type codes (DataTypeEnum) of fields, with the Access column kinds the Jet
// provider reports under them.
enum class AdoType : int {
    TinyInt = 16,
    SmallInt = 2,          // Integer
    Integer = 3,           // Long Integer, AutoNumber
    BigInt = 20,
    UnsignedTinyInt = 17,  // Byte
    UnsignedSmallInt = 18,
    UnsignedInt = 19,
    UnsignedBigInt = 21,
    Single = 4,
    Double = 5,
    Currency = 6,
    Decimal = 14,
    Numeric = 131,         // Decimal
    VarNumeric = 139,
    Date = 7,              // Date/Time
    DBDate = 133,
    DBTime = 134,
    DBTimeStamp = 135,
    Boolean = 11,          // Yes/No
    Guid = 72,             // Replication ID
    BSTR = 8,
    Char = 129,
    WChar = 130,           // fixed-size text (CHAR)
    VarChar = 200,
    VarWChar = 202,        // Text
    LongVarChar = 201,
    LongVarWChar = 203,    // Memo, Hyperlink
    Binary = 128,          // fixed-size binary
    VarBinary = 204,       // Binary
    LongVarBinary = 205,   // OLE Object
};

// A field as the conversions see it.
struct AdoField {
    std::string name;  // for messages
    AdoType type;
    long definedSize = 0;  // the most characters a text field holds
    // A Decimal field's digits in all and after the point; 0 digits when they could not
    // be read, and then no value is assigned to it.
    int precision = 0;
    int scale = 0;
};

// The kind of a field of that type; a text field's size is its defined size.
ColumnType AdoColumnType(AdoType type, long definedSize);

// A field's value in its exact form: nothing for an empty value; text (UTF-16 as it
// arrives) in UTF-8; numbers, currency and decimals in their shortest exact decimal
// form; date-times with the fraction digits that read back as the same value; the bytes
// of a byte array (binary and OLE Object fields). A value without an exact form (not a
// number, a date-time no text reads back as, another kind of variant) fails with
// InexactValue.
Value FromVariant(const VARIANT& value, const std::string& field);

// The variant that assigns a value to the field, of the field's own type: VT_UI1, VT_I2,
// VT_I4 for Byte, Integer and Long; VT_R4 for Single, VT_R8 for Double, VT_CY for
// Currency, VT_DECIMAL at the field's scale for Decimal, VT_DATE, VT_BOOL, VT_BSTR (cut
// to a text field's size) and VT_ARRAY | VT_UI1 for the bytes of a binary field. Nothing
// gives VT_NULL for every kind; an empty text gives VT_NULL for kinds other than text and
// binary. A text that does not convert fails with the kind's conversion message; a number
// the field's type would round (a Single or Double that reads back as another number, a
// Decimal beyond the field's precision or scale) and bytes that are no UTF-8 text fail
// with InexactValue. out is cleared first.
void ToVariant(const Value& value, const AdoField& field, VARIANT& out);

}  // namespace qel::db
