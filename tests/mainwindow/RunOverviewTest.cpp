#include "mainwindow/MainForm.h"
#include "mainwindow/ReadingColours.h"
#include "supervision/TesterEngine.h"

#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/FakeSerialPort.h"
#include "support/MemorySettingsStore.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The run overview in the main window, driven through the engine by a fake
// tester: the link lost and found again, the greyed last sample, the data
// log warning, readings beyond their tolerance, the keys and the window's
// minimum size.
class RunOverviewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linkLostAndFoundAgain();
    void notLoggingWhileSamplesArrive();
    void readingsBeyondTolerance();
    void runStateFollowsTheRunCommand();
    void keysReachTheTester();
    void nothingCutOffAtMinimumSize();
};

namespace {

constexpr int NoTicks = 24 * 3600 * 1000;

class NamedPort : public FakeSerialPort
{
public:
    QString deviceName() const override { return QStringLiteral("/dev/ttyUSB0"); }
};

// A full record of tester software 1.2, running (status 1), both strokes and
// bounces tested, 1000-ohm pull-up; the down stroke maximum against a limit of 500.
QByteArray record(int cycles, int maxDown = 100, int status = 1)
{
    QStringList f(37, QStringLiteral("0"));
    f[0] = "12";                          // software version
    f[1] = f[2] = "3000";                 // bounce limits
    f[7] = QString::number(status);
    f[8] = "SN1";
    f[9] = "10"; f[10] = "3"; f[11] = "1000";        // fail, sequential and cycle limits
    f[14] = QString::number(cycles);
    f[19] = "900"; f[20] = "50";                     // up stroke maximum, minimum
    f[21] = QString::number(maxDown); f[22] = "50";  // down stroke maximum, minimum
    f[27] = QString::number(1 | 16 | 32 | 64 | 128);
    f[28] = "1023"; f[29] = "10"; f[30] = "500"; f[31] = "10";   // contact limits
    f[32] = "1000";                                  // pull-up
    return "*" + f.join(QLatin1Char(';')).toLatin1() + "\r";
}

struct Rig
{
    NamedPort port;
    MemorySettingsStore settings;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    std::unique_ptr<MainForm> form;
    QByteArray nextRecord = record(7);

    Rig()
    {
        // A tester that answers every wake-up and command at once.
        port.onWrite = [this](const QByteArray &bytes) {
            if (bytes == "AE\r")
                port.queueInput(nextRecord);
            else if (bytes.contains(char(27)) || bytes.endsWith('\r'))
                port.queueInput("*\r");
        };
        form = std::make_unique<MainForm>(port, settings, dialogs, files, NoTicks);
    }

    TesterState &s() { return form->state(); }
    QLabel *label(const char *name) { return form->findChild<QLabel *>(QLatin1String(name)); }
    QString text(const char *name) { return label(name)->text(); }
    // The colour the widget's text is drawn in.
    QColor colour(const char *name)
    {
        const QWidget *w = form->findChild<QWidget *>(QLatin1String(name));
        return w->palette().color(QPalette::Active, w->foregroundRole());
    }
    QColor normal() { return form->palette().color(QPalette::Active, QPalette::WindowText); }
    QColor normalBox() { return form->palette().color(QPalette::Active, QPalette::Text); }

    // Ticks until a full sample came in and the link is idle again.
    bool sampled(int limit = 100)
    {
        for (int i = 0; i < limit; ++i) {
            form->engine().Tick();
            if (s().DownLoadedOnce && s().ComSeq == 0 && !s().MustWait)
                return true;
        }
        return false;
    }
    void request(int code)
    {
        form->engine().SendCommand(code);
        sampled();
    }
};

const QRegularExpression Connected(QStringLiteral("^Comm \\d+ \\(/dev/ttyUSB0\\) connected since \\d\\d:\\d\\d:\\d\\d$"));

} // namespace

