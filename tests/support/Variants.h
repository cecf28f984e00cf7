#pragma once
// Variants for the tests of the ADO engine: an owning wrapper and the values a field of
// each kind holds.
#include <windows.h>
#include <oleauto.h>

#include <string>

namespace qel::test {

struct Var {
    Var() { VariantInit(&v); }
    Var(const VARIANT& o) : Var() { VariantCopy(&v, const_cast<VARIANT*>(&o)); }
    Var(const Var& o) : Var(o.v) {}
    Var& operator=(const Var& o) {
        VariantCopy(&v, const_cast<VARIANT*>(&o.v));
        return *this;
    }
    ~Var() { VariantClear(&v); }
    VARIANT v;
};

// The type is set last: a DECIMAL covers the type field too.
template <class Set>
Var Of(VARTYPE type, Set set) {
    Var x;
    set(x.v);
    x.v.vt = type;
    return x;
}
inline Var Text(const std::wstring& s) {
    return Of(VT_BSTR, [&](VARIANT& v) { v.bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); });
}
inline Var Date(double d) { return Of(VT_DATE, [&](VARIANT& v) { v.date = d; }); }
inline Var Null() { return Of(VT_NULL, [](VARIANT&) {}); }
inline Var ByteArray(const std::string& b) {
    return Of(VT_ARRAY | VT_UI1, [&](VARIANT& v) {
        v.parray = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(b.size()));
        for (LONG i = 0; i < static_cast<LONG>(b.size()); ++i) SafeArrayPutElement(v.parray, &i, const_cast<char*>(&b[i]));
    });
}
inline std::string BytesOf(const VARIANT& v) {
    std::string out;
    LONG high = -1;
    SafeArrayGetUBound(v.parray, 1, &high);
    for (LONG i = 0; i <= high; ++i) {
        char c = 0;
        SafeArrayGetElement(v.parray, &i, &c);
        out += c;
    }
    return out;
}
// The same value of the same type: bytes for byte arrays, VarCmp for the rest.
inline bool SameValue(const VARIANT& a, const VARIANT& b) {
    if (a.vt != b.vt) return false;
    if (a.vt == (VT_ARRAY | VT_UI1)) return BytesOf(a) == BytesOf(b);
    if (a.vt == VT_NULL || a.vt == VT_EMPTY) return true;
    return VarCmp(const_cast<VARIANT*>(&a), const_cast<VARIANT*>(&b), LOCALE_INVARIANT, 0) == VARCMP_EQ;
}

}  // namespace qel::test
