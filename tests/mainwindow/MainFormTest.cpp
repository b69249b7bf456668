#include "mainwindow/MainForm.h"
#include "state/DataFormat.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/FakeSerialPort.h"
#include "support/MemorySettingsStore.h"
#include "support/ModalAnswerer.h"
#include "procedures/QtMessageDialogs.h"
#include "supervision/TesterEngine.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// Long enough that no poll tick runs unless a test drives one.
constexpr int NoTicks = 24 * 3600 * 1000;

// A main window over fakes. The poll timer only runs when asked for.
struct Rig
{
    explicit Rig(int pollMs = NoTicks) { build(pollMs); }
    void build(int pollMs) { form = std::make_unique<MainForm>(port, settings, dialogs, files, pollMs); }

    QLabel *label(const QString &name) { return form->findChild<QLabel *>(name); }
    QWidget *widget(const QString &name) { return form->findChild<QWidget *>(name); }
    QAction *action(const QString &name) { return form->findChild<QAction *>(name); }
    QString panel(int n) { return label(QStringLiteral("StatBarPanel%1").arg(n))->text(); }
    TesterState &s() { return form->state(); }

    // The tester was found, its first record is in and the link is idle.
    void linkReady()
    {
        port.selectPort(1);
        port.open();
        s().ComChanOpen = true;
        s().ComSeq = 0;
        s().ComCnt = 0;          // a recent exchange: commands go out without a wake-up
        s().MustWait = false;
        s().DownLoadedOnce = true;
        form->SetControls();
    }

    FakeSerialPort port;
    MemorySettingsStore settings;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    std::unique_ptr<MainForm> form;
};

// A sample whose every reading differs, so a box showing the wrong field shows.
void fillSample(TesterState &s)
{
    s.vRMode = 0;
    s.vRPullUp = 1000;
    s.vMaxDownResistance = 1023;   // open
    s.vMaxDownResistTol = 101;
    s.vMinDownResistance = 102;
    s.vMinDownResistTol = 103;
    s.vLastMeasuredDownResist = 104;
    s.vMaxDownBounce = 1000;
    s.vMaxDownBounceTol = 2000;
    s.vLastDownBounceTime = 3000;
    s.vLastDownStrokeTime = 1234;
    s.vMaxUpResistance = 201;
    s.vMaxUpResistTol = 202;
    s.vMinUpResistance = 203;
    s.vMinUpResistTol = 204;
    s.vLastMeasuredUpResist = 205;
    s.vMaxUpBounce = 4000;
    s.vMaxUpBounceTol = 5000;
    s.vLastUpBounceTime = 6000;
    s.vLastUpStrokeTime = 2345;
}

// Which field each value box shows, in the format of its kind.
QMap<QString, QString> boxTexts(const TesterState &s)
{
    auto r = [&s](int32_t count) { return FormatResistance(s, count, false); };
    return {
        {"DownMaxRBox", r(s.vMaxDownResistance)}, {"DownMaxRLimBox", r(s.vMaxDownResistTol)},
        {"DownMinRBox", r(s.vMinDownResistance)}, {"DownMinRLimBox", r(s.vMinDownResistTol)},
        {"DownLastRBox", r(s.vLastMeasuredDownResist)}, {"DownBounceBox", FormatBounceTime(s.vMaxDownBounce)},
        {"DownBounceLimBox", FormatBounceTime(s.vMaxDownBounceTol)},
        {"DownLastBounceBox", FormatBounceTime(s.vLastDownBounceTime)},
        {"DownLastContactTime", FormatStrokeTime(s.vLastDownStrokeTime)},
        {"UpMaxRBox", r(s.vMaxUpResistance)}, {"UpMaxRLimBox", r(s.vMaxUpResistTol)},
        {"UpMinRBox", r(s.vMinUpResistance)}, {"UpMinRLimBox", r(s.vMinUpResistTol)},
        {"UpLastRBox", r(s.vLastMeasuredUpResist)}, {"UpBounceBox", FormatBounceTime(s.vMaxUpBounce)},
        {"UpBounceLimBox", FormatBounceTime(s.vMaxUpBounceTol)},
        {"UpLastBounceBox", FormatBounceTime(s.vLastUpBounceTime)},
        {"UpLastContactTime", FormatStrokeTime(s.vLastUpStrokeTime)},
    };
}

