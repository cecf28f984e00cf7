#include "dbupgrade/EmptyTextRule.h"

#include <optional>

#include "dbupgrade/TextForms.h"

namespace qel::db {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsQuote(char c) { return c == '\'' || c == '"' || c == '`' || c == '['; }
bool IsWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// From the opening quote at `at`, the position after its closing one (a doubled quote
// stands for itself); the end of the text when it is never closed.
size_t AfterQuoted(std::string_view s, size_t at) {
    const char close = s[at] == '[' ? ']' : s[at];
    for (size_t i = at + 1; i < s.size(); ++i) {
        if (s[i] != close) continue;
        if (close != ']' && i + 1 < s.size() && s[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return s.size();
}

// A column name at pos, quoted or bare, unquoted; pos moves past it.
std::optional<std::string> NameAt(std::string_view s, size_t& pos) {
    if (pos >= s.size()) return std::nullopt;
    if (s[pos] == '"' || s[pos] == '`' || s[pos] == '[') {
        const size_t end = AfterQuoted(s, pos);
        if (end > s.size() || end - pos < 3) return std::nullopt;
        const char close = s[end - 1];
        std::string name;
        for (size_t i = pos + 1; i + 1 < end; ++i) {
            name += s[i];
            if (s[i] == close && close != ']') ++i;
        }
        pos = end;
        return name;
    }
    const size_t start = pos;
    while (pos < s.size() && IsWordChar(s[pos])) ++pos;
    if (pos == start || (s[start] >= '0' && s[start] <= '9')) return std::nullopt;
    return std::string(s.substr(start, pos - start));
}

// The column a condition (blanks outside quotes already dropped) keeps from being empty.
std::optional<std::string> NonEmptyColumn(std::string_view c) {
    size_t pos = 0;
    if (auto name = NameAt(c, pos); name && (c.substr(pos) == "<>''" || c.substr(pos) == "!=''")) return name;
    if (c.substr(0, 4) == "''<>" || c.substr(0, 4) == "''!=") {
        pos = 4;
        if (auto name = NameAt(c, pos); name && pos == c.size()) return name;
    }
    if (forms::EqualsIgnoringCase(c.substr(0, 6), "LENGTH") && c.substr(6, 1) == "(") {
        pos = 7;
        if (auto name = NameAt(c, pos); name && c.substr(pos) == ")>0") return name;
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> ColumnsRefusingEmptyText(std::string_view sql) {
    std::vector<std::string> columns;
    size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (IsQuote(c)) {
            i = AfterQuoted(sql, i);
        } else if (c == '-' && sql.substr(i, 2) == "--") {
            i = sql.find('\n', i);
        } else if (c == '/' && sql.substr(i, 2) == "/*") {
            i = sql.find("*/", i + 2);
            if (i != std::string_view::npos) i += 2;
        } else if (IsWordChar(c)) {
            const size_t start = i;
            while (i < sql.size() && IsWordChar(sql[i])) ++i;
            if (!forms::EqualsIgnoringCase(sql.substr(start, i - start), "CHECK")) continue;
            while (i < sql.size() && IsBlank(sql[i])) ++i;
            if (i >= sql.size() || sql[i] != '(') continue;
            // The condition up to the matching parenthesis, without the blanks between words.
            std::string condition;
            int depth = 1;
            for (++i; i < sql.size();) {
                const char d = sql[i];
                if (IsQuote(d)) {
                    const size_t end = AfterQuoted(sql, i);
                    condition.append(sql.substr(i, end - i));
                    i = end;
                    continue;
                }
                ++i;
                if (d == '(') ++depth;
                if (d == ')' && --depth == 0) break;
                if (!IsBlank(d)) condition += d;
            }
            if (auto name = NonEmptyColumn(condition)) columns.push_back(*name);
        } else {
            ++i;
        }
    }
    return columns;
}

}  // namespace qel::db
