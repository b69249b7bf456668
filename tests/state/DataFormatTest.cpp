#include "state/DataFormat.h"
#include "state/NumberReader.h"
#include "state/TesterState.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

// The reported range and mode; the configuration's are set to values that
// would give other texts, so reading the wrong pair shows up.
TesterState reported(int32_t range, int16_t mode)
{
    TesterState s;
    s.vRPullUp = range;
    s.vRMode = mode;
    s.sRPullUp = 0;
    s.sRMode = 3;
    return s;
}

TesterState configured(int32_t range, int16_t mode)
{
    TesterState s;
    s.sRPullUp = range;
    s.sRMode = mode;
    s.vRPullUp = 0;
    s.vRMode = 3;
    return s;
}

} // namespace

class DataFormatTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatsDecimal_data();
    void formatsDecimal();
    void formatsResistance_data();
    void formatsResistance();
    void formatsTimes_data();
    void formatsTimes();
    void convertsCountToValue_data();
    void convertsCountToValue();
    void convertsValueToCount_data();
    void convertsValueToCount();
    void formattedCountsReadBack_data();
    void formattedCountsReadBack();
    void ignoresGermanLocale();
    void formatsASampleQuickly();
};

void DataFormatTest::formatsDecimal_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("minDecimals");
    QTest::addColumn<int>("maxDecimals");
    QTest::addColumn<QString>("expected");

    QTest::newRow("half to even down") << 2.5 << 0 << 0 << "2";
    QTest::newRow("half to even up") << 3.5 << 0 << 0 << "4";
    QTest::newRow("half below one") << 0.5 << 0 << 0 << "0";
    QTest::newRow("negative half") << -2.5 << 0 << 0 << "-2";
    QTest::newRow("decimal half 0.05") << 0.05 << 1 << 1 << "0.0";
    QTest::newRow("decimal half 0.15") << 0.15 << 1 << 1 << "0.2";
    QTest::newRow("decimal half 0.25") << 0.25 << 1 << 1 << "0.2";
    // Binary 0.0125 lies a little above the half; its decimal text decides.
    QTest::newRow("decimal half 0.0125") << 0.0125 << 3 << 3 << "0.012";
    QTest::newRow("decimal half 0.0135") << 0.0135 << 3 << 3 << "0.014";
    QTest::newRow("binary 1.005 is a half") << 1.005 << 2 << 2 << "1.00";
    QTest::newRow("above half") << 0.0125001 << 3 << 3 << "0.013";
    QTest::newRow("arithmetic noise") << 0.1 + 0.2 << 1 << 3 << "0.3";
    QTest::newRow("carry into integer") << 9.9996 << 1 << 3 << "10.0";
    QTest::newRow("carry adds a digit") << 999.96 << 1 << 1 << "1000.0";
    QTest::newRow("trailing zeros kept to minimum") << 12.0 << 1 << 3 << "12.0";
    QTest::newRow("two decimals shown") << 12.25 << 1 << 3 << "12.25";
    QTest::newRow("cut at three decimals") << 12.1234 << 1 << 3 << "12.123";
    QTest::newRow("zero six decimals") << 0.0 << 6 << 6 << "0.000000";
    QTest::newRow("tiny rounds to zero") << 1e-20 << 1 << 1 << "0.0";
    QTest::newRow("no negative zero") << -0.0004 << 3 << 3 << "0.000";
    QTest::newRow("no negative zero from -0") << -0.0 << 1 << 1 << "0.0";
    QTest::newRow("negative") << -1.5 << 3 << 3 << "-1.500";
    QTest::newRow("integer digits never cut") << 1234567.25 << 1 << 1 << "1234567.2";
    QTest::newRow("no digit grouping") << 4389456574468.0 << 1 << 1 << "4389456574468.0";
    QTest::newRow("open contact value") << 1e40 << 1 << 1
        << "10000000000000000000000000000000000000000.0";
    QTest::newRow("not a number") << std::nan("") << 1 << 1 << "???";
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 1 << 1 << "???";
}

void DataFormatTest::formatsDecimal()
{
    QFETCH(double, value);
    QFETCH(int, minDecimals);
    QFETCH(int, maxDecimals);
    QFETCH(QString, expected);
    QCOMPARE(FormatDecimal(value, minDecimals, maxDecimals), expected);
}

