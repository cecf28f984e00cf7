#include "platform/ErrorText.h"

#include "platform/Text.h"

namespace qel::text {

std::string SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    // Inserts are left as they are: the system's texts may name more of them than any
    // caller could fill.
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message;
    if (n && buffer) message.assign(buffer, n);
    if (buffer) LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.pop_back();
    return Narrow(message);
}

std::string SystemErrorText(DWORD code, const std::string& subject) {
    // Only "%1" (the file or program) is ever meant here.
    std::string out = SystemMessage(code);
    for (std::size_t at = out.find("%1"); at != std::string::npos; at = out.find("%1", at + subject.size()))
        out.replace(at, 2, subject);
    const std::string number = "(erro " + std::to_string(code) + ")";
    return out.empty() ? number : out + " " + number;
}

}  // namespace qel::text
