#pragma once
// Drive letters mapped to network shares, seen from a program run as administrator.
// Under UAC a user's mapped drives belong to the logon of the limited half of the user's
// token; the elevated half, in which the installation runs, does not see them, although
// the user's profile still remembers the connection. A medium or install folder on such
// a letter is then simply not there for the installation, while its network path
// (\\server\share\...) works.
#include <functional>
#include <optional>
#include <string>

namespace qel::fs {

// What is asked of the platform about a drive letter; tests put their own answers here.
struct DriveQueries {
    // Whether this process sees the drive.
    std::function<bool(char letter)> present;
    // Whether this process runs as the elevated half of a split (UAC) token.
    std::function<bool()> elevatedHalf;
    // The share (\\server\share) a network connection of the user connects or remembers
    // for the letter; "" when one is remembered without its share; nothing when none.
    std::function<std::optional<std::string>(char letter)> mappedShare;
};
const DriveQueries& PlatformDrives();

struct HiddenDrive {
    std::string drive;        // "M:"
    std::string networkPath;  // the same path on the share, "" when the share is unknown
};

// For a path on a drive letter that this process does not see because it runs elevated,
// while the user has a network connection on that letter: the letter and the path on the
// share. Nothing for every other path (another drive, a network path, a drive that is
// missing for the user too).
std::optional<HiddenDrive> DriveHiddenByElevation(const std::string& path,
                                                  const DriveQueries& queries = PlatformDrives());

}  // namespace qel::fs
