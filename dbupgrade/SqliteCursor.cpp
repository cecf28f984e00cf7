#include "dbupgrade/SqliteCursor.h"

#include <cstring>

#include "dbupgrade/EmptyTextRule.h"
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

// Reads a column into a cell, reusing the cell's room for text: a forward-only query
// reads every row into the same cells.
void ReadCell(sqlite3_stmt* s, int i, Cell& into) {
    if (sqlite3_column_type(s, i) == SQLITE_TEXT) {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
        const size_t n = static_cast<size_t>(sqlite3_column_bytes(s, i));
        if (auto* text = std::get_if<std::string>(&into)) text->assign(p ? p : "", n);
        else into = std::string(p ? p : "", n);
        return;
    }
    into = ColumnCell(s, i);
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

SqliteCursor::SqliteCursor(sqlite3* db, std::string path, const std::string& sql, bool forwardOnly)
    : db_(db), path_(std::move(path)), sql_(sql), forwardOnly_(forwardOnly) {
    std::string utf8 = text::ToUtf8(sql);
    const char* tail = nullptr;
    query_ = Prepare(db_, utf8.c_str(), static_cast<int>(utf8.size()), path_, &tail);
    if (!query_) throw Failure(msg::StatementRefused("the query has no text"));
    for (; tail && *tail; ++tail) {
        if (!std::strchr(" \t\r\n;", *tail))
            throw Failure(msg::StatementRefused("a query opens one statement only"));
    }
    sqlite3_stmt* s = query_.get();
    const int count = sqlite3_column_count(s);
    if (count == 0) throw Failure(msg::StatementRefused("the query text returns no rows"));

    columns_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const char* name = sqlite3_column_name(s, i);
        const char* declared = sqlite3_column_decltype(s, i);
        columns_.push_back({text::FromUtf8(name ? name : ""), ColumnTypeFromDeclared(declared ? declared : ""),
                            HasNumericAffinity(declared)});
    }
    if (forwardOnly_) {
        current_.resize(columns_.size());
        eof_ = !Step();
    } else {
        ReadAll();
    }
}

SqliteCursor::~SqliteCursor() = default;

bool SqliteCursor::Step() {
    sqlite3_stmt* s = query_.get();
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        for (size_t i = 0; i < current_.size(); ++i) ReadCell(s, static_cast<int>(i), current_[i]);
        any_ = true;
        return true;
    }
    // At the end of rows, or on a failure, the statement lets go of the engine's read lock;
    // the last row read stays the current one.
    struct Reset {
        sqlite3_stmt* s;
        ~Reset() { sqlite3_reset(s); }
    } reset{s};
    if (rc != SQLITE_DONE) {
        eof_ = true;
        ThrowEngineFailure(db_, rc, path_);
    }
    return false;
}

void SqliteCursor::ReadAll() {
    sqlite3_stmt* s = query_.get();
    rows_.clear();
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        Row row(columns_.size());
        for (size_t i = 0; i < row.size(); ++i) row[i] = ColumnCell(s, static_cast<int>(i));
        rows_.push_back(std::move(row));
    }
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) ThrowEngineFailure(db_, rc, path_);
    position_ = 0;
    addedCount_ = 0;
    eof_ = rows_.empty();
}

int SqliteCursor::FieldCount() const { return static_cast<int>(columns_.size()); }

const std::string& SqliteCursor::FieldName(int index) const { return columns_[static_cast<size_t>(index)].name; }

void SqliteCursor::First() {
    const bool again = moved_;
    moved_ = false;
    onPosted_ = false;
    if (forwardOnly_) {
        if (!again) return;  // already on its first row: nothing is read twice
        sqlite3_reset(query_.get());
        any_ = false;
        eof_ = !Step();
    } else if (added_) {
        ReadAll();  // the rows it added are in the table, not in the query
        added_ = false;
    } else {
        position_ = 0;
        eof_ = rows_.empty();
    }
}

void SqliteCursor::Next() {
    if (eof_) return;
    moved_ = true;
    if (onPosted_) eof_ = true;  // the row it added is its last; it stays on it
    else if (forwardOnly_) eof_ = !Step();
    else if (position_ + 1 < rows_.size()) ++position_;
    else eof_ = true;  // stays on the last row
}

