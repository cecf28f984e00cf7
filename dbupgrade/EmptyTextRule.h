#pragma once
// Which text columns of a table refuse an empty text, as the embedded engine reads it from
// the table's definition. Jet keeps this as a column's AllowZeroLength property; its SQL
// has no words for it, and a column that Jet's own CREATE TABLE made takes empty texts.
// The embedded engine's tables say it with a CHECK constraint that the engine itself
// enforces too.
#include <string>
#include <string_view>
#include <vector>

namespace qel::db {

// The columns (as the definition names them, unquoted) that a CHECK constraint of a
// column or of the table keeps from being empty, its whole condition being one of
// `<column> <> ''`, `<column> != ''`, `'' <> <column>` or `length(<column>) > 0`, blanks
// and case aside. Other conditions are the engine's own business and name no column.
std::vector<std::string> ColumnsRefusingEmptyText(std::string_view createTable);

}  // namespace qel::db
