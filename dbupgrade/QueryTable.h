#pragma once
// The one table a row-returning query reads, for adding rows through the query.
#include <optional>
#include <string>
#include <string_view>

namespace qel::db {

// The table of "SELECT ... FROM <table> [[AS] alias] [WHERE|ORDER BY|LIMIT ...]", with
// the name unquoted ("x", [x] or `x`). Nothing for a query that joins, groups, combines
// or reads no table, since such a query cannot add rows to one table.
std::optional<std::string> TableOfQuery(std::string_view sql);

// The same query with no rows (its text and a line "WHERE 1 = 0"), for a query that
// reads a single table and has nothing after the table; nothing for any other.
std::optional<std::string> QueryWithoutRows(std::string_view sql);

}  // namespace qel::db
