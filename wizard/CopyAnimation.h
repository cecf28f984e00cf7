#pragma once
// The copy animation of page 3 (anmIntala): the shell's copy-files clip played by the
// common animation control, which runs it on a thread of its own so that it keeps
// moving while the installation run keeps the window's thread busy.
#include <windows.h>

#include <cstddef>
#include <cstdint>

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

    // control: the hidden, stopped animation control. The clip is the animation resource
    // clipId of clipModule.
    CopyAnimation(HWND control, HMODULE clipModule, int clipId);

    // Starts and shows (true) or stops and hides (false): the running state is set first,
    // then the visibility. Starting when the clip cannot be opened throws "Cannot open AVI"
    // and leaves the animation stopped and hidden.
    void Show(bool on);

    bool Running() const { return running_; }
    bool Open() const { return open_; }
    int StopFrame() const { return stopFrame_; }
    // The frames the last start asked the control to play, counted from 1.
    int PlayedFrom() const { return playedFrom_; }
    int PlayedTo() const { return playedTo_; }

private:
    void OpenClip();
    void Start();
    void Stop();

    HWND control_;
    HMODULE clipModule_;
    int clipId_;
    bool running_ = false;
    bool open_ = false;
    int stopFrame_ = kLayoutStopFrame;
    int clipFrames_ = 0;
    int playedFrom_ = 0, playedTo_ = 0;
};

}  // namespace qel
