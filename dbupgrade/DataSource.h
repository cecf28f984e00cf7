#pragma once
// The database file a connection text names.
#include <string>

namespace qel::db {

// The value of the connection text's "Data Source" item: the text after "Data Source="
// up to the next ";" (item name without regard to case or blanks around it; a value in
// double or single quotes may hold ";" and a doubled quote). Empty when there is none.
std::wstring DataSourceOf(const std::wstring& connectionText);

}  // namespace qel::db
