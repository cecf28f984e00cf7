#include "tests/support/WineVolumes.h"

#include <windows.h>

#include "platform/FileSystem.h"
#include "tests/support/WineUnix.h"

namespace qel::test {

namespace {

std::uint64_t TotalBytes(const std::string& folder) {
    ULARGE_INTEGER total{};
    if (!GetDiskFreeSpaceExA(folder.c_str(), nullptr, &total, nullptr)) return 0;
    return total.QuadPart;
}

}  // namespace

SmallVolume::SmallVolume(unsigned kilobytes) {
    unix_ = UnixName(folder_.Path());
    if (unix_.empty()) {
        why_ = "not under Wine";
        return;
    }
    const std::uint64_t wanted = std::uint64_t{kilobytes} * 1024;
    if (!RunUnix("/bin/mount", "-t tmpfs -o size=" + std::to_string(kilobytes) + "k qeltest " + Quoted(unix_)) ||
        !PollFor([&] { return TotalBytes(Path()) == wanted; }, 5000)) {
        why_ = "a small file system cannot be mounted here (mounting needs root)";
    }
}

SmallVolume::~SmallVolume() {
    if (!Made()) return;
    const std::uint64_t small = TotalBytes(Path());
    // Lazily: Wine may still have the folder open for a moment after the test let go.
    RunUnix("/bin/umount", "-l " + Quoted(unix_));
    PollFor([&] { return TotalBytes(Path()) != small; }, 10000);
}

WineShare::WineShare(const std::string& folder) {
    static int made = 0;
    const std::string target = UnixName(folder);
    const std::string drive = UnixName("C:\\");
    const std::size_t at = drive.rfind("/dosdevices/");
    if (target.empty() || at == std::string::npos) {
        why_ = "not under Wine";
        return;
    }
    const std::string server = drive.substr(0, at) + "/dosdevices/unc/qeltest";
    const std::string share = "pasta" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++made);
    link_ = server + "/" + share;
    path_ = "\\\\qeltest\\" + share;
    // The Unix programs run on their own: each step is awaited by its effect.
    if (!RunUnix("/bin/mkdir", "-p " + Quoted(server)) || !PollFor([] { return fs::DirectoryExists("\\\\qeltest"); }, 5000) ||
        !RunUnix("/bin/ln", "-sfn " + Quoted(target) + " " + Quoted(link_)) ||
        !PollFor([&] { return fs::DirectoryExists(path_); }, 5000))
        why_ = "Wine does not resolve " + path_ + " here";
}

WineShare::~WineShare() {
    if (link_.empty()) return;
    RunUnix("/bin/rm", "-f " + Quoted(link_));
    PollFor([&] { return !fs::DirectoryExists(path_); }, 5000);
}

}  // namespace qel::test