const QStringList FailureBoxes = {"DownMinChk", "DownMaxChk", "UpMinChk", "UpMaxChk",
                                  "DownInitChk", "UpInitChk", "DownBounceChk", "UpBounceChk"};

} // namespace

class MainFormTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpTexts();
    void strokeDisplay_data();
    void strokeDisplay();
    void countersAreUngroupedIntegers();
    void failureBoxesFollowErrorBits_data();
    void failureBoxesFollowErrorBits();
    void failureBoxIgnoresClicks_data();
    void failureBoxIgnoresClicks();
    void unitLabelsFollowModeChanges_data();
    void unitLabelsFollowModeChanges();
    void controlEnabling_data();
    void controlEnabling();
    void runCommands_data();
    void runCommands();
    void breakUpdate_data();
    void breakUpdate();
    void shutDown_data();
    void shutDown();
    void recentMenus_data();
    void recentMenus();
    void fileCommandsUpdateMenus();
    void firstPortTried_data();
    void firstPortTried();
    void pollTimerRunsDuringModalDialog();
};

void MainFormTest::startUpTexts()
{
    Rig rig;
    QCOMPARE(rig.form->windowTitle(), QString("Model 418C Life Cycle Tester"));
    QCOMPARE(rig.panel(1), QString("S/N "));
    QCOMPARE(rig.panel(2), QString("-----"));
    QCOMPARE(rig.panel(3), QString("??? Mode"));
    QCOMPARE(rig.panel(4), QString("Software Ver ???"));
    // The unknown start mode replaces the design-time "ohms".
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(rig.label(QStringLiteral("CTypeLbl%1").arg(i))->text(), QString("----"));
    QCOMPARE(rig.label("DownMaxRBox")->text(), QString("----"));
}

void MainFormTest::strokeDisplay_data()
{
    QTest::addColumn<int>("contact");
    QTest::addColumn<int>("version");
    QTest::addColumn<QStringList>("shown");       // enabled, showing their own field
    QTest::addColumn<QStringList>("notMeasured"); // disabled, "----"

    const QStringList downContact = {"DownMaxRBox", "DownMaxRLimBox", "DownMinRBox", "DownMinRLimBox",
                                     "DownLastRBox", "CTypeLbl1", "CTypeLbl2", "CTypeLbl3", "DownMinChk",
                                     "DownMaxChk", "DownInitChk"};
    const QStringList downBounce = {"DownBounceBox", "DownBounceLimBox", "DownLastContactTime",
                                    "TimeLbl1", "TimeLbl2", "DownBounceChk"};
    const QStringList upSide = {"UpMaxRBox", "UpMaxRLimBox", "UpMinRBox", "UpMinRLimBox", "UpLastRBox",
                                "UpBounceBox", "UpBounceLimBox", "UpLastBounceBox", "UpLastContactTime",
                                "UpFrame", "CTypeLbl4", "TimeLbl3", "TimeLbl6", "UpMinChk", "UpBounceChk"};

    QTest::newRow("down contact only") << 16 << 12 << downContact
                                       << downBounce + QStringList{"DownLastBounceBox", "TimeLbl5"} + upSide;
    QTest::newRow("down bounce, old software") << 16 + 64 << 11 << downContact + downBounce
                                               << QStringList{"DownLastBounceBox", "TimeLbl5"} + upSide;
    QTest::newRow("down bounce, software 1.2") << 16 + 64 << 12
                                               << downContact + downBounce
                                                      + QStringList{"DownLastBounceBox", "TimeLbl5"}
                                               << upSide;
    QTest::newRow("bounce bit without its stroke") << 64 << 12 << QStringList()
                                                   << downContact + downBounce + QStringList{"DownFrame"};
    QTest::newRow("up stroke with bounce")
        << 32 + 128 << 12
        << QStringList{"UpMaxRBox", "UpLastBounceBox", "TimeLbl6", "UpLastContactTime", "TimeLbl4",
                       "CTypeLbl6", "UpBounceChk", "UpInitChk"}
        << QStringList{"DownMaxRBox", "DownFrame", "DownBounceBox", "CTypeLbl1"};
}

