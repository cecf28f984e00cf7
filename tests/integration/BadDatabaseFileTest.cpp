// Files that are not usable databases: each gives a clear failure, nothing is created,
// nothing is changed.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>

#include "dbupgrade/Database.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/support/TempFolder.h"

namespace qel {
namespace {

std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA d;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string n = d.cFileName;
        if (n != "." && n != "..") names.insert(n);
    } while (FindNextFileA(h, &d));
    FindClose(h);
    return names;
}

// Connects (in each share mode) and reads every table; returns the failure's message.
std::string TryToUse(const std::string& path, db::ShareMode mode) {
    try {
        db::Connection c;
        c.SetLoginPrompt(false);
        c.SetShareMode(mode);
        c.SetConnectionString(test::FullText(path));
        c.Connect();
        for (const char* table : {"TB_OPERADORA", "TB_ACOMPANHAMENTO"}) {
            db::Query q(c);
            q.SetSql(std::string("SELECT * FROM ") + table);
            q.Open();
            for (; !q.Eof(); q.Next()) q.AsString("DE_NOME");
        }
    } catch (const Failure& f) {
        return f.what();
    }
    return "";
}

class BadDatabaseFile : public testing::Test {
protected:
    // A healthy database of several pages, for cutting short.
    std::string Healthy() {
        std::string path = folder / "healthy.mdb";
        std::vector<std::string> statements = {
            "CREATE TABLE TB_OPERADORA (CD_OPERADORA LONG, DE_NOME TEXT(200))",
            "CREATE TABLE TB_ACOMPANHAMENTO (CD LONG, DE_NOME TEXT(200), DT_INIC_VIGN DATETIME)", "BEGIN"};
        for (int i = 0; i < 300; ++i) {
            statements.push_back("INSERT INTO TB_OPERADORA VALUES (" + std::to_string(i) + ", '" +
                                 std::string(150, static_cast<char>('a' + i % 26)) + "')");
            statements.push_back("INSERT INTO TB_ACOMPANHAMENTO VALUES (" + std::to_string(i) + ", 'x', '2006-01-01')");
        }
        statements.push_back("COMMIT");
        test::CreateDatabase(path, statements);
        return path;
    }

    // Checks that using the file fails with a message, in every share mode, and leaves the
    // folder and the file exactly as they were.
    std::string ExpectRefusedUnchanged(const std::string& path) {
        const std::set<std::string> before = FilesIn(folder.Path());
        const bool existed = fs::FileExists(path);
        const std::string contents = existed ? test::ReadFile(path) : "";
        std::string first;
        for (db::ShareMode mode : {db::ShareMode::Default, db::ShareMode::DenyNone, db::ShareMode::Exclusive}) {
            std::string message = TryToUse(path, mode);
            EXPECT_FALSE(message.empty()) << path << ": no failure";
            if (first.empty()) first = message;
        }
        EXPECT_EQ(FilesIn(folder.Path()), before) << "nothing created";
        EXPECT_EQ(fs::FileExists(path), existed);
        if (existed) {
            EXPECT_EQ(test::ReadFile(path), contents) << "nothing changed";
        }
        return first;
    }

    test::TempFolder folder{"qelbad"};
};

// Files without the embedded engine's signature go to the data provider, which is not
// installed here: its failure is named clearly.
std::string ProviderMissing(const std::string& path) {
    return "The database '" + path +
           "' could not be opened (error 0x800401F3: the data provider named in the connection text is not "
           "installed).";
}

TEST_F(BadDatabaseFile, AMissingFileIsNotCreated) {
    std::string message = ExpectRefusedUnchanged(folder / "QEL.mdb");
    EXPECT_EQ(message, ProviderMissing(folder / "QEL.mdb"));
}

TEST_F(BadDatabaseFile, AZeroLengthFileStaysAsItIs) {
    test::WriteFile(folder / "QEL.mdb", "");
    std::string message = ExpectRefusedUnchanged(folder / "QEL.mdb");
    EXPECT_EQ(message, ProviderMissing(folder / "QEL.mdb"));
}

TEST_F(BadDatabaseFile, AFileThatIsNotADatabaseStaysAsItIs) {
    test::WriteFile(folder / "QEL.mdb", "Isto n\xE3o \xE9 um banco de dados.\r\n");
    std::string message = ExpectRefusedUnchanged(folder / "QEL.mdb");
    EXPECT_EQ(message, ProviderMissing(folder / "QEL.mdb"));
}

TEST_F(BadDatabaseFile, AFolderInPlaceOfTheFileIsRefused) {
    CreateDirectoryA((folder / "QEL.mdb").c_str(), nullptr);
    ExpectRefusedUnchanged(folder / "QEL.mdb");
}

TEST_F(BadDatabaseFile, AnEmbeddedDatabaseCutShortIsReportedDamaged) {
    const std::string healthy = test::ReadFile(Healthy());
    ASSERT_GT(healthy.size(), 20000u);
    for (size_t keep : {size_t{16}, size_t{60}, size_t{100}, size_t{4096}, healthy.size() / 2}) {
        const std::string path = folder / ("cut" + std::to_string(keep) + ".mdb");
        test::WriteFile(path, healthy.substr(0, keep));
        EXPECT_EQ(ExpectRefusedUnchanged(path), "The file '" + path + "' is not a database or is damaged.")
            << keep << " bytes kept";
    }
}

TEST_F(BadDatabaseFile, AnEmbeddedDatabaseWithADamagedHeaderIsReportedDamaged) {
    std::string damaged = test::ReadFile(Healthy());
    for (size_t i = 16; i < 100; ++i) damaged[i] = static_cast<char>(0xA5);
    const std::string path = folder / "damaged.mdb";
    test::WriteFile(path, damaged);
    EXPECT_EQ(ExpectRefusedUnchanged(path), "The file '" + path + "' is not a database or is damaged.");
}

TEST_F(BadDatabaseFile, AConnectionTextWithoutADataSourceGoesToTheProvider) {
    db::Connection c;
    c.SetConnectionString(L"Provider=Microsoft.Jet.OLEDB.4.0");
    try {
        c.Connect();
        ADD_FAILURE() << "connected without a database";
    } catch (const Failure& f) {
        EXPECT_EQ(std::string(f.what()),
                  "The database could not be opened (error 0x800401F3: the data provider named in the connection "
                  "text is not installed).");
    }
    EXPECT_FALSE(c.Connected());
    c.Disconnect();  // after a failed connect: nothing to do, no failure
}

}  // namespace
}  // namespace qel
