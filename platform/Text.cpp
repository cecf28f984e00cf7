#include "platform/Text.h"

#include <windows.h>

namespace qel::text {
namespace {

constexpr UINT kCodePage = 1252;

std::wstring ToWide(const std::string& s, UINT cp) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string FromWide(const std::wstring& w, UINT cp) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

}  // namespace

std::wstring Widen(const std::string& cp1252) { return ToWide(cp1252, kCodePage); }
std::string Narrow(const std::wstring& utf16) { return FromWide(utf16, kCodePage); }
std::string ToUtf8(const std::string& cp1252) { return FromWide(ToWide(cp1252, kCodePage), CP_UTF8); }
std::string FromUtf8(const std::string& utf8) { return FromWide(ToWide(utf8, CP_UTF8), kCodePage); }

std::string Utf8(std::wstring_view w) {
    std::string out;
    out.reserve(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        unsigned long c = static_cast<unsigned short>(w[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<unsigned short>(w[++i]) - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
            continue;
        }
        static constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
        const int tail = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        out += static_cast<char>(kLead[tail] | (c >> (6 * tail)));
        for (int k = tail - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
    return out;
}

std::optional<std::wstring> Utf16(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        const int tail = b < 0x80                ? 0
                         : b >= 0xC2 && b < 0xE0 ? 1
                         : b >= 0xE0 && b < 0xF0 ? 2
                         : b >= 0xF0 && b < 0xF5 ? 3
                                                 : -1;
        if (tail < 0 || i + static_cast<size_t>(tail) >= s.size()) return std::nullopt;
        unsigned long c = tail ? b & (0x3F >> tail) : b;
        for (int k = 1; k <= tail; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return std::nullopt;
            c = c << 6 | (t & 0x3F);
        }
        // Overlong forms and values beyond Unicode are no text.
        if ((tail == 2 && c < 0x800) || (tail == 3 && (c < 0x10000 || c > 0x10FFFF))) return std::nullopt;
        if (c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
        i += static_cast<size_t>(tail) + 1;
    }
    return out;
}

std::string Upper(std::string s) {
    if (!s.empty()) CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

std::string Lower(std::string s) {
    if (!s.empty()) CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

}  // namespace qel::text
