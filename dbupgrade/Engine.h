#pragma once
// What each database engine provides behind Connection and Query. The front (Database.cpp)
// keeps the settings, chooses the engine per file, checks the state of a query and looks
// columns up by name; an engine only works on positions.
#include <memory>
#include <string>

#include "dbupgrade/Database.h"

namespace qel::db {

// An open connection of one engine. Destroying it closes it without failing.
class ConnectionEngine {
public:
    virtual ~ConnectionEngine() = default;
    // Closes the connection, reporting a failure of the close.
    virtual void Close() = 0;
    virtual void Execute(const std::string& statement) = 0;
    // Runs a row-returning query; the cursor stands on its first row. A forward-only
    // cursor only reads, holding one row at a time.
    virtual std::unique_ptr<CursorEngine> OpenCursor(const std::string& sql, bool forwardOnly) = 0;
};

// The rows of an open query, and the row being appended to it.
class CursorEngine {
public:
    virtual ~CursorEngine() = default;
    virtual int FieldCount() const = 0;
    virtual const std::string& FieldName(int index) const = 0;

    virtual void First() = 0;
    virtual void Next() = 0;
    virtual bool Eof() const = 0;
    // The number of rows, when the engine knows it without reading them again; -1 when not.
    virtual long RowCount() const { return -1; }

    // Of the current row, or of the row being appended.
    virtual Value AsValue(int index) const = 0;
    virtual DateTime AsDateTime(int index) const = 0;
    // Whether the column holds bytes rather than text (its value is its bytes either way).
    virtual bool Binary(int index) const = 0;
    // The column's kind and text size, as values assigned to it are taken.
    virtual ColumnType Type(int index) const = 0;

    // Never called on a forward-only cursor.
    virtual void Append() = 0;
    virtual bool Appending() const = 0;
    virtual void SetValue(int index, const Value& value) = 0;
    // Writes the appended row at once; the cursor then stands on it.
    virtual void Post() = 0;
    // Drops the appended row.
    virtual void Cancel() = 0;
};

}  // namespace qel::db
