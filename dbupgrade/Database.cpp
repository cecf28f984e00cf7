#include "dbupgrade/Database.h"

#include "dbupgrade/AdoObject.h"
#include "platform/Failure.h"

namespace qel::db {

class CursorEngine {
public:
    virtual ~CursorEngine() = default;
};

struct Connection::State {
    ComPtr<IUnknown> ado;
    bool loginPrompt = true;
    ShareMode mode = ShareMode::Default;
    std::wstring connectionString;
    bool connected = false;
};

namespace {
[[noreturn]] void NotYet() { throw Failure("The database engines are not built yet"); }
}  // namespace

Connection::Connection() : state_(std::make_unique<State>()) { state_->ado = CreateAdoConnectionObject(); }
Connection::~Connection() = default;

void Connection::SetLoginPrompt(bool prompt) { state_->loginPrompt = prompt; }
bool Connection::LoginPrompt() const { return state_->loginPrompt; }
void Connection::SetShareMode(ShareMode mode) { state_->mode = mode; }
ShareMode Connection::Mode() const { return state_->mode; }
void Connection::SetConnectionString(const std::wstring& text) { state_->connectionString = text; }
const std::wstring& Connection::ConnectionString() const { return state_->connectionString; }
void Connection::Connect() { NotYet(); }
void Connection::Disconnect() { state_->connected = false; }
bool Connection::Connected() const { return state_->connected; }
void Connection::Execute(const std::string&) { NotYet(); }

Query::Query(Connection& connection) : connection_(connection) {}
Query::~Query() = default;
void Query::SetSql(const std::string& text) { sql_ = text; }
const std::string& Query::Sql() const { return sql_; }
void Query::Open() { NotYet(); }
void Query::Close() { cursor_.reset(); }
bool Query::Active() const { return cursor_ != nullptr; }
void Query::First() { NotYet(); }
void Query::Next() { NotYet(); }
bool Query::Eof() const { NotYet(); }
int Query::FieldCount() const { NotYet(); }
std::string Query::FieldName(int) const { NotYet(); }
int Query::FieldIndex(const std::string&) const { NotYet(); }
std::string Query::AsString(const std::string&) const { NotYet(); }
DateTime Query::AsDateTime(const std::string&) const { NotYet(); }
void Query::Append() { NotYet(); }
void Query::SetString(const std::string&, const std::string&) { NotYet(); }
void Query::Post() { NotYet(); }

}  // namespace qel::db
