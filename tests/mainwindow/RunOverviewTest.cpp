#include "engine/run/RunGlance.h"
#include "engine/run/RunRules.h"
#include "engine/state/DataDecoder.h"
#include "engine/supervision/TesterEngine.h"
#include "mainwindow/ReadingColours.h"
#include "mainwindow/TesterWindow.h"
#include "support/Fetched.h"
#include "support/TestKit.h"
#include "support/WindowRig.h"
#include "ui/ElidingField.h"
#include "ui/ValueBox.h"

#include <QtWidgets>
#include <limits>

namespace {

// A running tester of software 1.2, 1000-ohm pull-up, both strokes and bounces tested; down maximum limit 500.
QByteArray record(int cycles, int maxDown = 100, bool running = true)
{
    QStringList f(37, QStringLiteral("0"));
    f[0] = "12", f[1] = f[2] = "3000", f[7] = running ? "1" : "0", f[8] = "SN1", f[11] = "1000";
    f[14] = QString::number(cycles), f[21] = QString::number(maxDown), f[27] = "241";
    f[28] = "1023", f[30] = "500", f[32] = "1000";
    return "*" + f.join(QLatin1Char(';')).toLatin1() + "\r";
}

// The main window on its own clock and a fake tester that acks all and sends nextRecord for each sample asked.
struct Rig : WindowRig
{
    QByteArray nextRecord = record(7);
    bool noStar = false;
    QDateTime now{QDate(2024, 3, 8), QTime(14, 0, 0)};

    Rig() : WindowRig(false)
    {
        port.device = QStringLiteral("/dev/ttyUSB0");
        port.onWrite = [this](const QByteArray &bytes) {
            const QByteArray reply = bytes == "AE\r" ? nextRecord : QByteArray("*\r");
            // A tester that never acknowledges still answers a wake-up with a star line.
            port.queueInput(noStar && bytes.endsWith('\r') ? reply.mid(1) : reply);
        };
        build();
        built->session.setClock([this] { return now; });
    }
    // The colour the widget's text is drawn in; an invalid colour when it is the usual one.
    QColor colour(const char *name)
    {
        const QWidget *w = form->findChild<QWidget *>(QLatin1String(name));
        const QColor c = w->palette().color(QPalette::Active, w->foregroundRole());
        return c == form->palette().color(QPalette::Active, w->foregroundRole()) ? QColor() : c;
    }
    // The widgets' texts and colours, as "text (colour)", the colour named by its meaning.
    QString look(const QList<const char *> &names)
    {
        QStringList shown;
        for (const char *name : names) {
            const QColor c = colour(name);
            const QString meaning = !c.isValid()                    ? "plain"
                                    : c == ReadingColours::Alarm    ? "alarm"
                                    : c == ReadingColours::Stale    ? "stale"
                                    : c == ReadingColours::LimitEnd ? "limit"
                                                                    : c.name();
            shown << text(name) + " (" + meaning + ")";
        }
        return shown.join(" | ");
    }
    // Ticks until a full sample came in and the link is idle again.
    bool sampled(Command command = Command::None)
    {
        if (command != Command::None)
            form->engine().sendCommand(command);
        for (int i = 0; i < 100; ++i) {
            form->engine().pollTick();
            if (form->state().session.downloadedOnce && form->state().link.step == LinkStep::Idle
                && !form->state().link.busy)
                return true;
        }
        return false;
    }
};

// Counts the window's repaints (its top-level widget's update requests) and the layout passes its widgets ask for.
struct PaintCounter : QObject
{
    explicit PaintCounter(QWidget *window) : window(window) { qApp->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::UpdateRequest && watched == window)
            ++repaints;

        if (event->type() == QEvent::LayoutRequest)
            layouts << watched->objectName() + QLatin1Char('/') + watched->metaObject()->className();
        return false;
    }
    QWidget *window;
    int repaints = 0;
    QStringList layouts;
};

struct Sample
{
    int seconds, cycles;
    bool running;
};

