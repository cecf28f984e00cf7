#include "tests/support/Windows.h"

#include <cstring>
#include <stdexcept>

#include "platform/FileSystem.h"
#include "tools/uidriver/UiDriver.h"

namespace qel::test {

Launched::~Launched() {
    if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.get(), 255);
        WaitForSingleObject(process.get(), 10000);
    }
}

Launched Launch(const std::string& exe, const std::string& arguments, const std::string& folder,
                const std::vector<std::string>& extraEnvironment) {
    std::string block;
    if (!extraEnvironment.empty()) {
        for (const auto& e : extraEnvironment) block += e + '\0';
        char* env = GetEnvironmentStringsA();
        for (const char* p = env; *p; p += strlen(p) + 1) {
            std::string entry = p;
            bool overridden = false;
            for (const auto& e : extraEnvironment) {
                auto eq = e.find('=');
                if (_strnicmp(entry.c_str(), e.c_str(), eq + 1) == 0) overridden = true;
            }
            if (!overridden) block += entry + '\0';
        }
        FreeEnvironmentStringsA(env);
        block += '\0';
    }
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                        block.empty() ? nullptr : block.data(),
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        throw std::runtime_error("cannot start " + commandLine + ": error " +
                                 std::to_string(GetLastError()));
    Launched l;
    l.process.reset(pi.hProcess);
    l.thread.reset(pi.hThread);
    l.pid = pi.dwProcessId;
    return l;
}

bool WaitForExit(HANDLE process, DWORD timeoutMs, DWORD* exitCode) {
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode) GetExitCodeProcess(process, exitCode);
    return true;
}

std::vector<HWND> TopWindowsOf(DWORD pid) { return uidriver::VisibleWindowsOf(pid); }

HWND WaitForTopWindow(DWORD pid, const std::string& caption, DWORD timeoutMs, const char* className) {
    DWORD start = GetTickCount();
    for (;;) {
        for (HWND h : TopWindowsOf(pid)) {
            if (WindowText(h) == caption && (!className || ClassOf(h) == className)) return h;
        }
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(50);
    }
}

std::string WindowText(HWND hwnd) { return uidriver::Text(hwnd); }

std::string ClassOf(HWND hwnd) { return uidriver::ClassName(hwnd); }

std::vector<HWND> Descendants(HWND parent) { return uidriver::Descendants(parent); }

HWND FindDescendant(HWND parent, const char* className, const std::string& text) {
    for (HWND h : Descendants(parent))
        if ((!className || ClassOf(h) == className) && WindowText(h) == text) return h;
    return nullptr;
}

std::string TestProgramDir() { return fs::ExtractFilePath(fs::ModuleFileName()); }

std::string WizardExe() { return TestProgramDir() + "..\\bin\\InstalaQEL.exe"; }

}  // namespace qel::test
