#pragma once
// A fresh folder under the temporary folder, removed with everything in it at the end.
#include <string>

namespace qel::test {

class TempFolder {
public:
    explicit TempFolder(const std::string& hint = "qeltest");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Full path, no trailing backslash.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Writes a file with the given contents; creates nothing else.
void WriteFile(const std::string& path, const std::string& contents);
std::string ReadFile(const std::string& path);
// Removes a folder tree without following links; used for cleaning up after tests.
void RemoveTree(const std::string& path);

}  // namespace qel::test
