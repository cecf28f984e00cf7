// A value read as text and assigned back is the same value: checked over many generated
// values of every kind, carried row by row the way the data carry-over does it.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cmath>
#include <cstring>
#include <random>

#include "dbupgrade/Database.h"
#include "dbupgrade/TextForms.h"
#include "platform/Text.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/support/TempFolder.h"

namespace qel {
namespace {

const char* kColumns = "(CD LONG, NR_BYTE BYTE, NR_DOUBLE DOUBLE, VL_MOEDA CURRENCY, DT_INIC_VIGN DATETIME, "
                       "ID_ATIVO YESNO, DE_NOME TEXT(20), DE_OBS MEMO, DE_OUTRO GUID)";
constexpr int kColumnCount = 9;

// Windows-1252 letters, accents, symbols, quotes and blanks.
const std::string kAlphabet =
    "abcXYZ019 .,;:'\"-_/\\%&()[]{}\xC1\xC9\xCD\xD3\xDA\xC3\xD5\xC7\xE1\xE9\xED\xF3\xFA\xE3\xF5\xE7\xFC\xAA\xBA\x80\xA7\xB0";

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    bool Chance(int percent) { return Int(0, 99) < percent; }
    long long Int(long long lo, long long hi) { return std::uniform_int_distribution<long long>(lo, hi)(rng_); }

    std::int64_t Whole() {
        static const std::int64_t edges[] = {0, 1, -1, 2147483647LL, -2147483647LL - 1, INT64_MAX, INT64_MIN};
        if (Chance(20)) return edges[Int(0, 6)];
        return Chance(50) ? Int(-100000, 100000) : Int(INT64_MIN, INT64_MAX);
    }

    double Number() {
        switch (Int(0, 5)) {
            case 0: return static_cast<double>(Int(-1000000, 1000000)) / 100.0;       // fractional
            case 1: return std::ldexp(static_cast<double>(Int(1, 1LL << 52)), static_cast<int>(Int(-1074, 960)));
            case 2: return -std::ldexp(static_cast<double>(Int(1, 1LL << 52)), static_cast<int>(Int(-60, 60)));
            case 3: return static_cast<double>(Int(-(1LL << 53), 1LL << 53));          // large whole
            case 4: {
                // Any finite bit pattern.
                for (;;) {
                    std::uint64_t bits = static_cast<std::uint64_t>(Int(INT64_MIN, INT64_MAX));
                    double d;
                    std::memcpy(&d, &bits, sizeof d);
                    if (std::isfinite(d)) return d;
                }
            }
            default: return 1.0 / static_cast<double>(Int(1, 1000)) * (Chance(50) ? -1 : 1);
        }
    }

    db::DateTime Date() {
        // 1 January 1899 to 31 December 2100, to the second.
        for (;;) {
            db::DateTime d{static_cast<int>(Int(1899, 2100)), static_cast<int>(Int(1, 12)), static_cast<int>(Int(1, 31)),
                           static_cast<int>(Int(0, 23)), static_cast<int>(Int(0, 59)), static_cast<int>(Int(0, 59))};
            if (Chance(10)) d.hour = d.minute = d.second = 0;
            if (db::forms::IsValidDateTime(d)) return d;
        }
    }

    std::string Text(size_t maxLength) {
        size_t n = static_cast<size_t>(Int(0, static_cast<long long>(maxLength)));
        std::string s;
        for (size_t i = 0; i < n; ++i) s += kAlphabet[static_cast<size_t>(Int(0, static_cast<long long>(kAlphabet.size()) - 1))];
        return s;
    }

