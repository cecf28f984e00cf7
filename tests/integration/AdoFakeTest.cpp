// The ADO engine, unchanged, against the fake ADO: the version check, the stamp, the
// data-access probe and a whole carry-over, with the calls they make in order, the
// references they leave, every kind of value and the messages of failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "dbupgrade/AdoEngine.h"
#include "dbupgrade/CarryOver.h"
#include "dbupgrade/ConnectionText.h"
#include "dbupgrade/OleDate.h"
#include "dbupgrade/VersionCheck.h"
#include "platform/Text.h"
#include "tests/integration/FakeAdo.h"
#include "tests/support/FailureOf.h"
#include "tests/support/ScriptedUi.h"
#include "engine/udmInstaladorQel.h"

namespace qel {
namespace {

using namespace test::ado;
using test::FailureOf;

const std::string kInstalado = "X:\\QEL\\QEL.mdb", kNovo = "X:\\TEMP\\InstQEL\\QEL.mdb";

std::string Full(const std::string& path) { return db::FullConnectionText(path); }
std::vector<std::string> Opening(const std::string& text, long mode) {
    return {"Connection.put_Mode(" + std::to_string(mode) + ")", "Connection.put_ConnectionString(" + text + ")",
            "Property.OLE DB Services=-2", "Errors.Clear", "Connection.Open('', '', '', -1)"};
}
std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
using test::Of;
// ADO's "Application uses a value of the wrong type for the current operation".
constexpr HRESULT kDataConversion = static_cast<HRESULT>(0x800A0D5D);

class FakeAdoRun : public testing::Test {
protected:
    FakeAdoRun() {
        estado.TargetDir = "X:\\QEL";
        estado.TempDir = "X:\\TEMP\\";
        estado.VersaoBanco = kVersaoBanco;
        estado.VersaoSistema = kVersaoSistema;
    }
    void TearDown() override {
        EXPECT_EQ(ado.world.live, 0) << "every reference the engine took is given back";
        EXPECT_EQ(ado.world.misuse, 0);
        EXPECT_TRUE(ado.world.open.empty()) << "no file stays open after its connection closed";
    }
    Database& File(const std::string& path) { return ado.world.files[text::Widen(path)]; }

