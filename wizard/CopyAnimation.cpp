#include "wizard/CopyAnimation.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "platform/Failure.h"

namespace qel {
namespace {

std::uint32_t Dword(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

bool ReadAviFrames(const void* data, std::size_t size, AviFrames& frames) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (size < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "AVI ", 4) != 0) return false;
    // RIFF 'AVI ' holds LIST 'hdrl', which begins with the 'avih' main header.
    std::size_t at = 12;
    while (at + 8 <= size) {
        const std::uint32_t chunk = Dword(p + at + 4);
        if (std::memcmp(p + at, "LIST", 4) == 0 && at + 12 <= size &&
            std::memcmp(p + at + 8, "hdrl", 4) == 0) {
            std::size_t in = at + 12;
            const std::size_t end = std::min(size, at + 8 + static_cast<std::size_t>(chunk));
            while (in + 8 <= end) {
                const std::uint32_t length = Dword(p + in + 4);
                if (std::memcmp(p + in, "avih", 4) == 0) {
                    if (length < 40 || in + 8 + 40 > end) return false;
                    const std::uint8_t* h = p + in + 8;
                    frames.count = static_cast<int>(Dword(h + 16));
                    frames.width = static_cast<int>(Dword(h + 32));
                    frames.height = static_cast<int>(Dword(h + 36));
                    return frames.count > 0;
                }
                in += 8 + length + (length & 1);
            }
            return false;
        }
        at += 8 + chunk + (chunk & 1);
    }
    return false;
}

CopyAnimation::CopyAnimation(HWND control, HMODULE clipModule, int clipId)
    : control_(control), clipModule_(clipModule), clipId_(clipId) {}

void CopyAnimation::Show(bool on) {
    if (on && !running_) Start();
    if (!on && running_) Stop();
    ShowWindow(control_, on ? SW_SHOWNA : SW_HIDE);
}

void CopyAnimation::OpenClip() {
    if (open_) return;
    AviFrames frames;
    HRSRC found = clipModule_ ? FindResourceA(clipModule_, MAKEINTRESOURCEA(clipId_), "AVI") : nullptr;
    HGLOBAL loaded = found ? LoadResource(clipModule_, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || !ReadAviFrames(data, SizeofResource(clipModule_, found), frames) ||
        !SendMessageA(control_, ACM_OPENA, reinterpret_cast<WPARAM>(clipModule_),
                      reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(clipId_))))
        throw Failure("Cannot open AVI");
    open_ = true;
    clipFrames_ = frames.count;
    // The control takes the size of the clip's frames.
    SetWindowPos(control_, nullptr, 0, 0, frames.width, frames.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CopyAnimation::Start() {
    const bool first = !open_;
    OpenClip();
    // The first start plays up to the layout's stop frame, later ones up to the clip's
    // own last frame. A clip shorter than the layout's stop frame is played whole instead
    // of not at all.
    const int last = std::min(first ? kLayoutStopFrame : stopFrame_, clipFrames_);
    stopFrame_ = clipFrames_;
    playedFrom_ = 1;
    playedTo_ = last;
    // Frames count from 0 for the control; -1 repeats without end.
    SendMessageA(control_, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, last - 1));
    running_ = true;
}

void CopyAnimation::Stop() {
    SendMessageA(control_, ACM_STOP, 0, 0);
    // Back to the first frame.
    SendMessageA(control_, ACM_PLAY, 1, MAKELPARAM(0, 0));
    running_ = false;
}

}  // namespace qel
