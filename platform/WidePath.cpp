#include "platform/WidePath.h"

#include <windows.h>

namespace qel::fs {

namespace {

const std::wstring kLongPrefix = L"\\\\?\\";
const std::wstring kLongUncPrefix = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring& s, const std::wstring& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// Where the root of a full path ends (the index after it), in plain or long form:
// "C:\" -> 3, "\\?\C:\" -> 7, "\\server\share\" -> 15. npos when there is no root.
std::size_t RootEnd(const std::wstring& p) {
    std::size_t start = 0;
    bool unc = false;
    if (StartsWith(p, kLongUncPrefix)) {
        start = kLongUncPrefix.size();
        unc = true;
    } else if (StartsWith(p, kLongPrefix)) {
        start = kLongPrefix.size();
    } else if (StartsWith(p, L"\\\\")) {
        start = 2;
        unc = true;
    }
    if (unc) {
        // server, then share
        std::size_t server = p.find(L'\\', start);
        if (server == std::wstring::npos) return std::wstring::npos;
        std::size_t share = p.find(L'\\', server + 1);
        return share == std::wstring::npos ? p.size() : share + 1;
    }
    if (p.size() >= start + 2 && p[start + 1] == L':')
        return p.size() > start + 2 && p[start + 2] == L'\\' ? start + 3 : start + 2;
    return std::wstring::npos;
}

}  // namespace

std::wstring LongForm(const std::wstring& fullPath) {
    if (StartsWith(fullPath, kLongPrefix)) return fullPath;
    if (StartsWith(fullPath, L"\\\\")) return kLongUncPrefix + fullPath.substr(2);
    return kLongPrefix + fullPath;
}

std::wstring PlainForm(const std::wstring& longPath) {
    if (StartsWith(longPath, kLongUncPrefix)) return L"\\\\" + longPath.substr(kLongUncPrefix.size());
    if (StartsWith(longPath, kLongPrefix)) return longPath.substr(kLongPrefix.size());
    return longPath;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || folder.back() == L'\\') return folder + name;
    return folder + L'\\' + name;
}

bool IsRoot(const std::wstring& fullPath) {
    std::size_t end = RootEnd(fullPath);
    if (end == std::wstring::npos) return false;
    std::wstring rest = fullPath.substr(end);
    return rest.empty() || rest == L"\\";
}

std::wstring ParentOf(const std::wstring& fullPath) {
    if (fullPath.empty() || IsRoot(fullPath)) return fullPath;
    std::wstring p = fullPath;
    if (p.back() == L'\\') p.pop_back();
    std::size_t cut = p.find_last_of(L'\\');
    if (cut == std::wstring::npos) return p;
    // A root keeps its backslash: "C:" alone would mean the drive's current folder.
    std::wstring parent = p.substr(0, cut + 1);
    if (!IsRoot(parent)) parent.pop_back();
    return parent;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace qel::fs
