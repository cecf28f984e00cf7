// Measures what the database engine interface costs per carried row against a bare
// loop of the embedded engine (one prepared INSERT, one commit per row): the same rows,
// the same files, the same commit per row.
//
//   qel_carry_benchmark [rows] [nosync]        (default 100000 rows)
//
// "nosync" turns off the flush to disk of each commit on both sides, so that what is
// left is the work of the code rather than of the disk. Prints the time of each and
// their ratio. A developer tool, not part of the suite.
#include <windows.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "dbupgrade/ConnectionText.h"
#include "dbupgrade/Database.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "platform/Text.h"

namespace {

using namespace qel;
using Clock = std::chrono::steady_clock;

bool g_noSync = false;

const char* kTable =
    "(CD_OPERADORA LONG, DE_NOME TEXT(60), DT_INIC_VIGN DATETIME, VL_TOTAL DOUBLE, ID_ATIVO YESNO, "
    "NR_QTD INTEGER, DE_OBS MEMO)";

void Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql.c_str(), error ? error : "?");
        std::exit(1);
    }
}

sqlite3* OpenDb(const std::string& path, bool create) {
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) std::exit(1);
    return db;
}

void MakeSource(const std::string& path, int rows) {
    sqlite3* db = OpenDb(path, true);
    Exec(db, std::string("CREATE TABLE TB_ACOMPANHAMENTO ") + kTable);
    Exec(db, "BEGIN");
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO TB_ACOMPANHAMENTO VALUES (?,?,?,?,?,?,?)", -1, &s, nullptr);
    for (int i = 0; i < rows; ++i) {
        std::string name = "Operadora de sa\xC3\xBA" "de n\xC2\xBA " + std::to_string(i);
        char date[32];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d 10:20:30", 1995 + i % 12, 1 + i % 12, 1 + i % 28);
        std::string memo = "Observa\xC3\xA7\xC3\xA3o " + std::to_string(i * 7);
        sqlite3_bind_int64(s, 1, i);
        sqlite3_bind_text(s, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 3, date, -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(s, 4, i * 1.25);
        sqlite3_bind_int(s, 5, i % 2);
        sqlite3_bind_int(s, 6, i % 1000);
        sqlite3_bind_text(s, 7, memo.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(s);
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

void MakeTarget(const std::string& path) {
    DeleteFileA(path.c_str());
    sqlite3* db = OpenDb(path, true);
    Exec(db, std::string("CREATE TABLE TB_ACOMPANHAMENTO ") + kTable);
    sqlite3_close(db);
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Reads the source with one statement and inserts each row with one prepared statement,
// committing each row on its own.
double Bare(const std::string& from, const std::string& to) {
    MakeTarget(to);
    auto start = Clock::now();
    sqlite3* src = OpenDb(from, false);
    sqlite3* dst = OpenDb(to, false);
    if (g_noSync) Exec(dst, "PRAGMA synchronous=OFF");
    sqlite3_stmt* read = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(src, "SELECT * FROM TB_ACOMPANHAMENTO WHERE DT_INIC_VIGN < '2007-01-01 00:00:00'", -1, &read,
                       nullptr);
    sqlite3_prepare_v2(dst, "INSERT INTO TB_ACOMPANHAMENTO VALUES (?,?,?,?,?,?,?)", -1, &insert, nullptr);
    while (sqlite3_step(read) == SQLITE_ROW) {
        for (int i = 0; i < 7; ++i) sqlite3_bind_value(insert, i + 1, sqlite3_column_value(read, i));
        if (sqlite3_step(insert) != SQLITE_DONE) std::exit(1);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(read);
    sqlite3_finalize(insert);
    sqlite3_close(src);
    sqlite3_close(dst);
    return Seconds(start);
}

// The carry-over's own way: every column through its text form, a post per row.
double ThroughTheInterface(const std::string& from, const std::string& to) {
    MakeTarget(to);
    auto start = Clock::now();
    db::Connection installed, fresh;
    installed.SetLoginPrompt(false);
    installed.SetShareMode(db::ShareMode::Exclusive);
    installed.SetConnectionString(text::Widen(db::FullConnectionText(from)));
    fresh.SetLoginPrompt(false);
    fresh.SetConnectionString(text::Widen(db::FullConnectionText(to)));
    installed.Connect();
    fresh.Connect();
    if (g_noSync) fresh.Execute("PRAGMA synchronous=OFF");
    db::Query source(installed), target(fresh);
    source.SetSql("SELECT * FROM TB_ACOMPANHAMENTO");
    target.SetSql("SELECT * FROM TB_ACOMPANHAMENTO");
    source.Open();
    target.Open();
    const db::DateTime cutOff{2007, 1, 1, 0, 0, 0};
    for (source.First(); !source.Eof(); source.Next()) {
        if (!(source.AsDateTime("DT_INIC_VIGN") < cutOff)) continue;
        target.Append();
        for (int i = 0; i < source.FieldCount(); ++i) {
            std::string name = source.FieldName(i);
            target.SetString(name, source.AsString(name));
        }
        target.Post();
    }
    source.Close();
    target.Close();
    installed.Disconnect();
    fresh.Disconnect();
    return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    ComApartment com;
    int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    g_noSync = argc > 2 && std::string(argv[2]) == "nosync";
    std::string folder = fs::TempPath() + "qel-carry-benchmark";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string from = folder + "\\instalado.mdb", bare = folder + "\\bare.mdb", engine = folder + "\\engine.mdb";
    DeleteFileA(from.c_str());
    MakeSource(from, rows);
    // Alternate the two, twice, so that neither profits from a warmer cache.
    double b1 = Bare(from, bare), e1 = ThroughTheInterface(from, engine);
    double b2 = Bare(from, bare), e2 = ThroughTheInterface(from, engine);
    double b = std::min(b1, b2), e = std::min(e1, e2);
    std::printf("rows: %d%s\nbare loop: %.2f s, %.2f s\ninterface: %.2f s, %.2f s\nratio (best of each): %.2f\n", rows,
                g_noSync ? " (commits not flushed to disk)" : "", b1, b2, e1, e2, e / b);
    for (const std::string& f : {from, bare, engine}) DeleteFileA(f.c_str());
    RemoveDirectoryA(folder.c_str());
    return 0;
}
