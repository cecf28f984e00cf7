#pragma once
// The database engine interface: every database operation of the wizard goes through a
// Connection and the Queries made on it. Behind it, per database file, either ADO (what a
// Windows machine uses for a Jet database) or the embedded engine (for files in the
// embedded format). Every failure is a qel::Failure carrying a message text.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dbupgrade/JetColumnKind.h"

#include "platform/Failure.h"

struct IUnknown;

namespace qel::db {

// How a connection shares its file with other openers.
enum class ShareMode {
    Default,    // none set: the engine's default sharing
    Exclusive,  // refused while anyone else has the file open; keeps everyone out while held
    DenyNone,   // others may read and write alongside
};

// How a connection's commits reach the disk. Either way every posted row or executed
// statement is in the file when the call returns.
enum class CommitMode {
    // Each commit is on the disk before it returns and survives a crash; every other
    // connection and program sees it at once.
    Durable,
    // For a scratch copy that nobody else works on and that is flushed as a whole before
    // anyone relies on it (the new database in the staging folder until it is copied
    // into place): commits are not flushed one by one and keep no journal on the disk,
    // so a crash of the machine or of the program in the middle of one may damage the
    // file; the embedded engine keeps other connections out until this one closes.
    Scratch,
};

// A date and time to the second. The zero value is 30 December 1899 00:00:00, what an
// empty date-time reads as.
struct DateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
    auto operator<=>(const DateTime&) const = default;
};

// A value as it is carried from one database to another, exactly: nothing for an empty
// (null) value; otherwise its text form in UTF-8 (every character kept, date-times with
// their fraction of a second) or, for a binary column, its bytes as they are.
using Value = std::optional<std::string>;

// A value of one column that cannot be carried, and why.
class ValueFailure : public Failure {
public:
    const std::string& Field() const { return field_; }
    const std::string& Detail() const { return detail_; }

protected:
    ValueFailure(const std::string& message, const std::string& field, const std::string& detail)
        : Failure(message), field_(field), detail_(detail) {}

private:
    std::string field_, detail_;
};

// A value that cannot be read or assigned without changing it: a date-time that no text
// form reads back as, a number that is not one, bytes that are no text for a text column,
// more digits than the column holds. Never raised for what the column's own rules change
// on purpose (a text cut to the column's size).
class InexactValue : public ValueFailure {
public:
    InexactValue(const std::string& field, const std::string& detail);
};

// A value the column does not take as it is: nothing where the column requires a value,
// an empty text where it allows none.
class RefusedValue : public ValueFailure {
public:
    RefusedValue(const std::string& field, const std::string& detail);
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
    // Takes effect at the next Connect. ADO leaves commits to the provider either way.
    void SetCommitMode(CommitMode mode);
    CommitMode Commits() const;
    void SetConnectionString(const std::wstring& text);
    const std::wstring& ConnectionString() const;

    // Opens the database. A file that begins with the embedded engine's signature is
    // opened by the embedded engine (the file named by the connection text's "Data
    // Source=" item); every other one goes to ADO with the connection text as given. A
    // missing file is never created. Connecting a connected connection does nothing.
    void Connect();
    // Closes the connection's open queries, then the connection.
    void Disconnect();
    bool Connected() const;
    // Runs a statement that returns no rows, connecting first when not connected.
    void Execute(const std::string& statement);

    // The ADO connection object made at creation (what a Windows machine opens Jet
    // databases with).
    IUnknown* AdoObject() const;

private:
    friend class Query;
    struct State;
    std::unique_ptr<State> state_;
};

// A row-returning query on a connection, meant to be released before it. When the
// connection is released first, the query is closed and every later use of it fails.
class Query {
public:
    explicit Query(Connection& connection);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // Replaces the query's text; an open query is closed first.
    void SetSql(const std::string& text);
    const std::string& Sql() const;

    // Takes effect at the next Open. A forward-only query only reads, once through, and
    // holds one row at a time, however large the table: it cannot add rows ("Cannot
    // modify a read-only dataset"), and First after it moved reads the rows anew. Any
    // other query holds its rows from its opening, and can add rows.
    void SetForwardOnly(bool forwardOnly) { forwardOnly_ = forwardOnly; }

    // Opens the query, connecting its connection when needed; it then stands on its first
    // row (or at the end when there is none). The rows are those of the moment of opening,
    // and any the query adds; First after the query added rows reads them anew.
    void Open();
    // Closes the query; a row appended and not posted is dropped.
    void Close();
    bool Active() const;
    // Moving (First, Next) while a row is being appended posts that row first.
    void First();
    void Next();
    // How many rows the open query has, when the engine knows without reading them again;
    // -1 when it does not.
    long RecordCount() const;
    // Whether the query has passed its last row. After passing it the query still
    // stands on the last row; a query without rows reads every column as empty.
    bool Eof() const;

    // The columns, in the query's order.
    int FieldCount() const;
    std::string FieldName(int index) const;
    // The column of that name, ignoring case; "Field '%s' not found" when there is none.
    int FieldIndex(const std::string& name) const;
    // The kind of a column and, for text, the most characters it holds (of the table rows
    // are added to, once a row is being appended).
    ColumnType FieldType(const std::string& field) const;

    // Reads a column of the current row: as text (an empty value gives ""; characters
    // outside Windows-1252 read as "?"; a binary column gives its bytes) or as a
    // date-time (an empty value gives the zero date-time; a fraction of a second is
    // dropped).
    std::string AsString(const std::string& field) const;
    DateTime AsDateTime(const std::string& field) const;
    // The exact value, for carrying it into another database with SetValue. A value
    // without an exact form fails with InexactValue.
    Value AsValue(const std::string& field) const;

    // Starts a new row (posting one still being appended); SetString assigns its
    // columns from text (an empty text gives a text column an empty text and empties
    // every other kind); Post writes it at once, and the query then stands on it (its
    // next row is the end). The query keeps no rows it added. Post without an appended
    // row does nothing; Cancel drops the appended row.
    void Append();
    void SetString(const std::string& field, const std::string& value);
    // Assigns an exact value: nothing empties the column, whatever its kind; an empty text
    // empties a number, date-time or yes/no column and is kept by a text, long text or
    // binary one. Otherwise as SetString, without any loss: a value the column cannot hold
    // exactly fails with InexactValue; a value the column's rules refuse, where the engine
    // knows them when assigning, with RefusedValue (the provider of ADO tells them when
    // the row is posted).
    void SetValue(const std::string& field, const Value& value);
    void Post();
    void Cancel();
    bool Appending() const;

private:
    friend class Connection;
    const CursorEngine& Cursor() const;
    CursorEngine& Cursor();
    // The connection goes away before the query: the query closes and keeps no link.
    void Detach();

    Connection* connection_;
    std::string sql_;
    std::unique_ptr<CursorEngine> cursor_;
    bool forwardOnly_ = false;
    bool openedForwardOnly_ = false;
    // The columns' names for lookups: as the query gives them, upper-cased, and the
    // first column of the same name in any case (the one a lookup finds).
    struct ColumnName {
        std::string exact;
        std::string upper;
        int first;
    };
    std::vector<ColumnName> names_;
    // The last column found by name and the step from the one found before it: the
    // next lookup tries that step again first.
    mutable int lastFound_ = -1;
    mutable int step_ = 1;
};

}  // namespace qel::db
