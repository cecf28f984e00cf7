#include "dbupgrade/SqliteCursor.h"

#include <cstring>

#include "dbupgrade/Messages.h"
#include "dbupgrade/QueryTable.h"
#include "platform/Failure.h"
#include "platform/Text.h"

namespace qel::db {

// What adding rows to the query's table needs, worked out at the first Append.
struct SqliteCursor::Writer {
    std::string table;                   // UTF-8
    std::vector<std::string> tableNames;  // UTF-8 names of the table's columns
    std::vector<int> columnOf;           // per query column: its table column, or -1
    std::vector<ColumnForm> forms;       // per query column: how it takes values
    std::vector<std::string> generated;  // counter columns that get the next number
    std::map<std::vector<bool>, Statement> inserts;  // by the set of assigned columns
    Statement readBack;  // a posted row by its row number; none for a table without them
};

namespace {

Cell ColumnCell(sqlite3_stmt* s, int i) {
    switch (sqlite3_column_type(s, i)) {
        case SQLITE_INTEGER: return static_cast<std::int64_t>(sqlite3_column_int64(s, i));
        case SQLITE_FLOAT: return sqlite3_column_double(s, i);
        case SQLITE_TEXT: {
            const char* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
            return std::string(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(s, i)));
        }
        case SQLITE_BLOB: {
            const char* p = static_cast<const char*>(sqlite3_column_blob(s, i));
            return Bytes{std::string(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(s, i)))};
        }
        default: return std::monostate{};
    }
}

void Bind(sqlite3_stmt* s, int i, const Cell& cell) {
    switch (cell.index()) {
        case 1: sqlite3_bind_int64(s, i, std::get<std::int64_t>(cell)); break;
        case 2: sqlite3_bind_double(s, i, std::get<double>(cell)); break;
        case 3: {
            const std::string& t = std::get<std::string>(cell);
            sqlite3_bind_text(s, i, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
            break;
        }
        case 4: {
            const std::string& b = std::get<Bytes>(cell).data;
            sqlite3_bind_blob(s, i, b.data(), static_cast<int>(b.size()), SQLITE_STATIC);
            break;
        }
        default: sqlite3_bind_null(s, i); break;
    }
}

std::string Upper1252(const std::string& utf8) { return text::Upper(text::FromUtf8(utf8)); }

// Whether the table's own definition asks the engine to number its key (a key declared
// INTEGER PRIMARY KEY AUTOINCREMENT, the engine's spelling of a counter).
bool DeclaresAutoincrement(const std::string& createSql) {
    std::string upper = createSql;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (size_t at = upper.find("AUTOINCREMENT"); at != std::string::npos; at = upper.find("AUTOINCREMENT", at + 1)) {
        auto word = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; };
        bool before = at == 0 || !word(upper[at - 1]);
        bool after = at + 13 >= upper.size() || !word(upper[at + 13]);
        if (before && after) return true;
    }
    return false;
}

}  // namespace

SqliteCursor::SqliteCursor(sqlite3* db, std::string path, const std::string& sql)
    : db_(db), path_(std::move(path)), sql_(sql) {
    std::string utf8 = text::ToUtf8(sql);
    const char* tail = nullptr;
    Statement statement = Prepare(db_, utf8.c_str(), static_cast<int>(utf8.size()), path_, &tail);
    if (!statement) throw Failure(msg::StatementRefused("the query has no text"));
    for (; tail && *tail; ++tail) {
        if (!std::strchr(" \t\r\n;", *tail))
            throw Failure(msg::StatementRefused("a query opens one statement only"));
    }
    sqlite3_stmt* s = statement.get();
    const int count = sqlite3_column_count(s);
    if (count == 0) throw Failure(msg::StatementRefused("the query text returns no rows"));

    columns_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const char* name = sqlite3_column_name(s, i);
        const char* declared = sqlite3_column_decltype(s, i);
        columns_.push_back({text::FromUtf8(name ? name : ""), ColumnTypeFromDeclared(declared ? declared : ""),
                            HasNumericAffinity(declared)});
    }
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        Row row;
        row.cells.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) row.cells.push_back(ColumnCell(s, i));
        rows_.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) ThrowEngineFailure(db_, rc, path_);
    eof_ = rows_.empty();
}

SqliteCursor::~SqliteCursor() = default;

int SqliteCursor::FieldCount() const { return static_cast<int>(columns_.size()); }

const std::string& SqliteCursor::FieldName(int index) const { return columns_[static_cast<size_t>(index)].name; }