void MainFormTest::strokeDisplay()
{
    QFETCH(int, contact);
    QFETCH(int, version);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, notMeasured);
    Rig rig;
    fillSample(rig.s());
    rig.s().vContact = int16_t(contact);
    rig.s().vSoftwareVersion = version;
    rig.form->DisplayData();
    const QMap<QString, QString> texts = boxTexts(rig.s());

    for (const QString &name : shown) {
        QWidget *w = rig.widget(name);
        QVERIFY2(w, qPrintable(name));
        QVERIFY2(w->isEnabled(), qPrintable(name + " should be enabled"));
        if (texts.contains(name))
            QCOMPARE(rig.label(name)->text(), texts.value(name));
    }
    for (const QString &name : notMeasured) {
        QWidget *w = rig.widget(name);
        QVERIFY2(w, qPrintable(name));
        QVERIFY2(!w->isEnabled(), qPrintable(name + " should be disabled"));
        if (texts.contains(name))
            QCOMPARE(rig.label(name)->text(), QString("----"));
    }
}

void MainFormTest::countersAreUngroupedIntegers()
{
    Rig rig;
    TesterState &s = rig.s();
    s.CycleCount = 1234567;
    s.vCycleLimit = 0;
    s.FailCount = 1000;
    s.vFailLimit = 2000000000;
    s.SeqCount = 7;
    s.vSeqLimit = 12;
    rig.form->DisplayData();
    const QStringList got = {rig.label("CycleCntBox")->text(), rig.label("CycleCntLimit")->text(),
                             rig.label("FailCntBox")->text(),  rig.label("FailCntLimit")->text(),
                             rig.label("SeqCntBox")->text(),   rig.label("SeqCntLimit")->text()};
    QCOMPARE(got, QStringList({"1234567", "0", "1000", "2000000000", "7", "12"}));
}

void MainFormTest::failureBoxesFollowErrorBits_data()
{
    QTest::addColumn<int>("contact");
    QTest::addColumn<int>("errorCode");
    QTest::newRow("no failure") << 48 << 0;
    QTest::newRow("all failures, nothing tested") << 0 << 255;
    QTest::newRow("odd bits") << 48 << (1 | 4 | 16 | 64);
    QTest::newRow("even bits") << 48 + 192 << (2 | 8 | 32 | 128);
}

void MainFormTest::failureBoxesFollowErrorBits()
{
    QFETCH(int, contact);
    QFETCH(int, errorCode);
    Rig rig;
    rig.s().vContact = int16_t(contact);
    rig.s().vErrorCode = int16_t(errorCode);
    rig.form->DisplayData();
    for (int bit = 0; bit < 8; ++bit) {
        auto *box = rig.form->findChild<QCheckBox *>(FailureBoxes[bit]);
        QCOMPARE(box->isChecked(), bool(errorCode & (1 << bit)));
    }
}

void MainFormTest::failureBoxIgnoresClicks_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("failed");
    // Every box once; the states alternate so both directions of a click are tried.
    for (int bit = 0; bit < 8; ++bit)
        QTest::addRow("%s %s", qPrintable(FailureBoxes[bit]), bit % 2 ? "set" : "clear")
            << FailureBoxes[bit] << bool(bit % 2);
}

void MainFormTest::failureBoxIgnoresClicks()
{
    QFETCH(QString, box);
    QFETCH(bool, failed);
    Rig rig;
    rig.form->show();
    rig.s().vContact = 16 + 32 + 64 + 128;
    rig.s().vErrorCode = failed ? int16_t(1 << FailureBoxes.indexOf(box)) : int16_t(0);
    rig.form->DisplayData();
    auto *check = rig.form->findChild<QCheckBox *>(box);
    QVERIFY(check->isEnabled());
    QTest::mouseClick(check, Qt::LeftButton);
    QCOMPARE(check->isChecked(), failed);
    QTest::keyClick(check, Qt::Key_Space);
    QCOMPARE(check->isChecked(), failed);
}

