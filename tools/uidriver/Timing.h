#pragma once
// The clock and the median of the measuring tools.
#include <windows.h>

#include <algorithm>
#include <vector>

namespace qel::uidriver {

// Milliseconds of the performance counter, from an arbitrary start: for differences.
inline double NowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// The middle value, or the mean of the two middle values of an even count.
inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace qel::uidriver