void SqliteCursor::First() {
    position_ = 0;
    eof_ = rows_.empty();
}

void SqliteCursor::Next() {
    if (eof_) return;
    if (position_ + 1 < rows_.size()) ++position_;
    else eof_ = true;  // stays on the last row
}

bool SqliteCursor::Eof() const { return eof_ && !appending_; }

// The rows were all read at the open; rows posted since count too.
long SqliteCursor::RowCount() const { return static_cast<long>(rows_.size()); }

const Cell& SqliteCursor::CurrentCell(int index) const {
    static const Cell kEmpty;
    if (appending_) return buffer_[static_cast<size_t>(index)];
    if (rows_.empty()) return kEmpty;
    Row& row = rows_[position_];
    if (row.readBack) ReadBack(row);
    return row.cells[static_cast<size_t>(index)];
}

Value SqliteCursor::AsValue(int index) const {
    return CellToText(CurrentCell(index), columns_[static_cast<size_t>(index)]);
}

bool SqliteCursor::Binary(int index) const {
    return columns_[static_cast<size_t>(index)].type.kind == ColumnKind::Binary;
}

DateTime SqliteCursor::AsDateTime(int index) const {
    return CellToDateTime(CurrentCell(index), columns_[static_cast<size_t>(index)]);
}

SqliteCursor::Writer& SqliteCursor::PrepareWriter() {
    if (writer_) return *writer_;
    auto table = TableOfQuery(sql_);
    if (!table) throw Failure(msg::NotUpdatable(sql_));
    auto w = std::make_unique<Writer>();
    w->table = text::ToUtf8(*table);

    Statement info = Prepare(db_, "PRAGMA table_info(" + QuoteName(w->table) + ")", path_);
    std::vector<std::string> declared;
    std::vector<int> keyOrder;
    int rc;
    while ((rc = sqlite3_step(info.get())) == SQLITE_ROW) {
        auto text = [&](int i) {
            const unsigned char* p = sqlite3_column_text(info.get(), i);
            return std::string(p ? reinterpret_cast<const char*>(p) : "");
        };
        w->tableNames.push_back(text(1));
        declared.push_back(text(2));
        keyOrder.push_back(sqlite3_column_int(info.get(), 5));
    }
    if (rc != SQLITE_DONE) ThrowEngineFailure(db_, rc, path_);
    if (w->tableNames.empty()) throw Failure(msg::TableMissing(*table));

    // A single INTEGER key with AUTOINCREMENT is numbered by the engine itself.
    int engineNumbered = -1;
    {
        Statement create =
            Prepare(db_, "SELECT sql FROM sqlite_master WHERE type='table' AND name=?1 COLLATE NOCASE", path_);
        sqlite3_bind_text(create.get(), 1, w->table.data(), static_cast<int>(w->table.size()), SQLITE_STATIC);
        if (sqlite3_step(create.get()) == SQLITE_ROW) {
            const unsigned char* p = sqlite3_column_text(create.get(), 0);
            int keys = 0, key = -1;
            for (size_t i = 0; i < keyOrder.size(); ++i)
                if (keyOrder[i] > 0) { ++keys; key = static_cast<int>(i); }
            if (p && keys == 1 && DeclaresAutoincrement(reinterpret_cast<const char*>(p))) engineNumbered = key;
        }
    }

    std::vector<std::string> upperTable;
    for (const std::string& n : w->tableNames) upperTable.push_back(Upper1252(n));
    for (size_t t = 0; t < w->tableNames.size(); ++t) {
        if (static_cast<int>(t) != engineNumbered && ColumnTypeFromDeclared(declared[t]).kind == ColumnKind::Counter)
            w->generated.push_back(w->tableNames[t]);
    }
    for (const ColumnForm& column : columns_) {
        std::string upper = text::Upper(column.name);
        int found = -1;
        for (size_t t = 0; t < upperTable.size(); ++t)
            if (upperTable[t] == upper) { found = static_cast<int>(t); break; }
        w->columnOf.push_back(found);
        ColumnForm form = column;
        if (found >= 0) {
            form.type = ColumnTypeFromDeclared(declared[static_cast<size_t>(found)]);
            form.numericAffinity = HasNumericAffinity(declared[static_cast<size_t>(found)].c_str());
            if (found == engineNumbered) form.type = {ColumnKind::Counter, 0};
        }
        w->forms.push_back(std::move(form));
    }

    std::string list;
    for (int t : w->columnOf) {
        if (!list.empty()) list += ", ";
        list += t >= 0 ? QuoteName(w->tableNames[static_cast<size_t>(t)]) : "NULL";
    }
    sqlite3_stmt* raw = nullptr;
    std::string sql = "SELECT " + list + " FROM " + QuoteName(w->table) + " WHERE rowid = ?1";
    // A table without row numbers keeps the values as they were assigned.
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) == SQLITE_OK)
        w->readBack.reset(raw);
    else
        sqlite3_finalize(raw);

    writer_ = std::move(w);
    return *writer_;
}

