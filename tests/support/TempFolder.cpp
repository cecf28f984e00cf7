#include "tests/support/TempFolder.h"

#include <windows.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/FileSystem.h"

namespace qel::test {

TempFolder::TempFolder(const std::string& hint) {
    static std::atomic<int> counter{0};
    std::string base = fs::TempPath();
    for (int attempt = 0;; ++attempt) {
        std::string candidate = base + hint + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                                std::to_string(counter++);
        if (CreateDirectoryA(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (attempt > 1000) throw std::runtime_error("cannot create a test folder under " + base);
    }
}

TempFolder::~TempFolder() {
    // Leave the folder if it is the current one, so the removal cannot fail for that.
    if (fs::CurrentDir().rfind(path_, 0) == 0) SetCurrentDirectoryA(fs::TempPath().c_str());
    RemoveTree(path_);
}

void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) throw std::runtime_error("cannot write " + path);
    f << contents;
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &d);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = d.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveTree(full);
            else if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(full.c_str());
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &d));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace qel::test
