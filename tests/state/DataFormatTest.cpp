#include "state/DataFormat.h"
#include "state/NumberReader.h"
#include "state/TesterState.h"

#include <QLocale>
#include <QTest>

#include <cmath>

namespace {

// Reported (v) and configured (s) range and mode. The pair a procedure must
// not read is set to values that would give another result.
TesterState reported(int32_t range, int mode)
{
    TesterState s;
    s.vRPullUp = range;
    s.vRMode = int16_t(mode);
    s.sRPullUp = 0;
    s.sRMode = 3;
    return s;
}

TesterState configured(int32_t range, int mode)
{
    TesterState s;
    s.sRPullUp = range;
    s.sRMode = int16_t(mode);
    s.vRPullUp = 0;
    s.vRMode = 3;
    return s;
}

} // namespace

class DataFormatTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every expected text below has a full stop: a locale slip fails them.
    void initTestCase() { QCOMPARE(QLocale().decimalPoint(), QStringLiteral(",")); }

    void formatsDecimal_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("minDecimals");
        QTest::addColumn<int>("maxDecimals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("2.5 to even") << 2.5 << 0 << 0 << "2";
        QTest::newRow("3.5 to even") << 3.5 << 0 << 0 << "4";
        QTest::newRow("-2.5 to even") << -2.5 << 0 << 0 << "-2";
        QTest::newRow("0.05 to even") << 0.05 << 1 << 1 << "0.0";
        QTest::newRow("0.15 to even") << 0.15 << 1 << 1 << "0.2";
        // Binary 0.0125 lies a little above the half, binary 1.005 a little below.
        QTest::newRow("0.0125 is a half") << 0.0125 << 3 << 3 << "0.012";
        QTest::newRow("1.005 is a half") << 1.005 << 2 << 2 << "1.00";
        QTest::newRow("above the half") << 0.0125001 << 3 << 3 << "0.013";
        QTest::newRow("arithmetic noise") << 0.1 + 0.2 << 1 << 3 << "0.3";
        QTest::newRow("carry into integer") << 9.9996 << 1 << 3 << "10.0";
        QTest::newRow("carry adds a digit") << 999.96 << 1 << 1 << "1000.0";
        QTest::newRow("12 keeps one zero") << 12.0 << 1 << 3 << "12.0";
        QTest::newRow("12.25") << 12.25 << 1 << 3 << "12.25";
        QTest::newRow("12.1234") << 12.1234 << 1 << 3 << "12.123";
        QTest::newRow("tiny") << 1e-20 << 1 << 1 << "0.0";
        QTest::newRow("no negative zero") << -0.0004 << 3 << 3 << "0.000";
        QTest::newRow("no digit grouping") << 4389456574468.0 << 1 << 1 << "4389456574468.0";
        QTest::newRow("not a number") << std::nan("") << 1 << 1 << "???";
    }
    void formatsDecimal()
    {
        QFETCH(double, value);
        QFETCH(int, minDecimals);
        QFETCH(int, maxDecimals);
        QFETCH(QString, expected);
        QCOMPARE(FormatDecimal(value, minDecimals, maxDecimals), expected);
    }

    void formatsResistance_data()
    {
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("openAsNumber");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pull-up 512") << 1000 << 0 << 512 << false << "1002.0";
        QTest::newRow("pull-up 1022") << 1000 << 0 << 1022 << false << "1022000.0";
        QTest::newRow("open") << 1000 << 0 << 1023 << false << "open";
        QTest::newRow("open as number") << 1000 << 0 << 1023 << true << "2044000.0";
        QTest::newRow("1024 is open") << 1000 << 0 << 1024 << false << "open";
        QTest::newRow("-5 is 0") << 1000 << 0 << -5 << false << "0.0";
        QTest::newRow("largest range, no overflow") << 2147483647 << 0 << 1023 << true << "4389456574468.0";
        QTest::newRow("no range, pull-up") << 0 << 0 << 1023 << false << "???";
        QTest::newRow("no range, current") << 0 << 1 << 512 << false << "???";
        QTest::newRow("no range, voltage") << -1 << 2 << 512 << false << "???";
        QTest::newRow("mode 3") << 1000 << 3 << 512 << false << "???";
        QTest::newRow("current 0") << 500 << 1 << 0 << false << "0.0";
        QTest::newRow("current 1023") << 500 << 1 << 1023 << true << "50.0";
        QTest::newRow("current 511") << 500 << 1 << 511 << false << "24.976";
        QTest::newRow("current 12") << 500 << 1 << 12 << false << "0.587";
        QTest::newRow("current whole") << 10230 << 1 << 12 << false << "12.0";
        QTest::newRow("current 1024") << 500 << 1 << 1024 << false << "50.0";
        QTest::newRow("voltage 1023") << 5000 << 2 << 1023 << false << "5.000";
        QTest::newRow("voltage 512") << 5000 << 2 << 512 << false << "2.502";
        QTest::newRow("voltage -5") << 5000 << 2 << -5 << false << "0.000";
    }
    void formatsResistance()
    {
        QFETCH(int, range);
        QFETCH(int, mode);
        QFETCH(int, count);
        QFETCH(bool, openAsNumber);
        QFETCH(QString, expected);
        QCOMPARE(FormatResistance(reported(range, mode), count, openAsNumber), expected);
    }

    void formatsTimes_data()
    {
        QTest::addColumn<bool>("bounce");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("stroke 0") << false << 0 << "0.000";
        QTest::newRow("stroke 1500 ms") << false << 1500 << "1.500";
        QTest::newRow("stroke negative") << false << -1500 << "-1.500";
        QTest::newRow("stroke smallest") << false << int(INT32_MIN) << "-2147483.648";
        QTest::newRow("bounce 0") << true << 0 << "0.000000";
        QTest::newRow("bounce 1000 ticks") << true << 1000 << "0.001600";
        QTest::newRow("bounce 1 tick") << true << 1 << "0.000002";
        QTest::newRow("bounce negative") << true << -1000 << "-0.001600";
        QTest::newRow("bounce largest") << true << 2147483647 << "3435.973835";
    }
    void formatsTimes()
    {
        QFETCH(bool, bounce);
        QFETCH(int, value);
        QFETCH(QString, expected);
        QCOMPARE(bounce ? FormatBounceTime(value) : FormatStrokeTime(value), expected);
    }

    void convertsCountToValue_data()
    {
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("expected");
        QTest::newRow("pull-up 512") << 1000 << 0 << 512 << 1000.0 * 512 / 511;
        QTest::newRow("pull-up beyond open") << 1000 << 0 << 2000 << 1e40;
        QTest::newRow("pull-up -5") << 1000 << 0 << -5 << 0.0;
        QTest::newRow("current") << 500 << 1 << 1023 << 50.0;
        QTest::newRow("voltage clamps") << 5000 << 2 << 2000 << 5.0;
        QTest::newRow("no range") << 0 << 0 << 512 << 0.0;
        QTest::newRow("unknown mode") << 1000 << 3 << 512 << 0.0;
    }
    void convertsCountToValue()
    {
        QFETCH(int, range);
        QFETCH(int, mode);
        QFETCH(int, count);
        QFETCH(double, expected);
        QCOMPARE(ResistanceFromCount(reported(range, mode), count), expected);
    }

    void convertsValueToCount_data()
    {
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("mode");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("exactly range x 1022") << 1000 << 0 << 1022000.0 << 1022;
        QTest::newRow("just above") << 1000 << 0 << 1022000.001 << 1023;
        QTest::newRow("open as number") << 1000 << 0 << 2044000.0 << 1023;
        QTest::newRow("negative") << 1000 << 0 << -1.0 << 0;
        QTest::newRow("511.5 to even") << 1000 << 0 << 1000.0 << 512;
        QTest::newRow("510.5 to even") << 1025 << 0 << 1021.0 << 510;
        QTest::newRow("largest range") << 2147483647 << 0 << 2147483647.0 * 1022 << 1022;
        QTest::newRow("current full scale") << 500 << 1 << 50.0 << 1023;
        QTest::newRow("current 24.976") << 500 << 1 << 24.976 << 511;
        QTest::newRow("current above scale") << 500 << 1 << 100.0 << 1023;
        QTest::newRow("current negative") << 500 << 1 << -3.0 << 0;
        QTest::newRow("voltage full scale") << 5000 << 2 << 5.0 << 1023;
        QTest::newRow("voltage 511.5") << 5000 << 2 << 2.5 << 512;
        QTest::newRow("unknown mode") << 1000 << 3 << 500.0 << 0;
        QTest::newRow("no range") << 0 << 0 << 500.0 << 0;
        QTest::newRow("not a number") << 500 << 1 << std::nan("") << 0;
    }
    void convertsValueToCount()
    {
        QFETCH(int, range);
        QFETCH(int, mode);
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(CountFromResistance(configured(range, mode), value), expected);
    }

    // A tolerance written to a file as text reads back as the same count.
    void formattedCountsReadBack_data()
    {
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("mode");
        QTest::newRow("pull-up 1000") << 1000 << 0;
        QTest::newRow("pull-up 10000") << 10000 << 0;
        QTest::newRow("current 500") << 500 << 1;
        QTest::newRow("voltage 5000") << 5000 << 2;
    }
    void formattedCountsReadBack()
    {
        QFETCH(int, range);
        QFETCH(int, mode);
        TesterState s = reported(range, mode);
        s.sRPullUp = range;
        s.sRMode = int16_t(mode);
        for (int32_t count = 0; count <= 1023; ++count)
            QCOMPARE(CountFromResistance(s, ReadNumber(FormatResistance(s, count, true))), count);
    }
};

QTEST_GUILESS_MAIN(DataFormatTest)
#include "DataFormatTest.moc"
