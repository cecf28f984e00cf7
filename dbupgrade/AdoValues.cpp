#include "dbupgrade/AdoValues.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "dbupgrade/Messages.h"
#include "dbupgrade/OleDate.h"
#include "dbupgrade/TextForms.h"
#include "platform/Failure.h"
#include "platform/Text.h"

namespace qel::db {

namespace {

std::wstring_view Chars(BSTR b) { return b ? std::wstring_view(b, SysStringLen(b)) : std::wstring_view(); }

// Currency and decimal values by their whole-number mantissa and scale, in both
// directions without a double in between (the platform's own text conversions go
// through one on some systems). The mantissa has up to 96 bits, least significant
// 32 first, as DECIMAL holds it.
using Mantissa = std::array<std::uint32_t, 3>;

unsigned DivideBy10(Mantissa& m) {
    std::uint64_t rest = 0;
    for (int i = 2; i >= 0; --i) {
        const std::uint64_t current = rest << 32 | m[static_cast<size_t>(i)];
        m[static_cast<size_t>(i)] = static_cast<std::uint32_t>(current / 10);
        rest = current % 10;
    }
    return static_cast<unsigned>(rest);
}

bool MultiplyBy10Adding(Mantissa& m, unsigned digit) {
    std::uint64_t carry = digit;
    for (std::uint32_t& limb : m) {
        const std::uint64_t current = std::uint64_t{limb} * 10 + carry;
        limb = static_cast<std::uint32_t>(current);
        carry = current >> 32;
    }
    return carry == 0;
}

std::string DecimalText(Mantissa m, int scale, bool negative) {
    std::string digits;
    do digits += static_cast<char>('0' + DivideBy10(m));
    while (m[0] || m[1] || m[2]);
    while (digits.size() <= static_cast<size_t>(scale)) digits += '0';
    std::reverse(digits.begin(), digits.end());
    const size_t point = digits.size() - static_cast<size_t>(scale);
    size_t end = digits.find_last_not_of('0');
    end = end == std::string::npos || end < point ? point : end + 1;
    if (end > point) digits.insert(point, 1, '.');
    digits.resize(end > point ? end + 1 : point);
    if (negative && digits != "0") digits.insert(digits.begin(), '-');
    return digits;
}

// The mantissa of a decimal text at the smallest scale that holds it whole, at least
// minScale; nothing when that needs more than maxScale places or 96 bits.
std::optional<Mantissa> MantissaOf(const forms::Decimal& d, int minScale, int maxScale, int& scale) {
    const long places = static_cast<long>(d.digits.size()) - d.power;
    if (places > maxScale || d.power > 29) return std::nullopt;
    scale = static_cast<int>(std::max<long>(places, minScale));
    Mantissa m{};
    std::string digits = d.digits + std::string(static_cast<size_t>(scale - places), '0');
    for (char c : digits)
        if (!MultiplyBy10Adding(m, static_cast<unsigned>(c - '0'))) return std::nullopt;
    return m;
}

Value Decimals(const VARIANT& v) {
    if (v.vt == VT_CY) {
        const std::uint64_t magnitude = v.cyVal.int64 < 0 ? 0 - static_cast<std::uint64_t>(v.cyVal.int64)
                                                          : static_cast<std::uint64_t>(v.cyVal.int64);
        return DecimalText({static_cast<std::uint32_t>(magnitude), static_cast<std::uint32_t>(magnitude >> 32), 0}, 4,
                           v.cyVal.int64 < 0);
    }
    return DecimalText({v.decVal.Lo32, v.decVal.Mid32, v.decVal.Hi32}, v.decVal.scale, v.decVal.sign & DECIMAL_NEG);
}

[[noreturn]] void TooManyDigits(const std::string& text, const AdoField& field) {
    throw InexactValue(field.name, "'" + text::FromUtf8(text) + "' has more digits than the column holds");
}

// The digits as written into a currency (ten-thousandths) or decimal value, at the
// field's scale.
void DecimalVariant(const std::string& text, const AdoField& field, VARIANT& out) {
    auto d = forms::ParseDecimal(text);
    if (!d) throw Failure(msg::InvalidNumber(text::FromUtf8(text), field.name));
    const bool currency = field.type == AdoType::Currency;
    if (!currency && field.precision <= 0)
        throw InexactValue(field.name, "the column's precision and scale cannot be read");
    const int columnScale = currency ? 4 : field.scale;
    int scale = 0;
    auto m = MantissaOf(*d, columnScale, columnScale, scale);
    const std::uint64_t low = m ? (std::uint64_t{(*m)[1]} << 32 | (*m)[0]) : 0;
    const std::uint64_t currencyLimit = d->negative ? 0x8000000000000000ULL : 0x7FFFFFFFFFFFFFFFULL;
    const long wholeDigits = d->digits.empty() ? 0 : std::max<long>(d->power, 0);
    if (!m || (currency && ((*m)[2] != 0 || low > currencyLimit)) ||
        (!currency && wholeDigits + columnScale > field.precision))
        TooManyDigits(text, field);
    if (currency) {
        out.vt = VT_CY;
        out.cyVal.int64 = d->negative ? static_cast<LONGLONG>(0 - low) : static_cast<LONGLONG>(low);
        return;
    }
    out.vt = VT_DECIMAL;
    out.decVal.scale = static_cast<BYTE>(scale);
    out.decVal.sign = d->negative && !d->digits.empty() ? DECIMAL_NEG : 0;
    out.decVal.Hi32 = (*m)[2];
    out.decVal.Mid32 = (*m)[1];
    out.decVal.Lo32 = (*m)[0];
}

Value ByteArray(const VARIANT& v, const std::string& field) {
    SAFEARRAY* array = v.parray;
    if (!array || SafeArrayGetDim(array) != 1) throw InexactValue(field, "the byte array has no single dimension");
    LONG low = 0, high = -1;
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) throw InexactValue(field, "the bytes cannot be read");
    std::string out(static_cast<const char*>(data), static_cast<size_t>(high - low + 1));
    SafeArrayUnaccessData(array);
    return out;
}

[[noreturn]] void NotNumber(const std::string& field) { throw InexactValue(field, "it is not a number"); }

void Whole(std::int64_t v, AdoType type, const std::string& text, const std::string& field, VARIANT& out) {
    auto within = [&](std::int64_t low, std::int64_t high) {
        if (v < low || v > high) throw Failure(msg::InvalidInteger(text::FromUtf8(text), field));
    };
    switch (type) {
        case AdoType::UnsignedTinyInt:
            within(0, 255);
            out.vt = VT_UI1;
            out.bVal = static_cast<BYTE>(v);
            return;
        case AdoType::TinyInt:
            within(-128, 127);
            out.vt = VT_I1;
            out.cVal = static_cast<CHAR>(v);
            return;
        case AdoType::SmallInt:
        case AdoType::UnsignedSmallInt:
            within(type == AdoType::SmallInt ? -32768 : 0, type == AdoType::SmallInt ? 32767 : 65535);
            out.vt = type == AdoType::SmallInt ? VT_I2 : VT_UI2;
            if (out.vt == VT_I2) out.iVal = static_cast<SHORT>(v);
            else out.uiVal = static_cast<USHORT>(v);
            return;
        case AdoType::Integer:
            within(INT32_MIN, INT32_MAX);
            out.vt = VT_I4;
            out.lVal = static_cast<LONG>(v);
            return;
        default:
            out.vt = VT_I8;
            out.llVal = v;
            return;
    }
}

}  // namespace

