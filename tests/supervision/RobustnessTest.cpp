#include "EngineRig.h"
#include "link/Commands.h"

#include <QRandomGenerator>
#include <QMap>
#include <QTest>
#include <iterator>

namespace {

QByteArray noise(QRandomGenerator &random)
{
    static const char alphabet[] = "*\r+-;0123456789.\x1bxE ";
    QByteArray bytes;
    const int length = random.bounded(1, 40);
    for (int i = 0; i < length; ++i) {
        if (random.bounded(8) == 0)
            bytes += char(random.bounded(256));
        else
            bytes += alphabet[random.bounded(int(sizeof alphabet) - 1)];
    }
    return bytes;
}

// A star line of random fields: numbers of any size, empty fields, noise.
QByteArray starLine(QRandomGenerator &random)
{
    QByteArray line("*");
    const int fields = random.bounded(0, 40);
    for (int i = 0; i < fields; ++i) {
        if (i)
            line += ';';
        switch (random.bounded(3)) {
        case 0: line += QByteArray::number(qint64(random.generate64()) >> random.bounded(64)); break;
        case 1: break;
        default: line += noise(random).replace('\r', 'r'); break;
        }
    }
    return line + '\r';
}

void operatorAction(EngineRig &rig, QRandomGenerator &random)
{
    const bool choice = random.bounded(2) == 0;
    switch (random.bounded(5)) {
    case 0: rig.engine.SendCommand(random.bounded(150, 250)); break;
    case 1: rig.engine.SendValueCommand(random.bounded(150, 250), QString::number(random.bounded(-5, 70000))); break;
    case 2:
        rig.s.MasterUpdate = choice;
        choice ? rig.engine.StartMasterDownload() : rig.engine.StartOrdinaryDownload();
        break;
    case 3:
        rig.s.LearnConfigure = choice;
        rig.engine.DoNextClear(0);
        break;
    default:
        rig.s.GoAgainMode = choice;
        rig.s.RepeatCount = TesterState::Integer(random.bounded(1, 32768));
        break;
    }
}

} // namespace

// Noise, random tester answers and random operator actions for thousands of
// ticks: no command is parked that cannot go out, nothing is written to a
// closed port, and once the noise stops a well-behaved tester is found again
// and the operator can send commands.
class RobustnessTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomConversation_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 7u, 42u, 2024u, 65537u})
            QTest::addRow("seed %u", seed) << seed;
    }

    void randomConversation()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);

        EngineRig rig;
        int writesWhileClosed = 0;
        bool answering = true;
        rig.port.onWrite = [&](const QByteArray &bytes) {
            if (!rig.port.isOpen())
                ++writesWhileClosed;
            if (answering && random.bounded(3) != 0)
                rig.port.queueInput(random.bounded(4) == 0 ? noise(random) : starLine(random));
        };

        static const TesterState::Integer invalidStates[] = {-3, -1, 1, 7, 15, 21, 33, 35, 99};
        QMap<int, int> ticksIn;              // ticks spent in each link state
        int samples = 0;
        for (int tick = 0; tick < 20000; ++tick) {
            const int roll = random.bounded(100);
            if (roll < 15)
                rig.port.queueInput(noise(random));
            else if (roll < 30)
                rig.port.queueInput(starLine(random));
            else if (roll < 36)
                operatorAction(rig, random);
            else if (roll < 37)
                rig.port.vanish();
            else if (roll < 38)
                rig.s.ComSeq = invalidStates[random.bounded(int(std::size(invalidStates)))];
            else if (roll < 39)
                answering = !answering;
            else if (roll < 40)
                rig.s.ComCnt = TesterState::Integer(random.bounded(0, 261));

            rig.tick();

            ++ticksIn[rig.s.ComSeq];
            if (rig.s.DownLoadedOnce) {
                ++samples;
                rig.s.DownLoadedOnce = false;
            }
            QVERIFY2(rig.s.comDelayed == 0 || !CommandText(rig.s.comDelayed).isEmpty(),
                     qPrintable(QString::number(rig.s.comDelayed)));
            QVERIFY(!rig.s.ComChanOpen || rig.port.isOpen() || rig.s.ComSeq == 0);
        }
        QCOMPARE(writesWhileClosed, 0);
        // Only the known states, and the noise reached every one of them often.
        QCOMPARE(ticksIn.keys(), QList<int>({0, 5, 10, 20, 30, 32, 34}));
        for (int ticks : ticksIn)
            QVERIFY(ticks >= 100);
        QVERIFY(samples > 10);

        // Quiet line again, a tester that answers properly: back in business.
        rig.port.input.clear();
        rig.answerEverything("12;1;1;1;1;1;1;0;SN");
        bool ready = false;
        for (int tick = 0; tick < 2000 && !ready; ++tick) {
            rig.tick();
            ready = rig.engine.CommReady() && rig.s.ComSeq == 0;
        }
        QVERIFY(ready);
    }
};

QTEST_GUILESS_MAIN(RobustnessTest)
#include "RobustnessTest.moc"
