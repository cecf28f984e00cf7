#include "tools/uidriver/DatabaseReader.h"

#include <sqlite3.h>

#include <memory>
#include <stdexcept>

#include "platform/Text.h"

namespace qel::uidriver {
namespace {

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Db = std::unique_ptr<sqlite3, Closer>;

Db Open(const std::string& path, int flags) {
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(text::ToUtf8(path).c_str(), &raw, flags, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot open " + path);
    return db;
}

}  // namespace

std::vector<std::vector<std::string>> Rows(const std::string& database, const std::string& sql) {
    Db db = Open(database, SQLITE_OPEN_READONLY);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db.get(), text::ToUtf8(sql).c_str(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db.get()));
    std::vector<std::vector<std::string>> rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            const unsigned char* v = sqlite3_column_text(st, i);
            row.push_back(v ? text::FromUtf8(reinterpret_cast<const char*>(v)) : "<null>");
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    return rows;
}

std::string Scalar(const std::string& database, const std::string& sql) {
    auto rows = Rows(database, sql);
    return rows.empty() || rows[0].empty() ? std::string() : rows[0][0];
}

long long CountRows(const std::string& database, const std::string& table) {
    return std::stoll(Scalar(database, "SELECT COUNT(*) FROM " + table));
}

void Exec(const std::string& database, const std::string& sql) {
    Db db = Open(database, SQLITE_OPEN_READWRITE);
    char* error = nullptr;
    if (sqlite3_exec(db.get(), text::ToUtf8(sql).c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(message);
    }
}

}  // namespace qel::uidriver
