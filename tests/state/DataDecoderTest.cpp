#include "engine/state/DataDecoder.h"
#include "engine/state/TesterState.h"
#include "support/FakeView.h"

#include <QTest>

// A 37-field record: version, then fields 2..37 holding distinct values.
static QStringList recordFields(int version)
{
    QStringList f;
    f << QString::number(version);
    for (int n = 2; n <= 37; ++n)
        f << QString::number(n * 10);
    f[7] = QStringLiteral("1");          // field 8, status: running
    f[8] = QStringLiteral("SN 0042");    // field 9, serial number text
    return f;
}

// Decoding the tester's data record into the state, field by field.
class DataDecoderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullRecord()
    {
        TesterState s;
        FakeView view;
        QString line = recordFields(12).join(QLatin1Char(';'));
        DataDecoder decoder(s, view, line);
        decoder.GetAllData();

        // Field n of the record holds n * 10 (field 1 the version, 8 the status,
        // 9 the serial number); the three byte fields keep their low 8 bits.
        const QList<qint64> decoded = {
            s.vSoftwareVersion, s.vMaxDownBounceTol, s.vMaxUpBounceTol, s.vLastDownStrokeTime,
            s.vLastUpStrokeTime, s.vLastMeasuredDownResist, s.vLastMeasuredUpResist, s.vStatus,
            s.vFailLimit, s.vSeqLimit, s.vCycleLimit, s.FailCount, s.SeqCount, s.CycleCount,
            s.vMaxDownTime, s.vMinDownTime, s.vMaxUpTime, s.vMinUpTime, s.vMaxUpResistance,
            s.vMinUpResistance, s.vMaxDownResistance, s.vMinDownResistance, s.vMaxUpBounce,
            s.vMaxDownBounce, s.vUpperBounce, s.vLowerBounce, s.vContact, s.vMaxUpResistTol,
            s.vMinUpResistTol, s.vMaxDownResistTol, s.vMinDownResistTol, s.vRPullUp, s.vRMode,
            s.vErrorCode, s.vLastDownBounceTime, s.vLastUpBounceTime};
        QList<qint64> expected = {12, 20, 30, 40, 50, 60, 70, 1};
        for (int n = 10; n <= 37; ++n)
            expected << ((n >= 26 && n <= 28) ? (n * 10) & 255 : n * 10);
        QCOMPARE(decoded, expected);
        QCOMPARE(s.vSerialNumber, QStringLiteral("SN 0042"));
        QVERIFY(line.isEmpty());

        QVERIFY(s.Running);
        QVERIFY(s.IsDirtyData);
        QVERIFY(s.DownLoadedOnce);
        QCOMPARE(view.dataShown, 1);
    }

    void recordVariants_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<qint64>("downBounce");     // field 36
        QTest::addColumn<qint64>("upBounce");       // field 37
        QTest::addColumn<qint64>("failLimit");      // field 10
        QTest::addColumn<QString>("serial");        // field 9
        QTest::addColumn<QString>("rest");

        const QStringList v11 = recordFields(11);
        const QStringList v12 = recordFields(12);
        QStringList emptySerial = v12;
        emptySerial[8] = QString();
        QStringList hugeLimit = v12;
        hugeLimit[9] = QStringLiteral("99999999999");

        // Before decoding, the last-bounce fields hold 5 and 6, the fail limit 7.
        QTest::newRow("old software: the last two fields stay unread")
            << v11.join(';') << qint64(5) << qint64(6) << qint64(100) << "SN 0042" << "360;370";
        QTest::newRow("record of version only")
            << "12" << qint64(255) << qint64(255) << qint64(255) << "255" << "";
        QTest::newRow("empty serial number keeps the later fields in place")
            << emptySerial.join(';') << qint64(360) << qint64(370) << qint64(100) << "" << "";
        QTest::newRow("a number too large for its field keeps the old value")
            << hugeLimit.join(';') << qint64(360) << qint64(370) << qint64(7) << "SN 0042" << "";
    }

    void recordVariants()
    {
        QFETCH(QString, line);
        QFETCH(qint64, downBounce);
        QFETCH(qint64, upBounce);
        QFETCH(qint64, failLimit);

        TesterState s;
        s.vLastDownBounceTime = 5;
        s.vLastUpBounceTime = 6;
        s.vFailLimit = 7;
        FakeView view;
        DataDecoder decoder(s, view, line);
        decoder.GetAllData();

        QCOMPARE(qint64(s.vLastDownBounceTime), downBounce);
        QCOMPARE(qint64(s.vLastUpBounceTime), upBounce);
        QCOMPARE(qint64(s.vFailLimit), failLimit);
        QTEST(s.vSerialNumber, "serial");
        QTEST(line, "rest");
        QVERIFY(s.vUpdateTime.isValid());
    }

    // The status byte: run flag and error lamp, blinking winning over lit.
    void statusByte_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("ledState");
        QTest::newRow("lamp lit") << 2 << false << 0;
        QTest::newRow("running, blinking wins over lit") << 19 << true << 2;
    }

    void statusByte()
    {
        QFETCH(int, status);
        TesterState s;
        FakeView view;
        QString line;
        DataDecoder decoder(s, view, line);
        decoder.DecodeStatus(int16_t(status));
        QTEST(bool(s.Running), "running");
        QTEST(int(s.LEDState), "ledState");
    }
};

QTEST_GUILESS_MAIN(DataDecoderTest)
#include "DataDecoderTest.moc"
