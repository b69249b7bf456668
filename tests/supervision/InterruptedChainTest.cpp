#include "EngineRig.h"

#include "link/Commands.h"

#include <QTest>
#include <algorithm>

// A download or counter reset that the tester breaks off (a rejected reply,
// or no reply at all) leaves no master or learn ending behind: the next
// ordinary download ends with a data request, not with a counter reset or
// the start of a test.
class InterruptedChainTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void laterDownloadIsOrdinary_data();
    void laterDownloadIsOrdinary();
};

void InterruptedChainTest::laterDownloadIsOrdinary_data()
{
    QTest::addColumn<bool>("master");
    QTest::addColumn<bool>("learn");
    QTest::addColumn<int>("brokenAt");
    QTest::addColumn<bool>("silent");     // no reply: the port times out and the tester is found again

    QTest::newRow("learn download rejected at 230") << false << true << 230 << false;
    QTest::newRow("learn counter reset rejected at 202") << false << true << 202 << false;
    QTest::newRow("master download rejected at 239") << true << false << 239 << false;
    QTest::newRow("learn download times out at 233") << false << true << 233 << true;
    QTest::newRow("master counter reset times out at 194") << true << false << 194 << true;
}

void InterruptedChainTest::laterDownloadIsOrdinary()
{
    QFETCH(bool, master);
    QFETCH(bool, learn);
    QFETCH(int, brokenAt);
    QFETCH(bool, silent);

    EngineRig rig;
    rig.linkUp();
    const QByteArray broken = CommandText(brokenAt).toLatin1();
    bool breakNow = true;
    rig.port.onWrite = [&](const QByteArray &bytes) {
        if (bytes.contains(char(27)))
            rig.port.queueInput("*\r");
        else if (breakNow && bytes.startsWith(broken)) {
            breakNow = false;
            if (!silent)
                rig.port.queueInput("?\r");
        } else if (bytes.endsWith('\r'))
            rig.port.queueInput("*\r");
    };
    rig.s.LearnConfigure = learn;
    if (master)
        rig.engine.StartMasterDownload();
    else
        rig.engine.StartOrdinaryDownload();

    for (int i = 0; i < 600 && !rig.engine.CommReady(); ++i)
        rig.tick();
    QVERIFY(rig.engine.CommReady());
    const QStringList sent = rig.port.takeFrames();
    QVERIFY(std::any_of(sent.begin(), sent.end(), [&](const QString &f) { return f.startsWith(broken); }));
    QVERIFY(!rig.s.MasterUpdate);
    QVERIFY(!rig.s.LearnConfigure);

    rig.engine.StartOrdinaryDownload();
    rig.runUntilIdle();
    const QStringList frames = rig.port.takeFrames();
    QCOMPARE(frames.size(), 17);
    QCOMPARE(frames.last(), QStringLiteral("AE"));
}

QTEST_GUILESS_MAIN(InterruptedChainTest)
#include "InterruptedChainTest.moc"