void RunOverviewTest::linkLostAndFoundAgain()
{
    Rig rig;
    QCOMPARE(rig.text("LinkStateLbl"), QStringLiteral("Searching..."));
    QVERIFY(rig.sampled());
    QVERIFY2(Connected.match(rig.text("LinkStateLbl")).hasMatch(), qPrintable(rig.text("LinkStateLbl")));
    QCOMPARE(rig.colour("LinkStateLbl"), rig.normal());
    QCOMPARE(rig.colour("CycleCntBox"), rig.normalBox());

    // The cable is pulled: the last sample stays, greyed, and the loss shows in red.
    rig.port.vanish();
    rig.port.refuseAll = true;
    for (int i = 0; i < 20; ++i)
        rig.form->engine().Tick();
    QVERIFY2(QRegularExpression(QStringLiteral("^Link lost at \\d\\d:\\d\\d:\\d\\d$")).match(rig.text("LinkStateLbl")).hasMatch(),
             qPrintable(rig.text("LinkStateLbl")));
    QCOMPARE(rig.colour("LinkStateLbl"), ReadingColours::Alarm);
    for (const char *box : {"CycleCntBox", "DownMaxRBox", "DownLastRBox", "UpLastRBox", "SampleDate"})
        QCOMPARE(rig.colour(box), ReadingColours::Stale);
    QCOMPARE(rig.text("CycleCntBox"), QStringLiteral("7"));

    // Found again: the link turns normal at once, the readings with the next sample.
    rig.port.refuseAll = false;
    rig.nextRecord = record(9);
    QVERIFY(rig.sampled());
    QVERIFY2(Connected.match(rig.text("LinkStateLbl")).hasMatch(), qPrintable(rig.text("LinkStateLbl")));
    QCOMPARE(rig.colour("LinkStateLbl"), rig.normal());
    QCOMPARE(rig.text("CycleCntBox"), QStringLiteral("9"));
    QCOMPARE(rig.colour("CycleCntBox"), rig.normalBox());
}

void RunOverviewTest::notLoggingWhileSamplesArrive()
{
    Rig rig;
    QCOMPARE(rig.text("LoggingLbl"), QStringLiteral("Not logging"));
    QCOMPARE(rig.colour("LoggingLbl"), rig.normal());   // nothing to log yet
    QVERIFY(rig.sampled());
    QCOMPARE(rig.text("LoggingLbl"), QStringLiteral("Not logging"));
    QVERIFY(rig.colour("LoggingLbl") != rig.normal());

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("run.txt"));
    QVERIFY(rig.form->dataLog().OpenFile(path));
    rig.request(174);
    QVERIFY2(QRegularExpression(QStringLiteral("^run.txt: 1 line, last at \\d\\d:\\d\\d:\\d\\d$")).match(rig.text("LoggingLbl")).hasMatch(),
             qPrintable(rig.text("LoggingLbl")));
    QCOMPARE(rig.colour("LoggingLbl"), rig.normal());
}

void RunOverviewTest::readingsBeyondTolerance()
{
    Rig rig;
    rig.nextRecord = record(7, 501);
    QVERIFY(rig.sampled());
    QCOMPARE(rig.colour("DownMaxRBox"), ReadingColours::Alarm);
    QCOMPARE(rig.colour("DownMinRBox"), rig.normalBox());
    QCOMPARE(rig.colour("UpMaxRBox"), rig.normalBox());

    rig.nextRecord = record(8, 500);   // exactly at the limit
    rig.request(174);
    QCOMPARE(rig.colour("DownMaxRBox"), rig.normalBox());
}

void RunOverviewTest::runStateFollowsTheRunCommand()
{
    Rig rig;
    QVERIFY(rig.sampled());
    // Found running with a dark lamp: a run to its limits.
    QCOMPARE(rig.text("RunStateLbl"), QStringLiteral("Running to limits"));
    QCOMPARE(rig.form->findChild<QProgressBar *>("CycleProgress")->text(), QStringLiteral("7 of 1000 cycles"));
    rig.request(170);
    QCOMPARE(rig.text("RunStateLbl"), QStringLiteral("Running once"));

    rig.nextRecord = record(8, 100, 0);
    rig.request(161);
    QCOMPARE(rig.text("RunStateLbl"), QStringLiteral("Stopped"));
    QCOMPARE(rig.text("TimeToLimitLbl"), QStringLiteral("----"));
}

void RunOverviewTest::keysReachTheTester()
{
    Rig rig;
    rig.form->show();
    QApplication::setActiveWindow(rig.form.get());
    QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
    QVERIFY(rig.sampled());

    rig.port.takeFrames();
    QTest::keyClick(rig.form.get(), Qt::Key_F9);
    QCOMPARE(rig.port.takeFrames(), QStringList{QStringLiteral("AE")});
    rig.sampled();
    QTest::keyClick(rig.form.get(), Qt::Key_F5, Qt::ShiftModifier);
    QCOMPARE(rig.port.takeFrames(), QStringList{QStringLiteral("A1")});
}

void RunOverviewTest::nothingCutOffAtMinimumSize()
{
    Rig rig;
    rig.form->show();
    QVERIFY(rig.sampled());
    rig.form->resize(1, 1);
    QCoreApplication::processEvents();
    QVERIFY(rig.form->width() > 1);
    const QList<QLabel *> labels = rig.form->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        if (label->isVisibleTo(rig.form.get()) && !label->text().isEmpty())
            QVERIFY2(label->width() >= label->sizeHint().width(),
                     qPrintable(label->objectName() + ": " + label->text()));
    }
}

QTEST_MAIN(RunOverviewTest)
#include "RunOverviewTest.moc"
