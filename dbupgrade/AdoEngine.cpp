// The one source that includes the platform's ADO interface declarations; they need
// -fpermissive (stray declarations in the header), set for this file alone.
#include <windows.h>
#include <oleauto.h>
#include <adoint.h>

#include "dbupgrade/AdoEngine.h"

#include <optional>
#include <vector>

#include "dbupgrade/AdoValues.h"
#include "dbupgrade/DataSource.h"
#include "dbupgrade/Engine.h"
#include "dbupgrade/HResultText.h"
#include "dbupgrade/JetColumnKind.h"
#include "dbupgrade/Messages.h"
#include "dbupgrade/OleDate.h"
#include "dbupgrade/QueryTable.h"
#include "dbupgrade/TextForms.h"
#include "platform/Failure.h"
#include "platform/Handles.h"
#include "platform/Text.h"

namespace qel::db {

namespace {

// ADO's class and interface identities differ in their first part only.
constexpr GUID AdoIid(unsigned long first) {
    return {first, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
}

// The interfaces an object's ISupportErrorInfo is asked about: the one of ADO 2.x we call
// it through, and the one ADO 6 gives the same object.
struct Identities {
    unsigned long old, current;
};
constexpr Identities kConnection{0x00000550, 0x00001550};
constexpr Identities kRecordset{0x00000556, 0x00001556};
constexpr Identities kField{0x00000569, 0x00001569};
constexpr Identities kProperty{0x00000503, 0x00000503};
constexpr Identities kProperties{0x00000504, 0x00000504};

// ADO 2.x interface identities, the ones every ADO version answers to.
constexpr IID kIidConnection = AdoIid(kConnection.old);
constexpr IID kIidRecordset = AdoIid(kRecordset.old);
constexpr CLSID kClsidRecordset = AdoIid(0x00000535);

// The OLE DB services with resource pooling left out (DBPROPVAL_OS_ENABLEALL &
// ~DBPROPVAL_OS_RESOURCEPOOLING).
constexpr long kServicesWithoutPooling = -1L & ~1L;

class Bstr {
public:
    explicit Bstr(const std::wstring& s) : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    Bstr() = default;
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }
    BSTR* put() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    std::wstring str() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

private:
    BSTR b_ = nullptr;
};

class Variant {
public:
    Variant() { VariantInit(&v); }
    explicit Variant(const wchar_t* text) : Variant() {
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(text);
    }
    ~Variant() { VariantClear(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT v;
};

// The "argument left out" value of optional parameters.
VARIANT Missing() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

VARIANT Index(long i) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = i;
    return v;
}

std::string Described(BSTR b) {
    std::wstring w = b ? std::wstring(b, SysStringLen(b)) : std::wstring();
    while (!w.empty() && (w.back() == L' ' || w.back() == L'\r' || w.back() == L'\n')) w.pop_back();
    return text::Narrow(w);
}

// The description the failed object left in the thread's error object, when the object
// says it reports errors that way for the interface it was called through.
std::string ObjectErrorText(IUnknown* failed, const Identities& ids) {
    ComPtr<ISupportErrorInfo> support;
    if (!failed || FAILED(failed->QueryInterface(IID_ISupportErrorInfo, support.put_void())) || !support) return {};
    if (support->InterfaceSupportsErrorInfo(AdoIid(ids.old)) != S_OK &&
        support->InterfaceSupportsErrorInfo(AdoIid(ids.current)) != S_OK)
        return {};
    ComPtr<IErrorInfo> info;
    Bstr description;
    if (GetErrorInfo(0, info.put()) != S_OK || !info || FAILED(info->GetDescription(description.put()))) return {};
    return Described(description.get());
}

// The provider's errors the connection collected since they were last cleared.
std::string ProviderErrorsText(_ADOConnection* connection) {
    std::string text;
    ComPtr<ADOErrors> errors;
    long count = 0;
    if (!connection || FAILED(connection->get_Errors(errors.put())) || !errors || FAILED(errors->get_Count(&count)))
        return text;
    for (long i = 0; i < count; ++i) {
        ComPtr<ADOError> error;
        Bstr description;
        if (SUCCEEDED(errors->get_Item(Index(i), error.put())) && error &&
            SUCCEEDED(error->get_Description(description.put()))) {
            std::string d = Described(description.get());
            if (!d.empty() && text.find(d) == std::string::npos) text += (text.empty() ? "" : " ") + d;
        }
    }
    return text;
}

// The failure's own description: the failed object's error information first, the
// provider's errors when it gives none; otherwise what was being done and what the code
// means. Never empty.
std::string FailureText(HRESULT hr, IUnknown* failed, const Identities& ids, _ADOConnection* connection,
                        const std::string& doing) {
    std::string text = ObjectErrorText(failed, ids);
    if (text.empty()) text = ProviderErrorsText(connection);
    if (text.empty()) text = doing + " (" + DescribeHResult(hr) + ").";
    return text;
}

// The provider's errors collect until they are cleared, so an old one would pass for the
// reason of a later failure that brings none of its own.
void ClearErrors(_ADOConnection* connection) {
    ComPtr<ADOErrors> errors;
    if (SUCCEEDED(connection->get_Errors(errors.put())) && errors) errors->Clear();
}

// How many rows a query adds before the rows it keeps are let go (see Append).
constexpr long kRowsKeptWhileAdding = 1024;

class AdoCursor final : public CursorEngine {
public:
    AdoCursor(_ADOConnection* connection, const std::string& sql, bool forwardOnly)
        : connection_(connection), sql_(sql), forwardOnly_(forwardOnly) {
        HRESULT hr = CoCreateInstance(kClsidRecordset, nullptr, CLSCTX_INPROC_SERVER, kIidRecordset,
                                      reinterpret_cast<void**>(recordset_.put()));
        if (FAILED(hr) || !recordset_)
            throw Failure(FailureText(hr, nullptr, kRecordset, nullptr, "The query could not be created"));
        // Forward only: the data-access layer's server-side cursor, forward-only and
        // read-only (the provider's forward-only snapshot), which fetches each row as it
        // is read and keeps none. Otherwise its client-side cursor: rows fetched at
        // opening, rows added through the query written at once, and both kept.
        Check(recordset_->put_CursorLocation(forwardOnly ? adUseServer : adUseClient), "The query could not be set up");
        if (!forwardOnly) withoutRows_ = QueryWithoutRows(sql);
        OpenAs(sql);
    }