void SqliteCursor::Append() {
    PrepareWriter();
    buffer_.assign(columns_.size(), Cell{});
    assigned_.assign(columns_.size(), false);
    appending_ = true;
}

bool SqliteCursor::Appending() const { return appending_; }

void SqliteCursor::SetValue(int index, const Value& value) {
    Writer& w = *writer_;
    const size_t i = static_cast<size_t>(index);
    if (w.columnOf[i] < 0) throw Failure(msg::FieldReadOnly(columns_[i].name));
    buffer_[i] = TextToCell(value, w.forms[i]);
    assigned_[i] = true;
}

sqlite3_stmt* SqliteCursor::InsertFor(const std::vector<bool>& assigned) {
    Writer& w = *writer_;
    auto found = w.inserts.find(assigned);
    if (found != w.inserts.end()) return found->second.get();

    std::string names, values;
    auto add = [&](const std::string& name, const std::string& value) {
        if (!names.empty()) { names += ", "; values += ", "; }
        names += QuoteName(name);
        values += value;
    };
    int parameter = 0;
    for (size_t i = 0; i < assigned.size(); ++i) {
        if (!assigned[i]) continue;
        std::string placeholder = "?";
        placeholder += std::to_string(++parameter);
        add(w.tableNames[static_cast<size_t>(w.columnOf[i])], placeholder);
    }
    // A counter takes the next number after the highest in the table, in the same
    // statement, so that two connections adding rows never get the same one.
    for (const std::string& counter : w.generated)
        add(counter, "(SELECT coalesce(max(" + QuoteName(counter) + "), 0) + 1 FROM " + QuoteName(w.table) + ")");
    std::string sql = names.empty() ? "INSERT INTO " + QuoteName(w.table) + " DEFAULT VALUES"
                                    : "INSERT INTO " + QuoteName(w.table) + " (" + names + ") VALUES (" + values + ")";
    Statement statement = Prepare(db_, sql, path_);
    sqlite3_stmt* raw = statement.get();
    w.inserts.emplace(assigned, std::move(statement));
    return raw;
}

void SqliteCursor::Post() {
    sqlite3_stmt* insert = InsertFor(assigned_);
    int parameter = 0;
    for (size_t i = 0; i < assigned_.size(); ++i)
        if (assigned_[i]) Bind(insert, ++parameter, buffer_[i]);
    int rc = sqlite3_step(insert);
    if (rc != SQLITE_DONE) {
        // The row stays in the making, as it was, and can be corrected or dropped.
        struct Reset {
            sqlite3_stmt* s;
            ~Reset() { sqlite3_reset(s); }
        } reset{insert};
        ThrowEngineFailure(db_, rc, path_);
    }
    sqlite3_reset(insert);

    Row row;
    row.rowid = sqlite3_last_insert_rowid(db_);
    row.readBack = writer_->readBack != nullptr;
    // A row that is read back keeps no copy of its values, and the buffer serves the
    // next row: a whole table posted through one query (the carry-over's way) does not
    // pile up in memory.
    if (!row.readBack) row.cells = std::move(buffer_);
    rows_.push_back(std::move(row));
    position_ = rows_.size() - 1;
    eof_ = false;
    appending_ = false;
    buffer_.clear();
    assigned_.clear();
}

void SqliteCursor::Cancel() {
    appending_ = false;
    buffer_.clear();
    assigned_.clear();
}

void SqliteCursor::ReadBack(Row& row) const {
    row.readBack = false;
    sqlite3_stmt* s = writer_->readBack.get();
    row.cells.assign(columns_.size(), Cell{});  // a row removed meanwhile reads as empty
    sqlite3_bind_int64(s, 1, row.rowid);
    int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        for (size_t i = 0; i < row.cells.size(); ++i) row.cells[i] = ColumnCell(s, static_cast<int>(i));
        rc = sqlite3_step(s);
    }
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) ThrowEngineFailure(db_, rc, path_);
}

}  // namespace qel::db
