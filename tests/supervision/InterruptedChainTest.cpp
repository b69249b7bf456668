#include "EngineRig.h"

#include "link/Commands.h"

#include <QTest>

// A download or counter reset that the tester breaks off (a rejected reply,
// or none: the port times out and the tester is found again) leaves no
// master or learn ending behind, so the next ordinary download ends with a
// data request, not with a counter reset or the start of a test.
class InterruptedChainTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nextDownloadIsOrdinary_data()
    {
        QTest::addColumn<bool>("master");     // else a learn download
        QTest::addColumn<int>("brokenAt");
        QTest::addColumn<bool>("silent");

        QTest::newRow("learn download rejected at 230") << false << 230 << false;
        QTest::newRow("learn counter reset rejected at 202") << false << 202 << false;
        QTest::newRow("master download rejected at 239") << true << 239 << false;
        QTest::newRow("learn download times out at 233") << false << 233 << true;
    }

    void nextDownloadIsOrdinary()
    {
        QFETCH(bool, master);
        QFETCH(int, brokenAt);
        QFETCH(bool, silent);

        EngineRig rig;
        rig.linkUp();
        QByteArray broken = CommandText(brokenAt).toLatin1();
        rig.port.onWrite = [&](const QByteArray &bytes) {
            const bool breakHere = !broken.isEmpty() && bytes.startsWith(broken);
            if (breakHere)
                broken.clear();
            if (!(breakHere && silent))
                rig.port.queueInput(breakHere ? "?\r" : "*\r");
        };
        rig.s.LearnConfigure = !master;
        if (master)
            rig.engine.StartMasterDownload();
        else
            rig.engine.StartOrdinaryDownload();
        for (int i = 0; i < 600 && !rig.engine.CommReady(); ++i)
            rig.tick();
        QVERIFY(rig.engine.CommReady() && broken.isEmpty());
        QVERIFY(!rig.s.MasterUpdate && !rig.s.LearnConfigure);

        rig.port.takeFrames();
        rig.engine.StartOrdinaryDownload();
        rig.runUntilIdle();
        const QStringList frames = rig.port.takeFrames();
        QCOMPARE(frames.size(), 17);
        QCOMPARE(frames.last(), QStringLiteral("AE"));
    }
};

QTEST_GUILESS_MAIN(InterruptedChainTest)
#include "InterruptedChainTest.moc"
