// The one source that includes the platform's ADO interface declarations; they need
// -fpermissive (stray declarations in the header), set for this file alone.
#include <windows.h>
#include <oleauto.h>
#include <adoint.h>

#include "dbupgrade/AdoEngine.h"

#include <vector>

#include "dbupgrade/DataSource.h"
#include "dbupgrade/Engine.h"
#include "dbupgrade/HResultText.h"
#include "dbupgrade/JetColumnKind.h"
#include "dbupgrade/Messages.h"
#include "dbupgrade/OleDate.h"
#include "dbupgrade/TextForms.h"
#include "platform/Failure.h"
#include "platform/Handles.h"
#include "platform/Text.h"

namespace qel::db {

namespace {

// ADO 2.x interface identities, the ones every ADO version answers to.
constexpr IID kIidConnection = {0x00000550, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr IID kIidRecordset = {0x00000556, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
constexpr CLSID kClsidRecordset = {0x00000535, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

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

std::string Described(BSTR b) {
    std::wstring w = b ? std::wstring(b, SysStringLen(b)) : std::wstring();
    while (!w.empty() && (w.back() == L' ' || w.back() == L'\r' || w.back() == L'\n')) w.pop_back();
    return text::Narrow(w);
}

// The failure's own description when ADO or the thread's error object gives one;
// otherwise what was being done and what the code means. Never empty.
std::string FailureText(HRESULT hr, _ADOConnection* connection, const std::string& doing) {
    std::string text;
    if (connection) {
        ComPtr<ADOErrors> errors;
        long count = 0;
        if (SUCCEEDED(connection->get_Errors(errors.put())) && errors && SUCCEEDED(errors->get_Count(&count))) {
            for (long i = 0; i < count; ++i) {
                VARIANT index;
                VariantInit(&index);
                index.vt = VT_I4;
                index.lVal = i;
                ComPtr<ADOError> error;
                Bstr description;
                if (SUCCEEDED(errors->get_Item(index, error.put())) && error &&
                    SUCCEEDED(error->get_Description(description.put()))) {
                    std::string d = Described(description.get());
                    if (!d.empty() && text.find(d) == std::string::npos) text += (text.empty() ? "" : " ") + d;
                }
            }
        }
    }
    if (text.empty()) {
        ComPtr<IErrorInfo> info;
        if (GetErrorInfo(0, info.put()) == S_OK && info) {
            Bstr description;
            if (SUCCEEDED(info->GetDescription(description.put()))) text = Described(description.get());
        }
    }
    if (text.empty()) text = doing + " (" + DescribeHResult(hr) + ").";
    return text;
}

ColumnType TypeOf(DataTypeEnum type, ADO_LONGPTR definedSize) {
    switch (type) {
        case adTinyInt:
        case adSmallInt:
        case adInteger:
        case adBigInt:
        case adUnsignedTinyInt:
        case adUnsignedSmallInt:
        case adUnsignedInt:
        case adUnsignedBigInt: return {ColumnKind::Whole, 0};
        case adSingle:
        case adDouble:
        case adCurrency:
        case adDecimal:
        case adNumeric:
        case adVarNumeric: return {ColumnKind::Number, 0};
        case adDate:
        case adDBDate:
        case adDBTime:
        case adDBTimeStamp: return {ColumnKind::DateTime, 0};
        case adBoolean: return {ColumnKind::YesNo, 0};
        case adBSTR:
        case adChar:
        case adVarChar:
        case adWChar:
        case adVarWChar: return {ColumnKind::Text, definedSize > 0 ? static_cast<int>(definedSize) : 0};
        case adLongVarChar:
        case adLongVarWChar: return {ColumnKind::LongText, 0};
        default: return {ColumnKind::Text, 0};
    }
}

std::string VariantText(const VARIANT& v) {
    switch (v.vt) {
        case VT_EMPTY:
        case VT_NULL: return {};
        case VT_BSTR: return text::Narrow(v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : L"");
        case VT_BOOL: return forms::FormatYesNo(v.boolVal != VARIANT_FALSE);
        case VT_I1: return forms::FormatWhole(v.cVal);
        case VT_I2: return forms::FormatWhole(v.iVal);
        case VT_I4: return forms::FormatWhole(v.lVal);
        case VT_INT: return forms::FormatWhole(v.intVal);
        case VT_I8: return forms::FormatWhole(v.llVal);
        case VT_UI1: return forms::FormatWhole(v.bVal);
        case VT_UI2: return forms::FormatWhole(v.uiVal);
        case VT_UI4: return forms::FormatWhole(v.ulVal);
        case VT_UINT: return forms::FormatWhole(v.uintVal);
        case VT_UI8: return v.ullVal > 9223372036854775807ULL ? std::to_string(v.ullVal)
                                                              : forms::FormatWhole(static_cast<std::int64_t>(v.ullVal));
        case VT_R4: return forms::FormatSingle(v.fltVal);
        case VT_R8: return forms::FormatNumber(v.dblVal);
        case VT_DATE: return forms::FormatDateTime(FromOleDate(v.date));
        default: break;
    }
    // Currency, decimal and the rest: the platform's conversion with fixed, regional-
    // settings-free formatting.
    Variant text;
    if (SUCCEEDED(VariantChangeTypeEx(&text.v, const_cast<VARIANT*>(&v), LOCALE_INVARIANT, 0, VT_BSTR)) &&
        text.v.vt == VT_BSTR)
        return text::Narrow(std::wstring(text.v.bstrVal, SysStringLen(text.v.bstrVal)));
    return {};
}

class AdoConnection;

class AdoCursor final : public CursorEngine {
public:
    AdoCursor(_ADOConnection* connection, const std::string& sql) : connection_(connection) {
        HRESULT hr = CoCreateInstance(kClsidRecordset, nullptr, CLSCTX_INPROC_SERVER, kIidRecordset,
                                      reinterpret_cast<void**>(recordset_.put()));
        if (FAILED(hr) || !recordset_) throw Failure(FailureText(hr, nullptr, "The query could not be created"));
        // The data-access layer's client-side cursor: rows fetched at opening, rows added
        // through the query written at once.
        Check(recordset_->put_CursorLocation(adUseClient), "The query could not be set up");
        Variant source, active;
        source.v.vt = VT_BSTR;
        source.v.bstrVal = SysAllocString(text::Widen(sql).c_str());
        active.v.vt = VT_DISPATCH;
        active.v.pdispVal = connection;
        connection->AddRef();
        Check(recordset_->Open(source.v, active.v, adOpenStatic, adLockOptimistic, adCmdText),
              "The query could not be opened");

        ComPtr<ADOFields> fields;
        Check(recordset_->get_Fields(fields.put()), "The query's columns could not be read");
        long count = 0;
        Check(fields->get_Count(&count), "The query's columns could not be read");
        for (long i = 0; i < count; ++i) {
            VARIANT index;
            VariantInit(&index);
            index.vt = VT_I4;
            index.lVal = i;
            Column column;
            Check(fields->get_Item(index, column.field.put()), "The query's columns could not be read");
            Bstr name;
            DataTypeEnum type = adEmpty;
            ADO_LONGPTR size = 0;  // 8 bytes on 64-bit ADO
            long attributes = 0;
            column.field->get_Name(name.put());
            column.field->get_Type(&type);
            column.field->get_DefinedSize(&size);
            column.field->get_Attributes(&attributes);
            column.name = text::Narrow(name.str());
            column.type = TypeOf(type, size);
            column.adoType = type;
            column.updatable = (attributes & (adFldUpdatable | adFldUnknownUpdatable)) != 0 && !IsAutoNumber(column);
            columns_.push_back(std::move(column));
        }
    }

    ~AdoCursor() override {
        if (appending_) recordset_->CancelUpdate();
        LONG state = 0;
        if (SUCCEEDED(recordset_->get_State(&state)) && state != adStateClosed) recordset_->Close();
    }

    int FieldCount() const override { return static_cast<int>(columns_.size()); }
    const std::string& FieldName(int index) const override { return columns_[static_cast<size_t>(index)].name; }

    void First() override {
        if (!Empty()) Check(recordset_->MoveFirst(), "The query could not go to its first row");
    }

    void Next() override {
        if (!AtEnd()) Check(recordset_->MoveNext(), "The query could not go to its next row");
    }

    bool Eof() const override { return !appending_ && AtEnd(); }

    std::string AsString(int index) const override {
        Variant value;
        if (!Read(index, value)) return {};
        const Column& column = columns_[static_cast<size_t>(index)];
        if (column.type.kind == ColumnKind::DateTime && value.v.vt == VT_BSTR) {
            std::string raw = VariantText(value.v);
            if (auto parsed = forms::ParseDateTime(raw)) return forms::FormatDateTime(*parsed);
            throw Failure(msg::InvalidDateTime(raw, column.name));
        }
        return VariantText(value.v);
    }

    DateTime AsDateTime(int index) const override {
        Variant value;
        if (!Read(index, value) || value.v.vt == VT_NULL || value.v.vt == VT_EMPTY) return DateTime{};
        if (value.v.vt == VT_DATE) return FromOleDate(value.v.date);
        std::string raw = VariantText(value.v);
        if (value.v.vt == VT_BSTR) {
            if (auto parsed = forms::ParseDateTime(raw)) return *parsed;
        }
        throw Failure(msg::InvalidDateTime(raw, columns_[static_cast<size_t>(index)].name));
    }

    void Append() override {
        Check(recordset_->AddNew(Missing(), Missing()), "A row could not be added");
        appending_ = true;
    }

    bool Appending() const override { return appending_; }

    void SetString(int index, const std::string& value) override {
        const Column& column = columns_[static_cast<size_t>(index)];
        if (!column.updatable) throw Failure(msg::FieldReadOnly(column.name));
        Variant v;
        ToVariant(value, column, v.v);
        Check(column.field->put_Value(v.v), "The value could not be assigned");
    }

    void Post() override {
        Check(recordset_->Update(Missing(), Missing()), "The row could not be written");
        appending_ = false;
    }

    void Cancel() override {
        appending_ = false;
        recordset_->CancelUpdate();
    }

private:
    struct Column {
        ComPtr<ADOField> field;
        std::string name;
        ColumnType type;
        DataTypeEnum adoType = adEmpty;
        bool updatable = true;
    };

    static bool IsAutoNumber(const Column& column) {
        ComPtr<ADOProperties> properties;
        if (FAILED(column.field->get_Properties(properties.put())) || !properties) return false;
        Variant name;
        name.v.vt = VT_BSTR;
        name.v.bstrVal = SysAllocString(L"ISAUTOINCREMENT");
        ComPtr<ADOProperty> property;
        if (FAILED(properties->get_Item(name.v, property.put())) || !property) return false;
        Variant value;
        if (FAILED(property->get_Value(&value.v))) return false;
        return value.v.vt == VT_BOOL && value.v.boolVal != VARIANT_FALSE;
    }

    void Check(HRESULT hr, const char* doing) const {
        if (FAILED(hr)) throw Failure(FailureText(hr, connection_, doing));
    }

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

    // Reading a value past the last row brings ADO down on some platforms: look first.
    bool Read(int index, Variant& out) const {
        if (!appending_ && AtEnd()) return false;
        Check(columns_[static_cast<size_t>(index)].field->get_Value(&out.v), "The value could not be read");
        return true;
    }

    static void ToVariant(const std::string& value, const Column& column, VARIANT& out) {
        const ColumnKind kind = column.type.kind;
        if (value.empty() && kind != ColumnKind::Text) {
            out.vt = VT_NULL;
            return;
        }
        switch (kind) {
            case ColumnKind::Counter:
            case ColumnKind::Whole: {
                auto v = forms::ParseWhole(value);
                if (!v) throw Failure(msg::InvalidInteger(value, column.name));
                if (*v >= INT32_MIN && *v <= INT32_MAX) {
                    out.vt = VT_I4;
                    out.lVal = static_cast<LONG>(*v);
                } else {
                    out.vt = VT_I8;
                    out.llVal = *v;
                }
                return;
            }
            case ColumnKind::Number: {
                auto v = forms::ParseNumber(value);
                if (!v) throw Failure(msg::InvalidNumber(value, column.name));
                // Currency and decimal columns take the digits exactly as written.
                if (column.adoType == adCurrency || column.adoType == adDecimal || column.adoType == adNumeric ||
                    column.adoType == adVarNumeric) {
                    std::wstring digits = text::Widen(std::string(forms::Trim(value)));
                    if (SUCCEEDED(VarDecFromStr(digits.data(), LOCALE_INVARIANT, 0, &out.decVal))) {
                        out.vt = VT_DECIMAL;
                        return;
                    }
                }
                out.vt = VT_R8;
                out.dblVal = *v;
                return;
            }
            case ColumnKind::DateTime: {
                auto v = forms::ParseDateTime(value);
                if (!v) throw Failure(msg::InvalidDateTime(value, column.name));
                out.vt = VT_DATE;
                out.date = ToOleDate(*v);
                return;
            }
            case ColumnKind::YesNo: {
                auto v = forms::ParseYesNo(value);
                if (!v) throw Failure(msg::InvalidYesNo(value, column.name));
                out.vt = VT_BOOL;
                out.boolVal = *v ? VARIANT_TRUE : VARIANT_FALSE;
                return;
            }
            case ColumnKind::Text:
            case ColumnKind::LongText: break;
        }
        std::string cut = column.type.size > 0 && value.size() > static_cast<size_t>(column.type.size)
                              ? value.substr(0, static_cast<size_t>(column.type.size))
                              : value;
        std::wstring wide = text::Widen(cut);
        out.vt = VT_BSTR;
        out.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }

    _ADOConnection* connection_;
    ComPtr<_ADORecordset> recordset_;
    std::vector<Column> columns_;
    bool appending_ = false;
};

class AdoConnection final : public ConnectionEngine {
public:
    AdoConnection(IUnknown* object, const std::wstring& connectionText, ShareMode mode) {
        HRESULT hr = object ? object->QueryInterface(kIidConnection, reinterpret_cast<void**>(connection_.put()))
                            : E_POINTER;
        if (FAILED(hr) || !connection_) throw Failure(FailureText(hr, nullptr, "The connection object cannot be used"));
        if (mode != ShareMode::Default) {
            ConnectModeEnum adoMode = mode == ShareMode::Exclusive ? adModeShareExclusive : adModeShareDenyNone;
            Check(connection_->put_Mode(adoMode), "The share mode could not be set");
        }
        Bstr text(connectionText), none(L"");
        Check(connection_->put_ConnectionString(text.get()), "The connection text could not be set");
        std::wstring dataSource = DataSourceOf(connectionText);
        Check(connection_->Open(text.get(), none.get(), none.get(), adConnectUnspecified),
              dataSource.empty() ? std::string("The database could not be opened")
                                 : "The database '" + text::Narrow(dataSource) + "' could not be opened");
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
        Check(connection_->Execute(text.get(), &affected.v, options, rows.put()),
              "The statement could not be run");
    }

    std::unique_ptr<CursorEngine> OpenCursor(const std::string& sql) override {
        return std::make_unique<AdoCursor>(connection_.get(), sql);
    }

private:
    bool IsOpen() const {
        LONG state = adStateClosed;
        return SUCCEEDED(connection_->get_State(&state)) && (state & adStateOpen);
    }

    void Check(HRESULT hr, const std::string& doing) {
        if (FAILED(hr)) throw Failure(FailureText(hr, connection_.get(), doing));
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
