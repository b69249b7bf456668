// The configuration file and the Configure file commands, against a tester
// that acknowledges everything: every check of the reader with its message
// at the parsers' limits, other stations' field forms, master files, what
// the tester receives after Open and after a recent entry, the save
// question, and the writer with what reads back and what a failed save
// leaves.

#include "ConfigSnapshot.h"

#include "config/ConfigCommands.h"
#include "config/ConfigRecord.h"
#include "preferences/Registry.h"
#include "supervision/EngineRig.h"
#include "support/FakeConfigFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

// The same as a master file for a current-measuring tester (50.0 mA full
// scale): tolerances 25 mA (count 512), 0, 50 mA (1023), 0.
QStringList MasterFile()
{
    QStringList lines = BaseFile;
    lines[0] = "Model 418C Master";
    lines.insert(1, "  ABCD1234XYZ ");
    lines[3] = "1";
    lines[4] = "500";
    lines[15] = "25";
    lines[16] = "0";
    lines[17] = "50";
    lines[18] = "0";
    return lines;
}

QStringList With(QStringList lines, int number, const QString &text)
{
    lines[number - 1] = text;
    return lines;
}

QByteArray FileBytes(const QStringList &lines)
{
    return lines.join("\r\n").toLatin1() + "\r\n";
}

struct Rig : EngineRig
{
    Rig()
    {
        ReportBaseConfig(s);
        CopyCurrentConfigToEdit(s);
        linkUp();
        answerEverything();
    }
    QString put(const QByteArray &bytes, const QString &name = "test.cfg")
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }
    static QByteArray contents(const QString &path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
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
    ConfigFile &file = commands.file();
    QTemporaryDir dir;
};

const QString Question = "yesno:Save Configuration|The current test configuration has not been saved. "
                         "Do you want to save this configuration?";

} // namespace

class ConfigFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readFile_data();
    void readFile();
    void openStartsTheDownload_data();
    void openStartsTheDownload();
    void checkConfigSaved_data();
    void checkConfigSaved();
    void writtenFileReadsBack_data();
    void writtenFileReadsBack();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
};

void ConfigFileTest::readFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");      // the message shown; empty when accepted
    QTest::addColumn<QString>("expected");   // an item of the edit copy afterwards

    const QString incompatible = "Incompatible data format", invalid = "Invalid data in file";
    const auto row = [](const char *name, const QStringList &lines, const QString &error, const QString &expected) {
        QTest::newRow(name) << FileBytes(lines) << error << expected;
    };
    const auto line = [&](const char *name, int number, const QString &text, const QString &error,
                          const QString &expected = {}) { row(name, With(BaseFile, number, text), error, expected); };

    row("as written", BaseFile, "", "minUpTol=512");
    line("stroke 0.020", 9, "0.020", invalid);
    line("stroke 0.025", 9, "0.025", "", "maxDownTime=25");
    line("stroke 65.0004", 11, "65.0004", invalid);
    line("limit 0", 6, "0", invalid);
    line("limit 10000001", 8, "10000001", invalid);
    line("limit beyond 32 bits", 7, "4294967296", invalid);
    line("bounce 0.1", 19, "0.1", "", "maxDownBounce=62500");
    line("bounce 0.104856, a trace above 65535 ticks", 20, "0.104856", "", "maxUpBounce=65535");
    line("bounce 0.105", 20, "0.105", invalid);
    line("tolerance 1022000", 15, "1022000", "", "maxUpTol=1022");
    line("tolerance 1022001", 15, "1022001", invalid);
    line("tolerance OPEN", 18, "OPEN", "", "minDownTol=1023");
    line("tolerance open circuit", 17, "open circuit", "", "maxDownTol=1023");
    line("alternate action contact kept", 5, "243", "", "contact=243");
    line("contact 256", 5, "256", invalid);
    line("contact fraction", 5, "49.5", invalid);
    line("threshold word", 14, "low", invalid);
    line("signature in other case", 1, "model 418C", incompatible);
    line("other firmware version", 2, "Software Ver 2.2", incompatible);
    line("other mode", 3, "1", incompatible);
    line("other range value", 4, "1001", incompatible);
    row("ends in the header", BaseFile.mid(0, 3), incompatible, "");
    row("ends in the values", BaseFile.mid(0, 19), invalid, "");
    row("fields after the last ignored", BaseFile + QStringList{"junk"}, "", "maxUpBounce=62500");
    QTest::newRow("other stations' forms: quotes, blanks, commas, bare line ends")
        << QByteArray("  \"Model 418C\"\r\n\"Software Ver 2.1\"\n0,1000\r\n 49\r\n10 ,3, 100000\r\n0.500\r0.050\r\n"
                      "0.500\r\n0.050\r\n\t129,\"125\"\r\nopen\r\n1002.0\r\n15.9\r\n0.0\r\n0.004800\r\n0.100000")
        << "" << "lowerBounce=125";
    QTest::newRow("no such file") << QByteArray() << "An error occurred when opening the file" << "";

    // A master file's mode and range are taken before its tolerances are
    // converted: "25" is 25 mA here, not 25 ohms.
    const QStringList master = MasterFile();
    row("master", master, "", "maxUpTol=512");
    row("master range 32767", With(master, 5, "32767"), "", "range=32767");
    row("master range 32768", With(master, 5, "32768"), incompatible, "");
    row("master mode 256", With(master, 4, "256"), incompatible, "");
    row("master mode a word", With(master, 4, "current"), incompatible, "");
    row("master mode 1.4", With(master, 4, "1.4"), "", "mode=1");
    row("master tolerance beyond 50 mA", With(master, 16, "50.1"), invalid, "");
}

