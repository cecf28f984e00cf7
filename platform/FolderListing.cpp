#include "platform/FolderListing.h"

namespace qel::fs {

namespace {

constexpr DWORD kMaskedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    8 /* volume label */ | FILE_ATTRIBUTE_DIRECTORY;

}  // namespace

FolderListing::FolderListing(const std::wstring& pattern, DWORD mask) : mask_(mask) {
    handle_ = FindHandle(FindFirstFileW(pattern.c_str(), &data_));
    if (handle_) {
        pending_ = true;
        return;
    }
    DWORD e = GetLastError();
    // A folder with no entry at all (a drive root can be one) is an empty listing.
    if (e != ERROR_FILE_NOT_FOUND && e != ERROR_NO_MORE_FILES) error_ = e;
}

bool FolderListing::Listed(DWORD attributes) const {
    return (attributes & kMaskedAttributes & ~mask_) == 0;
}

std::optional<FolderEntry> FolderListing::Next() {
    for (;;) {
        if (!pending_) {
            if (!handle_ || !FindNextFileW(handle_.get(), &data_)) return std::nullopt;
        }
        pending_ = false;
        if (Listed(data_.dwFileAttributes)) return FolderEntry{data_.cFileName, data_.dwFileAttributes};
    }
}

std::optional<FolderEntry> EntryOf(const std::wstring& longPath) {
    WIN32_FIND_DATAW data;
    FindHandle h(FindFirstFileW(longPath.c_str(), &data));
    if (!h) return std::nullopt;
    return FolderEntry{data.cFileName, data.dwFileAttributes};
}

}  // namespace qel::fs
