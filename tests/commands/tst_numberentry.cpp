#include "commands/entryreference.h"
#include "commands/numberentry.h"

#include <QTest>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using Result = std::optional<int>;

namespace {
QByteArray show(const Result &result) {
    return result ? QByteArray::number(*result) : QByteArray("out of range");
}
} // namespace

namespace QTest {
template <> inline char *toString(const Result &result) {
    return qstrdup(show(result).constData());
}
} // namespace QTest

namespace {

const Result outOfRange = std::nullopt;

std::string_view view(const QByteArray &bytes) {
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Quoted, with control and non-ASCII bytes spelled out, for row names and failure messages.
QByteArray printable(std::string_view text) {
    QByteArray out = "\"";
    for (char c : text) {
        if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c >= 0x20 && c < 0x7f)
            out += c;
        else
            out += "\\x" +
                   QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
    }
    return out + "\"";
}

Result fromVerdict(const entryreference::Verdict &verdict) {
    if (verdict.kind == entryreference::Verdict::Value)
        return verdict.value;
    return std::nullopt;
}

QByteArray show(const entryreference::Verdict &verdict) {
    if (verdict.kind == entryreference::Verdict::CannotJudge)
        return "cannot judge";
    return show(fromVerdict(verdict));
}

struct Case {
    QByteArray text;
    Result expected;
};

void addColumns() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<Result>("expected");
}

void addRows(std::span<const Case> cases) {
    for (const Case &c : cases)
        QTest::newRow(printable(view(c.text)).constData()) << c.text << c.expected;
}

QByteArray repeated(char c, int count) {
    return QByteArray(count, c);
}

// Every hand-made row also goes past the reference, so the exhaustive test rests on a reference
// that has itself been checked against hand-worked values.
void checkRow() {
    QFETCH(QByteArray, text);
    QFETCH(Result, expected);
    QCOMPARE(readEntryNumber(view(text)), expected);
    const entryreference::Verdict verdict = entryreference::judge(view(text));
    if (verdict.kind != entryreference::Verdict::CannotJudge)
        QCOMPARE(fromVerdict(verdict), expected);
}

} // namespace

class TestNumberEntry : public QObject {
    Q_OBJECT

private slots:
    void workedExamples_data();
    void workedExamples() { checkRow(); }
    void edgeCases_data();
    void edgeCases() { checkRow(); }
    void longTexts_data();
    void longTexts() { checkRow(); }
    void agreesWithReferenceOnAllShortTexts();
};

void TestNumberEntry::workedExamples_data() {
    addColumns();
    const Case examples[] = {{"4711", 4711}, {"9999", 9999},  {"-5", -5},       {"-999", -999},
                             {"1E4", 10000}, {"32E3", 32000}, {"-3E4", -30000}, {"2.5", 2},
                             {"3.5", 4},     {"", 0},         {"12kg", 12},     {"zehn", 0},
                             {"1,5", 1}};
    addRows(examples);
}

