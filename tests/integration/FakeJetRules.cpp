#include "tests/integration/FakeJetRules.h"

#include <oleauto.h>

#include <cstdint>

namespace qel::test::ado {
namespace {

// ADO's type codes the rules tell apart.
bool IsText(int type) { return type == 202 || type == 130 || type == 200 || type == 129 || type == 203 || type == 201; }
bool HasSize(int type) {
    return type == 202 || type == 130 || type == 200 || type == 129 || type == 204 || type == 128;
}

VARTYPE VariantTypeOf(int type) {
    switch (type) {
        case 17: return VT_UI1;
        case 2: return VT_I2;
        case 3: return VT_I4;
        case 4: return VT_R4;
        case 5: return VT_R8;
        case 6: return VT_CY;
        case 7: return VT_DATE;
        case 11: return VT_BOOL;
        case 131: return VT_DECIMAL;
        case 128:
        case 204:
        case 205: return VT_ARRAY | VT_UI1;
        default: return VT_BSTR;
    }
}

// Divides the 96-bit mantissa of a DECIMAL by 10; the remainder.
unsigned DivideBy10(DECIMAL& d) {
    std::uint64_t rest = d.Hi32;
    d.Hi32 = static_cast<ULONG>(rest / 10);
    rest = (rest % 10) << 32 | (d.Lo64 >> 32);
    const std::uint64_t mid = rest / 10;
    rest = (rest % 10) << 32 | (d.Lo64 & 0xFFFFFFFFu);
    d.Lo64 = mid << 32 | rest / 10;
    return static_cast<unsigned>(rest % 10);
}

bool IsZero(const DECIMAL& d) { return d.Hi32 == 0 && d.Lo64 == 0; }

int DigitsOf(DECIMAL d) {
    int n = 0;
    while (!IsZero(d)) {
        DivideBy10(d);
        ++n;
    }
    return n;
}

// Down to the column's scale, rounding half away from zero as the provider does.
void ToScale(DECIMAL& d, int scale) {
    while (d.scale > scale) {
        const unsigned last = DivideBy10(d);
        --d.scale;
        if (d.scale == scale && last >= 5 && ++d.Lo64 == 0) ++d.Hi32;
    }
}

}  // namespace

HRESULT ToColumnType(const Column& column, const VARIANT& in, Var& out) {
    VariantClear(&out.v);
    if (in.vt == VT_NULL || in.vt == VT_EMPTY) {
        out.v.vt = VT_NULL;
        return S_OK;
    }
    const VARTYPE wanted = VariantTypeOf(column.type);
    if (wanted == (VT_ARRAY | VT_UI1)) {
        if (in.vt != wanted) return kMultipleStep;
        VariantCopy(&out.v, const_cast<VARIANT*>(&in));
        LONG high = -1;
        SafeArrayGetUBound(out.v.parray, 1, &high);
        return HasSize(column.type) && column.size > 0 && high + 1 > column.size ? kMultipleStep : S_OK;
    }
    if (FAILED(VariantChangeTypeEx(&out.v, const_cast<VARIANT*>(&in), LOCALE_INVARIANT, 0, wanted)))
        return kMultipleStep;
    if (wanted == VT_BSTR && HasSize(column.type) && column.size > 0 &&
        SysStringLen(out.v.bstrVal) > static_cast<UINT>(column.size))
        return kMultipleStep;
    if (wanted == VT_DECIMAL) {
        ToScale(out.v.decVal, column.scale);
        if (DigitsOf(out.v.decVal) > column.precision) return kMultipleStep;
        out.v.decVal.scale = static_cast<BYTE>(column.scale);
    }
    return S_OK;
}

std::wstring WrittenRow(const std::wstring& table, const std::vector<Column>& columns, std::vector<Var>& row) {
    for (size_t c = 0; c < columns.size(); ++c) {
        VARIANT& v = row[c].v;
        if (v.vt == VT_EMPTY) {
            if (columns[c].defaultValue.v.vt != VT_EMPTY) row[c] = columns[c].defaultValue;
            else v.vt = VT_NULL;
        }
        const std::wstring name = table + L"." + columns[c].name;
        if (columns[c].required && v.vt == VT_NULL)
            return L"The field '" + name +
                   L"' cannot contain a Null value because the Required property for this field is set to True.  "
                   L"Enter a value in this field.";
        if (IsText(columns[c].type) && v.vt == VT_BSTR && SysStringLen(v.bstrVal) == 0 && !columns[c].allowZeroLength)
            return L"Field '" + name + L"' cannot be a zero-length string.";
    }
    return L"";
}

}  // namespace qel::test::ado
