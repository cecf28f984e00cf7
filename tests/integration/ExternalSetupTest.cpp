// The setup runner starting a real program of ours and waiting for it to end.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <sstream>
#include <string>

#include "engine/ExternalSetup.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/Text.h"
#include "platform/WidePath.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Windows.h"

namespace qel {
namespace {

using test::TempFolder;

const char kRecorder[] = "qel_registra_inicio.exe";

// The child's record: one key=value per line.
std::map<std::string, std::string> RecordIn(const std::string& folder) {
    std::map<std::string, std::string> record;
    std::istringstream lines(test::ReadFile(folder + "\\registro-inicio.txt"));
    for (std::string line; std::getline(lines, line);) {
        auto eq = line.find('=');
        if (eq != std::string::npos) record[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return record;
}

class Execucao : public testing::Test {
protected:
    Execucao() : before_(fs::CurrentDir()) {
        // The data-access setup in its staging folder; the current folder holds another
        // one, which must never be the one started.
        EXPECT_TRUE(CopyFileA((test::TestProgramDir() + kRecorder).c_str(), (work_ / "Setup.Exe").c_str(), FALSE));
        EXPECT_TRUE(CopyFileA((test::TestProgramDir() + kRecorder).c_str(), (current_ / "Setup.Exe").c_str(), FALSE));
        EXPECT_TRUE(fs::ChangeDir(current_.Path()));
        SetEnvironmentVariableA("QEL_TESTE_AMBIENTE", "herdado do instalador");
    }
    ~Execucao() override {
        SetEnvironmentVariableA("QEL_TESTE_AMBIENTE", nullptr);
        fs::ChangeDir(before_);
        // The new console's host lingers a moment in the work folder after the program
        // has ended; the folder can be removed once it is gone too.
        if (fs::FileExists(work_ / "registro-inicio.txt")) {
            DWORD process = std::stoul(RecordIn(work_.Path())["processo"]);
            for (DWORD start = GetTickCount(); GetTickCount() - start < 3000; Sleep(50)) {
                UniqueHandle p(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
                if (!p) break;
            }
        }
    }

    TempFolder work_{"InstADO"};
    TempFolder current_{"atual"};
    std::string before_;
};

TEST_F(Execucao, RunsTheSetupHiddenWithItsParametersAndWaitsUntilItHasEnded) {
    DWORD start = GetTickCount();
    bool started = ExecutaEAguarda(work_.Path(), "Setup.Exe", "/qnt", 0);
    DWORD elapsed = GetTickCount() - start;

    ASSERT_TRUE(started);
    auto record = RecordIn(work_.Path());
    // The child writes its last line after waiting 1.5 s, just before it ends.
    EXPECT_EQ(record["terminou"], "sim");
    EXPECT_GE(elapsed, 1450u);
    // By its full path, in its own folder.
    EXPECT_EQ(record["linha"], "\"" + work_ / "Setup.Exe" + "\" /qnt");
    EXPECT_TRUE(fs::SamePath(text::Widen(record["programa"]), text::Widen(work_ / "Setup.Exe"))) << record["programa"];
    EXPECT_EQ(record["pasta"], work_.Path());
    EXPECT_FALSE(fs::FileExists(current_ / "registro-inicio.txt"));
    EXPECT_EQ(record["cb"], std::to_string(sizeof(STARTUPINFOA)));
    EXPECT_EQ(record["flags"], "1");
    EXPECT_EQ(record["mostra"], "0");
    EXPECT_EQ(record["posicao"], "0,0,0,0,0,0,0,0");
    EXPECT_EQ(record["prioridade"], std::to_string(NORMAL_PRIORITY_CLASS));
    EXPECT_EQ(record["console"], "propria");
    // The installer's own environment; its current folder is left alone.
    EXPECT_EQ(record["ambiente"], "herdado do instalador");
    EXPECT_EQ(fs::CurrentDir(), current_.Path());
}

TEST_F(Execucao, EmptyParametersStillEndWithTheBlankAndTheShowValueIsPassedOn) {
    ASSERT_TRUE(ExecutaEAguarda(work_.Path(), "Setup.Exe", "", SW_SHOWMINNOACTIVE));

    auto record = RecordIn(work_.Path());
    EXPECT_EQ(record["linha"], "\"" + work_ / "Setup.Exe" + "\" ");
    EXPECT_EQ(record["mostra"], std::to_string(SW_SHOWMINNOACTIVE));
    EXPECT_EQ(record["terminou"], "sim");
}

TEST_F(Execucao, AProgramThatIsNotInItsFolderGivesNoAtOnceAndIsNeverLookedForElsewhere) {
    TempFolder empty("vazia");
    DWORD start = GetTickCount();
    EXPECT_FALSE(ExecutaEAguarda(work_.Path(), "NaoExiste.Exe", "/qnt", 0));
    EXPECT_FALSE(ExecutaEAguarda(work_ / "nada", "Setup.Exe", "/qnt", 0));
    // Neither the current folder's copy nor one beside this program is taken.
    EXPECT_FALSE(ExecutaEAguarda(empty.Path(), "Setup.Exe", "/qnt", 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(ExecutaEAguarda(empty.Path(), kRecorder, "/qnt", 0));
    EXPECT_LT(GetTickCount() - start, 1000u);
    for (const std::string& folder : {work_.Path(), current_.Path(), empty.Path()})
        EXPECT_FALSE(fs::FileExists(folder + "\\registro-inicio.txt")) << folder;
}

TEST_F(Execucao, LeavesNoHandleOfTheProgramOpen) {
    ASSERT_TRUE(ExecutaEAguarda(work_.Path(), "Setup.Exe", "/espera=0", 0));

    // An ended process or thread can still be opened by its id for as long as someone
    // holds a handle to it. The new console's host may hold one a moment longer.
    auto record = RecordIn(work_.Path());
    DWORD process = std::stoul(record["processo"]), thread = std::stoul(record["thread"]);
    ASSERT_NE(process, 0u);
    auto stillOpen = [&] {
        UniqueHandle p(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
        UniqueHandle t(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, thread));
        return p || t;
    };
    DWORD start = GetTickCount();
    while (stillOpen() && GetTickCount() - start < 3000) Sleep(50);
    EXPECT_FALSE(stillOpen()) << "a handle of the program is still open";
}

int settingChanges = 0;

LRESULT CALLBACK CountsSettingChanges(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_SETTINGCHANGE) ++settingChanges;
    return DefWindowProcA(h, m, w, l);
}

TEST_F(Execucao, ASetupThatSendsOurWindowAMessageIsAnsweredWhileWeWait) {
    // A top-level window of the waiting thread, as the wizard's is.
    WNDCLASSA wc{};
    wc.lpfnWndProc = CountsSettingChanges;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QelTesteJanela";
    RegisterClassA(&wc);
    HWND janela = CreateWindowA("QelTesteJanela", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ASSERT_NE(janela, nullptr);
    const bool started = ExecutaEAguarda(
        work_.Path(), "Setup.Exe", "/espera=0 /janela=" + std::to_string(reinterpret_cast<uintptr_t>(janela)), 0);
    DestroyWindow(janela);

    ASSERT_TRUE(started);
    auto record = RecordIn(work_.Path());
    EXPECT_EQ(record["terminou"], "sim");
    EXPECT_EQ(record["resposta"], "sim") << "the setup waited for us while we waited for it";
    EXPECT_LT(std::stoul(record["espera_resposta"]), 2000u);
    EXPECT_EQ(settingChanges, 1);
}

}  // namespace
}  // namespace qel
