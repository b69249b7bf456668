#include "mainwindow/TesterWindow.h"
#include "engine/archive/RunRecorder.h"
#include "engine/session/TesterSession.h"
#include "engine/supervision/TesterEngine.h"
#include "features/report/QtPrintDialogs.h"
#include "mainwindow/AboutDialog.h"
#include "mainwindow/PortDialog.h"
#include "mainwindow/WindowStation.h"
#include "platform/archive/SqlArchiveStore.h"
#include "support/FakeArchiveSink.h"
#include "support/FakeConfigFileDialog.h"
#include "support/FakeSerialDevices.h"
#include "support/Fetched.h"
#include "support/ModalAnswerer.h"
#include "support/TestKit.h"
#include "support/WindowRig.h"
#include "ui/LedIndicator.h"
#include "ui/QtConfigFileDialog.h"
#include "ui/QtDataFileDialog.h"
#include "ui/QtMessageDialogs.h"

#include <QtWidgets>
#include <utility>

namespace {

void clickButton(QDialog *dialog, const char *button)
{
    dialog->findChild<QPushButton *>(QString::fromLatin1(button))->click();
}

// A station that counts the accepted preferences its tester window passes on.
struct CountingStation : WindowStation
{
    QString testerName(const TesterSession &) const override { return QStringLiteral("41800001"); }
    void exitProgram() override {}
    void preferencesChanged() override { ++told; }
    int told = 0;
};

// The controls that follow the situation, in groups: File, Configure, Run, the sample's and Help.
const QStringList Controls =
    QStringLiteral("FileNewMenu FileOpenMenu FileCloseMenu FilePrintMenu FileExitMenu | ConfigureLearnMenu "
                   "ConfigureEditMenu ConfigureOpenMenu ConfigureSaveMenu ConfigureResetLimits | RunStopMenu "
                   "RunManualMenu RunRunLimitMenu RunSampleDataMenu | sampleButton HelpAboutMenu cycleCountBox "
                   "sampleDateBox")
        .split(' ');

// The readings that follow the strokes tested, in groups: the down contact, its bounce, its last bounce, the up
// contact and its bounce.
const QStringList Readings =
    QStringLiteral("DownFrame DownMaxRBox DownLastRBox DownMaxUnit DownMinChk DownInitChk | DownBounceBox "
                   "DownLastContactTime DownBounceSeconds DownBounceChk | DownLastBounceBox DownLastBounceSeconds | "
                   "UpFrame UpMaxRBox UpMaxUnit UpMinChk UpLastContactTime UpLastUnit UpInitChk | UpLastBounceBox "
                   "UpBounceChk")
        .split(' ');

// A main window over fakes, with the operator's controls at hand.
struct Rig : WindowRig
{
    using WindowRig::WindowRig;
    bool enabled(const QString &name) { return action(name) ? action(name)->isEnabled() : widget(name)->isEnabled(); }
    // The operator picks a menu entry or presses a button.
    void use(const QString &name)
    {
        if (QAction *entry = action(name))
            entry->trigger();
        else
            qobject_cast<QPushButton *>(widget(name))->click();
    }

    // The tester was found, its first record is in and the link is idle.
    void linkReady()
    {
        port.selectPort(1);
        port.open();
        s().link.portOpen = true;
        s().link.step = LinkStep::Idle;
        s().link.quietTicks = 0;   // a recent exchange: commands go out without a wake-up
        s().link.busy = false;
        s().session.downloadedOnce = true;
        form->updateControls();
    }

    // 1 for each of the controls enabled, 0 for each disabled, in groups as they are.
    QString enabledMarks(const QStringList &controls = Controls)
    {
        QString marks;
        for (const QString &name : controls)
            marks += name == "|" ? ' ' : enabled(name) ? '1' : '0';
        return marks;
    }

