#pragma once
// The copy animation of page 3 (anmIntala): a copy clip played by the platform's animation
// control inside a window of ours (TAnimate), both children of the page. The control plays
// with a timer of the window's thread, which only handles messages while a run works on
// a thread of its own.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/GdiHandles.h"

namespace qel {

// What the header of an AVI clip says about its frames.
struct AviFrames {
    int count = 0;
    int width = 0;
    int height = 0;
};

// Reads the main header of a RIFF AVI clip; false when the data is not one.
bool ReadAviFrames(const void* data, std::size_t size, AviFrames& frames);

class CopyAnimation {
public:
    // The frame the layout stops at; opening the clip replaces it by the clip's own count.
    static constexpr int kLayoutStopFrame = 31;
    // The shell's copy-files clip: animation resource 160 of shell32.
    static constexpr int kShellCopyClip = 160;

    // A clip to try: the animation resource id of module, taken only when its header
    // gives it at least minFrames frames and the control opens it.
    struct Clip {
        HMODULE module;
        int id;
        int minFrames;
    };
    // The wizard's clips, in the order they are tried: the platform's copy-files clip when
    // it has the layout's 31 frames (the shell has not carried one the control can play
    // since Windows Vista), then the program's own.
    static std::vector<Clip> WizardClips(HMODULE program);

    // Creates the hidden, stopped animation in parent at box (parent's client
    // coordinates) with the control identifier id; throws when it cannot be made.
    CopyAnimation(HWND parent, const RECT& box, int id, std::vector<Clip> clips);

    // The TAnimate window: what the layout names anmIntala.
    HWND Window() const { return window_.get(); }
    // The platform's animation control, filling the TAnimate window.
    HWND Player() const { return player_; }

    // Starts and shows (true) or stops and hides (false): the running state is set first,
    // then the visibility. Starting when no clip can be opened throws "Cannot open AVI"
    // and leaves the animation stopped and hidden.
    void Show(bool on);

    bool Running() const { return running_; }
    bool Open() const { return clipInUse_ >= 0; }
    // The index in the clip list of the clip the control has open; -1 before one was.
    int ClipInUse() const { return clipInUse_; }
    int StopFrame() const { return stopFrame_; }
    // The frames the last start asked the control to play, counted from 1.
    int PlayedFrom() const { return playedFrom_; }
    int PlayedTo() const { return playedTo_; }

private:
    void OpenClip();
    void Start();
    void Stop();

    UniqueWindow window_;
    HWND player_ = nullptr;
    std::vector<Clip> clips_;
    bool running_ = false;
    int clipInUse_ = -1;
    int stopFrame_ = kLayoutStopFrame;
    int clipFrames_ = 0;
    int playedFrom_ = 0, playedTo_ = 0;
};

}  // namespace qel
