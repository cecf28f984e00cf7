#pragma once
// A query of the embedded engine. A forward-only query steps through its rows as the
// engine reads them and holds one at a time, with the engine's read lock on the file from
// its first row to its end of rows; any other query reads its rows when it opens, like the
// data-access layer's client-side cursor, so that it holds no lock on the file and other
// connections keep writing. Rows are added to the one table the query reads: each Post is
// one INSERT that commits at once, and the query keeps none of the rows it added.
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
    SqliteCursor(sqlite3* db, std::string path, const std::string& sql, bool forwardOnly);
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
    ColumnType Type(int index) const override;
    void Append() override;
    bool Appending() const override;
    void SetValue(int index, const Value& value) override;
    void Post() override;
    void Cancel() override;

private:
    using Row = std::vector<Cell>;
    struct Writer;

    // Forward only: reads the next row into current_; false at the end of rows.
    bool Step();
    // Otherwise: reads every row of the query into rows_.
    void ReadAll();
    const Cell& CurrentCell(int index) const;
    void ReadBackPosted() const;
    Writer& PrepareWriter();
    sqlite3_stmt* InsertFor(const std::vector<bool>& assigned);

    sqlite3* db_;
    std::string path_;
    std::string sql_;
    std::vector<ColumnForm> columns_;
    Statement query_;
    const bool forwardOnly_;

    std::vector<Row> rows_;  // read at opening (not forward only)
    size_t position_ = 0;
    Row current_;            // the current row (forward only)
    bool any_ = false;       // whether the query gave a row, for reading after its end
    bool eof_ = true;
    // Moved on since it stood on its first row; added a row since its rows were read.
    bool moved_ = false;
    bool added_ = false;
    long addedCount_ = 0;  // rows added since its rows were read

    // The row posted last, while the query stands on it: read back from the table by its
    // row number when first read, so that numbers and defaults the database gave it show.
    bool onPosted_ = false;
    sqlite3_int64 postedRowid_ = 0;
    mutable bool postedRead_ = false;
    mutable Row posted_;

    bool appending_ = false;
    Row buffer_;
    std::vector<bool> assigned_;
    std::unique_ptr<Writer> writer_;
};

}  // namespace qel::db
