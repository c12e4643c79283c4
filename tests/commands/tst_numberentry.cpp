#include "commands/numberentry.h"

#include <string>

// The entry reader against a deliberately slow and plain second reading: on exact fractions in
// 128-bit integers, which is why it judges short texts only. The test checks the reference
// against readings worked out by hand, then the reader against it on every short text; built
// with NURVELO_FUZZING, this file is the libFuzzer target that compares the two on any text.

namespace {

__extension__ typedef __int128 Int;
enum : int { kOutOfRange = 1 << 20, kCannotJudge };

int fromInteger(Int v) {
    return v < -32768 || v > 32767 ? kOutOfRange : int(v);
}

int reference(std::string_view text) {
    // With this many bytes every numerator, denominator and exponent below fits in Int.
    if (text.size() > 24)
        return kCannotJudge;
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
        return 0;
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
            return 0;
        if (!negativeExponent && num > 40000 * den)
            return kOutOfRange;
        (negativeExponent ? den : num) *= 10;
    }
    // The nearest integer, an exact half going to the even neighbour.
    Int q = num / den;
    const Int twice = 2 * (num % den);
    q += twice > den || (twice == den && q % 2 == 1);
    return fromInteger(negative ? -q : q);
}

int reading(std::string_view text) {
    return readEntryNumber(text).value_or(kOutOfRange);
}

// Blanks count for nothing, so the text is judged without them: the shorter text is more often
// short enough, and the reader must read it as the whole text.
bool agree(std::string_view text) {
    std::string squeezed;
    for (const char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            squeezed += c;
    const int expected = reference(squeezed);
    return reading(squeezed) == reading(text) &&
           (expected == kCannotJudge || expected == reading(text));
}

} // namespace

#ifdef NURVELO_FUZZING
#include <cstdlib>
// libFuzzer keeps the input that aborts.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, std::size_t size) {
    if (!agree(std::string_view(reinterpret_cast<const char *>(data), size)))
        std::abort();
    return 0;
}
#else
#include <QTest>

class TestNumberEntry : public QObject {
    Q_OBJECT

private slots:
    void readings_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("expected");
        const QByteArray many(5000, '0');
        // clang-format off
        const std::pair<QByteArray, int> rows[] = {
            // As the entry boxes have always read them.
            {"4711", 4711}, {"-5", -5}, {"-999", -999}, {"1E4", 10000}, {"32E3", 32000}, {"-3E4", -30000},
            {"2.5", 2}, {"3.5", 4}, {"", 0}, {"12kg", 12}, {"zehn", 0}, {"1,5", 1},
            // Signs, points, halves to even, exponents, blanks anywhere, stray bytes, radixes.
            {"--5", 0}, {"5-", 5}, {"1.2.3", 1}, {"-.51", -1}, {"-2.5", -2}, {"25E-1", 2}, {"0.00051E3", 1},
            {"2.5000000000000000001", 3}, {"1d+2", 100}, {"1E", 1}, {"1E2.5", 100}, {"1 E - 1", 0},
            {"\t1\n2 ", 12}, {"1\r2", 1}, {QByteArray("7\0 8", 4), 7}, {"&H1F", 31}, {"&o17", 15},
            {"&H", 0}, {"&O8", 0}, {"&H 7FFF", 32767}, {"&H8000", kOutOfRange}, {"-&H1", 0}, {"&B1", 0},
            // The 16-bit range, and far beyond it.
            {"-32768", -32768}, {"32768", kOutOfRange}, {"32767.5", kOutOfRange}, {"-4E4", kOutOfRange},
            {"0E99999", 0}, {"1E99999999999", kOutOfRange},
            // Too long for the reference: still read exactly, in time linear in their length.
            {"1E-" + QByteArray(5000, '9'), 0}, {"1" + many + "E-4996", 10000}, {"2.5" + many + "1", 3},
            {QByteArray(100000, ' ') + "7" + QByteArray(9, '\n') + "8", 78}};
        // clang-format on
        for (const auto &[text, expected] : rows)
            QTest::newRow(text.left(30).toPercentEncoding(" .-+&,").constData())
                << text << expected;
    }
    void readings() {
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        const std::string_view view(text.constData(), text.size());
        QCOMPARE(reading(view), expected);
        QVERIFY(reference(view) == expected || reference(view) == kCannotJudge);
    }

    // Every text of up to four characters over those that matter to the reader.
    void agreesWithReferenceOnAllShortTexts() {
        const std::string alphabet = "01259.+-EeDd&HO x";
        for (int length = 0, count = 1; length <= 4; ++length, count *= int(alphabet.size())) {
            for (int n = 0; n < count; ++n) {
                std::string text;
                for (int i = 0, rest = n; i < length; ++i, rest /= int(alphabet.size()))
                    text += alphabet[rest % alphabet.size()];
                QVERIFY2(reference(text) != kCannotJudge && agree(text), text.c_str());
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestNumberEntry)
#include "tst_numberentry.moc"
#endif
