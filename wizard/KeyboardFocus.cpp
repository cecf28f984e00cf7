// Keyboard and focus of the wizard window: Tab through the visible page's tab stops with
// the page control as one more stop, Enter and Escape pressing the page's buttons, the
// arrow keys inside the installation type's radio group.
#include <algorithm>

#include "wizard/Instalador_NEW.h"

namespace qel {

std::vector<HWND> TfrmInstala::TabCycle(int page) const {
    std::vector<std::pair<int, HWND>> stops;
    for (const auto& [hwnd, info] : controls_)
        if (info.entry->page == page && info.entry->tabOrder >= 0 && !info.entry->box)
            stops.push_back({info.entry->tabOrder, hwnd});
    std::sort(stops.begin(), stops.end());
    std::vector<HWND> cycle{pgcInstala_};
    for (const auto& s : stops) cycle.push_back(s.second);
    return cycle;
}

// The window that takes the focus when Tab reaches an entry of the cycle: the radio
// group gives it to its selected item; a box whose controls are no tab stops to nobody.
HWND TfrmInstala::FocusTarget(HWND entry) const {
    if (entry == pgcInstala_) return entry;
    const ControlInfo* info = InfoOf(entry);
    if (!info) return nullptr;
    switch (info->entry->kind) {
    case ControlKind::BitBtn:
        return IsWindowVisible(entry) && IsWindowEnabled(entry) ? entry : nullptr;
    case ControlKind::RadioGroup:
        for (HWND item : tipoItens_)
            if (SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED) return item;
        return tipoItens_.empty() ? nullptr : tipoItens_.front();
    default:
        return nullptr;
    }
}

HWND TfrmInstala::FirstTabStop(int page) const {
    for (HWND entry : TabCycle(page))
        if (entry != pgcInstala_)
            if (HWND target = FocusTarget(entry)) return target;
    return pgcInstala_;
}

void TfrmInstala::MoveFocus(bool forward) {
    const std::vector<HWND> cycle = TabCycle(page_);
    const int n = static_cast<int>(cycle.size());
    HWND focus = GetFocus();
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (cycle[i] == focus || IsChild(cycle[i], focus)) at = i;
    if (at < 0) at = forward ? 0 : 1;  // from outside the cycle: as if from the page control
    for (int step = 1; step <= n; ++step) {
        const int i = ((at + (forward ? step : -step)) % n + n) % n;
        if (HWND target = FocusTarget(cycle[i])) {
            SetFocus(target);
            return;
        }
    }
}

bool TfrmInstala::MoveInRadioGroup(HWND item, bool forward) {
    auto it = std::find(tipoItens_.begin(), tipoItens_.end(), item);
    if (it == tipoItens_.end()) return false;
    const int n = static_cast<int>(tipoItens_.size());
    const int i = static_cast<int>(it - tipoItens_.begin());
    HWND next = tipoItens_[((i + (forward ? 1 : -1)) % n + n) % n];
    // Focus and selection move together, as a click does.
    SetFocus(next);
    SendMessageA(next, BM_CLICK, 0, 0);
    return true;
}

void TfrmInstala::MarkSelectedRadioAsTabStop() {
    for (HWND item : tipoItens_) {
        LONG style = GetWindowLongA(item, GWL_STYLE);
        const bool selected = SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED;
        style = selected ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
        SetWindowLongA(item, GWL_STYLE, style);
    }
}

bool TfrmInstala::TrataTecla(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (!hwnd_ || !(msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd)) || !IsWindowEnabled(hwnd_))
        return false;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool alt = msg.message == WM_SYSKEYDOWN || GetKeyState(VK_MENU) < 0;
    const bool plain = !shift && !ctrl && !alt;
    HWND focus = GetFocus();

    switch (msg.wParam) {
    case VK_TAB:
        if (alt) return false;
        // Ctrl+Tab would step through the tabs of the page control; it has none shown.
        if (!ctrl) MoveFocus(!shift);
        return true;
    case VK_RETURN:
        if (!plain) return false;
        // The focused button, or the page's Default button while no button has the focus.
        if (IsBitBtn(focus) && IsWindowVisible(focus)) Click(focus);
        else if (HWND button = RoleButton(page_, ButtonRole::Default)) Click(button);
        return true;
    case VK_ESCAPE:
        if (!plain) return false;
        if (HWND button = RoleButton(page_, ButtonRole::Cancel)) Click(button);
        return true;
    case VK_UP:
    case VK_LEFT:
    case VK_DOWN:
    case VK_RIGHT:
        if (!plain) return false;
        return MoveInRadioGroup(focus, msg.wParam == VK_DOWN || msg.wParam == VK_RIGHT);
    }
    return false;
}

}  // namespace qel