void MainFormTest::unitLabelsFollowModeChanges_data()
{
    QTest::addColumn<int>("firstMode");
    QTest::addColumn<int>("secondMode");
    QTest::addColumn<QString>("labelAfter");   // "mark" when the second call left the labels alone
    QTest::newRow("same mode again") << 0 << 0 << "mark";
    QTest::newRow("unknown mode again") << -1 << -1 << "mark";
    QTest::newRow("resistance to current") << 0 << 1 << "ma";
    QTest::newRow("current to voltage") << 1 << 2 << "volts";
    QTest::newRow("to an unknown mode") << 2 << 7 << "----";
}

void MainFormTest::unitLabelsFollowModeChanges()
{
    QFETCH(int, firstMode);
    QFETCH(int, secondMode);
    QFETCH(QString, labelAfter);
    Rig rig;
    rig.s().vRMode = int16_t(firstMode);
    rig.form->DisplayMode();
    // Mark the labels: only a rewrite replaces the mark.
    for (int i = 1; i <= 6; ++i)
        rig.label(QStringLiteral("CTypeLbl%1").arg(i))->setText("mark");
    rig.s().vRMode = int16_t(secondMode);
    rig.form->DisplayMode();
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(rig.label(QStringLiteral("CTypeLbl%1").arg(i))->text(), labelAfter);
    QCOMPARE(rig.form->LastModeShown, secondMode);
}

void MainFormTest::controlEnabling_data()
{
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<bool>("mustWait");
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("sampled");
    QTest::addColumn<bool>("fileOpen");
    QTest::addColumn<QStringList>("enabled");

    const QStringList always = {"ConfigureMasterResetMenu", "FilePrintSetupMenu", "FileExitMenu", "HelpAboutMenu"};
    const QStringList ready = {"RunStopMenu", "RunRunLimitMenu", "RunOnceMenu", "RunNoLimitMenu",
                               "RunSampleDataMenu", "RunBreakUpdateMenu", "ConfigureResetLimits", "SampleDataBtn"};
    const QStringList idle = {"ConfigureLearnMenu", "ConfigureEditMenu", "ConfigureOpenMenu",
                              "ConfigureSaveMenu", "RunManualMenu"};
    const QStringList sampled = {"FileNewMenu", "FileOpenMenu", "CycleCntBox", "FailCntBox", "SeqCntBox",
                                 "CycleCntLimit", "FailCntLimit", "SeqCntLimit", "CycCntLbl", "FailCntLbl",
                                 "SeqCntLbl", "LEDLabel", "SmplAtLbl", "SampleDate"};

    QTest::newRow("port closed, running") << false << false << true << false << false << always;
    QTest::newRow("ready and running") << true << false << true << true << false
                                       << always + ready + sampled + QStringList{"FilePrintMenu"};
    QTest::newRow("ready and idle") << true << false << false << true << false
                                    << always + ready + idle + sampled + QStringList{"FilePrintMenu"};
    QTest::newRow("awaiting a reply") << true << true << false << true << false << always + sampled;
    QTest::newRow("sampled, port closed since") << false << false << false << true << false << always + sampled;
    QTest::newRow("data file open") << false << true << false << false << true
                                    << always + QStringList{"FileCloseMenu"};
}

void MainFormTest::controlEnabling()
{
    QFETCH(bool, portOpen);
    QFETCH(bool, mustWait);
    QFETCH(bool, running);
    QFETCH(bool, sampled);
    QFETCH(bool, fileOpen);
    QFETCH(QStringList, enabled);
    Rig rig;
    TesterState &s = rig.s();
    s.ComChanOpen = portOpen;
    s.MustWait = mustWait;
    s.Running = running;
    s.DownLoadedOnce = sampled;
    s.DataFileOpen = fileOpen;
    rig.form->SetControls();

    const QStringList controls = {
        "ConfigureLearnMenu", "ConfigureEditMenu", "ConfigureOpenMenu", "ConfigureSaveMenu",
        "ConfigureResetLimits", "ConfigureMasterResetMenu", "RunManualMenu", "RunStopMenu", "RunNoLimitMenu",
        "RunRunLimitMenu", "RunSampleDataMenu", "RunBreakUpdateMenu", "RunOnceMenu", "SampleDataBtn",
        "CycleCntBox", "FailCntBox", "SeqCntBox", "CycleCntLimit", "FailCntLimit", "SeqCntLimit", "CycCntLbl",
        "FailCntLbl", "SeqCntLbl", "LEDLabel", "SmplAtLbl", "SampleDate", "FilePrintMenu", "FilePrintSetupMenu",
        "FileNewMenu", "FileCloseMenu", "FileOpenMenu", "FileExitMenu", "HelpAboutMenu"};
    for (const QString &name : controls) {
        QAction *action = rig.action(name);
        const bool isEnabled = action ? action->isEnabled() : rig.widget(name)->isEnabled();
        QVERIFY2(isEnabled == enabled.contains(name),
                 qPrintable(name + (isEnabled ? " is enabled" : " is disabled")));
    }
}

