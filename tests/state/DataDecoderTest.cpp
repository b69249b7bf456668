#include "engine/state/DataDecoder.h"
#include "engine/state/TesterState.h"
#include "support/OneLine.h"
#include "support/TestKit.h"

// A 37-field record: version, then fields 2..37 holding n * 10.
static QStringList recordFields(int version)
{
    QStringList f;
    f << QString::number(version);
    for (int n = 2; n <= 37; ++n)
        f << QString::number(n * 10);
    f[7] = QStringLiteral("1");         // field 8, status: running
    f[8] = QStringLiteral("SN 0042");   // field 9, serial number text
    return f;
}

// Decoding the tester's data record into the state, field by field.
class DataDecoderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every field of the record holds a value of its own (only the mode and the low down tolerance are both 0): a
    // field read into the wrong place shows where the decoded values, in record order, differ from the record.
    void fullRecord()
    {
        TesterState s;
        const QString record = QStringLiteral("12;3000;62500;48;52;11;1021;1;41800123;10;3;100000;5;2;1234;500;50;450;"
                                              "60;1019;1008;14;9;2800;1900;129;125;49;1023;512;16;0;1000;0;4;1600;950");
        QString line = record;
        const DecodedSample sample = DataDecoder(s, line).decodeSample();
        const auto &r = s.reported;
        const auto &c = s.counters;
        const QString decoded =
            oneLine(s.identity.softwareVersion, r.maxDownBounceTol, r.maxUpBounceTol, c.lastDownStrokeTime,
                    c.lastUpStrokeTime, c.lastDownResistance, c.lastUpResistance, c.status, s.identity.serialNumber,
                    r.failLimit, r.seqLimit, r.cycleLimit, c.failCount, c.seqCount, c.cycleCount, r.maxDownTime,
                    r.minDownTime, r.maxUpTime, r.minUpTime, c.maxUpResistance, c.minUpResistance, c.maxDownResistance,
                    c.minDownResistance, c.maxUpBounce, c.maxDownBounce, r.upperBounce, r.lowerBounce, r.contact,
                    r.maxUpResistTol, r.minUpResistTol, r.maxDownResistTol, r.minDownResistTol, r.rangePullUp,
                    r.rangeMode, c.errorCode, c.lastDownBounceTime, c.lastUpBounceTime);
        QCOMPARE(decoded, QString(record).replace(';', ' '));
        QVERIFY(line.isEmpty());
        QVERIFY(c.running && s.session.dirtyData && s.session.downloadedOnce);
        QVERIFY(sample.takenAt.isValid() && sample.takenAt == c.updateTime && !sample.pistonDown);
    }

    void recordVariants_data()
    {
        // expected: fields 36 and 37 (last bounces), 10 (fail limit), 26..28 (each kept to its low 8 bits), then
        // the serial number (field 9) and what is left of the line
        addColumns<QString, QString>("line", "expected");

        const QStringList v11 = recordFields(11);
        const QStringList v12 = recordFields(12);
        QStringList emptySerial = v12;
        emptySerial[8] = QString();
        QStringList hugeLimit = v12;
        hugeLimit[9] = QStringLiteral("99999999999");

        // Before decoding, the last-bounce fields hold 5 and 6, the fail limit 7.
        addRow("old software: the last two fields stay unread", v11.join(';'), "5 6 100 4 14 24 SN 0042 360;370");
        addRow("record of version only", "12", "255 255 255 255 255 255 255 ");
        addRow("empty serial number keeps the later fields in place", emptySerial.join(';'), "360 370 100 4 14 24  ");
        addRow("a number too large for its field keeps the old value", hugeLimit.join(';'),
               "360 370 7 4 14 24 SN 0042 ");
    }

    void recordVariants()
    {
        QFETCH(QString, line);

        TesterState s;
        s.counters.lastDownBounceTime = 5;
        s.counters.lastUpBounceTime = 6;
        s.reported.failLimit = 7;
        DataDecoder(s, line).decodeSample();
        const auto &r = s.reported;
        QTEST(oneLine(s.counters.lastDownBounceTime, s.counters.lastUpBounceTime, r.failLimit, r.upperBounce,
                      r.lowerBounce, r.contact, s.identity.serialNumber, line),
              "expected");
    }

    // The status byte: run flag and error lamp, blinking winning over lit.
    void statusByte_data()
    {
        addColumns<int, QString>("status", "expected");   // running, lamp (0 lit, 1 dark, 2 blinking), piston down
        addRow("lamp lit", 2, "0 0 0");
        addRow("running, blinking wins over lit", 19, "1 2 0");
        addRow("piston down, lamp dark", 8, "0 1 1");
    }

    void statusByte()
    {
        QFETCH(int, status);
        TesterState s;
        QString line;
        DataDecoder(s, line).decodeStatus(int16_t(status));
        QTEST(oneLine(s.counters.running, s.counters.ledState, pistonIsDown(int16_t(status))), "expected");
    }
};

QTEST_GUILESS_MAIN(DataDecoderTest)
#include "DataDecoderTest.moc"