    ~AdoCursor() override {
        if (appending_) recordset_->CancelUpdate();
        LONG state = 0;
        if (SUCCEEDED(recordset_->get_State(&state)) && state != adStateClosed) recordset_->Close();
    }

    int FieldCount() const override { return static_cast<int>(columns_.size()); }
    const std::string& FieldName(int index) const override { return At(index).shape.name; }

    void First() override {
        if (trimmed_) {
            // The rows it added are no longer in the query, only in the table: all again.
            Reopen(sql_);
            trimmed_ = false;
            return;
        }
        // Standing on its first row, a forward-only query would read its rows anew.
        if (forwardOnly_ && !moved_) return;
        rowRead_ = false;
        if (!Empty()) Check(recordset_->MoveFirst(), "The query could not go to its first row");
        moved_ = false;
    }

    void Next() override {
        rowRead_ = false;
        if (!AtEnd()) Check(recordset_->MoveNext(), "The query could not go to its next row");
        moved_ = true;
    }

    bool Eof() const override { return !appending_ && AtEnd(); }

    // A static client-side cursor knows its rows once open; a provider that cannot say
    // answers -1 or fails. A forward-only cursor is not asked: a provider without
    // approximate positioning may fetch every row to count them, and they could not be
    // read again. Once the query let go of the rows it added it no longer holds them all.
    long RowCount() const override {
        if (forwardOnly_ || trimmed_) return -1;
        ADO_LONGPTR count = -1;
        return SUCCEEDED(recordset_->get_RecordCount(&count)) ? static_cast<long>(count) : -1;
    }

    Value AsValue(int index) const override {
        Variant value;
        if (!Read(index, value)) return std::nullopt;
        const Column& column = At(index);
        // A date-time the provider hands over as text is given in the text form.
        if (column.type.kind == ColumnKind::DateTime && value.v.vt == VT_BSTR) {
            std::string raw = *FromVariant(value.v, column.shape.name), fraction;
            if (auto parsed = forms::ParseDateTime(raw, &fraction)) return forms::FormatDateTime(*parsed, fraction);
            throw Failure(msg::InvalidDateTime(text::FromUtf8(raw), column.shape.name));
        }
        return FromVariant(value.v, column.shape.name);
    }

