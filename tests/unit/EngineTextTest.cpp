// Pure text work of the installation engine: the setup runner's command line and
// start-up record, and the wide path forms the folder cleanup walks with.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/ExternalSetup.h"
#include "platform/WidePath.h"

namespace qel {
namespace {

TEST(LinhaDeComando, QuotesTheProgramAndAppendsOneBlankAndTheParameters) {
    EXPECT_EQ(LinhaDeComando("Setup.Exe", "/qnt"), "\"Setup.Exe\" /qnt");
    EXPECT_EQ(LinhaDeComando("Setup.Exe", ""), "\"Setup.Exe\" ");
    // Nothing escaped or trimmed.
    EXPECT_EQ(LinhaDeComando("C:\\A B\\x\"y.exe", " /a  \"b\" "), "\"C:\\A B\\x\"y.exe\"  /a  \"b\" ");
}

TEST(InformacaoDeInicio, IsAllZeroButSizeFlagsAndShowWindow) {
    STARTUPINFOA si = InformacaoDeInicio(0x1234);
    EXPECT_EQ(si.cb, sizeof(STARTUPINFOA));
#if defined(__i386__)
    EXPECT_EQ(si.cb, 68u);
#endif
    EXPECT_EQ(si.dwFlags, 1u);
    EXPECT_EQ(si.wShowWindow, 0x1234);
    STARTUPINFOA rest = si;
    rest.cb = 0;
    rest.dwFlags = 0;
    rest.wShowWindow = 0;
    STARTUPINFOA zero{};
    EXPECT_EQ(std::memcmp(&rest, &zero, sizeof zero), 0);
    EXPECT_EQ(kCriacaoDoProcesso, 48u);
}

TEST(WidePath, LongFormReachesBeyondMaxPathForDrivesAndShares) {
    EXPECT_EQ(fs::LongForm(L"C:\\Temp\\InstQEL"), L"\\\\?\\C:\\Temp\\InstQEL");
    EXPECT_EQ(fs::LongForm(L"\\\\srv\\share\\InstQEL"), L"\\\\?\\UNC\\srv\\share\\InstQEL");
    EXPECT_EQ(fs::LongForm(L"\\\\?\\C:\\X"), L"\\\\?\\C:\\X");
    EXPECT_EQ(fs::PlainForm(L"\\\\?\\C:\\X"), L"C:\\X");
    EXPECT_EQ(fs::PlainForm(L"\\\\?\\UNC\\srv\\share\\X"), L"\\\\srv\\share\\X");
    EXPECT_EQ(fs::PlainForm(L"C:\\X"), L"C:\\X");
}

TEST(WidePath, JoinPutsExactlyOneBackslash) {
    EXPECT_EQ(fs::JoinPath(L"C:\\", L"X"), L"C:\\X");
    EXPECT_EQ(fs::JoinPath(L"C:\\A", L"X"), L"C:\\A\\X");
    EXPECT_EQ(fs::JoinPath(L"\\\\?\\C:\\A", L"*.*"), L"\\\\?\\C:\\A\\*.*");
}

TEST(WidePath, RootsHaveNoParent) {
    for (const wchar_t* root : {L"C:\\", L"C:", L"\\\\srv\\share", L"\\\\srv\\share\\", L"\\\\?\\C:\\",
                                L"\\\\?\\UNC\\srv\\share\\"}) {
        EXPECT_TRUE(fs::IsRoot(root)) << root;
        EXPECT_EQ(fs::ParentOf(root), root);
    }
    for (const wchar_t* notRoot : {L"C:\\X", L"\\\\srv\\share\\X", L"\\\\?\\C:\\X", L"abc", L""})
        EXPECT_FALSE(fs::IsRoot(notRoot)) << notRoot;
}

TEST(WidePath, TheParentOfAFolderKeepsTheBackslashOfARoot) {
    EXPECT_EQ(fs::ParentOf(L"C:\\Temp\\InstQEL"), L"C:\\Temp");
    EXPECT_EQ(fs::ParentOf(L"C:\\Temp\\InstQEL\\"), L"C:\\Temp");
    EXPECT_EQ(fs::ParentOf(L"C:\\abc"), L"C:\\");
    EXPECT_EQ(fs::ParentOf(L"\\\\srv\\share\\InstQEL"), L"\\\\srv\\share\\");
}

TEST(WidePath, SamePathIgnoresCaseOfEveryLetter) {
    EXPECT_TRUE(fs::SamePath(L"\\\\?\\C:\\Users\\\u00C7\u00C3O", L"\\\\?\\c:\\users\\\u00E7\u00E3o"));
    EXPECT_FALSE(fs::SamePath(L"\\\\?\\C:\\Temp\\a", L"\\\\?\\C:\\Temp\\ab"));
    EXPECT_FALSE(fs::SamePath(L"\\\\?\\C:\\Temp\\link", L"\\\\?\\Z:\\tmp\\fora"));
}

}  // namespace
}  // namespace qel