    FakeAdo ado;
    WizardState estado;
    test::ScriptedUi ui;
};

TEST_F(FakeAdoRun, TheVersionCheckTheStampAndTheProbeMakeTheDocumentedCallsInOrder) {
    File(kInstalado)[L"TA_SISTEMA"] = {{{L"DE_VERSAO_BANCO", 202, 20}, {L"DE_VERSAO_SISTEMA", 202, 20}},
                                       {{test::Text(L"3.1.0"), test::Text(L"3.1.5")}}};
    EXPECT_EQ(ComparaVersaoBanco(estado), 1);
    AtualizaVersaoSistema(estado);
    using Calls = std::vector<std::string>;
    const Calls checkAndStamp =
        Opening(Full(kInstalado), 0) +
        Calls{"Recordset.put_CursorLocation(3)", "Errors.Clear",
              "Recordset.Open(SELECT DE_VERSAO_BANCO FROM TA_SISTEMA, 3, 3, 1)", "Recordset.Close", "Connection.Close"} +
        Opening(Full(kInstalado), 12) +
        Calls{"Errors.Clear", "Connection.Execute(UPDATE TA_SISTEMA SET DE_VERSAO_SISTEMA = '3.2.3', 129)",
              "Connection.Close"};
    EXPECT_EQ(ado.world.calls, checkAndStamp);
    EXPECT_TRUE(test::SameValue(File(kInstalado)[L"TA_SISTEMA"].rows[0][1].v, test::Text(L"3.2.3").v));

    // The probe: share-deny-none and the short text, untouched by switching pooling off.
    ado.world.calls.clear();
    {
        TdmInstalaQel dm;
        dm.ConfiguraConexao(kNovo);
        EXPECT_THROW(dm.adoInstalaQel().Connect(), Failure) << "nothing staged yet";
        File(kNovo);
        dm.adoInstalaQel().Connect();
        const db::AdoSettings settings = db::ReadAdoSettings(dm.adoInstalaQel().AdoObject());
        EXPECT_EQ(settings.connectionString, text::Widen(db::ShortConnectionText(kNovo)));
        EXPECT_EQ(settings.mode, 16);
        // Reconnected with the default share mode, the object does not keep the old one.
        dm.adoInstalaQel().Disconnect();
        dm.adoInstalaQel().SetShareMode(db::ShareMode::Default);
        dm.adoInstalaQel().Connect();
        EXPECT_EQ(db::ReadAdoSettings(dm.adoInstalaQel().AdoObject()).mode, 0);
    }
    const std::string probe = db::ShortConnectionText(kNovo);
    const Calls probing = Opening(probe, 16) + Opening(probe, 16) + Calls{"Connection.Close"} + Opening(probe, 0) +
                          Calls{"Connection.Close"};
    EXPECT_EQ(ado.world.calls, probing);
}

Column Rules(Column c, void (*set)(Column&)) {
    set(c);
    return c;
}

// Every kind of Access column, as ADO types them, and a value of each.
const std::vector<std::pair<Column, Var>> kKinds = {
    {{L"CD_REGISTRO", 3}, Of(VT_I4, [](VARIANT& v) { v.lVal = -2147483647 - 1; })},
    {{L"DE_NOME", 202, 60}, test::Text(L"Łódź ≤ 5 − 3 → μ 😀")},
    {{L"DE_OBS", 203}, test::Text(std::wstring(70000, L'ç') + L"\r\nfim")},
    {{L"DE_LINK", 203}, test::Text(L"QEL#http://qel.example/#")},
    {{L"CD_UF", 130, 2}, test::Text(L"SP")},
    {{L"NR_IDADE", 17}, Of(VT_UI1, [](VARIANT& v) { v.bVal = 200; })},
    {{L"NR_QTD", 2}, Of(VT_I2, [](VARIANT& v) { v.iVal = -12345; })},
    {{L"ID_REPLICA", 72, 16}, test::Text(L"{6F9619FF-8B86-D011-B42D-00C04FC964FF}")},
    {{L"VL_TAXA", 4}, Of(VT_R4, [](VARIANT& v) { v.fltVal = 0.1f; })},
    {{L"VL_TOTAL", 5}, Of(VT_R8, [](VARIANT& v) { v.dblVal = 1.0 / 3; })},
    {{L"VL_MOEDA", 6}, Of(VT_CY, [](VARIANT& v) { v.cyVal.int64 = -9223372036854775807LL; })},
    {Rules({L"VL_EXATO", 131}, [](Column& c) { c.precision = 28, c.scale = 9; }), Of(VT_DECIMAL, [](VARIANT& v) {
         VarDecFromI8(-123456789012345678LL, &v.decVal);
         v.decVal.scale = 9;
     })},
    {{L"ID_ATIVO", 11}, Of(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; })},
    {{L"DE_FOTO", 205}, test::ByteArray(std::string("\xFF\xD8\xFF\0\x01\x80\x7F", 7) + std::string(5000, '\0'))},
    {{L"DE_CHAVE", 204, 16}, test::ByteArray(std::string("\0\xFE\xFF\x80", 4))},
    {{L"ID_ORIGEM", 3, 0, true}, Of(VT_I4, [](VARIANT& v) { v.lVal = 77; })},
};

TEST_F(FakeAdoRun, AWholeCarryOverBringsEveryKindOfValueExactlyAndKeepsTheCutOffOnTheStoredValue) {
    // Dated rows: the last half second of 2006, the first instant of 2007, the last
    // instant before it, and none.
    const std::vector<Var> dates = {test::Date(db::ToOleDate({2006, 12, 31, 23, 59, 59}, 0.5)), test::Date(39083.0),
                                    test::Date(std::nextafter(39083.0, 0.0)), test::Null()};
    for (const char* name : kTabelasMigradas) {
        const bool dated = std::string(name) != "TB_OPERADORA";
        // The new table has a required column of its own, which takes its default.
        Table installed, fresh{{{L"ID", 3, 0, true}, Rules({L"DE_NOVA", 202, 10}, [](Column& c) {
                                    c.required = true, c.defaultValue = test::Text(L"nova");
                                })},
                               {}};
        if (dated) installed.columns.push_back({L"DT_INIC_VIGN", 7});
        for (const auto& [column, value] : kKinds) installed.columns.push_back(column);
        for (size_t r = 0; r < dates.size(); ++r) {
            std::vector<Var> row;
            if (dated) row.push_back(dates[r]);
            for (const auto& [column, value] : kKinds) row.push_back(r == 3 ? test::Null() : value);
            installed.rows.push_back(row);
        }
        // The new table: no AutoNumber of the installed one, its own first, columns reversed.
        for (auto c = installed.columns.rbegin(); c != installed.columns.rend(); ++c)
            fresh.columns.push_back(Rules(*c, [](Column& copy) { copy.autoNumber = false; }));
        File(kInstalado)[text::Widen(name)] = installed;
        File(kNovo)[text::Widen(name)] = fresh;
    }
    EXPECT_TRUE(MigraDados(estado, ui));
    for (const char* name : kTabelasMigradas) {
        SCOPED_TRACE(name);
        const Table& from = File(kInstalado)[text::Widen(name)];
        const Table& to = File(kNovo)[text::Widen(name)];
        const std::vector<size_t> carried = std::string(name) == "TB_OPERADORA" ? std::vector<size_t>{0, 1, 2, 3}
                                                                                : std::vector<size_t>{0, 2, 3};
        ASSERT_EQ(to.rows.size(), carried.size());
        for (size_t r = 0; r < carried.size(); ++r) {
            EXPECT_TRUE(test::SameValue(to.rows[r][1].v, test::Text(L"nova").v));
            for (size_t c = 0; c < from.columns.size(); ++c) {
                const size_t t = to.columns.size() - 1 - c;
                EXPECT_TRUE(test::SameValue(to.rows[r][t].v, from.rows[carried[r]][c].v))
                    << text::Narrow(from.columns[c].name) << " of row " << carried[r] + 1;
            }
        }
    }
    // Each open with pooling off and errors cleared; each row posted after clearing them.
    const auto& calls = ado.world.calls;
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 10),
              Opening(Full(kInstalado), 12) + Opening(Full(kNovo), 0));
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i] == "Recordset.Update" || calls[i].rfind("Recordset.Open", 0) == 0) {
            EXPECT_EQ(calls[i - 1], "Errors.Clear") << calls[i];
        }
    }

    // A second row the new column would change or refuses stops the carry-over, naming
    // where it is; the first row stays. A text longer than the new column is cut to it.
    auto decimal = [](const wchar_t* digits) {
        return Of(VT_DECIMAL,
                  [&](VARIANT& v) { VarDecFromStr(const_cast<wchar_t*>(digits), LOCALE_INVARIANT, 0, &v.decVal); });
    };
    const std::string row2 = " in row 2 of table 'TB_OPERADORA' cannot be carried";
    for (const char* name : kTabelasMigradas) File(kInstalado)[text::Widen(name)].rows.clear();
    struct Case {
        Column from, to;
        Var first, second;
        std::string failure;  // "" when it is carried
    };
    for (const Case& k : std::vector<Case>{
             {{L"DT_CADASTRO", 7}, {L"DT_CADASTRO", 7}, test::Date(1.5), test::Date(-0.25),
              "The value of field 'DT_CADASTRO'" + row2 +
                  " without change: no date-time text reads back as the stored value -0.25."},
             {{L"VL_TAXA", 5}, {L"VL_TAXA", 4}, Of(VT_R8, [](VARIANT& v) { v.dblVal = 0.5; }),
              Of(VT_R8, [](VARIANT& v) { v.dblVal = 1.0 / 3; }),
              "The value of field 'VL_TAXA'" + row2 +
                  " without change: '0.3333333333333333' has more digits than the column holds."},
             {Rules({L"VL_EXATO", 131}, [](Column& c) { c.precision = 28, c.scale = 4; }),
              Rules({L"VL_EXATO", 131}, [](Column& c) { c.precision = 10, c.scale = 2; }), decimal(L"1.5"),
              decimal(L"1.255"), "The value of field 'VL_EXATO'" + row2 +
                                     " without change: '1.255' has more digits than the column holds."},
             {{L"DE_NOME", 202, 60}, Rules({L"DE_NOME", 202, 60}, [](Column& c) { c.required = true; }),
              test::Text(L"a"), test::Null(),
              "Row 2 of table 'TB_OPERADORA' cannot be carried: The field 'TB_OPERADORA.DE_NOME' cannot contain a "
              "Null value because the Required property for this field is set to True.  Enter a value in this field."},
             {Rules({L"DE_NOME", 202, 60}, [](Column& c) { c.allowZeroLength = true; }), {L"DE_NOME", 202, 60},
              test::Text(L"a"), test::Text(L""),
              "Row 2 of table 'TB_OPERADORA' cannot be carried: Field 'TB_OPERADORA.DE_NOME' cannot be a zero-length "
              "string."},
             {{L"DE_NOME", 202, 60}, {L"DE_NOME", 202, 5}, test::Text(L"abc"), test::Text(L"abcdefgh"), ""},
         }) {
        SCOPED_TRACE(text::Narrow(k.to.name));
        File(kInstalado)[L"TB_OPERADORA"] = {{k.from}, {{k.first}, {k.second}}};
        ado.world.files[text::Widen(kNovo)] = {};
        for (const char* name : kTabelasMigradas) File(kNovo)[text::Widen(name)] = {{{L"ID", 3, 0, true}}, {}};
        File(kNovo)[L"TB_OPERADORA"] = {{k.to}, {}};
        test::ScriptedUi tela;
        std::vector<TextosEncurtados> encurtados;
        EXPECT_EQ(FailureOf([&] { MigraDados(estado, tela, nullptr, &encurtados); }),
                  k.failure.empty() ? "no failure" : k.failure);
        const auto& rows = File(kNovo)[L"TB_OPERADORA"].rows;
        ASSERT_EQ(rows.size(), k.failure.empty() ? 2u : 1u);
        Var first;  // of the new column's type
        VariantChangeTypeEx(&first.v, const_cast<VARIANT*>(&k.first.v), LOCALE_INVARIANT, 0, rows[0][0].v.vt);
        EXPECT_TRUE(test::SameValue(rows[0][0].v, first.v));
        if (k.failure.empty()) {
            EXPECT_TRUE(test::SameValue(rows[1][0].v, test::Text(L"abcde").v));
            ASSERT_EQ(encurtados.size(), 1u);
            EXPECT_EQ(encurtados[0].quantidade, 1);
            EXPECT_EQ(encurtados[0].maisLongo, 8u);
        }
    }
}

