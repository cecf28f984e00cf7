// The real program on a laid-out medium, walked from outside: the medium check, the
// install folder check and cancelling on each page.
#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "tests/e2e/DemoMedium.h"

namespace qel::e2e {
namespace {

TEST(Flow, AMediumWithoutItsFirstMarkerIsReportedAndTheProgramEnds) {
    DemoSession s({"disk.1"});
    s.Press("Continuar");
    HWND error = s.WaitDialog("Error");
    EXPECT_EQ(WizardSession::Message(error), "Disco n\xBA 1 n\xE3o foi descompactado corretamente");
    EXPECT_EQ(s.Page(), 1) << "the error stands over page 2";
    WizardSession::Answer(error, "OK");
    EXPECT_EQ(s.WaitExit(), 2u) << "installation medium incomplete";
}

TEST(Flow, AMediumWithoutTheProgramFailsTheSecondPart) {
    DemoSession s({"QEL.ex_"});
    s.Press("Continuar");
    HWND error = s.WaitDialog("Error");
    EXPECT_EQ(WizardSession::Message(error), "Disco n\xBA 2 n\xE3o foi descompactado corretamente");
    WizardSession::Answer(error, "OK");
    EXPECT_EQ(s.WaitExit(), 2u);
}

TEST(Flow, ContinuarCreatesTheInstallFolderWithItsParentsAndVoltarGoesBack) {
    test::TempFolder base("e2efolder");
    const std::string folder = base.Path() + "\\Arquivos de Programas\\ZAV\\QEL";
    DemoSession s;
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(1));
    s.SetFolder(folder);
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(2));
    EXPECT_TRUE(fs::DirectoryExists(folder));
    s.Press("Voltar");
    EXPECT_TRUE(s.WaitPage(1));
    s.Press("Voltar");
    EXPECT_TRUE(s.WaitPage(0));
    EXPECT_TRUE(s.Program().Running());
}

TEST(Flow, CancelarAsksOnEveryPageAndOnlyYesEndsTheProgram) {
    test::TempFolder target("e2ecancel");
    DemoSession s;
    for (int page = 0; page < 3; ++page) {
        s.Press("Cancelar");
        HWND confirm = s.WaitDialog("Confirm");
        EXPECT_EQ(WizardSession::Message(confirm), "Cancelar a instala\xE7\xE3o :Quelvara");
        WizardSession::Answer(confirm, "&No");
        EXPECT_EQ(s.Page(), page);
        EXPECT_TRUE(s.Program().Running());
        // Page 2's Continuar goes on to an existing folder (the field is made with page 2).
        if (page == 1) s.SetFolder(target.Path());
        if (page < 2) {
            s.Press("Continuar");
            ASSERT_TRUE(s.WaitPage(page + 1));
        }
    }
    s.Press("Cancelar");
    WizardSession::Answer(s.WaitDialog("Confirm"), "&Yes");
    EXPECT_EQ(s.WaitExit(), 1602u) << "cancelled by the user";
}

}  // namespace
}  // namespace qel::e2e
