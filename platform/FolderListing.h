#pragma once
// Listing a folder through the wide find functions, so that names outside the 8-bit
// character set and paths longer than MAX_PATH are listed whole.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/Handles.h"

namespace qel::fs {

struct FolderEntry {
    std::wstring name;
    DWORD attributes = 0;

    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // Junctions and symbolic links, as the platform marks them.
    bool IsReparsePoint() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    bool IsDotEntry() const { return name == L"." || name == L".."; }
};

// The entries that match a pattern, in the order the platform gives them. The attribute
// mask works as a listing by mask does: an entry carrying the hidden (2), system (4),
// volume label (8) or folder (16) attribute is listed only when the mask holds that bit;
// every other entry is always listed. A mask of 63 lists everything.
class FolderListing {
public:
    // `pattern`: a full path in long form ending with the pattern, e.g. "\\?\C:\X\*.*".
    FolderListing(const std::wstring& pattern, DWORD mask);

    // 0 when the listing started (an empty result included), else the platform's error.
    DWORD Error() const { return error_; }
    std::optional<FolderEntry> Next();

private:
    bool Listed(DWORD attributes) const;

    FindHandle handle_;
    WIN32_FIND_DATAW data_{};
    bool pending_ = false;  // data_ holds an entry not handed out yet
    DWORD mask_;
    DWORD error_ = 0;
};

// The entry a path names (no pattern), as its folder lists it: a link is reported as the
// link, not as what it points to. Nothing when there is no such entry.
std::optional<FolderEntry> EntryOf(const std::wstring& longPath);

}  // namespace qel::fs
