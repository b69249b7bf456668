#include "mainwindow/MainForm.h"
#include "mainwindow/ReadingColours.h"
#include "supervision/TesterEngine.h"

#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/FakeSerialPort.h"
#include "support/MemorySettingsStore.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The run overview in the main window, driven through the engine by a fake
// tester: a lost and found link, the greyed last sample, "Not logging",
// readings beyond tolerance, the keys and the minimum window size.
class RunOverviewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linkLostAndFoundAgain();
    void loggingAndLimits();
    void keysAndMinimumSize();
};

namespace {

class NamedPort : public FakeSerialPort
{
public:
    QString deviceName() const override { return QStringLiteral("/dev/ttyUSB0"); }
};

// A running tester of software 1.2 with a 1000-ohm pull-up, both strokes and
// bounces tested; the down stroke maximum against a limit of 500.
QByteArray record(int cycles, int maxDown = 100)
{
    QStringList f(37, QStringLiteral("0"));
    f[0] = "12", f[1] = f[2] = "3000", f[7] = "1", f[8] = "SN1", f[11] = "1000";
    f[14] = QString::number(cycles), f[21] = QString::number(maxDown), f[27] = "241";
    f[28] = "1023", f[30] = "500", f[32] = "1000";
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
        port.onWrite = [this](const QByteArray &bytes) {
            port.queueInput(bytes == "AE\r" ? nextRecord : QByteArray("*\r"));
        };
        form = std::make_unique<MainForm>(port, settings, dialogs, files, 24 * 3600 * 1000);
    }
    QString text(const char *name) { return form->findChild<QLabel *>(QLatin1String(name))->text(); }
    // The colour the widget's text is drawn in; an invalid colour when it is the usual one.
    QColor colour(const char *name)
    {
        const QWidget *w = form->findChild<QWidget *>(QLatin1String(name));
        const QColor c = w->palette().color(QPalette::Active, w->foregroundRole());
        return c == form->palette().color(QPalette::Active, w->foregroundRole()) ? QColor() : c;
    }
    // Ticks until a full sample came in and the link is idle again.
    bool sampled(int code = 0)
    {
        if (code)
            form->engine().SendCommand(code);
        for (int i = 0; i < 100; ++i) {
            form->engine().Tick();
            if (form->state().DownLoadedOnce && form->state().ComSeq == 0 && !form->state().MustWait)
                return true;
        }
        return false;
    }
};

bool matches(const QString &pattern, const QString &text)
{
    return QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$')).match(text).hasMatch();
}

const QString Connected = QStringLiteral("Comm \\d+ \\(/dev/ttyUSB0\\) connected since \\d\\d:\\d\\d:\\d\\d");

} // namespace

void RunOverviewTest::linkLostAndFoundAgain()
{
    Rig rig;
    QVERIFY(rig.sampled());
    QVERIFY2(matches(Connected, rig.text("LinkStateLbl")), qPrintable(rig.text("LinkStateLbl")));

    // The cable is pulled: the last sample stays, greyed, and the loss shows in red.
    rig.port.vanish();
    rig.port.refuseAll = true;
    for (int i = 0; i < 20; ++i)
        rig.form->engine().Tick();
    QVERIFY2(matches("Link lost at \\d\\d:\\d\\d:\\d\\d", rig.text("LinkStateLbl")), qPrintable(rig.text("LinkStateLbl")));
    QCOMPARE(rig.colour("LinkStateLbl"), ReadingColours::Alarm);
    for (const char *box : {"CycleCntBox", "DownMaxRBox", "DownLastRBox", "UpLastContactTime", "SampleDate"})
        QCOMPARE(rig.colour(box), ReadingColours::Stale);
    QCOMPARE(rig.text("CycleCntBox"), QStringLiteral("7"));

    // Found again: the link turns normal at once, the readings with the next sample.
    rig.port.refuseAll = false;
    rig.nextRecord = record(9);
    QVERIFY(rig.sampled());
    QVERIFY(matches(Connected, rig.text("LinkStateLbl")));
    QCOMPARE(rig.colour("LinkStateLbl"), QColor());
    QCOMPARE(rig.text("CycleCntBox"), QStringLiteral("9"));
    QCOMPARE(rig.colour("CycleCntBox"), QColor());
}

void RunOverviewTest::loggingAndLimits()
{
    Rig rig;
    QCOMPARE(rig.colour("LoggingLbl"), QColor());      // nothing to log yet
    rig.nextRecord = record(7, 501);
    QVERIFY(rig.sampled());
    QCOMPARE(rig.text("LoggingLbl"), QStringLiteral("Not logging"));
    QVERIFY(rig.colour("LoggingLbl").isValid());
    QCOMPARE(rig.colour("DownMaxRBox"), ReadingColours::Alarm);
    QCOMPARE(rig.colour("DownMinRBox"), QColor());

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("run.txt"));
    QVERIFY(rig.form->dataLog().OpenFile(path));
    rig.nextRecord = record(8, 500);   // exactly at the limit
    QVERIFY(rig.sampled(174));
    QVERIFY2(matches("run.txt: 1 line, last at \\d\\d:\\d\\d:\\d\\d", rig.text("LoggingLbl")), qPrintable(rig.text("LoggingLbl")));
    QCOMPARE(rig.colour("LoggingLbl"), QColor());
    QCOMPARE(rig.colour("DownMaxRBox"), QColor());
}

void RunOverviewTest::keysAndMinimumSize()
{
    Rig rig;
    rig.form->show();
    QApplication::setActiveWindow(rig.form.get());
    QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
    QVERIFY(rig.sampled());
    rig.port.takeFrames();
    QTest::keyClick(rig.form.get(), Qt::Key_F9);
    QCOMPARE(rig.port.takeFrames(), QStringList{QStringLiteral("AE")});

    // At its smallest the window still shows every text whole.
    rig.form->resize(1, 1);
    QCoreApplication::processEvents();
    for (QLabel *label : rig.form->findChildren<QLabel *>())
        if (label->isVisibleTo(rig.form.get()) && !label->text().isEmpty())
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
}

QTEST_MAIN(RunOverviewTest)
#include "RunOverviewTest.moc"
