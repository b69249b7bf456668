// The engine on the real serial backend against a misbehaving simulated
// tester: bad replies, garbage, silence, a pulled cable, and signals that
// cross a command. The link must come back every time, never hang and never
// spin.

#include "SimulatedRig.h"

#include <QTest>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
         + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

class LineFaultsEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linkSurvivesABadReply_data();
    void linkSurvivesABadReply();
    void lostTesterIsFoundAgain_data();
    void lostTesterIsFoundAgain();
    void signalCrossingACommandIsKept_data();
    void signalCrossingACommandIsKept();
};

void LineFaultsEndToEndTest::linkSurvivesABadReply_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("firstRecordTaken");

    QTest::newRow("reply without star") << QStringLiteral("no-star") << false;
    QTest::newRow("stray bytes before the reply") << QStringLiteral("garbage") << false;
    QTest::newRow("reply in four pieces") << QStringLiteral("split") << true;
}

void LineFaultsEndToEndTest::linkSurvivesABadReply()
{
    QFETCH(QString, fault);
    QFETCH(bool, firstRecordTaken);

    SimulatedRig rig;
    QVERIFY(rig.connect());
    SimulatorConfig &config = rig.tester.config();
    if (fault == "no-star")
        config.noStar = true;
    else if (fault == "garbage")
        config.garbageRate = 1.0;
    else
        config.splitReplies = 4;

    rig.tick(3);
    const int saved = rig.log.saved;
    rig.engine->SendCommand(174);
    QVERIFY(rig.tickUntil([&] { return rig.s.ComSeq == 0 && rig.s.comDelayed == 0; }, 40));
    QCOMPARE(rig.log.saved, saved + (firstRecordTaken ? 1 : 0));
    QVERIFY(rig.s.ComChanOpen);
    QVERIFY(rig.engine->CommReady());

    // Once the line is clean, commands and records flow again.
    config = SimulatedRig::FastConfig();
    rig.engine->SendCommand(174);
    QVERIFY(rig.settle());
    QVERIFY(rig.log.saved > saved);
    QVERIFY(rig.engine->CommReady());
}

void LineFaultsEndToEndTest::lostTesterIsFoundAgain_data()
{
    QTest::addColumn<bool>("pulled");
    QTest::addColumn<int>("minTicks");   // until the port is closed
    QTest::addColumn<int>("maxTicks");
    QTest::newRow("silent tester: 13 s timeout") << false << 258 << 261;
    QTest::newRow("pulled cable: closed at once") << true << 1 << 2;
}

// The tester goes away while a reply is awaited: the port closes, the search
// goes on, and the tester is found again on port 1 without a restart.
void LineFaultsEndToEndTest::lostTesterIsFoundAgain()
{
    QFETCH(bool, pulled);
    QFETCH(int, minTicks);
    QFETCH(int, maxTicks);

    SimulatedRig rig;
    QVERIFY(rig.connect());
    rig.tester.config().silent = true;
    rig.engine->SendCommand(174);
    if (pulled)
        rig.pullCable();

    const double cpuBefore = cpuSeconds();
    int ticks = 0;
    while (rig.s.ComChanOpen && ticks < 400) {
        rig.tick();
        ++ticks;
    }
    QVERIFY2(ticks >= minTicks && ticks <= maxTicks, qPrintable(QString::number(ticks)));
    QCOMPARE(rig.port.isOpen(), false);
    rig.tick();
    QCOMPARE(rig.view.barText, QStringLiteral("Searching For Tester On Comm 2"));
    if (pulled) {
        // A vanished device must not keep the process busy.
        rig.tick(300);
        const double used = cpuSeconds() - cpuBefore;
        QVERIFY2(used < 1.5, qPrintable(QString::number(used)));
        QVERIFY(rig.plugCable());
    }
    rig.tester.config().silent = false;
    QVERIFY(rig.connect());
    QCOMPARE(rig.s.ComChan, TesterState::Integer(1));
    QVERIFY(rig.engine->CommReady());
}

void LineFaultsEndToEndTest::signalCrossingACommandIsKept_data()
{
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<bool>("afterWakeUp");
    QTest::newRow("new data before a reply") << QByteArray("+") << false;
    QTest::newRow("test ended before a wake-up answer") << QByteArray("-") << true;
}

void LineFaultsEndToEndTest::signalCrossingACommandIsKept()
{
    QFETCH(QByteArray, signal);
    QFETCH(bool, afterWakeUp);

    SimulatedRig rig;
    QVERIFY(rig.connect());
    rig.engine->SendCommand(162);
    QVERIFY(rig.settle());
    QCOMPARE(rig.s.Running, true);
    // The tester was started, so the next command is woken first, unless
    // the line has just been busy.
    rig.tester.config().periodMs = 1000000;
    if (!afterWakeUp) {
        rig.engine->SendCommand(174);
        QVERIFY(rig.settle());
    }
    rig.takeFrames();

    // The signal is on its way when the operator sends a command; the answer
    // arrives right behind it, as "+*" or "-*".
    rig.tester.injectOnLine(signal);
    rig.stepTester();
    const int saved = rig.log.saved;
    rig.engine->SendCommand(200);   // a quick read while the signal is in the port
    QCOMPARE(rig.s.ComSeq, TesterState::Integer(afterWakeUp ? 5 : 10));
    QVERIFY(rig.settle());
    rig.tick();   // the idle link acts on the kept signal
    QVERIFY(rig.settle());

    QCOMPARE(rig.view.beeps, signal == "-" ? 1 : 0);
    QCOMPARE(rig.s.CycleCount, rig.tester.cycleCount());
    // The reply counted, and the signal still fetched a record.
    const QStringList frames = rig.takeFrames();
    QVERIFY2(frames.indexOf("AE") > frames.indexOf("C8"), qPrintable(frames.join(' ')));
    QCOMPARE(rig.log.saved, saved + 1);
    QVERIFY(rig.engine->CommReady());
}

QTEST_GUILESS_MAIN(LineFaultsEndToEndTest)
#include "LineFaultsEndToEndTest.moc"