    std::string NumberLike() {
        static const char* samples[] = {"0012", "1e5", " 42 ", "-0", "3.14", "+7", "00", ".5"};
        return samples[Int(0, 7)];
    }

private:
    std::mt19937_64 rng_;
};

class Sqlite {
public:
    explicit Sqlite(const std::string& path) {
        sqlite3_open_v2(text::ToUtf8(path).c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~Sqlite() { sqlite3_close_v2(db_); }
    sqlite3* get() { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// Source rows stored by the engine's own C interface, as another program would.
void FillSource(const std::string& path, int rows, Generator& g) {
    Sqlite db(path);
    sqlite3_exec(db.get(), "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.get(), "INSERT INTO TB_ORIGEM VALUES (?,?,?,?,?,?,?,?,?)", -1, &s, nullptr),
              SQLITE_OK);
    for (int r = 0; r < rows; ++r) {
        auto text = [&](int i, const std::string& cp1252) {
            std::string utf8 = text::ToUtf8(cp1252);
            sqlite3_bind_text(s, i, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        };
        sqlite3_bind_int64(s, 1, r);
        for (int i = 2; i <= kColumnCount; ++i) sqlite3_bind_null(s, i);
        if (!g.Chance(10)) sqlite3_bind_int64(s, 2, g.Int(0, 255));
        if (!g.Chance(10)) sqlite3_bind_double(s, 3, g.Number());
        if (!g.Chance(10)) {
            if (g.Chance(50)) sqlite3_bind_int64(s, 4, g.Whole());
            else sqlite3_bind_double(s, 4, static_cast<double>(g.Int(-100000000, 100000000)) / 10000.0);
        }
        if (!g.Chance(10)) text(5, db::forms::FormatDateTime(g.Date()));
        if (!g.Chance(10)) sqlite3_bind_int64(s, 6, g.Int(0, 1));
        if (!g.Chance(10)) text(7, g.Text(20));
        if (!g.Chance(10)) text(8, g.Chance(30) ? g.NumberLike() : g.Text(300));
        if (!g.Chance(10)) text(9, g.Text(40));
        ASSERT_EQ(sqlite3_step(s), SQLITE_DONE) << sqlite3_errmsg(db.get());
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr);
}

// Copies every row, each column read as text and assigned from that text, one post per row.
void Carry(const std::string& fromPath, const std::string& fromTable, db::ShareMode fromMode, const std::string& toPath,
           const std::string& toTable) {
    db::Connection from, to;
    for (auto* c : {&from, &to}) c->SetLoginPrompt(false);
    from.SetShareMode(fromMode);
    from.SetConnectionString(test::FullText(fromPath));
    to.SetConnectionString(test::FullText(toPath));
    from.Connect();
    to.Connect();
    db::Query source(from), target(to);
    source.SetSql("SELECT * FROM " + fromTable + " ORDER BY CD");
    target.SetSql("SELECT * FROM " + toTable);
    source.Open();
    target.Open();
    for (source.First(); !source.Eof(); source.Next()) {
        target.Append();
        for (int i = 0; i < source.FieldCount(); ++i) {
            std::string name = source.FieldName(i);
            target.SetString(name, source.AsString(name));
        }
        target.Post();
    }
}

std::vector<std::vector<std::string>> Texts(const std::string& path, const std::string& table) {
    db::Connection c;
    c.SetConnectionString(test::FullText(path));
    db::Query q(c);
    q.SetSql("SELECT * FROM " + table + " ORDER BY CD");
    q.Open();
    std::vector<std::vector<std::string>> rows;
    for (; !q.Eof(); q.Next()) {
        std::vector<std::string> row;
        for (int i = 0; i < q.FieldCount(); ++i) row.push_back(q.AsString(q.FieldName(i)));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> Stored(const std::string& path, const std::string& table, const char* column) {
    return test::StoredValues(path, std::string("SELECT ") + column + " FROM " + table + " ORDER BY CD");
}

TEST(RoundTrip, EveryValueReadAsTextAndAssignedBackIsTheSameValue) {
    test::TempFolder folder{"qelrt"};
    const std::string installed = folder / "instalado.mdb", fresh = folder / "novo.mdb";
    test::CreateDatabase(installed, {std::string("CREATE TABLE TB_ORIGEM ") + kColumns});
    test::CreateDatabase(fresh, {std::string("CREATE TABLE TB_DESTINO ") + kColumns,
                                 std::string("CREATE TABLE TB_DE_NOVO ") + kColumns});
    Generator g(20070101);
    const int rows = 400;
    FillSource(installed, rows, g);

    Carry(installed, "TB_ORIGEM", db::ShareMode::Exclusive, fresh, "TB_DESTINO");
    Carry(fresh, "TB_DESTINO", db::ShareMode::DenyNone, fresh, "TB_DE_NOVO");

    auto source = Texts(installed, "TB_ORIGEM");
    auto carried = Texts(fresh, "TB_DESTINO");
    auto again = Texts(fresh, "TB_DE_NOVO");
    ASSERT_EQ(source.size(), static_cast<size_t>(rows));
    ASSERT_EQ(carried.size(), source.size());
    for (size_t r = 0; r < source.size(); ++r) {
        EXPECT_EQ(carried[r], source[r]) << "row " << r;
        EXPECT_EQ(again[r], source[r]) << "row " << r;
    }
    // Stored values are the same too. Number-like text that another program stored in a
    // column the engine turns such text into numbers for arrives with its digits kept as
    // bytes: same text, other storage; from there on it stays the same.
    for (const char* column : {"NR_BYTE", "NR_DOUBLE", "VL_MOEDA", "DT_INIC_VIGN", "ID_ATIVO"}) {
        EXPECT_EQ(Stored(fresh, "TB_DESTINO", column), Stored(installed, "TB_ORIGEM", column)) << column;
        EXPECT_EQ(Stored(fresh, "TB_DE_NOVO", column), Stored(installed, "TB_ORIGEM", column)) << column;
    }
    // An empty text column reads as empty text, and empty text is what it then gets.
    std::vector<std::string> names = Stored(installed, "TB_ORIGEM", "DE_NOME");
    for (std::string& v : names)
        if (v == "null") v = "text:";
    EXPECT_EQ(Stored(fresh, "TB_DESTINO", "DE_NOME"), names);
    EXPECT_EQ(Stored(fresh, "TB_DE_NOVO", "DE_NOME"), names);
    for (const char* column : {"DE_OBS", "DE_OUTRO"})
        EXPECT_EQ(Stored(fresh, "TB_DE_NOVO", column), Stored(fresh, "TB_DESTINO", column)) << column;
}

TEST(RoundTrip, AssignedTextsReadBackInTheirOwnFormAndTooLongTextsAreCut) {
    test::TempFolder folder{"qelrt"};
    const std::string path = folder / "novo.mdb";
    test::CreateDatabase(path, {std::string("CREATE TABLE TB_A ") + kColumns, std::string("CREATE TABLE TB_B ") + kColumns});
    Generator g(31122006);
    db::Connection c;
    c.SetConnectionString(test::FullText(path));
    db::Query a(c), b(c);
    a.SetSql("SELECT * FROM TB_A ORDER BY CD");
    b.SetSql("SELECT * FROM TB_B ORDER BY CD");
    a.Open();
    b.Open();
    const int rows = 250;
    std::vector<std::vector<std::string>> written;
    for (int r = 0; r < rows; ++r) {
        std::vector<std::string> values = {
            std::to_string(r),
            std::to_string(g.Int(0, 255)),
            db::forms::FormatNumber(g.Number()),
            g.Chance(50) ? db::forms::FormatWhole(g.Whole()) : db::forms::FormatNumber(g.Number()),
            db::forms::FormatDateTime(g.Date()),
            g.Chance(50) ? "True" : "False",
            g.Text(30),  // at, under and over the size of 20
            g.Chance(30) ? g.NumberLike() : g.Text(400),
            g.Text(60)};
        if (g.Chance(20)) values[static_cast<size_t>(g.Int(1, kColumnCount - 1))] = "";
        a.Append();
        for (int i = 0; i < kColumnCount; ++i) a.SetString(a.FieldName(i), values[static_cast<size_t>(i)]);
        a.Post();
        // Read back at once, then assigned to the second table.
        b.Append();
        std::vector<std::string> read;
        for (int i = 0; i < kColumnCount; ++i) {
            read.push_back(a.AsString(a.FieldName(i)));
            b.SetString(b.FieldName(i), read.back());
        }
        b.Post();
        values[6] = values[6].substr(0, 20);
        EXPECT_EQ(read, values) << "row " << r;
        written.push_back(values);
    }
    EXPECT_EQ(Texts(path, "TB_A"), written);
    EXPECT_EQ(Texts(path, "TB_B"), written);
    for (const char* column : {"NR_BYTE", "NR_DOUBLE", "VL_MOEDA", "DT_INIC_VIGN", "ID_ATIVO", "DE_NOME", "DE_OBS", "DE_OUTRO"})
        EXPECT_EQ(Stored(path, "TB_B", column), Stored(path, "TB_A", column)) << column;
}

}  // namespace
}  // namespace qel