TEST_F(FakeAdoRun, AFailureIsToldByTheObjectThatFailedAndNeverByAnOlderProviderError) {
    db::Connection c;
    c.SetLoginPrompt(false);
    c.SetConnectionString(text::Widen(Full(kNovo)));
    EXPECT_EQ(FailureOf([&] { c.Connect(); }), "Could not find file '" + kNovo + "'.");
    File(kNovo)[L"TB_X"] = {{{L"ID", 3, 0, true}, {L"NR", 3}}, {}};
    // A provider that loaded and does not take the setting that keeps the file from
    // staying open after the connection closes: the connection does not open, and says why.
    ado.world.failures = {{"Properties.get_Item", static_cast<HRESULT>(0x800A0CC1), L"", false},
                          {"Property.put_Value", E_FAIL, L"The property cannot be set now."}};
    EXPECT_EQ(FailureOf([&] { c.Connect(); }), "Resource pooling could not be switched off for the database '" + kNovo +
                                                   "' (error 0x800A0CC1: no further description is available).");
    EXPECT_EQ(FailureOf([&] { c.Connect(); }), "The property cannot be set now.");
    EXPECT_FALSE(c.Connected());
    EXPECT_EQ(std::count_if(ado.world.calls.begin(), ado.world.calls.end(),
                            [](const std::string& call) { return call.rfind("Connection.Open", 0) == 0; }),
              1)
        << "only the first attempt, for a file that is not there";
    c.Connect();
    // A column that cannot tell whether it is an AutoNumber (the property missing or
    // unreadable) is not assigned to.
    File(kNovo)[L"TB_Y"] = {{{L"NR_A", 3}, {L"NR_B", 3}, {L"NR_C", 3}}, {}};
    {
        ado.world.failures = {{"Properties.get_Item", E_FAIL, L"Item cannot be found."},
                              {"Property.get_Value", E_FAIL, L"The property cannot be read."}};
        db::Query y(c);
        y.SetSql("SELECT * FROM TB_Y");
        y.Open();
        y.Append();
        EXPECT_EQ(FailureOf([&] { y.SetString("NR_A", "1"); }), "Field 'NR_A' cannot be modified");
        EXPECT_EQ(FailureOf([&] { y.SetString("NR_B", "2"); }), "Field 'NR_B' cannot be modified");
        y.SetString("NR_C", "3");
        y.Post();
    }
    db::Query q(c);
    q.SetSql("SELECT * FROM TB_X");
    q.Open();
    EXPECT_EQ(q.AsString("NR"), "") << "no current row: empty, not ADO's failure";
    q.Append();
    EXPECT_EQ(FailureOf([&] { q.SetString("ID", "5"); }), "Field 'ID' cannot be modified");
    // The provider refuses a value: its error, which stays in Errors. ADO's own failure
    // after it: ADO's error information, not the provider's older error.
    const std::string mismatch = "Data type mismatch in criteria expression.",
                      multiStep = "Multiple-step operation generated errors. Check each status value.";
    ado.world.failures = {{"Field.put_Value", E_FAIL, text::Widen(mismatch), true, true},
                          {"Field.put_Value", kDataConversion, text::Widen(multiStep), true, false}};
    EXPECT_EQ(FailureOf([&] { q.SetString("NR", "7"); }), mismatch);
    EXPECT_EQ(FailureOf([&] { q.SetString("NR", "7"); }), multiStep);
    q.SetString("NR", "7");
    // The provider refuses the row; then a failure that tells nothing is told by what was
    // done and its code, not by the errors of before.
    const std::string duplicate = "The changes you requested to the table were not successful because they would "
                                  "create duplicate values in the index, primary key, or relationship.";
    ado.world.failures = {{"Recordset.Update", E_FAIL, text::Widen(duplicate), true, true},
                          {"Recordset.Update", E_FAIL, L"", false, false}};
    EXPECT_EQ(FailureOf([&] { q.Post(); }), duplicate);
    EXPECT_EQ(FailureOf([&] { q.Post(); }), "The row could not be written (error 0x80004005: unspecified failure).");
    q.Post();
    EXPECT_EQ(File(kNovo)[L"TB_X"].rows.size(), 1u);
    EXPECT_EQ(q.AsString("ID"), "1");
}

}  // namespace
}  // namespace qel
