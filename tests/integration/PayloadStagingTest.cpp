// Staging the payload from a medium folder into the staging folder, against real files.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "engine/PayloadStaging.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "tests/support/TempFolder.h"

namespace qel {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

const std::map<std::string, std::string> kNoMeio = {
    {"QEL.ex_", "programa"}, {"QEL.md_", "banco"}, {"midas.dl_", "biblioteca"},
    {"zav2003.chm", "ajuda 2003"}, {"zav2005.chm", "ajuda 2005"}};
const std::map<std::string, std::string> kPreparado = {
    {"QEL.exe", "QEL.ex_"}, {"QEL.mdb", "QEL.md_"}, {"midas.dll", "midas.dl_"},
    {"zav2003.chm", "zav2003.chm"}, {"zav2005.chm", "zav2005.chm"}};

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA d;
    FindHandle h(FindFirstFileA((folder + "\\*").c_str(), &d));
    if (!h) return names;
    do {
        std::string n = d.cFileName;
        if (n != "." && n != "..") names.push_back(n);
    } while (FindNextFileA(h.get(), &d));
    std::sort(names.begin(), names.end());
    return names;
}

class Preparacao : public testing::Test {
protected:
    Preparacao() : medium_("meio"), staging_("InstQEL"), before_(fs::CurrentDir()) {
        for (const auto& [name, contents] : kNoMeio) WriteFile(medium_ / name, contents);
        state_.SourceDir = medium_.Path() + "\\";
        state_.StagingDir = staging_.Path();
        EXPECT_TRUE(fs::ChangeDir(medium_.Path()));
    }
    ~Preparacao() override {
        for (const auto& [name, contents] : kNoMeio) SetFileAttributesA((medium_ / name).c_str(), FILE_ATTRIBUTE_NORMAL);
        fs::ChangeDir(before_);
    }

    // The attribute word CopyFileA gives a copy of that medium file.
    DWORD AsCopied(const std::string& mediumName) {
        std::string reference = reference_ / mediumName;
        EXPECT_TRUE(CopyFileA((medium_ / mediumName).c_str(), reference.c_str(), FALSE));
        DWORD a = GetFileAttributesA(reference.c_str());
        SetFileAttributesA(reference.c_str(), FILE_ATTRIBUTE_NORMAL);
        return a;
    }

    TempFolder medium_;
    TempFolder staging_;
    TempFolder reference_{"copia"};
    WizardState state_;
    std::string before_;
};

TEST_F(Preparacao, CopiesTheFiveFilesUnderTheirInstalledNamesAndLeavesTheCurrentFolder) {
    PreparaArquivos(state_);

    EXPECT_EQ(NamesIn(staging_.Path()),
              (std::vector<std::string>{"QEL.exe", "QEL.mdb", "midas.dll", "zav2003.chm", "zav2005.chm"}));
    for (const auto& [staged, source] : kPreparado)
        EXPECT_EQ(ReadFile(staging_ / staged), kNoMeio.at(source)) << staged;
    EXPECT_EQ(fs::CurrentDir(), medium_.Path());
    // The medium is read, never changed.
    EXPECT_EQ(NamesIn(medium_.Path()).size(), 5u);
}

TEST_F(Preparacao, TakesTheFilesFromTheCurrentFolderWhateverSourceDirSays) {
    TempFolder other("outro-meio");
    for (const auto& [name, contents] : kNoMeio) WriteFile(other / name, "outro " + contents);
    ASSERT_TRUE(fs::ChangeDir(other.Path()));

    PreparaArquivos(state_);

    for (const auto& [staged, source] : kPreparado)
        EXPECT_EQ(ReadFile(staging_ / staged), "outro " + kNoMeio.at(source)) << staged;
    EXPECT_EQ(fs::CurrentDir(), other.Path());
}

