#include "platform/MappedDrive.h"

#include <windows.h>

#include <cctype>
#include <vector>

#include "platform/Handles.h"
#include "platform/SystemLibrary.h"

namespace qel::fs {

namespace {

bool Present(char letter) {
    const char root[] = {letter, ':', '\\', '\0'};
    return GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR;
}

bool ElevatedHalf() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    UniqueHandle token(raw);
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    return GetTokenInformation(token.get(), TokenElevationType, &type, sizeof type, &size) &&
           type == TokenElevationTypeFull;
}

// WNetGetConnectionA, from the system folder's mpr.dll (not a KnownDLL, so not imported).
std::optional<std::string> MappedShare(char letter) {
    using GetConnection = DWORD(WINAPI*)(LPCSTR, LPSTR, LPDWORD);
    static const auto get = sys::SystemFunction<GetConnection>(L"mpr.dll", "WNetGetConnectionA");
    if (!get) return std::nullopt;
    const char drive[] = {letter, ':', '\0'};
    std::vector<char> remote(MAX_PATH + 1, '\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(remote.size());
        const DWORD result = get(drive, remote.data(), &size);
        if (result == ERROR_MORE_DATA && size > remote.size()) {
            remote.assign(size + 1, '\0');
            continue;
        }
        // Connected, or remembered by the profile but not connected in this logon.
        if (result == NO_ERROR || result == ERROR_CONNECTION_UNAVAIL) return std::string(remote.data());
        return std::nullopt;
    }
}

}  // namespace

const DriveQueries& PlatformDrives() {
    static const DriveQueries queries{Present, ElevatedHalf, MappedShare};
    return queries;
}

std::optional<HiddenDrive> DriveHiddenByElevation(const std::string& path, const DriveQueries& queries) {
    if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0]))) return std::nullopt;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    if (queries.present(letter) || !queries.elevatedHalf()) return std::nullopt;
    std::optional<std::string> share = queries.mappedShare(letter);
    if (!share) return std::nullopt;
    HiddenDrive hidden{std::string{letter, ':'}, ""};
    if (!share->empty()) {
        std::string rest = path.substr(2);
        if (!rest.empty() && rest.front() != '\\') rest.insert(rest.begin(), '\\');
        if (share->back() == '\\' && !rest.empty()) rest.erase(rest.begin());
        hidden.networkPath = *share + rest;
    }
    return hidden;
}

}  // namespace qel::fs
