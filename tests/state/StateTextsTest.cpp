#include "state/StateTexts.h"
#include "state/TesterState.h"

#include <QLocale>
#include <QTest>

namespace {

TesterState withRange(int32_t range, int16_t mode)
{
    TesterState s;
    s.vRPullUp = range;
    s.vRMode = mode;
    return s;
}

} // namespace

class StateTextsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rangeTexts_data();
    void rangeTexts();
    void versionTexts_data();
    void versionTexts();
    void serialPanel_data();
    void serialPanel();
    void contactUnits_data();
    void contactUnits();
    void sampleTime_data();
    void sampleTime();
};

void StateTextsTest::rangeTexts_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("modePanel");

    QTest::newRow("pull-up") << 1000 << 0 << "1000" << "1000 Ohms" << "Pullup Mode";
    QTest::newRow("largest pull-up") << 2147483647 << 0 << "2147483647" << "2147483647 Ohms" << "Pullup Mode";
    QTest::newRow("current") << 500 << 1 << "50.0" << "50.0 ma" << "Current Mode";
    QTest::newRow("small current") << 5 << 1 << "0.5" << "0.5 ma" << "Current Mode";
    QTest::newRow("voltage") << 5000 << 2 << "5.000" << "5.000 volts" << "Voltage Mode";
    QTest::newRow("odd voltage") << 1234 << 2 << "1.234" << "1.234 volts" << "Voltage Mode";
    QTest::newRow("no range yet, pull-up") << -1 << 0 << "-----" << "----- Ohms" << "Pullup Mode";
    QTest::newRow("range zero") << 0 << 1 << "-----" << "----- ma" << "Current Mode";
    QTest::newRow("start-up") << -1 << -1 << "-----" << "-----" << "??? Mode";
    QTest::newRow("unknown mode") << 1000 << 3 << "----" << "----" << "??? Mode";
}

void StateTextsTest::rangeTexts()
{
    QFETCH(int, range);
    QFETCH(int, mode);
    QFETCH(QString, value);
    QFETCH(QString, panel);
    QFETCH(QString, modePanel);
    const TesterState s = withRange(range, int16_t(mode));
    QCOMPARE(GetRValueString(s), value);
    QCOMPARE(RValuePanelText(s), panel);
    QCOMPARE(ModePanelText(s), modePanel);
}

void StateTextsTest::versionTexts_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("lastBounce");

    QTest::newRow("start-up") << 0 << "Software Ver ???" << false;
    QTest::newRow("below 1.0") << 9 << "Software Ver ???" << false;
    QTest::newRow("negative") << -12 << "Software Ver ???" << false;
    QTest::newRow("1.0") << 10 << "Software Ver 1.0" << false;
    QTest::newRow("1.1") << 11 << "Software Ver 1.1" << false;
    QTest::newRow("1.2") << 12 << "Software Ver 1.2" << true;
    QTest::newRow("2.1") << 21 << "Software Ver 2.1" << true;
    QTest::newRow("12.5") << 125 << "Software Ver 12.5" << true;
}

void StateTextsTest::versionTexts()
{
    QFETCH(int, version);
    QFETCH(QString, text);
    QFETCH(bool, lastBounce);
    TesterState s;
    s.vSoftwareVersion = version;
    QCOMPARE(DisplayVersion(s), text);
    QCOMPARE(HasLastBounce(s), lastBounce);
}

void StateTextsTest::serialPanel_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "" << "S/N ";
    QTest::newRow("serial") << "A1234" << "S/N A1234";
}

void StateTextsTest::serialPanel()
{
    QFETCH(QString, serial);
    QFETCH(QString, text);
    TesterState s;
    s.vSerialNumber = serial;
    QCOMPARE(SerialPanelText(s), text);
}

void StateTextsTest::contactUnits_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::newRow("pull-up") << 0 << "ohms";
    QTest::newRow("current") << 1 << "ma";
    QTest::newRow("voltage") << 2 << "volts";
    QTest::newRow("not reported") << -1 << "----";
    QTest::newRow("unknown") << 3 << "----";
}

void StateTextsTest::contactUnits()
{
    QFETCH(int, mode);
    QFETCH(QString, text);
    QCOMPARE(ContactUnitText(mode), text);
}

void StateTextsTest::sampleTime_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("text");

    // German dates would read 07.03.2024; the month comes first whatever the locale.
    QTest::newRow("afternoon") << QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9)) << "03/07/2024 14:05:09";
    QTest::newRow("midnight") << QDateTime(QDate(2024, 12, 31), QTime(0, 0, 0)) << "12/31/2024 00:00:00";
    QTest::newRow("milliseconds dropped") << QDateTime(QDate(1999, 1, 2), QTime(23, 59, 59, 999))
                                          << "01/02/1999 23:59:59";
    QTest::newRow("invalid") << QDateTime() << "";
}

void StateTextsTest::sampleTime()
{
    QFETCH(QDateTime, time);
    QFETCH(QString, text);
    QCOMPARE(QLocale().decimalPoint(), QStringLiteral(","));
    QCOMPARE(FormatSampleTime(time), text);
}

QTEST_GUILESS_MAIN(StateTextsTest)
#include "StateTextsTest.moc"
