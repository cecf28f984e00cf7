#include "tools/uidriver/AnswerProbe.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>

#include "tools/uidriver/Timing.h"
#include "tools/uidriver/UiDriver.h"

namespace qel::uidriver {
AnswerProbe::AnswerProbe(HWND window, const RECT* watched, DWORD intervalMs) {
    asking_ = std::thread([this, window, intervalMs] { Ask(window, intervalMs); });
    if (watched) {
        watched_ = *watched;
        watching_ = std::thread([this] { Watch(); });
    }
}

AnswerProbe::~AnswerProbe() { Stop(); }

std::vector<double> AnswerProbe::Stop() {
    stop_ = true;
    if (asking_.joinable()) asking_.join();
    if (watching_.joinable()) watching_.join();
    return answers_;
}

void AnswerProbe::Ask(HWND window, DWORD intervalMs) {
    const double begin = NowMs();
    double next = begin;
    while (!stop_) {
        const double start = NowMs();
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result) && !IsWindow(window)) break;
        answers_.push_back(NowMs() - start);
        askedAt_.push_back(start - begin);
        // Asks keep their pace; one that came back late is followed at once.
        next += intervalMs;
        const double wait = next - NowMs();
        if (wait > 0) Sleep(static_cast<DWORD>(wait));
        else next = NowMs();
    }
}

void AnswerProbe::Watch() {
    while (!stop_) {
        const std::vector<char> pixels = ScreenPixels(watched_);
        pictures_.insert(std::hash<std::string_view>{}(std::string_view(pixels.data(), pixels.size())));
        Sleep(250);
    }
}

AnswerFigures Figures(std::vector<double> answersMs) {
    AnswerFigures f;
    f.count = answersMs.size();
    if (answersMs.empty()) return f;
    std::sort(answersMs.begin(), answersMs.end());
    f.worst = answersMs.back();
    f.median = answersMs[(answersMs.size() - 1) / 2];
    const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(answersMs.size())));
    f.p99 = answersMs[std::max<std::size_t>(rank, 1) - 1];
    return f;
}

}  // namespace qel::uidriver
