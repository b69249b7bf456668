// The engine on the real serial backend against a simulated tester that goes
// silent or whose cable is pulled: the link must come back every time, never
// hang and never spin.

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
    void lostTesterIsFoundAgain_data()
    {
        QTest::addColumn<bool>("pulled");
        QTest::addColumn<int>("minTicks");   // until the port is closed
        QTest::addColumn<int>("maxTicks");
        QTest::newRow("silent tester: 13 s timeout") << false << 258 << 261;
        QTest::newRow("pulled cable: closed at once") << true << 1 << 2;
    }

    // The tester goes away while a reply is awaited: the port closes, the search
    // goes on, and the tester is found again on port 1 without a restart.
    void lostTesterIsFoundAgain()
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
};

QTEST_GUILESS_MAIN(LineFaultsEndToEndTest)
#include "LineFaultsEndToEndTest.moc"
