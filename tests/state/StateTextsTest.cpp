#include "state/StateTexts.h"
#include "state/TesterState.h"

#include <QLocale>
#include <QTest>

class StateTextsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QCOMPARE(QLocale().decimalPoint(), QStringLiteral(",")); }

    void rangeTexts_data()
    {
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("panel");
        QTest::newRow("pull-up") << 1000 << 0 << "1000" << "1000 Ohms";
        QTest::newRow("current") << 500 << 1 << "50.0" << "50.0 ma";
        QTest::newRow("small current") << 5 << 1 << "0.5" << "0.5 ma";
        QTest::newRow("voltage") << 1234 << 2 << "1.234" << "1.234 volts";
        QTest::newRow("no range yet") << -1 << 0 << "-----" << "----- Ohms";
        QTest::newRow("start-up") << -1 << -1 << "-----" << "-----";
        QTest::newRow("unknown mode") << 1000 << 3 << "----" << "----";
    }
    void rangeTexts()
    {
        QFETCH(int, range);
        QFETCH(int, mode);
        QFETCH(QString, value);
        QFETCH(QString, panel);
        TesterState s;
        s.vRPullUp = range;
        s.vRMode = int16_t(mode);
        QCOMPARE(GetRValueString(s), value);
        QCOMPARE(RValuePanelText(s), panel);
    }

    void versionTexts_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("lastBounce");
        QTest::newRow("0.9") << 9 << "Software Ver ???" << false;
        QTest::newRow("negative") << -12 << "Software Ver ???" << false;
        QTest::newRow("1.1") << 11 << "Software Ver 1.1" << false;
        QTest::newRow("1.2") << 12 << "Software Ver 1.2" << true;
        QTest::newRow("12.5") << 125 << "Software Ver 12.5" << true;
    }
    void versionTexts()
    {
        QFETCH(int, version);
        QFETCH(QString, text);
        QFETCH(bool, lastBounce);
        TesterState s;
        s.vSoftwareVersion = version;
        QCOMPARE(DisplayVersion(s), text);
        QCOMPARE(HasLastBounce(s), lastBounce);
    }

    // A German date would read 07.03.2024; the month comes first regardless.
    void sampleTime_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("afternoon") << QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9)) << "03/07/2024 14:05:09";
        QTest::newRow("milliseconds dropped") << QDateTime(QDate(1999, 1, 2), QTime(23, 59, 59, 999))
                                              << "01/02/1999 23:59:59";
        QTest::newRow("invalid") << QDateTime() << "";
    }
    void sampleTime()
    {
        QFETCH(QDateTime, time);
        QFETCH(QString, text);
        QCOMPARE(FormatSampleTime(time), text);
    }
};

QTEST_GUILESS_MAIN(StateTextsTest)
#include "StateTextsTest.moc"
