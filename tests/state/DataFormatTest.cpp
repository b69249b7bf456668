#include "engine/state/DataFormat.h"
#include "engine/state/NumberReader.h"
#include "engine/state/TesterState.h"
#include "support/TestColumns.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

// Reported (v) or configured (s) range and mode. The pair a procedure must
// not read is set to values that would give another result.
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

    // Rounding halves to even, then the width check; a misfit keeps the old 77.
    void readsIntoWidth_data()
    {
        addColumns<QString, int, bool, int>("text", "bits", "fits", "expected");
        QTest::newRow("-3.5 to even") << "-3.5" << 32 << true << -4;
        QTest::newRow("long rounds out") << "2147483647.5" << 32 << false << 77;
        QTest::newRow("integer overflow") << "32768" << 16 << false << 77;
        QTest::newRow("byte beyond a long") << "4294967296" << 8 << false << 77;
    }
    void readsIntoWidth()
    {
        QFETCH(QString, text);
        QFETCH(int, bits);
        int32_t wide = 77;
        int16_t narrow = 77;
        const bool ok = bits == 32   ? parseLong(text, wide)
                        : bits == 16 ? parseInteger(text, narrow)
                                     : parseByte(text, narrow);
        QTEST(ok, "fits");
        QTEST(bits == 32 ? wide : int32_t(narrow), "expected");
    }

    void formatsDecimal_data()
    {
        addColumns<double, int, int, QString>("value", "minDecimals", "maxDecimals", "expected");
        QTest::newRow("2.5 to even") << 2.5 << 0 << 0 << "2";
        QTest::newRow("3.5 to even") << 3.5 << 0 << 0 << "4";
        // Binary 0.0125 lies a little above the half, binary 1.005 a little below.
        QTest::newRow("0.0125 is a half") << 0.0125 << 3 << 3 << "0.012";
        QTest::newRow("1.005 is a half") << 1.005 << 2 << 2 << "1.00";
        QTest::newRow("arithmetic noise") << 0.1 + 0.2 << 1 << 3 << "0.3";
        QTest::newRow("carry adds a digit") << 999.96 << 1 << 1 << "1000.0";
        QTest::newRow("no negative zero") << -0.0004 << 3 << 3 << "0.000";
        QTest::newRow("not a number") << std::nan("") << 1 << 1 << "???";
    }
    void formatsDecimal()
    {
        QFETCH(double, value);
        QFETCH(int, minDecimals);
        QFETCH(int, maxDecimals);
        QTEST(formatDecimal(value, minDecimals, maxDecimals), "expected");
    }

    void formatsResistance_data()
    {
        addColumns<int, int, int, bool, QString>("range", "mode", "count", "openAsNumber", "expected");
        QTest::newRow("-5 is 0") << 1000 << 0 << -5 << false << "0.0";
        QTest::newRow("largest range, no overflow") << 2147483647 << 0 << 1023 << true << "4389456574468.0";
        QTest::newRow("mode 3") << 1000 << 3 << 512 << false << "???";
        QTest::newRow("current 511") << 500 << 1 << 511 << false << "24.976";
        QTest::newRow("current 1024") << 500 << 1 << 1024 << false << "50.0";
    }
    void formatsResistance()
    {
        QFETCH(int, range);
        QFETCH(int, mode);
        QFETCH(int, count);
        QFETCH(bool, openAsNumber);
        QTEST(formatResistance(rangeState(false, range, mode), count, openAsNumber), "expected");
    }

    void formatsTimes_data()
    {
        addColumns<bool, int, QString>("bounce", "value", "expected");
        QTest::newRow("stroke smallest") << false << int(INT32_MIN) << "-2147483.648";
        QTest::newRow("bounce largest") << true << 2147483647 << "3435.973835";
    }
    void formatsTimes()
    {
        QFETCH(bool, bounce);
        QFETCH(int, value);
        QTEST(bounce ? formatBounceTime(value) : formatStrokeTime(value), "expected");
    }

    // Count to resistance reads the reported range, resistance to count the
    // configured one.
    void convertsResistance_data()
    {
        addColumns<bool, int, int, double, double>("toCount", "range", "mode", "given", "expected");
        QTest::newRow("pull-up beyond open") << false << 1000 << 0 << 2000.0 << 1e40;
        QTest::newRow("voltage clamps") << false << 5000 << 2 << 2000.0 << 5.0;
        QTest::newRow("unknown mode to value") << false << 1000 << 3 << 512.0 << 0.0;
        QTest::newRow("just above open") << true << 1000 << 0 << 1022000.001 << 1023.0;
        QTest::newRow("largest range") << true << 2147483647 << 0 << 2147483647.0 * 1022 << 1022.0;
        QTest::newRow("current above scale") << true << 500 << 1 << 100.0 << 1023.0;
        QTest::newRow("current 10 mA of 50") << true << 500 << 1 << 10.0 << 205.0;
        QTest::newRow("unknown mode to count") << true << 1000 << 3 << 500.0 << 0.0;
        QTest::newRow("not a number") << true << 500 << 1 << std::nan("") << 0.0;
    }
    void convertsResistance()
    {
        QFETCH(bool, toCount);
        QFETCH(int, range);
        QFETCH(int, mode);
        QFETCH(double, given);
        const TesterState s = rangeState(toCount, range, mode);
        QTEST(toCount ? double(countFromResistance(s, given)) : resistanceFromCount(s, int32_t(given)), "expected");
    }

    // A tolerance written to a file as text reads back as the same count.
    void formattedCountsReadBack_data()
    {
        addColumns<int, int>("range", "mode");
        QTest::newRow("pull-up 1000") << 1000 << 0;
        QTest::newRow("current 500") << 500 << 1;
        QTest::newRow("voltage 5000") << 5000 << 2;
    }
    void formattedCountsReadBack()
    {
        QFETCH(int, range);
        QFETCH(int, mode);
        TesterState s = rangeState(true, range, mode);
        s.reported.rangePullUp = range;
        s.reported.rangeMode = int16_t(mode);
        for (int32_t count = 0; count <= 1023; ++count)
            QCOMPARE(countFromResistance(s, parseNumber(formatResistance(s, count, true))), count);
    }
};

QTEST_GUILESS_MAIN(DataFormatTest)
#include "DataFormatTest.moc"
