// Deep nesting and many files: the cleanup must finish them completely. The times are
// printed for the record.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/FolderCleanup.h"
#include "platform/Handles.h"
#include "platform/FolderListing.h"
#include "tests/integration/FolderCleanupFixture.h"
#include "tests/support/WineUnix.h"

namespace qel::test {
namespace {

using Clock = std::chrono::steady_clock;

void Report(const char* what, Clock::time_point start) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    std::printf("[ medida   ] %s: %lld ms\n", what, static_cast<long long>(ms));
}

void MakeFile(const std::wstring& path) {
    UniqueHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(h) << "error " << GetLastError();
}

int EntriesIn(const std::wstring& folder) {
    fs::FolderListing listing(fs::JoinPath(folder, L"*.*"), 63);
    int n = 0;
    while (auto e = listing.Next()) n += !e->IsDotEntry();
    return n;
}

// Wine looks through the whole folder for another spelling of every new name, so making
// ten thousand files through it takes half a minute; under Wine they are made on the Unix
// side instead, where they are the same real files.
void MakeFiles(const std::string& folder, int count) {
    std::wstring wide = fs::LongForm(text::Widen(folder));
    if (RunningUnderWine()) {
        std::string script = "cd '" + UnixName(folder) + "' && seq -f arquivo-%g.dat 0 " +
                             std::to_string(count - 1) + " | xargs touch";
        ASSERT_TRUE(RunUnix("/bin/sh", "-c " + Quoted(script)));
        ASSERT_TRUE(PollFor([&] { return EntriesIn(wide) == count; }, 60000));
        return;
    }
    for (int i = 0; i < count; ++i) MakeFile(fs::JoinPath(wide, L"arquivo-" + std::to_wstring(i) + L".dat"));
}

using LimpezaEmEscala = LimpezaTest;

TEST_F(LimpezaEmEscala, TwoHundredNestedLevelsAreCleanedCompletely) {
    // Names of 1 to 12 characters: the deepest path is far beyond MAX_PATH.
    std::wstring path = fs::LongForm(text::Widen(Folder("InstQEL")));
    for (int level = 0; level < 200; ++level) {
        path = fs::JoinPath(path, std::wstring(1 + level % 12, static_cast<wchar_t>(L'a' + level % 26)));
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << "level " << level << ", error " << GetLastError();
        MakeFile(fs::JoinPath(path, L"arquivo.txt"));
    }
    ASSERT_GT(fs::PlainForm(path).size(), 1000u);

    auto start = Clock::now();
    LimpaPasta("InstQEL");
    Report("200 nested levels", start);

    EXPECT_FALSE(Exists(temp_ / "InstQEL"));
    EXPECT_EQ(fs::CurrentDir(), temp_.Path());
    // Per level its file and itself, and the folder.
    EXPECT_EQ(remocoes_.vistas, 200 * 2 + 1);
}

TEST_F(LimpezaEmEscala, TenThousandFilesAreCleanedCompletely) {
    MakeFiles(Folder("InstQEL"), 10000);

    auto start = Clock::now();
    LimpaPasta("InstQEL");
    Report("10000 files", start);

    EXPECT_FALSE(Exists(temp_ / "InstQEL"));
    EXPECT_EQ(remocoes_.vistas, 10000 + 1);
}

}  // namespace
}  // namespace qel::test
