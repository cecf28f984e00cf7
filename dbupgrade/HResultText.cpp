#include "dbupgrade/HResultText.h"

#include <cstdio>

#include "platform/ErrorText.h"

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
    std::string text = text::SystemMessage(static_cast<DWORD>(hr));
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text;
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
