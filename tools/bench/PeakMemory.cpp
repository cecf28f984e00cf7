// Runs a program, waits for it, and tells how much memory it took at its peak, watched
// from outside as a deployment tool starts it:
//
//   qel_peak_memory <program> [arguments...]
//
// Prints one line: the exit code, the wall time, and the peaks of the process's memory
// counters (GetProcessMemoryInfo on its handle, asked every 5 ms while it runs): the peak
// working set and the peak of its private bytes (PagefileUsage). Windows keeps both peaks
// itself (PeakWorkingSetSize, PeakPagefileUsage); Wine answers the working set's peak from
// the Linux process's VmHWM and the private bytes from its resident anonymous memory
// (RssAnon) without a peak, so the largest value asked is taken too.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// A command line that hands every argument over as it came.
std::string Quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    size_t slashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

struct Peaks {
    SIZE_T workingSet = 0, privateBytes = 0;
    void Take(HANDLE process) {
        PROCESS_MEMORY_COUNTERS c{};
        c.cb = sizeof c;
        if (!GetProcessMemoryInfo(process, &c, sizeof c)) return;
        workingSet = std::max({workingSet, c.PeakWorkingSetSize, c.WorkingSetSize});
        privateBytes = std::max({privateBytes, c.PeakPagefileUsage, c.PagefileUsage});
    }
};

double MiB(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: qel_peak_memory <program> [arguments...]\n");
        return 2;
    }
    std::string line;
    for (int i = 1; i < argc; ++i) line += (i > 1 ? " " : "") + Quoted(argv[i]);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("qel_peak_memory: %s could not be started (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    CloseHandle(pi.hThread);
    Peaks peaks;
    while (WaitForSingleObject(pi.hProcess, 5) == WAIT_TIMEOUT) peaks.Take(pi.hProcess);
    QueryPerformanceCounter(&end);
    peaks.Take(pi.hProcess);  // Windows keeps the counters of an ended process
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    std::printf("exit code %lu, %.2f s, peak working set %.1f MiB, peak private bytes %.1f MiB\n", code,
                static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart),
                MiB(peaks.workingSet), MiB(peaks.privateBytes));
    return 0;
}
