#include "tests/support/WineUnix.h"

#include <windows.h>

#include "platform/Text.h"

namespace qel::test {

namespace {

using UnixNameFn = char*(CDECL*)(const wchar_t*);
using DosNameFn = wchar_t*(CDECL*)(const char*);

template <class Fn>
Fn WineExport(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

std::string DosName(const char* unixPath) {
    auto f = WineExport<DosNameFn>("wine_get_dos_file_name");
    if (!f) return {};
    wchar_t* name = f(unixPath);
    if (!name) return {};
    std::string s = text::Narrow(name);
    HeapFree(GetProcessHeap(), 0, name);
    return s;
}

}  // namespace

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string UnixName(const std::string& path) {
    auto f = WineExport<UnixNameFn>("wine_get_unix_file_name");
    if (!f) return {};
    char* name = f(text::Widen(path).c_str());
    if (!name) return {};
    std::string s = name;
    HeapFree(GetProcessHeap(), 0, name);
    return s;
}

bool RunUnix(const char* program, const std::string& arguments) {
    std::string exe = DosName(program);
    if (exe.empty()) return false;
    std::string line = Quoted(exe) + " " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
    return true;
}

std::string Quoted(const std::string& s) {
    std::string q(1, '"');
    q += s;
    q += '"';
    return q;
}

bool PollFor(const std::function<bool()>& done, unsigned timeoutMs) {
    for (DWORD start = GetTickCount();;) {
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
}

}  // namespace qel::test
