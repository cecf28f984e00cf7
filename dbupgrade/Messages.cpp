#include "dbupgrade/Messages.h"

namespace qel::db::msg {

namespace {
std::string Quoted(const std::string& s) { return "'" + s + "'"; }
std::string NotValid(const std::string& value, const char* what, const std::string& field) {
    return Quoted(value) + " is not a valid " + what + " value for field " + Quoted(field);
}
}  // namespace

std::string FieldNotFound(const std::string& field) { return "Field " + Quoted(field) + " not found"; }
std::string FieldReadOnly(const std::string& field) {
    return "Field " + Quoted(field) + " cannot be modified";
}
std::string InvalidInteger(const std::string& value, const std::string& field) {
    return NotValid(value, "integer", field);
}
std::string InvalidNumber(const std::string& value, const std::string& field) {
    return NotValid(value, "floating point", field);
}
std::string InvalidDateTime(const std::string& value, const std::string& field) {
    return NotValid(value, "date and time", field);
}
std::string InvalidYesNo(const std::string& value, const std::string& field) {
    return NotValid(value, "boolean", field);
}
std::string InvalidBinary(const std::string& value, const std::string& field) {
    return NotValid(value, "binary", field);
}
std::string Inexact(const std::string& field, const std::string& detail) {
    return "The value of field " + Quoted(field) + " cannot be carried without change: " + detail + ".";
}
std::string NotCarried(const std::string& table, long row, const std::string& field, const std::string& detail) {
    return "The value of field " + Quoted(field) + " in row " + std::to_string(row) + " of table " + Quoted(table) +
           " cannot be carried without change: " + detail + ".";
}

std::string Refused(const std::string& field, const std::string& detail) {
    return "Field " + Quoted(field) + " does not take the value: " + detail + ".";
}
std::string NotAccepted(const std::string& table, long row, const std::string& field, const std::string& detail) {
    return "The value of field " + Quoted(field) + " in row " + std::to_string(row) + " of table " + Quoted(table) +
           " cannot be carried: " + detail + ".";
}
std::string RowNotCarried(const std::string& table, long row, const std::string& reason) {
    return "Row " + std::to_string(row) + " of table " + Quoted(table) + " cannot be carried: " + reason;
}

std::string DatabaseInUse(const std::string& path) {
    return "The database " + Quoted(path) + " is already in use and cannot be opened in the requested mode.";
}
std::string DatabaseLocked(const std::string& path) {
    return "The database " + Quoted(path) + " is locked by another user; try again later.";
}
std::string NotADatabase(const std::string& path) {
    return "The file " + Quoted(path) + " is not a database or is damaged.";
}
std::string CannotOpen(const std::string& path) {
    return "The database " + Quoted(path) + " could not be opened: the file is missing or cannot be reached.";
}
std::string ReadOnlyDatabase(const std::string& path) {
    return "The database " + Quoted(path) + " is read-only and cannot be changed.";
}
std::string DiskError(const std::string& path) {
    return "The database " + Quoted(path) + " could not be read or written (disk error).";
}
std::string DiskFull(const std::string& path) {
    return "The database " + Quoted(path) + " cannot grow: the disk is full.";
}
std::string TableMissing(const std::string& table) {
    return "The table " + Quoted(table) + " does not exist in the database.";
}
std::string ColumnMissing(const std::string& column) {
    return "The column " + Quoted(column) + " does not exist in the database.";
}
std::string RowRefused(const std::string& reason) { return "The database refused the row: " + reason + "."; }
std::string StatementRefused(const std::string& reason) {
    return "The database refused the statement: " + reason + ".";
}
std::string NotUpdatable(const std::string& sql) {
    return "Rows cannot be added through the query " + Quoted(sql) +
           ": only a query that reads a single table can add rows.";
}

}  // namespace qel::db::msg