    DateTime AsDateTime(int index) const override {
        Variant value;
        if (!Read(index, value) || value.v.vt == VT_NULL || value.v.vt == VT_EMPTY) return DateTime{};
        if (value.v.vt == VT_DATE && OleDateInRange(value.v.date)) return FromOleDate(value.v.date);
        std::string raw = value.v.vt == VT_DATE ? forms::FormatNumber(value.v.date)
                                                : text::FromUtf8(FromVariant(value.v, At(index).shape.name).value_or(""));
        if (value.v.vt == VT_BSTR) {
            if (auto parsed = forms::ParseDateTime(raw)) return *parsed;
        }
        throw Failure(msg::InvalidDateTime(raw, At(index).shape.name));
    }

    bool Binary(int index) const override { return At(index).type.kind == ColumnKind::Binary; }
    ColumnType Type(int index) const override { return At(index).type; }

    void Append() override {
        // The client-side cursor keeps every row added through it. Every so many rows the
        // query is opened anew on the same table without its rows: the rows added are in
        // the table and go from memory; the next one is added as before.
        if (withoutRows_ && added_ >= kRowsKeptWhileAdding) {
            Reopen(*withoutRows_);
            trimmed_ = true;
        }
        Check(recordset_->AddNew(Missing(), Missing()), "A row could not be added");
        appending_ = true;
    }

    bool Appending() const override { return appending_; }

    void SetValue(int index, const Value& value) override {
        const Column& column = At(index);
        if (!column.updatable) throw Failure(msg::FieldReadOnly(column.shape.name));
        Variant v;
        ToVariant(value, column.shape, v.v);
        Check(column.field->put_Value(v.v), column.field.get(), kField, "The value could not be assigned");
    }

    void Post() override {
        ClearErrors(connection_);
        Check(recordset_->Update(Missing(), Missing()), "The row could not be written");
        appending_ = false;
        ++added_;
        moved_ = true;
    }

    void Cancel() override {
        appending_ = false;
        recordset_->CancelUpdate();
    }

private:
    struct Column {
        ComPtr<ADOField> field;
        AdoField shape;
        ColumnType type;
        bool updatable = true;
    };

    const Column& At(int index) const { return columns_[static_cast<size_t>(index)]; }

    // Opens the recordset on the text, with the cursor the query was made with; the
    // columns are read anew.
    void OpenAs(const std::string& text) {
        Variant source(text::Widen(text).c_str()), active;
        active.v.vt = VT_DISPATCH;
        active.v.pdispVal = connection_;
        connection_->AddRef();
        ClearErrors(connection_);
        Check(recordset_->Open(source.v, active.v, forwardOnly_ ? adOpenForwardOnly : adOpenStatic,
                               forwardOnly_ ? adLockReadOnly : adLockOptimistic, adCmdText),
              "The query could not be opened");
        added_ = 0;
        moved_ = false;
        rowRead_ = false;

        columns_.clear();
        ComPtr<ADOFields> fields;
        Check(recordset_->get_Fields(fields.put()), "The query's columns could not be read");
        long count = 0;
        Check(fields->get_Count(&count), "The query's columns could not be read");
        for (long i = 0; i < count; ++i) {
            Column column;
            Check(fields->get_Item(Index(i), column.field.put()), "The query's columns could not be read");
            Bstr name;
            DataTypeEnum type = adEmpty;
            ADO_LONGPTR size = 0;  // 8 bytes on 64-bit ADO
            long attributes = 0;
            column.field->get_Name(name.put());
            column.field->get_Type(&type);
            column.field->get_DefinedSize(&size);
            column.field->get_Attributes(&attributes);
            column.shape = {text::Narrow(name.str()), static_cast<AdoType>(type), static_cast<long>(size)};
            ReadDigits(column);
            column.type = AdoColumnType(column.shape.type, column.shape.definedSize);
            column.updatable = (attributes & (adFldUpdatable | adFldUnknownUpdatable)) != 0 && !IsAutoNumber(column);
            columns_.push_back(std::move(column));
        }
        if (forwardOnly_) row_ = std::vector<Variant>(columns_.size());
    }

    void Reopen(const std::string& text) {
        Check(recordset_->Close(), "The query could not be closed");
        OpenAs(text);
    }

