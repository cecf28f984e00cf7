#include "wizard/CopyAnimation.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/Failure.h"
#include "resources/resource.h"
#include "wizard/ControlClasses.h"

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

namespace {

LRESULT CALLBACK AnimateProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CTLCOLORSTATIC:
        // The clip's background shows in the page's colour.
        SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_SIZE:
        if (HWND player = GetWindow(hwnd, GW_CHILD)) MoveWindow(player, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The header of the animation resource id of module; false when there is none or it is
// no clip.
bool ClipHeader(HMODULE module, int id, AviFrames& frames) {
    HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(id), "AVI") : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data && ReadAviFrames(data, SizeofResource(module, found), frames);
}

}  // namespace

std::vector<CopyAnimation::Clip> CopyAnimation::WizardClips(HMODULE program) {
    return {{GetModuleHandleA("shell32.dll"), kShellCopyClip, kLayoutStopFrame}, {program, IDR_COPY_CLIP, 1}};
}

CopyAnimation::CopyAnimation(HWND parent, const RECT& box, int id, std::vector<Clip> clips)
    : clips_(std::move(clips)) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    RegisterWindowClass(instance, kAnimateClass, AnimateProc);
    const int w = box.right - box.left, h = box.bottom - box.top;
    window_.reset(CreateWindowExA(0, kAnimateClass, "", WS_CHILD | WS_CLIPSIBLINGS, box.left, box.top, w, h, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr));
    // A timer of the window's thread plays the clip, in both versions of the control (the
    // version-6 control always uses one; ACS_TIMER makes the version-5 control do the same
    // instead of starting a thread of its own).
    if (window_.get())
        player_ = CreateWindowExA(0, ANIMATE_CLASSA, "", WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT | ACS_CENTER | ACS_TIMER,
                                  0, 0, w, h, window_.get(), nullptr, instance, nullptr);
    if (!player_) throw Failure("Cannot create the control anmIntala");
}

void CopyAnimation::Show(bool on) {
    if (on && !running_) Start();
    if (!on && running_) Stop();
    ShowWindow(Window(), on ? SW_SHOWNA : SW_HIDE);
}

void CopyAnimation::OpenClip() {
    if (Open()) return;
    for (std::size_t i = 0; i < clips_.size(); ++i) {
        const Clip& clip = clips_[i];
        AviFrames frames;
        if (!ClipHeader(clip.module, clip.id, frames) || frames.count < clip.minFrames) continue;
        if (!SendMessageA(Player(), ACM_OPENA, reinterpret_cast<WPARAM>(clip.module),
                          reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(clip.id))))
            continue;
        clipInUse_ = static_cast<int>(i);
        clipFrames_ = frames.count;
        // The control takes the size of the clip's frames.
        SetWindowPos(Window(), nullptr, 0, 0, frames.width, frames.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    throw Failure("Cannot open AVI");
}

void CopyAnimation::Start() {
    const bool first = !Open();
    OpenClip();
    // The first start plays up to the layout's stop frame, later ones up to the clip's
    // own last frame. A clip shorter than the layout's stop frame is played whole instead
    // of not at all.
    const int last = std::min(first ? kLayoutStopFrame : stopFrame_, clipFrames_);
    stopFrame_ = clipFrames_;
    playedFrom_ = 1;
    playedTo_ = last;
    // Frames count from 0 for the control; -1 repeats without end.
    SendMessageA(Player(), ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, last - 1));
    running_ = true;
}

void CopyAnimation::Stop() {
    SendMessageA(Player(), ACM_STOP, 0, 0);
    // Back to the first frame.
    SendMessageA(Player(), ACM_PLAY, 1, MAKELPARAM(0, 0));
    running_ = false;
}

}  // namespace qel