ColumnType AdoColumnType(AdoType type, long definedSize) {
    switch (type) {
        case AdoType::TinyInt:
        case AdoType::SmallInt:
        case AdoType::Integer:
        case AdoType::BigInt:
        case AdoType::UnsignedTinyInt:
        case AdoType::UnsignedSmallInt:
        case AdoType::UnsignedInt:
        case AdoType::UnsignedBigInt: return {ColumnKind::Whole, 0};
        case AdoType::Single:
        case AdoType::Double:
        case AdoType::Currency:
        case AdoType::Decimal:
        case AdoType::Numeric:
        case AdoType::VarNumeric: return {ColumnKind::Number, 0};
        case AdoType::Date:
        case AdoType::DBDate:
        case AdoType::DBTime:
        case AdoType::DBTimeStamp: return {ColumnKind::DateTime, 0};
        case AdoType::Boolean: return {ColumnKind::YesNo, 0};
        case AdoType::BSTR:
        case AdoType::Char:
        case AdoType::WChar:
        case AdoType::VarChar:
        case AdoType::VarWChar: return {ColumnKind::Text, definedSize > 0 ? static_cast<int>(definedSize) : 0};
        case AdoType::LongVarChar:
        case AdoType::LongVarWChar: return {ColumnKind::LongText, 0};
        case AdoType::Binary:
        case AdoType::VarBinary:
        case AdoType::LongVarBinary: return {ColumnKind::Binary, 0};
        case AdoType::Guid: break;  // "{...}" text, never cut
    }
    return {ColumnKind::Text, 0};
}