bool SqliteCursor::Eof() const { return eof_ && !appending_; }

// The rows were all read at the open, and the rows added since are counted as they are
// posted. A forward-only query reads its rows as it goes: only a second read of the table
// could say how many it has.
long SqliteCursor::RowCount() const {
    return forwardOnly_ ? -1 : static_cast<long>(rows_.size()) + addedCount_;
}

const Cell& SqliteCursor::CurrentCell(int index) const {
    static const Cell kEmpty;
    const size_t i = static_cast<size_t>(index);
    if (appending_) return buffer_[i];
    if (onPosted_) {
        if (!postedRead_) ReadBackPosted();
        return posted_[i];
    }
    if (forwardOnly_) return any_ ? current_[i] : kEmpty;
    return rows_.empty() ? kEmpty : rows_[position_][i];
}

Value SqliteCursor::AsValue(int index) const {
    return CellToText(CurrentCell(index), columns_[static_cast<size_t>(index)]);
}

bool SqliteCursor::Binary(int index) const {
    return columns_[static_cast<size_t>(index)].type.kind == ColumnKind::Binary;
}

// What a value assigned to the column meets: the table's own declaration once rows are
// being added.
ColumnType SqliteCursor::Type(int index) const {
    const size_t i = static_cast<size_t>(index);
    return writer_ ? writer_->forms[i].type : columns_[i].type;
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
    std::vector<bool> required;
    int rc;
    while ((rc = sqlite3_step(info.get())) == SQLITE_ROW) {
        auto text = [&](int i) {
            const unsigned char* p = sqlite3_column_text(info.get(), i);
            return std::string(p ? reinterpret_cast<const char*>(p) : "");
        };
        w->tableNames.push_back(text(1));
        declared.push_back(text(2));
        keyOrder.push_back(sqlite3_column_int(info.get(), 5));
        required.push_back(sqlite3_column_int(info.get(), 3) != 0);
    }
    if (rc != SQLITE_DONE) ThrowEngineFailure(db_, rc, path_);
    if (w->tableNames.empty()) throw Failure(msg::TableMissing(*table));

    // A single INTEGER key with AUTOINCREMENT is numbered by the engine itself.
    int engineNumbered = -1;
    std::vector<std::string> notEmpty;
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
            if (p) notEmpty = ColumnsRefusingEmptyText(reinterpret_cast<const char*>(p));
        }
    }

    std::vector<std::string> upperTable;
    for (const std::string& n : w->tableNames) upperTable.push_back(Upper1252(n));
    for (std::string& n : notEmpty) n = Upper1252(n);
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
            form.required = required[static_cast<size_t>(found)];
            for (const std::string& n : notEmpty)
                if (n == upperTable[static_cast<size_t>(found)]) form.emptyTextAllowed = false;
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

    // The query stands on the row it added and keeps no copy of the row, except for a
    // table without row numbers, whose row keeps the values as they were assigned.
    onPosted_ = true;
    moved_ = added_ = true;
    ++addedCount_;
    eof_ = false;
    postedRowid_ = sqlite3_last_insert_rowid(db_);
    postedRead_ = writer_->readBack == nullptr;
    if (postedRead_) posted_ = std::move(buffer_);
    appending_ = false;
    buffer_.clear();
    assigned_.clear();
}

void SqliteCursor::Cancel() {
    appending_ = false;
    buffer_.clear();
    assigned_.clear();
}

void SqliteCursor::ReadBackPosted() const {
    postedRead_ = true;
    sqlite3_stmt* s = writer_->readBack.get();
    posted_.assign(columns_.size(), Cell{});  // a row removed meanwhile reads as empty
    sqlite3_bind_int64(s, 1, postedRowid_);
    int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        for (size_t i = 0; i < posted_.size(); ++i) posted_[i] = ColumnCell(s, static_cast<int>(i));
        rc = sqlite3_step(s);
    }
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) ThrowEngineFailure(db_, rc, path_);
}

}  // namespace qel::db
