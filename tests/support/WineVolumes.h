#pragma once
// Places a test needs that only the Unix side under Wine can make: a small file system of
// its own (to fill a disk without filling the machine's) and a network share that Wine
// resolves to a local folder. Each says why when it cannot be made here, so the test can
// skip.
#include <string>

#include "tests/support/TempFolder.h"

namespace qel::test {

// A tmpfs of the given size mounted on a fresh folder (only root may mount); unmounted
// at the end.
class SmallVolume {
public:
    explicit SmallVolume(unsigned kilobytes);
    ~SmallVolume();
    SmallVolume(const SmallVolume&) = delete;
    SmallVolume& operator=(const SmallVolume&) = delete;

    bool Made() const { return why_.empty(); }
    const std::string& Why() const { return why_; }
    // The volume's folder, as Windows names it.
    const std::string& Path() const { return folder_.Path(); }
    std::string operator/(const std::string& name) const { return folder_ / name; }

private:
    TempFolder folder_{"volume"};
    std::string unix_;
    std::string why_;
};

// \\<server>\<share> standing for a local folder, through Wine's dosdevices\unc links.
class WineShare {
public:
    explicit WineShare(const std::string& folder);
    ~WineShare();
    WineShare(const WineShare&) = delete;
    WineShare& operator=(const WineShare&) = delete;

    bool Made() const { return why_.empty(); }
    const std::string& Why() const { return why_; }
    // "\\qeltest\<share>"
    const std::string& Path() const { return path_; }

private:
    std::string link_;
    std::string path_;
    std::string why_;
};

}  // namespace qel::test
