#include "commands/entryreference.h"
#include "commands/numberentry.h"

#include <QTest>

#include <climits>

namespace {

constexpr int kOut = INT_MIN; // out of range

int reading(const QByteArray &text) {
    return readEntryNumber(std::string_view(text.data(), text.size())).value_or(kOut);
}

} // namespace

// The entry reader against readings worked out by hand, which check the slow exact reference
// reading too, and then against that reference on every short text.
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
            {"4711", 4711}, {"9999", 9999}, {"-5", -5}, {"-999", -999}, {"1E4", 10000}, {"32E3", 32000},
            {"-3E4", -30000}, {"2.5", 2}, {"3.5", 4}, {"", 0}, {"12kg", 12}, {"zehn", 0}, {"1,5", 1},
            // Signs, points, halves to even, exponents, blanks anywhere, stray bytes.
            {"--5", 0}, {"5-", 5}, {"1.2.3", 1}, {".51", 1}, {"-2.5", -2}, {"-0.5", 0}, {"25E-1", 2},
            {"2.5000000000000000001", 3}, {"-32768.5", -32768}, {"0.00051E3", 1}, {"1d2", 100},
            {"1e+2", 100}, {"1E", 1}, {"1E2.5", 100}, {"1 E - 1", 0}, {"\t1\n2 ", 12}, {"1\r2", 1},
            {"\v5", 0}, {QByteArray("7\0 8", 4), 7},
            // Radix prefixes, only at the very start.
            {"&H1F", 31}, {"&o17", 15}, {"&H", 0}, {"&O8", 0}, {"&H 1 F", 31}, {"&H7FFF", 32767},
            {"&H8000", kOut}, {"-&H1", 0}, {"&B101", 0},
            // The 16-bit range, and exponents far beyond it.
            {"32767", 32767}, {"-32768", -32768}, {"32768", kOut}, {"32767.5", kOut}, {"1E5", kOut},
            {"-4E4", kOut}, {"0E99999", 0}, {"1E99999999999", kOut},
            // Too long for the reference: still read exactly, in time linear in their length.
            {"1E" + QByteArray(5000, '9'), kOut}, {"1E-" + QByteArray(5000, '9'), 0}, {many + "42", 42},
            {"0." + many + "5E5001", 5}, {"1" + many + "E-4996", 10000}, {"2.5" + many + "1", 3},
            {"&H" + QByteArray(5000, 'F'), kOut}, {QByteArray(100000, ' ') + "7" + QByteArray(9, '\n') + "8", 78}};
        // clang-format on
        for (const auto &[text, expected] : rows)
            QTest::newRow(text.left(30).toPercentEncoding(" .-+&,").constData())
                << text << expected;
    }
    void readings() {
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        QCOMPARE(reading(text), expected);
        const auto verdict = entryreference::judge(std::string_view(text.data(), text.size()));
        if (verdict.kind != entryreference::Verdict::CannotJudge)
            QCOMPARE(verdict.reading().value_or(kOut), expected);
    }

    // Every text of up to four characters over those that matter to the reader.
    void agreesWithReferenceOnAllShortTexts() {
        const QByteArray alphabet = "01259.+-EeDd&HO x";
        for (qsizetype length = 0; length <= 4; ++length) {
            QList<qsizetype> digits(length + 1, 0);
            while (digits[length] == 0) {
                QByteArray text;
                for (qsizetype i = 0; i < length; ++i)
                    text += alphabet[digits[i]];
                const auto verdict = entryreference::judge(std::string_view(text.data(), length));
                QVERIFY2(verdict.kind != entryreference::Verdict::CannotJudge &&
                             verdict.reading().value_or(kOut) == reading(text),
                         text.constData());
                for (qsizetype i = 0; ++digits[i] == alphabet.size() && i < length; ++i)
                    digits[i] = 0;
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestNumberEntry)
#include "tst_numberentry.moc"
