#pragma once
// Driving a program from outside, as a person would: start it, find its windows by
// caption, class and text, read them. Every wait has a time limit.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Handles.h"

namespace qel::test {

// A started program; one still running when this goes out of scope is ended, so a
// failed test never leaves a program behind.
struct Launched {
    Launched() = default;
    Launched(Launched&&) = default;
    Launched& operator=(Launched&&) = default;
    ~Launched();

    UniqueHandle process;
    UniqueHandle thread;
    DWORD pid = 0;
};

// Starts a program in a folder, with NAME=VALUE entries added to this process's
// environment. Throws when it cannot be started.
Launched Launch(const std::string& exe, const std::string& arguments, const std::string& folder,
                const std::vector<std::string>& extraEnvironment = {});

// Waits for a process to end; true with its exit code when it did within the limit.
bool WaitForExit(HANDLE process, DWORD timeoutMs, DWORD* exitCode = nullptr);

// The visible top-level windows of a process.
std::vector<HWND> TopWindowsOf(DWORD pid);
// Waits for a visible top-level window of the process with that caption (and class,
// when given). Returns null when none appeared within the limit.
HWND WaitForTopWindow(DWORD pid, const std::string& caption, DWORD timeoutMs,
                      const char* className = nullptr);

std::string WindowText(HWND hwnd);
std::string ClassOf(HWND hwnd);
// All descendants, depth first.
std::vector<HWND> Descendants(HWND parent);
// The first descendant with that class (null: any) and text.
HWND FindDescendant(HWND parent, const char* className, const std::string& text);

// Folder of the running test program (with a trailing backslash) and the path of the
// wizard built beside the tests.
std::string TestProgramDir();
std::string WizardExe();

}  // namespace qel::test
