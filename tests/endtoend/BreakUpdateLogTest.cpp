#include "datalog/DataLog.h"
#include "link/SerialPort.h"
#include "preferences/Registry.h"
#include "simulator/SimulatedTester.h"
#include "state/TesterState.h"
#include "supervision/TesterEngine.h"

#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/FakeView.h"
#include "support/MemorySettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int TickMs = 50;

// The simulated tester wired straight to the engine as serial port 1: what
// the engine writes reaches the tester at once, and each poll tick moves
// the tester's clock on by one tick.
class SimulatorCable : public SerialPort
{
public:
    explicit SimulatorCable(SimulatedTester &tester) : tester(tester) {}

    void selectPort(int portNumber) override { selected = portNumber; }
    bool open() override { return opened = (selected == 1); }
    void close() override { opened = false; }
    bool isOpen() const override { return opened; }
    int bytesWaiting() override { collect(); return int(received.size()); }
    QByteArray readAll() override { collect(); return std::exchange(received, {}); }
    void write(const QByteArray &bytes) override { if (opened) tester.receive(bytes); }
    void discardInput() override { collect(); received.clear(); }
    void discardOutput() override {}

private:
    void collect() { received += tester.takeOutput(); }

    SimulatedTester &tester;
    QByteArray received;
    int selected = 0;
    bool opened = false;
};

} // namespace

// Break-update mode with "Save To Database" and a data file open: the tester
// pauses every few cycles and says "+", the program fetches the record,
// logs it and re-arms the next break.
class BreakUpdateLogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyBreakLogsOneLine_data();
    void everyBreakLogsOneLine();
};

void BreakUpdateLogTest::everyBreakLogsOneLine_data()
{
    QTest::addColumn<int>("software");
    QTest::addColumn<int>("breakCount");
    QTest::addColumn<int>("breaks");
    QTest::addColumn<int>("periodMs");   // one test cycle

    QTest::newRow("software 1.2, every 3 cycles") << 12 << 3 << 12 << 120;
    QTest::newRow("software 1.1, every cycle") << 11 << 1 << 8 << 400;
}

void BreakUpdateLogTest::everyBreakLogsOneLine()
{
    QFETCH(int, software);
    QFETCH(int, breakCount);
    QFETCH(int, breaks);
    QFETCH(int, periodMs);

    SimulatorConfig config;
    config.softwareVersion = software;
    config.periodMs = periodMs;
    SimulatedTester tester(config);
    SimulatorCable cable(tester);

    TesterState s;
    FakeView view;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    MemorySettingsStore store;
    Registry registry(store);
    DataLog log(s, dialogs, files, registry, nullptr);
    TesterEngine engine(s, cable, view);
    engine.setSampleLog(&log);

    auto tickUntil = [&](const std::function<bool()> &done, int limit) {
        for (int i = 0; i < limit && !done(); ++i) {
            engine.Tick();
            tester.advance(TickMs);
        }
        return done();
    };

    // Found, first record in, link ready.
    QVERIFY(tickUntil([&] { return s.DownLoadedOnce && engine.CommReady(); }, 2000));

    QTemporaryDir dir;
    QString path = dir.filePath("breaks.txt");
    QVERIFY(log.OpenFile(path));

    // What the Break Update command does once the operator said OK.
    s.SaveToDatabase = true;
    s.RepeatCount = int16_t(breakCount);
    engine.SendValueCommand(243, QString::number(breakCount));
    s.Running = true;

    const int64_t plusBefore = tester.stats().plusSent;
    const int64_t recordsBefore = tester.stats().recordsSent;
    // Until the last break was fetched and the tester re-armed for the next.
    QVERIFY(tickUntil([&] {
        return tester.stats().plusSent - plusBefore == breaks && !tester.pausedAtBreak()
            && s.GoAgainMode && !s.GoAgainFlag && s.ComSeq == 0 && !s.MustWait;
    }, breaks * (breakCount * periodMs / TickMs + 40)));
    QCOMPARE(tester.stats().recordsSent - recordsBefore, int64_t(breaks));
    QCOMPARE(tester.stats().lostSignals, int64_t(0));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), breaks + 2);   // header, the samples, nothing after the last line end
    QCOMPARE(lines.first(), QByteArray(DataLogHeader) + "\r");
    QCOMPARE(lines.last(), QByteArray());
    qint64 previousCycles = 0;
    for (int i = 1; i <= breaks; ++i) {
        QVERIFY2(lines[i].endsWith('\r'), lines[i].constData());
        const QList<QByteArray> fields = lines[i].chopped(1).split(',');
        QCOMPARE(fields.size(), 37);
        const qint64 cycles = fields[1].toLongLong();
        QCOMPARE(cycles, previousCycles + breakCount);
        previousCycles = cycles;
        QCOMPARE(fields[12] == "?", software < 12);
        QCOMPARE(QString::fromLatin1(fields[36]), tester.serialNumber());
    }
    QVERIFY(previousCycles <= tester.cycleCount());
    QCOMPARE(s.IsDirtyData, false);
    QCOMPARE(dialogs.calls, QStringList());
}

QTEST_GUILESS_MAIN(BreakUpdateLogTest)
#include "BreakUpdateLogTest.moc"
