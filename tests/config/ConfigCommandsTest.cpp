// The Configure menu's file commands against a tester that acknowledges
// everything: the question before a configuration is replaced, what the
// tester receives after Open and after a recent entry, and what a failed
// read leaves behind.

#include "ConfigSnapshot.h"

#include "config/ConfigCommands.h"
#include "config/ConfigRecord.h"
#include "preferences/Registry.h"
#include "supervision/EngineRig.h"
#include "support/FakeConfigFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct CommandRig : EngineRig
{
    CommandRig()
    {
        ReportBaseConfig(s);
        CopyCurrentConfigToEdit(s);
        linkUp();
        answerEverything();
    }

    QString put(const QStringList &lines, const QString &name = QStringLiteral("test.cfg"))
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(lines.join("\r\n").toLatin1() + "\r\n");
        return path;
    }

    FakeMessageDialogs dialogs;
    FakeConfigFileDialog files;
    MemorySettingsStore settings;
    Registry registry{settings};
    ConfigCommands commands{s, engine, dialogs, files, registry};
    QTemporaryDir dir;
};

// A master file for a current-measuring tester (50.0 mA full scale).
QStringList masterFile()
{
    QStringList lines = BaseFile;
    lines[0] = "Model 418C Master";
    lines.insert(1, "ABCD1234");
    lines[3] = "1";
    lines[4] = "500";
    lines[15] = "25";
    lines[16] = "0";
    lines[17] = "50";
    lines[18] = "0";
    return lines;
}

const QString Question = QStringLiteral(
    "yesno:Save Configuration|The current test configuration has not been saved. Do you want to save this configuration?");

} // namespace

class ConfigCommandsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checkConfigSaved_data();
    void checkConfigSaved();
    void openStartsTheDownload_data();
    void openStartsTheDownload();
    void failedReadRestoresEditCopy_data();
    void failedReadRestoresEditCopy();
    void openWhenNotReady_data();
    void openWhenNotReady();
};

void ConfigCommandsTest::checkConfigSaved_data()
{
    QTest::addColumn<bool>("dirty");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveChosen");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("dirtyAfter");

    QTest::newRow("saved: no question") << false << 0 << false << true << false;
    QTest::newRow("No: go on, still unsaved") << true << int(AnswerNo) << false << true << true;
    QTest::newRow("Cancel: stop") << true << int(AnswerCancel) << false << false << true;
    QTest::newRow("Yes, save dialog cancelled: stop") << true << int(AnswerYes) << false << false << true;
    QTest::newRow("Yes, saved: go on") << true << int(AnswerYes) << true << true << false;
}

void ConfigCommandsTest::checkConfigSaved()
{
    QFETCH(bool, dirty);
    QFETCH(int, answer);
    QFETCH(bool, saveChosen);
    QFETCH(bool, result);
    QFETCH(bool, dirtyAfter);

    CommandRig rig;
    rig.s.IsDirtyConfig = dirty;
    rig.dialogs.answers = {int16_t(answer)};
    const QString path = rig.dir.filePath("saved.cfg");
    rig.files.choices = {saveChosen ? std::optional<QString>(path) : std::nullopt};

    QCOMPARE(rig.commands.CheckConfigSaved(), result);
    QCOMPARE(rig.dialogs.calls, dirty ? QStringList{Question} : QStringList());
    QCOMPARE(rig.files.uses, answer == AnswerYes ? QStringList{"save"} : QStringList());
    QCOMPARE(rig.s.IsDirtyConfig, dirtyAfter);
    QCOMPARE(QFile::exists(path), saveChosen);
    QVERIFY(rig.port.frames().isEmpty());   // saving talks to nobody
}

void ConfigCommandsTest::openStartsTheDownload_data()
{
    QTest::addColumn<bool>("master");
    QTest::addColumn<bool>("fromRecentList");
    QTest::addColumn<QStringList>("frames");

    const QStringList ordinary = {"E149", "E210", "E33", "E4100000", "E5500", "E650", "E7500", "E850",
                                  "E9129", "EA125", "EB1023", "EC512", "ED16", "EE0"};
    const QStringList masterValues = {"E149", "E210", "E33", "E4100000", "E5500", "E650", "E7500", "E850",
                                      "E9129", "EA125", "EB512", "EC0", "ED1023", "EE0", "EF500", "F01"};
    const QStringList bounce = {"F13000", "F262500"};
    const QStringList reset = {"C2", "C9", "CA", "CB"};

    QTest::newRow("ordinary file from Open") << false << false << ordinary + bounce + QStringList{"AE"};
    QTest::newRow("ordinary file from the list") << false << true << ordinary + bounce + QStringList{"AE"};
    QTest::newRow("master file from Open: serial first")
        << true << false << QStringList{"E0ABCD1234"} + masterValues + bounce + reset + QStringList{"AE"};
    QTest::newRow("master file from the list: contact first")
        << true << true << masterValues + bounce + reset + QStringList{"AE"};
}

