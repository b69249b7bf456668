#include "EngineRig.h"

#include "link/Commands.h"

#include <QTest>
#include <utility>

// A master download with a learn ending left over that the tester breaks
// off (a rejected reply, or none: the port times out) leaves no master or
// learn ending behind, or the next ordinary download would clear the
// counters or start a test.
class InterruptedChainTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nothingLeftBehind()
    {
        // Rejected at 239 (the range value), or no answer at 202 (a counter reset).
        for (const auto &[brokenAt, silent] : {std::pair{239, false}, std::pair{202, true}}) {
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
            rig.s.LearnConfigure = true;
            rig.engine.StartMasterDownload();
            for (int i = 0; i < 600 && !rig.engine.CommReady(); ++i)
                rig.tick();
            QVERIFY(rig.engine.CommReady() && broken.isEmpty());
            QVERIFY2(!rig.s.MasterUpdate && !rig.s.LearnConfigure, qPrintable(QString::number(brokenAt)));
        }
    }
};

QTEST_GUILESS_MAIN(InterruptedChainTest)
#include "InterruptedChainTest.moc"
