// The staging folders made anew for every run: whatever stood under their names goes as
// the cleanup removes it, the new folder is for administrators only, and nobody can
// rename or replace it while the run holds it.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlwapi.h>

#include <functional>
#include <string>

#include "engine/StagingFolder.h"
#include "tests/integration/FolderCleanupFixture.h"
#include "tests/support/FailingSeam.h"
#include "tests/support/WineUnix.h"

namespace qel::test {
namespace {

// The owner and access list of a file or folder in the platform's text form, as stored.
std::string SecurityOf(const std::string& path) {
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    PSECURITY_DESCRIPTOR sd = nullptr;
    char* text = nullptr;
    std::string result = "<unreadable>";
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, what, nullptr, nullptr, nullptr, nullptr, &sd) ==
            ERROR_SUCCESS &&
        ConvertSecurityDescriptorToStringSecurityDescriptorA(sd, SDDL_REVISION_1, what, &text, nullptr))
        result = text;
    LocalFree(text);
    LocalFree(sd);
    return result;
}

// Windows gives back the descriptor the folder was made with. Wine 8 stores none: it turns
// the access list into the folder's Unix mode and reads back its owner (the one user Wine
// knows), SYSTEM, and Everyone when others may read, as for any folder made the usual way.
void ExpectMadeAnew(const PastaTemporaria& made, const std::string& path) {
    ASSERT_TRUE(made) << "falha " << static_cast<int>(made.falha);
    EXPECT_TRUE(PathIsDirectoryEmptyA(path.c_str()));
    const std::string sd = SecurityOf(path);
    if (!RunningUnderWine()) {
        EXPECT_EQ(sd, text::Narrow(fs::kAdminOnlyFolder));
        return;
    }
    for (const char* nobody : {";WD)", ";BU)", ";AU)"}) EXPECT_EQ(sd.find(nobody), std::string::npos) << sd;
}

// The descriptor every staging folder is made with, as the platform reads its text.
TEST(DescritorDaPasta, OwnedByAdministratorsProtectedAndGrantingOnlySystemAndAdministrators) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(fs::kAdminOnlyFolder, SDDL_REVISION_1, &sd,
                                                                     nullptr));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE, present = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorControl(sd, &control, &revision) &&
                GetSecurityDescriptorOwner(sd, &owner, &defaulted) &&
                GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) && dacl);
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "nothing inherited from the temporary folder";
    EXPECT_TRUE(IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
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

using PastaNova = LimpezaTest;

TEST_F(PastaNova, WhateverStoodUnderTheNameIsReplacedByAnEmptyFolderForAdministratorsOnly) {
    const std::string path = temp_ / "InstQEL";
    const std::function<void()> casos[] = {
        [] {},
        [&] { WriteFile(path, "arquivo de outro"); },
        [&] {
            WriteFile(path, "oculto");
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        },
        [&] {
            File("InstQEL\\setup.exe");
            File("InstQEL\\advpack.dll", FILE_ATTRIBUTE_HIDDEN);
            File("InstQEL\\sub\\mais\\QEL.exe");
        },
    };
    for (const auto& antes : casos) {
        SCOPED_TRACE(&antes - casos);
        antes();
        {
            const PastaTemporaria made = CriaPastaTemporaria(path);
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
        EXPECT_NE(SecurityOf(Folder("comum")).find(";WD)"), std::string::npos) << "the check above tells them apart";
    }
    // Missing folders above are made.
    ExpectMadeAnew(CriaPastaTemporaria(temp_ / "usuario\\Temp\\InstADO"), temp_ / "usuario\\Temp\\InstADO");
}

TEST_F(PastaNova, WhileHeldTheFolderCanBeNeitherRenamedNorRemoved) {
    const std::string path = temp_ / "InstADO";
    PastaTemporaria made = CriaPastaTemporaria(path);
    ASSERT_TRUE(made);
    WriteFile(path + "\\setup.exe", "copia");
    EXPECT_FALSE(MoveFileA(path.c_str(), (temp_ / "outra").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(fs::Remove(path + "\\setup.exe")) << "its files are the run's to change";
    EXPECT_FALSE(RemoveDirectoryA(path.c_str()));

    made.pasta->Release();
    EXPECT_TRUE(MoveFileA(path.c_str(), (temp_ / "outra").c_str()));
}

TEST_F(PastaNova, WhatCannotBeRemovedOrMadeIsToldApartAndNothingIsMade) {
    const std::string path = temp_ / "InstQEL";
    File("InstQEL\\QEL.mdb");
    {
        FailingSeam removals(fs::FileOp::RemoveEntry);
        fs::ScopedFileOpSeam under(removals);
        EXPECT_EQ(CriaPastaTemporaria(path).falha, PastaTemporaria::Falha::NaoRemovida);
    }
    EXPECT_TRUE(fs::FileExists(path + "\\QEL.mdb")) << "left as it was";

    WriteFile(temp_ / "arquivo", "no caminho");
    EXPECT_EQ(CriaPastaTemporaria(temp_ / "arquivo\\InstQEL").falha, PastaTemporaria::Falha::NaoCriada);
}

// Another program puts something under the name between the removal and the making: it
// is removed again, twice at most.
TEST_F(PastaNova, SomethingPutThereInBetweenIsRemovedAgain) {
    const std::string path = temp_ / "InstQEL";
    int times = 0, putUntil = 2;
    FailingSeam other(fs::FileOp::MakeFolder, "", 0);
    other.before = [&] {
        if (++times <= putUntil) WriteFile(path, "posto por outro");
    };
    fs::ScopedFileOpSeam under(other);
    ExpectMadeAnew(CriaPastaTemporaria(path), path);
    EXPECT_EQ(times, 3);
    RemoveTree(path);

    times = 0, putUntil = 100;
    EXPECT_EQ(CriaPastaTemporaria(path).falha, PastaTemporaria::Falha::NaoRemovida);
    EXPECT_EQ(times, 3);
}

}  // namespace
}  // namespace qel::test
