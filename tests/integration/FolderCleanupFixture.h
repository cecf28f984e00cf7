#pragma once
// What the folder cleanup tests share: a temporary folder standing in for the
// platform's temporary folder, made current as the installation run does, and a
// scripted window that counts how often pending messages were handled.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/WidePath.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"

namespace qel::test {

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
    ScriptedUi ui_;
    std::string before_;
};

}  // namespace qel::test