void MainFormTest::runCommands_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<QStringList>("frames");
    QTest::newRow("Stop") << "RunStopMenu" << true << QStringList{"A1"};
    QTest::newRow("Run To Limits") << "RunRunLimitMenu" << true << QStringList{"A2"};
    QTest::newRow("Run Once") << "RunOnceMenu" << true << QStringList{"AA"};
    QTest::newRow("Run No Limit") << "RunNoLimitMenu" << true << QStringList{"AC"};
    QTest::newRow("Sample Data") << "RunSampleDataMenu" << true << QStringList{"AE"};
    QTest::newRow("Sample button") << "SampleDataBtn" << true << QStringList{"AE"};
    QTest::newRow("Stop while a reply is awaited") << "RunStopMenu" << false << QStringList();
    QTest::newRow("Sample button while a reply is awaited") << "SampleDataBtn" << false << QStringList();
}

void MainFormTest::runCommands()
{
    QFETCH(QString, control);
    QFETCH(bool, ready);
    QFETCH(QStringList, frames);
    Rig rig;
    rig.linkReady();
    // The link became busy after the controls were last enabled.
    rig.s().MustWait = !ready;
    if (QAction *action = rig.action(control))
        action->trigger();
    else
        qobject_cast<QPushButton *>(rig.widget(control))->click();
    QCOMPARE(rig.port.frames(), frames);
}

void MainFormTest::breakUpdate_data()
{
    QTest::addColumn<bool>("linkReady");
    QTest::addColumn<bool>("fileOpen");
    QTest::addColumn<QString>("countText");   // empty: the operator cancels
    QTest::addColumn<int>("saveBox");         // -1 leave as it starts, else untick (0) or tick (1)
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("busyMeanwhile");   // a reply became due while the dialog was open

    const QString noFile = "error:No Data File|There must be a database file open in which to save the data";
    QTest::newRow("save without a data file") << true << false << "100" << 1 << QStringList() << QStringList{noFile}
                                              << false << false;
    QTest::newRow("no saving, no data file") << true << false << "100" << 0 << QStringList{"F3100"}
                                             << QStringList() << true << false;
    QTest::newRow("data file open: saving starts ticked") << true << true << "250" << -1 << QStringList{"F3250"}
                                                          << QStringList() << true << false;
    QTest::newRow("cancelled") << true << false << "" << -1 << QStringList() << QStringList() << false << false;
    QTest::newRow("link not ready: no dialog") << false << false << "100" << 0 << QStringList() << QStringList()
                                               << false << false;
    // The command could not go out, so the test is not marked as running.
    QTest::newRow("link busy when OK is pressed") << true << false << "100" << 0 << QStringList()
                                                  << QStringList() << false << true;
}

