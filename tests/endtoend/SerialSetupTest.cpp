// The program's serial setup with --simulate: the simulated tester is port 1
// and the only port, and --trace records the conversation.

#include "app/AppOptions.h"
#include "app/SerialSetup.h"
#include "link/SerialPort.h"
#include "state/TesterState.h"
#include "supervision/TesterEngine.h"
#include "support/FakeView.h"
#include "support/MemorySettingsStore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class SerialSetupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void simulatedTesterIsPortOneAndTraced()
    {
        QTemporaryDir dir;
        MemorySettingsStore settings;
        settings.write("Ports", "Comm2", "/dev/null");   // not a port while simulating
        AppOptions options = ParseCommandLine({"lifecycle", "--simulate"});
        options.traceFile = dir.filePath("trace.txt");
        SerialSetup setup(options, settings);
        SerialPort &port = setup.port();
        for (int n = 2; n <= 16; ++n) {
            port.selectPort(n);
            QVERIFY2(!port.open(), qPrintable(QString::number(n)));
        }

        TesterState s;
        FakeView view;
        TesterEngine engine(s, port, view);
        // The simulated tester runs on real time inside the program; quicker
        // ticks than the program's do not matter to it.
        QElapsedTimer clock;
        clock.start();
        while (!(s.DownLoadedOnce && engine.CommReady()) && clock.elapsed() < 10000) {
            engine.Tick();
            QTest::qWait(5);
        }
        QCOMPARE(s.ComChan, TesterState::Integer(1));
        QVERIFY(!s.vSerialNumber.isEmpty());
        // Switched on in the middle of a test, as a tester left running.
        QVERIFY(s.Running);

        QFile trace(options.traceFile);
        QVERIFY(trace.open(QIODevice::ReadOnly));
        const QByteArray text = trace.readAll();
        QVERIFY(text.contains(" < *12;"));
    }
};

QTEST_GUILESS_MAIN(SerialSetupTest)
#include "SerialSetupTest.moc"
