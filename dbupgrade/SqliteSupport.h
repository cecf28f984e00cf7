#pragma once
// Owners of the embedded engine's handles, and its failures turned into messages.
#include <sqlite3.h>

#include <memory>
#include <string>

namespace qel::db {

struct StatementDeleter {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// Throws the failure for a result code of the engine, with the message the engine left
// on the connection; path names the database file in the message (Windows-1252).
[[noreturn]] void ThrowEngineFailure(sqlite3* db, int rc, const std::string& path);

// Prepares the first statement of UTF-8 text; tail (may be null) receives what follows it.
Statement Prepare(sqlite3* db, const char* utf8, int length, const std::string& path, const char** tail);
inline Statement Prepare(sqlite3* db, const std::string& utf8, const std::string& path) {
    return Prepare(db, utf8.c_str(), static_cast<int>(utf8.size()), path, nullptr);
}

// Quotes a name (UTF-8) for use in a statement.
std::string QuoteName(const std::string& name);

}  // namespace qel::db
