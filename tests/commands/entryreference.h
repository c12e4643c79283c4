#pragma once
// A deliberately slow and plain second reading of entry-box numbers, to cross-check
// readEntryNumber: on exact fractions in 128-bit integers, which is why it judges short texts
// only. Blanks are dropped first, then the text is read as written.
#include <optional>
#include <string>
#include <string_view>

namespace entryreference {

__extension__ typedef __int128 Int;

struct Verdict {
    enum Kind { Value, OutOfRange, CannotJudge };
    Kind kind = CannotJudge;
    int value = 0;
    std::optional<int> reading() const {
        return kind == Value ? std::optional(value) : std::nullopt;
    }
};

inline Verdict fromInteger(Int v) {
    return v < -32768 || v > 32767 ? Verdict{Verdict::OutOfRange} : Verdict{Verdict::Value, int(v)};
}

inline Verdict judge(std::string_view text) {
    // With this many bytes every numerator, denominator and exponent below fits in Int.
    if (text.size() > 24)
        return {};
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            s += c;
    s += '\0';
    std::size_t i = 0;
    const auto digit = [&](int base) {
        const auto at = std::string_view("0123456789abcdef0123456789ABCDEF").find(s[i]);
        return at != std::string_view::npos && int(at % 16) < base ? int(at % 16) : -1;
    };
    const auto accept = [&](std::string_view chars) {
        return chars.find(s[i]) != std::string_view::npos ? (++i, true) : false;
    };

    if (accept("&")) {
        const int base = accept("Hh") ? 16 : accept("Oo") ? 8 : 0;
        Int v = 0;
        for (; base && digit(base) >= 0; ++i)
            v = v * base + digit(base);
        return fromInteger(v);
    }
    const bool negative = s[i] == '-';
    accept("+-");
    // The mantissa as num / den.
    Int num = 0, den = 1;
    for (bool point = false; digit(10) >= 0 || (!point && s[i] == '.'); ++i) {
        if (s[i] == '.')
            point = true;
        else
            num = num * 10 + digit(10), den *= point ? 10 : 1;
    }
    if (num == 0)
        return {Verdict::Value, 0};
    Int exponent = 0;
    bool negativeExponent = false;
    if (accept("EeDd")) {
        negativeExponent = s[i] == '-';
        accept("+-");
        for (; digit(10) >= 0; ++i)
            exponent = exponent * 10 + digit(10);
    }
    // A power of ten at a time, stopping once the outcome is settled, so nothing overflows.
    for (Int k = 0; k < exponent; ++k) {
        if (negativeExponent && 2 * num < den)
            return {Verdict::Value, 0};
        if (!negativeExponent && num > 40000 * den)
            return {Verdict::OutOfRange};
        (negativeExponent ? den : num) *= 10;
    }
    // The nearest integer, an exact half going to the even neighbour.
    Int q = num / den;
    const Int twice = 2 * (num % den);
    q += twice > den || (twice == den && q % 2 == 1);
    return fromInteger(negative ? -q : q);
}

} // namespace entryreference