void MainFormTest::breakUpdate()
{
    QFETCH(bool, linkReady);
    QFETCH(bool, fileOpen);
    QFETCH(QString, countText);
    QFETCH(int, saveBox);
    QFETCH(QStringList, frames);
    QFETCH(QStringList, messages);
    QFETCH(bool, running);
    QFETCH(bool, busyMeanwhile);
    Rig rig;
    rig.linkReady();
    rig.s().MustWait = !linkReady;
    rig.s().DataFileOpen = fileOpen;

    ModalAnswerer answerer;
    bool startedTicked = false;
    answerer.then([&](QDialog *dialog) {
        auto *save = dialog->findChild<QCheckBox *>("SaveToDatabase");
        startedTicked = save->isChecked();
        if (countText.isEmpty()) {
            QTest::mouseClick(dialog->findChild<QPushButton *>("CancelButton"), Qt::LeftButton);
            return;
        }
        if (saveBox >= 0)
            save->setChecked(saveBox == 1);
        if (busyMeanwhile) {
            rig.form->engine().SendCommand(174);   // say, the tester's "+" was answered
            rig.port.written.clear();
        }
        dialog->findChild<QLineEdit *>("BreakCountEdit")->setText(countText);
        QTest::mouseClick(dialog->findChild<QPushButton *>("OKButton"), Qt::LeftButton);
    });
    rig.action("RunBreakUpdateMenu")->trigger();

    QCOMPARE(answerer.answered, linkReady ? 1 : 0);
    if (linkReady)
        QCOMPARE(startedTicked, fileOpen);
    QCOMPARE(rig.port.frames(), frames);
    QCOMPARE(rig.dialogs.calls, messages);
    QCOMPARE(rig.s().Running, running);
    if (!frames.isEmpty())
        QCOMPARE(int(rig.s().RepeatCount), countText.toInt());
}

void MainFormTest::shutDown_data()
{
    QTest::addColumn<bool>("breakMode");
    QTest::addColumn<bool>("unsavedSample");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("closes");

    const QString notice = "error:Break Update Mode Cancel|The tester is set to stop after 50 cycles and will "
                           "not restart if program is terminated.";
    const QString question = "yesno:Save Data|The current test data has not been saved. Do you want to save "
                             "this data?";
    QTest::newRow("nothing to tell") << false << false << 0 << QStringList() << true;
    QTest::newRow("break mode notice, then closes") << true << false << 0 << QStringList{notice} << true;
    QTest::newRow("notice, then unsaved data kept") << true << true << int(AnswerCancel)
                                                    << QStringList{notice, question} << false;
    QTest::newRow("unsaved data dropped") << false << true << int(AnswerNo) << QStringList{question} << true;
}

void MainFormTest::shutDown()
{
    QFETCH(bool, breakMode);
    QFETCH(bool, unsavedSample);
    QFETCH(int, answer);
    QFETCH(QStringList, messages);
    QFETCH(bool, closes);
    Rig rig(1000);
    rig.form->show();
    rig.s().GoAgainMode = breakMode;
    rig.s().RepeatCount = 50;
    rig.s().IsDirtyData = unsavedSample;
    rig.s().ComChan = 5;
    rig.dialogs.answers = {int16_t(answer)};

    QCOMPARE(rig.form->close(), closes);
    QCOMPARE(rig.dialogs.calls, messages);
    QCOMPARE(rig.form->isVisible(), !closes);
    QCOMPARE(rig.form->findChild<QTimer *>("Tmr")->isActive(), !closes);
    QCOMPARE(rig.settings.read("Preferences", "CommChannel"), closes ? QString("5") : QString());
    // A running test goes on: nothing is said to the tester.
    QVERIFY(rig.port.written.isEmpty());
}

void MainFormTest::recentMenus_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("paths");
    QTest::newRow("first run") << "RecentFiles" << "RecentFile" << "FileRecentMenu" << QStringList();
    QTest::newRow("two data files") << "RecentFiles" << "RecentFile" << "FileRecentMenu"
                                    << QStringList{"/data/b.txt", "/data/A & B.txt"};
    QTest::newRow("four configurations") << "ConfigFiles" << "RecentCnfgFile" << "ConfigureRecentFileMenu"
                                         << QStringList{"/c/1.cfg", "/c/2.cfg", "/c/3.cfg", "/c/4.cfg"};
}

void MainFormTest::recentMenus()
{
    QFETCH(QString, section);
    QFETCH(QString, valueName);
    QFETCH(QString, menu);
    QFETCH(QStringList, paths);
    FakeSerialPort port;
    MemorySettingsStore settings;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    for (int i = 0; i < paths.size(); ++i)
        settings.write(section, valueName + QString::number(i + 1), paths[i]);
    MainForm form(port, settings, dialogs, files, NoTicks);

    QCOMPARE(form.findChild<QAction *>(menu + "0")->isVisible(), !paths.isEmpty());
    for (int i = 1; i <= 4; ++i) {
        QAction *entry = form.findChild<QAction *>(menu + QString::number(i));
        QCOMPARE(entry->isVisible(), i <= paths.size());
        if (i <= paths.size())   // "&" shows as itself, not as a menu accelerator
            QCOMPARE(entry->text().replace("&&", "&"), paths[i - 1]);
    }
}

