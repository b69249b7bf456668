// The Trend window in the program: the live run is kept from the start
// whether the window is open or not, a saved data log is plotted with its
// skipped lines in view, units follow the mode, and the charts save as PNG.

#include "datalog/DataLog.h"
#include "mainwindow/MainForm.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/FakeSerialPort.h"
#include "support/MemorySettingsStore.h"
#include "trend/TrendController.h"
#include "trend/TrendFileDialog.h"
#include "trend/TrendWindow.h"

#include <QAbstractAxis>
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

constexpr int NoTicks = 24 * 3600 * 1000;

class ScriptedTrendFiles : public TrendFileDialog
{
public:
    QString logToPlot(QWidget *) override { return log; }
    QString imageToSave(QWidget *) override { return image; }
    QString log, image;
};

struct Rig
{
    Rig()
    {
        form = std::make_unique<MainForm>(port, settings, dialogs, files, NoTicks);
        form->trend().setFileDialog(trendFiles);
    }

    QAction *action(const QString &name) { return form->findChild<QAction *>(name); }
    TrendWindow &window() { return form->trend().window(); }
    QLabel *label(const QString &name) { return window().findChild<QLabel *>(name); }
    QString axisTitle(const QString &chart)
    {
        window().redraw();
        return window().findChild<QChartView *>(chart)->chart()->axes(Qt::Vertical).first()->titleText();
    }

    // A decoded sample, as the poll cycle hands it over.
    void sample(int cycle)
    {
        TesterState &s = form->state();
        s.CycleCount = cycle;
        s.vRMode = TesterState::Integer(mode);
        s.vRPullUp = mode == 0 ? 1000 : 5000;
        s.vContact = 1 | 16 | 32 | 64 | 128;
        s.vSoftwareVersion = 12;
        s.vUpdateTime = QDateTime(QDate(2026, 12, 6), QTime(12, 0));
        form->sampleDecoded();
    }

    int mode = 0;
    FakeSerialPort port;
    MemorySettingsStore settings;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    ScriptedTrendFiles trendFiles;
    std::unique_ptr<MainForm> form;
};

} // namespace

class TrendWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void liveRunIsKeptWhileTheWindowIsClosed();
    void plottedLogShowsItsSkippedLines();
    void unreadableLogIsAnError();
    void saveImageWritesPng();
};

void TrendWindowTest::liveRunIsKeptWhileTheWindowIsClosed()
{
    Rig rig;
    for (int cycle = 1; cycle <= 3; ++cycle)
        rig.sample(cycle);
    QVERIFY(!rig.window().isVisible());

    QAction *trend = rig.action("ViewTrendMenu");
    QCOMPARE(trend->text(), QStringLiteral("&Trend..."));
    QCOMPARE(trend->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
    trend->trigger();
    QVERIFY(rig.window().isVisible());
    QVERIFY(!rig.window().isModal());
    QVERIFY(rig.label("SourceLabel")->text().endsWith(QStringLiteral("3 samples")));
    QCOMPARE(rig.axisTitle("DownContactChart"), QStringLiteral("ohms"));

    // A new configuration in another mode: the unit says so from then on.
    rig.mode = 2;
    rig.sample(4);
    QCOMPARE(rig.form->trend().liveHistory().size(), size_t(4));
    QCOMPARE(rig.axisTitle("UpContactChart"), QStringLiteral("ohms, then volts"));
    QCOMPARE(rig.axisTitle("BounceChart"), QStringLiteral("seconds"));
}

void TrendWindowTest::plottedLogShowsItsSkippedLines()
{
    Rig rig;
    rig.sample(1);
    TesterState s = rig.form->state();
    QByteArray body = QByteArray(DataLogHeader) + "\r\n";
    for (int cycle = 10; cycle <= 50; cycle += 10) {
        s.CycleCount = cycle;
        body += SampleLine(s).toLatin1() + "\r\n";
    }
    body += "garbage\r\n,,,\r\n" + SampleLine(s).toLatin1().left(40);
    QTemporaryDir dir;
    rig.trendFiles.log = dir.filePath(QStringLiteral("station2.txt"));
    QFile file(rig.trendFiles.log);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(body);
    file.close();

    QCOMPARE(rig.action("FilePlotMenu")->text(), QStringLiteral("P&lot Data Log..."));
    rig.action("FilePlotMenu")->trigger();
    QVERIFY(rig.window().isVisible());
    QVERIFY(!rig.window().showingLive());
    QCOMPARE(rig.window().windowTitle(), QStringLiteral("Trend - station2.txt"));
    QVERIFY(rig.label("SourceLabel")->text().endsWith(QStringLiteral("5 samples")));
    QVERIFY(rig.label("SkippedLabel")->isVisible());
    QCOMPARE(rig.label("SkippedLabel")->text(), QStringLiteral("3 lines skipped"));

    // Live samples go on into the live run, not into the plotted log.
    rig.sample(2);
    QVERIFY(rig.label("SourceLabel")->text().endsWith(QStringLiteral("5 samples")));
    QTest::mouseClick(rig.window().findChild<QWidget *>("LiveButton"), Qt::LeftButton);
    QVERIFY(rig.window().showingLive());
    QVERIFY(rig.label("SourceLabel")->text().endsWith(QStringLiteral("2 samples")));
    QVERIFY(!rig.label("SkippedLabel")->isVisible());
}

void TrendWindowTest::unreadableLogIsAnError()
{
    Rig rig;
    QVERIFY(!rig.form->trend().plotLog(QStringLiteral("/nonexistent/run.txt")));
    QCOMPARE(rig.dialogs.calls, QStringList{QStringLiteral("error:File Error|Error Opening File")});
    QVERIFY(!rig.window().isVisible());
}

void TrendWindowTest::saveImageWritesPng()
{
    Rig rig;
    rig.sample(1);
    rig.sample(2);
    rig.action("ViewTrendMenu")->trigger();
    QTemporaryDir dir;
    rig.trendFiles.image = dir.filePath(QStringLiteral("trend"));
    QTest::mouseClick(rig.window().findChild<QWidget *>("SaveImageButton"), Qt::LeftButton);
    QImage image(dir.filePath(QStringLiteral("trend.png")), "PNG");
    QVERIFY(!image.isNull());
    QVERIFY(image.width() > 300);
    QVERIFY(rig.dialogs.calls.isEmpty());

    rig.trendFiles.image = dir.filePath(QStringLiteral("no/such/folder/trend.png"));
    rig.window().saveImageChosen();
    QCOMPARE(rig.dialogs.count(QStringLiteral("error:File Error")), 1);
}

QTEST_MAIN(TrendWindowTest)
#include "TrendWindowTest.moc"
