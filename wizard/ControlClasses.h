#pragma once
// The window classes of the wizard's controls, named after their kinds (TPageControl,
// TTabSheet, TLabel, TImage, TBitBtn, TRadioGroup, TGroupBox, TDirectoryEdit, TAnimate).
// Those that are the platform's own controls (label, button, boxes, edit) are registered
// as superclasses of them, so they behave, and read out to screen readers, as the
// platform's controls do. TAnimate holds the platform's animation control (CopyAnimation).
//
// Containers hand the notifications of their controls (commands, owner drawing, colours)
// to the ControlHost attached to their top-level window.
#include <windows.h>

namespace qel {

inline constexpr const char* kPageControlClass = "TPageControl";
inline constexpr const char* kTabSheetClass = "TTabSheet";
inline constexpr const char* kLabelClass = "TLabel";
inline constexpr const char* kImageClass = "TImage";
inline constexpr const char* kBitBtnClass = "TBitBtn";
inline constexpr const char* kRadioGroupClass = "TRadioGroup";
inline constexpr const char* kGroupBoxClass = "TGroupBox";
inline constexpr const char* kAnimateClass = "TAnimate";

class ControlHost {
public:
    // A notification that a control sent to its container (WM_COMMAND, WM_DRAWITEM,
    // WM_CTLCOLORSTATIC, WM_CTLCOLORBTN); true when handled, with its result.
    virtual bool Notification(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;

protected:
    ~ControlHost() = default;
};

void AttachHost(HWND topLevel, ControlHost* host);
void DetachHost(HWND topLevel);

// Registers every control class (once per process).
void RegisterControlClasses(HINSTANCE instance);
// Registers a class of the program's own in the window's colour, unless it exists.
void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC proc);

// True when the window is of the named class.
bool IsOfClass(HWND hwnd, const char* className);

}  // namespace qel