void DataFormatTest::formatsResistance_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("openAsNumber");
    QTest::addColumn<QString>("expected");

    QTest::newRow("pull-up 512") << 1000 << 0 << 512 << false << "1002.0";
    QTest::newRow("pull-up 0") << 1000 << 0 << 0 << false << "0.0";
    QTest::newRow("pull-up 1022") << 1000 << 0 << 1022 << false << "1022000.0";
    QTest::newRow("open") << 1000 << 0 << 1023 << false << "open";
    QTest::newRow("open as number") << 1000 << 0 << 1023 << true << "2044000.0";
    QTest::newRow("1024 is open") << 1000 << 0 << 1024 << false << "open";
    QTest::newRow("1024 as number") << 1000 << 0 << 1024 << true << "2044000.0";
    QTest::newRow("-5 is 0") << 1000 << 0 << -5 << false << "0.0";
    QTest::newRow("flag ignored below open") << 1000 << 0 << 512 << true << "1002.0";
    QTest::newRow("largest range open, no overflow") << 2147483647 << 0 << 1023 << true
                                                   << "4389456574468.0";
    QTest::newRow("largest range 1022, no overflow") << 2147483647 << 0 << 1022 << false
                                                   << "2194728287234.0";
    QTest::newRow("no range, pull-up") << 0 << 0 << 512 << false << "???";
    QTest::newRow("no range, current") << 0 << 1 << 512 << false << "???";
    QTest::newRow("no range, voltage") << 0 << 2 << 512 << false << "???";
    QTest::newRow("no range, open") << 0 << 0 << 1023 << false << "???";
    QTest::newRow("range not yet reported") << -1 << -1 << 512 << false << "???";
    QTest::newRow("mode 3") << 1000 << 3 << 512 << false << "???";
    QTest::newRow("mode not yet reported") << 1000 << -1 << 512 << false << "???";
    QTest::newRow("current 0") << 500 << 1 << 0 << false << "0.0";
    QTest::newRow("current 1023") << 500 << 1 << 1023 << false << "50.0";
    QTest::newRow("current 511") << 500 << 1 << 511 << false << "24.976";
    QTest::newRow("current 12") << 500 << 1 << 12 << false << "0.587";
    QTest::newRow("current whole value") << 10230 << 1 << 12 << false << "12.0";
    QTest::newRow("current one decimal") << 10230 << 1 << 125 << false << "125.0";
    QTest::newRow("current two decimals") << 1023 << 1 << 125 << false << "12.5";
    QTest::newRow("current 1024 clamps") << 500 << 1 << 1024 << false << "50.0";
    QTest::newRow("current never open") << 500 << 1 << 1023 << true << "50.0";
    QTest::newRow("voltage 1023") << 5000 << 2 << 1023 << false << "5.000";
    QTest::newRow("voltage 0") << 5000 << 2 << 0 << false << "0.000";
    QTest::newRow("voltage 512") << 5000 << 2 << 512 << false << "2.502";
    QTest::newRow("voltage -5 clamps") << 5000 << 2 << -5 << false << "0.000";
}

void DataFormatTest::formatsResistance()
{
    QFETCH(int, range);
    QFETCH(int, mode);
    QFETCH(int, count);
    QFETCH(bool, openAsNumber);
    QFETCH(QString, expected);
    QCOMPARE(FormatResistance(reported(range, int16_t(mode)), count, openAsNumber), expected);
}

void DataFormatTest::formatsTimes_data()
{
    QTest::addColumn<bool>("bounce");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("stroke 0") << false << 0 << "0.000";
    QTest::newRow("stroke 1500 ms") << false << 1500 << "1.500";
    QTest::newRow("stroke 1 ms") << false << 1 << "0.001";
    QTest::newRow("stroke negative") << false << -1500 << "-1.500";
    QTest::newRow("stroke largest") << false << 2147483647 << "2147483.647";
    QTest::newRow("stroke smallest") << false << int(std::numeric_limits<int32_t>::min())
                                     << "-2147483.648";
    QTest::newRow("bounce 0") << true << 0 << "0.000000";
    QTest::newRow("bounce 1000 ticks") << true << 1000 << "0.001600";
    QTest::newRow("bounce 1 tick") << true << 1 << "0.000002";
    QTest::newRow("bounce 625 ticks") << true << 625 << "0.001000";
    QTest::newRow("bounce negative") << true << -1000 << "-0.001600";
    QTest::newRow("bounce largest") << true << 2147483647 << "3435.973835";
}

void DataFormatTest::formatsTimes()
{
    QFETCH(bool, bounce);
    QFETCH(int, value);
    QFETCH(QString, expected);
    QCOMPARE(bounce ? FormatBounceTime(value) : FormatStrokeTime(value), expected);
}

void DataFormatTest::convertsCountToValue_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("expected");

    QTest::newRow("pull-up 512") << 1000 << 0 << 512 << 1000.0 * 512 / 511;
    QTest::newRow("pull-up open") << 1000 << 0 << 1023 << 1e40;
    QTest::newRow("pull-up beyond open") << 1000 << 0 << 2000 << 1e40;
    QTest::newRow("pull-up negative count") << 1000 << 0 << -5 << 0.0;
    QTest::newRow("current full scale") << 500 << 1 << 1023 << 50.0;
    QTest::newRow("voltage full scale") << 5000 << 2 << 1023 << 5.0;
    QTest::newRow("voltage clamps") << 5000 << 2 << 2000 << 5.0;
    QTest::newRow("no range") << 0 << 0 << 512 << 0.0;
    QTest::newRow("unknown mode") << 1000 << 3 << 512 << 0.0;
}

