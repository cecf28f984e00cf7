// The ADO engine's conversions for every column kind of an Access database: the variant
// a field gives, its exact form, and the variant assigned back, which must be the same
// value of the same type.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "dbupgrade/AdoValues.h"
#include "dbupgrade/OleDate.h"
#include "tests/support/FailureOf.h"
#include "tests/support/Variants.h"

namespace qel::db {
namespace {

using test::ByteArray;
using test::Date;
using test::Null;
using test::Of;
using test::Text;
using test::Var;

const DateTime kLastSecondOf2006{2006, 12, 31, 23, 59, 59};
const std::string kAllBytes = [] {
    std::string b;
    for (int i = 0; i < 256; ++i) b += static_cast<char>(255 - i);
    return b;
}();

struct Row {
    const char* kind;
    AdoType type;
    long size;
    Var in;
    Value form;
    int precision = 0, scale = 0;  // of a Decimal
};

TEST(AdoValues, EveryKindOfAnAccessColumnComesBackAsTheSameValueOfTheSameType) {
    const std::vector<Row> rows = {
        {"Text beyond Windows-1252", AdoType::VarWChar, 50, Text(L"Łódź ≤ 5 − 3 → μ 😀 ç"),
         "\xC5\x81\xC3\xB3\x64\xC5\xBA \xE2\x89\xA4 5 \xE2\x88\x92 3 \xE2\x86\x92 \xCE\xBC \xF0\x9F\x98\x80 \xC3\xA7"},
        {"Memo", AdoType::LongVarWChar, 0, Text(L"linha 1\r\nlinha 2\t\"fim\""), "linha 1\r\nlinha 2\t\"fim\""},
        {"Hyperlink", AdoType::LongVarWChar, 0, Text(L"Site#http://qel.example/a b#"), "Site#http://qel.example/a b#"},
        {"fixed CHAR", AdoType::WChar, 6, Text(L"AB    "), "AB    "},
        {"Byte", AdoType::UnsignedTinyInt, 0, Of(VT_UI1, [](VARIANT& v) { v.bVal = 255; }), "255"},
        {"Integer", AdoType::SmallInt, 0, Of(VT_I2, [](VARIANT& v) { v.iVal = -32768; }), "-32768"},
        {"Long", AdoType::Integer, 0, Of(VT_I4, [](VARIANT& v) { v.lVal = 2147483647; }), "2147483647"},
        {"AutoNumber", AdoType::Integer, 0, Of(VT_I4, [](VARIANT& v) { v.lVal = 1; }), "1"},
        {"Replication ID", AdoType::Guid, 16, Text(L"{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
         "{6F9619FF-8B86-D011-B42D-00C04FC964FF}"},
        {"Single", AdoType::Single, 0, Of(VT_R4, [](VARIANT& v) { v.fltVal = 16777217.0f / 3; }), "5592405.5"},
        {"Single, small", AdoType::Single, 0, Of(VT_R4, [](VARIANT& v) { v.fltVal = 1.17549435e-38f; }),
         "1.1754944e-38"},
        {"Double", AdoType::Double, 0, Of(VT_R8, [](VARIANT& v) { v.dblVal = 0.1 + 0.2; }), "0.30000000000000004"},
        {"Currency", AdoType::Currency, 0, Of(VT_CY, [](VARIANT& v) { v.cyVal.int64 = INT64_MAX; }),
         "922337203685477.5807"},
        {"Decimal", AdoType::Numeric, 0,
         Of(VT_DECIMAL,
            [](VARIANT& v) {
                std::wstring digits = L"-1234567890123456789.012345678";
                VarDecFromStr(digits.data(), LOCALE_INVARIANT, 0, &v.decVal);
            }),
         "-1234567890123456789.012345678", 28, 9},
        {"Date/Time, the last half second of 2006", AdoType::Date, 0, Date(ToOleDate(kLastSecondOf2006, 0.5)),
         "2006-12-31 23:59:59.5"},
        {"Date/Time, a hair before 2007", AdoType::Date, 0, Date(std::nextafter(39083.0, 0.0)),
         "2006-12-31 23:59:59.9999994"},
        {"Date/Time, whole second", AdoType::Date, 0, Date(ToOleDate(kLastSecondOf2006)), "2006-12-31 23:59:59"},
        {"Date/Time, before the zero day", AdoType::Date, 0, Date(-1.25), "1899-12-29 06:00:00"},
        {"Date/Time, a time alone", AdoType::Date, 0, Date(1.0 / 3 + 1e-9), "1899-12-30 08:00:00.0000864"},
        {"Yes/No", AdoType::Boolean, 0, Of(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }), "True"},
        {"No", AdoType::Boolean, 0, Of(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_FALSE; }), "False"},
        {"OLE Object", AdoType::LongVarBinary, 0, ByteArray(kAllBytes), kAllBytes},
        {"Binary", AdoType::VarBinary, 510, ByteArray(std::string("\0\x01\x80\xFF", 4)), std::string("\0\x01\x80\xFF", 4)},
        {"fixed Binary", AdoType::Binary, 4, ByteArray(std::string("\xFF\xFE\0\0", 4)), std::string("\xFF\xFE\0\0", 4)},
        {"zero-length OLE Object", AdoType::LongVarBinary, 0, ByteArray(""), ""},
        {"Single, a tenth", AdoType::Single, 0, Of(VT_R4, [](VARIANT& v) { v.fltVal = 0.1f; }), "0.1"},
        {"Single, the largest whole number it holds", AdoType::Single, 0,
         Of(VT_R4, [](VARIANT& v) { v.fltVal = 16777216.0f; }), "16777216"},
        {"Decimal at the column's scale", AdoType::Numeric, 0,
         Of(VT_DECIMAL, [](VARIANT& v) { VarDecFromI4(-150, &v.decVal), v.decVal.scale = 2; }), "-1.5", 10, 2},
        {"empty Double", AdoType::Double, 0, Null(), std::nullopt},
        {"empty Text", AdoType::VarWChar, 10, Null(), std::nullopt},
        {"empty Replication ID", AdoType::Guid, 16, Null(), std::nullopt},
        {"empty Memo", AdoType::LongVarWChar, 0, Null(), std::nullopt},
        {"empty OLE Object", AdoType::LongVarBinary, 0, Null(), std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        const Value form = FromVariant(row.in.v, "C");
        EXPECT_EQ(form, row.form);
        Var back;
        ToVariant(form, AdoField{"C", row.type, row.size, row.precision, row.scale}, back.v);
        EXPECT_EQ(back.v.vt, row.in.v.vt);
        EXPECT_TRUE(test::SameValue(back.v, row.in.v));
        if (back.v.vt == VT_DECIMAL) {
            EXPECT_EQ(back.v.decVal.scale, row.in.v.decVal.scale);
        }
    }
}

TEST(AdoValues, EmptyValuesFollowTheColumnAndWhatCannotBeCarriedFailsNamingTheColumn) {
    auto back = [](const Value& form, AdoType type, long size = 0, int precision = 0, int scale = 0) {
        Var v;
        ToVariant(form, AdoField{"C", type, size, precision, scale}, v.v);
        return v;
    };
    // An empty text stays an empty text; it empties a number or a date.
    EXPECT_EQ(back("", AdoType::VarWChar, 10).v.vt, VT_BSTR);
    EXPECT_EQ(SysStringLen(back("", AdoType::VarWChar, 10).v.bstrVal), 0u);
    for (AdoType type : {AdoType::Double, AdoType::Date, AdoType::Integer, AdoType::Boolean, AdoType::Guid})
        EXPECT_EQ(back("", type).v.vt, VT_NULL);
    // A number the column's type would round is not assigned at all.
    const std::vector<std::tuple<Value, AdoType, int, int>> rounded = {
        {"16777217", AdoType::Single, 0, 0},
        {"0.30000000000000004", AdoType::Single, 0, 0},
        {"12345678901234567890.5", AdoType::Double, 0, 0},
        {"9007199254740993", AdoType::Double, 0, 0},
        {"1.234", AdoType::Numeric, 10, 2},
        {"123456789.5", AdoType::Numeric, 10, 2},
    };
    for (const auto& [form, type, precision, scale] : rounded)
        EXPECT_EQ(test::FailureOf([&] { back(form, type, 0, precision, scale); }),
                  "The value of field 'C' cannot be carried without change: '" + *form +
                      "' has more digits than the column holds.");
    EXPECT_EQ(test::FailureOf([&] { back("1", AdoType::Numeric); }),
              "The value of field 'C' cannot be carried without change: the column's precision and scale cannot be "
              "read.");
    EXPECT_EQ(back("12345678.5", AdoType::Numeric, 0, 10, 2).v.decVal.Lo32, 1234567850u) << "at the column's scale";
    // A text field takes its size in characters, never half of one.
    EXPECT_EQ(std::wstring(back("ab\xF0\x9F\x98\x80", AdoType::VarWChar, 3).v.bstrVal), L"ab");
    EXPECT_EQ(test::FailureOf([&] { back("300", AdoType::UnsignedTinyInt); }),
              "'300' is not a valid integer value for field 'C'");
    EXPECT_EQ(test::FailureOf([&] { back("\xFF\xFE", AdoType::VarWChar, 10); }),
              "The value of field 'C' cannot be carried without change: its bytes are no text.");
    EXPECT_EQ(test::FailureOf([&] { FromVariant(Date(-0.25).v, "C"); }),
              "The value of field 'C' cannot be carried without change: no date-time text reads back as the "
              "stored value -0.25.");
    EXPECT_EQ(test::FailureOf([&] { FromVariant(Of(VT_R8, [](VARIANT& v) { v.dblVal = std::nan(""); }).v, "C"); }),
              "The value of field 'C' cannot be carried without change: it is not a number.");
    EXPECT_EQ(test::FailureOf([&] { FromVariant(Of(VT_UNKNOWN, [](VARIANT& v) { v.punkVal = nullptr; }).v, "C"); }),
              "The value of field 'C' cannot be carried without change: a value of variant type 13 has no exact form.");
}

}  // namespace
}  // namespace qel::db
