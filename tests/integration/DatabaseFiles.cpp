#include "tests/integration/DatabaseFiles.h"

#include <sqlite3.h>

#include <cstdio>
#include <stdexcept>

#include "dbupgrade/ConnectionText.h"
#include "platform/Text.h"

namespace qel::test {

namespace {

class Db {
public:
    Db(const std::string& path, int flags) {
        if (sqlite3_open_v2(text::ToUtf8(path).c_str(), &db_, flags, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path + ": " + sqlite3_errmsg(db_));
    }
    ~Db() { sqlite3_close_v2(db_); }
    sqlite3* get() const { return db_; }
    void Run(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(db_, text::ToUtf8(sql).c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::string message = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error(sql + ": " + message);
        }
    }

private:
    sqlite3* db_ = nullptr;
};

}  // namespace

void CreateDatabase(const std::string& path, const std::vector<std::string>& statements) {
    Db db(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    for (const std::string& s : statements) db.Run(s);
}

void RunStatements(const std::string& path, const std::vector<std::string>& statements) {
    Db db(path, SQLITE_OPEN_READWRITE);
    for (const std::string& s : statements) db.Run(s);
}

std::vector<std::string> StoredValues(const std::string& path, const std::string& sql) {
    Db db(path, SQLITE_OPEN_READONLY);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db.get(), text::ToUtf8(sql).c_str(), -1, &s, nullptr) != SQLITE_OK)
        throw std::runtime_error(sql + ": " + sqlite3_errmsg(db.get()));
    std::vector<std::string> out;
    while (sqlite3_step(s) == SQLITE_ROW) {
        switch (sqlite3_column_type(s, 0)) {
            case SQLITE_INTEGER: out.push_back("integer:" + std::to_string(sqlite3_column_int64(s, 0))); break;
            case SQLITE_FLOAT: {
                char buf[64];
                std::snprintf(buf, sizeof buf, "real:%.17g", sqlite3_column_double(s, 0));
                out.push_back(buf);
                break;
            }
            case SQLITE_TEXT:
                out.push_back("text:" + text::FromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))));
                break;
            case SQLITE_BLOB:
                out.push_back("blob:" + std::string(static_cast<const char*>(sqlite3_column_blob(s, 0)),
                                                    static_cast<size_t>(sqlite3_column_bytes(s, 0))));
                break;
            default: out.push_back("null"); break;
        }
    }
    sqlite3_finalize(s);
    return out;
}

std::string StoredValue(const std::string& path, const std::string& sql) {
    auto values = StoredValues(path, sql);
    if (values.size() != 1) throw std::runtime_error(sql + ": " + std::to_string(values.size()) + " rows");
    return values[0];
}

std::wstring FullText(const std::string& path) { return text::Widen(db::FullConnectionText(path)); }

}  // namespace qel::test
