// The in-process cable the simulated tester hangs on where the system has no pseudo-terminal.

#include "simulator/InProcessCable.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"
#include "simulator/SimulatedTester.h"
#include "simulator/SimulatorPump.h"
#include "support/FakeView.h"
#include "support/OneLine.h"
#include "support/TestKit.h"

#include <memory>

namespace {

struct Rig
{
    InProcessCable one{QStringLiteral("SIM1")};
    InProcessCable two{QStringLiteral("SIM2")};
    std::function<InProcessCable *(int)> lookup = [this](int n) -> InProcessCable * {
        return n == 1 ? &one : n == 2 ? &two : nullptr;
    };
};

}   // namespace

class InProcessCableTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opening_data()
    {
        // before: "taken": another port has it open, "closed" or "destroyed" after it had it open; "pulled"; expected:
        // whether it opens, is then open, its device and the problem
        addColumns<int, QString, QString>("port", "before", "expected");
        addRow("a cable's port", 1, "", "1 1 SIM1 ");
        addRow("a port without a cable", 3, "", "0 0  ");
        addRow("open in another port", 1, "taken", "0 0 SIM1 device busy (used by another program)");
        addRow("closed by another port", 2, "closed", "1 1 SIM2 ");
        addRow("another port destroyed while open", 2, "destroyed", "1 1 SIM2 ");
        addRow("pulled cable", 1, "pulled", "0 0 SIM1 not present");
    }

    void opening()
    {
        QFETCH(int, port);
        QFETCH(QString, before);
        Rig rig;
        auto other = std::make_unique<InProcessSerialPort>(rig.lookup);
        other->selectPort(port);
        if (before == "pulled")
            rig.one.close();
        else if (!before.isEmpty())
            QVERIFY(other->open());
        if (before == "closed") {
            other->close();
            QVERIFY(!other->isOpen());
        } else if (before == "destroyed")
            other.reset();
        InProcessSerialPort p(rig.lookup);
        p.selectPort(port);
        const bool opened = p.open();
        QTEST(oneLine(opened, p.isOpen(), p.deviceName(), p.openProblem()), "expected");
    }

    // Bytes each way, the discards, what is lost where nobody listens, and the bound of a queue nobody empties.
    void bytes()
    {
        Rig rig;
        rig.one.write("lost: no program has the port open");
        InProcessSerialPort p(rig.lookup);
        p.selectPort(1);
        QVERIFY(p.open());
        QCOMPARE(p.bytesWaiting(), 0);

        p.write("\x1b");
        p.write("*12;");
        QCOMPARE(rig.one.read(), QByteArray("\x1b*12;"));
        QCOMPARE(rig.one.read(), QByteArray());
        QCOMPARE(rig.two.read(), QByteArray());

        rig.one.write("*41800123\r");
        QCOMPARE(p.bytesWaiting(), 10);
        QCOMPARE(p.readAll(), QByteArray("*41800123\r"));
        QCOMPARE(p.bytesWaiting(), 0);

        rig.one.write("stale");
        p.discardInput();
        QCOMPARE(p.readAll(), QByteArray());
        p.write("unsent");
        p.discardOutput();
        QCOMPARE(rig.one.read(), QByteArray());

        // Only the newest bytes stay; the oldest go, as from a device's buffer.
        const QByteArray many(InProcessCable::MaxQueued, 'a');
        rig.one.write("old");
        rig.one.write(many);
        QCOMPARE(p.readAll(), many);

        // Opening again starts with an empty line.
        rig.one.write("before");
        QVERIFY(p.open());
        QCOMPARE(p.bytesWaiting(), 0);
    }

    // A pulled cable kills the open port for good; once it is back the port must be opened again by anyone.
    void pulledCable()
    {
        Rig rig;
        InProcessSerialPort first(rig.lookup);
        InProcessSerialPort second(rig.lookup);
        first.selectPort(1);
        second.selectPort(1);
        QVERIFY(first.open());
        rig.one.write("*1;");
        rig.one.close();
        QVERIFY(!first.isOpen());
        QCOMPARE(first.bytesWaiting(), 0);
        QCOMPARE(first.readAll(), QByteArray());
        first.write("lost");
        QVERIFY(!rig.one.isOpen());

        rig.one.plugIn();
        QVERIFY(rig.one.isOpen());
        QCOMPARE(rig.one.read(), QByteArray());
        QVERIFY(!first.isOpen());
        QVERIFY(second.open());
        // The dead port's close leaves the new owner alone.
        first.close();
        QVERIFY(!first.open());
        QCOMPARE(first.openProblem(), QString("device busy (used by another program)"));
        second.write("x");
        QCOMPARE(rig.one.read(), QByteArray("x"));
    }

    // The whole way: the engine finds the running simulated tester on port 1 of a cable inside the process.
    void engineFindsTheTester()
    {
        SimulatorConfig config;
        config.startRunning = true;
        config.signalQuietMs = 150;
        SimulatedTester tester(config);
        Rig rig;
        SimulatorPump pump(tester, rig.one);
        pump.start(10, 1000);
        InProcessSerialPort port(rig.lookup);

        TesterState s;
        FakeView view;
        TesterEngine engine(s, port, view);
        QElapsedTimer clock;
        clock.start();
        while (!(s.session.downloadedOnce && engine.commReady()) && clock.elapsed() < 20000) {
            engine.pollTick();
            QTest::qWait(50);
        }
        QCOMPARE(oneLine(s.link.port, s.identity.serialNumber, s.counters.running, port.deviceName()),
                 "1 41800123 1 SIM1");
        pump.stop();
    }
};

QTEST_GUILESS_MAIN(InProcessCableTest)
#include "InProcessCableTest.moc"
