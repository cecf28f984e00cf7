// Share modes held at the file level, against other processes (a helper program) and
// other connections of this one.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "dbupgrade/Database.h"
#include "platform/Failure.h"
#include "platform/Handles.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/integration/OtherProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Windows.h"
#include "tests/support/FailureOf.h"

namespace qel {
namespace {

using test::FailureOf;

using test::Holder;
using test::Probe;

class ShareMode : public testing::Test {
protected:
    void SetUp() override {
        path = folder / "QEL.mdb";
        test::CreateDatabase(path, {"CREATE TABLE TA_SISTEMA (DE_VERSAO_BANCO TEXT(20), DE_VERSAO_SISTEMA TEXT(20))",
                                    "INSERT INTO TA_SISTEMA VALUES ('3.2.0', '3.2.1')"});
    }
    std::unique_ptr<db::Connection> Make(db::ShareMode mode) {
        auto c = std::make_unique<db::Connection>();
        c->SetLoginPrompt(false);
        c->SetShareMode(mode);
        c->SetConnectionString(test::FullText(path));
        return c;
    }
    std::string InUse() const {
        return "The database '" + path + "' is already in use and cannot be opened in the requested mode.";
    }
    std::string Result() { return folder / ("result" + std::to_string(results++) + ".txt"); }
    int Rows(db::Connection& c) {
        db::Query q(c);
        q.SetSql("SELECT * FROM TA_SISTEMA");
        q.Open();
        int n = 0;
        for (; !q.Eof(); q.Next()) ++n;
        return n;
    }

