#pragma once
// The fixed texts of the data-access layer and the embedded engine's own messages. A
// connection or query has no name, so no message carries a component-name prefix.
#include <string>

namespace qel::db::msg {

// Texts of the data-access layer.
std::string FieldNotFound(const std::string& field);
std::string FieldReadOnly(const std::string& field);
std::string InvalidInteger(const std::string& value, const std::string& field);
std::string InvalidNumber(const std::string& value, const std::string& field);
std::string InvalidDateTime(const std::string& value, const std::string& field);
std::string InvalidYesNo(const std::string& value, const std::string& field);
std::string InvalidBinary(const std::string& value, const std::string& field);
// A value that cannot be carried without change (InexactValue), on its own and as the
// carry-over reports it.
std::string Inexact(const std::string& field, const std::string& detail);
std::string NotCarried(const std::string& table, long row, const std::string& field, const std::string& detail);
// A value the column's rules refuse (RefusedValue), on its own and as the carry-over
// reports it; a row the new database refused when it was posted, with where it came from.
std::string Refused(const std::string& field, const std::string& detail);
std::string NotAccepted(const std::string& table, long row, const std::string& field, const std::string& detail);
std::string RowNotCarried(const std::string& table, long row, const std::string& reason);
inline constexpr const char* kClosedQuery = "Cannot perform this operation on a closed dataset";
inline constexpr const char* kNotAppending = "Dataset not in edit or insert mode";
inline constexpr const char* kReadOnlyQuery = "Cannot modify a read-only dataset";
inline constexpr const char* kConnectionReleased =
    "Cannot perform this operation: the query's connection has been released";

// The engines' own messages about a database file (path as given in the connection text).
std::string DatabaseInUse(const std::string& path);
std::string DatabaseLocked(const std::string& path);
std::string NotADatabase(const std::string& path);
std::string CannotOpen(const std::string& path);
std::string ReadOnlyDatabase(const std::string& path);
std::string DiskError(const std::string& path);
std::string DiskFull(const std::string& path);
std::string TableMissing(const std::string& table);
std::string ColumnMissing(const std::string& column);
std::string RowRefused(const std::string& reason);
std::string StatementRefused(const std::string& reason);
std::string NotUpdatable(const std::string& sql);

}  // namespace qel::db::msg