// Hands the samples, seconds after start, to the glance; with stopFromHere a stopped sample follows a stop from here.
void feed(RunGlance &glance, TesterState &s, const QDateTime &start, const QList<Sample> &samples,
          bool stopFromHere = false)
{
    for (const Sample &sample : samples) {
        if (stopFromHere && !sample.running)
            glance.stopAcknowledged();
        s.counters.updateTime = start.addSecs(sample.seconds);
        s.counters.running = sample.running;
        s.counters.cycleCount = sample.cycles;
        glance.sampleTaken(s);
    }
}

}   // namespace

Q_DECLARE_METATYPE(QList<Sample>)

// The run overview in the main window over a fake tester, and its decisions without a window.
class RunOverviewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A text longer than its field ends with "..." and is whole in the tool tip; the window does not widen for it.
    void longTextsElideInsteadOfWidening()
    {
        Rig rig;
        QVERIFY(rig.sampled());
        const int width = rig.form->sizeHint().width();
        auto *field = rig.form->findChild<QLineEdit *>("loggingText");
        QVERIFY(!isElided(field));
        QTemporaryDir dir;
        const QString name = QString(120, QLatin1Char('d')) + ".txt";
        QString path = dir.filePath(name);
        QVERIFY(rig.form->dataLog().openFile(path));
        QVERIFY(rig.sampled(Command::SampleData));
        QCOMPARE(rig.form->sizeHint().width(), width);
        QVERIFY(field->text().startsWith(name + ": 1 line"));
        QVERIFY(isElided(field));
        // Cut short, it still draws its text: more than the frame's few colours.
        const QImage shot = field->grab().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                colours.insert(shot.pixel(x, y));
        QVERIFY2(colours.size() > 8, qPrintable(QString::number(colours.size())));
        QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), field->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(field, &tip);
        QVERIFY2(QToolTip::text().startsWith(field->text() + "\n\n"), qPrintable(QToolTip::text()));
    }

    // The strip and the readings over a lost and found link, with "Not logging" until a data file is opened.
    void linkLostAndFoundAgain()
    {
        Rig rig;
        QCOMPARE(rig.look({"loggingText"}), "Not logging (plain)");   // nothing to log yet
        rig.nextRecord = record(7, 501);                              // the down maximum beyond its limit
        QVERIFY(rig.sampled());
        QCOMPARE(rig.look({"DownMaxRBox", "DownMinRBox", "loggingText", "linkStateText"}),
                 "959.8 (alarm) | 0.0 (plain) | Not logging (#be6400) | Comm 1 (/dev/ttyUSB0) connected since "
                 "14:00:00 (plain)");
        // Pulled: the last sample stays, greyed (grey beats red), the loss in red, why in the tool tip.
        rig.port.vanish();
        rig.port.refuseAll = true;
        rig.port.problems[1] = "not present";
        rig.now = rig.now.addSecs(5);
        for (int i = 0; i < 20; ++i)
            rig.form->engine().pollTick();
        QVERIFY(rig.widget("linkStateText")->toolTip().endsWith("\n\nComm 1 (/dev/ttyUSB0): not present"));
        QCOMPARE(rig.look({"linkStateText", "cycleCountBox", "DownMaxRBox", "DownLastRBox", "UpLastContactTime",
                           "sampleDateBox"}),
                 "Link lost at 14:00:05 (alarm) | 7 (stale) | 959.8 (stale) | 0.0 (stale) | 0.000 (stale) | "
                 "03/08/2024 14:00:00 (stale)");
        // Found again: the link turns normal at once, the readings with the next sample.
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("run.txt"));
        QVERIFY(rig.form->dataLog().openFile(path));
        rig.port.refuseAll = false;
        rig.nextRecord = record(9, 500);   // exactly at the limit
        rig.now = rig.now.addSecs(5);
        QVERIFY(rig.sampled());
        QVERIFY(!rig.widget("linkStateText")->toolTip().contains("Comm 1"));
        QCOMPARE(rig.look({"linkStateText", "cycleCountBox", "DownMaxRBox", "loggingText"}),
                 "Comm 5 (/dev/ttyUSB0) connected since 14:00:10 (plain) | 9 (plain) | 956.0 (plain) | run.txt: 1 "
                 "line, last at 14:00:10 (plain)");
    }

    // Replies without "*" are refused: a few in a row are shown until one is acked; a quiet link is shown stale.
    void refusedAndStaleShowInTheStrip()
    {
        Rig rig;
        QVERIFY(rig.sampled());
        rig.noStar = true;
        rig.nextRecord = record(8);
        for (int refusals = 1; refusals <= 3; ++refusals) {
            QCOMPARE(rig.text("linkStateText"), QStringLiteral("Comm 1 (/dev/ttyUSB0) connected since 14:00:00"));
            rig.form->engine().sendCommand(Command::SampleData);
            for (int i = 0; i < 100 && rig.form->state().link.step != LinkStep::Idle; ++i)
                rig.form->engine().pollTick();
        }
        QCOMPARE(rig.look({"cycleCountBox", "linkStateText"}),
                 "7 (plain) | The tester answers without acknowledgement: records are being refused (#be6400)");
        rig.noStar = false;
        QVERIFY(rig.sampled(Command::SampleData));
        QCOMPARE(rig.look({"cycleCountBox", "linkStateText"}),
                 "8 (plain) | Comm 1 (/dev/ttyUSB0) connected since 14:00:00 (plain)");
        rig.now = rig.now.addSecs(11);
        for (int i = 0; i < 20; ++i)
            rig.built->session.tick();
        QCOMPARE(rig.text("linkStateText"), QStringLiteral("No sample since 14:00:00"));
    }

    // The glance at a moment after the samples (seconds after the link was found at 17:00:00), then 10 s after the
    // link was lost at that moment, and a day later. Stale: no sample for three intervals, or 10 s if longer, since
    // the last (or since found); a stopped tester stays fresh. A lost link hides the rate and the time to the limit.
    void glance_data()
    {
        // shown: run | rate | time to limit (seconds) | warning; lost: the run after the loss
        addColumns<QList<Sample>, bool, int, QString, QString>("samples", "stopFromHere", "now", "shown", "lost");
        const QList<Sample> running = {{0, 100, true}, {1, 101, true}, {2, 102, true}};
        addRow("10 s after the last sample is fresh", running, false, 12,
               "Running to limits | 3600 cycles/h | 0:14:58 (898) | ",
               "Link lost at 17:00:12; last seen running to limits");
        addRow("just over 10 s is stale", running, false, 13,
               "Running to limits | 3600 cycles/h | 0:14:58 (898) | No sample since 17:00:02",
               "Link lost at 17:00:13; last seen running to limits");
        addRow("slow cycles: within three intervals", QList<Sample>{{0, 100, true}, {20, 101, true}}, false, 80,
               "Running to limits | 180 cycles/h | 4:59:40 (17980) | ",
               "Link lost at 17:01:20; last seen running to limits");
        addRow("slow cycles: beyond three intervals", QList<Sample>{{0, 100, true}, {20, 101, true}}, false, 81,
               "Running to limits | 180 cycles/h | 4:59:40 (17980) | No sample since 17:00:20",
               "Link lost at 17:01:21; last seen running to limits");
        addRow("no sample since found", QList<Sample>(), false, 11,
               "Unknown | ---- | ---- (-1) | No sample since 17:00:00", "Link lost at 17:00:11");
        addRow("a stopped tester stays fresh", QList<Sample>{{0, 100, false}}, false, 3600,
               "Stopped | ---- | ---- (-1) | ", "Link lost at 18:00:00; last seen stopped");
        addRow("stopped from here", QList<Sample>{{0, 100, true}, {10, 110, false}}, true, 20,
               "Stopped by the operator at 17:00 | ---- | ---- (-1) | ",
               "Link lost at 17:00:20; last seen stopped by the operator at 17:00");
    }

    void glance()
    {
        QFETCH(QList<Sample>, samples);
        const QDateTime found(QDate(2024, 3, 8), QTime(17, 0, 0));
        QDateTime now = found.addSecs(fetched<int>("now"));
        RunGlance glance;
        glance.clock = [&] { return now; };
        TesterState s;
        s.reported.cycleLimit = 1000;
        glance.linkFound(1, QString(), found);
        feed(glance, s, found, samples, fetched<bool>("stopFromHere"));
        const auto shown = [&] {
            return QStringList{glance.runText(s), glance.rateText(),
                               glance.timeToLimitText(s) + " (" + QString::number(glance.secondsToLimit(s)) + ")",
                               glance.linkWarning(s, now)}
                .join(" | ");
        };
        QTEST(shown(), "shown");
        glance.linkLost(now);
        now = now.addSecs(10);
        QCOMPARE(shown(), fetched<QString>("lost") + " | ---- | ---- (-1) | ");
        now = now.addDays(1);   // the loss now with its date
        QCOMPARE(glance.runText(s), QString(fetched<QString>("lost")).replace(" at ", " at 08.03.24 "));
        glance.linkFound(1, QString(), now);
        QVERIFY(!glance.runText(s).startsWith("Link lost"));
    }

    void minimumSize()
    {
        Rig rig;
        rig.form->show();
        // At its smallest the window shows every text whole, even a count beyond the boxes' widest.
        for (const int cycles : {8, std::numeric_limits<int>::max()}) {
            rig.nextRecord = record(cycles);
            QVERIFY(rig.sampled(Command::SampleData));
            // The bar stops at the cycle limit of 1000.
            QCOMPARE(rig.form->findChild<QProgressBar *>(QStringLiteral("CycleProgress"))->value(),
                     std::min(cycles, 1000));
            rig.form->resize(1, 1);
            QCoreApplication::processEvents();
            for (QWidget *shown : rig.form->findChildren<QWidget *>()) {
                if (!shown->isVisibleTo(rig.form))
                    continue;
                if (auto *label = qobject_cast<QLabel *>(shown); label && !label->text().isEmpty())
                    QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
                if (auto *field = qobject_cast<QLineEdit *>(shown))
                    QVERIFY2(field->width() >= widthForText(field, field->text()), qPrintable(field->objectName()));
            }
        }
        QCOMPARE(rig.text("cycleCountBox"), QStringLiteral("2147483647"));
    }

    // A sample, once a second, repaints the window once and lays nothing out, though it takes several poll ticks.
    void aSampleCostsOneRepaintAndNoLayout()
    {
        Rig rig;
        rig.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.form));
        // On the rig's clock the rate and time to limit keep their width on a slow machine.
        auto sample = [&rig](int cycles) {
            rig.now = rig.now.addSecs(1);
            rig.nextRecord = record(cycles);
            rig.port.queueInput("+");   // the tester has new data
            for (int tick = 0; tick < 20; ++tick) {
                rig.form->engine().pollTick();
                QCoreApplication::processEvents();
            }
            return rig.form->state().counters.cycleCount == cycles;
        };
        QVERIFY(rig.sampled());
        // Long enough for the "found" message to leave the status bar.
        for (int cycles : {8, 9, 10})
            QVERIFY(sample(cycles));
        PaintCounter counter(rig.form);
        QVERIFY(sample(11));
        QCOMPARE(counter.layouts.join(QLatin1Char(',')), QString());
        QCOMPARE(counter.repaints, 1);
    }

    // The strip says why and when a watched run stopped; limit ends have a colour of their own.
    void runStopShownWithReasonAndTime_data()
    {
        // code: from here: run to limits or stop; None: the tester's "-"
        addColumns<int, QString, bool>("code", "shown", "limitColour");
        addRow("the tester ends at its cycle limit", wireCode(Command::None), "Stopped at cycle limit (1000) at 14:02",
               true);
        addRow("stopped from here", wireCode(Command::Stop), "Stopped by the operator at 14:02", false);
        addRow("started from here with the limit already reached", wireCode(Command::RunToLimits),
               "Stopped at cycle limit (1000) at 14:02", true);
    }

    void runStopShownWithReasonAndTime()
    {
        QFETCH(int, code);
        const Command command = Command(code);
        Rig rig;
        rig.now = QDateTime(QDate(2024, 3, 8), QTime(14, 2, 30));
        // The tester is found running, or stopped at its limit for a run started from here.
        const QByteArray stopped = record(1000, 100, false);
        rig.nextRecord = command == Command::RunToLimits ? stopped : record(7);
        QVERIFY(rig.sampled());
        QCOMPARE(rig.text("runStateText"),
                 command == Command::RunToLimits ? QStringLiteral("Stopped") : QStringLiteral("Running to limits"));
        rig.nextRecord = stopped;
        if (command != Command::Stop)
            rig.port.queueInput("-");   // the tester ends the run
        QVERIFY(rig.sampled(command));
        if (command == Command::RunToLimits)
            QVERIFY(rig.sampled());   // the "-" that came with the acknowledgement asks for the sample
        QTEST(rig.text("runStateText"), "shown");
        QCOMPARE(rig.colour("runStateText"), fetched<bool>("limitColour") ? ReadingColours::LimitEnd : QColor());
    }

    void whyTheRunEnded_data()
    {
        // mode: RunMode the run had; counts: cycles, fails, sequential fails
        addColumns<int, bool, QList<int>, QList<int>, QString>("mode", "stopCommanded", "counts", "limits", "shown");

        const int toLimits = int(RunMode::ToLimits);
        const QList<int> limits = {100000, 10, 3};
        addRow("cycle limit", toLimits, false, QList<int>{100000, 2, 0}, limits,
               "Stopped at cycle limit (100000) at 14:02");
        addRow("failure limit named before the cycle limit", toLimits, false, QList<int>{100000, 10, 1}, limits,
               "Stopped: failure limit reached (10 of 10) at 14:02");
        addRow("sequential failure limit, break mode", int(RunMode::Break), false, QList<int>{500, 3, 3}, limits,
               "Stopped: sequential failure limit reached at 14:02");
        addRow("a stop from here, also at a limit", toLimits, true, QList<int>{100000, 2, 0}, limits,
               "Stopped by the operator at 14:02");
        addRow("without limit the limits do not stop it", int(RunMode::NoLimit), false, QList<int>{100000, 10, 3},
               limits, "Stopped at the tester at 14:02");
        addRow("a limit of 0 is none", toLimits, false, QList<int>{5, 0, 0}, QList<int>{0, 0, 0},
               "Stopped at the tester at 14:02");
        addRow("run once", int(RunMode::Once), false, QList<int>{1, 0, 0}, limits, "Stopped after one cycle at 14:02");
    }

    void whyTheRunEnded()
    {
        QFETCH(QList<int>, counts);
        QFETCH(QList<int>, limits);
        TesterState s;
        s.counters.cycleCount = counts[0], s.counters.failCount = counts[1], s.counters.seqCount = counts[2];
        s.reported.cycleLimit = limits[0], s.reported.failLimit = limits[1], s.reported.seqLimit = limits[2];
        const StopCause end = whyRunEnded(s, RunMode(fetched<int>("mode")), fetched<bool>("stopCommanded"));
        QTEST(stopCauseText(end, s) + " at 14:02", "shown");
        QCOMPARE(isLimitEnd(end), fetched<QString>("shown").contains("limit"));
    }

    // An operator's stop belongs to the run it stopped, not to one started later at the tester's panel.
    void stopCauseBelongsToItsRun()
    {
        const QDateTime start(QDate(2024, 3, 8), QTime(14, 2));
        RunGlance glance;
        glance.clock = [] { return QDateTime(QDate(2024, 3, 8), QTime(15, 0)); };
        TesterState s;
        s.reported.cycleLimit = 1000;
        glance.runStarted(s, 162);   // run to limits, sent from here
        feed(glance, s, start, {{0, 10, true}, {1, 11, false}}, true);
        QCOMPARE(glance.runText(s), QStringLiteral("Stopped by the operator at 14:02"));
        feed(glance, s, start, {{2, 12, true}, {3, 1000, false}});
        QCOMPARE(glance.runText(s), QStringLiteral("Stopped at cycle limit (1000) at 14:02"));
    }

    void progress_data()
    {
        addColumns<QList<Sample>, int, QString, QString, QString>("samples", "limit", "rate", "runTime", "toLimit");

        addRow("one sample: no rate yet", QList<Sample>{{0, 500, true}}, 1000, "----", "0:00:00", "----");
        addRow("hours beyond a day", QList<Sample>{{0, 0, true}, {3600, 100, true}}, 10000, "100 cycles/h", "1:00:00",
               "99:00:00");
        addRow("limit already reached", QList<Sample>{{0, 990, true}, {10, 1000, true}}, 1000, "3600 cycles/h",
               "0:00:10", "0:00:00");
        addRow("stopped: the run ends with the stop",
               QList<Sample>{{0, 100, true}, {10, 110, true}, {15, 114, false}, {300, 114, false}}, 1000, "----",
               "0:00:15", "----");
        addRow("started again: timed afresh",
               QList<Sample>{{0, 100, true}, {10, 110, false}, {100, 110, true}, {102, 114, true}}, 1000,
               "7200 cycles/h", "0:00:02", "0:07:23");
        addRow("counter reset mid-run",
               QList<Sample>{{0, 800, true}, {100, 900, true}, {110, 2, true}, {130, 22, true}}, 1000, "3600 cycles/h",
               "0:00:20", "0:16:18");
        // 99 cycles at 0.75 s each: 74.25 s, shown as the next whole second.
        addRow("a part second rounds up", QList<Sample>{{0, 0, true}, {3, 4, true}}, 103, "4800 cycles/h", "0:00:03",
               "0:01:15");
        addRow("no cycle limit", QList<Sample>{{0, 100, true}, {10, 110, true}}, 0, "3600 cycles/h", "0:00:10", "----");
    }

    void progress()
    {
        QFETCH(QList<Sample>, samples);
        const QDateTime start(QDate(2024, 3, 8), QTime(17, 0, 0));
        RunProgress progress;
        for (const Sample &sample : samples)
            progress.addSample(start.addSecs(sample.seconds), sample.cycles, sample.running);
        QTEST(cycleRateText(progress), "rate");
        QTEST(durationText(progress.runSeconds()), "runTime");
        QTEST(durationText(progress.secondsToLimit(samples.last().cycles, fetched<int>("limit"), true)), "toLimit");
    }

    // The run as named, also for a tester found running (no run command seen): a blinking lamp is no limit.
    void runState()
    {
        struct Row
        {
            bool breaks, running;
            int lastRunCode, lamp;
            const char *text;
        };
        for (const Row &row :
             {Row{true, true, 162, 1, "Break every 50 cycles"}, Row{false, false, 162, 1, "Stopped"},
              Row{false, true, 170, 1, "Running once"}, Row{false, true, 172, 1, "Running without limit"},
              Row{false, true, 0, 2, "Running without limit"}, Row{false, true, 0, 1, "Running to limits"}}) {
            TesterState s;
            s.session.goAgainMode = row.breaks, s.counters.running = row.running,
            s.counters.ledState = TesterState::Integer(row.lamp);
            QCOMPARE(runModeText(currentRunMode(s, row.lastRunCode), 50), QLatin1String(row.text));
        }
    }

    void linkText()
    {
        const QDateTime found(QDate(2024, 3, 8), QTime(7, 30, 0));
        LinkHistory link;
        for (int port : {9, 10, 11, 12, 13, 14, 15, 16, 1, 3})
            link.portTried(port);
        QCOMPARE(link.text(found), QStringLiteral("Searching... tried Comm 1, 3, 9-16"));
        // Why ports did not open, in port order, until they open or the tester is found.
        QVERIFY(link.portTried(9, "Comm 9 (/dev/ttyUSB0): not present"));
        QVERIFY(link.portTried(2, "Comm 2 (/dev/ttyS1): device busy (used by another program)"));
        QVERIFY(!link.portTried(9, "Comm 9 (/dev/ttyUSB0): not present"));
        QCOMPARE(link.problems(), QStringLiteral("Comm 2 (/dev/ttyS1): device busy (used by another program)\n"
                                                 "Comm 9 (/dev/ttyUSB0): not present"));
        QVERIFY(link.portTried(2));
        QCOMPARE(link.problems(), QStringLiteral("Comm 9 (/dev/ttyUSB0): not present"));
        link.found(3, "/dev/ttyUSB0", found);
        QCOMPARE(link.text(found.addSecs(3600)), QStringLiteral("Comm 3 (/dev/ttyUSB0) connected since 07:30:00"));
        QCOMPARE(link.problems(), QString());
        link.lost(found);
        QCOMPARE(link.text(found.addDays(1)), QStringLiteral("Link lost at 08.03.24 07:30:00"));
    }

    // A moment of today is its time alone; any other day brings its date, in the locale's (German) short form.
    void momentsOfAnotherDayHaveTheirDate_data()
    {
        addColumns<QString, QString, bool, QString>("at", "now", "minutes", "shown");
        addRow("today, in minutes", "2024-03-08T14:02:03", "2024-03-08T18:00:00", true, "14:02");
        addRow("yesterday, in minutes", "2024-03-07T14:02:03", "2024-03-08T08:00:00", true, "07.03.24 14:02");
        addRow("midnight that began today", "2024-03-08T00:00:00", "2024-03-08T23:59:59", false, "00:00:00");
        addRow("the last second of yesterday", "2024-03-07T23:59:59", "2024-03-08T00:00:00", false,
               "07.03.24 23:59:59");
        addRow("a clock set back: tomorrow", "2024-03-09T00:00:00", "2024-03-08T23:59:59", false, "09.03.24 00:00:00");
    }

    void momentsOfAnotherDayHaveTheirDate()
    {
        const auto moment = [](const char *column) {
            return QDateTime::fromString(fetched<QString>(column), Qt::ISODate);
        };
        const TimeDetail detail = fetched<bool>("minutes") ? TimeDetail::Minutes : TimeDetail::Seconds;
        QTEST(momentText(moment("at"), moment("now"), detail), "shown");
    }

    void tolerance_data()
    {
        // limits: maxDown 500, minUp 100, bounceUp 3000; marked: down max, min, bounce; up max, min, bounce
        addColumns<int, int, int, int, int, QString>("contact", "mode", "maxDown", "minUp", "bounceUp", "marked");

        const int all = 16 | 32 | 64 | 128;
        addRow("exactly at the limits", all, 0, 500, 100, 3000, "000000");
        addRow("one count beyond", all, 2, 501, 99, 3001, "100011");
        addRow("bounce not tested", (16 | 32), 0, 501, 99, 3001, "100010");
        addRow("bounce not tested, low bits set", (16 | 32 | 1), 0, 501, 99, 3001, "100010");
        addRow("up stroke not tested", (16 | 64), 0, 400, 0, 9999, "000000");
        addRow("a mode the tester does not have", all, 3, 501, 99, 3001, "000000");
    }

    void tolerance()
    {
        TesterState s;
        s.reported.rangePullUp = 1000;
        s.reported.rangeMode = TesterState::Integer(fetched<int>("mode"));
        s.reported.contact = TesterState::Integer(fetched<int>("contact"));
        s.reported.maxDownResistTol = 500, s.counters.maxDownResistance = fetched<int>("maxDown");
        s.reported.minUpResistTol = 100, s.counters.minUpResistance = fetched<int>("minUp");
        s.reported.maxUpBounceTol = 3000, s.counters.maxUpBounce = fetched<int>("bounceUp");
        s.reported.maxDownBounceTol = s.counters.maxDownBounce = 3000;
        s.reported.maxUpResistTol = s.counters.maxUpResistance = 1023;
        const ToleranceMarks m = outOfTolerance(s);
        QString marked;
        for (bool mark : {m.downMax, m.downMin, m.downBounce, m.upMax, m.upMin, m.upBounce})
            marked += mark ? QLatin1Char('1') : QLatin1Char('0');
        QTEST(marked, "marked");
    }
};

QTEST_MAIN(RunOverviewTest)
#include "RunOverviewTest.moc"
