// The main window's share of configuration files: the question about an
// unsaved configuration when the window closes, and the Configure entries
// reaching their commands.

#include "config/ConfigCommands.h"
#include "mainwindow/MainForm.h"
#include "support/FakeConfigFileDialog.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/FakeSerialPort.h"
#include "support/MemorySettingsStore.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

constexpr int NoTicks = 24 * 3600 * 1000;

struct Rig
{
    Rig()
    {
        settings.write("ConfigFiles", "RecentCnfgFile1", "/no/such/recent.cfg");
        form = std::make_unique<MainForm>(port, settings, dialogs, files, NoTicks);
        form->configCommands().setFileDialog(configFiles);
        port.selectPort(1);
        port.open();
        s().ComChanOpen = true;
        s().ComSeq = 0;
        s().ComCnt = 0;
        s().MustWait = false;
        s().DownLoadedOnce = true;
        form->SetControls();
    }
    TesterState &s() { return form->state(); }
    void trigger(const char *name) { form->findChild<QAction *>(name)->trigger(); }

    FakeSerialPort port;
    MemorySettingsStore settings;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    FakeConfigFileDialog configFiles;
    std::unique_ptr<MainForm> form;
};

const QString ConfigQuestion = QStringLiteral(
    "yesno:Save Configuration|The current test configuration has not been saved. Do you want to save this configuration?");

} // namespace

class MainFormConfigTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void closingAsksAboutConfiguration_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveChosen");
        QTest::addColumn<bool>("closes");

        QTest::newRow("No: closes unsaved") << int(AnswerNo) << false << true;
        QTest::newRow("Cancel: stays open") << int(AnswerCancel) << false << false;
        QTest::newRow("Yes, save cancelled: stays open") << int(AnswerYes) << false << false;
        QTest::newRow("Yes, saved: closes") << int(AnswerYes) << true << true;
    }

    void closingAsksAboutConfiguration()
    {
        QFETCH(int, answer);
        QFETCH(bool, saveChosen);
        QFETCH(bool, closes);
        QTemporaryDir dir;
        Rig rig;
        rig.form->show();
        rig.s().IsDirtyConfig = true;
        rig.dialogs.answers = {int16_t(answer)};
        if (saveChosen)
            rig.configFiles.choices = {dir.filePath("closing.cfg")};

        QCOMPARE(rig.form->close(), closes);
        QCOMPARE(rig.dialogs.calls, QStringList{ConfigQuestion});
        QCOMPARE(rig.settings.read("Preferences", "CommChannel").isEmpty(), !closes);
    }

    // Each entry reaches its command: Open and Save ask for a file, a recent
    // entry reads its own path (which is gone, so the reader says so).
    void configureEntries()
    {
        Rig rig;
        rig.trigger("ConfigureOpenMenu");
        rig.trigger("ConfigureSaveMenu");
        rig.trigger("ConfigureRecentFileMenu1");

        QCOMPARE(rig.configFiles.uses, (QStringList{"open:", "save"}));
        QCOMPARE(rig.dialogs.calls,
                 QStringList{"error:File Open Error|An error occurred when opening the file"});
    }
};

QTEST_MAIN(MainFormConfigTest)
#include "MainFormConfigTest.moc"
