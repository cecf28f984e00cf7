// The ADO engine as far as this platform's ADO goes: the objects are made, the
// connection object takes the settings, and opening a Jet database fails with a clear
// message and no crash (there is no Jet provider here).
#include <gtest/gtest.h>

#include <windows.h>

#include "dbupgrade/AdoEngine.h"
#include "dbupgrade/ConnectionText.h"
#include "dbupgrade/Database.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/support/TempFolder.h"
#include "tests/support/FailureOf.h"

namespace qel {
namespace {

using test::FailureOf;

// The beginning of a Jet database file: not the embedded engine's, so ADO gets it.
std::string JetLikeFile() { return std::string("\0\x01\0\0Standard Jet DB\0", 19) + std::string(2029, '\0'); }

TEST(AdoEngine, TheConnectionObjectIsMadeAtCreationAndStartsClosed) {
    db::Connection c;
    ASSERT_NE(c.AdoObject(), nullptr);
    db::AdoSettings s = db::ReadAdoSettings(c.AdoObject());
    EXPECT_EQ(s.mode, 0);
    EXPECT_EQ(s.state, 0);
    EXPECT_TRUE(s.connectionString.empty());
    EXPECT_TRUE(c.LoginPrompt()) << "the data-access layer's default, switched off by every caller";
    EXPECT_EQ(c.Mode(), db::ShareMode::Default);
}

TEST(AdoEngine, OpeningAJetDatabaseFailsWithAClearMessageAndLeavesTheSettingsOnTheObject) {
    test::TempFolder folder{"qelado"};
    const std::string path = folder / "QEL.mdb";
    test::WriteFile(path, JetLikeFile());
    const std::wstring text = text::Widen(db::FullConnectionText(path));
    for (auto [mode, adoMode] : {std::pair{db::ShareMode::Exclusive, 12L}, std::pair{db::ShareMode::DenyNone, 16L}}) {
        db::Connection c;
        c.SetLoginPrompt(false);
        c.SetShareMode(mode);
        c.SetConnectionString(text);
        std::string message = FailureOf([&] { c.Connect(); });
        EXPECT_EQ(message, "The database '" + path +
                               "' could not be opened (error 0x800401F3: the data provider named in the connection "
                               "text is not installed).");
        EXPECT_FALSE(c.Connected());
        db::AdoSettings s = db::ReadAdoSettings(c.AdoObject());
        EXPECT_EQ(s.mode, adoMode);
        EXPECT_EQ(s.connectionString, text);
        EXPECT_EQ(s.state, 0);
        c.Disconnect();  // nothing open: no failure
    }
    EXPECT_EQ(test::ReadFile(path), JetLikeFile()) << "the file is untouched";
}

TEST(AdoEngine, TheDefaultShareModeLeavesTheObjectsModeUnset) {
    db::Connection c;
    c.SetConnectionString(text::Widen(db::ShortConnectionText("C:\\nada\\qel.mdb")));
    EXPECT_NE(FailureOf([&] { c.Connect(); }), "no failure");
    EXPECT_EQ(db::ReadAdoSettings(c.AdoObject()).mode, 0);
}

TEST(AdoEngine, StatementsAndQueriesOnAJetDatabaseFailTheSameWay) {
    test::TempFolder folder{"qelado"};
    const std::string path = folder / "QEL.mdb";
    test::WriteFile(path, JetLikeFile());
    db::Connection c;
    c.SetLoginPrompt(false);
    c.SetShareMode(db::ShareMode::Exclusive);
    c.SetConnectionString(text::Widen(db::FullConnectionText(path)));
    const std::string expected = "The database '" + path +
                                 "' could not be opened (error 0x800401F3: the data provider named in the connection "
                                 "text is not installed).";
    EXPECT_EQ(FailureOf([&] { c.Execute("UPDATE TA_SISTEMA SET DE_VERSAO_SISTEMA = '3.2.3'"); }), expected);
    db::Query q(c);
    q.SetSql("SELECT DE_VERSAO_BANCO FROM TA_SISTEMA");
    EXPECT_EQ(FailureOf([&] { q.Open(); }), expected);
    EXPECT_FALSE(q.Active());
    EXPECT_EQ(FailureOf([&] { q.AsString("DE_VERSAO_BANCO"); }), "Cannot perform this operation on a closed dataset");
}

TEST(AdoEngine, AMissingDatabaseIsNotCreatedByTheAttempt) {
    test::TempFolder folder{"qelado"};
    const std::string path = folder / "QEL.mdb";
    db::Connection c;
    c.SetConnectionString(text::Widen(db::ShortConnectionText(path)));
    EXPECT_NE(FailureOf([&] { c.Connect(); }), "no failure");
    EXPECT_FALSE(fs::FileExists(path));
}

}  // namespace
}  // namespace qel
