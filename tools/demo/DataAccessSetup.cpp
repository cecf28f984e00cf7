// The demo medium's stand-in for the data-access components setup: it installs nothing.
// It appends one line to "qel-setup-ran.txt" in the temporary folder (its command line,
// the window state it was started with, where it ran from and its current folder), so a
// run of the wizard can be checked.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    char temp[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof temp, temp);
    std::string log = std::string(temp, n) + "qel-setup-ran.txt";
    char program[MAX_PATH + 1] = "", folder[MAX_PATH + 1] = "";
    GetModuleFileNameA(nullptr, program, sizeof program);
    GetCurrentDirectoryA(sizeof folder, folder);
    std::string line = std::string("command line: ") + GetCommandLineA() +
                       " | flags " + std::to_string(si.dwFlags) +
                       " | show " + std::to_string(si.wShowWindow) +
                       " | program " + program + " | folder " + folder + "\r\n";
    HANDLE f = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(f);
    }
    return 0;
}
