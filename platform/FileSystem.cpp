#include "platform/FileSystem.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <vector>

#include "platform/Failure.h"
#include "platform/FileOpSeam.h"
#include "platform/Handles.h"
#include "platform/Retry.h"
#include "platform/Text.h"

namespace qel::fs {

bool FileExists(const std::string& name) {
    DWORD a = GetFileAttributesA(name.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& name) {
    DWORD a = GetFileAttributesA(name.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDirectories(const std::string& name) {
    if (name.empty()) throw Failure("Unable to create directory");
    std::string dir = name;
    if (dir.back() == '\\') dir.pop_back();
    if (dir.size() < 3 || DirectoryExists(dir) || ExtractFilePath(dir) == dir) return true;
    return ForceDirectories(ExtractFilePath(dir)) && MakeDir(dir);
}

bool MakeDir(const std::string& name) {
    return Attempted(FileOp::MakeFolder, name, [&] { return CreateDirectoryA(name.c_str(), nullptr) != 0; });
}
bool RemoveDir(const std::string& name) { return RemoveDirectoryA(name.c_str()) != 0; }

bool CopyOver(const std::string& from, const std::string& to) {
    return Retrying(to, [&] {
        return Attempted(FileOp::Copy, from, to, [&] { return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0; });
    });
}

bool Rename(const std::string& from, const std::string& to) {
    return MoveFileA(from.c_str(), to.c_str()) != 0;
}

bool Remove(const std::string& name) {
    return Retrying(name, [&] { return Attempted(FileOp::Delete, name, [&] { return DeleteFileA(name.c_str()) != 0; }); });
}

bool RemoveZoneMark(const std::string& name) {
    const std::string stream = name + ":Zone.Identifier";
    if (Attempted(FileOp::RemoveMark, name, [&] { return DeleteFileA(stream.c_str()) != 0; })) return true;
    const DWORD error = GetLastError();
    // No mark, or a file system without streams (FAT) that finds no such name.
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

bool ChangeDir(const std::string& name) { return SetCurrentDirectoryA(name.c_str()) != 0; }

std::string CurrentDir() {
    DWORD n = GetCurrentDirectoryA(0, nullptr);
    std::vector<char> buf(n + 1);
    DWORD got = GetCurrentDirectoryA(static_cast<DWORD>(buf.size()), buf.data());
    return std::string(buf.data(), got);
}

bool ChangeDir(const std::wstring& name) { return SetCurrentDirectoryW(name.c_str()) != 0; }

std::wstring CurrentDirW() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> buf(n + 1);
    DWORD got = GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), buf.data());
    return std::wstring(buf.data(), got);
}

std::wstring FullPath(const std::wstring& name) {
    DWORD n = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (n == 0) return name;
    std::vector<wchar_t> buf(n + 1);
    DWORD got = GetFullPathNameW(name.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
    return got == 0 || got >= buf.size() ? name : std::wstring(buf.data(), got);
}

std::string FullPath(const std::string& name) {
    DWORD n = GetFullPathNameA(name.c_str(), 0, nullptr, nullptr);
    if (n == 0) return name;
    std::vector<char> buf(n + 1);
    DWORD got = GetFullPathNameA(name.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
    return got == 0 || got >= buf.size() ? name : std::string(buf.data(), got);
}

bool HeldByAnother(const std::string& name) {
    const UniqueHandle alone(
        CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (alone) return false;
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

std::optional<std::uint64_t> FileSize(const std::string& name) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::optional<std::uint64_t> FreeSpace(const std::string& folder) {
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
}

std::uint32_t Attributes(const std::string& name) { return GetFileAttributesA(name.c_str()); }

bool SetAttributes(const std::string& name, std::uint32_t attributes) {
    return Retrying(name, [&] {
        return Attempted(FileOp::Attributes, name, [&] { return SetFileAttributesA(name.c_str(), attributes) != 0; });
    });
}

void ClearReadOnly(const std::string& name) {
    std::uint32_t a = Attributes(name);
    // All bits set means "not found": its read-only bit must not be taken for real.
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) != 0) SetAttributes(name, a - 1);
}

namespace {

// Asks a "fill this buffer" query with the length it reports, so no path is cut short.
template <class Query>
std::string AskWhole(Query query) {
    std::vector<char> buf(MAX_PATH + 1);
    for (;;) {
        DWORD n = query(static_cast<DWORD>(buf.size()), buf.data());
        if (n == 0) return {};
        if (n < buf.size()) return std::string(buf.data(), n);
        buf.resize(n + 1);
    }
}

}  // namespace

std::string TempPath() {
    return AskWhole([](DWORD size, char* buf) { return GetTempPathA(size, buf); });
}

std::string SystemPath() {
    return AskWhole([](DWORD size, char* buf) { return GetSystemDirectoryA(buf, size); });
}

std::string VirtualStorePath() {
    wchar_t* local = nullptr;
    std::string path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local)) && local)
        path = text::Narrow(local) + "\\VirtualStore";
    CoTaskMemFree(local);
    return path;
}

std::string ModuleFileName() {
    std::vector<char> buf(MAX_PATH + 1);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) return std::string(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

std::string ExtractFilePath(const std::string& path) {
    auto pos = path.find_last_of("\\:");
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& path) {
    auto pos = path.find_last_of("\\:");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

}  // namespace qel::fs
