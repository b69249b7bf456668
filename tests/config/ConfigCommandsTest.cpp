// The Configure file commands against a tester that acknowledges
// everything: the save question, what the tester receives after Open and
// after a recent entry, and what a failed read leaves behind.

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
    QString put(const QStringList &lines)
    {
        QFile f(dir.filePath("test.cfg"));
        f.open(QIODevice::WriteOnly);
        f.write(FileBytes(lines));
        return f.fileName();
    }
    void open(const QString &path, bool fromRecentList)
    {
        if (fromRecentList) {
            commands.ConfigureRecentFileMenu(path);
        } else {
            files.choices = {path};
            commands.ConfigureOpenMenu();
        }
        runUntilIdle();
    }

    FakeMessageDialogs dialogs;
    FakeConfigFileDialog files;
    MemorySettingsStore settings;
    Registry registry{settings};
    ConfigCommands commands{s, engine, dialogs, files, registry};
    QTemporaryDir dir;
};

const QString Question = "yesno:Save Configuration|The current test configuration has not been saved. "
                         "Do you want to save this configuration?";

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
};

void ConfigCommandsTest::checkConfigSaved_data()
{
    QTest::addColumn<bool>("dirty");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveChosen");
    QTest::addColumn<bool>("result");

    QTest::newRow("saved: no question") << false << 0 << false << true;
    QTest::newRow("No: go on, still unsaved") << true << int(AnswerNo) << false << true;
    QTest::newRow("Cancel: stop") << true << int(AnswerCancel) << false << false;
    QTest::newRow("Yes, save dialog cancelled: stop") << true << int(AnswerYes) << false << false;
    QTest::newRow("Yes, saved: go on") << true << int(AnswerYes) << true << true;
}

void ConfigCommandsTest::checkConfigSaved()
{
    QFETCH(bool, dirty);
    QFETCH(int, answer);
    QFETCH(bool, saveChosen);
    QFETCH(bool, result);

    CommandRig rig;
    rig.s.IsDirtyConfig = dirty;
    rig.dialogs.answers = {int16_t(answer)};
    const QString path = rig.dir.filePath("saved.cfg");
    rig.files.choices = {saveChosen ? std::optional<QString>(path) : std::nullopt};

    QCOMPARE(rig.commands.CheckConfigSaved(), result);
    QCOMPARE(rig.dialogs.calls, dirty ? QStringList{Question} : QStringList());
    QCOMPARE(rig.files.uses, answer == AnswerYes ? QStringList{"save"} : QStringList());
    QCOMPARE(rig.s.IsDirtyConfig, dirty && !saveChosen);
    QCOMPARE(QFile::exists(path), saveChosen);
}

void ConfigCommandsTest::openStartsTheDownload_data()
{
    QTest::addColumn<bool>("master");
    QTest::addColumn<bool>("fromRecentList");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QStringList>("frames");

    const QStringList limitsAndTimes = {"E149", "E210", "E33", "E4100000", "E5500", "E650", "E7500", "E850",
                                        "E9129", "EA125"};
    const QStringList ordinary = limitsAndTimes + QStringList{"EB1023", "EC512", "ED16", "EE0", "F13000", "F262500", "AE"};
    const QStringList master = limitsAndTimes + QStringList{"EB512", "EC0", "ED1023", "EE0", "EF500", "F01", "F13000",
                                                            "F262500", "C2", "C9", "CA", "CB", "AE"};
    QTest::newRow("ordinary file from Open") << false << false << false << ordinary;
    QTest::newRow("ordinary file from the list") << false << true << false << ordinary;
    QTest::newRow("master file from Open: serial first") << true << false << false
        << QStringList{"E0ABCD1234"} + master;
    QTest::newRow("master file from the list: contact first") << true << true << false << master;
    QTest::newRow("test running: nothing read") << false << false << true << QStringList();
}

void ConfigCommandsTest::openStartsTheDownload()
{
    QFETCH(bool, master);
    QFETCH(bool, fromRecentList);
    QFETCH(bool, running);
    QFETCH(QStringList, frames);

    CommandRig rig;
    const QString path = rig.put(master ? MasterFile() : BaseFile);
    rig.s.ConfigFileName = "last.cfg";
    rig.s.Running = running;
    rig.s.LearnConfigure = true;        // left over: must not end this download with a test start
    rig.s.ClearCycleCount = false;      // a leftover selection: a master file clears everything

    rig.open(path, fromRecentList);

    QCOMPARE(rig.port.frames(), frames);
    QCOMPARE(rig.files.uses, fromRecentList || running ? QStringList() : QStringList{"open:last.cfg"});
    QVERIFY(rig.dialogs.calls.isEmpty());
    QCOMPARE(rig.s.ConfigFileName, running ? "last.cfg" : path);
    QCOMPARE(rig.s.LearnConfigure, running);
    QVERIFY(!rig.s.MasterUpdate);
}

void ConfigCommandsTest::failedReadRestoresEditCopy_data()
{
    QTest::addColumn<QStringList>("lines");   // empty: no such file
    QTest::addColumn<QString>("error");

    QTest::newRow("no such file") << QStringList() << "An error occurred when opening the file";
    QTest::newRow("other firmware") << With(BaseFile, 2, "Software Ver 2.0") << "Incompatible data format";
    QTest::newRow("limit 0") << With(BaseFile, 6, "0") << "Invalid data in file";
    // Beyond 50.0 mA, after the file's mode, range and serial number were taken.
    QTest::newRow("master file with a bad tolerance") << With(MasterFile(), 17, "60") << "Invalid data in file";
}

void ConfigCommandsTest::failedReadRestoresEditCopy()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, error);

    for (const bool fromRecentList : {false, true}) {
        CommandRig rig;
        const QStringList testerConfig = EditCopy(rig.s);
        rig.s.ConfigFileName = "last.cfg";
        rig.s.IsDirtyConfig = true;
        rig.dialogs.answers = {AnswerNo};

        rig.open(lines.isEmpty() ? rig.dir.filePath("missing.cfg") : rig.put(lines), fromRecentList);

        QCOMPARE(rig.dialogs.calls, (QStringList{Question, "error:File Open Error|" + error}));
        QCOMPARE(EditCopy(rig.s), testerConfig);
        QCOMPARE(rig.s.ConfigFileName, QString());
        QVERIFY(!rig.s.MasterUpdate && !rig.s.IsDirtyConfig);
        QVERIFY(rig.port.frames().isEmpty());
    }
}

QTEST_GUILESS_MAIN(ConfigCommandsTest)
#include "ConfigCommandsTest.moc"
