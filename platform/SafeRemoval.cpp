#include "platform/SafeRemoval.h"

#include <windows.h>

#include <vector>

#include "platform/Handles.h"
#include "platform/WidePath.h"

namespace qel::fs {

namespace {

// Folders need backup semantics to be opened at all.
constexpr DWORD kFollow = FILE_FLAG_BACKUP_SEMANTICS;
constexpr DWORD kLinkItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The object manager's answer about a name (its counted string heads the buffer).
struct CountedName {
    USHORT length;  // in bytes
    USHORT maximumLength;
    wchar_t* buffer;
};
using QueryObject = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
constexpr int kObjectNameInformation = 1;

// The object manager is asked directly, through the entry point every version of the
// platform (and Wine) has: the final path name function would do, but Wine's answers
// only up to MAX_PATH characters, and the volume queries that could stand in for it
// cost Wine most of a millisecond per entry.
std::optional<std::wstring> PlaceOfHandle(HANDLE h) {
    static const auto query = reinterpret_cast<QueryObject>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
    if (!query) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return std::nullopt;
    }
    // Most names fit the small buffer; a name that does not is asked for again with room
    // for the longest there is (32767 characters).
    for (std::size_t bytes : {std::size_t{2048}, sizeof(CountedName) + 65536}) {
        std::vector<ULONG_PTR> buf(bytes / sizeof(ULONG_PTR) + 1);
        ULONG returned = 0;
        if (query(h, kObjectNameInformation, buf.data(),
                  static_cast<ULONG>(buf.size() * sizeof(ULONG_PTR)), &returned) >= 0) {
            const auto* name = reinterpret_cast<const CountedName*>(buf.data());
            return std::wstring(name->buffer, name->length / sizeof(wchar_t));
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return std::nullopt;
}

std::optional<std::wstring> PlaceOpenedWith(const std::wstring& longPath, DWORD flags) {
    UniqueHandle h(CreateFileW(longPath.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                               OPEN_EXISTING, flags, nullptr));
    if (!h) return std::nullopt;
    std::optional<std::wstring> place = PlaceOfHandle(h.get());
    DWORD error = GetLastError();
    h.reset();
    SetLastError(error);  // the caller reports why, not the close
    return place;
}

}  // namespace

std::optional<std::wstring> PlaceOf(const std::wstring& longPath) {
    return PlaceOpenedWith(longPath, kLinkItself);
}

std::optional<std::wstring> ResolvedPlaceOf(const std::wstring& longPath) {
    return PlaceOpenedWith(longPath, kFollow);
}

bool RemoveIfAt(const std::wstring& longPath, const std::wstring& expectedPlace) {
    // Opening with delete access is what deleting by name does too, so a file held open
    // without delete sharing stays, exactly as it would for DeleteFile.
    UniqueHandle h(CreateFileW(longPath.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll,
                               nullptr, OPEN_EXISTING, kLinkItself, nullptr));
    if (!h) return false;
    std::optional<std::wstring> place = PlaceOfHandle(h.get());
    if (!place || !SamePath(*place, expectedPlace)) return false;
    // Removed when the handle closes; refused for a read-only file or a folder that is
    // not empty.
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(h.get(), FileDispositionInfo, &disposition,
                                      sizeof disposition) != 0;
}

}  // namespace qel::fs
