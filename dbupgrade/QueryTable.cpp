#include "dbupgrade/QueryTable.h"

#include <vector>

namespace qel::db {

namespace {

struct Token {
    enum Kind { Word, Quoted, Punct } kind;
    std::string text;  // unquoted for Quoted
};

bool IsWordChar(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
           c >= 0x80;
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Splits the statement into words, quoted names and punctuation; string literals and
// comments are skipped. False when a quote or comment is not closed.
bool Tokenize(std::string_view s, std::vector<Token>& out) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') { ++i; continue; }
        if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            while (i < s.size() && s[i] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            size_t end = s.find("*/", i + 2);
            if (end == std::string_view::npos) return false;
            i = end + 2;
            continue;
        }
        if (c == '"' || c == '`' || c == '[' || c == '\'') {
            char close = c == '[' ? ']' : static_cast<char>(c);
            std::string text;
            size_t j = i + 1;
            for (;; ++j) {
                if (j >= s.size()) return false;
                if (s[j] == close) {
                    if (close != ']' && j + 1 < s.size() && s[j + 1] == close) { text += close; ++j; continue; }
                    break;
                }
                text += s[j];
            }
            // A string literal is a value, not a name.
            out.push_back({c == '\'' ? Token::Punct : Token::Quoted, c == '\'' ? "'" : text});
            i = j + 1;
            continue;
        }
        if (IsWordChar(c)) {
            size_t j = i;
            while (j < s.size() && IsWordChar(static_cast<unsigned char>(s[j]))) ++j;
            out.push_back({Token::Word, std::string(s.substr(i, j - i))});
            i = j;
            continue;
        }
        out.push_back({Token::Punct, std::string(1, static_cast<char>(c))});
        ++i;
    }
    return true;
}

bool IsKeyword(const Token& t, const char* word) { return t.kind == Token::Word && Upper(t.text) == word; }

bool IsName(const Token& t) { return t.kind == Token::Quoted || t.kind == Token::Word; }

// The table of the query, and whether nothing follows it (or its alias).
std::optional<std::string> TableOf(std::string_view sql, bool& bare) {
    bare = false;
    std::vector<Token> tokens;
    if (!Tokenize(sql, tokens) || tokens.empty() || !IsKeyword(tokens[0], "SELECT")) return std::nullopt;
    while (!tokens.empty() && tokens.back().kind == Token::Punct && tokens.back().text == ";") tokens.pop_back();

    // FROM at the top level; DISTINCT rows belong to no single table row.
    size_t i = 1;
    int depth = 0;
    if (i < tokens.size() && IsKeyword(tokens[i], "DISTINCT")) return std::nullopt;
    for (; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::Punct && t.text == "(") ++depth;
        else if (t.kind == Token::Punct && t.text == ")") --depth;
        else if (depth == 0 && IsKeyword(t, "FROM")) break;
    }
    if (i >= tokens.size() || i + 1 >= tokens.size() || !IsName(tokens[i + 1])) return std::nullopt;
    ++i;
    std::string table = tokens[i].text;
    ++i;
    // "schema.table"
    if (i + 1 < tokens.size() && tokens[i].kind == Token::Punct && tokens[i].text == "." && IsName(tokens[i + 1])) {
        table = tokens[i + 1].text;
        i += 2;
    }
    auto endsClause = [](const Token& t) {
        for (const char* w : {"WHERE", "ORDER", "LIMIT"})
            if (IsKeyword(t, w)) return true;
        return false;
    };
    // Optional alias.
    if (i < tokens.size() && IsKeyword(tokens[i], "AS")) {
        if (i + 1 >= tokens.size() || !IsName(tokens[i + 1])) return std::nullopt;
        i += 2;
    } else if (i < tokens.size() && IsName(tokens[i]) && !endsClause(tokens[i]) &&
               !(tokens[i].kind == Token::Word &&
                 (IsKeyword(tokens[i], "JOIN") || IsKeyword(tokens[i], "INNER") || IsKeyword(tokens[i], "LEFT") ||
                  IsKeyword(tokens[i], "RIGHT") || IsKeyword(tokens[i], "CROSS") || IsKeyword(tokens[i], "NATURAL") ||
                  IsKeyword(tokens[i], "GROUP") || IsKeyword(tokens[i], "UNION")))) {
        ++i;
    }
    bare = i == tokens.size();
    if (bare) return table;
    if (!endsClause(tokens[i])) return std::nullopt;
    // The rest may not group or combine rows.
    depth = 0;
    for (; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::Punct && t.text == "(") ++depth;
        else if (t.kind == Token::Punct && t.text == ")") --depth;
        else if (depth == 0) {
            for (const char* w : {"GROUP", "UNION", "INTERSECT", "EXCEPT", "HAVING"})
                if (IsKeyword(t, w)) return std::nullopt;
        }
    }
    return table;
}

}  // namespace

std::optional<std::string> TableOfQuery(std::string_view sql) {
    bool bare;
    return TableOf(sql, bare);
}

std::optional<std::string> QueryWithoutRows(std::string_view sql) {
    bool bare;
    if (!TableOf(sql, bare) || !bare) return std::nullopt;
    size_t end = sql.size();
    while (end > 0 && std::string_view(" \t\r\n\f\v;").find(sql[end - 1]) != std::string_view::npos) --end;
    // On a line of its own, after a comment that may end the text.
    return std::string(sql.substr(0, end)) + "\nWHERE 1 = 0";
}

}  // namespace qel::db