    // An AutoNumber is numbered by the provider; what assigning one does is not documented.
    // A column that cannot say whether it is one counts as one: nothing is assigned to it.
    static bool IsAutoNumber(const Column& column) {
        ComPtr<ADOProperties> properties;
        if (FAILED(column.field->get_Properties(properties.put())) || !properties) return true;
        Variant name(L"ISAUTOINCREMENT");
        ComPtr<ADOProperty> property;
        if (FAILED(properties->get_Item(name.v, property.put())) || !property) return true;
        Variant value;
        if (FAILED(property->get_Value(&value.v)) || value.v.vt != VT_BOOL) return true;
        return value.v.boolVal != VARIANT_FALSE;
    }

    // A Decimal column keeps values at its own scale and up to its precision; unread, they
    // stay 0 and no value is assigned to it.
    static void ReadDigits(Column& column) {
        const AdoType t = column.shape.type;
        if (t != AdoType::Decimal && t != AdoType::Numeric && t != AdoType::VarNumeric) return;
        BYTE precision = 0, scale = 0;
        if (FAILED(column.field->get_Precision(&precision)) || FAILED(column.field->get_NumericScale(&scale)) ||
            scale > precision)
            return;
        column.shape.precision = precision;
        column.shape.scale = scale;
    }

    void Check(HRESULT hr, IUnknown* object, const Identities& ids, const char* doing) const {
        if (FAILED(hr)) throw Failure(FailureText(hr, object, ids, connection_, doing));
    }
    void Check(HRESULT hr, const char* doing) const { Check(hr, recordset_.get(), kRecordset, doing); }

    bool AtEnd() const {
        VARIANT_BOOL eof = VARIANT_TRUE;
        Check(recordset_->get_EOF(&eof), "The query's position could not be read");
        return eof != VARIANT_FALSE;
    }

    bool Empty() const {
        VARIANT_BOOL bof = VARIANT_TRUE;
        Check(recordset_->get_BOF(&bof), "The query's position could not be read");
        return bof != VARIANT_FALSE && AtEnd();
    }

    // Reading a value with no current row fails in ADO (and brings it down on some
    // platforms): look first.
    bool Read(int index, Variant& out) const {
        if (!appending_ && AtEnd()) return false;
        if (forwardOnly_ && !appending_) {
            // A provider may let a forward-only row's columns be fetched only once each, in
            // their order (long values come as streams): the row is read whole, in order,
            // at its first read.
            if (!rowRead_) {
                for (size_t i = 0; i < columns_.size(); ++i) {
                    VariantClear(&row_[i].v);
                    Check(columns_[i].field->get_Value(&row_[i].v), columns_[i].field.get(), kField,
                          "The value could not be read");
                }
                rowRead_ = true;
            }
            Check(VariantCopy(&out.v, &row_[static_cast<size_t>(index)].v), "The value could not be read");
            return true;
        }
        const Column& column = At(index);
        Check(column.field->get_Value(&out.v), column.field.get(), kField, "The value could not be read");
        return true;
    }

    _ADOConnection* connection_;
    const std::string sql_;
    const bool forwardOnly_;
    // The query's text without rows, when it has one: the rows it added are let go.
    std::optional<std::string> withoutRows_;
    ComPtr<_ADORecordset> recordset_;
    std::vector<Column> columns_;
    bool appending_ = false;
    bool moved_ = false;    // since it stood on its first row
    long added_ = 0;        // rows added since the recordset opened
    bool trimmed_ = false;  // opened without rows: the rows it added are no longer in it
    // Forward only: the current row's values, once read.
    mutable std::vector<Variant> row_;
    mutable bool rowRead_ = false;
};

class AdoConnection final : public ConnectionEngine {
public:
    AdoConnection(IUnknown* object, const std::wstring& connectionText, ShareMode mode) {
        HRESULT hr = object ? object->QueryInterface(kIidConnection, reinterpret_cast<void**>(connection_.put()))
                            : E_POINTER;
        if (FAILED(hr) || !connection_)
            throw Failure(FailureText(hr, nullptr, kConnection, nullptr, "The connection object cannot be used"));
        // Always set: the object keeps the mode of its previous connection otherwise.
        const ConnectModeEnum adoMode = mode == ShareMode::Exclusive ? adModeShareExclusive
                                        : mode == ShareMode::DenyNone ? adModeShareDenyNone
                                                                      : adModeUnknown;
        Check(connection_->put_Mode(adoMode), "The share mode could not be set");
        Bstr text(connectionText), none(L"");
        Check(connection_->put_ConnectionString(text.get()), "The connection text could not be set");
        // Once the provider's properties are set, the connection opens by its connection
        // text property: handing the text to Open again would set it anew. Without them
        // (no provider), Open gets the text and reports why it cannot open.
        std::wstring dataSource = DataSourceOf(connectionText);
        const std::string database =
            dataSource.empty() ? std::string("database") : "database '" + text::Narrow(dataSource) + "'";
        const bool poolingOff = SwitchPoolingOff(database);
        ClearErrors(connection_.get());
        Check(connection_->Open(poolingOff ? none.get() : text.get(), none.get(), none.get(), adConnectUnspecified),
              "The " + database + " could not be opened");
    }

