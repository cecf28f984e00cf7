#include "dbupgrade/JetColumnKind.h"

#include <string>

namespace qel::db {

namespace {

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The size in "NAME(n)" or "NAME (n, m)"; 0 when there is none.
int SizeOf(std::string_view s) {
    size_t open = s.find('(');
    if (open == std::string_view::npos) return 0;
    size_t i = open + 1;
    while (i < s.size() && s[i] == ' ') ++i;
    long long n = 0;
    size_t start = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && n < 1000000000) n = n * 10 + (s[i++] - '0');
    return i == start ? 0 : static_cast<int>(n);
}

}  // namespace

ColumnType ColumnTypeFromDeclared(std::string_view declared) {
    std::string upper = UpperAscii(declared);
    // The first word names the type; "NATIONAL CHAR(10)" is a CHAR.
    size_t pos = 0;
    auto nextWord = [&]() {
        while (pos < upper.size() && !IsWordChar(upper[pos])) {
            if (upper[pos] == '(') return std::string();
            ++pos;
        }
        size_t start = pos;
        while (pos < upper.size() && IsWordChar(upper[pos])) ++pos;
        return upper.substr(start, pos - start);
    };
    std::string name = nextWord();
    if (name == "NATIONAL") name = nextWord();

    auto is = [&](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (name == n) return true;
        return false;
    };
    if (is({"COUNTER", "AUTOINCREMENT", "IDENTITY"})) return {ColumnKind::Counter, 0};
    if (is({"BYTE", "SHORT", "SMALLINT", "LONG", "INT", "INTEGER", "TINYINT", "INTEGER1", "INTEGER2",
            "INTEGER4"}))
        return {ColumnKind::Whole, 0};
    if (is({"SINGLE", "DOUBLE", "FLOAT", "REAL", "CURRENCY", "MONEY", "DECIMAL", "NUMERIC", "NUMBER",
            "FLOAT4", "FLOAT8", "IEEESINGLE", "IEEEDOUBLE", "DEC"}))
        return {ColumnKind::Number, 0};
    if (is({"DATETIME", "DATE", "TIME", "TIMESTAMP"})) return {ColumnKind::DateTime, 0};
    if (is({"YESNO", "BIT", "LOGICAL", "LOGICAL1", "BOOLEAN"})) return {ColumnKind::YesNo, 0};
    if (is({"TEXT", "VARCHAR", "CHAR", "CHARACTER", "NCHAR", "NVARCHAR", "STRING", "ALPHANUMERIC"})) {
        int size = SizeOf(std::string_view(upper).substr(pos));
        return {ColumnKind::Text, size > 0 ? size : 255};
    }
    if (is({"MEMO", "LONGTEXT", "LONGCHAR", "NOTE", "NTEXT"})) return {ColumnKind::LongText, 0};
    if (is({"OLEOBJECT", "LONGBINARY", "GENERAL", "BINARY", "VARBINARY", "IMAGE"})) return {ColumnKind::Binary, 0};
    return {ColumnKind::Text, 0};
}

}  // namespace qel::db
