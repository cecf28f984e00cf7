#include "platform/TemporaryFiles.h"

#include <algorithm>
#include <cstdio>

#include "platform/FileSystem.h"
#include "platform/Handles.h"

namespace qel::fs {

namespace {

constexpr char kPrefix[] = "~InstalaQEL-";
constexpr char kSuffix[] = ".tmp";

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                                  b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

// Whether another process of that id is running now. A process that cannot be opened
// but exists (another user's, a protected one) counts as running: its files stay.
bool RunningElsewhere(DWORD pid) {
    if (pid == GetCurrentProcessId()) return false;
    const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

}  // namespace

std::string TemporaryName(const std::string& folder, const std::string& name) {
    char pid[16];
    std::snprintf(pid, sizeof pid, "%lx", static_cast<unsigned long>(GetCurrentProcessId()));
    return folder + "\\" + kPrefix + pid + "-" + name + kSuffix;
}

std::optional<DWORD> TemporaryOwner(const std::string& fileName) {
    constexpr std::size_t prefix = sizeof kPrefix - 1, suffix = sizeof kSuffix - 1;
    if (fileName.size() <= prefix + suffix || !SameName(fileName.substr(0, prefix), kPrefix) ||
        !SameName(fileName.substr(fileName.size() - suffix), kSuffix))
        return std::nullopt;
    const std::size_t dash = fileName.find('-', prefix);
    if (dash == prefix || dash == std::string::npos || dash > prefix + 8 || dash + 1 >= fileName.size() - suffix)
        return std::nullopt;
    DWORD pid = 0;
    for (std::size_t i = prefix; i < dash; ++i) {
        const char c = fileName[i];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) return std::nullopt;
        pid = pid * 16 + static_cast<DWORD>(digit);
    }
    return pid;
}

std::vector<std::string> RemoveLeftovers(const std::string& folder, const std::vector<std::string>& alsoNamed) {
    std::vector<std::string> found;
    for (const std::string& name : alsoNamed)
        if (FileExists(folder + "\\" + name)) found.push_back(name);
    // Only the names that begin as ours are listed: a system folder holds thousands.
    WIN32_FIND_DATAA entry;
    const FindHandle listing(FindFirstFileA((folder + "\\" + kPrefix + "*").c_str(), &entry));
    if (listing) {
        do {
            const std::optional<DWORD> owner = TemporaryOwner(entry.cFileName);
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && owner && !RunningElsewhere(*owner))
                found.push_back(entry.cFileName);
        } while (FindNextFileA(listing.get(), &entry));
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> removed;
    for (const std::string& name : found)
        if (Remove(folder + "\\" + name)) removed.push_back(name);
    return removed;
}

}  // namespace qel::fs
