#pragma once
// A query of the embedded engine. Its rows are read when it opens, like the data-access
// layer's client-side cursor, so an open query holds no lock on the file and other
// connections keep writing. Rows are added to the one table the query reads: each Post
// is one INSERT that commits at once.
#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dbupgrade/EmbeddedValues.h"
#include "dbupgrade/Engine.h"
#include "dbupgrade/SqliteSupport.h"

namespace qel::db {

class SqliteCursor final : public CursorEngine {
public:
    // Runs the query (Windows-1252 text) on an open database.
    SqliteCursor(sqlite3* db, std::string path, const std::string& sql);
    ~SqliteCursor() override;

    int FieldCount() const override;
    const std::string& FieldName(int index) const override;
    void First() override;
    void Next() override;
    bool Eof() const override;
    long RowCount() const override;
    Value AsValue(int index) const override;
    DateTime AsDateTime(int index) const override;
    bool Binary(int index) const override;
    void Append() override;
    bool Appending() const override;
    void SetValue(int index, const Value& value) override;
    void Post() override;
    void Cancel() override;

private:
    struct Row {
        std::vector<Cell> cells;
        // A posted row is read back from the table, by its row number, when first read,
        // so that numbers and defaults the database gave it show.
        sqlite3_int64 rowid = 0;
        bool readBack = false;
    };
    struct Writer;

    const Cell& CurrentCell(int index) const;
    void ReadBack(Row& row) const;
    Writer& PrepareWriter();
    sqlite3_stmt* InsertFor(const std::vector<bool>& assigned);

    sqlite3* db_;
    std::string path_;
    std::string sql_;
    std::vector<ColumnForm> columns_;
    mutable std::vector<Row> rows_;
    size_t position_ = 0;
    bool eof_ = true;

    bool appending_ = false;
    std::vector<Cell> buffer_;
    std::vector<bool> assigned_;
    std::unique_ptr<Writer> writer_;
};

}  // namespace qel::db
