#include "dbupgrade/DataSource.h"

#include <cwctype>

namespace qel::db {

namespace {

std::wstring TrimBlanks(const std::wstring& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == L' ' || s[b] == L'\t')) ++b;
    while (e > b && (s[e - 1] == L' ' || s[e - 1] == L'\t')) --e;
    return s.substr(b, e - b);
}

bool SameName(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && !b[i];
}

}  // namespace

std::wstring DataSourceOf(const std::wstring& text) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eq = text.find(L'=', pos);
        if (eq == std::wstring::npos) break;
        size_t semi = text.find(L';', pos);
        if (semi < eq) {  // an item without a value
            pos = semi + 1;
            continue;
        }
        std::wstring name = TrimBlanks(text.substr(pos, eq - pos));
        // The value: quoted (quotes doubled inside) or up to the next ";".
        size_t v = eq + 1;
        while (v < text.size() && (text[v] == L' ' || text[v] == L'\t')) ++v;
        std::wstring value;
        size_t next;
        if (v < text.size() && (text[v] == L'"' || text[v] == L'\'')) {
            wchar_t quote = text[v];
            size_t i = v + 1;
            for (; i < text.size(); ++i) {
                if (text[i] == quote) {
                    if (i + 1 < text.size() && text[i + 1] == quote) { value += quote; ++i; continue; }
                    break;
                }
                value += text[i];
            }
            next = text.find(L';', i);
        } else {
            next = text.find(L';', v);
            value = TrimBlanks(text.substr(v, next == std::wstring::npos ? std::wstring::npos : next - v));
        }
        if (SameName(name, L"Data Source")) return value;
        if (next == std::wstring::npos) break;
        pos = next + 1;
    }
    return {};
}

}  // namespace qel::db
