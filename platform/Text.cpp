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

std::string Upper(std::string s) {
    if (!s.empty()) CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

std::string Lower(std::string s) {
    if (!s.empty()) CharLowerBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

}  // namespace qel::text