void MainFormTest::fileCommandsUpdateMenus()
{
    QTemporaryDir dir;
    const QString first = dir.filePath("run & one.txt");
    const QString second = dir.filePath("second.txt");
    Rig rig;
    rig.linkReady();
    QAction *closeMenu = rig.action("FileCloseMenu");

    rig.files.choices = {first};
    rig.action("FileNewMenu")->trigger();
    QVERIFY(rig.s().DataFileOpen);
    QVERIFY(closeMenu->isEnabled());
    QCOMPARE(rig.form->windowTitle(), QString("Model 418C Life Cycle Tester - run & one.txt"));
    QCOMPARE(rig.action("FileRecentMenu1")->text().replace("&&", "&"), first);

    rig.action("FileCloseMenu")->trigger();
    QVERIFY(!rig.s().DataFileOpen);
    QVERIFY(!closeMenu->isEnabled());

    rig.files.choices = {second};
    rig.action("FileNewMenu")->trigger();
    QCOMPARE(rig.action("FileRecentMenu2")->text().replace("&&", "&"), first);

    // The recent entry opens the path itself, "&" and all.
    rig.action("FileRecentMenu2")->trigger();
    QCOMPARE(rig.s().DataFileName, first);
    QVERIFY(closeMenu->isEnabled());
}

void MainFormTest::firstPortTried_data()
{
    QTest::addColumn<QString>("saved");
    QTest::addColumn<int>("firstPort");
    QTest::newRow("nothing saved") << QString() << 1;
    QTest::newRow("port 0") << "0" << 1;
    QTest::newRow("port 3") << "3" << 3;
    QTest::newRow("port 9") << "9" << 9;
    QTest::newRow("port 12 starts at 9") << "12" << 9;
    QTest::newRow("nonsense starts at 1") << "-40" << 1;
}

void MainFormTest::firstPortTried()
{
    QFETCH(QString, saved);
    QFETCH(int, firstPort);
    FakeSerialPort port;
    port.refuseAll = true;
    MemorySettingsStore settings;
    if (!saved.isNull())
        settings.write("Preferences", "CommChannel", saved);
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    MainForm form(port, settings, dialogs, files, NoTicks);
    form.engine().Tick();
    QCOMPARE(port.openAttempts, QList<int>{firstPort});
    QCOMPARE(form.findChild<QLabel *>("StatBarMessage")->text(),
             QStringLiteral("Searching For Tester On Comm %1").arg(firstPort));
}

void MainFormTest::pollTimerRunsDuringModalDialog()
{
    FakeSerialPort port;
    port.refuseAll = true;
    MemorySettingsStore settings;
    QtMessageDialogs dialogs;
    FakeDataFileDialog files;
    MainForm form(port, settings, dialogs, files, 10);
    form.show();
    dialogs.setParentWidget(&form);

    int ticks = 0;
    connect(form.findChild<QTimer *>("Tmr"), &QTimer::timeout, this, [&ticks] { ++ticks; });
    int ticksWhileOpen = -1;
    qsizetype searchesWhileOpen = -1;
    ModalAnswerer answerer;
    answerer.then([&](QDialog *dialog) {
        const int before = ticks;
        const qsizetype searchesBefore = port.openAttempts.size();
        QTest::qWait(300);
        ticksWhileOpen = ticks - before;
        searchesWhileOpen = port.openAttempts.size() - searchesBefore;
        dialog->accept();
    });
    dialogs.ErrorDialog("System Error", "System Information Is Unavailable At This Time");
    QVERIFY2(ticksWhileOpen >= 10, qPrintable(QString::number(ticksWhileOpen)));
    QVERIFY(searchesWhileOpen >= 10);   // the port search went on, not just the timer
}

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
