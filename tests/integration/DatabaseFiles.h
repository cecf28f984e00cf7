#pragma once
// Database files for the tests, made and inspected with the embedded engine's own C
// interface, past the code under test: tables are declared with Jet type names, stored
// values are read back raw.
#include <string>
#include <vector>

namespace qel::test {

// Creates a database file (Windows-1252 path) and runs the statements (Windows-1252
// text) in it.
void CreateDatabase(const std::string& path, const std::vector<std::string>& statements);
// Runs statements in an existing database file.
void RunStatements(const std::string& path, const std::vector<std::string>& statements);

// The first column of every row of a query, raw: "null", "integer:5", "real:1.5",
// "text:abc" (Windows-1252) or "blob:..." as stored.
std::vector<std::string> StoredValues(const std::string& path, const std::string& sql);
std::string StoredValue(const std::string& path, const std::string& sql);

// The connection text the wizard uses for a database file.
std::wstring FullText(const std::string& path);

}  // namespace qel::test
