#pragma once
// Conversions between the program's 8-bit Windows-1252 text and the platform's UTF-16
// and the embedded database's UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace qel::text {

std::wstring Widen(const std::string& cp1252);
std::string Narrow(const std::wstring& utf16);
std::string ToUtf8(const std::string& cp1252);
std::string FromUtf8(const std::string& utf8);

// UTF-16 and UTF-8, converted exactly both ways: a lone surrogate (which only a program
// writing broken text stores) travels as its own three-byte form instead of being
// replaced. Utf16 gives nothing for bytes that are no such text.
std::string Utf8(std::wstring_view utf16);
std::optional<std::wstring> Utf16(std::string_view utf8);

// Upper case of Windows-1252 text as the platform's ANSI upper-casing gives it.
std::string Upper(std::string s);
// Lower case, the counterpart of Upper.
std::string Lower(std::string s);

}  // namespace qel::text
