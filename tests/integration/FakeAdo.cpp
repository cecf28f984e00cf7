// The fake ADO objects. Only what the ADO engine calls does anything; every other slot of
// ADO's interfaces answers E_NOTIMPL. Messages are those of ADO and the Jet provider.
#include <windows.h>
#include <oleauto.h>
#include <adoint.h>

#include "tests/integration/FakeAdo.h"
#include "tests/integration/FakeJetRules.h"

#include <regex>

#include "dbupgrade/DataSource.h"
#include "platform/Handles.h"
#include "platform/Text.h"
#include "tests/integration/FakeAdoCursor.h"

namespace qel::test::ado {
namespace {

#define NOT_NEEDED(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }

World* world = nullptr;

IID AdoIid(unsigned long first) { return {first, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}}; }
std::string N(const std::wstring& w) { return text::Narrow(w); }
void Log(const std::string& call) {
    if (world->recordsCalls) world->calls.push_back(call);
}
bool Same(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }
BSTR Copy(const std::wstring& s) { return SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }

// IUnknown, IDispatch and ISupportErrorInfo of every object. The world owns the objects,
// so the references the engine holds are counted without anything being freed.
template <class I>
class Object : public I, public ISupportErrorInfo, public Owned {
public:
    explicit Object(std::vector<unsigned long> ids) : ids_(std::move(ids)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_ISupportErrorInfo) *out = static_cast<ISupportErrorInfo*>(this);
        else if (iid == IID_IUnknown || iid == IID_IDispatch) *out = static_cast<I*>(this);
        for (unsigned long id : ids_)
            if (iid == AdoIid(id)) *out = static_cast<I*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        if (refs_++ == 0) ++world->live;
        return refs_;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        if (refs_ == 0) return ++world->misuse, 0;
        if (--refs_ == 0) --world->live;
        return refs_;
    }
    // ADO's objects leave error information for their own interfaces only.
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
        for (unsigned long id : ids_)
            if (iid == AdoIid(id)) return S_OK;
        return S_FALSE;
    }
    NOT_NEEDED(GetTypeInfoCount, UINT*) NOT_NEEDED(GetTypeInfo, UINT, LCID, ITypeInfo**)
    NOT_NEEDED(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
    NOT_NEEDED(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)

private:
    std::vector<unsigned long> ids_;
    ULONG refs_ = 0;
};

template <class T, class... A>
T* Make(A&&... args) {
    auto object = std::make_unique<T>(std::forward<A>(args)...);
    T* made = object.get();
    world->objects.push_back(std::move(object));
    return made;
}

template <class T, class I>
HRESULT Give(T* object, I** out) {
    *out = object;
    object->AddRef();
    return S_OK;
}

class Error final : public Object<ADOError> {
public:
    explicit Error(std::wstring text) : Object({0x500}), text_(std::move(text)) {}
    HRESULT STDMETHODCALLTYPE get_Description(BSTR* out) override { return *out = Copy(text_), S_OK; }
    NOT_NEEDED(get_Number, long*) NOT_NEEDED(get_Source, BSTR*) NOT_NEEDED(get_HelpFile, BSTR*)
    NOT_NEEDED(get_HelpContext, long*) NOT_NEEDED(get_SQLState, BSTR*) NOT_NEEDED(get_NativeError, long*)

private:
    std::wstring text_;
};

class Errors final : public Object<ADOErrors> {
public:
    Errors() : Object({0x501}) {}
    std::vector<std::wstring> items;
    HRESULT STDMETHODCALLTYPE get_Count(long* out) override { return *out = static_cast<long>(items.size()), S_OK; }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, ADOError** out) override {
        if (index.vt != VT_I4 || index.lVal < 0 || static_cast<size_t>(index.lVal) >= items.size()) return adErrItemNotFound;
        return Give(Make<Error>(items[static_cast<size_t>(index.lVal)]), out);
    }
    HRESULT STDMETHODCALLTYPE Clear() override {
        Log("Errors.Clear");
        items.clear();
        return S_OK;
    }
    NOT_NEEDED(_NewEnum, IUnknown**) NOT_NEEDED(Refresh)
};

