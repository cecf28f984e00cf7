// The staging folders made anew for every run: whatever stood under their names goes as
// the cleanup removes it, the new folder is for administrators only, and nobody can
// rename or replace it while the run holds it.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/StagingFolder.h"
#include "tests/integration/FolderCleanupFixture.h"
#include "tests/support/FailingSeam.h"
#include "tests/support/WineUnix.h"

namespace qel::test {
namespace {

// The owner and access list of a file or folder in the platform's text form, as stored.
std::string SecurityOf(const std::string& path) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, nullptr, nullptr, &sd) != ERROR_SUCCESS)
        return "<unreadable>";
    char* text = nullptr;
    std::string result = "<unconvertible>";
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(
            sd, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, nullptr)) {
        result = text;
        LocalFree(text);
    }
    LocalFree(sd);
    return result;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return names;
    do
        if (std::string(d.cFileName) != "." && std::string(d.cFileName) != "..") names.push_back(d.cFileName);
    while (FindNextFileA(h, &d));
    FindClose(h);
    return names;
}

// Only administrators and the system may use the folder. Windows stores the descriptor
// the folder was made with and gives it back. Wine 8 stores none: it turns the access
// list into the folder's Unix mode and reads that back as its owner (the only user Wine
// knows, an administrator), SYSTEM, and Everyone when others may read; a folder made
// the ordinary way there reads back with Everyone.
void ExpectForAdministratorsOnly(const std::string& path) {
    const std::string sd = SecurityOf(path);
    if (!RunningUnderWine()) {
        EXPECT_EQ(sd, text::Narrow(fs::kAdminOnlyFolder));
        return;
    }
    EXPECT_EQ(sd.find(";WD)"), std::string::npos) << sd;
    EXPECT_EQ(sd.find(";BU)"), std::string::npos) << sd;
    EXPECT_EQ(sd.find(";AU)"), std::string::npos) << sd;
    EXPECT_NE(sd.find("(A;OICI;FA;;;SY)"), std::string::npos) << sd;
}

class PastaNova : public LimpezaTest {
protected:
    // The folder made, empty and for administrators only.
    void ExpectMadeAnew(const PastaTemporaria& made, const std::string& path) {
        ASSERT_TRUE(made) << "falha " << static_cast<int>(made.falha);
        EXPECT_TRUE(fs::DirectoryExists(path));
        EXPECT_EQ(Entries(path), std::vector<std::string>{});
        ExpectForAdministratorsOnly(path);
    }
};

// The descriptor every staging folder is made with, as the platform reads its text.
TEST(DescritorDaPasta, OwnedByAdministratorsProtectedAndGrantingOnlySystemAndAdministrators) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(fs::kAdminOnlyFolder, SDDL_REVISION_1, &sd,
                                                                     nullptr));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(sd, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "nothing inherited from the temporary folder";
    PSID owner = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(sd, &owner, &defaulted));
    EXPECT_TRUE(IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl);
    ASSERT_EQ(dacl->AceCount, 2);
    const WELL_KNOWN_SID_TYPE who[] = {WinLocalSystemSid, WinBuiltinAdministratorsSid};
    for (WORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(ace->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) << "passed on to what is inside";
        EXPECT_EQ(ace->Mask, static_cast<DWORD>(FILE_ALL_ACCESS));
        EXPECT_TRUE(IsWellKnownSid(&ace->SidStart, who[i])) << i;
    }
    LocalFree(sd);
}

