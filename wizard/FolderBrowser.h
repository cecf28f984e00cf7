#pragma once
// The browse algorithm of the install folder field: where the shell's folder browser
// starts, the browser itself, and the text the field takes from the chosen folder.
#include <windows.h>

#include <optional>
#include <string>

namespace qel {

// The folder the browser starts at: the field's text; when that is empty the field's
// initial folder, or "\" when that is empty too; "\" (the root of the current drive)
// whenever the candidate is not an existing folder.
std::string BrowseStartFolder(const std::string& fieldText, const std::string& initialFolder);

// A chosen folder's path as the field shows it: without a trailing backslash unless it
// is a drive's root (C:\).
std::string FieldTextFor(const std::string& chosenPath);

// Opens the shell's folder browser, modal over owner and centred on the screen: a tree
// rooted at the desktop that returns file-system folders only, without an instruction
// text, with startFolder selected, and OK enabled only while the selection is an
// existing folder. Returns the chosen folder's path, or nothing on Cancel.
std::optional<std::string> BrowseForFolder(HWND owner, const std::string& startFolder);

}  // namespace qel
