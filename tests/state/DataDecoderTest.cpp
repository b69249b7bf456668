#include "engine/state/DataDecoder.h"
#include "engine/state/TesterState.h"
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

// Fields of different widths as one list.
template <typename... Fields>
QList<qint64> numbers(const Fields &...fields)
{
    return {qint64(fields)...};
}

// Decoding the tester's data record into the state, field by field.
class DataDecoderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A running tester of software 1.2 answering the data request: every
    // field holds a value of its own (only the mode and the low down
    // tolerance are both 0), so a field read into the wrong place shows as the
    // index where the decoded values, listed in record order, differ.
    void fullRecord()
    {
        TesterState s;
        const QString record = QStringLiteral("12;3000;62500;48;52;11;1021;1;41800123;10;3;100000;5;2;1234;500;50;450;"
                                              "60;1019;1008;14;9;2800;1900;129;125;49;1023;512;16;0;1000;0;4;1600;950");
        QString line = record;
        const DecodedSample sample = DataDecoder(s, line).decodeSample();
        const auto &r = s.reported;
        const auto &c = s.counters;
        const QList<qint64> decoded = numbers(
            s.identity.softwareVersion, r.maxDownBounceTol, r.maxUpBounceTol, c.lastDownStrokeTime, c.lastUpStrokeTime,
            c.lastDownResistance, c.lastUpResistance, c.status, r.failLimit, r.seqLimit, r.cycleLimit, c.failCount,
            c.seqCount, c.cycleCount, r.maxDownTime, r.minDownTime, r.maxUpTime, r.minUpTime, c.maxUpResistance,
            c.minUpResistance, c.maxDownResistance, c.minDownResistance, c.maxUpBounce, c.maxDownBounce, r.upperBounce,
            r.lowerBounce, r.contact, r.maxUpResistTol, r.minUpResistTol, r.maxDownResistTol, r.minDownResistTol,
            r.rangePullUp, r.rangeMode, c.errorCode, c.lastDownBounceTime, c.lastUpBounceTime);
        QStringList fields = record.split(';');
        QCOMPARE(s.identity.serialNumber, fields.takeAt(8));
        QList<qint64> sent;
        for (const QString &field : fields)
            sent << field.toLongLong();
        QCOMPARE(decoded, sent);
        QVERIFY(line.isEmpty());
        QVERIFY(c.running && s.session.dirtyData && s.session.downloadedOnce);
        QVERIFY(sample.takenAt.isValid() && !sample.pistonDown);
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
