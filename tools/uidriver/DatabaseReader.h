#pragma once
// Reading the installed databases back, independently of the wizard's own engine.
#include <string>
#include <vector>

namespace qel::uidriver {

// Every row of a query, each value as SQLite gives its text ("<null>" for NULL).
std::vector<std::vector<std::string>> Rows(const std::string& database, const std::string& sql);
// The first value of the first row ("" when there is none).
std::string Scalar(const std::string& database, const std::string& sql);
long long CountRows(const std::string& database, const std::string& table);
// Runs statements against a database file (preparing a scenario).
void Exec(const std::string& database, const std::string& sql);

}  // namespace qel::uidriver
