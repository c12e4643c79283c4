#include "numberentry.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr int kMaxValue = 32767;
constexpr int kMinValue = -32768;

// The point's own shift is bounded by the text's length, and no text held in memory comes near
// 10^17 bytes, so once the exponent passes this its exact size no longer matters.
constexpr std::int64_t kExponentCap = 100'000'000'000'000'000;

// Any result in range has at most five integer digits; one more is enough to decide rounding,
// and everything after that only matters as "is any of it non-zero".
constexpr int kKeptDigits = 6;

bool isIgnorable(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Walks the text with blanks already stepped over, so the grammar below never sees them.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) { skipIgnorable(); }

    // A NUL byte in the text fits nothing either, so it can double as "end".
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    void advance() {
        ++pos_;
        skipIgnorable();
    }

    bool accept(char one, char other) {
        const char c = peek();
        if (c != one && c != other)
            return false;
        advance();
        return true;
    }

private:
    void skipIgnorable() {
        while (pos_ < text_.size() && isIgnorable(text_[pos_]))
            ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

std::optional<int> readRadixNumber(Reader &in) {
    int base = 0;
    if (in.accept('H', 'h'))
        base = 16;
    else if (in.accept('O', 'o'))
        base = 8;
    else
        return 0;

    int value = 0;
    bool tooBig = false;
    for (int digit; (digit = digitValue(in.peek(), base)) >= 0; in.advance()) {
        // Keep consuming after overflow so long digit strings cost no more than reading them.
        if (!tooBig) {
            value = value * base + digit;
            tooBig = value > kMaxValue;
        }
    }
    if (tooBig)
        return std::nullopt;
    return value;
}

std::optional<int> readDecimalNumber(Reader &in) {
    const bool negative = in.peek() == '-';
    in.accept('+', '-');

    // The mantissa is 0.d1d2d3... * 10^scale with d1 the first non-zero digit.
    std::array<int, kKeptDigits> digits{};
    int kept = 0;
    bool nonZeroBeyondKept = false;
    std::int64_t scale = 0;
    bool seenPoint = false;
    bool seenNonZero = false;
    for (;; in.advance()) {
        const char c = in.peek();
        if (c == '.' && !seenPoint) {
            seenPoint = true;
            continue;
        }
        if (!isDecimalDigit(c))
            break;
        const int digit = c - '0';
        if (!seenNonZero && digit == 0) {
            if (seenPoint)
                --scale;
            continue;
        }
        seenNonZero = true;
        if (kept < kKeptDigits)
            digits[kept++] = digit;
        else if (digit != 0)
            nonZeroBeyondKept = true;
        if (!seenPoint)
            ++scale;
    }

    // Also covers a missing mantissa; zero times any power of ten must stay zero.
    if (!seenNonZero)
        return 0;

    if (in.accept('E', 'e') || in.accept('D', 'd')) {
        const bool negativeExponent = in.peek() == '-';
        in.accept('+', '-');
        std::int64_t exponent = 0;
        for (; isDecimalDigit(in.peek()); in.advance()) {
            if (exponent < kExponentCap)
                exponent = exponent * 10 + (in.peek() - '0');
        }
        scale += negativeExponent ? -exponent : exponent;
    }

    // d1 >= 1, so the value is at least 10^(scale - 1).
    if (scale > 5)
        return std::nullopt;
    // Below 0.1 always rounds to zero.
    if (scale < 0)
        return 0;

    const int wholeDigits = static_cast<int>(scale);
    int whole = 0;
    // Digits past those read are 0, and the array holds the first fraction digit too.
    for (int i = 0; i < wholeDigits; ++i)
        whole = whole * 10 + digits[i];
    const int firstFraction = digits[wholeDigits];
    const bool restNonZero =
        nonZeroBeyondKept || std::any_of(digits.begin() + wholeDigits + 1, digits.end(),
                                         [](int digit) { return digit != 0; });

    const bool roundUp =
        firstFraction > 5 || (firstFraction == 5 && (restNonZero || whole % 2 == 1));
    if (roundUp)
        ++whole;

    if (negative ? -whole < kMinValue : whole > kMaxValue)
        return std::nullopt;
    return negative ? -whole : whole;
}

} // namespace

std::optional<int> readEntryNumber(std::string_view text) {
    Reader in(text);
    // Radix prefixes only count at the very start, before any sign.
    if (in.accept('&', '&'))
        return readRadixNumber(in);
    return readDecimalNumber(in);
}
