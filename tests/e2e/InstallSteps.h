#pragma once
// The steps of a whole installation through the real window, shared by the end-to-end
// tests: walking to Instalar, the closing dialog, and the files to compare with.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/e2e/DemoMedium.h"
#include "tools/uidriver/DatabaseReader.h"

namespace qel::e2e {

inline const char* const kConcluida =
    "Instala\xE7\xE3o conclu\xED" "da!\rReinicialize seu computador para executar o sistema.";

inline std::string Payload(const char* name) { return DemoFolder("payload") + "\\" + name; }

// Backup files in a folder matching the pattern (QEL_*.md_ or QEL_*.mdb).
inline std::vector<std::string> Matching(const std::string& folder, const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder + "\\" + pattern).c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return names;
    do names.push_back(d.cFileName);
    while (FindNextFileA(h, &d));
    FindClose(h);
    return names;
}

inline std::string TempDir() { return fs::TempPath(); }

// Walks the three pages to the Instalar button and confirms; the run starts.
inline void WalkToInstall(DemoSession& s, int type, const std::string& folder) {
    s.ChooseType(type);
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(1));
    s.SetFolder(folder);
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(2));
    s.Press("Instalar");
    HWND confirm = s.WaitDialog("Confirm");
    EXPECT_EQ(WizardSession::Message(confirm), "Confirma a instala\xE7\xE3o do QEL ?");
    WizardSession::Answer(confirm, "&Yes");
}

inline void ExpectFinished(WizardSession& s) {
    HWND info = s.WaitDialog("Information", 120000);
    EXPECT_EQ(WizardSession::Message(info), kConcluida);
    WizardSession::Answer(info, "OK");
    EXPECT_EQ(s.WaitExit(), 0u);
    EXPECT_FALSE(fs::DirectoryExists(TempDir() + "InstQEL")) << "staging folder left behind";
    EXPECT_FALSE(fs::DirectoryExists(TempDir() + "InstADO")) << "data-access staging left behind";
}

inline void ExpectProgramAndHelpInstalled(const std::string& target) {
    EXPECT_EQ(test::ReadFile(target + "\\QEL.exe"), test::ReadFile(Payload("QEL.exe")));
    EXPECT_EQ(test::ReadFile(target + "\\zav2003.chm"), test::ReadFile(Payload("zav2003.chm")));
    EXPECT_EQ(test::ReadFile(target + "\\zav2005.chm"), test::ReadFile(Payload("zav2005.chm")));
}

// An install folder holding QEL 3.1.9 as the build made it.
inline std::string InstalledQel(const test::TempFolder& base) {
    const std::string target = base.Path() + "\\QEL";
    fs::MakeDir(target);
    uidriver::CopyFolderFiles(DemoFolder("installed-3.1.9"), target);
    return target;
}

// Rows of the seven carried tables after the demo's QEL 3.1.9 was brought up to date: the
// new database's own and the old ones carried once.
inline constexpr long long kLinhasDepoisDaAtualizacao = 17;
inline long long LinhasDasTabelasLevadas(const std::string& db) {
    long long n = 0;
    for (const char* t : {"TB_OPERADORA", "TB_ACOMPANHAMENTO", "RL_CARTEIRA_ASSISTENCIAL", "RL_ITEM_DESP_ASSISTENCIAL",
                          "TB_QEL_ANEXO_II_A", "TB_QEL_ANEXO_III", "TB_QEL_ANEXO_IV"})
        n += uidriver::CountRows(db, t);
    return n;
}

}  // namespace qel::e2e
