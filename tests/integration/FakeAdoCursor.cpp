#include "tests/integration/FakeAdoCursor.h"

namespace qel::test::ado {

size_t RowCount(const Table& table) { return table.rows.size() + table.madeRows; }

std::vector<Var> RowAt(const Table& table, size_t index) {
    return index < table.rows.size() ? table.rows[index] : table.made(index - table.rows.size());
}

void AddRow(Table& table, std::vector<Var> row) {
    ++table.added;
    if (table.keepsAdded) table.rows.push_back(std::move(row));
}

bool CursorRows::Open(Table& table, CursorLocationEnum location, CursorTypeEnum type, LockTypeEnum lock,
                      bool withoutRows) {
    Close();
    // ADO gives the client-side cursor as static whatever type is asked for.
    const bool client = location == adUseClient && lock == adLockOptimistic;
    const bool serverForwardReadOnly = location == adUseServer && type == adOpenForwardOnly && lock == adLockReadOnly;
    if (!client && !serverForwardReadOnly) return false;
    table_ = &table;
    client_ = client;
    withoutRows_ = withoutRows;
    at_ = 0;
    if (client_) {
        if (!withoutRows_)
            for (size_t i = 0; i < RowCount(table); ++i) kept_.push_back(RowAt(table, i));
        Hold(static_cast<long long>(kept_.size()));
    } else {
        Fetch();
    }
    return true;
}

void CursorRows::Close() {
    kept_.clear();
    fetched_.reset();
    Hold(0);
    table_ = nullptr;
}

void CursorRows::Hold(long long rows) {
    world_.rowsHeld += rows - held_;
    held_ = rows;
    if (world_.rowsHeld > world_.mostRowsHeld) world_.mostRowsHeld = world_.rowsHeld;
}

void CursorRows::Fetch() {
    fetched_.reset();
    readUpTo_ = 0;
    if (!withoutRows_ && at_ < RowCount(*table_)) fetched_ = RowAt(*table_, at_);
    Hold(fetched_ ? 1 : 0);
}

bool CursorRows::Bof() const { return client_ ? kept_.empty() : at_ == 0 && !fetched_; }

bool CursorRows::Eof() const { return client_ ? at_ >= kept_.size() : !fetched_; }

bool CursorRows::MoveFirst() {
    if (Bof() && Eof()) return false;
    at_ = 0;
    if (!client_) Fetch();  // the query runs anew
    return true;
}

bool CursorRows::MoveNext() {
    if (Eof()) return false;
    ++at_;
    if (!client_) Fetch();
    return true;
}

const std::vector<Var>* CursorRows::Current() const {
    if (Eof()) return nullptr;
    return client_ ? &kept_[at_] : &*fetched_;
}

bool CursorRows::MayRead(size_t column) {
    if (client_) return true;
    if (column < readUpTo_) return false;
    readUpTo_ = column + 1;
    return true;
}

void CursorRows::Added(const std::vector<Var>& row) {
    kept_.push_back(row);
    at_ = kept_.size() - 1;
    Hold(static_cast<long long>(kept_.size()));
}

}  // namespace qel::test::ado