// A failure as ADO reports it: the description in the thread's error object and, for
// the provider's errors, in the connection's Errors collection in place of the old ones.
HRESULT Fail(HRESULT hr, const std::wstring& text, Errors* errors, bool provider = false, bool withInfo = true) {
    ComPtr<ICreateErrorInfo> create;
    ComPtr<IErrorInfo> info;
    if (withInfo && SUCCEEDED(CreateErrorInfo(create.put()))) {
        create->SetDescription(const_cast<wchar_t*>(text.c_str()));
        create->QueryInterface(IID_IErrorInfo, info.put_void());
    }
    SetErrorInfo(0, info.get());
    if (provider && errors) errors->items = {text};
    return hr;
}

// The failure the test asked the next such call to report, or S_OK.
HRESULT InjectedFailure(const std::string& call, Errors* errors) {
    for (auto i = world->failures.begin(); i != world->failures.end(); ++i) {
        if (i->call != call) continue;
        Injected f = *i;
        world->failures.erase(i);
        return Fail(f.hr, f.description, errors, f.provider, f.withInfo);
    }
    return S_OK;
}

class Property final : public Object<ADOProperty> {
public:
    Property(std::wstring name, Var value) : Object({0x503}), name_(std::move(name)), value(std::move(value)) {}
    HRESULT STDMETHODCALLTYPE get_Value(VARIANT* out) override {
        if (HRESULT hr = InjectedFailure("Property.get_Value", nullptr); FAILED(hr)) return hr;
        return VariantCopy(out, &value.v);
    }
    HRESULT STDMETHODCALLTYPE put_Value(VARIANT v) override {
        Log("Property." + N(name_) + "=" + std::to_string(v.lVal));
        if (HRESULT hr = InjectedFailure("Property.put_Value", nullptr); FAILED(hr)) return hr;
        return VariantCopy(&value.v, &v);
    }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* out) override { return *out = Copy(name_), S_OK; }
    NOT_NEEDED(get_Type, DataTypeEnum*) NOT_NEEDED(get_Attributes, long*) NOT_NEEDED(put_Attributes, long)

    std::wstring name_;
    Var value;
};

class Properties final : public Object<ADOProperties> {
public:
    Properties(std::wstring name, Var value) : Object({0x504}), item(Make<Property>(std::move(name), std::move(value))) {}
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, ADOProperty** out) override {
        if (HRESULT hr = InjectedFailure("Properties.get_Item", nullptr); FAILED(hr)) return hr;
        if (index.vt != VT_BSTR || !Same(index.bstrVal, item->name_))
            return Fail(adErrItemNotFound, L"Item cannot be found in the collection corresponding to the requested "
                                           L"name or ordinal.", nullptr);
        return Give(item, out);
    }
    HRESULT STDMETHODCALLTYPE get_Count(long* out) override { return *out = 1, S_OK; }
    NOT_NEEDED(_NewEnum, IUnknown**) NOT_NEEDED(Refresh)
    Property* item;
};

Var I4(long v) {
    Var x;
    x.v.vt = VT_I4;
    x.v.lVal = v;
    return x;
}

class Connection final : public Object<_ADOConnection> {
public:
    Connection() : Object({0x550, 0x1550}) {}
    Errors* errors = Make<Errors>();
    Properties* properties = Make<Properties>(L"OLE DB Services", I4(-1));  // every service, pooling too
    std::wstring source;  // the data source while open

