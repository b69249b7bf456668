#include "engine/state/DataFormat.h"
#include "engine/state/NumberReader.h"
#include "engine/state/TesterState.h"
#include "support/TestKit.h"
#include "support/TextOf.h"

#include <cmath>
#include <limits>

namespace {

// Reported or configured range and mode; the pair a procedure must not read holds values giving another result.
TesterState rangeState(bool configured, int32_t range, int mode)
{
    TesterState s;
    (configured ? s.pending.rangePullUp : s.reported.rangePullUp) = range;
    (configured ? s.pending.rangeMode : s.reported.rangeMode) = int16_t(mode);
    (configured ? s.reported.rangePullUp : s.pending.rangePullUp) = 0;
    (configured ? s.reported.rangeMode : s.pending.rangeMode) = 3;
    return s;
}

}   // namespace

class DataFormatTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every text below has a full stop: a locale slip fails them.
    void initTestCase() { QCOMPARE(QLocale().decimalPoint(), QStringLiteral(",")); }

    // The reader's value, and whether it found a number at all.
    void readsNumber_data()
    {
        addColumns<QString, double, bool>("text", "expected", "holdsNumber");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("blanks inside digits") << "  1 2.5abc" << 12.5 << true;
        QTest::newRow("no digits") << "abc" << 0.0 << false;
        QTest::newRow("a sign alone") << "-" << 0.0 << false;
        QTest::newRow("a fraction without integer digits") << "-.5" << -0.5 << true;
        QTest::newRow("comma ends it") << "1,5" << 1.0 << true;
        QTest::newRow("negative exponent") << "25E-2" << 0.25 << true;
        QTest::newRow("overflow") << "-1e999" << -inf << true;
        QTest::newRow("hexadecimal, blanks, lower case") << " & h f f" << 255.0 << true;
        QTest::newRow("hexadecimal without a digit") << "&Hz" << 0.0 << false;
        QTest::newRow("octal stops at 8") << "&O18" << 1.0 << true;
        QTest::newRow("octal, lower case") << "&o7" << 7.0 << true;
        QTest::newRow("octal without a digit") << "&O9" << 0.0 << false;
        QTest::newRow("non-ASCII digit ends it") << QString::fromUtf8("7\u0661") << 7.0 << true;
    }
    void readsNumber()
    {
        QFETCH(QString, text);
        QTEST(parseNumber(text), "expected");
        QTEST(holdsNumber(text), "holdsNumber");
    }

    // Numbers as texts, and texts read into a field of their width: rounding halves to even, then the width check;
    // a misfit keeps the old 77.
    void texts_data()
    {
        addColumns<TextOf, QString>("text", "expected");
        const auto row = [](const char *name, const char *expected, const TextOf &text) {
            addRow(name, text, QString(expected));
        };
        const auto into = [](int bits, const char *text) {
            int32_t wide = 77;
            int16_t narrow = 77;
            const bool fits = bits == 32   ? parseLong(text, wide)
                              : bits == 16 ? parseInteger(text, narrow)
                                           : parseByte(text, narrow);
            return (fits ? "fits " : "keeps ") + QString::number(bits == 32 ? wide : narrow);
        };
        const auto ohms = [](int32_t range, int mode, int count, bool openAsNumber) {
            return formatResistance(rangeState(false, range, mode), count, openAsNumber);
        };
        row("2.5 to even", "2", [] { return formatDecimal(2.5, 0, 0); });
        row("3.5 to even", "4", [] { return formatDecimal(3.5, 0, 0); });
        // Binary 0.0125 lies a little above the half, binary 1.005 a little below.
        row("0.0125 is a half", "0.012", [] { return formatDecimal(0.0125, 3, 3); });
        row("1.005 is a half", "1.00", [] { return formatDecimal(1.005, 2, 2); });
        row("arithmetic noise", "0.3", [] { return formatDecimal(0.1 + 0.2, 1, 3); });
        row("carry adds a digit", "1000.0", [] { return formatDecimal(999.96, 1, 1); });
        row("no negative zero", "0.000", [] { return formatDecimal(-0.0004, 3, 3); });
        row("not a number", "???", [] { return formatDecimal(std::nan(""), 1, 1); });
        row("resistance -5 is 0", "0.0", [=] { return ohms(1000, 0, -5, false); });
        row("largest range, no overflow", "4389456574468.0", [=] { return ohms(2147483647, 0, 1023, true); });
        row("mode 3", "???", [=] { return ohms(1000, 3, 512, false); });
        row("current 511", "24.976", [=] { return ohms(500, 1, 511, false); });
        row("current 1024", "50.0", [=] { return ohms(500, 1, 1024, false); });
        row("stroke smallest", "-2147483.648", [] { return formatStrokeTime(INT32_MIN); });
        row("bounce largest", "3435.973835", [] { return formatBounceTime(2147483647); });
        // Count to resistance reads the reported range, resistance to count the configured one.
        const auto toValue = [](int32_t range, int mode, int count) {
            return QString::number(resistanceFromCount(rangeState(false, range, mode), count), 'g', 17);
        };
        const auto toCount = [](int32_t range, int mode, double value) {
            return QString::number(countFromResistance(rangeState(true, range, mode), value));
        };
        row("pull-up beyond open", "1e+40", [=] { return toValue(1000, 0, 2000); });
        row("voltage clamps", "5", [=] { return toValue(5000, 2, 2000); });
        row("unknown mode to value", "0", [=] { return toValue(1000, 3, 512); });
        row("just above open", "1023", [=] { return toCount(1000, 0, 1022000.001); });
        row("largest range", "1022", [=] { return toCount(2147483647, 0, 2147483647.0 * 1022); });
        row("current above scale", "1023", [=] { return toCount(500, 1, 100.0); });
        row("current 10 mA of 50", "205", [=] { return toCount(500, 1, 10.0); });
        row("unknown mode to count", "0", [=] { return toCount(1000, 3, 500.0); });
        row("not a number to count", "0", [=] { return toCount(500, 1, std::nan("")); });
        row("-3.5 to even", "fits -4", [=] { return into(32, "-3.5"); });
        row("long rounds out", "keeps 77", [=] { return into(32, "2147483647.5"); });
        row("integer overflow", "keeps 77", [=] { return into(16, "32768"); });
        row("byte beyond a long", "keeps 77", [=] { return into(8, "4294967296"); });
    }
    void texts()
    {
        QFETCH(TextOf, text);
        QTEST(text(), "expected");
    }

    // A tolerance written to a file as text reads back as the same count: pull-up 1000, current 500, voltage 5000.
    void formattedCountsReadBack()
    {
        for (const auto &[range, mode] : QList<QPair<int, int>>{{1000, 0}, {500, 1}, {5000, 2}}) {
            TesterState s = rangeState(true, range, mode);
            s.reported.rangePullUp = range;
            s.reported.rangeMode = int16_t(mode);
            for (int32_t count = 0; count <= 1023; ++count)
                QCOMPARE(countFromResistance(s, parseNumber(formatResistance(s, count, true))), count);
        }
    }
};

QTEST_GUILESS_MAIN(DataFormatTest)
#include "DataFormatTest.moc"
