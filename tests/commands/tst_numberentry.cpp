#include "commands/numberentry.h"

#include <regex>
#include <string>

// The entry reader against a slow and plain second reading: the grammar as regular expressions,
// the number as an exact fraction. The reference is checked against readings worked out by hand,
// the reader against it on every short text, and, as the NURVELO_FUZZING build, on any text.

namespace {

__extension__ typedef __int128 Int;
enum : int { kOutOfRange = 1 << 20, kCannotJudge };

std::string squeezed(std::string_view text) {
    std::string s(text);
    std::erase_if(s, [](char c) { return c == ' ' || c == '\t' || c == '\n'; });
    return s;
}

// Judged without blanks, which count for nothing: more texts are then short enough to judge.
int reference(std::string_view text) {
    const std::string s = squeezed(text);
    if (s.size() > 24) // beyond, numerators, denominators and exponents may not fit in Int
        return kCannotJudge;
    static const std::regex radix("^&(?:[Hh]([0-9A-Fa-f]*)|[Oo]([0-7]*))?");
    static const std::regex decimal("^([+-]?)([0-9]*)\\.?([0-9]*)(?:[EeDd]([+-]?)([0-9]*))?");
    std::smatch m;
    const auto whole = [](const std::string &digits, int base, Int start = 0) {
        for (char c : digits)
            start = start * base + std::stoi(std::string(1, c), nullptr, 16);
        return start;
    };
    Int num = 0, den = 1;
    if (std::regex_search(s, m, radix)) {
        num = m[1].matched ? whole(m[1], 16) : whole(m[2], 8);
    } else if (std::regex_search(s, m, decimal) && whole(m[2].str() + m[3].str(), 10) != 0) {
        num = whole(m[2].str() + m[3].str(), 10) * (m[1] == "-" ? -1 : 1);
        den = whole(std::string(m[3].length(), '0'), 10, 1);
        // A power of ten at a time, stopping once the outcome is settled, so nothing overflows.
        const bool down = m[4] == "-";
        for (Int k = whole(m[5], 10); k > 0 && (down || (num < 0 ? -num : num) <= 40000 * den);
             --k) {
            if (down && 2 * (num < 0 ? -num : num) < den)
                return 0;
            (down ? den : num) *= 10;
        }
    }
    // The nearest integer, an exact half going to the even neighbour.
    const bool negative = num < 0;
    Int q = (negative ? -num : num) / den;
    const Int twice = 2 * ((negative ? -num : num) % den);
    q += twice > den || (twice == den && q % 2 == 1);
    q = negative ? -q : q;
    return q < -32768 || q > 32767 ? kOutOfRange : int(q);
}

// The reader reads a text as it reads it without its blanks.
bool agree(std::string_view text) {
    const int expected = reference(text), read = readEntryNumber(text).value_or(kOutOfRange);
    return readEntryNumber(squeezed(text)) == readEntryNumber(text) &&
           (expected == kCannotJudge || expected == read);
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
    // Hand-worked readings, which the reader and the reference must both give.
    void readings() {
        const QByteArray many(5000, '0');
        // clang-format off
        const std::pair<QByteArray, int> rows[] = {
            // As the entry boxes have always read them, and the edges of how they read.
            {"4711", 4711}, {"-5", -5}, {"1E4", 10000}, {"-3E4", -30000}, {"2.5", 2}, {"3.5", 4}, {"", 0},
            {"12kg", 12}, {"zehn", 0}, {"1,5", 1}, {"--5", 0}, {"1.2.3", 1}, {"-.51", -1}, {"25E-1", 2},
            {"2.5000000000000000001", 3}, {"1d+2", 100}, {"1E2.5", 100}, {"\t1 E - 1\n", 0}, {"1\r2", 1},
            {QByteArray("7\0 8", 4), 7}, {"&H 1F", 31}, {"&o17", 15}, {"&H", 0}, {"&O8", 0}, {"-&H1", 0},
            {"&H8000", kOutOfRange}, {"-32768", -32768}, {"32767.5", kOutOfRange}, {"0E99999", 0},
            {"1E99999999999", kOutOfRange},
            // Too long for the reference: still read exactly, in time linear in their length.
            {"1E-" + QByteArray(5000, '9'), 0}, {"1" + many + "E-4996", 10000}, {"2.5" + many + "1", 3},
            {QByteArray(100000, ' ') + "7" + QByteArray(9, '\n') + "8", 78}};
        // clang-format on
        for (const auto &[text, expected] : rows) {
            const std::string_view view(text.constData(), text.size());
            const int read = readEntryNumber(view).value_or(kOutOfRange), ref = reference(view);
            QVERIFY2(read == expected && (ref == expected || ref == kCannotJudge),
                     qPrintable(text.left(30) +
                                QStringLiteral(": %1, reference %2").arg(read).arg(ref)));
        }
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
