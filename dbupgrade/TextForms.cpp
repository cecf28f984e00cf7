#include "dbupgrade/TextForms.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace qel::db::forms {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Exactly n digits at pos; advances pos.
std::optional<int> Digits(std::string_view s, size_t& pos, size_t n) {
    if (pos + n > s.size()) return std::nullopt;
    int v = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = s[pos + i];
        if (!IsDigit(c)) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    pos += n;
    return v;
}

bool Expect(std::string_view s, size_t& pos, char c) {
    if (pos < s.size() && s[pos] == c) { ++pos; return true; }
    return false;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// "HH:MM[:SS[.fff]]" from pos to the end.
bool ParseTime(std::string_view s, size_t& pos, DateTime& out, std::string* fraction) {
    auto h = Digits(s, pos, 2);
    if (!h || !Expect(s, pos, ':')) return false;
    auto mi = Digits(s, pos, 2);
    if (!mi) return false;
    int sec = 0;
    if (Expect(s, pos, ':')) {
        auto se = Digits(s, pos, 2);
        if (!se) return false;
        sec = *se;
        if (Expect(s, pos, '.')) {
            size_t start = pos;
            while (pos < s.size() && IsDigit(s[pos])) ++pos;
            if (pos == start) return false;
            if (fraction) fraction->assign(s.substr(start, pos - start));
        }
    }
    out.hour = *h;
    out.minute = *mi;
    out.second = sec;
    return pos == s.size();
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsValidDateTime(const DateTime& v) {
    return v.year >= 100 && v.year <= 9999 && v.month >= 1 && v.month <= 12 && v.day >= 1 &&
           v.day <= DaysInMonth(v.year, v.month) && v.hour >= 0 && v.hour <= 23 && v.minute >= 0 &&
           v.minute <= 59 && v.second >= 0 && v.second <= 59;
}

namespace {

// The fraction of a second after the seconds, without trailing zeros.
std::string WithFraction(std::string text, std::string_view fractionDigits) {
    while (!fractionDigits.empty() && fractionDigits.back() == '0') fractionDigits.remove_suffix(1);
    if (!fractionDigits.empty()) text.append(".").append(fractionDigits);
    return text;
}

}  // namespace

std::string FormatDateTime(const DateTime& v, std::string_view fractionDigits) {
    // The carry-over formats every date it moves twice: the digits are written directly
    // when each field fits its width, at a small part of the cost of a formatted print.
    auto fits = [](int x, int limit) { return x >= 0 && x < limit; };
    if (fits(v.year, 10000) && fits(v.month, 100) && fits(v.day, 100) && fits(v.hour, 100) && fits(v.minute, 100) &&
        fits(v.second, 100)) {
        char out[] = "0000-00-00 00:00:00";
        auto put = [&out](int end, int x) {
            for (int at = end; x > 0; --at, x /= 10) out[at] = static_cast<char>('0' + x % 10);
        };
        put(3, v.year);
        put(6, v.month);
        put(9, v.day);
        put(12, v.hour);
        put(15, v.minute);
        put(18, v.second);
        return WithFraction(std::string(out, sizeof out - 1), fractionDigits);
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", v.year, v.month, v.day, v.hour, v.minute,
                  v.second);
    return WithFraction(buf, fractionDigits);
}

std::optional<DateTime> ParseDateTime(std::string_view text, std::string* fraction) {
    if (fraction) fraction->clear();
    std::string_view s = Trim(text);
    DateTime out;
    size_t pos = 0;
    if (s.size() >= 3 && s[2] == ':') {  // a time alone lies on the zero date
        if (!ParseTime(s, pos, out, fraction)) return std::nullopt;
    } else {
        auto y = Digits(s, pos, 4);
        if (!y || !Expect(s, pos, '-')) return std::nullopt;
        auto m = Digits(s, pos, 2);
        if (!m || !Expect(s, pos, '-')) return std::nullopt;
        auto d = Digits(s, pos, 2);
        if (!d) return std::nullopt;
        out.year = *y;
        out.month = *m;
        out.day = *d;
        out.hour = out.minute = out.second = 0;
        if (pos < s.size()) {
            if (s[pos] != ' ' && s[pos] != 'T') return std::nullopt;
            ++pos;
            if (!ParseTime(s, pos, out, fraction)) return std::nullopt;
        }
    }
    if (!IsValidDateTime(out)) return std::nullopt;
    return out;
}

std::string FormatWhole(std::int64_t value) { return std::to_string(value); }

std::optional<std::int64_t> ParseWhole(std::string_view text) {
    std::string_view s = Trim(text);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || !IsDigit(s[0])) return std::nullopt;
    // Read the magnitude as unsigned so that the most negative value fits.
    std::uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    constexpr std::uint64_t kMaxPositive = 9223372036854775807ULL;
    if (negative) {
        if (magnitude > kMaxPositive + 1) return std::nullopt;
        return magnitude == kMaxPositive + 1 ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
    }
    if (magnitude > kMaxPositive) return std::nullopt;
    return static_cast<std::int64_t>(magnitude);
}

std::string FormatNumber(double value) {
    char buf[400];
    double magnitude = std::fabs(value);
    bool plain = value == 0 || (magnitude >= 1e-5 && magnitude < 1e15);
    auto result = plain ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                        : std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

std::string FormatSingle(float value) {
    char buf[100];
    float magnitude = std::fabs(value);
    bool plain = value == 0 || (magnitude >= 1e-5f && magnitude < 1e15f);
    auto result = plain ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                        : std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

namespace {

template <class Real>
std::optional<Real> ParseReal(std::string_view text) {
    std::string_view s = Trim(text);
    bool negative = false;
    if (!s.empty() && s[0] == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s[0] == '-') return std::nullopt;  // "+-1"
    } else if (!s.empty() && s[0] == '-') {
        negative = true;
        s.remove_prefix(1);
    }
    if (s.empty() || s[0] == '+' || s[0] == '-') return std::nullopt;
    // from_chars takes "nan" and "infinity" too; a number column holds no "not a number".
    if (s.size() >= 3 && EqualsIgnoringCase(s.substr(0, 3), "nan")) return std::nullopt;
    Real value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return negative ? -value : value;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) { return ParseReal<double>(text); }
std::optional<float> ParseSingle(std::string_view text) { return ParseReal<float>(text); }

std::optional<Decimal> ParseDecimal(std::string_view text) {
    std::string_view s = Trim(text);
    Decimal d;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        d.negative = s[0] == '-';
        s.remove_prefix(1);
    }
    std::string all;  // the digits of the mantissa, point left out
    long point = -1;
    size_t i = 0;
    for (; i < s.size() && (IsDigit(s[i]) || (s[i] == '.' && point < 0)); ++i) {
        if (s[i] == '.') point = static_cast<long>(all.size());
        else all += s[i];
    }
    if (all.empty()) return std::nullopt;
    if (point < 0) point = static_cast<long>(all.size());
    long exponent = 0;
    if (i < s.size()) {
        std::string_view tail = s.substr(i + 1);
        if ((s[i] != 'e' && s[i] != 'E') || tail.find_first_not_of("+-0123456789") != std::string_view::npos)
            return std::nullopt;
        auto e = ParseWhole(tail);
        if (!e || *e < -100000 || *e > 100000) return std::nullopt;
        exponent = static_cast<long>(*e);
    }
    const size_t first = all.find_first_not_of('0');
    if (first == std::string::npos) return d;  // zero
    d.digits = all.substr(first, all.find_last_not_of('0') + 1 - first);
    d.power = point - static_cast<long>(first) + exponent;
    return d;
}

bool SameNumber(std::string_view text, std::string_view form) { return ParseDecimal(text) == ParseDecimal(form); }

std::string FormatYesNo(bool value) { return value ? "True" : "False"; }

std::optional<bool> ParseYesNo(std::string_view text) {
    std::string_view s = Trim(text);
    for (const char* word : {"true", "yes", "t", "y", "1", "-1"})
        if (EqualsIgnoringCase(s, word)) return true;
    for (const char* word : {"false", "no", "f", "n", "0"})
        if (EqualsIgnoringCase(s, word)) return false;
    return std::nullopt;
}

}  // namespace qel::db::forms
