#pragma once
// What the folder cleanup tests share: a temporary folder standing in for the
// platform's temporary folder, made current as the installation run does, and the file
// operation seam counting the cleanup's removals, with a hook run before each.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "platform/FileOpSeam.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/WidePath.h"
#include "tests/support/TempFolder.h"

namespace qel::test {

// Counts the entries the cleanup removes (or tries to), running a hook before each.
class Remocoes : public fs::FileOpSeam {
public:
    DWORD Before(const fs::FileOpCall& call) override {
        if (call.op != fs::FileOp::RemoveEntry) return 0;
        ++vistas;
        if (antes) antes();
        return 0;
    }
    DWORD After(const fs::FileOpCall&, DWORD error) override { return error; }

    int vistas = 0;
    std::function<void()> antes;
};

class LimpezaTest : public testing::Test {
protected:
    LimpezaTest() : before_(fs::CurrentDir()) { EXPECT_TRUE(fs::ChangeDir(temp_.Path())); }
    ~LimpezaTest() override { fs::ChangeDir(before_); }

    // A folder (with its parents) or a file below the temporary folder.
    std::string Folder(const std::string& relative) {
        std::string path = temp_ / relative;
        EXPECT_TRUE(fs::ForceDirectories(path)) << path;
        return path;
    }
    std::string File(const std::string& relative, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        std::string path = temp_ / relative;
        EXPECT_TRUE(fs::ForceDirectories(fs::ExtractFilePath(path)));
        WriteFile(path, relative);
        if (attributes != FILE_ATTRIBUTE_NORMAL) {
            EXPECT_TRUE(SetFileAttributesA(path.c_str(), attributes));
        }
        return path;
    }
    static bool Exists(const std::string& path) {
        return GetFileAttributesW(fs::LongForm(text::Widen(path)).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    TempFolder temp_{"Temp"};
    std::string before_;
    Remocoes remocoes_;
    fs::ScopedFileOpSeam sob_{remocoes_};
};

}  // namespace qel::test
