#pragma once
// The two connection texts of the wizard for a database file (8-bit path).
#include <string>

namespace qel::db {

// Used by the data-access probe.
inline std::string ShortConnectionText(const std::string& databasePath) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + databasePath +
           ";Persist Security Info=False";
}

// Used by every operation on the installed or the new database (empty password).
inline std::string FullConnectionText(const std::string& databasePath) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=" + databasePath +
           ";Jet OLEDB:Database Password=\"\";Persist Security Info=False";
}

}  // namespace qel::db
