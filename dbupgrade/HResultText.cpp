#include "dbupgrade/HResultText.h"

#include <cstdio>

#include "platform/Text.h"

namespace qel::db {

namespace {

// Codes of the data-access run-time that the system's message table does not know.
const char* KnownMeaning(HRESULT hr) {
    switch (static_cast<unsigned long>(hr)) {
        case 0x800401F3UL:  // class string not registered
        case 0x80040154UL:  // class not registered
        case 0x800A0E7AUL:
            return "the data provider named in the connection text is not installed";
        case 0x800A0E78UL: return "the operation is not allowed while the object is closed";
        case 0x800A0E79UL: return "the operation is not allowed while the object is open";
        case 0x800A0BCDUL: return "there is no current row";
        case 0x800A0CB3UL: return "the data provider does not support this operation";
        case 0x800A0C93UL: return "the operation is not allowed in this context";
        case 0x800A0E7DUL: return "the connection cannot be used for this operation";
        case 0x80004001UL: return "the operation is not implemented";
        case 0x80004005UL: return "unspecified failure";
        default: return nullptr;
    }
}

std::string SystemMeaning(HRESULT hr) {
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (n && buffer) text.assign(buffer, n);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    return text::Narrow(text);
}

}  // namespace

std::string DescribeHResult(HRESULT hr) {
    char code[32];
    std::snprintf(code, sizeof code, "error 0x%08lX", static_cast<unsigned long>(hr));
    std::string meaning;
    if (const char* known = KnownMeaning(hr)) meaning = known;
    else meaning = SystemMeaning(hr);
    if (meaning.empty()) meaning = "no further description is available";
    return std::string(code) + ": " + meaning;
}

}  // namespace qel::db
