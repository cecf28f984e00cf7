#pragma once
// What a fake recordset fetches from its table and keeps, by the cursor it is opened with,
// as ADO documents the two cursors the ADO engine uses:
// - the client-side cursor (adUseClient, static): every row of the table fetched at
//   opening and kept, and every row added through it kept too;
// - the server-side cursor, forward-only and read-only (adUseServer, adOpenForwardOnly,
//   adLockReadOnly): one row fetched at a time as it moves (its cache of one row), none
//   kept; it cannot add rows, and moving to the first row again runs the query anew. Its
//   columns are read as the strictest access order a provider may set: each once, in
//   their order (DBPROP_ACCESSORDER sequential).
// Every other cursor is refused, so that a change of cursor shows. The world counts the
// rows the open recordsets hold.
#include <windows.h>
#include <oleauto.h>
#include <adoint.h>

#include <optional>
#include <vector>

#include "tests/integration/FakeAdo.h"

namespace qel::test::ado {

// A table's rows, held or made on demand.
size_t RowCount(const Table& table);
std::vector<Var> RowAt(const Table& table, size_t index);
// The table takes the row, or only counts it.
void AddRow(Table& table, std::vector<Var> row);

class CursorRows {
public:
    explicit CursorRows(World& world) : world_(world) {}
    ~CursorRows() { Close(); }
    CursorRows(const CursorRows&) = delete;
    CursorRows& operator=(const CursorRows&) = delete;

    // False for a cursor the engine does not use. Without rows: the query asked for none
    // of the table's rows (WHERE 1 = 0).
    bool Open(Table& table, CursorLocationEnum location, CursorTypeEnum type, LockTypeEnum lock, bool withoutRows);
    void Close();

    bool Bof() const;
    bool Eof() const;
    // False when there is no row to move to (ADO's failure).
    bool MoveFirst();
    bool MoveNext();
    // The current row, or nothing before the first and after the last.
    const std::vector<Var>* Current() const;
    // Whether the query's column (by its position) may be read now; counts it as read.
    bool MayRead(size_t column);
    bool CanAdd() const { return client_; }
    // ADO's RecordCount: the rows a client-side cursor holds; -1 for a forward-only cursor,
    // which cannot tell ("RecordCount Property").
    long Count() const { return client_ ? static_cast<long>(kept_.size()) : -1; }
    // A row the table took through this recordset: it is kept and becomes the current one.
    void Added(const std::vector<Var>& row);

private:
    void Hold(long long rows);
    void Fetch();  // server-side: the row at at_ into the cache

    World& world_;
    Table* table_ = nullptr;
    bool client_ = false;
    bool withoutRows_ = false;
    std::vector<std::vector<Var>> kept_;  // client-side
    std::optional<std::vector<Var>> fetched_;  // server-side: the cache of one row
    size_t at_ = 0;
    size_t readUpTo_ = 0;  // server-side: the columns of the current row read so far
    long long held_ = 0;
};

}  // namespace qel::test::ado