TEST_F(Preparacao, ClearsOnlyTheReadOnlyBitOfEachCopy) {
    const std::map<std::string, DWORD> onMedium = {
        {"QEL.ex_", FILE_ATTRIBUTE_READONLY},
        {"QEL.md_", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN},
        {"midas.dl_", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE},
        {"zav2003.chm", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
        {"zav2005.chm", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM}};
    std::map<std::string, DWORD> copied;
    for (const auto& [name, attributes] : onMedium) {
        ASSERT_TRUE(SetFileAttributesA((medium_ / name).c_str(), attributes));
        copied[name] = AsCopied(name);
        ASSERT_TRUE(copied[name] & FILE_ATTRIBUTE_READONLY) << "a copy keeps read-only: " << name;
    }

    PreparaArquivos(state_);

    for (const auto& [staged, source] : kPreparado) {
        DWORD a = GetFileAttributesA((staging_ / staged).c_str());
        EXPECT_EQ(a, copied[source] - FILE_ATTRIBUTE_READONLY) << staged;
        EXPECT_EQ(a & FILE_ATTRIBUTE_HIDDEN, onMedium.at(source) & FILE_ATTRIBUTE_HIDDEN) << staged;
        // Writable now: the run can replace and remove it.
        UniqueHandle writable(CreateFileA((staging_ / staged).c_str(), GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(writable) << staged;
    }
    EXPECT_TRUE(GetFileAttributesA((staging_ / "QEL.mdb").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(GetFileAttributesA((staging_ / "midas.dll").c_str()) & FILE_ATTRIBUTE_ARCHIVE);
}

TEST_F(Preparacao, LeavesAWritableCopyExactlyAsTheCopyMadeIt) {
    ASSERT_TRUE(SetFileAttributesA((medium_ / "QEL.ex_").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    ASSERT_TRUE(SetFileAttributesA((medium_ / "QEL.md_").c_str(), FILE_ATTRIBUTE_NORMAL));
    DWORD hidden = AsCopied("QEL.ex_");
    DWORD plain = AsCopied("QEL.md_");

    PreparaArquivos(state_);

    EXPECT_EQ(GetFileAttributesA((staging_ / "QEL.exe").c_str()), hidden);
    EXPECT_EQ(GetFileAttributesA((staging_ / "QEL.mdb").c_str()), plain);
}

TEST_F(Preparacao, AMediumWithoutMidasStagesTheOtherFour) {
    ASSERT_TRUE(DeleteFileA((medium_ / "midas.dl_").c_str()));

    const ResultadoPreparo r = PreparaArquivos(state_);

    EXPECT_EQ(NamesIn(staging_.Path()),
              (std::vector<std::string>{"QEL.exe", "QEL.mdb", "zav2003.chm", "zav2005.chm"}));
    EXPECT_EQ(ReadFile(staging_ / "zav2005.chm"), "ajuda 2005");
    EXPECT_EQ(r.ausente, (std::array<bool, 5>{false, false, true, false, false}));
    EXPECT_EQ(r.Falhou(), nullptr) << "a file missing from the medium is no failure of staging";
}

TEST_F(Preparacao, StagesOverAnEarlierAttemptAndLeavesOtherFilesAlone) {
    for (const auto& [staged, source] : kPreparado) WriteFile(staging_ / staged, "tentativa anterior, mais longa");
    WriteFile(staging_ / "outro.txt", "fica");
    ASSERT_TRUE(CreateDirectoryA((staging_ / "sub").c_str(), nullptr));
    WriteFile(staging_ / "sub\\QEL.exe", "fica tambem");

    PreparaArquivos(state_);

    for (const auto& [staged, source] : kPreparado)
        EXPECT_EQ(ReadFile(staging_ / staged), kNoMeio.at(source)) << staged;
    EXPECT_EQ(ReadFile(staging_ / "outro.txt"), "fica");
    EXPECT_EQ(ReadFile(staging_ / "sub\\QEL.exe"), "fica tambem");
}

TEST_F(Preparacao, ACopyThatFailsNeverLeavesAnEarlierOneAsIfFreshAndTheNextRowsGoOn) {
    for (const auto& [staged, source] : kPreparado) WriteFile(staging_ / staged, "anterior");
    ResultadoPreparo r;
    {
        // The earlier copy of the database is in use, shared with nobody, for longer than
        // staging waits.
        UniqueHandle inUse(CreateFileA((staging_ / "QEL.mdb").c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(inUse);
        ASSERT_TRUE(DeleteFileA((medium_ / "QEL.ex_").c_str()));

        r = PreparaArquivos(state_);
    }
    EXPECT_FALSE(fs::FileExists(staging_ / "QEL.exe")) << "missing on the medium: the earlier copy is gone";
    EXPECT_EQ(ReadFile(staging_ / "QEL.mdb"), "anterior");  // in use: it could not be removed
    EXPECT_EQ(ReadFile(staging_ / "midas.dll"), "biblioteca");
    EXPECT_EQ(ReadFile(staging_ / "zav2003.chm"), "ajuda 2003");
    EXPECT_EQ(ReadFile(staging_ / "zav2005.chm"), "ajuda 2005");
    EXPECT_EQ(r.copiado, (std::array<bool, 5>{false, false, true, true, true}));
    EXPECT_FALSE(r.BancoCopiado());
    EXPECT_STREQ(r.Falhou(), "QEL.mdb") << "the program is missing from the medium; the database failed";
    ASSERT_TRUE(DeleteFileA((medium_ / "QEL.md_").c_str()));
    EXPECT_STREQ(PreparaArquivos(state_).Falhou(), "QEL.mdb") << "the run cannot do without the database";
}

TEST_F(Preparacao, AStagingFolderThatIsMissingStagesNothingAndRaisesNothing) {
    state_.StagingDir = staging_ / "nao-existe";

    EXPECT_NO_THROW(PreparaArquivos(state_));

    EXPECT_FALSE(fs::DirectoryExists(state_.StagingDir));
    EXPECT_EQ(fs::CurrentDir(), medium_.Path());
}

}  // namespace
}  // namespace qel
