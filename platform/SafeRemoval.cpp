#include "platform/SafeRemoval.h"

#include <windows.h>

#include <vector>

#include "platform/FileOpSeam.h"
#include "platform/Handles.h"
#include "platform/Text.h"
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

// The disposition with POSIX semantics (FileDispositionInfoEx, FILE_DISPOSITION_FLAG_DELETE
// | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS; Windows 10 1607 and later, on NTFS): the name
// goes when the handle closes even while another program still has the file open, so
// the folder can go too. The headers of our API level do not declare them.
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x1;
constexpr DWORD kDispositionPosix = 0x2;

// Marks an opened entry for removal when its handle closes; refused for a read-only file
// or a folder that is not empty.
bool MarkForRemoval(HANDLE h) {
    DWORD flags = kDispositionDelete | kDispositionPosix;
    if (SetFileInformationByHandle(h, kFileDispositionInfoEx, &flags, sizeof flags)) return true;
    const DWORD error = GetLastError();
    // A system that does not know the class, or a file system without POSIX semantics
    // (FAT, a network share): the classic disposition, whose name stays while others
    // hold the file. Any other refusal would be the same with it.
    if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION)
        return false;
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

}  // namespace

std::optional<std::wstring> PlaceOf(const std::wstring& longPath) {
    return PlaceOpenedWith(longPath, kLinkItself);
}

std::optional<std::wstring> ResolvedPlaceOf(const std::wstring& longPath) {
    return PlaceOpenedWith(longPath, kFollow);
}

bool RemoveIfAt(const std::wstring& longPath, const std::wstring& expectedPlace) {
    auto attempt = [&] {
        // Opening with delete access is what deleting by name does too, so a file held
        // open without delete sharing stays, exactly as it would for DeleteFile.
        UniqueHandle h(CreateFileW(longPath.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll,
                                   nullptr, OPEN_EXISTING, kLinkItself, nullptr));
        if (!h) return false;
        std::optional<std::wstring> place = PlaceOfHandle(h.get());
        if (!place) return false;
        if (!SamePath(*place, expectedPlace)) {
            SetLastError(ERROR_NOT_SAME_DEVICE);  // elsewhere: never removed through
            return false;
        }
        const bool marked = MarkForRemoval(h.get());
        const DWORD error = GetLastError();
        h.reset();
        SetLastError(error);
        return marked;
    };
    if (!detail::CurrentSeam()) return attempt();
    return Attempted(FileOp::RemoveEntry, text::Narrow(PlainForm(longPath)), attempt);
}

}  // namespace qel::fs