void DataFormatTest::convertsCountToValue()
{
    QFETCH(int, range);
    QFETCH(int, mode);
    QFETCH(int, count);
    QFETCH(double, expected);
    QCOMPARE(ResistanceFromCount(reported(range, int16_t(mode)), count), expected);
}

void DataFormatTest::convertsValueToCount_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");

    QTest::newRow("pull-up exactly range x 1022") << 1000 << 0 << 1022000.0 << 1022;
    QTest::newRow("pull-up just above") << 1000 << 0 << 1022000.001 << 1023;
    QTest::newRow("pull-up open as number") << 1000 << 0 << 2044000.0 << 1023;
    QTest::newRow("pull-up negative") << 1000 << 0 << -1.0 << 0;
    QTest::newRow("pull-up zero") << 1000 << 0 << 0.0 << 0;
    QTest::newRow("pull-up 1002.0") << 1000 << 0 << 1002.0 << 512;
    QTest::newRow("pull-up half to even up") << 1000 << 0 << 1000.0 << 512;        // 511.5
    QTest::newRow("pull-up half to even down") << 1025 << 0 << 1021.0 << 510;      // 510.5
    QTest::newRow("pull-up largest range") << 2147483647 << 0 << 2147483647.0 * 1022 << 1022;
    QTest::newRow("current full scale") << 500 << 1 << 50.0 << 1023;
    QTest::newRow("current 24.976") << 500 << 1 << 24.976 << 511;
    QTest::newRow("current above full scale") << 500 << 1 << 100.0 << 1023;
    QTest::newRow("current negative") << 500 << 1 << -3.0 << 0;
    QTest::newRow("voltage full scale") << 5000 << 2 << 5.0 << 1023;
    QTest::newRow("voltage half to even") << 5000 << 2 << 2.5 << 512;              // 511.5
    QTest::newRow("voltage negative") << 5000 << 2 << -1.0 << 0;
    QTest::newRow("unknown mode") << 1000 << 3 << 500.0 << 0;
    QTest::newRow("no range") << 0 << 0 << 500.0 << 0;
    QTest::newRow("range not set") << -1 << 1 << 5.0 << 0;
    QTest::newRow("not a number") << 500 << 1 << std::nan("") << 0;
}

void DataFormatTest::convertsValueToCount()
{
    QFETCH(int, range);
    QFETCH(int, mode);
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(CountFromResistance(configured(range, int16_t(mode)), value), expected);
}

void DataFormatTest::formattedCountsReadBack_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("mode");
    QTest::newRow("pull-up 1000") << 1000 << 0;
    QTest::newRow("pull-up 10000") << 10000 << 0;
    QTest::newRow("current 500") << 500 << 1;
    QTest::newRow("voltage 5000") << 5000 << 2;
}

// A tolerance written to a file as text must read back as the same count.
void DataFormatTest::formattedCountsReadBack()
{
    QFETCH(int, range);
    QFETCH(int, mode);
    TesterState s = reported(range, int16_t(mode));
    s.sRPullUp = range;
    s.sRMode = int16_t(mode);
    for (int32_t count = 0; count <= 1023; ++count) {
        const QString text = FormatResistance(s, count, true);
        QCOMPARE(CountFromResistance(s, ReadNumber(text)), count);
    }
}

void DataFormatTest::ignoresGermanLocale()
{
    QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));
    QCOMPARE(FormatStrokeTime(1500), QStringLiteral("1.500"));
    QCOMPARE(FormatResistance(reported(1000, 0), 1022, false), QStringLiteral("1022000.0"));
}

// The display formats about 25 texts per sample on the one GUI thread.
void DataFormatTest::formatsASampleQuickly()
{
    const TesterState s = reported(1000, 0);
    const int samples = 2000;
    int totalLength = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < samples; ++i) {
        for (int k = 0; k < 12; ++k) totalLength += FormatResistance(s, (i + k * 97) % 1024, false).size();
        for (int k = 0; k < 7; ++k) totalLength += FormatBounceTime(i * 13 + k).size();
        for (int k = 0; k < 6; ++k) totalLength += FormatStrokeTime(i * 7 + k).size();
    }
    const qint64 microsPerSample = timer.nsecsElapsed() / 1000 / samples;
    QVERIFY(totalLength > 0);
    // 20 us per sample is the budget; a loaded machine gets a wide margin.
    QVERIFY2(microsPerSample < 60, qPrintable(QString::number(microsPerSample) + " us per sample"));
}

QTEST_GUILESS_MAIN(DataFormatTest)
#include "DataFormatTest.moc"