Value FromVariant(const VARIANT& v, const std::string& field) {
    switch (v.vt) {
        case VT_EMPTY:
        case VT_NULL: return std::nullopt;
        case VT_BSTR: return text::Utf8(Chars(v.bstrVal));
        case VT_BOOL: return forms::FormatYesNo(v.boolVal != VARIANT_FALSE);
        case VT_I1: return forms::FormatWhole(v.cVal);
        case VT_I2: return forms::FormatWhole(v.iVal);
        case VT_I4: return forms::FormatWhole(v.lVal);
        case VT_INT: return forms::FormatWhole(v.intVal);
        case VT_I8: return forms::FormatWhole(v.llVal);
        case VT_UI1: return forms::FormatWhole(v.bVal);
        case VT_UI2: return forms::FormatWhole(v.uiVal);
        case VT_UI4: return forms::FormatWhole(v.ulVal);
        case VT_UINT: return forms::FormatWhole(v.uintVal);
        case VT_UI8: return std::to_string(v.ullVal);
        case VT_R4:
            if (std::isnan(v.fltVal)) NotNumber(field);
            return forms::FormatSingle(v.fltVal);
        case VT_R8:
            if (std::isnan(v.dblVal)) NotNumber(field);
            return forms::FormatNumber(v.dblVal);
        case VT_CY:
        case VT_DECIMAL: return Decimals(v);
        case VT_DATE:
            if (auto text = OleDateText(v.date)) return text;
            throw InexactValue(field, "no date-time text reads back as the stored value " + forms::FormatNumber(v.date));
        case VT_ARRAY | VT_UI1: return ByteArray(v, field);
        default: break;
    }
    throw InexactValue(field, "a value of variant type " + std::to_string(v.vt) + " has no exact form");
}

void ToVariant(const Value& value, const AdoField& field, VARIANT& out) {
    VariantClear(&out);
    const ColumnType type = AdoColumnType(field.type, field.definedSize);
    const bool text = type.kind == ColumnKind::Text || type.kind == ColumnKind::LongText;
    // An empty value stays empty for every kind: a null text is not an empty one.
    if (!value || (value->empty() && ((!text && type.kind != ColumnKind::Binary) || field.type == AdoType::Guid))) {
        out.vt = VT_NULL;
        return;
    }
    const std::string& s = *value;
    auto shown = [&] { return text::FromUtf8(s); };
    switch (type.kind) {
        case ColumnKind::Counter:
        case ColumnKind::Whole: {
            auto v = forms::ParseWhole(s);
            if (!v) throw Failure(msg::InvalidInteger(shown(), field.name));
            Whole(*v, field.type, s, field.name, out);
            return;
        }
        case ColumnKind::Number: {
            // The number the column keeps must read back as the one carried: a float or
            // double nearest to it may be another one.
            if (field.type == AdoType::Single) {
                auto v = forms::ParseSingle(s);
                if (!v) throw Failure(msg::InvalidNumber(shown(), field.name));
                if (!forms::SameNumber(s, forms::FormatSingle(*v))) TooManyDigits(s, field);
                out.vt = VT_R4;
                out.fltVal = *v;
                return;
            }
            if (field.type == AdoType::Currency || field.type == AdoType::Decimal || field.type == AdoType::Numeric ||
                field.type == AdoType::VarNumeric)
                return DecimalVariant(s, field, out);
            auto v = forms::ParseNumber(s);
            if (!v) throw Failure(msg::InvalidNumber(shown(), field.name));
            if (!forms::SameNumber(s, forms::FormatNumber(*v))) TooManyDigits(s, field);
            out.vt = VT_R8;
            out.dblVal = *v;
            return;
        }
        case ColumnKind::DateTime: {
            auto v = OleDateFromText(s);
            if (!v) throw Failure(msg::InvalidDateTime(shown(), field.name));
            out.vt = VT_DATE;
            out.date = *v;
            return;
        }
        case ColumnKind::YesNo: {
            auto v = forms::ParseYesNo(s);
            if (!v) throw Failure(msg::InvalidYesNo(shown(), field.name));
            out.vt = VT_BOOL;
            out.boolVal = *v ? VARIANT_TRUE : VARIANT_FALSE;
            return;
        }
        case ColumnKind::Binary: {
            SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(s.size()));
            void* data = nullptr;
            if (!array || FAILED(SafeArrayAccessData(array, &data))) {
                if (array) SafeArrayDestroy(array);
                throw Failure(msg::InvalidBinary("", field.name));
            }
            std::copy(s.begin(), s.end(), static_cast<char*>(data));
            SafeArrayUnaccessData(array);
            out.vt = VT_ARRAY | VT_UI1;
            out.parray = array;
            return;
        }
        case ColumnKind::Text:
        case ColumnKind::LongText: break;
    }
    std::optional<std::wstring> wide = text::Utf16(s);
    if (!wide) throw InexactValue(field.name, "its bytes are no text");
    // A text field holds at most its size in characters; a character of two code units
    // is not split.
    size_t size = wide->size();
    if (type.size > 0 && size > static_cast<size_t>(type.size)) {
        size = static_cast<size_t>(type.size);
        if ((*wide)[size - 1] >= 0xD800 && (*wide)[size - 1] < 0xDC00) --size;
    }
    out.vt = VT_BSTR;
    out.bstrVal = SysAllocStringLen(wide->data(), static_cast<UINT>(size));
}

}  // namespace qel::db
