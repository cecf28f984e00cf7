#include "dbupgrade/SqliteSupport.h"

#include "dbupgrade/Messages.h"
#include "platform/Failure.h"
#include "platform/Text.h"

namespace qel::db {

namespace {

bool StartsWith(const std::string& s, const char* prefix, std::string& rest) {
    std::string p = prefix;
    if (s.compare(0, p.size(), p) != 0) return false;
    rest = s.substr(p.size());
    return true;
}

}  // namespace

void ThrowEngineFailure(sqlite3* db, int rc, const std::string& path) {
    std::string message = text::FromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    std::string rest;
    switch (rc & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED: throw Failure(msg::DatabaseLocked(path));
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT: throw Failure(msg::NotADatabase(path));
        case SQLITE_CANTOPEN: throw Failure(msg::CannotOpen(path));
        case SQLITE_READONLY: throw Failure(msg::ReadOnlyDatabase(path));
        case SQLITE_IOERR: throw Failure(msg::DiskError(path));
        case SQLITE_FULL: throw Failure(msg::DiskFull(path));
        case SQLITE_CONSTRAINT:
        case SQLITE_MISMATCH:
        case SQLITE_TOOBIG: throw Failure(msg::RowRefused(message));
        default: break;
    }
    if (StartsWith(message, "no such table: ", rest)) throw Failure(msg::TableMissing(rest));
    if (StartsWith(message, "no such column: ", rest)) throw Failure(msg::ColumnMissing(rest));
    throw Failure(msg::StatementRefused(message));
}

Statement Prepare(sqlite3* db, const char* utf8, int length, const std::string& path, const char** tail) {
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, utf8, length, &raw, tail);
    Statement statement(raw);
    if (rc != SQLITE_OK) ThrowEngineFailure(db, rc, path);
    return statement;
}

std::string QuoteName(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace qel::db
