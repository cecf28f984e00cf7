#include "dbupgrade/Database.h"

#include <algorithm>

#include "dbupgrade/AdoEngine.h"
#include "dbupgrade/AdoObject.h"
#include "dbupgrade/DataSource.h"
#include "dbupgrade/EngineChoice.h"
#include "dbupgrade/Engine.h"
#include "dbupgrade/Messages.h"
#include "dbupgrade/SqliteConnection.h"
#include "platform/Failure.h"
#include "platform/Text.h"

namespace qel::db {

InexactValue::InexactValue(const std::string& field, const std::string& detail)
    : ValueFailure(msg::Inexact(field, detail), field, detail) {}

RefusedValue::RefusedValue(const std::string& field, const std::string& detail)
    : ValueFailure(msg::Refused(field, detail), field, detail) {}

struct Connection::State {
    ComPtr<IUnknown> ado;
    bool loginPrompt = true;
    ShareMode mode = ShareMode::Default;
    CommitMode commits = CommitMode::Durable;
    std::wstring connectionString;
    std::unique_ptr<ConnectionEngine> engine;
    std::vector<Query*> queries;  // queries made on this connection and not yet released
};

Connection::Connection() : state_(std::make_unique<State>()) { state_->ado = CreateAdoConnectionObject(); }

Connection::~Connection() {
    for (Query* q : state_->queries) q->Detach();
    state_->engine.reset();
}

// The login prompt is recorded only: no dialog is ever shown, every caller switches it off.
void Connection::SetLoginPrompt(bool prompt) { state_->loginPrompt = prompt; }
bool Connection::LoginPrompt() const { return state_->loginPrompt; }
// Takes effect at the next Connect.
void Connection::SetShareMode(ShareMode mode) { state_->mode = mode; }
ShareMode Connection::Mode() const { return state_->mode; }
void Connection::SetCommitMode(CommitMode mode) { state_->commits = mode; }
CommitMode Connection::Commits() const { return state_->commits; }
void Connection::SetConnectionString(const std::wstring& text) { state_->connectionString = text; }
const std::wstring& Connection::ConnectionString() const { return state_->connectionString; }
IUnknown* Connection::AdoObject() const { return state_->ado.get(); }

void Connection::Connect() {
    if (state_->engine) return;
    std::wstring dataSource = DataSourceOf(state_->connectionString);
    if (!dataSource.empty() && ChooseEngine(dataSource) == EngineKind::Embedded)
        state_->engine = ConnectEmbedded(dataSource, state_->mode, state_->commits);
    else
        state_->engine = ConnectAdo(state_->ado.get(), state_->connectionString, state_->mode);
}

void Connection::Disconnect() {
    if (!state_->engine) return;
    for (Query* q : state_->queries) q->Close();
    // The connection counts as closed even when closing reports a failure.
    std::unique_ptr<ConnectionEngine> engine = std::move(state_->engine);
    engine->Close();
}

bool Connection::Connected() const { return state_->engine != nullptr; }

void Connection::Execute(const std::string& statement) {
    Connect();
    state_->engine->Execute(statement);
}

Query::Query(Connection& connection) : connection_(&connection) { connection.state_->queries.push_back(this); }

Query::~Query() {
    Close();
    if (connection_) {
        auto& list = connection_->state_->queries;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void Query::Detach() {
    Close();
    connection_ = nullptr;
}

const CursorEngine& Query::Cursor() const {
    if (!cursor_) throw Failure(connection_ ? msg::kClosedQuery : msg::kConnectionReleased);
    return *cursor_;
}

CursorEngine& Query::Cursor() {
    if (!cursor_) throw Failure(connection_ ? msg::kClosedQuery : msg::kConnectionReleased);
    return *cursor_;
}

void Query::SetSql(const std::string& text) {
    Close();
    sql_ = text;
}

const std::string& Query::Sql() const { return sql_; }

void Query::Open() {
    if (cursor_) return;
    if (!connection_) throw Failure(msg::kConnectionReleased);
    connection_->Connect();
    std::unique_ptr<CursorEngine> cursor = connection_->state_->engine->OpenCursor(sql_, forwardOnly_);
    std::vector<ColumnName> names;
    names.reserve(static_cast<size_t>(cursor->FieldCount()));
    for (int i = 0; i < cursor->FieldCount(); ++i) {
        ColumnName column{cursor->FieldName(i), text::Upper(cursor->FieldName(i)), i};
        for (const ColumnName& before : names)
            if (before.upper == column.upper) { column.first = before.first; break; }
        names.push_back(std::move(column));
    }
    names_ = std::move(names);
    lastFound_ = -1;
    step_ = 1;
    openedForwardOnly_ = forwardOnly_;
    cursor_ = std::move(cursor);
}

void Query::Close() {
    if (!cursor_) return;
    if (cursor_->Appending()) cursor_->Cancel();
    cursor_.reset();
    names_.clear();
}

bool Query::Active() const { return cursor_ != nullptr; }

void Query::First() {
    CursorEngine& c = Cursor();
    if (c.Appending()) c.Post();
    c.First();
}

void Query::Next() {
    CursorEngine& c = Cursor();
    if (c.Appending()) c.Post();
    c.Next();
}

bool Query::Eof() const { return Cursor().Eof(); }

long Query::RecordCount() const { return Cursor().RowCount(); }

int Query::FieldCount() const { return Cursor().FieldCount(); }

std::string Query::FieldName(int index) const {
    Cursor();
    if (index < 0 || index >= static_cast<int>(names_.size()))
        throw Failure("List index out of bounds (" + std::to_string(index) + ")");
    return names_[static_cast<size_t>(index)].exact;
}

int Query::FieldIndex(const std::string& name) const {
    Cursor();
    // Callers mostly name a column as the query does and go through a row's columns in
    // turn (the carry-over does both for every value it moves, in the source's order on
    // both queries): plain text is compared first, starting with the column one step
    // on from the last one found. Case folding is a platform call.
    const int n = static_cast<int>(names_.size());
    int found = -1;
    if (n > 0) {
        const int guess = ((lastFound_ + step_) % n + n) % n;
        if (names_[static_cast<size_t>(guess)].exact == name) found = guess;
    }
    for (int i = 0; found < 0 && i < n; ++i)
        if (names_[static_cast<size_t>(i)].exact == name) found = i;
    if (found >= 0) {
        step_ = found - lastFound_;
        lastFound_ = found;
        return names_[static_cast<size_t>(found)].first;
    }
    const std::string upper = text::Upper(name);
    for (const ColumnName& column : names_)
        if (column.upper == upper) return column.first;
    throw Failure(msg::FieldNotFound(name));
}

// The program's 8-bit text is the UTF-8 of the value path converted; bytes stay bytes.
std::string Query::AsString(const std::string& field) const {
    const int index = FieldIndex(field);
    const CursorEngine& c = Cursor();
    Value value = c.AsValue(index);
    if (!value) return {};
    return c.Binary(index) ? std::move(*value) : text::FromUtf8(*value);
}

Value Query::AsValue(const std::string& field) const { return Cursor().AsValue(FieldIndex(field)); }

DateTime Query::AsDateTime(const std::string& field) const { return Cursor().AsDateTime(FieldIndex(field)); }

void Query::Append() {
    CursorEngine& c = Cursor();
    if (openedForwardOnly_) throw Failure(msg::kReadOnlyQuery);
    if (c.Appending()) c.Post();
    c.Append();
}

ColumnType Query::FieldType(const std::string& field) const { return Cursor().Type(FieldIndex(field)); }

void Query::SetString(const std::string& field, const std::string& value) {
    int index = FieldIndex(field);
    CursorEngine& c = Cursor();
    if (!c.Appending()) throw Failure(msg::kNotAppending);
    if (value.empty()) c.SetValue(index, c.Type(index).kind == ColumnKind::Text ? Value(std::string()) : std::nullopt);
    else c.SetValue(index, c.Binary(index) ? value : text::ToUtf8(value));
}

void Query::SetValue(const std::string& field, const Value& value) {
    int index = FieldIndex(field);
    CursorEngine& c = Cursor();
    if (!c.Appending()) throw Failure(msg::kNotAppending);
    c.SetValue(index, value);
}

void Query::Post() {
    CursorEngine& c = Cursor();
    if (c.Appending()) c.Post();
}

void Query::Cancel() {
    CursorEngine& c = Cursor();
    if (c.Appending()) c.Cancel();
}

bool Query::Appending() const { return cursor_ && cursor_->Appending(); }

}  // namespace qel::db