void ConfigCommandsTest::openStartsTheDownload()
{
    QFETCH(bool, master);
    QFETCH(bool, fromRecentList);
    QFETCH(QStringList, frames);

    CommandRig rig;
    const QString path = rig.put(master ? masterFile() : BaseFile);
    rig.s.ConfigFileName = QStringLiteral("last.cfg");
    rig.s.LearnConfigure = true;        // left over: must not end this download with a test start
    rig.s.Terminated = true;
    rig.s.ClearCycleCount = false;      // a leftover selection: a master file clears everything

    if (fromRecentList) {
        rig.commands.ConfigureRecentFileMenu(path);
    } else {
        rig.files.choices = {path};
        rig.commands.ConfigureOpenMenu();
    }
    rig.runUntilIdle();

    QCOMPARE(rig.port.frames(), frames);
    QCOMPARE(rig.files.uses, fromRecentList ? QStringList() : QStringList{"open:last.cfg"});
    QVERIFY(rig.dialogs.calls.isEmpty());
    QCOMPARE(rig.s.ConfigFileName, path);
    QCOMPARE(rig.registry.LoadRecentConfigFiles(), QStringList{path});
    QVERIFY(!rig.s.MasterUpdate && !rig.s.LearnConfigure && !rig.s.Terminated && !rig.s.IsDirtyConfig);
}

void ConfigCommandsTest::failedReadRestoresEditCopy_data()
{
    QTest::addColumn<QStringList>("lines");   // empty: no such file
    QTest::addColumn<QString>("error");

    QStringList badLimit = BaseFile;
    badLimit[5] = "0";
    QStringList badVersion = BaseFile;
    badVersion[1] = "Software Ver 2.0";
    QStringList masterBadTolerance = masterFile();
    masterBadTolerance[16] = "60";            // beyond 50.0 mA, after mode and range were taken

    QTest::newRow("no such file") << QStringList() << "An error occurred when opening the file";
    QTest::newRow("other firmware") << badVersion << "Incompatible data format";
    QTest::newRow("limit 0") << badLimit << "Invalid data in file";
    QTest::newRow("master file with a bad tolerance") << masterBadTolerance << "Invalid data in file";
}

void ConfigCommandsTest::failedReadRestoresEditCopy()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, error);

    for (const bool fromRecentList : {false, true}) {
        CommandRig rig;
        rig.s.sSerialNumber = QStringLiteral("41800123");
        const QStringList testerConfig = EditCopy(rig.s);
        rig.s.ConfigFileName = QStringLiteral("last.cfg");
        rig.s.IsDirtyConfig = true;
        rig.dialogs.answers = {AnswerNo};
        const QString path = lines.isEmpty() ? rig.dir.filePath("missing.cfg") : rig.put(lines);

        if (fromRecentList) {
            rig.commands.ConfigureRecentFileMenu(path);
        } else {
            rig.files.choices = {path};
            rig.commands.ConfigureOpenMenu();
        }
        rig.runUntilIdle();

        QCOMPARE(rig.dialogs.calls, (QStringList{Question, "error:File Open Error|" + error}));
        QCOMPARE(EditCopy(rig.s), testerConfig);
        QCOMPARE(rig.s.ConfigFileName, QString());
        QVERIFY(!rig.s.MasterUpdate);
        QVERIFY(!rig.s.IsDirtyConfig);      // reading began, whatever its outcome
        QVERIFY(rig.port.frames().isEmpty());
        QVERIFY(rig.registry.LoadRecentConfigFiles().isEmpty());
    }
}

void ConfigCommandsTest::openWhenNotReady_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("questionCancelled");

    QTest::newRow("test running") << true << false << false;
    QTest::newRow("command in flight") << false << true << false;
    QTest::newRow("save question cancelled") << false << false << true;
}

// Nothing is asked for and nothing is read: the tester keeps its configuration.
void ConfigCommandsTest::openWhenNotReady()
{
    QFETCH(bool, running);
    QFETCH(bool, busy);
    QFETCH(bool, questionCancelled);

    CommandRig rig;
    const QString path = rig.put(BaseFile);
    rig.s.Running = running;
    rig.s.MustWait = busy;
    rig.s.IsDirtyConfig = questionCancelled;
    rig.dialogs.answers = {AnswerCancel};
    rig.files.choices = {path, path};

    rig.commands.ConfigureOpenMenu();
    rig.commands.ConfigureRecentFileMenu(path);
    if (!running && !questionCancelled)
        rig.commands.ConfigureSaveMenu();

    QVERIFY(rig.files.uses.isEmpty());
    QVERIFY(rig.port.frames().isEmpty());
    QCOMPARE(rig.s.ConfigFileName, QString());
    QCOMPARE(rig.s.IsDirtyConfig, questionCancelled);
}

QTEST_GUILESS_MAIN(ConfigCommandsTest)
#include "ConfigCommandsTest.moc"
