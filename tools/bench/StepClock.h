#pragma once
// The clock of the start-up steps: milliseconds since the process was created, and the
// file a measured run writes its step times to (one line per step, in milliseconds).
#include <windows.h>

#include <cstdio>
#include <vector>

namespace qel::bench {

inline double SinceCreation() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    auto ticks = [](const FILETIME& f) {
        return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
    };
    return (ticks(now) - ticks(created)) / 1e4;
}

// Writes how long each step took, given the clock's reading at the end of each.
inline bool WriteSteps(const char* file, const std::vector<double>& ends) {
    FILE* out = std::fopen(file, "w");
    if (!out) return false;
    for (size_t i = 0; i < ends.size(); ++i) std::fprintf(out, "%.3f\n", i ? ends[i] - ends[i - 1] : ends[i]);
    return std::fclose(out) == 0;
}

}  // namespace qel::bench
