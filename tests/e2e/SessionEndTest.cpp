// The end of the Windows session asked for while the real program works, as Wine's
// wineboot asks every top-level window (hidden ones too) and honours a refusal: refused
// during a large update through the wizard and with /silent, the update completing and
// the log telling why; granted while the wizard waits on page 1, which then ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "platform/Text.h"
#include "tests/e2e/DemoMedium.h"
#include "tools/uidriver/MeasuredUpdate.h"

namespace qel::e2e {
namespace {

using test::ReadFile;

// Asks the session to end as a logoff would; wineboot's exit code is 1 when a program
// refused.
DWORD EndTheSession() {
    auto wineboot = test::Launch("C:\\windows\\system32\\wineboot.exe", "--end-session --shutdown", "C:\\");
    DWORD code = 99;
    EXPECT_TRUE(test::WaitForExit(wineboot.process.get(), 60000, &code)) << "wineboot did not end";
    return code;
}

std::string Log(const std::string& file) { return text::FromUtf8(ReadFile(file).substr(3)); }

bool Has(const std::string& log, const std::string& part) { return log.find(part) != std::string::npos; }

const char* const kRecusado = "Fim da sess\xE3o do Windows: recusado: a instala\xE7\xE3o est\xE1 em andamento";

// Enough rows that the carry-over lasts while the session's end is asked for.
constexpr int kLinhas = 150000;

TEST(SessionEnd, RefusedWhileTheWizardUpdatesTheUpdateThenCompletes) {
    test::TempFolder work("e2esessao");
    const auto u = uidriver::PrepareUpdate(DemoFolder("medium"), DemoFolder("installed-3.1.9"), work / "a", kLinhas);
    const std::string log = work / "registro.txt";
    WizardSession s(u.medium, "\"/log=" + log + "\"");
    HWND confirm = s.WalkToConfirmation(1, u.target);
    WizardSession::Answer(confirm, "&Yes");
    // Once page 3 shows the rows being carried, the install folder has changed.
    const DWORD start = GetTickCount();
    while (uidriver::ReadProgress(s.Window()).detalhe.empty() && GetTickCount() - start < 60000) Sleep(50);
    ASSERT_FALSE(uidriver::ReadProgress(s.Window()).detalhe.empty()) << "the carry-over never showed";

    EXPECT_EQ(EndTheSession(), 1u) << "refused";
    EXPECT_TRUE(s.Program().Running());
    WizardSession::Answer(s.WaitDialog("Information", 120000), "OK");
    EXPECT_EQ(s.WaitExit(), 0u);
    EXPECT_EQ(uidriver::CarriedRows(u), kLinhas + 3);
    EXPECT_TRUE(Has(Log(log), kRecusado)) << Log(log);
}

TEST(SessionEnd, RefusedWhileTheUnattendedUpdateWorksTheUpdateThenCompletes) {
    test::TempFolder work("e2esessaosil");
    const auto u = uidriver::PrepareUpdate(DemoFolder("medium"), DemoFolder("installed-3.1.9"), work / "a", kLinhas);
    const std::string log = work / "registro.txt";
    auto silent = test::Launch(u.medium + "\\InstalaQEL.exe",
                               "/silent /type=update \"/dir=" + u.target + "\" \"/log=" + log + "\"", u.medium);
    // The carry-over begins right after this line.
    const DWORD start = GetTickCount();
    auto migrando = [&] {
        const DWORD a = GetFileAttributesA(log.c_str());
        return a != INVALID_FILE_ATTRIBUTES && Has(Log(log), "os dados ser\xE3o migrados");
    };
    while (!migrando() && GetTickCount() - start < 60000) Sleep(50);
    ASSERT_TRUE(migrando()) << "the carry-over never began";

    EXPECT_EQ(EndTheSession(), 1u) << "refused by the hidden window";
    DWORD code = 99;
    ASSERT_TRUE(test::WaitForExit(silent.process.get(), 120000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(uidriver::CarriedRows(u), kLinhas + 3);
    const std::string written = Log(log);
    EXPECT_TRUE(Has(written, kRecusado)) << written;
    EXPECT_LT(written.find(kRecusado), written.find("Migra\xE7\xE3o de TB_ACOMPANHAMENTO")) << "during the carry-over";
}

TEST(SessionEnd, GrantedWhileTheWizardWaitsOnItsFirstPage) {
    DemoSession s;
    ASSERT_TRUE(s.WaitPage(0));
    EXPECT_EQ(EndTheSession(), 0u);
    const DWORD start = GetTickCount();
    while (s.Program().Running() && GetTickCount() - start < 10000) Sleep(50);
    EXPECT_FALSE(s.Program().Running()) << "the session ended: so did the wizard";
}

}  // namespace
}  // namespace qel::e2e
