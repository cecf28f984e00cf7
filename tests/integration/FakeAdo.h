#pragma once
// A stand-in for ADO and the Jet provider: C++ objects behind ADO's own interfaces,
// registered for this process as ADODB.Connection and ADODB.Recordset, so the ADO engine
// runs unchanged against them. They keep their databases in memory, behave as ADO
// documents where the engine relies on it, and record the calls that matter.
#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/Variants.h"

namespace qel::test::ado {

using test::Var;

struct Column {
    std::wstring name;
    int type;  // ADO's DataTypeEnum
    long size = 0;
    bool autoNumber = false;
    // The rules the provider holds a written row to (tests/integration/FakeJetRules):
    // Jet's Required and AllowZeroLength (No unless set, as for a column made in code),
    // the default of an unassigned column, and a Decimal's precision and scale.
    bool required = false;
    bool allowZeroLength = false;
    Var defaultValue = Var();
    int precision = 0, scale = 0;
};
struct Table {
    std::vector<Column> columns;
    std::vector<std::vector<Var>> rows;
    // A table too large to hold: madeRows more rows after those above, each made from its
    // number when it is fetched; and rows added only counted, not kept.
    std::function<std::vector<Var>(size_t)> made{};
    size_t madeRows = 0;
    bool keepsAdded = true;
    size_t added = 0;
};
using Database = std::map<std::wstring, Table>;  // by table name

// The next call of that name ("Recordset.Update", "Field.put_Value", "Connection.Execute",
// and of any property collection "Properties.get_Item", "Property.get_Value",
// "Property.put_Value") fails so: with hr, its description in the thread's error object
// (when withInfo) and, for a provider error, in the connection's Errors collection in
// place of what it held.
struct Injected {
    std::string call;
    HRESULT hr;
    std::wstring description;
    bool withInfo = true;
    bool provider = false;
};

struct Owned {
    virtual ~Owned() = default;
};

struct World {
    std::map<std::wstring, Database> files;  // by data source
    std::vector<std::string> calls;          // in order, e.g. "Connection.put_Mode(12)"
    bool recordsCalls = true;                // off for runs too long to keep every call
    std::map<std::wstring, int> open;        // data sources held open, and by how many
    std::vector<Injected> failures;
    long live = 0;    // objects somebody holds a reference to
    long misuse = 0;  // releases past zero
    long long rowsHeld = 0, mostRowsHeld = 0;     // rows the open recordsets hold, now and at most
    std::vector<std::unique_ptr<Owned>> objects;  // every object made, until the world ends
};

// Registers the fake for this process while it lives; a fresh world each time.
class FakeAdo {
public:
    FakeAdo();
    ~FakeAdo();
    FakeAdo(const FakeAdo&) = delete;
    FakeAdo& operator=(const FakeAdo&) = delete;
    World world;

private:
    DWORD cookies_[2] = {};
};

}  // namespace qel::test::ado
