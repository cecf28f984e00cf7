#pragma once
// The program's one taskbar entry. The wizard window has no title-bar buttons and no
// window menu, and its caption is not the program's name, so the entry belongs to a
// window of its own: visible but of no size, carrying the application title and the
// program's icon, and owning the wizard window. Its window menu offers Restore, Minimize
// and Close; Close ends the program without asking.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/GdiHandles.h"

namespace qel {

class TaskbarEntry {
public:
    static constexpr const char* kClassName = "TInstalaQELAplicacao";

    // close: what Close in the window menu does.
    TaskbarEntry(HINSTANCE instance, const std::string& title, std::function<void()> close);
    ~TaskbarEntry();
    TaskbarEntry(const TaskbarEntry&) = delete;
    TaskbarEntry& operator=(const TaskbarEntry&) = delete;

    HWND Handle() const { return window_.get(); }
    // The window the entry stands for; hidden while the entry is minimised.
    void SetMainWindow(HWND main) { main_ = main; }
    void Show();
    void Destroy() { window_.reset(); }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Handle(HWND, UINT, WPARAM, LPARAM);

    UniqueWindow window_;
    HWND main_ = nullptr;
    std::function<void()> close_;
};

}  // namespace qel