void TestNumberEntry::edgeCases_data() {
    addColumns();
    const Case signs[] = {{"+7", 7},  {"-0", 0}, {"--5", 0}, {"+-5", 0},
                          {"-+5", 0}, {"5-", 5}, {"-", 0},   {"+", 0}};
    const Case points[] = {{"1.2.3", 1}, {"1..9", 1}, {".", 0},      {".51", 1},
                           {"-.51", -1}, {"7.", 7},   {"0.4999", 0}, {"0032767", 32767}};
    const Case halves[] = {{"0.5", 0},
                           {"1.5", 2},
                           {"-0.5", 0},
                           {"-1.5", -2},
                           {"-2.5", -2},
                           {".5", 0},
                           {"-.5", 0},
                           {"2.5000000000000000001", 3},
                           {"2.4999999999999999999", 2},
                           {"-2.5000000000000000001", -3},
                           {"32766.5", 32766},
                           {"-32767.5", -32768},
                           {"-32768.5", -32768},
                           {"0.0005E3", 0},
                           {"0.00051E3", 1},
                           {"25E-1", 2},
                           {"35E-1", 4},
                           {"15E-1", 2},
                           {"5E-1", 0}};
    const Case exponents[] = {
        {"1e4", 10000},     {"1D2", 100},   {"1d2", 100},   {"1E", 1},         {"1E+", 1},
        {"1E-", 1},         {"1E+2", 100},  {"2E-1", 0},    {"6E-1", 1},       {"3E-0", 3},
        {"1E0004", 10000},  {"1E2.5", 100}, {"1E2E3", 100}, {"1E+-2", 1},      {"1EE2", 1},
        {"1.5E1", 15},      {".5E1", 5},    {"1.E2", 100},  {"12345E-2", 123}, {"3.2767E4", 32767},
        {"327.67d2", 32767}};
    // Only blanks, tabs and line feeds are skipped; any other white space ends the number.
    const Case blanks[] = {{"1 2", 12},         {"- 5", -5},  {"1E 2", 100},  {"\t1\n2\t", 12},
                           {" 4 7 1 1 ", 4711}, {"1 . 5", 2}, {"1 E - 1", 0}, {"15 E\n-\t1", 2},
                           {"1\r2", 1},         {"\v5", 0}};
    const Case strayBytes[] = {{"3x4", 3},
                               {"1_000", 1},
                               {"\xc2\xa0 5", 0},
                               {QByteArray("7\0 8", 4), 7},
                               {QByteArray("\0 5", 3), 0}};
    const Case radix[] = {{"&H1F", 31},
                          {"&h1f", 31},
                          {"&O17", 15},
                          {"&o17", 15},
                          {"&H", 0},
                          {"&O", 0},
                          {"&HG", 0},
                          {"&O8", 0},
                          {"&O18", 1},
                          {"&HE", 14},
                          {"&H1E2", 482},
                          {"&O1E2", 1},
                          {"&H 1 F", 31},
                          {" &H1F", 31},
                          {"& H1F", 31},
                          {"&H1F.9", 31},
                          {"&H7FFF", 32767},
                          {"&H8000", outOfRange},
                          {"&HFFFF", outOfRange},
                          {"&O77777", 32767},
                          {"&O100000", outOfRange},
                          {"&H00000000000000001", 1},
                          {"&", 0},
                          {"&B101", 0},
                          {"&5", 0},
                          {"-&H1", 0},
                          {"+&H1", 0},
                          {"1&H1", 1},
                          {"&H-1", 0}};
    const Case range[] = {{"32767", 32767},
                          {"-32768", -32768},
                          {"32768", outOfRange},
                          {"-32769", outOfRange},
                          {"32767.5", outOfRange},
                          {"-32768.5001", outOfRange},
                          {"1E5", outOfRange},
                          {"9E9", outOfRange},
                          {"33E3", outOfRange},
                          {"-4E4", outOfRange},
                          {"0.0000032768E10", outOfRange},
                          {"1E9999999999", outOfRange},
                          {"1E18446744073709551616", outOfRange},
                          {"1E9223372036854775808", outOfRange},
                          {"1E-9999999999", 0},
                          {"1E-18446744073709551616", 0}};
    const Case zeroMantissa[] = {
        {"0E99", 0},  {"0E99999999999999", 0}, {"E999", 0}, {"-E5", 0}, {".E5", 0},
        {"-0E99", 0}, {"0.000E-99999", 0}};
    for (std::span<const Case> group :
         {std::span<const Case>(signs), std::span<const Case>(points),
          std::span<const Case>(halves), std::span<const Case>(exponents),
          std::span<const Case>(blanks), std::span<const Case>(strayBytes),
          std::span<const Case>(radix), std::span<const Case>(range),
          std::span<const Case>(zeroMantissa)})
        addRows(group);
}

void TestNumberEntry::longTexts_data() {
    addColumns();
    const auto row = [](const char *name, const QByteArray &text, Result expected) {
        QTest::newRow(name) << text << expected;
    };
    row("5000-digit exponent", "1E" + repeated('9', 5000), outOfRange);
    row("5000-digit negative exponent", "1E-" + repeated('9', 5000), 0);
    row("zero with 5000-digit exponent", "0E" + repeated('9', 5000), 0);
    row("exponent with 5000 leading zeros", "1E" + repeated('0', 5000) + "4", 10000);
    row("5000 leading zeros", repeated('0', 5000) + "42", 42);
    row("million nines", repeated('9', 1000000), outOfRange);
    row("5000 zeros after the point, exponent brings it back",
        "0." + repeated('0', 4999) + "5E5000", 5);
    row("5001 integer digits, exponent brings it back", "1" + repeated('0', 5000) + "E-5000", 1);
    row("5001 integer digits to 10000", "1" + repeated('0', 5000) + "E-4996", 10000);
    row("5001 integer digits to -10000", "-1" + repeated('0', 5000) + "E-4996", -10000);
    row("half with a far-off non-zero digit", "2.5" + repeated('0', 5000) + "1", 3);
    row("half with 5000 trailing zeros", "2.5" + repeated('0', 5000), 2);
    row("5000 hex digits", "&H" + repeated('F', 5000), outOfRange);
    row("5000 leading octal zeros", "&O" + repeated('0', 5000) + "17", 15);
    row("200000 blanks", repeated(' ', 100000) + "7" + repeated('\n', 100000) + "8", 78);
}

void TestNumberEntry::agreesWithReferenceOnAllShortTexts() {
    static constexpr std::string_view alphabet = "01259.+-EeDd&HO x";
    constexpr std::size_t maxLength = 4;
    std::string text;
    // Counting in base alphabet.size() visits every text of the current length once.
    for (std::size_t length = 0; length <= maxLength; ++length) {
        std::vector<std::size_t> index(length, 0);
        text.assign(length, alphabet[0]);
        for (;;) {
            const entryreference::Verdict verdict = entryreference::judge(text);
            const Result actual = readEntryNumber(text);
            if (verdict.kind == entryreference::Verdict::CannotJudge ||
                actual != fromVerdict(verdict)) {
                const QByteArray message = "first mismatch at " + printable(text) + ": parser " +
                                           show(actual) + ", reference " + show(verdict);
                QFAIL(message.constData());
            }
            std::size_t pos = 0;
            while (pos < length && ++index[pos] == alphabet.size()) {
                index[pos] = 0;
                text[pos] = alphabet[0];
                ++pos;
            }
            if (pos == length)
                break;
            text[pos] = alphabet[index[pos]];
        }
    }
}

QTEST_APPLESS_MAIN(TestNumberEntry)
#include "tst_numberentry.moc"
