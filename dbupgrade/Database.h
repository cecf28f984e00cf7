#pragma once
// The database engine interface: every database operation of the wizard goes through a
// Connection and the Queries made on it. Behind it, per database file, either ADO (what a
// Windows machine uses for a Jet database) or the embedded engine (for files in the
// embedded format). Every failure is a qel::Failure carrying a message text.
#include <memory>
#include <string>

namespace qel::db {

// How a connection shares its file with other openers.
enum class ShareMode {
    Default,    // none set: the engine's default sharing
    Exclusive,  // refused while anyone else has the file open; keeps everyone out while held
    DenyNone,   // others may read and write alongside
};

// A date and time to the second. The zero value is 30 December 1899 00:00:00, what an
// empty date-time reads as.
struct DateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
    auto operator<=>(const DateTime&) const = default;
};

class ConnectionEngine;
class CursorEngine;

class Connection {
public:
    // Creates the ADO connection object. Without the ADO run-time this fails with
    // "Error creating object.  Please verify that the Microsoft Data Access Components
    // 2.1 (or later) have been properly installed".
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void SetLoginPrompt(bool prompt);
    bool LoginPrompt() const;
    void SetShareMode(ShareMode mode);
    ShareMode Mode() const;
    void SetConnectionString(const std::wstring& text);
    const std::wstring& ConnectionString() const;

    // Opens the database named by the connection text's "Data Source=" item. A missing
    // file is never created.
    void Connect();
    void Disconnect();
    bool Connected() const;
    // Runs a statement that returns no rows, connecting first when not connected.
    void Execute(const std::string& statement);

private:
    friend class Query;
    struct State;
    std::unique_ptr<State> state_;
};

// A row-returning query on a connection. Released before its connection.
class Query {
public:
    explicit Query(Connection& connection);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // Replaces the query's text; the query must be closed.
    void SetSql(const std::string& text);
    const std::string& Sql() const;

    // Opens the query; it then stands on its first row (or at the end when there is none).
    void Open();
    void Close();
    bool Active() const;
    void First();
    void Next();
    // Whether the query has passed its last row.
    bool Eof() const;

    // The columns, in the query's order.
    int FieldCount() const;
    std::string FieldName(int index) const;
    // The column of that name, ignoring case; "Field '%s' not found" when there is none.
    int FieldIndex(const std::string& name) const;

    // Reads a column of the current row: as text (an empty value gives "") or as a
    // date-time (an empty value gives the zero date-time).
    std::string AsString(const std::string& field) const;
    DateTime AsDateTime(const std::string& field) const;

    // Starts a new row; SetString assigns its columns from text; Post writes it at once.
    void Append();
    void SetString(const std::string& field, const std::string& value);
    void Post();

private:
    Connection& connection_;
    std::string sql_;
    std::unique_ptr<CursorEngine> cursor_;
};

}  // namespace qel::db