TEST_F(PastaNova, WhateverStoodUnderTheNameIsReplacedByAnEmptyFolderForAdministratorsOnly) {
    const struct {
        const char* caso;
        std::function<void(const std::string&)> antes;
    } casos[] = {
        {"nothing", [](const std::string&) {}},
        {"a file", [](const std::string& p) { WriteFile(p, "arquivo de outro"); }},
        {"a hidden file", [](const std::string& p) {
             WriteFile(p, "oculto");
             SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
         }},
        {"a folder with another's files", [this](const std::string& p) {
             File(fs::ExtractFileName(p) + "\\setup.exe");
             File(fs::ExtractFileName(p) + "\\advpack.dll", FILE_ATTRIBUTE_HIDDEN);
             File(fs::ExtractFileName(p) + "\\sub\\mais\\QEL.exe");
         }},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        const std::string path = temp_ / "InstQEL";
        c.antes(path);
        {
            PastaTemporaria made = CriaPastaTemporaria(path, ui_);
            ExpectMadeAnew(made, path);
            // What the run copies in takes the folder's access list (Wine passes nothing on).
            WriteFile(path + "\\QEL.exe", "copia");
            if (!RunningUnderWine()) {
                EXPECT_EQ(SecurityOf(path + "\\QEL.exe"), "O:BAD:(A;ID;FA;;;SY)(A;ID;FA;;;BA)");
            }
        }
        RemoveTree(path);
    }
    EXPECT_EQ(fs::CurrentDir(), temp_.Path()) << "the current folder is left alone";
    if (RunningUnderWine()) {
        const std::string ordinary = Folder("comum");
        EXPECT_NE(SecurityOf(ordinary).find(";WD)"), std::string::npos) << "the check above tells them apart";
    }
}

TEST_F(PastaNova, WhileHeldTheFolderCanBeNeitherRenamedNorRemoved) {
    const std::string path = temp_ / "InstADO";
    PastaTemporaria made = CriaPastaTemporaria(path, ui_);
    ASSERT_TRUE(made);
    WriteFile(path + "\\setup.exe", "copia");
    EXPECT_FALSE(MoveFileA(path.c_str(), (temp_ / "outra").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(fs::Remove(path + "\\setup.exe")) << "its files are the run's to change";
    EXPECT_FALSE(RemoveDirectoryA(path.c_str()));

    made.pasta->Release();
    EXPECT_TRUE(MoveFileA(path.c_str(), (temp_ / "outra").c_str()));
}

TEST_F(PastaNova, MissingFoldersAboveAreMade) {
    const std::string path = temp_ / "usuario\\Temp\\InstQEL";
    ExpectMadeAnew(CriaPastaTemporaria(path, ui_), path);
}

TEST_F(PastaNova, WhatCannotBeRemovedOrMadeIsToldApartAndNothingIsMade) {
    const std::string path = temp_ / "InstQEL";
    File("InstQEL\\QEL.mdb");
    FailingSeam seam(fs::FileOp::RemoveEntry);
    {
        fs::ScopedFileOpSeam under(seam);
        EXPECT_EQ(CriaPastaTemporaria(path, ui_).falha, PastaTemporaria::Falha::NaoRemovida);
    }
    EXPECT_TRUE(fs::FileExists(path + "\\QEL.mdb")) << "left as it was";

    WriteFile(temp_ / "arquivo", "no caminho");
    EXPECT_EQ(CriaPastaTemporaria(temp_ / "arquivo\\InstQEL", ui_).falha, PastaTemporaria::Falha::NaoCriada);
}

// Another program puts something under the name between the removal and the making: it
// is removed again, twice at most.
TEST_F(PastaNova, SomethingPutThereInBetweenIsRemovedAgain) {
    const std::string path = temp_ / "InstQEL";
    int times = 0;
    FailingSeam seam(fs::FileOp::MakeFolder, "", 0);
    seam.before = [&] {
        if (++times <= 2) WriteFile(path, "posto por outro");
    };
    {
        fs::ScopedFileOpSeam under(seam);
        PastaTemporaria made = CriaPastaTemporaria(path, ui_);
        EXPECT_EQ(times, 3);
        ExpectMadeAnew(made, path);
    }
    RemoveTree(path);

    times = -100;  // every time
    fs::ScopedFileOpSeam under(seam);
    EXPECT_EQ(CriaPastaTemporaria(path, ui_).falha, PastaTemporaria::Falha::NaoRemovida);
    EXPECT_EQ(times, -97);
}

}  // namespace
}  // namespace qel::test
