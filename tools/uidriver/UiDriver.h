#pragma once
// Drives a Windows program from outside, the way a person would: finds its windows by
// caption, class and text, presses buttons, types into fields, answers dialogs and reads
// them. Every wait has a time limit; nothing here hangs on a program that stopped
// answering.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Handles.h"

namespace qel::uidriver {

// Thrown when something the driver waited for did not happen in time.
class DriverError : public std::exception {
public:
    explicit DriverError(std::string what) : what_(std::move(what)) {}
    const char* what() const noexcept override { return what_.c_str(); }

private:
    std::string what_;
};

// A program started for driving. Ended (if still running) when this goes away.
class Program {
public:
    // Starts the program in a folder; throws DriverError when it cannot start.
    static Program Start(const std::string& exe, const std::string& folder,
                         const std::string& arguments = "");
    Program(Program&&) = default;
    Program& operator=(Program&&) = default;
    ~Program();

    DWORD Pid() const { return pid_; }
    bool Running() const;
    // Waits for the end; returns the exit code, throws when it is still running.
    DWORD WaitExit(DWORD timeoutMs) const;

    // Visible top-level windows of the program.
    std::vector<HWND> Windows() const;
    // Waits for a visible top-level window with that caption (and class when given).
    HWND WaitWindow(const std::string& caption, DWORD timeoutMs, const char* className = nullptr) const;
    // The visible top-level window with that caption now, or null.
    HWND FindWindow(const std::string& caption, const char* className = nullptr) const;

private:
    Program() = default;
    UniqueHandle process_;
    DWORD pid_ = 0;
};

// The visible top-level windows of a process.
std::vector<HWND> VisibleWindowsOf(DWORD pid);

std::string Text(HWND hwnd);
std::string ClassName(HWND hwnd);
// Visible in fact: the window and all its ancestors are visible.
bool Showing(HWND hwnd);

// The descendants of a window, depth first.
std::vector<HWND> Descendants(HWND parent);
// The first showing descendant with that class (null: any class) and text; null if none.
HWND Find(HWND parent, const char* className, const std::string& text);
// Like Find, but waits and throws DriverError with a description when it never appears.
HWND WaitFor(HWND parent, const char* className, const std::string& text, DWORD timeoutMs);
// Texts of the showing static-text children (labels), in window order.
std::vector<std::string> Labels(HWND parent);

// Presses a button as a click would (the program handles it on its own time: a press that
// opens a modal dialog does not block the driver).
void Press(HWND button);
// Presses the showing button of that caption (any button class) in a window; throws
// when there is none.
void PressButton(HWND window, const std::string& caption, DWORD timeoutMs = 5000);
// Replaces the text of an edit field.
void SetText(HWND edit, const std::string& text);
// Clicks the middle of a window with the left mouse button and turns the wheel a notch
// over it, as a person does (through the platform's input queue).
void ClickAndTurnWheel(HWND window);
// Sends a key press (with Shift/Ctrl/Alt held when asked) to the window, brought to the
// front first.
void Key(HWND window, WORD virtualKey, bool shift = false, bool ctrl = false, bool alt = false);

// Waits until the window is gone (destroyed or hidden).
void WaitGone(HWND hwnd, DWORD timeoutMs);

// What the screen shows in an area: 24-bit rows, bottom-up, each padded to 4 bytes; empty
// when it cannot be read.
std::vector<char> ScreenPixels(const RECT& area);
// Saves a picture of an area of the screen as a 24-bit BMP file.
bool SaveScreenArea(const RECT& area, const std::string& bmpPath);
// Saves a picture of a window (with its frame) as a 24-bit BMP file.
bool SaveScreenshot(HWND hwnd, const std::string& bmpPath);

}  // namespace qel::uidriver
