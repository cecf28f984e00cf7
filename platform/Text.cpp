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

// The characters of Windows-1252 bytes 0x80 to 0x9F, as the platform's code page table
// gives them; every other byte is the character of the same number. The carry-over
// converts every text value it moves, so this goes without the platform's two calls
// and the UTF-16 text between them.
constexpr char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Writes the UTF-8 form of a character (up to four bytes; three for all Windows-1252
// has, which the carry-over converts for every text value it moves).
char* PutUtf8(char* out, char32_t c) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// The character of well-formed UTF-8 at p (before end) and how many bytes it takes; 0
// for bytes that are no such character: a lead or trail byte out of place, a sequence
// cut short, an overlong form, a value beyond Unicode. The three-byte forms of
// surrogates are taken as they are. Inline: made a call of its own, it left the
// conversion from UTF-8 of a carried table's texts twice as slow.
inline int Utf8At(const unsigned char* p, const unsigned char* end, char32_t& c) {
    const unsigned char b = *p;
    if (b < 0x80) {
        c = b;
        return 1;
    }
    const int tail = b >= 0xC2 && b < 0xE0 ? 1 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xF0 && b < 0xF5 ? 3 : -1;
    if (tail < 0 || end - p <= tail) return 0;
    c = b & (0x3F >> tail);
    for (int k = 1; k <= tail; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        c = c << 6 | (p[k] & 0x3F);
    }
    if ((tail == 2 && c < 0x800) || (tail == 3 && (c < 0x10000 || c > 0x10FFFF))) return 0;
    return tail + 1;
}

// The Windows-1252 byte of a character, or -1 when the code page lacks it.
int ByteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh1252[i] == c) return 0x80 + i;
    return -1;
}

// UTF-8 to Windows-1252 when the text is well formed and every character is in the code
// page; false otherwise, leaving the platform to decide replacements.
bool Utf8To1252(const std::string& utf8, std::string& out) {
    // Short texts, most of what a database holds, are made on the stack first.
    char stack[256];
    std::string heap;
    char* buffer = stack;
    if (utf8.size() > sizeof stack) {
        heap.resize(utf8.size());
        buffer = heap.data();
    }
    char* to = buffer;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    for (int n; p < end; p += n) {
        char32_t c;
        if (!(n = Utf8At(p, end, c))) return false;
        const int byte = ByteOf(c);
        if (byte < 0) return false;
        *to++ = static_cast<char>(byte);
    }
    out.assign(buffer, to);
    return true;
}

}  // namespace

std::wstring Widen(const std::string& cp1252) { return ToWide(cp1252, kCodePage); }
std::string Narrow(const std::wstring& utf16) { return FromWide(utf16, kCodePage); }

std::string ToUtf8(const std::string& cp1252) {
    char stack[768];
    std::string heap;
    char* buffer = stack;
    if (cp1252.size() * 3 > sizeof stack) {
        heap.resize(cp1252.size() * 3);
        buffer = heap.data();
    }
    char* to = buffer;
    for (unsigned char b : cp1252) to = PutUtf8(to, b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : b);
    return std::string(buffer, to);
}

std::string FromUtf8(const std::string& utf8) {
    std::string out;
    if (Utf8To1252(utf8, out)) return out;
    return FromWide(ToWide(utf8, CP_UTF8), kCodePage);
}

std::string Utf8(std::wstring_view w) {
    std::string out;
    out.reserve(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        char32_t c = static_cast<unsigned short>(w[i]);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<unsigned short>(w[++i]) - 0xDC00);
        char bytes[4];
        out.append(bytes, PutUtf8(bytes, c));
    }
    return out;
}

std::optional<std::wstring> Utf16(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    for (int n; p < end; p += n) {
        char32_t c;
        if (!(n = Utf8At(p, end, c))) return std::nullopt;
        if (c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
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
