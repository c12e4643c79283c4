#include "commands/entryreference.h"
#include "commands/numberentry.h"

#include <QTest>

#include <climits>

constexpr int kOut = INT_MIN; // out of range

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
            {"4711", 4711}, {"-5", -5}, {"-999", -999}, {"1E4", 10000}, {"32E3", 32000}, {"-3E4", -30000},
            {"2.5", 2}, {"3.5", 4}, {"", 0}, {"12kg", 12}, {"zehn", 0}, {"1,5", 1},
            // Signs, points, halves to even, exponents, blanks anywhere, stray bytes, radixes.
            {"--5", 0}, {"5-", 5}, {"1.2.3", 1}, {"-.51", -1}, {"-2.5", -2}, {"25E-1", 2}, {"0.00051E3", 1},
            {"2.5000000000000000001", 3}, {"1d+2", 100}, {"1E", 1}, {"1E2.5", 100}, {"1 E - 1", 0},
            {"\t1\n2 ", 12}, {"1\r2", 1}, {QByteArray("7\0 8", 4), 7}, {"&H1F", 31}, {"&o17", 15},
            {"&H", 0}, {"&O8", 0}, {"&H 7FFF", 32767}, {"&H8000", kOut}, {"-&H1", 0}, {"&B1", 0},
            // The 16-bit range, and far beyond it.
            {"-32768", -32768}, {"32768", kOut}, {"32767.5", kOut}, {"-4E4", kOut}, {"0E99999", 0},
            {"1E99999999999", kOut},
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
        QCOMPARE(readEntryNumber(text.toStdString()).value_or(kOut), expected);
        const auto verdict = entryreference::judge(text.toStdString());
        if (verdict.kind != entryreference::Verdict::CannotJudge)
            QCOMPARE(verdict.reading().value_or(kOut), expected);
    }

    // Every text of up to four characters over those that matter to the reader.
    void agreesWithReferenceOnAllShortTexts() {
        const std::string alphabet = "01259.+-EeDd&HO x";
        for (int length = 0, count = 1; length <= 4; ++length, count *= int(alphabet.size())) {
            for (int n = 0; n < count; ++n) {
                std::string text;
                for (int i = 0, rest = n; i < length; ++i, rest /= int(alphabet.size()))
                    text += alphabet[rest % alphabet.size()];
                const auto verdict = entryreference::judge(text);
                QVERIFY2(verdict.kind != entryreference::Verdict::CannotJudge &&
                             verdict.reading() == readEntryNumber(text),
                         text.c_str());
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestNumberEntry)
#include "tst_numberentry.moc"
