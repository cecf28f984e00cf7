#include "wizard/FolderBrowser.h"

#include <shlobj.h>

#include <memory>

#include "platform/FileSystem.h"

namespace qel {
namespace {

struct PidlFree {
    void operator()(ITEMIDLIST* p) const { CoTaskMemFree(p); }
};
using Pidl = std::unique_ptr<ITEMIDLIST, PidlFree>;

bool IsExistingFolder(LPCITEMIDLIST pidl) {
    char path[MAX_PATH];
    return pidl && SHGetPathFromIDListA(pidl, path) && fs::DirectoryExists(path);
}

// What the browser's events need while it is open.
struct Browsing {
    std::string start;  // the start folder as a full path; empty when it does not exist
};

int CALLBACK BrowserEvent(HWND browser, UINT msg, LPARAM lp, LPARAM data) {
    switch (msg) {
    case BFFM_INITIALIZED: {
        RECT r;
        GetWindowRect(browser, &r);
        SetWindowPos(browser, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        const auto* browsing = reinterpret_cast<const Browsing*>(data);
        if (!browsing->start.empty()) {
            const LPARAM path = reinterpret_cast<LPARAM>(browsing->start.c_str());
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, path);
            // Asked once more when the browser runs its own loop: one still filling its tree
            // when it reports itself ready can miss the first request (seen under Wine).
            PostMessageA(browser, BFFM_SETSELECTIONA, TRUE, path);
        }
        break;
    }
    case BFFM_SELCHANGED:
        SendMessageA(browser, BFFM_ENABLEOK, 0,
                     IsExistingFolder(reinterpret_cast<LPCITEMIDLIST>(lp)) ? TRUE : FALSE);
        break;
    }
    return 0;
}

}  // namespace

std::string BrowseStartFolder(const std::string& fieldText, const std::string& initialFolder) {
    const std::string root(1, '\\');  // the root of the current drive
    const std::string& candidate = !fieldText.empty()       ? fieldText
                                   : !initialFolder.empty() ? initialFolder
                                                            : root;
    return fs::DirectoryExists(candidate) ? candidate : root;
}

std::string FieldTextFor(const std::string& chosenPath) {
    std::string path = chosenPath;
    const bool driveRoot = path.size() == 3 && path[1] == ':' && path[2] == '\\';
    if (!driveRoot && path.size() > 1 && path.back() == '\\') path.pop_back();
    return path;
}

std::optional<std::string> BrowseForFolder(HWND owner, const std::string& startFolder) {
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;  // the desktop
    info.pszDisplayName = displayName;
    info.lpszTitle = nullptr;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowserEvent;
    // The shell resolves neither "\\" nor relative names against our current folder.
    Browsing browsing{fs::DirectoryExists(startFolder) ? fs::FullPath(startFolder) : std::string()};
    info.lParam = reinterpret_cast<LPARAM>(&browsing);
    Pidl chosen(SHBrowseForFolderA(&info));
    if (!chosen) return std::nullopt;
    char path[MAX_PATH];
    if (!SHGetPathFromIDListA(chosen.get(), path)) return std::nullopt;
    return std::string(path);
}

}  // namespace qel
