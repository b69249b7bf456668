#include "engine/state/DataDecoder.h"
#include "engine/state/TesterState.h"
#include "support/TestColumns.h"
#include "support/TestRows.h"

#include <QTest>

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
    // A running tester of software 1.2 answering the data request, field by
    // field as it sends them: its configuration (contact 49, a 1000-ohm
    // pull-up), 1234 cycles with 5 failures, 2 of them in a row, and its
    // measurements. The fields hold values of their own (only the mode and
    // the low down tolerance are both 0), so a field read into the wrong
    // place shows by name.
    void fullRecord()
    {
        TesterState s;
        QString line = QStringLiteral("12;3000;62500;48;52;11;1021;1;41800123;10;3;100000;5;2;1234;500;50;450;60;"
                                      "1019;1008;14;9;2800;1900;129;125;49;1023;512;16;0;1000;0;4;1600;950");
        DataDecoder decoder(s, line);
        const DecodedSample sample = decoder.decodeSample();

        const struct
        {
            const char *name;
            qint64 decoded, known;
        } fields[] = {{"software", s.identity.softwareVersion, 12},
                      {"pull-up", s.reported.rangePullUp, 1000},
                      {"mode", s.reported.rangeMode, 0},
                      {"cycles", s.counters.cycleCount, 1234},
                      {"failures", s.counters.failCount, 5},
                      {"failures in a row", s.counters.seqCount, 2},
                      {"cycle limit", s.reported.cycleLimit, 100000},
                      {"failure limit", s.reported.failLimit, 10},
                      {"sequential limit", s.reported.seqLimit, 3},
                      {"contact", s.reported.contact, 49},
                      {"upper threshold", s.reported.upperBounce, 129},
                      {"lower threshold", s.reported.lowerBounce, 125},
                      {"longest down time", s.reported.maxDownTime, 500},
                      {"shortest down time", s.reported.minDownTime, 50},
                      {"longest up time", s.reported.maxUpTime, 450},
                      {"shortest up time", s.reported.minUpTime, 60},
                      {"down tolerance, high", s.reported.maxDownResistTol, 16},
                      {"down tolerance, low", s.reported.minDownResistTol, 0},
                      {"up tolerance, high", s.reported.maxUpResistTol, 1023},
                      {"up tolerance, low", s.reported.minUpResistTol, 512},
                      {"down bounce tolerance", s.reported.maxDownBounceTol, 3000},
                      {"up bounce tolerance", s.reported.maxUpBounceTol, 62500},
                      {"down reading, highest", s.counters.maxDownResistance, 14},
                      {"down reading, lowest", s.counters.minDownResistance, 9},
                      {"up reading, highest", s.counters.maxUpResistance, 1019},
                      {"up reading, lowest", s.counters.minUpResistance, 1008},
                      {"down bounce, longest", s.counters.maxDownBounce, 1900},
                      {"up bounce, longest", s.counters.maxUpBounce, 2800},
                      {"last down reading", s.counters.lastDownResistance, 11},
                      {"last up reading", s.counters.lastUpResistance, 1021},
                      {"last down time", s.counters.lastDownStrokeTime, 48},
                      {"last up time", s.counters.lastUpStrokeTime, 52},
                      {"last down bounce", s.counters.lastDownBounceTime, 1600},
                      {"last up bounce", s.counters.lastUpBounceTime, 950},
                      {"status", s.counters.status, 1},
                      {"error code", s.counters.errorCode, 4}};
        for (const auto &field : fields)
            QVERIFY2(field.decoded == field.known, field.name);
        QCOMPARE(s.identity.serialNumber, QStringLiteral("41800123"));
        QVERIFY(line.isEmpty());

        QVERIFY(s.counters.running);
        QVERIFY(s.session.dirtyData);
        QVERIFY(s.session.downloadedOnce);
        QVERIFY(sample.takenAt.isValid());
        QVERIFY(!sample.pistonDown);
    }

    void recordVariants_data()
    {
        // downBounce: field 36; upBounce: field 37; failLimit: field 10; serial: field 9; bytes: fields 26..28, each
        // kept to its low 8 bits
        addColumns<QString, qint64, qint64, qint64, QString, QString, QList<int>>(
            "line", "downBounce", "upBounce", "failLimit", "serial", "rest", "bytes");

        const QStringList v11 = recordFields(11);
        const QStringList v12 = recordFields(12);
        QStringList emptySerial = v12;
        emptySerial[8] = QString();
        QStringList hugeLimit = v12;
        hugeLimit[9] = QStringLiteral("99999999999");

        // Before decoding, the last-bounce fields hold 5 and 6, the fail limit 7.
        addRow("old software: the last two fields stay unread", v11.join(';'), qint64(5), qint64(6), qint64(100),
               "SN 0042", "360;370", QList<int>{4, 14, 24});
        addRow("record of version only", "12", qint64(255), qint64(255), qint64(255), "255", "",
               QList<int>{255, 255, 255});
        addRow("empty serial number keeps the later fields in place", emptySerial.join(';'), qint64(360), qint64(370),
               qint64(100), "", "", QList<int>{4, 14, 24});
        addRow("a number too large for its field keeps the old value", hugeLimit.join(';'), qint64(360), qint64(370),
               qint64(7), "SN 0042", "", QList<int>{4, 14, 24});
    }

    void recordVariants()
    {
        QFETCH(QString, line);

        TesterState s;
        s.counters.lastDownBounceTime = 5;
        s.counters.lastUpBounceTime = 6;
        s.reported.failLimit = 7;
        DataDecoder decoder(s, line);
        const DecodedSample sample = decoder.decodeSample();

        QCOMPARE(sample.takenAt, s.counters.updateTime);
        QTEST(qint64(s.counters.lastDownBounceTime), "downBounce");
        QTEST(qint64(s.counters.lastUpBounceTime), "upBounce");
        QTEST(qint64(s.reported.failLimit), "failLimit");
        QTEST(s.identity.serialNumber, "serial");
        QTEST(line, "rest");
        QTEST((QList<int>{s.reported.upperBounce, s.reported.lowerBounce, s.reported.contact}), "bytes");
        QVERIFY(s.counters.updateTime.isValid());
    }

    // The status byte: run flag and error lamp, blinking winning over lit.
    void statusByte_data()
    {
        addColumns<int, bool, int, bool>("status", "running", "ledState", "pistonDown");
        addRow("lamp lit", 2, false, 0, false);
        addRow("running, blinking wins over lit", 19, true, 2, false);
        addRow("piston down, lamp dark", 8, false, 1, true);
    }

    void statusByte()
    {
        QFETCH(int, status);
        TesterState s;
        QString line;
        DataDecoder decoder(s, line);
        decoder.decodeStatus(int16_t(status));
        QTEST(bool(s.counters.running), "running");
        QTEST(int(s.counters.ledState), "ledState");
        QTEST(pistonIsDown(int16_t(status)), "pistonDown");
    }
};

QTEST_GUILESS_MAIN(DataDecoderTest)
#include "DataDecoderTest.moc"