    // The visible entries of a recent menu, "&" unescaped.
    QStringList recent(const QString &menu)
    {
        QStringList paths;
        for (int i = 1; i <= 4; ++i)
            if (QAction *entry = action(menu + QString::number(i)); entry->isVisible())
                paths << entry->text().replace("&&", "&");
        return paths;
    }
};

}   // namespace

class TesterWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void strokeDisplay_data()
    {
        // enabled: 1 for each of the Readings; texts: "box=text", a space between
        addColumns<int, int, QString, QString>("contact", "version", "enabled", "texts");
        addRow("down contact only", 16, 12, "111111 0000 00 0000000 00",
               "DownMaxRBox=open DownMinRBox=110.7 DownBounceBox=---- UpMaxRBox=---- cycleCountBox=1234567");
        addRow("down bounce, software 1.1", 16 + 64, 11, "111111 1111 00 0000000 00",
               "DownBounceBox=0.001600 DownLastContactTime=1.234 DownLastBounceBox=----");
        addRow("down bounce, software 1.2", 16 + 64, 12, "111111 1111 11 0000000 00", "DownLastBounceBox=0.004800");
        addRow("bounce bit without its stroke", 64, 12, "000000 0000 00 0000000 00", "DownBounceBox=----");
        addRow("low bits test no stroke", 16 + 1 + 2, 12, "111111 0000 00 0000000 00", "UpMaxRBox=----");
        addRow("up stroke with bounce", 32 + 128, 12, "000000 0000 00 1111111 11", "UpMaxRBox=244.5 DownMaxRBox=----");
    }

    void strokeDisplay()
    {
        Rig rig;
        TesterState &s = rig.s();
        s.reported.contact = int16_t(fetched<int>("contact"));
        s.identity.softwareVersion = fetched<int>("version");
        s.reported.rangePullUp = 1000;
        s.reported.rangeMode = 0;
        s.counters.maxDownResistance = 1023;
        s.counters.minDownResistance = 102;
        s.counters.maxUpResistance = 201;
        s.counters.maxDownBounce = 1000;
        s.counters.lastDownBounceTime = 3000;
        s.counters.lastDownStrokeTime = 1234;
        s.counters.cycleCount = 1234567;
        rig.form->showReadings();
        QTEST(rig.enabledMarks(Readings), "enabled");
        QStringList texts;
        for (const QString &name : fetched<QString>("texts").split(' '))
            texts << name.section('=', 0, 0) + '=' + rig.text(name.section('=', 0, 0));
        QTEST(texts.join(' '), "texts");
    }

    // The unit labels follow the range mode, and back; each failure bit ticks its own box, tested stroke or not.
    void unitsAndFailureBoxesFollowTheTester()
    {
        Rig rig;
        for (const auto &[mode, unit] : {std::pair{1, "ma"}, {2, "volts"}, {0, "ohms"}, {1, "ma"}}) {
            rig.s().reported.rangeMode = mode;
            rig.form->showMode();
            for (const char *label : {"DownMaxUnit", "DownMinUnit", "UpLastUnit"})
                QCOMPARE(rig.text(label), QString::fromLatin1(unit));
        }
        const QStringList boxes = {"DownMinChk",  "DownMaxChk", "UpMinChk",      "UpMaxChk",
                                   "DownInitChk", "UpInitChk",  "DownBounceChk", "UpBounceChk"};
        rig.s().reported.contact = 16 + 64;   // the down stroke and its bounce tested
        for (int bit = 0; bit < 8; ++bit) {
            rig.s().counters.errorCode = int16_t(1 << bit);
            rig.form->showReadings();
            for (int i = 0; i < 8; ++i)
                QVERIFY2(rig.form->findChild<QCheckBox *>(boxes[i])->isChecked() == (i == bit), qPrintable(boxes[i]));
        }
    }

    // The controls that matter in each situation the operator meets, and the commands they send.
    void controlsFollowTheSituation_data()
    {
        // setup: "port", "running", "sampled", "file", "vanishes"; use: a control then used; replies: lines that
        // follow; enabled: 1 for each control in the order of Controls
        addColumns<QString, QString, QByteArrayList, QString, QStringList>("setup", "use", "replies", "enabled",
                                                                           "frames");
        const QStringList none;
        addRow("idle", "port sampled", "", QByteArrayList(), "11011 11111 1111 1111", none);
        addRow("running", "port sampled running", "", QByteArrayList(), "11011 00001 1011 1111", none);
        addRow("data file open, a reply awaited", "port sampled file", "sampleButton", QByteArrayList(),
               "11101 00000 0000 0111", QStringList{"AE"});
        addRow("no sample yet", "port", "", QByteArrayList(), "00001 11111 1111 1100", none);
        // A busy link keeps the commands a moment; a line that is gone does not.
        addRow("the line gone", "port sampled vanishes", "", QByteArrayList(), "00001 00000 0000 0100", none);
        // Stop is acknowledged, the wake-up for the sample that follows too, the sample is refused.
        addRow("stopped, the sample after it refused", "port sampled running", "RunStopMenu",
               QByteArrayList{"*", "*", "?"}, "11011 11111 1111 1111", QStringList{"A1", "<ESC>", "AE"});
        addRow("run once", "port sampled", "RunOnceMenu", QByteArrayList(), "11001 00000 0000 0111", QStringList{"AA"});
    }

    void controlsFollowTheSituation()
    {
        QFETCH(QString, setup);
        QFETCH(QString, use);
        Rig rig;
        if (setup.contains("port"))
            rig.linkReady();
        rig.s().counters.running = setup.contains("running");
        rig.s().session.downloadedOnce = setup.contains("sampled");
        rig.s().session.dataFileOpen = setup.contains("file");
        rig.form->updateControls();
        if (setup.contains("vanishes")) {
            rig.port.vanish();
            rig.form->engine().pollTick();
        }
        if (!use.isEmpty())
            rig.use(use);
        for (const QByteArray &line : fetched<QByteArrayList>("replies")) {
            rig.port.queueInput(line + '\r');
            rig.form->engine().pollTick();
            rig.form->engine().pollTick();
        }
        QTEST(rig.enabledMarks(), "enabled");
        QTEST(rig.port.frames(), "frames");
    }

    // Run, Break update: OK takes a usable count only (full stop, half to even); the save box ticked as a file is open.
    void breakUpdate_data()
    {
        // stays: OK leaves the dialog open, Cancel then; busyMeanwhile: a reply became due while it was open
        addColumns<bool, bool, QString, bool, bool, QStringList, QStringList>("fileOpen", "saving", "count", "stays",
                                                                              "busyMeanwhile", "frames", "messages");
        const QStringList none, noFile = {"error:No Data File|There must be a database file open in which to save the "
                                          "data"};
        addRow("save without a data file", false, true, "100", false, false, none, noFile);
        addRow("no saving, no data file", false, false, "100", false, false, QStringList{"F3100"}, none);
        addRow("link busy when OK is pressed", false, false, "100", false, true, none, none);
        addRow("negative", true, false, "-5", true, false, none, none);
        addRow("above the tester's range", true, false, "32768", true, false, none, none);
        addRow("largest", true, false, "32767", false, false, QStringList{"F332767"}, none);
        addRow("a half to even", true, false, "2.5", false, false, QStringList{"F32"}, none);
        addRow("an odd half up to even", true, false, "3.5", false, false, QStringList{"F34"}, none);
    }

    void breakUpdate()
    {
        QFETCH(bool, fileOpen);
        QFETCH(bool, saving);
        QFETCH(QStringList, frames);
        Rig rig;
        rig.linkReady();
        rig.s().session.dataFileOpen = fileOpen;
        ModalAnswerer answerer;
        bool startedTicked = false, stayed = false;
        answerer.then([&](QDialog *dialog) {
            auto *save = dialog->findChild<QCheckBox *>("SaveToDatabase");
            startedTicked = save->isChecked();
            save->setChecked(saving);
            if (fetched<bool>("busyMeanwhile")) {
                rig.form->engine().sendCommand(Command::SampleData);   // say, the tester's "+" was answered
                rig.port.written.clear();
            }
            dialog->findChild<QLineEdit *>("BreakCountEdit")->setText(fetched<QString>("count"));
            QTest::mouseClick(dialog->findChild<QPushButton *>("OKButton"), Qt::LeftButton);
            stayed = dialog->isVisible();
            if (stayed)
                clickButton(dialog, "CancelButton");
        });
        rig.action("RunBreakUpdateMenu")->trigger();
        QCOMPARE(startedTicked, fileOpen);
        QTEST(stayed, "stays");
        QCOMPARE(rig.s().session.saveToDatabase, stayed ? fileOpen : saving);
        QCOMPARE(rig.port.frames(), frames);
        QTEST(rig.dialogs.calls, "messages");
        // A command that could not go out does not mark the test as running.
        QCOMPARE(rig.s().counters.running, !frames.isEmpty());
    }

    void shutDown_data()
    {
        addColumns<bool, bool, bool, QStringList, bool>("breakMode", "unsavedSample", "unsavedConfig", "messages",
                                                        "closes");

        const QString notice = "error:Break Update Mode Cancel|The tester is set to stop after 50 cycles and will "
                               "not restart if program is terminated.";
        const QString question = "yesno:Save Data|The current test data has not been saved. Do you want to save "
                                 "this data?";
        const QString configQuestion = "yesno:Save Configuration|The current test configuration has not been "
                                       "saved. Do you want to save this configuration?";
        addRow("break mode notice, then closes", true, false, false, QStringList{notice}, true);
        addRow("notice, then unsaved data kept", true, true, false, QStringList{notice, question}, false);
        addRow("unsaved configuration kept", false, false, true, QStringList{configQuestion}, false);
    }

    void shutDown()
    {
        QFETCH(bool, closes);
        Rig rig;
        rig.form->show();
        rig.s().session.goAgainMode = fetched<bool>("breakMode");
        rig.s().session.repeatCount = 50;
        rig.s().session.dirtyData = fetched<bool>("unsavedSample");
        rig.s().session.dirtyConfig = fetched<bool>("unsavedConfig");
        rig.s().link.port = 5;
        rig.dialogs.answers = {AnswerCancel};
        QCOMPARE(rig.form->close(), closes);
        QTEST(rig.dialogs.calls, "messages");
        QCOMPARE(rig.settings.read("Preferences", "CommChannel"), closes ? QString("5") : QString());
        QVERIFY(rig.port.written.isEmpty());   // a running test goes on: nothing is said to the tester
    }

    // A window opened on a running session shows what it knows at once, and closes without asking.
    void windowOpensOnRunningSession()
    {
        WindowRig fakes(false);   // its fakes only: the window is made on the session below
        FakeConfigFileDialog configFiles;
        TesterSession session({fakes.port, fakes.settings, fakes.dialogs, fakes.files, configFiles},
                              WindowRig::NoTicks);
        session.start();
        TesterState &s = session.state();
        s.identity.serialNumber = QStringLiteral("41800777");
        s.counters.cycleCount = 1234;
        s.reported.rangePullUp = 1000;
        s.reported.rangeMode = 0;
        s.session.downloadedOnce = true;
        s.counters.updateTime = QDateTime(QDate(2026, 12, 6), QTime(14, 2, 11));
        s.counters.ledState = 0;   // lit: drawn at the next slow task
        for (int tick = 0; tick < 9; ++tick)
            session.tick();
        session.engineView().setTitle(QStringLiteral("Model 418C Life Cycle Tester - run.txt"));

        auto form = std::make_unique<TesterWindow>(session);
        const auto text = [&form](const char *name) { return form->findChild<QWidget *>(name)->property("text"); };
        QCOMPARE(
            QStringList({text("cycleCountBox").toString(), text("sampleDateBox").toString(),
                         text("statusPanel1").toString(), form->windowTitle()}),
            (QStringList{"1234", "12/06/2026 14:02:11", "S/N 41800777", "Model 418C Life Cycle Tester - run.txt"}));
        QCOMPARE(form->findChild<LedIndicator *>("errorLed")->drawing(), 0);

        form.reset();
        session.engineView().showReadings();   // nothing left to draw on
        QCOMPARE(session.engine().ledDrawing(), 0);
    }

    // Five new data files leave the last four, newest first; an "&" shows as itself, its entry opens that path.
    void recentMenus()
    {
        QTemporaryDir dir;
        Rig rig(false);
        rig.settings.write("ConfigFiles", "RecentCnfgFile1", "/c/1 & 2.cfg");
        rig.build();
        QVERIFY(!rig.action("FileRecentMenu0")->isVisible());
        QCOMPARE(rig.recent("ConfigureRecentFileMenu"), QStringList{"/c/1 & 2.cfg"});

        rig.linkReady();
        const QStringList made = {dir.filePath("A"), dir.filePath("B & b"), dir.filePath("C"), dir.filePath("D"),
                                  dir.filePath("E")};
        for (const QString &path : made) {
            rig.files.choices = {path};
            rig.action("FileNewMenu")->trigger();
        }
        QVERIFY(rig.action("FileRecentMenu0")->isVisible());
        QCOMPARE(rig.recent("FileRecentMenu"), QStringList({made[4], made[3], made[2], made[1]}));

        rig.action("FileRecentMenu4")->trigger();
        QCOMPARE(rig.s().session.dataFileName, made[1]);
        QVERIFY(rig.s().session.dataFileOpen);
    }

    // The search starts after the saved port (at 1 when none) and wraps after 16.
    void firstPortTried()
    {
        for (const auto &[saved, firstPort] : QList<std::pair<QString, int>>{{QString(), 1}, {"12", 9}}) {
            Rig rig(false);
            rig.port.refuseAll = true;
            if (!saved.isNull())
                rig.settings.write("Preferences", "CommChannel", saved);
            rig.build();
            rig.form->engine().pollTick();
            QCOMPARE(rig.port.openAttempts, QList<int>{firstPort});
            QCOMPARE(rig.text("statusMessage"), QStringLiteral("Searching For Tester On Comm %1").arg(firstPort));
            for (int i = 0; i < 8; ++i)
                rig.form->engine().pollTick();
            QCOMPARE(rig.port.openAttempts.last(), firstPort == 1 ? 9 : 1);
        }
    }

    void pollTimerRunsDuringModalDialog()
    {
        FakeSerialPort port;
        port.refuseAll = true;
        MemorySettingsStore settings;
        QtMessageDialogs dialogs;
        FakeDataFileDialog files;
        SessionWindow window(port, settings, dialogs, files, 10);
        TesterWindow &form = window.form;
        form.show();
        dialogs.setParentWidget(&form);
        // Three searches while the dialog is open, however slowly a loaded machine ticks.
        ModalAnswerer answerer;
        answerer.then([&](QDialog *dialog) {
            const qsizetype before = port.openAttempts.size();
            QTRY_VERIFY_WITH_TIMEOUT(port.openAttempts.size() - before >= 3, 10000);
            dialog->accept();
        });
        dialogs.showError("System Error", "System Information Is Unavailable At This Time");
        QCOMPARE(answerer.answered, 1);
    }

    // Run, Port...: the devices, kept up to date; OK stores a new choice (USB by its stable name) and searches anew.
    void portChoice_data()
    {
        // choice: "pin" the second device, "automatic", "cancel"; before: the pin stored before
        addColumns<QString, QString, QString, bool>("choice", "before", "after", "searchAgain");
        const QString stable = "/dev/serial/by-id/usb-FTDI_FT232R-if00";
        addRow("pin the USB adapter", "pin", "", stable, true);
        addRow("back to automatic", "automatic", stable, "", true);
        addRow("the same pin again", "pin", stable, stable, false);
        addRow("cancel", "cancel", "", "", false);
    }

    void portChoice()
    {
        QFETCH(QString, choice);
        QFETCH(QString, before);
        Rig rig;
        FakeSerialDevices devices;
        SerialDevice serial, usb, pty;
        serial.device = "/dev/ttyS1", serial.comm = 1;
        usb.device = "/dev/ttyUSB0", usb.comm = 2, usb.stableName = "/dev/serial/by-id/usb-FTDI_FT232R-if00";
        usb.description = "USB UART", usb.usbId = "0403:6001", usb.pinned = !before.isEmpty();
        pty.device = "/dev/pts/4", pty.comm = 3, pty.listed = false;
        devices.listed = {serial, usb};
        devices.pinned = before;
        rig.form->setSerialDevices(&devices);
        rig.linkReady();

        QStringList rows;
        QString describedAnew;
        ModalAnswerer answerer;
        answerer.then([&](QDialog *dialog) {
            auto *list = dialog->findChild<QTreeWidget *>("DeviceList");
            if (choice == "pin")
                list->setCurrentItem(list->topLevelItem(1));
            devices.listed[1].description = "FT232R USB UART";   // only a description read anew
            dynamic_cast<PortDialog *>(dialog)->refresh();
            describedAnew = list->topLevelItem(1)->text(2);
            devices.listed.prepend(pty);   // a pseudo-terminal mapped meanwhile
            dynamic_cast<PortDialog *>(dialog)->refresh();
            for (QTreeWidgetItem *row = list->topLevelItem(0); row; row = list->itemBelow(row))
                rows << QStringList{row->text(0), row->text(1), row->toolTip(1), row->text(2), row->text(5)}.join('|')
                            + (row == list->currentItem() ? " <" : "");
            if (choice == "automatic")
                dialog->findChild<QRadioButton *>("AutomaticRadio")->click();
            clickButton(dialog, choice == "cancel" ? "CancelButton" : "OKButton");
        });
        rig.action("RunPortMenu")->trigger();

        const QString selected = choice == "pin" || !before.isEmpty() ? " <" : "";
        QCOMPARE(rows,
                 (QStringList{"Comm 3|/dev/pts/4||(not listed by the system)|", "Comm 1|/dev/ttyS1|||",
                              "Comm 2|/dev/ttyUSB0|" + usb.stableName + "|FT232R USB UART|0403:6001" + selected}));
        QCOMPARE(describedAnew, QStringLiteral("FT232R USB UART"));
        QTEST(devices.pinned, "after");
        QCOMPARE(rig.s().link.portOpen, !fetched<bool>("searchAgain"));
    }

    // Each file dialog opens in the folder of the last file of its kind, else in the documents folder.
    void fileDialogsStartInTheLastFolder_data()
    {
        // lastFile, folder: in the test's folder ("docs" the documents); name: the file name filled in
        addColumns<QString, QString, QString, QString, QString>("dialog", "lastFile", "title", "folder", "name");
        addRow("New, after a data file", "data 0", "runs/a.txt", "New Data File", "runs", "");
        addRow("Open, its folder since deleted", "data 2", "gone/a.txt", "Open Data File", "docs", "");
        addRow("configuration Save: no name to replace by mistake", "config save", "cfg/a.cfg", "Save Configuration",
               "cfg", "");
        addRow("configuration Open: the last one", "config open", "cfg/a.cfg", "Open Configuration", "cfg", "a.cfg");
        addRow("first PDF", "pdf", "", "Export PDF", "docs", "Test Results.pdf");
    }

    void fileDialogsStartInTheLastFolder()
    {
        QFETCH(QString, dialog);
        QFETCH(QString, folder);
        QTemporaryDir dir;
        for (const char *made : {"runs", "cfg", "docs"})
            QVERIFY(QDir(dir.path()).mkpath(made));
        // The documents folder as the desktop's user folders name it.
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QFile userDirs(config + "/user-dirs.dirs");
        QVERIFY(userDirs.open(QIODevice::WriteOnly));
        userDirs.write("XDG_DOCUMENTS_DIR=\"" + dir.filePath("docs").toUtf8() + "\"\n");
        userDirs.close();

        QString seen;   // title|folder|name
        ModalAnswerer answerer;
        answerer.then([&](QDialog *shown) {
            seen = shown->windowTitle() + '|' + qobject_cast<QFileDialog *>(shown)->directory().absolutePath() + '|'
                   + shown->findChild<QLineEdit *>("fileNameEdit")->text();
            shown->reject();
        });
        const QString lastFile = fetched<QString>("lastFile");
        QString path = lastFile.isEmpty() ? QString() : dir.filePath(lastFile);
        QtDataFileDialog data;
        QtConfigFileDialog configuration;
        QtPrintDialogs print;
        if (dialog.startsWith("data"))
            data.choose(dialog.section(' ', 1).toInt(), path);
        else if (dialog == "config save")
            configuration.chooseSave(path);
        else if (dialog == "config open")
            configuration.chooseOpen(path);
        else
            print.pdfFileName("Test Results.pdf");
        QFile::remove(userDirs.fileName());

        QString expected = dir.filePath(folder);
#ifdef Q_OS_WIN
        // Windows names the documents folder itself, whatever the desktop files say.
        if (folder == "docs")
            expected = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
#endif
        QCOMPARE(seen, fetched<QString>("title") + '|' + expected + '|' + fetched<QString>("name"));
    }

    // File, Preferences in a station's window: accepted preferences go to every tester, cancelled ones to none.
    void preferencesReachTheStationWhenAccepted_data()
    {
        addColumns<QString, int>("button", "told");
        addRow("OK", "OKButton", 1);
        addRow("Cancel", "CancelButton", 0);
    }

    void preferencesReachTheStationWhenAccepted()
    {
        Rig rig;
        CountingStation station;
        rig.form->joinStation(station);
        ModalAnswerer answerer;
        answerer.then([](QDialog *dialog) { clickButton(dialog, qPrintable(fetched<QString>("button"))); });
        rig.use("FilePreferencesMenu");
        QCOMPARE(answerer.answered, 1);
        QTEST(station.told, "told");
    }

    // Run, Run details...: greyed without an archive; the open run's shown as the archive holds them, then recorded
    // at once (before a run the recorder keeps them). Records: each kind, D: with its part.
    void runDetailsGoWithTheRun_data()
    {
        // archive: A readable, U unreadable, N holds only the run before a counter reset; shown: the part the
        // dialog opens with
        addColumns<char, QString, QString, QString>("archive", "button", "records", "shown");
        addRow("accepted", 'A', "OKButton", "B V S X D:SW-100", "from View, Runs");
        addRow("cancelled", 'A', "CancelButton", "B V S X", "from View, Runs");
        addRow("archive unreadable", 'U', "OKButton", "B V S X D:SW-100", "");
        addRow("only the run before archived", 'N', "OKButton", "D:SW-100", "");
    }

    void runDetailsGoWithTheRun()
    {
        QTemporaryDir dir;
        ArchiveLocation location;
        location.path = dir.filePath("runs.sqlite");
        SqlArchiveStore store(location);
        QCOMPARE(store.open(true), QString());
        FakeArchiveSink sink;
        Rig rig(false);
        rig.archive = &sink;
        rig.build();
        QCOMPARE(rig.action("RunDetailsMenu")->text(), QStringLiteral("Run details..."));
        QVERIFY(!rig.enabled("RunDetailsMenu"));
        QFETCH(char, archive);
        rig.form->setRunCatalogSource([&](QString &failure) -> std::unique_ptr<RunCatalog> {
            auto reader = std::make_unique<SqlArchiveStore>(location);
            failure = archive != 'U' ? reader->open(false) : QStringLiteral("The archive cannot be read.");
            return failure.isEmpty() ? std::move(reader) : nullptr;
        });
        QVERIFY(rig.enabled("RunDetailsMenu"));
        RunRecorder &recorder = rig.built->session.runRecorder();
        rig.s().identity.serialNumber = "41800001";
        rig.s().counters.running = true;
        rig.s().counters.cycleCount = 5;
        rig.s().counters.updateTime = QDateTime(QDate(2026, 12, 6), QTime(9, 0));
        recorder.sampleTaken();
        QCOMPARE(store.write(sink.records), QString());
        qint64 id = 0;
        QCOMPARE(store.lastRunId(id), QString());
        QCOMPARE(store.describeRun(id, {"from View, Runs", "", ""}), QString());
        if (archive == 'N') {
            rig.s().counters.cycleCount = 2;   // counters reset: a new run the archive has not seen yet
            recorder.sampleTaken();
            sink.records.clear();
        }
        QFETCH(QString, button);
        QString shown;
        ModalAnswerer answerer;
        answerer.then([&](QDialog *dialog) {
            auto *part = dialog->findChild<QLineEdit *>("PartEdit");
            shown = part->text();
            part->setText("SW-100");
            clickButton(dialog, qPrintable(button));
        });
        rig.use("RunDetailsMenu");
        QCOMPARE(answerer.answered, 1);
        QTEST(shown, "shown");
        QStringList records;
        for (const ArchiveRecord &r : sink.records)
            records << (r.kind == ArchiveRecord::RunDescribed ? "D:" + descriptionOf(r).part
                                                              : QString(QChar::fromLatin1("?BKSVX"[r.kind])));
        QTEST(records.join(u' '), "records");
    }

    // The about box starts the system's information tool, or shows what the program knows itself.
    void systemInfo_data()
    {
        addColumns<QStringList, bool, bool>("tool", "starts", "ownWindow");
        addRow("no tool installed", QStringList(), false, true);
        addRow("a tool that does not start", QStringList{"/usr/bin/hardinfo"}, false, true);
        addRow("the system's tool", QStringList{"/usr/bin/hardinfo"}, true, false);
    }

    void systemInfo()
    {
        QFETCH(QStringList, tool);
        QFETCH(bool, ownWindow);
        FakeSerialDevices devices;
        SerialDevice usb;
        usb.device = "/dev/ttyUSB0", usb.comm = 2, usb.description = "FT232R USB UART", usb.usbId = "0403:6001";
        devices.listed = {usb};
        AboutDialog about;
        about.devices = &devices;
        QStringList started;
        about.findTool = [&tool] { return tool; };
        about.startTool = [&](const QStringList &command) {
            started = command;
            return fetched<bool>("starts");
        };
        QString shown;
        ModalAnswerer answerer;
        answerer.then([&shown](QDialog *dialog) {
            shown = dialog->windowTitle() + "\n" + dialog->findChild<QPlainTextEdit *>()->toPlainText();
            dialog->accept();
        });
        QTest::mouseClick(about.findChild<QPushButton *>("systemInfoButton"), Qt::LeftButton);
        QCOMPARE(started, tool);
        QCOMPARE(answerer.answered, ownWindow ? 1 : 0);
        if (!ownWindow)
            return;
        const QStringList lines = shown.split('\n');
        QCOMPARE(lines.value(0), QStringLiteral("System Information"));
        QCOMPARE(lines.value(1), "Model 418C Life Cycle Tester, version " LIFECYCLE_VERSION);
        QVERIFY2(lines.value(2).startsWith("Qt " + QString(qVersion())), qPrintable(shown));
        QVERIFY2(lines.value(3).startsWith("Operating system: " + QSysInfo::prettyProductName()), qPrintable(shown));
        QCOMPARE(lines.mid(4),
                 (QStringList{"Serial devices:", "  Comm 2: /dev/ttyUSB0 - FT232R USB UART, USB 0403:6001"}));
    }
};

QTEST_MAIN(TesterWindowTest)
#include "TesterWindowTest.moc"
