// Pure logic the start-up relies on: folder parts of paths, the failure box's full
// stop, the connection texts and the text conversions at the platform boundary.
#include <gtest/gtest.h>

#include <windows.h>

#include "dbupgrade/ConnectionText.h"
#include "platform/FileSystem.h"
#include "platform/TemporaryFiles.h"
#include "platform/Text.h"
#include "wizard/StartupFailure.h"

namespace qel {
namespace {

TEST(ExtractFilePath, KeepsTheTrailingBackslashSoSourceDirEndsWithOne) {
    EXPECT_EQ(fs::ExtractFilePath("C:\\Medium\\InstalaQEL.exe"), "C:\\Medium\\");
    EXPECT_EQ(fs::ExtractFilePath("D:\\InstalaQEL.exe"), "D:\\");
    EXPECT_EQ(fs::ExtractFilePath("D:InstalaQEL.exe"), "D:");
    EXPECT_EQ(fs::ExtractFilePath("InstalaQEL.exe"), "");
    EXPECT_EQ(fs::ExtractFileName("C:\\Medium\\InstalaQEL.exe"), "InstalaQEL.exe");
}

// The run's temporary names carry the process that made them, and nothing else is taken
// for one.
TEST(TemporaryName, TellsTheProcessThatMadeItAndNothingElseIsOne) {
    const std::string mine = fs::TemporaryName("C:\\QEL", "QEL.exe");
    EXPECT_EQ(fs::ExtractFilePath(mine), "C:\\QEL\\");
    EXPECT_EQ(fs::TemporaryOwner(fs::ExtractFileName(mine)), GetCurrentProcessId());
    EXPECT_NE(fs::TemporaryName("C:\\QEL", "zav2003.chm"), mine);
    EXPECT_EQ(fs::TemporaryOwner("~InstalaQEL-1f4-midas.dll.tmp"), 0x1f4u);
    EXPECT_EQ(fs::TemporaryOwner("~INSTALAQEL-FFFFFFFF-x.TMP"), 0xffffffffu);
    for (const char* nome : {"~InstalaQEL-1f4-.tmp", "~InstalaQEL--QEL.exe.tmp", "~InstalaQEL-1f4g-QEL.exe.tmp",
                             "~InstalaQEL-123456789-QEL.exe.tmp", "~InstalaQEL-1f4-QEL.exe", "InstalaQEL-1f4-QEL.exe.tmp",
                             "QEL_novo.tmp", "~InstalaQEL-1f4.tmp", "~InstalaQEL-.tmp"})
        EXPECT_FALSE(fs::TemporaryOwner(nome)) << nome;
}

TEST(FailureBoxText, AddsAFullStopOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(FailureBoxText("Unable to create directory"), "Unable to create directory.");
    EXPECT_EQ(FailureBoxText("Done."), "Done.");
    EXPECT_EQ(FailureBoxText("Pronto!"), "Pronto!");      // '!' sorts before '.'
    EXPECT_EQ(FailureBoxText("Arquivo -"), "Arquivo -");  // '-' too
    EXPECT_EQ(FailureBoxText("Versao 3/"), "Versao 3/.");  // '/' sorts after '.'
    EXPECT_EQ(FailureBoxText("Instala\xE7\xE3o"), "Instala\xE7\xE3o.");  // 8-bit letters too
    EXPECT_EQ(FailureBoxText(""), "");
}

TEST(ConnectionText, ShortAndFullFormsAroundTheDataSource) {
    EXPECT_EQ(db::ShortConnectionText("C:\\TEMP\\InstQEL\\qel.mdb"),
              "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\TEMP\\InstQEL\\qel.mdb;"
              "Persist Security Info=False");
    EXPECT_EQ(db::FullConnectionText("C:\\QEL\\QEL.mdb"),
              "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=C:\\QEL\\QEL.mdb;"
              "Jet OLEDB:Database Password=\"\";Persist Security Info=False");
}

TEST(Text, Windows1252RoundTripsThroughUtf16AndUtf8) {
    const std::string accents = "Instala\xE7\xE3o n\xBA 1 \x80";  // ç ã º €
    EXPECT_EQ(text::Widen(accents), L"Instala\u00E7\u00E3o n\u00BA 1 \u20AC");
    EXPECT_EQ(text::Narrow(text::Widen(accents)), accents);
    EXPECT_EQ(text::ToUtf8(accents), "Instala\xC3\xA7\xC3\xA3o n\xC2\xBA 1 \xE2\x82\xAC");
    EXPECT_EQ(text::FromUtf8(text::ToUtf8(accents)), accents);
    EXPECT_EQ(text::Upper("tb_operadora \xE7"), "TB_OPERADORA \xC7");
}

// The conversions to and from UTF-8 go without the platform for what Windows-1252 holds;
// they must give what the platform's code page tables give, byte for byte.
TEST(Text, Utf8ConversionsAgreeWithThePlatformForEveryByteAndReplacementsStayThePlatforms) {
    auto platform = [](const std::string& from, UINT fromPage, UINT toPage) {
        int n = MultiByteToWideChar(fromPage, 0, from.data(), static_cast<int>(from.size()), nullptr, 0);
        std::wstring w(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(fromPage, 0, from.data(), static_cast<int>(from.size()), w.data(), n);
        int m = WideCharToMultiByte(toPage, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<size_t>(m), '\0');
        WideCharToMultiByte(toPage, 0, w.data(), n, out.data(), m, nullptr, nullptr);
        return out;
    };
    std::string every;
    for (int b = 1; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(text::ToUtf8(one), platform(one, 1252, CP_UTF8)) << "byte " << b;
        EXPECT_EQ(text::FromUtf8(text::ToUtf8(one)), one) << "byte " << b;
        every += one;
    }
    EXPECT_EQ(text::ToUtf8(every), platform(every, 1252, CP_UTF8));
    // Characters the code page lacks and malformed UTF-8 are left to the platform.
    for (const std::string utf8 : {"a\xC4\x81" "b", "\xE2\x82", "x\xC0\xAF" "y", "\xF0\x9F\x98\x80 ok", "\xFF"})
        EXPECT_EQ(text::FromUtf8(utf8), platform(utf8, CP_UTF8, 1252)) << utf8;
}

TEST(Text, SourceLiteralsAreCompiledAsWindows1252) {
    EXPECT_EQ(std::string("Instalação"), "Instala\xE7\xE3o");
}

}  // namespace
}  // namespace qel