// Read through a recent entry. A failed read leaves the tester's
// configuration (and serial number) in the edit copy and sends nothing.
void ConfigFileTest::readFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QFETCH(QString, expected);

    Rig rig;
    const QStringList testerConfig = EditCopy(rig.s);
    rig.s.IsDirtyConfig = true;
    rig.s.ConfigFileName = "earlier.cfg";
    rig.dialogs.answers = {AnswerNo};
    const QString path = QTest::currentDataTag() == QString("no such file") ? "/no/such.cfg" : rig.put(bytes);

    rig.open(path, true);

    const bool ok = error.isEmpty();
    QCOMPARE(rig.dialogs.calls, QStringList{Question} + (ok ? QStringList() : QStringList{"error:File Open Error|" + error}));
    QCOMPARE(rig.s.ConfigFileName, ok ? path : QString());
    QCOMPARE(rig.registry.LoadRecentConfigFiles(), ok ? QStringList{path} : QStringList());
    QCOMPARE(rig.port.frames().size(), !ok ? 0 : bytes.startsWith("Model 418C Master") ? 23 : 17);
    QVERIFY(!rig.s.IsDirtyConfig && !rig.s.MasterUpdate);
    if (ok)
        QVERIFY2(EditCopy(rig.s).contains(expected), qPrintable(EditCopy(rig.s).join(' ')));
    else
        QCOMPARE(EditCopy(rig.s), testerConfig);
}

void ConfigFileTest::checkConfigSaved_data()
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

void ConfigFileTest::checkConfigSaved()
{
    QFETCH(bool, dirty);
    QFETCH(int, answer);
    QFETCH(bool, saveChosen);
    QFETCH(bool, result);

    Rig rig;
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

void ConfigFileTest::openStartsTheDownload_data()
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

void ConfigFileTest::openStartsTheDownload()
{
    QFETCH(bool, master);
    QFETCH(bool, fromRecentList);
    QFETCH(bool, running);
    QFETCH(QStringList, frames);

    Rig rig;
    const QString path = rig.put(FileBytes(master ? MasterFile() : BaseFile));
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

// What reads back is what the written texts convert to: a count rounded
// away in its text comes back as another count.
void ConfigFileTest::writtenFileReadsBack_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("countBack");

    QTest::newRow("1000-ohm pull-up") << 0 << 1000 << 512 << 512;
    QTest::newRow("10-ohm pull-up, count 1 written as 0.0") << 0 << 10 << 1 << 0;
    QTest::newRow("current, 50.0 mA, full scale") << 1 << 500 << 1023 << 1023;
    QTest::newRow("voltage, 7 mV, full scale a trace above") << 2 << 7 << 1023 << 1023;
}

void ConfigFileTest::writtenFileReadsBack()
{
    QFETCH(int, mode);
    QFETCH(int, range);
    QFETCH(int, count);
    QFETCH(int, countBack);

    Rig rig;
    rig.s.vRMode = TesterState::Integer(mode);
    rig.s.vRPullUp = range;
    rig.s.vMinDownResistTol = count;
    rig.s.vMaxUpBounceTol = 65535;
    rig.s.IsDirtyConfig = true;
    const QString path = rig.dir.filePath("saved.cfg");

    QVERIFY(rig.file.SaveConfigFile(path));
    QVERIFY(!rig.s.IsDirtyConfig);
    QCOMPARE(rig.registry.LoadRecentConfigFiles(), QStringList{path});
    if (range == 1000)   // written exactly as other stations expect it
        QCOMPARE(Rig::contents(path), FileBytes(With(With(BaseFile, 18, "1002.0"), 20, "0.104856")));
    rig.s.sMinDownResistTol = -7;
    QVERIFY2(rig.file.OpenConfigFile(path), qPrintable(rig.dialogs.calls.join(' ')));
    QCOMPARE(rig.s.sMinDownResistTol, countBack);
    QCOMPARE(rig.s.sMaxUpBounceTol, 65535);
}

void ConfigFileTest::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<QString>("error");
    // Tests run as root, whom a read-only folder does not stop; a folder
    // whose name is taken by a file stops everyone.
    QTest::newRow("folder that is a file") << false << "Error gaining access to file";
    QTest::newRow("disk full while writing") << true << "Error writing data";
}

void ConfigFileTest::failedSaveKeepsOldFile()
{
    QFETCH(bool, diskFull);
    QFETCH(QString, error);

    Rig rig;
    const QByteArray old = "Model 418C\r\nan older configuration that must survive\r\n";
    const QString oldPath = rig.put(old, "old.cfg");
    rig.s.IsDirtyConfig = true;

    // Files may grow to 16 bytes only, as on a full disk; the signal that
    // would end the process is ignored, so the write just fails.
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = before;
    full.rlim_cur = 16;
    if (diskFull)
        setrlimit(RLIMIT_FSIZE, &full);
    const bool ok = rig.file.SaveConfigFile(diskFull ? oldPath : oldPath + "/new.cfg");
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!ok);
    QCOMPARE(rig.dialogs.calls, QStringList{"error:File Save Error|" + error});
    QCOMPARE(Rig::contents(oldPath), old);
    QCOMPARE(QDir(rig.dir.path()).entryList(QDir::Files), QStringList{"old.cfg"});   // no leftovers
    QCOMPARE(rig.s.ConfigFileName, QString());
    QVERIFY(rig.s.IsDirtyConfig);
}

QTEST_GUILESS_MAIN(ConfigFileTest)
#include "ConfigFileTest.moc"
