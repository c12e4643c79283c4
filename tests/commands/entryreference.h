#pragma once
// A deliberately slow and plain second reading of entry-box numbers, used to cross-check
// readEntryNumber (exhaustively in the unit test, and from fuzz targets). It works on exact
// fractions in 128-bit integers, which is why it only judges short texts.
#include <cstddef>
#include <string>
#include <string_view>

namespace entryreference {

__extension__ typedef __int128 Int;

// With at most this many bytes every numerator, denominator and exponent below fits in Int.
inline constexpr std::size_t maxLength = 24;

struct Verdict {
    enum Kind { Value, OutOfRange, CannotJudge };
    Kind kind = CannotJudge;
    int value = 0;
};

inline Verdict fromInteger(Int v) {
    if (v < -32768 || v > 32767)
        return {Verdict::OutOfRange};
    return {Verdict::Value, static_cast<int>(v)};
}

// Nearest integer to num / den for den > 0; an exact half goes to the even neighbour.
inline Int roundHalfEven(Int num, Int den) {
    const bool negative = num < 0;
    if (negative)
        num = -num;
    Int q = num / den;
    const Int twiceRemainder = 2 * (num % den);
    if (twiceRemainder > den || (twiceRemainder == den && q % 2 == 1))
        ++q;
    return negative ? -q : q;
}

// Value of c as a digit in base, or -1.
inline int digitIn(char c, int base) {
    const std::string_view lower = "0123456789abcdef";
    const std::string_view upper = "0123456789ABCDEF";
    std::size_t at = lower.substr(0, base).find(c);
    if (at == std::string_view::npos)
        at = upper.substr(0, base).find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

inline Verdict judge(std::string_view text) {
    if (text.size() > maxLength)
        return {Verdict::CannotJudge};

    // Blanks count nowhere, so drop them all first.
    std::string s;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            s += c;
    std::size_t i = 0;
    auto at = [&](std::size_t k) { return k < s.size() ? s[k] : '\0'; };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };

    if (at(0) == '&') {
        int base = 0;
        if (at(1) == 'H' || at(1) == 'h')
            base = 16;
        else if (at(1) == 'O' || at(1) == 'o')
            base = 8;
        else
            return {Verdict::Value, 0};
        Int v = 0;
        for (i = 2; digitIn(at(i), base) >= 0; ++i)
            v = v * base + digitIn(at(i), base);
        return fromInteger(v);
    }

    Int sign = 1;
    if (at(i) == '+' || at(i) == '-')
        sign = at(i++) == '-' ? -1 : 1;

    // The mantissa as the fraction num / den.
    Int num = 0;
    Int den = 1;
    bool point = false;
    for (;; ++i) {
        if (at(i) == '.' && !point) {
            point = true;
        } else if (isDigit(at(i))) {
            num = num * 10 + (at(i) - '0');
            if (point)
                den *= 10;
        } else {
            break;
        }
    }
    if (num == 0)
        return {Verdict::Value, 0};

    Int exponent = 0;
    bool negativeExponent = false;
    if (at(i) == 'E' || at(i) == 'e' || at(i) == 'D' || at(i) == 'd') {
        ++i;
        if (at(i) == '+' || at(i) == '-')
            negativeExponent = at(i++) == '-';
        for (; isDigit(at(i)); ++i)
            exponent = exponent * 10 + (at(i) - '0');
    }

    // Apply the exponent one power of ten at a time, stopping as soon as the outcome is settled
    // (the magnitude only moves one way from there), so nothing grows out of Int.
    for (Int k = 0; k < exponent; ++k) {
        if (negativeExponent) {
            if (2 * num < den)
                return {Verdict::Value, 0};
            den *= 10;
        } else {
            if (num > 40000 * den)
                return {Verdict::OutOfRange};
            num *= 10;
        }
    }
    return fromInteger(roundHalfEven(sign * num, den));
}

} // namespace entryreference