    HRESULT STDMETHODCALLTYPE get_Mode(ConnectModeEnum* out) override { return *out = mode_, S_OK; }
    HRESULT STDMETHODCALLTYPE put_Mode(ConnectModeEnum mode) override {
        Log("Connection.put_Mode(" + std::to_string(mode) + ")");
        if (!source.empty()) return Closed();
        return mode_ = mode, S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ConnectionString(BSTR* out) override { return *out = Copy(text_), S_OK; }
    HRESULT STDMETHODCALLTYPE put_ConnectionString(BSTR text) override {
        Log("Connection.put_ConnectionString(" + N(text) + ")");
        if (!source.empty()) return Closed();
        return text_ = text, S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_State(LONG* out) override { return *out = source.empty() ? 0 : 1, S_OK; }
    HRESULT STDMETHODCALLTYPE get_Errors(ADOErrors** out) override { return Give(errors, out); }
    HRESULT STDMETHODCALLTYPE get_Properties(ADOProperties** out) override { return Give(properties, out); }

    HRESULT STDMETHODCALLTYPE Open(BSTR text, BSTR user, BSTR password, long options) override {
        Log("Connection.Open('" + N(text ? text : L"") + "', '" + N(user ? user : L"") + "', '" +
            N(password ? password : L"") + "', " + std::to_string(options) + ")");
        if (!source.empty()) return Closed();
        if (text && *text) text_ = text;
        std::wstring path = db::DataSourceOf(text_);
        if (!world->files.count(path))
            return Fail(E_FAIL, L"Could not find file '" + path + L"'.", errors, true);
        // Openers of a file: how many, or -1 for one holding it for exclusive use.
        int& openers = world->open[path];
        if (openers < 0 || (mode_ == adModeShareExclusive && openers > 0))
            return Fail(E_FAIL, L"The file '" + path + L"' is already in use.", errors, true);
        openers = mode_ == adModeShareExclusive ? -1 : openers + 1;
        source = path;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close() override {
        Log("Connection.Close");
        if (source.empty()) return Fail(adErrObjectClosed, L"Operation is not allowed when the object is closed.", errors);
        // A pooled data source keeps the file open after the connection closes.
        int& openers = world->open[source];
        if (!(properties->item->value.v.lVal & 1) && (openers < 0 || --openers == 0)) world->open.erase(source);
        source.clear();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Execute(BSTR text, VARIANT* affected, long options, _ADORecordset** rows) override {
        Log("Connection.Execute(" + N(text) + ", " + std::to_string(options) + ")");
        if (HRESULT hr = InjectedFailure("Connection.Execute", errors); FAILED(hr)) return hr;
        if (source.empty()) return Fail(adErrObjectClosed, L"Operation is not allowed when the object is closed.", errors);
        std::wcmatch m;
        if (!std::regex_match(text, m, std::wregex(L"UPDATE (\\w+) SET (\\w+) = '(.*)'", std::regex::icase)))
            return Fail(E_FAIL, L"Syntax error in UPDATE statement.", errors, true);
        Table& table = Data()[m[1].str()];
        for (size_t c = 0; c < table.columns.size(); ++c) {
            if (!Same(table.columns[c].name, m[2].str())) continue;
            Var value;
            value.v.vt = VT_BSTR;
            value.v.bstrVal = Copy(m[3].str());
            for (auto& row : table.rows) row[c] = value;
        }
        VariantClear(affected);
        *affected = I4(static_cast<long>(table.rows.size())).v;
        *rows = nullptr;
        return S_OK;
    }
    Database& Data() { return world->files[source]; }

    NOT_NEEDED(get_CommandTimeout, LONG*) NOT_NEEDED(put_CommandTimeout, LONG) NOT_NEEDED(get_ConnectionTimeout, LONG*)
    NOT_NEEDED(put_ConnectionTimeout, LONG) NOT_NEEDED(get_Version, BSTR*) NOT_NEEDED(BeginTrans, long*)
    NOT_NEEDED(CommitTrans) NOT_NEEDED(RollbackTrans) NOT_NEEDED(get_DefaultDatabase, BSTR*)
    NOT_NEEDED(put_DefaultDatabase, BSTR) NOT_NEEDED(get_IsolationLevel, IsolationLevelEnum*)
    NOT_NEEDED(put_IsolationLevel, IsolationLevelEnum) NOT_NEEDED(get_Attributes, long*) NOT_NEEDED(put_Attributes, long)
    NOT_NEEDED(get_CursorLocation, CursorLocationEnum*) NOT_NEEDED(put_CursorLocation, CursorLocationEnum)
    NOT_NEEDED(get_Provider, BSTR*) NOT_NEEDED(put_Provider, BSTR)
    NOT_NEEDED(OpenSchema, SchemaEnum, VARIANT, VARIANT, _ADORecordset**) NOT_NEEDED(Cancel)

private:
    HRESULT Closed() { return Fail(adErrObjectOpen, L"Operation is not allowed when the object is open.", errors); }
    ConnectModeEnum mode_ = adModeUnknown;
    std::wstring text_;
};

class Recordset;

class Field final : public Object<ADOField> {
public:
    Field(Recordset* owner, size_t index, const Column& column)
        : Object({0x569, 0x1569}), owner_(owner), index_(index), column_(column),
          properties_(Make<Properties>(L"ISAUTOINCREMENT", AutoIncrement(column.autoNumber))) {}
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* out) override { return *out = Copy(column_.name), S_OK; }
    HRESULT STDMETHODCALLTYPE get_Type(DataTypeEnum* out) override { return *out = DataTypeEnum(column_.type), S_OK; }
    HRESULT STDMETHODCALLTYPE get_DefinedSize(long* out) override { return *out = column_.size, S_OK; }
    // An AutoNumber is not updatable (and says so once more through ISAUTOINCREMENT).
    HRESULT STDMETHODCALLTYPE get_Attributes(long* out) override {
        return *out = adFldFixed | adFldMayBeNull | (column_.required ? 0 : adFldIsNullable) |
                      (column_.autoNumber ? 0 : adFldUpdatable),
               S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Precision(BYTE* out) override { return *out = BYTE(column_.precision), S_OK; }
    HRESULT STDMETHODCALLTYPE get_NumericScale(BYTE* out) override { return *out = BYTE(column_.scale), S_OK; }
    HRESULT STDMETHODCALLTYPE get_Properties(ADOProperties** out) override { return Give(properties_, out); }
    HRESULT STDMETHODCALLTYPE get_Value(VARIANT* out) override;
    HRESULT STDMETHODCALLTYPE put_Value(VARIANT value) override;
    NOT_NEEDED(get_ActualSize, long*)
    NOT_NEEDED(AppendChunk, VARIANT) NOT_NEEDED(GetChunk, long, VARIANT*) NOT_NEEDED(get_OriginalValue, VARIANT*)
    NOT_NEEDED(get_UnderlyingValue, VARIANT*) NOT_NEEDED(get_DataFormat, IUnknown**) NOT_NEEDED(putref_DataFormat, IUnknown*)
    NOT_NEEDED(put_Precision, BYTE) NOT_NEEDED(put_NumericScale, BYTE) NOT_NEEDED(put_Type, DataTypeEnum)
    NOT_NEEDED(put_DefinedSize, long) NOT_NEEDED(put_Attributes, long) NOT_NEEDED(get_Status, long*)

private:
    static Var AutoIncrement(bool yes) {
        Var v;
        v.v.vt = VT_BOOL;
        v.v.boolVal = yes ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }
    Recordset* owner_;
    size_t index_;
    Column column_;
    Properties* properties_;
};

class Fields final : public Object<ADOFields> {
public:
    Fields() : Object({0x564, 0x1564}) {}
    std::vector<Field*> items;
    HRESULT STDMETHODCALLTYPE get_Count(long* out) override { return *out = static_cast<long>(items.size()), S_OK; }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, ADOField** out) override {
        if (index.vt != VT_I4 || index.lVal < 0 || static_cast<size_t>(index.lVal) >= items.size()) return adErrItemNotFound;
        return Give(items[static_cast<size_t>(index.lVal)], out);
    }
    NOT_NEEDED(_NewEnum, IUnknown**) NOT_NEEDED(Refresh) NOT_NEEDED(_Append, BSTR, DataTypeEnum, long, FieldAttributeEnum)
    NOT_NEEDED(Delete, VARIANT) NOT_NEEDED(Append, BSTR, DataTypeEnum, long, FieldAttributeEnum, VARIANT)
    NOT_NEEDED(Update) NOT_NEEDED(Resync, ResyncEnum) NOT_NEEDED(CancelUpdate)
};

class Recordset final : public Object<_ADORecordset> {
public:
    Recordset() : Object({0x556, 0x1556}) {}

    HRESULT STDMETHODCALLTYPE put_CursorLocation(CursorLocationEnum where) override {
        Log("Recordset.put_CursorLocation(" + std::to_string(where) + ")");
        return location_ = where, S_OK;
    }
    HRESULT STDMETHODCALLTYPE Open(VARIANT source, VARIANT active, CursorTypeEnum cursor, LockTypeEnum lock,
                                   LONG options) override {
        Log("Recordset.Open(" + N(source.bstrVal) + ", " + std::to_string(cursor) + ", " + std::to_string(lock) + ", " +
            std::to_string(options) + ")");
        connection_ = active.vt == VT_DISPATCH ? dynamic_cast<Connection*>(active.pdispVal) : nullptr;
        if (!connection_ || connection_->source.empty())
            return Fail(adErrObjectClosed, L"Operation is not allowed when the object is closed.", nullptr);
        std::wcmatch m;
        if (!std::regex_match(source.bstrVal, m,
                              std::wregex(L"SELECT (.+) FROM (\\w+)(\\s+WHERE 1 = 0)?", std::regex::icase)))
            return Fail(E_FAIL, L"Syntax error in FROM clause.", connection_->errors, true);
        for (auto& [name, table] : connection_->Data())
            if (Same(name, m[2].str())) table_ = &table, tableName_ = name;
        if (!table_)
            return Fail(E_FAIL, L"The Microsoft Jet database engine cannot find the input table or query '" + m[2].str() +
                                    L"'.  Make sure it exists and that its name is spelled correctly.",
                        connection_->errors, true);
        if (!rows_.Open(*table_, location_, cursor, lock, m[3].matched)) {
            table_ = nullptr;
            return Fail(E_NOTIMPL, L"The fake ADO models only the cursors the engine uses.", nullptr);
        }
        fields_ = Make<Fields>();
        columns_.clear();
        for (size_t c = 0; c < table_->columns.size(); ++c)
            if (m[1].str() == L"*" || Same(m[1].str(), table_->columns[c].name)) {
                columns_.push_back(c);
                fields_->items.push_back(Make<Field>(this, fields_->items.size(), table_->columns[c]));
            }
        connection_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_State(LONG* out) override { return *out = table_ ? 1 : 0, S_OK; }
    HRESULT STDMETHODCALLTYPE get_RecordCount(long* out) override {
        Log("Recordset.get_RecordCount");
        if (!table_) return Fail(adErrObjectClosed, L"Operation is not allowed when the object is closed.", nullptr);
        return *out = rows_.Count(), S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close() override {
        Log("Recordset.Close");
        if (!table_) return Fail(adErrObjectClosed, L"Operation is not allowed when the object is closed.", nullptr);
        table_ = nullptr;
        rows_.Close();
        connection_->Release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Fields(ADOFields** out) override { return Give(fields_, out); }
    HRESULT STDMETHODCALLTYPE get_BOF(VARIANT_BOOL* out) override { return Flag(rows_.Bof(), out); }
    HRESULT STDMETHODCALLTYPE get_EOF(VARIANT_BOOL* out) override { return Flag(rows_.Eof(), out); }
    HRESULT STDMETHODCALLTYPE MoveFirst() override { return rows_.MoveFirst() ? S_OK : NoCurrentRow(); }
    HRESULT STDMETHODCALLTYPE MoveNext() override { return rows_.MoveNext() ? S_OK : NoCurrentRow(); }
    HRESULT STDMETHODCALLTYPE AddNew(VARIANT, VARIANT) override {
        Log("Recordset.AddNew");
        if (!rows_.CanAdd())
            return Fail(adErrFeatureNotAvailable, L"Current Recordset does not support updating. This may be a "
                                                  L"limitation of the provider, or of the selected locktype.", nullptr);
        adding_.assign(columns_.size(), Var());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CancelUpdate() override {
        Log("Recordset.CancelUpdate");
        adding_.clear();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Update(VARIANT, VARIANT) override {
        Log("Recordset.Update");
        if (HRESULT hr = InjectedFailure("Recordset.Update", connection_->errors); FAILED(hr)) return hr;
        std::vector<Var> row(table_->columns.size());
        for (size_t c = 0; c < table_->columns.size(); ++c)
            if (table_->columns[c].autoNumber) row[c] = I4(static_cast<long>(table_->rows.size()) + 1);
        for (size_t i = 0; i < columns_.size(); ++i)
            if (adding_[i].v.vt != VT_EMPTY) row[columns_[i]] = adding_[i];
        // The row stays in the making when the provider refuses it.
        if (const std::wstring refused = WrittenRow(tableName_, table_->columns, row); !refused.empty())
            return Fail(E_FAIL, refused, connection_->errors, true);
        rows_.Added(row);
        AddRow(*table_, std::move(row));
        adding_.clear();
        return S_OK;
    }

    HRESULT Value(size_t index, VARIANT* out) {
        if (!adding_.empty()) return VariantCopy(out, &adding_[index].v);
        const std::vector<Var>* row = rows_.Current();
        if (!row) return NoCurrentRow();
        if (!rows_.MayRead(index))
            return Fail(E_FAIL, L"The column is no longer available: a forward-only row is read once, in column order.",
                        nullptr);
        return VariantCopy(out, const_cast<VARIANT*>(&(*row)[columns_[index]].v));
    }
    HRESULT Assign(size_t index, const Column& column, const VARIANT& value) {
        Log("Field.put_Value(" + N(column.name) + ", " + std::to_string(value.vt) + ")");
        if (HRESULT hr = InjectedFailure("Field.put_Value", connection_->errors); FAILED(hr)) return hr;
        if (column.autoNumber) return Fail(E_FAIL, L"Field cannot be updated.", nullptr);
        if (adding_.empty()) return NoCurrentRow();
        Var converted;
        if (HRESULT hr = ToColumnType(column, value, converted); FAILED(hr))
            return Fail(hr, kMultipleStepText, nullptr);
        adding_[index] = converted;
        return S_OK;
    }

    NOT_NEEDED(get_Properties, ADOProperties**) NOT_NEEDED(get_AbsolutePosition, PositionEnum*)
    NOT_NEEDED(put_AbsolutePosition, PositionEnum) NOT_NEEDED(putref_ActiveConnection, IDispatch*)
    NOT_NEEDED(put_ActiveConnection, VARIANT) NOT_NEEDED(get_ActiveConnection, VARIANT*) NOT_NEEDED(get_Bookmark, VARIANT*)
    NOT_NEEDED(put_Bookmark, VARIANT) NOT_NEEDED(get_CacheSize, long*) NOT_NEEDED(put_CacheSize, long)
    NOT_NEEDED(get_CursorType, CursorTypeEnum*) NOT_NEEDED(put_CursorType, CursorTypeEnum)
    NOT_NEEDED(get_LockType, LockTypeEnum*) NOT_NEEDED(put_LockType, LockTypeEnum) NOT_NEEDED(get_MaxRecords, long*)
    NOT_NEEDED(put_MaxRecords, long) NOT_NEEDED(putref_Source, IDispatch*)
    NOT_NEEDED(put_Source, BSTR) NOT_NEEDED(get_Source, VARIANT*) NOT_NEEDED(Delete, AffectEnum)
    NOT_NEEDED(GetRows, long, VARIANT, VARIANT, VARIANT*) NOT_NEEDED(Move, long, VARIANT) NOT_NEEDED(MovePrevious)
    NOT_NEEDED(MoveLast) NOT_NEEDED(Requery, LONG) NOT_NEEDED(_xResync, AffectEnum) NOT_NEEDED(get_AbsolutePage, PositionEnum*)
    NOT_NEEDED(put_AbsolutePage, PositionEnum) NOT_NEEDED(get_EditMode, EditModeEnum*) NOT_NEEDED(get_Filter, VARIANT*)
    NOT_NEEDED(put_Filter, VARIANT) NOT_NEEDED(get_PageCount, long*) NOT_NEEDED(get_PageSize, long*)
    NOT_NEEDED(put_PageSize, long) NOT_NEEDED(get_Sort, BSTR*) NOT_NEEDED(put_Sort, BSTR) NOT_NEEDED(get_Status, long*)
    NOT_NEEDED(_xClone, _ADORecordset**) NOT_NEEDED(UpdateBatch, AffectEnum) NOT_NEEDED(CancelBatch, AffectEnum)
    NOT_NEEDED(get_CursorLocation, CursorLocationEnum*) NOT_NEEDED(NextRecordset, VARIANT*, _ADORecordset**)
    NOT_NEEDED(Supports, CursorOptionEnum, VARIANT_BOOL*) NOT_NEEDED(get_Collect, VARIANT, VARIANT*)
    NOT_NEEDED(put_Collect, VARIANT, VARIANT) NOT_NEEDED(get_MarshalOptions, MarshalOptionsEnum*)
    NOT_NEEDED(put_MarshalOptions, MarshalOptionsEnum) NOT_NEEDED(Find, BSTR, long, SearchDirectionEnum, VARIANT)
    NOT_NEEDED(Cancel) NOT_NEEDED(get_DataSource, IUnknown**) NOT_NEEDED(putref_DataSource, IUnknown*)
    NOT_NEEDED(_xSave, BSTR, PersistFormatEnum) NOT_NEEDED(get_ActiveCommand, IDispatch**)
    NOT_NEEDED(put_StayInSync, VARIANT_BOOL) NOT_NEEDED(get_StayInSync, VARIANT_BOOL*)
    NOT_NEEDED(GetString, StringFormatEnum, long, BSTR, BSTR, BSTR, BSTR*) NOT_NEEDED(get_DataMember, BSTR*)
    NOT_NEEDED(put_DataMember, BSTR) NOT_NEEDED(CompareBookmarks, VARIANT, VARIANT, CompareEnum*)
    NOT_NEEDED(Clone, LockTypeEnum, _ADORecordset**) NOT_NEEDED(Resync, AffectEnum, ResyncEnum)
    NOT_NEEDED(Seek, VARIANT, SeekEnum) NOT_NEEDED(put_Index, BSTR) NOT_NEEDED(get_Index, BSTR*)
    NOT_NEEDED(Save, VARIANT, PersistFormatEnum)

private:
    static HRESULT Flag(bool yes, VARIANT_BOOL* out) { return *out = yes ? VARIANT_TRUE : VARIANT_FALSE, S_OK; }
    HRESULT NoCurrentRow() {
        return Fail(adErrNoCurrentRecord, L"Either BOF or EOF is True, or the current record has been deleted. "
                                          L"Requested operation requires a current record.", nullptr);
    }
    Connection* connection_ = nullptr;
    Table* table_ = nullptr;
    std::wstring tableName_;
    Fields* fields_ = nullptr;
    std::vector<size_t> columns_;  // the table's columns the query reads
    CursorLocationEnum location_ = adUseServer;  // ADO's default
    CursorRows rows_{*world};
    std::vector<Var> adding_;  // the row being added, per query column
};

HRESULT Field::get_Value(VARIANT* out) { return owner_->Value(index_, out); }
HRESULT Field::put_Value(VARIANT value) { return owner_->Assign(index_, column_, value); }

template <class T>
class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        return Make<T>()->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory<Connection> connections;
Factory<Recordset> recordsets;

}  // namespace

FakeAdo::FakeAdo() {
    ado::world = &world;
    CoRegisterClassObject(AdoIid(0x514), &connections, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookies_[0]);
    CoRegisterClassObject(AdoIid(0x535), &recordsets, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookies_[1]);
}

FakeAdo::~FakeAdo() {
    for (DWORD cookie : cookies_) CoRevokeClassObject(cookie);
    ado::world = nullptr;
}

}  // namespace qel::test::ado
