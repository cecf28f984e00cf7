#pragma once
// How quickly a window of another program answers. The system asks a window the same way
// before it calls it "not responding" (5 s without an answer) and ghosts it.
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <set>
#include <thread>
#include <vector>

namespace qel::uidriver {

// From a thread of its own, asks a window every intervalMs to answer WM_NULL
// (SendMessageTimeout, waiting up to a minute) and keeps how long each answer took. When an
// area of the screen is given, another thread notes the different pictures shown there
// meanwhile, every 250 ms, whether the window answers or not.
class AnswerProbe {
public:
    AnswerProbe(HWND window, const RECT* watched = nullptr, DWORD intervalMs = 50);
    ~AnswerProbe();
    AnswerProbe(const AnswerProbe&) = delete;
    AnswerProbe& operator=(const AnswerProbe&) = delete;

    // Stops asking; the answer times in milliseconds, in the order asked.
    std::vector<double> Stop();
    // When each question was asked, in milliseconds from the start.
    const std::vector<double>& AskedAt() const { return askedAt_; }
    // How many different pictures the watched area showed.
    std::size_t Pictures() const { return pictures_.size(); }

private:
    void Ask(HWND window, DWORD intervalMs);
    void Watch();

    RECT watched_{};
    std::atomic<bool> stop_{false};
    std::vector<double> answers_, askedAt_;
    std::set<std::uint64_t> pictures_;
    std::thread asking_, watching_;
};

struct AnswerFigures {
    std::size_t count = 0;
    double worst = 0, p99 = 0, median = 0;
};
// The worst, the 99th percentile (nearest rank) and the median of answer times.
AnswerFigures Figures(std::vector<double> answersMs);

}  // namespace qel::uidriver
