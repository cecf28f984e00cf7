// The database layer's pure logic: text forms of values, Jet column kinds, the data
// source of a connection text, the table of a query, automation dates and the wording
// of failures that come without a description.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "dbupgrade/DataSource.h"
#include "dbupgrade/EmbeddedValues.h"
#include "dbupgrade/EmptyTextRule.h"
#include "dbupgrade/HResultText.h"
#include "dbupgrade/JetColumnKind.h"
#include "dbupgrade/OleDate.h"
#include "dbupgrade/QueryTable.h"
#include "dbupgrade/TextForms.h"
#include "platform/Failure.h"

namespace qel::db {
namespace {

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return DateTime{y, mo, d, h, mi, s}; }

TEST(DateTimeForm, FormatsAndParsesTheStoredForm) {
    EXPECT_EQ(forms::FormatDateTime(At(2006, 12, 31, 23, 59, 59)), "2006-12-31 23:59:59");
    EXPECT_EQ(forms::FormatDateTime(DateTime{}), "1899-12-30 00:00:00");
    EXPECT_EQ(forms::FormatDateTime(At(100, 1, 1)), "0100-01-01 00:00:00");
    EXPECT_EQ(forms::ParseDateTime("2007-01-01 00:00:00"), At(2007, 1, 1));
    EXPECT_EQ(forms::ParseDateTime("2007-01-01"), At(2007, 1, 1));
    EXPECT_EQ(forms::ParseDateTime(" 2007-03-15T14:30 "), At(2007, 3, 15, 14, 30));
    EXPECT_EQ(forms::ParseDateTime("2007-03-15 14:30:05.750"), At(2007, 3, 15, 14, 30, 5));
    EXPECT_EQ(forms::ParseDateTime("10:20:30"), At(1899, 12, 30, 10, 20, 30));
    EXPECT_EQ(forms::ParseDateTime("2000-02-29 00:00:00"), At(2000, 2, 29));
}

TEST(DateTimeForm, RefusesTextThatIsNoDate) {
    for (const char* bad : {"", "banana", "2007-13-01", "2007-02-29", "1900-02-29", "2007-04-31", "2007-1-1",
                            "2007-01-01 24:00:00", "2007-01-01 10:60", "2007-01-01 10:00:61", "0099-12-31",
                            "2007-01-01x", "2007-01-01 10", "31/12/2006", "2007-01-01 10:00:00."})
        EXPECT_FALSE(forms::ParseDateTime(bad)) << bad;
}

TEST(WholeForm, TakesTheWholeSixtyFourBitRangeAndNothingElse) {
    EXPECT_EQ(forms::ParseWhole("0"), 0);
    EXPECT_EQ(forms::ParseWhole(" -42 "), -42);
    EXPECT_EQ(forms::ParseWhole("+7"), 7);
    EXPECT_EQ(forms::ParseWhole("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(forms::ParseWhole("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    for (const char* bad : {"", "-", "9223372036854775808", "-9223372036854775809", "1.0", "1e3", "12a", "0x10",
                            "1 2", "+-1", "--1"})
        EXPECT_FALSE(forms::ParseWhole(bad)) << bad;
    EXPECT_EQ(forms::FormatWhole(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(NumberForm, IsTheShortestTextThatReadsBackAsTheSameNumber) {
    EXPECT_EQ(forms::FormatNumber(0.1), "0.1");
    EXPECT_EQ(forms::FormatNumber(-2.5), "-2.5");
    EXPECT_EQ(forms::FormatNumber(3.0), "3");
    EXPECT_EQ(forms::FormatNumber(123456.789), "123456.789");
    EXPECT_EQ(forms::FormatNumber(1e-5), "0.00001");
    EXPECT_EQ(forms::FormatNumber(1.5e-7), "1.5e-07");
    EXPECT_EQ(forms::FormatNumber(1e20), "1e+20");
    EXPECT_EQ(forms::FormatSingle(0.1f), "0.1");
    for (double v : {0.1, 1.0 / 3, -1e300, 5e-324, 123456789.123456789, 2.2250738585072014e-308, 999999999999999.9,
                     -0.0, 1e15, 4503599627370497.0}) {
        auto back = forms::ParseNumber(forms::FormatNumber(v));
        ASSERT_TRUE(back) << forms::FormatNumber(v);
        EXPECT_EQ(std::memcmp(&*back, &v, sizeof v), 0) << forms::FormatNumber(v);
    }
}

TEST(NumberForm, ParsesDecimalsAndRefusesOtherText) {
    EXPECT_EQ(forms::ParseNumber(" 1.5 "), 1.5);
    EXPECT_EQ(forms::ParseNumber("+.5"), 0.5);
    EXPECT_EQ(forms::ParseNumber("-1E3"), -1000.0);
    EXPECT_EQ(forms::ParseNumber("inf"), std::numeric_limits<double>::infinity());
    for (const char* bad : {"", "1,5", "nan", "-nan", "1e999", "abc", "1.5.2", "0x1p3", "+-1", "1 000"})
        EXPECT_FALSE(forms::ParseNumber(bad)) << bad;
}

TEST(YesNoForm, UsesTheDataAccessLayersWords) {
    EXPECT_EQ(forms::FormatYesNo(true), "True");
    EXPECT_EQ(forms::FormatYesNo(false), "False");
    for (const char* yes : {"True", "true", "YES", "t", "Y", "1", "-1", " True "}) EXPECT_EQ(forms::ParseYesNo(yes), true);
    for (const char* no : {"False", "no", "F", "n", "0"}) EXPECT_EQ(forms::ParseYesNo(no), false);
    for (const char* bad : {"", "2", "sim", "verdadeiro", "Truee"}) EXPECT_FALSE(forms::ParseYesNo(bad)) << bad;
}

TEST(JetColumnKind, ComesFromTheDeclaredTypeNameIgnoringCase) {
    auto kind = [](const char* d) { return ColumnTypeFromDeclared(d).kind; };
    for (const char* d : {"COUNTER", "autoincrement", "Counter"}) EXPECT_EQ(kind(d), ColumnKind::Counter) << d;
    for (const char* d : {"BYTE", "short", "SMALLINT", "LONG", "int", "INTEGER"}) EXPECT_EQ(kind(d), ColumnKind::Whole) << d;
    for (const char* d : {"SINGLE", "DOUBLE", "float", "REAL", "CURRENCY", "MONEY", "DECIMAL(18,4)", "NUMERIC"})
        EXPECT_EQ(kind(d), ColumnKind::Number) << d;
    for (const char* d : {"DATETIME", "date", "TIME"}) EXPECT_EQ(kind(d), ColumnKind::DateTime) << d;
    for (const char* d : {"YESNO", "bit", "LOGICAL"}) EXPECT_EQ(kind(d), ColumnKind::YesNo) << d;
    for (const char* d : {"MEMO", "longtext"}) EXPECT_EQ(kind(d), ColumnKind::LongText) << d;
    for (const char* d : {"OLEOBJECT", "LongBinary", "BINARY(16)", "VARBINARY(8)", "IMAGE"})
        EXPECT_EQ(kind(d), ColumnKind::Binary) << d;
    for (const char* d : {"", "GUID", "BLOB", "INTEGERS"}) {
        EXPECT_EQ(kind(d), ColumnKind::Text) << d;
        EXPECT_EQ(ColumnTypeFromDeclared(d).size, 0) << d;
    }
}

TEST(JetColumnKind, TextSizesComeFromTheDeclarationOr255) {
    EXPECT_EQ(ColumnTypeFromDeclared("TEXT(50)").size, 50);
    EXPECT_EQ(ColumnTypeFromDeclared("text (10)").size, 10);
    EXPECT_EQ(ColumnTypeFromDeclared("VARCHAR(3)").size, 3);
    EXPECT_EQ(ColumnTypeFromDeclared("CHAR(1)").size, 1);
    EXPECT_EQ(ColumnTypeFromDeclared("TEXT").size, 255);
    EXPECT_EQ(ColumnTypeFromDeclared("VARCHAR").size, 255);
    EXPECT_EQ(ColumnTypeFromDeclared("NATIONAL CHARACTER VARYING(20)").size, 20);
    EXPECT_EQ(ColumnTypeFromDeclared("TEXT(50)").kind, ColumnKind::Text);
}

TEST(DataSource, IsTheTextAfterDataSourceUpToTheNextSemicolon) {
    EXPECT_EQ(DataSourceOf(L"Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=C:\\QEL\\QEL.mdb;"
                           L"Jet OLEDB:Database Password=\"\";Persist Security Info=False"),
              L"C:\\QEL\\QEL.mdb");
    EXPECT_EQ(DataSourceOf(L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\TEMP\\InstQEL\\qel.mdb"),
              L"C:\\TEMP\\InstQEL\\qel.mdb");
    EXPECT_EQ(DataSourceOf(L"data source = C:\\A B\\x.mdb ;"), L"C:\\A B\\x.mdb");
    EXPECT_EQ(DataSourceOf(L"Data Source=\"C:\\a;b\\x.mdb\";Mode=1"), L"C:\\a;b\\x.mdb");
    EXPECT_EQ(DataSourceOf(L"junk;Data Source=x.mdb"), L"x.mdb");
    EXPECT_EQ(DataSourceOf(L"Provider=Microsoft.Jet.OLEDB.4.0"), L"");
    EXPECT_EQ(DataSourceOf(L"Initial Data Source=x;Data Sourcex=y"), L"");
    EXPECT_EQ(DataSourceOf(L""), L"");
}

TEST(QueryTable, FindsTheOneTableASimpleSelectReads) {
    EXPECT_EQ(TableOfQuery("SELECT * FROM TB_OPERADORA"), "TB_OPERADORA");
    EXPECT_EQ(TableOfQuery("select a, b from [TB X] where a = 1 order by b;"), "TB X");
    EXPECT_EQ(TableOfQuery("SELECT \"a\" FROM \"t\"\"q\" AS z"), "t\"q");
    EXPECT_EQ(TableOfQuery("SELECT (SELECT 1 FROM other) FROM t1 t WHERE x IN (SELECT y FROM u)"), "t1");
    EXPECT_EQ(TableOfQuery("SELECT * FROM main.TA_SISTEMA"), "TA_SISTEMA");
    EXPECT_EQ(TableOfQuery("SELECT * -- FROM wrong\n FROM right_one"), "right_one");
    EXPECT_EQ(TableOfQuery("SELECT 'FROM x' FROM y"), "y");
    for (const char* none : {"SELECT 1", "SELECT * FROM a, b", "SELECT * FROM a JOIN b ON a.x=b.x",
                             "SELECT * FROM a INNER JOIN b ON 1", "SELECT x, count(*) FROM a GROUP BY x",
                             "SELECT DISTINCT x FROM a", "SELECT x FROM a UNION SELECT x FROM b",
                             "UPDATE a SET x = 1", "SELECT * FROM (SELECT 1)", "SELECT * FROM 'unterminated"}) {
        EXPECT_FALSE(TableOfQuery(none)) << none;
        EXPECT_FALSE(QueryWithoutRows(none)) << none;
    }
    // The same query without rows: only where nothing follows the table (or its alias).
    EXPECT_EQ(QueryWithoutRows("SELECT * FROM TB_OPERADORA"), "SELECT * FROM TB_OPERADORA\nWHERE 1 = 0");
    EXPECT_EQ(QueryWithoutRows("select a, b from [TB X] x ; \r\n"), "select a, b from [TB X] x\nWHERE 1 = 0");
    EXPECT_EQ(QueryWithoutRows("SELECT * FROM t -- the table"), "SELECT * FROM t -- the table\nWHERE 1 = 0");
    for (const char* more : {"SELECT * FROM t WHERE a = 1", "SELECT * FROM t ORDER BY a", "SELECT * FROM t LIMIT 3"})
        EXPECT_FALSE(QueryWithoutRows(more)) << more;
}

TEST(OleDate, CountsDaysFromTheZeroDateWithTheTimeAsFraction) {
    EXPECT_EQ(ToOleDate(DateTime{}), 0.0);
    EXPECT_EQ(ToOleDate(At(1900, 1, 1)), 2.0);
    EXPECT_EQ(ToOleDate(At(2007, 1, 1)), 39083.0);
    EXPECT_EQ(ToOleDate(At(1899, 12, 30, 12)), 0.5);
    EXPECT_EQ(ToOleDate(At(1899, 12, 29, 6)), -1.25);
    EXPECT_EQ(FromOleDate(-1.25), At(1899, 12, 29, 6));
    EXPECT_EQ(FromOleDate(-0.5), At(1899, 12, 30, 12));
    EXPECT_EQ(FromOleDate(39083.99999999), At(2007, 1, 1, 23, 59, 59));  // the second it lies in
    for (DateTime d : {At(100, 1, 1), At(1899, 12, 31, 23, 59, 59), At(1600, 2, 29, 1, 2, 3), At(2100, 12, 31, 23, 59, 59),
                       At(9999, 12, 31, 23, 59, 59), At(1899, 1, 1, 0, 0, 1)})
        EXPECT_EQ(FromOleDate(ToOleDate(d)), d) << forms::FormatDateTime(d);
}

TEST(HResultText, IsNeverEmptyAndNamesTheCode) {
    EXPECT_EQ(DescribeHResult(static_cast<HRESULT>(0x800401F3)),
              "error 0x800401F3: the data provider named in the connection text is not installed");
    std::string system = DescribeHResult(E_ACCESSDENIED);
    EXPECT_EQ(system.rfind("error 0x80070005: ", 0), 0u) << system;
    EXPECT_GT(system.size(), std::strlen("error 0x80070005: ")) << system;
    std::string unknown = DescribeHResult(static_cast<HRESULT>(0xA0001234));
    EXPECT_EQ(unknown.rfind("error 0xA0001234: ", 0), 0u);
    EXPECT_GT(unknown.size(), std::strlen("error 0xA0001234: "));
}

ColumnForm Column(const char* declared, const char* name = "C") {
    return ColumnForm{name, ColumnTypeFromDeclared(declared), HasNumericAffinity(declared)};
}

TEST(EmbeddedValues, NothingEmptiesEveryColumnAndTheColumnsRulesRefuseWhatTheyMust) {
    for (const char* d : {"LONG", "DOUBLE", "DATETIME", "YESNO", "MEMO", "LONGTEXT", "LONGBINARY", "TEXT(10)", "GUID"})
        EXPECT_EQ(TextToCell(std::nullopt, Column(d)).index(), 0u) << d;
    // An empty text is kept where the column has one: a zero-length text, memo or binary value.
    EXPECT_EQ(TextToCell("", Column("TEXT(10)")), Cell(std::string()));
    EXPECT_EQ(TextToCell("", Column("MEMO")), Cell(std::string()));
    EXPECT_EQ(TextToCell("", Column("LONGBINARY")), Cell(Bytes{}));
    EXPECT_EQ(TextToCell("", Column("LONG")).index(), 0u);
    // Required (NOT NULL) refuses nothing, also an empty text that empties its kind; a
    // column that must not be empty refuses an empty text and takes nothing.
    ColumnForm required = Column("LONG", "NR");
    required.required = true;
    ColumnForm notEmpty = Column("TEXT(10)", "DE");
    notEmpty.emptyTextAllowed = false;
    auto refusal = [](const Value& v, const ColumnForm& c) {
        try {
            TextToCell(v, c);
        } catch (const RefusedValue& f) {
            return f.Detail();
        }
        return std::string("taken");
    };
    EXPECT_EQ(refusal(std::nullopt, required), "the column requires a value");
    EXPECT_EQ(refusal("", required), "the column requires a value");
    EXPECT_EQ(refusal("7", required), "taken");
    EXPECT_EQ(refusal("", notEmpty), "the column does not take an empty text");
    EXPECT_EQ(refusal(std::nullopt, notEmpty), "taken");
    EXPECT_EQ(refusal(" ", notEmpty), "taken");
}

TEST(EmptyTextRule, IsACheckWhoseWholeConditionKeepsOneColumnFromBeingEmpty) {
    EXPECT_EQ(ColumnsRefusingEmptyText(
                  "CREATE TABLE T (A TEXT(10) CHECK (A <> ''), \"B C\" TEXT CHECK(\"B C\"!=''), D TEXT, "
                  "E MEMO CONSTRAINT ce check ( length ( [E] ) > 0 ), F TEXT(5) CHECK ('' <> `F`), "
                  "G TEXT CHECK (G <> '' OR G IS NULL), H TEXT CHECK (H <> 'x'), I LONG CHECK (I > 0), "
                  "J TEXT DEFAULT 'CHECK (D <> '''')', -- CHECK (D <> '')\n K TEXT, CHECK (K <> ''))"),
              (std::vector<std::string>{"A", "B C", "E", "F", "K"}));
    EXPECT_TRUE(ColumnsRefusingEmptyText("CREATE TABLE T (A TEXT(10) NOT NULL, B TEXT CHECK (").empty());
}

TEST(EmbeddedValues, NumberLikeTextKeepsItsDigitsInColumnsThatWouldTurnItIntoANumber) {
    // A MEMO column has the engine's numeric affinity: "0012" must not become 12.
    EXPECT_EQ(TextToCell("0012", Column("MEMO")), Cell(Bytes{"0012"}));
    EXPECT_EQ(CellToText(Bytes{"0012"}, Column("MEMO")), "0012");
    EXPECT_EQ(TextToCell("Rua 12", Column("MEMO")), Cell(std::string("Rua 12")));
    EXPECT_EQ(TextToCell("0012", Column("TEXT(10)")), Cell(std::string("0012")));
    EXPECT_FALSE(HasNumericAffinity("TEXT(10)"));
    EXPECT_FALSE(HasNumericAffinity("VARCHAR(3)"));
    EXPECT_FALSE(HasNumericAffinity("LONGTEXT"));
    EXPECT_TRUE(HasNumericAffinity("MEMO"));
    EXPECT_TRUE(HasNumericAffinity("LONG"));
}

TEST(EmbeddedValues, NumbersKeepWholeValuesExactAndTheSignOfZero) {
    EXPECT_EQ(TextToCell("9007199254740993", Column("CURRENCY")), Cell(std::int64_t{9007199254740993}));
    EXPECT_EQ(TextToCell("1.5", Column("DOUBLE")), Cell(1.5));
    Cell negativeZero = TextToCell("-0", Column("DOUBLE"));
    ASSERT_EQ(negativeZero.index(), 2u);
    EXPECT_TRUE(std::signbit(std::get<double>(negativeZero)));
    EXPECT_EQ(TextToCell(" 7 ", Column("LONG")), Cell(std::int64_t{7}));
}

TEST(EmbeddedValues, StoredValuesOutsideTheirKindFailWithTheKindsMessage) {
    auto message = [](const Cell& cell, const char* declared) {
        try {
            CellToText(cell, Column(declared, "X"));
        } catch (const Failure& f) {
            return std::string(f.what());
        }
        return std::string("no failure");
    };
    EXPECT_EQ(message(std::string("abc"), "LONG"), "'abc' is not a valid integer value for field 'X'");
    EXPECT_EQ(message(1.5, "LONG"), "'1.5' is not a valid integer value for field 'X'");
    EXPECT_EQ(message(std::string("abc"), "DOUBLE"), "'abc' is not a valid floating point value for field 'X'");
    EXPECT_EQ(message(std::string("banana"), "DATETIME"), "'banana' is not a valid date and time value for field 'X'");
    EXPECT_EQ(message(std::int64_t{39083}, "DATETIME"), "'39083' is not a valid date and time value for field 'X'");
    EXPECT_EQ(message(std::string("talvez"), "YESNO"), "'talvez' is not a valid boolean value for field 'X'");
    EXPECT_EQ(CellToText(3.0, Column("LONG")), "3");
    EXPECT_EQ(CellToText(std::int64_t{-1}, Column("YESNO")), "True");
    EXPECT_EQ(CellToText(std::string("2007-01-01"), Column("DATETIME")), "2007-01-01 00:00:00");
}

}  // namespace
}  // namespace qel::db
