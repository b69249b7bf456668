// The engine on the real serial backend against the simulated tester on a pseudo-terminal.

#include "SimulatedRig.h"

#include "engine/archive/RunRecorder.h"
#include "engine/datalog/DataLog.h"
#include "engine/preferences/Registry.h"
#include "engine/session/SampleRoute.h"
#include "support/FakeArchiveSink.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include "support/TestKit.h"
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The cycle counts of the samples in an archive, in order.
QList<int> sampleCycles(const FakeArchiveSink &archive)
{
    QList<int> cycles;
    for (const ArchiveRecord &record : archive.records) {
        if (record.kind != ArchiveRecord::Sample)
            continue;
        TesterState sample;
        applySampleNumbers(sample, record.numbers);
        cycles << sample.counters.cycleCount;
    }
    return cycles;
}

}   // namespace

class SessionEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Break-update mode with a data file open: at each break the program fetches the record, logs it when
    // "Save To Database" is on, archives it and re-arms the next break with the same count.
    void breakUpdateLogsOneLinePerBreak_data()
    {
        QTest::addColumn<bool>("saveToDatabase");
        addRow("breaks saved to the data log", true);
        addRow("breaks not saved: in the archive all the same", false);
    }

    void breakUpdateLogsOneLinePerBreak()
    {
        QFETCH(bool, saveToDatabase);
        const int breakCount = 5;
        const int breaks = 3;
        SimulatedRig rig;
        FakeMessageDialogs dialogs;
        FakeDataFileDialog files;
        MemorySettingsStore store;
        Registry registry(store);
        DataLog log(rig.s, dialogs, files, registry, nullptr);
        FakeArchiveSink archive;
        RunRecorder recorder(rig.s, archive, QStringLiteral("station"), QStringLiteral("test"));
        SampleRoute samples(log, recorder);
        rig.engine->setSampleListener(&samples);
        QVERIFY(rig.connect());
        QTemporaryDir dir;
        QString path = dir.filePath("breaks.txt");
        QVERIFY(log.openFile(path));

        rig.s.session.repeatCount = TesterState::Integer(breakCount);
        rig.s.session.saveToDatabase = saveToDatabase;
        rig.engine->sendValueCommand(Command::ArmBreakUpdate, QString::number(breakCount));
        QVERIFY(rig.tickUntil(
            [&] {
                return rig.tester.stats().plusAnswered == breaks && !rig.tester.pausedAtBreak()
                       && rig.s.session.goAgainMode && rig.engine->commReady();
            },
            400));

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        const int logged = saveToDatabase ? breaks : 0;
        QCOMPARE(lines.size(), logged + 2);   // header, the samples, nothing after the last line end
        for (int i = 1; i <= logged; ++i)
            QCOMPARE(lines[i].split(',').value(1).toInt(), i * breakCount);   // cycle count
        // The archive has every break, whatever the data log took.
        const QList<int> archived = sampleCycles(archive);
        QCOMPARE(archived.mid(archived.size() - breaks), (QList<int>{breakCount, 2 * breakCount, 3 * breakCount}));
        QCOMPARE(dialogs.calls, QStringList());
    }

    // The cable pulled while a reply is awaited: the port closes at once, the search goes on without keeping
    // the process busy, and the tester is found again on port 1.
    void pulledTesterIsFoundAgain()
    {
        SimulatedRig rig;
        QVERIFY(rig.connect());
        rig.tester.config().silent = true;
        rig.engine->sendCommand(Command::SampleData);
        rig.pullCable();
        const double cpuBefore = cpuSeconds();
        int ticks = 0;
        for (; rig.s.link.portOpen && ticks < 400; ++ticks)
            rig.tick();
        QVERIFY2(ticks >= 1 && ticks <= 2, qPrintable(QString::number(ticks)));
        QCOMPARE(rig.port.isOpen(), false);
        rig.tick();
        QCOMPARE(rig.view.barText, QStringLiteral("Searching For Tester On Comm 2"));
        rig.tick(300);
        const double used = cpuSeconds() - cpuBefore;
        QVERIFY2(used < 1.5, qPrintable(QString::number(used)));

        QVERIFY(rig.plugCable());
        rig.tester.config().silent = false;
        QVERIFY(rig.connect());
        QCOMPARE(rig.s.link.port, TesterState::Integer(1));
    }
};

QTEST_GUILESS_MAIN(SessionEndToEndTest)
#include "SessionEndToEndTest.moc"
