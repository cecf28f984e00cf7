#include "tests/support/Links.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/FolderListing.h"
#include "platform/Handles.h"
#include "platform/SafeRemoval.h"
#include "platform/Text.h"
#include "platform/WidePath.h"
#include "tests/support/WineUnix.h"

namespace qel::test {

namespace {

// The mount-point form of the reparse data (the platform's SDK keeps it to drivers).
struct MountPointData {
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteOffset;
    WORD substituteLength;
    WORD printOffset;
    WORD printLength;
    wchar_t paths[1];
};

std::wstring Long(const std::string& path) { return fs::LongForm(text::Widen(path)); }

bool LeadsTo(const std::string& link, const std::string& target) {
    if (!fs::EntryOf(Long(link))) return false;
    auto a = fs::ResolvedPlaceOf(Long(link));
    auto b = fs::ResolvedPlaceOf(Long(target));
    return a && b && fs::SamePath(*a, *b);
}

bool MakeJunction(const std::string& target, const std::string& link, bool folder, std::string* why) {
    if (!folder) {
        *why = "a junction points at folders only";
        return false;
    }
    if (!CreateDirectoryA(link.c_str(), nullptr)) {
        *why = "cannot create the folder of the junction";
        return false;
    }
    UniqueHandle h(CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    std::wstring substitute = L"\\??\\" + text::Widen(target);
    std::wstring print = text::Widen(target);
    std::vector<char> buf(sizeof(MountPointData) + (substitute.size() + print.size() + 2) * 2);
    auto* mp = reinterpret_cast<MountPointData*>(buf.data());
    mp->tag = IO_REPARSE_TAG_MOUNT_POINT;
    mp->substituteOffset = 0;
    mp->substituteLength = static_cast<WORD>(substitute.size() * 2);
    mp->printOffset = static_cast<WORD>(mp->substituteLength + 2);
    mp->printLength = static_cast<WORD>(print.size() * 2);
    std::memcpy(mp->paths, substitute.c_str(), substitute.size() * 2 + 2);
    std::memcpy(reinterpret_cast<char*>(mp->paths) + mp->printOffset, print.c_str(), print.size() * 2 + 2);
    mp->dataLength = static_cast<WORD>(8 + mp->printOffset + mp->printLength + 2);
    DWORD returned = 0;
    BOOL ok = h && DeviceIoControl(h.get(), FSCTL_SET_REPARSE_POINT, mp, mp->dataLength + 8,
                                   nullptr, 0, &returned, nullptr);
    DWORD error = GetLastError();
    h.reset();
    if (!ok) {
        RemoveDirectoryA(link.c_str());
        *why = "setting the mount point failed with error " + std::to_string(error);
        return false;
    }
    return true;
}

bool MakeSymbolicLink(const std::string& target, const std::string& link, bool folder, std::string* why) {
    // 2: allowed without privilege where the machine is in developer mode.
    DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 2;
    if (!CreateSymbolicLinkA(link.c_str(), target.c_str(), flags) &&
        !CreateSymbolicLinkA(link.c_str(), target.c_str(), flags & ~2u)) {
        *why = "CreateSymbolicLinkA failed with error " + std::to_string(GetLastError());
        return false;
    }
    if (!fs::EntryOf(Long(link))) {
        *why = "CreateSymbolicLinkA reported success but made nothing";
        return false;
    }
    return true;
}

bool MakeUnixLink(const std::string& target, const std::string& link, std::string* why) {
    if (!RunningUnderWine()) {
        *why = "not running under Wine";
        return false;
    }
    std::string unixTarget = UnixName(target), unixLink = UnixName(link);
    if (unixTarget.empty() || unixLink.empty() ||
        !RunUnix("/bin/ln", "-s " + Quoted(unixTarget) + " " + Quoted(unixLink))) {
        *why = "cannot start /bin/ln through Wine";
        return false;
    }
    if (!PollFor([&] { return LeadsTo(link, target); })) {
        *why = "/bin/ln made no link within 10 s";
        return false;
    }
    return true;
}

}  // namespace

const char* NameOf(LinkKind kind) {
    switch (kind) {
        case LinkKind::Junction: return "junction";
        case LinkKind::SymbolicLink: return "symbolic link";
        case LinkKind::UnixSymbolicLink: return "Unix symbolic link";
    }
    return "?";
}

bool MakeLink(LinkKind kind, const std::string& target, const std::string& link, bool folder,
              std::string* why) {
    bool made = false;
    switch (kind) {
        case LinkKind::Junction: made = MakeJunction(target, link, folder, why); break;
        case LinkKind::SymbolicLink: made = MakeSymbolicLink(target, link, folder, why); break;
        case LinkKind::UnixSymbolicLink: made = MakeUnixLink(target, link, why); break;
    }
    if (made && !LeadsTo(link, target)) {
        *why = "the link does not lead to its target";
        return false;
    }
    return made;
}

void RemoveLink(LinkKind kind, const std::string& link) {
    if (kind == LinkKind::UnixSymbolicLink) {
        std::string unixLink = UnixName(link);
        // Only a name that still ends with the link's own name: never what it points to.
        std::string own = fs::ExtractFileName(link);
        own.insert(own.begin(), '/');
        if (unixLink.size() < own.size() || unixLink.compare(unixLink.size() - own.size(), own.size(), own) != 0)
            return;
        if (!RunUnix("/bin/rm", "-f " + Quoted(unixLink))) return;
        PollFor([&] { return !fs::EntryOf(Long(link)); });
        return;
    }
    // On Windows removing a link removes the link alone.
    if (!RemoveDirectoryA(link.c_str())) DeleteFileA(link.c_str());
}

}  // namespace qel::test