    test::TempFolder folder{"qelshare"};
    std::string path;
    int results = 0;
};

TEST_F(ShareMode, ExclusiveIsRefusedAtOnceWhileAnotherProcessHasAPlainHandleOnTheFile) {
    Holder other("hold-handle", path, Result());
    ASSERT_EQ(other.result, "held");
    auto exclusive = Make(db::ShareMode::Exclusive);
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(FailureOf([&] { exclusive->Connect(); }), InUse());
    auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 2000) << "no waiting";
    EXPECT_FALSE(exclusive->Connected());
    // Sharing connections still get in beside the plain handle.
    for (db::ShareMode mode : {db::ShareMode::Default, db::ShareMode::DenyNone}) {
        auto shared = Make(mode);
        shared->Connect();
        EXPECT_EQ(Rows(*shared), 1);
    }
}

TEST_F(ShareMode, ExclusiveIsRefusedWhileAnotherProcessHasTheDatabaseOpenThroughTheEngine) {
    for (const char* action : {"hold-default", "hold-denynone"}) {
        Holder other(action, path, Result());
        ASSERT_EQ(other.result, "held") << action;
        auto exclusive = Make(db::ShareMode::Exclusive);
        EXPECT_EQ(FailureOf([&] { exclusive->Connect(); }), InUse()) << action;
        auto shared = Make(db::ShareMode::DenyNone);
        shared->Connect();
        EXPECT_EQ(Rows(*shared), 1) << action;
    }
    // Once the other process let go, exclusive use is granted.
    auto exclusive = Make(db::ShareMode::Exclusive);
    exclusive->Connect();
    EXPECT_EQ(Rows(*exclusive), 1);
}

TEST_F(ShareMode, ExclusiveIsRefusedWhileAnotherConnectionOfThisProcessIsOpen) {
    auto first = Make(db::ShareMode::Default);
    first->Connect();
    auto exclusive = Make(db::ShareMode::Exclusive);
    EXPECT_EQ(FailureOf([&] { exclusive->Connect(); }), InUse());
    first->Disconnect();
    exclusive->Connect();
    EXPECT_TRUE(exclusive->Connected());
}

TEST_F(ShareMode, ExclusiveKeepsEveryOtherOpenerOutWhileHeld) {
    auto exclusive = Make(db::ShareMode::Exclusive);
    exclusive->Connect();
    EXPECT_EQ(Rows(*exclusive), 1);

    for (const char* action : {"probe-default", "probe-denynone", "probe-exclusive"})
        EXPECT_EQ(Probe(action, path, Result()), "refused: " + InUse()) << action;
    EXPECT_EQ(Probe("probe-handle", path, Result()), "refused " + std::to_string(ERROR_SHARING_VIOLATION));
    {
        Holder other("hold-handle", path, Result());
        EXPECT_EQ(other.result, "refused " + std::to_string(ERROR_SHARING_VIOLATION));
    }
    // This process is kept out too, by the engine and by a plain handle.
    for (db::ShareMode mode : {db::ShareMode::Default, db::ShareMode::DenyNone, db::ShareMode::Exclusive}) {
        auto second = Make(mode);
        EXPECT_EQ(FailureOf([&] { second->Connect(); }), InUse());
    }
    UniqueHandle plain(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(plain);

    exclusive->Disconnect();
    EXPECT_EQ(Probe("probe-default", path, Result()), "opened");
}

TEST_F(ShareMode, AnExclusiveConnectionReadsAndWritesAndItsWritesLast) {
    {
        auto exclusive = Make(db::ShareMode::Exclusive);
        db::Query q(*exclusive);
        q.SetSql("SELECT * FROM TA_SISTEMA");
        q.Open();
        for (int i = 0; i < 20; ++i) {
            q.Append();
            q.SetString("DE_VERSAO_BANCO", "linha " + std::to_string(i));
            q.Post();
        }
        exclusive->Execute("UPDATE TA_SISTEMA SET DE_VERSAO_SISTEMA = '3.2.3'");
        q.Close();
        exclusive->Disconnect();
    }
    EXPECT_EQ(test::StoredValue(path, "SELECT count(*) FROM TA_SISTEMA WHERE DE_VERSAO_SISTEMA = '3.2.3'"), "integer:21");
    EXPECT_FALSE(GetFileAttributesA((path + "-journal").c_str()) != INVALID_FILE_ATTRIBUTES) << "no journal left";
}

TEST_F(ShareMode, ARefusedExclusiveConnectDisturbsNeitherTheHolderNorTheFile) {
    auto holder = Make(db::ShareMode::DenyNone);
    holder->Connect();
    const std::string before = test::ReadFile(path);
    auto exclusive = Make(db::ShareMode::Exclusive);
    EXPECT_EQ(FailureOf([&] { exclusive->Connect(); }), InUse());
    EXPECT_EQ(test::ReadFile(path), before);
    db::Query q(*holder);
    q.SetSql("SELECT * FROM TA_SISTEMA");
    q.Open();
    q.Append();
    q.SetString("DE_VERSAO_BANCO", "depois");
    q.Post();
    EXPECT_EQ(Rows(*holder), 2);
}

TEST_F(ShareMode, ShareDenyNoneLetsConnectionsAndProcessesWorkSideBySide) {
    auto a = Make(db::ShareMode::DenyNone);
    auto b = Make(db::ShareMode::DenyNone);
    a->Connect();
    b->Connect();
    db::Query qa(*a), qb(*b);
    qa.SetSql("SELECT * FROM TA_SISTEMA");
    qb.SetSql("SELECT * FROM TA_SISTEMA");
    qa.Open();
    qb.Open();  // both open at once: an open query holds no lock
    qa.Append();
    qa.SetString("DE_VERSAO_BANCO", "de a");
    qa.Post();
    qb.Append();
    qb.SetString("DE_VERSAO_BANCO", "de b");
    qb.Post();
    EXPECT_EQ(Rows(*a), 3);
    EXPECT_EQ(Rows(*b), 3);

    // A process holding the file with the default mode, and one adding a row meanwhile.
    Holder other("hold-default", path, Result());
    ASSERT_EQ(other.result, "held");
    EXPECT_EQ(Probe("append-denynone", path, Result()), "opened");
    EXPECT_EQ(Rows(*a), 4) << "the other process's row is there at once";
    a->Execute("UPDATE TA_SISTEMA SET DE_VERSAO_SISTEMA = 'x'");
    EXPECT_EQ(test::StoredValue(path, "SELECT count(*) FROM TA_SISTEMA WHERE DE_VERSAO_SISTEMA = 'x'"), "integer:4");
}

TEST_F(ShareMode, ScratchCommitsAreInTheFileAtOnceAndKeepOtherConnectionsOutUntilClosed) {
    test::RunStatements(path, {"CREATE TABLE TB_CHAVE (CD_CHAVE LONG PRIMARY KEY)"});
    auto scratch = Make(db::ShareMode::Default);
    scratch->SetCommitMode(db::CommitMode::Scratch);
    scratch->Connect();
    auto other = Make(db::ShareMode::DenyNone);
    other->Connect();
    db::Query q(*scratch);
    q.SetSql("PRAGMA journal_mode");
    q.Open();
    EXPECT_EQ(q.AsString("journal_mode"), "memory");
    q.SetSql("PRAGMA locking_mode");
    q.Open();
    EXPECT_EQ(q.AsString("locking_mode"), "exclusive");
    q.SetSql("SELECT * FROM TA_SISTEMA");
    q.Open();
    const std::string copy = folder / "copia.mdb";
    for (int i = 0; i < 3; ++i) {
        q.Append();
        q.SetString("DE_VERSAO_BANCO", "linha " + std::to_string(i));
        q.Post();
        // Each posted row is in the file itself: a plain copy of it holds the row.
        ASSERT_TRUE(CopyFileA(path.c_str(), copy.c_str(), FALSE));
        EXPECT_EQ(test::StoredValue(copy, "SELECT count(*) FROM TA_SISTEMA"), "integer:" + std::to_string(2 + i));
    }
    // The file stays open to plain openers, but other connections of the engine wait for
    // the scratch connection's locks and give up.
    {
        UniqueHandle plain(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
        EXPECT_TRUE(plain) << "the share mode is the engine's default";
    }
    EXPECT_EQ(FailureOf([&] { Rows(*other); }),
              "The database '" + path + "' is locked by another user; try again later.");

    // A refused row is undone without a journal on disk, and the connection goes on.
    db::Query k(*scratch);
    k.SetSql("SELECT * FROM TB_CHAVE");
    k.Open();
    k.Append();
    k.SetString("CD_CHAVE", "1");
    k.Post();
    k.Append();
    k.SetString("CD_CHAVE", "1");
    EXPECT_EQ(FailureOf([&] { k.Post(); }),
              "The database refused the row: UNIQUE constraint failed: TB_CHAVE.CD_CHAVE.");
    k.Cancel();
    k.Append();
    k.SetString("CD_CHAVE", "2");
    k.Post();
    scratch->Disconnect();
    EXPECT_EQ(Rows(*other), 4) << "every row is there once the scratch connection closes";
    EXPECT_EQ(test::StoredValues(path, "SELECT CD_CHAVE FROM TB_CHAVE ORDER BY CD_CHAVE"),
              (std::vector<std::string>{"integer:1", "integer:2"}));
    EXPECT_EQ(test::StoredValue(path, "PRAGMA integrity_check"), "text:ok");
    EXPECT_EQ(test::StoredValue(path, "PRAGMA journal_mode"), "text:delete") << "the file keeps its journal mode";
}

TEST_F(ShareMode, AReadOnlyFileIsHeldExclusivelyForReading) {
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    {
        UniqueHandle writable(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (writable) {
            writable.reset();
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            GTEST_SKIP() << "this platform lets the file be written despite its read-only attribute";
        }
    }
    {
        auto exclusive = Make(db::ShareMode::Exclusive);
        exclusive->Connect();
        EXPECT_EQ(Rows(*exclusive), 1);
        EXPECT_EQ(FailureOf([&] { exclusive->Execute("UPDATE TA_SISTEMA SET DE_VERSAO_SISTEMA = 'x'"); }),
                  "The database '" + path + "' is read-only and cannot be changed.");
        EXPECT_EQ(Probe("probe-default", path, Result()), "refused: " + InUse());
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::StoredValue(path, "SELECT DE_VERSAO_SISTEMA FROM TA_SISTEMA"), "text:3.2.1");
}

}  // namespace
}  // namespace qel