    ~AdoConnection() override {
        if (IsOpen()) connection_->Close();
    }

    void Close() override {
        if (IsOpen()) Check(connection_->Close(), "The database could not be closed");
    }

    void Execute(const std::string& statement) override {
        Bstr text(text::Widen(statement));
        Variant affected;
        // ADO on some platforms crashes without a place for the recordset.
        ComPtr<_ADORecordset> rows;
        const long options = static_cast<long>(adCmdText) | static_cast<long>(adExecuteNoRecords);
        ClearErrors(connection_.get());
        Check(connection_->Execute(text.get(), &affected.v, options, rows.put()), "The statement could not be run");
    }

    std::unique_ptr<CursorEngine> OpenCursor(const std::string& sql, bool forwardOnly) override {
        return std::make_unique<AdoCursor>(connection_.get(), sql, forwardOnly);
    }

private:
    bool IsOpen() const {
        LONG state = adStateClosed;
        return SUCCEEDED(connection_->get_State(&state)) && (state & adStateOpen);
    }

    // OLE DB resource pooling keeps a closed connection's data source, and with it the
    // database file, open for about a minute; the replacement must find the file free as
    // soon as the carry-over has closed it. The provider's "OLE DB Services" property
    // switches it off for this connection only. Reading the properties loads the
    // provider; when that gives none (no provider) nothing is set. A provider that
    // loaded and does not take the setting stops the connection with its reason.
    bool SwitchPoolingOff(const std::string& database) {
        ComPtr<ADOProperties> properties;
        long count = 0;
        if (FAILED(connection_->get_Properties(properties.put())) || !properties ||
            FAILED(properties->get_Count(&count)) || count <= 0)
            return false;
        ComPtr<ADOProperty> services;
        Variant name(L"OLE DB Services"), value;
        value.v.vt = VT_I4;
        value.v.lVal = kServicesWithoutPooling;
        // Told by the failed object or the code: the provider's errors may be older.
        const std::string doing = "Resource pooling could not be switched off for the " + database;
        HRESULT hr = properties->get_Item(name.v, services.put());
        if (FAILED(hr) || !services)
            throw Failure(FailureText(FAILED(hr) ? hr : E_POINTER, properties.get(), kProperties, nullptr, doing));
        hr = services->put_Value(value.v);
        if (FAILED(hr)) throw Failure(FailureText(hr, services.get(), kProperty, nullptr, doing));
        return true;
    }

    void Check(HRESULT hr, const std::string& doing) {
        if (FAILED(hr)) throw Failure(FailureText(hr, connection_.get(), kConnection, connection_.get(), doing));
    }

    ComPtr<_ADOConnection> connection_;
};

}  // namespace

std::unique_ptr<ConnectionEngine> ConnectAdo(IUnknown* adoConnection, const std::wstring& connectionText,
                                             ShareMode mode) {
    return std::make_unique<AdoConnection>(adoConnection, connectionText, mode);
}

AdoSettings ReadAdoSettings(IUnknown* adoConnection) {
    AdoSettings settings;
    ComPtr<_ADOConnection> connection;
    if (!adoConnection ||
        FAILED(adoConnection->QueryInterface(kIidConnection, reinterpret_cast<void**>(connection.put()))))
        throw Failure("The ADO connection object does not answer as a connection");
    ConnectModeEnum mode = adModeUnknown;
    if (SUCCEEDED(connection->get_Mode(&mode))) settings.mode = static_cast<long>(mode);
    Bstr text;
    if (SUCCEEDED(connection->get_ConnectionString(text.put()))) settings.connectionString = text.str();
    LONG state = 0;
    if (SUCCEEDED(connection->get_State(&state))) settings.state = state;
    return settings;
}

}  // namespace qel::db
