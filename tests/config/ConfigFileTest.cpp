// The configuration file: the text parsers at their limits, every check of
// the reader with its message, the field forms other stations write, and
// the writer with its failures.

#include "ConfigSnapshot.h"

#include "config/ConfigFile.h"
#include "preferences/Registry.h"
#include "state/DataFormat.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

struct FileRig
{
    FileRig() { ReportBaseConfig(s); }

    QString put(const QByteArray &bytes, const QString &name = QStringLiteral("test.cfg"))
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    QString putLines(const QStringList &lines) { return put(lines.join("\r\n").toLatin1() + "\r\n"); }

    QByteArray contents(const QString &path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

    TesterState s;
    FakeMessageDialogs dialogs;
    MemorySettingsStore settings;
    Registry registry{settings};
    ConfigFile file{s, dialogs, registry};
    QTemporaryDir dir;
};

QStringList with(QStringList lines, int number, const QString &text)
{
    lines[number - 1] = text;
    return lines;
}

const QString Incompatible = QStringLiteral("error:File Open Error|Incompatible data format");
const QString Invalid = QStringLiteral("error:File Open Error|Invalid data in file");

} // namespace

class ConfigFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsers_data();
    void parsers();
    void readFile_data();
    void readFile();
    void writtenFileReadsBack_data();
    void writtenFileReadsBack();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
};

// The editor takes a clamped value after asking: the value each parser
// offers, and the flag that it never clears.
void ConfigFileTest::parsers_data()
{
    QTest::addColumn<QString>("parser");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("readjust");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("range");

    const auto row = [](const char *name, const char *parser, const char *text, int value, bool readjust,
                        int mode = 0, int range = 1000) {
        QTest::newRow(name) << parser << text << value << readjust << mode << range;
    };
    row("stroke 0.020 raised", "stroke", "0.020", 25, true);
    row("stroke 0.025", "stroke", "0.025", 25, false);
    row("stroke 65.0004 lowered before rounding", "stroke", "65.0004", 65000, true);
    row("limit 0", "count", "0", 1, true);
    row("limit 10000001", "count", "10000001", 10000000, true);
    row("limit beyond 32 bits", "count", "99999999999", 10000000, true);
    row("bounce 0.1", "bounce", "0.1", 62500, false);
    row("bounce 0.104856 is 65535 ticks", "bounce", "0.104856", 65535, false);
    row("bounce 0.105", "bounce", "0.105", 65535, true);
    row("bounce negative", "bounce", "-0.001", 0, true);
    row("tolerance 1022000", "tolerance", "1022000", 1022, false);
    row("tolerance 1022001", "tolerance", "1022001", 1023, true);
    row("tolerance OPEN", "tolerance", "OPEN", 1023, false);
    row("tolerance open circuit", "tolerance", "open circuit", 1023, false);
    row("tolerance negative", "tolerance", "-1", 0, true);
    row("tolerance full scale of 7 mV", "tolerance", "0.007", 1023, false, 2, 7);
    row("tolerance above full scale of 7 mV", "tolerance", "0.0071", 1023, true, 2, 7);
}

void ConfigFileTest::parsers()
{
    QFETCH(QString, parser);
    QFETCH(QString, text);
    QFETCH(int, value);
    QFETCH(bool, readjust);
    QFETCH(int, mode);
    QFETCH(int, range);

    TesterState s;
    s.sRMode = TesterState::Integer(mode);
    s.sRPullUp = range;
    for (const bool flagBefore : {false, true}) {
        bool flag = flagBefore;
        int result = 0;
        if (parser == "stroke") result = ParseStrokeTime(text, flag);
        else if (parser == "count") result = ParseCount(text, flag);
        else if (parser == "bounce") result = ParseBounceTime(text, flag);
        else result = ParseTolerance(s, text, flag);
        QCOMPARE(result, value);
        QCOMPARE(flag, readjust || flagBefore);
    }
}

void ConfigFileTest::readFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");        // the dialog shown; empty when accepted
    QTest::addColumn<QStringList>("expected"); // items of the edit copy afterwards

    const auto file = [](const QStringList &lines) { return lines.join("\r\n").toLatin1() + "\r\n"; };
    const auto row = [&](const char *name, int line, const QString &text, const QString &error,
                         const QStringList &expected = {}) {
        QTest::newRow(name) << file(with(BaseFile, line, text)) << error << expected;
    };

    QTest::newRow("as written") << file(BaseFile) << QString()
        << QStringList{"contact=49", "cycleLimit=100000", "minUpTol=512", "maxDownTol=16", "maxUpBounce=62500"};
    row("stroke 0.020", 9, "0.020", Invalid);
    row("stroke 0.025", 9, "0.025", "", {"maxDownTime=25"});
    row("stroke 65.000", 11, "65.000", "", {"maxUpTime=65000"});
    row("stroke 65.0004", 11, "65.0004", Invalid);
    row("limit 0", 6, "0", Invalid);
    row("limit 10000000", 8, "10000000", "", {"cycleLimit=10000000"});
    row("limit 10000001", 8, "10000001", Invalid);
    row("limit too large for 32 bits", 7, "4294967296", Invalid);
    row("bounce 0.1", 19, "0.1", "", {"maxDownBounce=62500"});
    row("bounce 0.105", 20, "0.105", Invalid);
    row("tolerance 1022000", 15, "1022000", "", {"maxUpTol=1022"});
    row("tolerance 1022001", 15, "1022001", Invalid);
    row("tolerance OPEN", 18, "OPEN", "", {"minDownTol=1023"});
    row("tolerance open circuit", 17, "open circuit", "", {"maxDownTol=1023"});
    row("alternate action contact kept", 5, "243", "", {"contact=243"});
    row("contact 256", 5, "256", Invalid);
    row("contact fraction", 5, "49.5", Invalid);
    row("contact word", 5, "NO", Invalid);
    row("threshold 255", 13, "255", "", {"upperBounce=255"});
    row("threshold negative", 14, "-1", Invalid);
    row("threshold fraction", 14, "12.0", Invalid);
    row("signature in other case", 1, "model 418C", Incompatible);
    row("other firmware version", 2, "Software Ver 2.2", Incompatible);
    row("other mode", 3, "1", Incompatible);
    row("other range value", 4, "1001", Incompatible);
    row("mode and range as decimals", 4, "1000.0", "");

    QTest::newRow("ends in the header") << file(BaseFile.mid(0, 3)) << Incompatible << QStringList();
    QTest::newRow("ends in the values") << file(BaseFile.mid(0, 19)) << Invalid << QStringList();
    QTest::newRow("empty") << QByteArray() << Incompatible << QStringList();
    QTest::newRow("fields after the last ignored") << file(BaseFile + QStringList{"junk", "more"}) << QString()
        << QStringList{"maxUpBounce=62500"};

    // Other stations' forms: commas, quotes, leading blanks, bare line ends.
    QTest::newRow("one line of commas") << QByteArray(BaseFile.join(",").toLatin1())
        << QString() << QStringList{"maxUpBounce=62500"};
    QTest::newRow("quotes, blanks, commas and bare line ends")
        << QByteArray("  \"Model 418C\"\r\n\"Software Ver 2.1\"\n0,1000\r\n 49\r\n10 ,3, 100000\r\n"
                      "0.500\r0.050\r\n0.500\r\n0.050\r\n\t129,\"125\"\r\nopen\r\n1002.0\r\n15.9\r\n0.0\r\n"
                      "0.004800\r\n0.100000")
        << QString()
        << QStringList{"contact=49", "seqLimit=3", "cycleLimit=100000", "minDownTime=50", "upperBounce=129",
                       "lowerBounce=125", "maxUpBounce=62500"};

    // A master file: its serial number, mode and range are taken, and its
    // tolerances converted with that mode and range (current, 50.0 mA).
    QStringList master = BaseFile;
    master[0] = "Model 418C Master";
    master.insert(1, "  ABCD1234XYZ ");
    master[3] = "1";
    master[4] = "500";
    master[15] = "25";
    master[16] = "0";
    master[17] = "50";
    master[18] = "0";
    QTest::newRow("master") << file(master) << QString()
        << QStringList{"serial=ABCD1234", "mode=1", "range=500", "maxUpTol=512"};
    QTest::newRow("master range 32767") << file(with(master, 5, "32767")) << QString() << QStringList{"range=32767"};
    QTest::newRow("master range 32768") << file(with(master, 5, "32768")) << Incompatible << QStringList();
    QTest::newRow("master range negative") << file(with(master, 5, "-1")) << Incompatible << QStringList();
    QTest::newRow("master mode 256") << file(with(master, 4, "256")) << Incompatible << QStringList();
    QTest::newRow("master version differs") << file(with(master, 3, "Software Ver 1.2")) << Incompatible
        << QStringList();
    QTest::newRow("master tolerance beyond its range") << file(with(master, 16, "50.1")) << Invalid << QStringList();
}

void ConfigFileTest::readFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QFETCH(QStringList, expected);

    FileRig rig;
    rig.s.IsDirtyConfig = true;
    rig.s.ConfigFileName = QStringLiteral("earlier.cfg");
    const QString path = rig.put(bytes);

    const bool ok = rig.file.OpenConfigFile(path);

    QCOMPARE(ok, error.isEmpty());
    QCOMPARE(rig.dialogs.calls, error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(rig.s.ConfigFileName, ok ? path : QString());
    QCOMPARE(rig.registry.LoadRecentConfigFiles(), ok ? QStringList{path} : QStringList());
    QCOMPARE(rig.s.MasterUpdate, ok && bytes.startsWith("Model 418C Master"));
    QCOMPARE(rig.s.IsDirtyConfig, false);
    QCOMPARE(rig.s.ConfigFileNum, TesterState::Integer(0));
    const QStringList editCopy = EditCopy(rig.s);
    for (const QString &item : expected)
        QVERIFY2(editCopy.contains(item), qPrintable(item + " not in " + editCopy.join(' ')));
}

// What is read back is what the written texts convert to: a count whose
// value is rounded away in the text comes back as another count.
void ConfigFileTest::writtenFileReadsBack_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("range");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("countBack");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("ticksBack");

    QTest::newRow("1000-ohm pull-up") << 0 << 1000 << 512 << 512 << 3000 << 3000;
    QTest::newRow("10-ohm pull-up, count 1 written as 0.0") << 0 << 10 << 1 << 0 << 1001 << 1001;
    QTest::newRow("open contact") << 0 << 10 << 1023 << 1023 << 0 << 0;
    QTest::newRow("current, 50.0 mA") << 1 << 500 << 511 << 511 << 65535 << 65535;
    QTest::newRow("voltage, 5 V") << 2 << 5000 << 1 << 1 << 1 << 1;
}

void ConfigFileTest::writtenFileReadsBack()
{
    QFETCH(int, mode);
    QFETCH(int, range);
    QFETCH(int, count);
    QFETCH(int, countBack);
    QFETCH(int, ticks);
    QFETCH(int, ticksBack);

    FileRig rig;
    rig.s.vRMode = TesterState::Integer(mode);
    rig.s.vRPullUp = range;
    rig.s.vMinDownResistTol = count;
    rig.s.vMaxUpBounceTol = ticks;
    rig.s.IsDirtyConfig = true;
    const QString path = rig.dir.filePath("saved.cfg");

    QVERIFY(rig.file.SaveConfigFile(path));
    QVERIFY(!rig.s.IsDirtyConfig);
    QCOMPARE(rig.s.ConfigFileName, path);
    QCOMPARE(rig.registry.LoadRecentConfigFiles(), QStringList{path});
    const QByteArray text = rig.contents(path);
    QVERIFY(text.startsWith("Model 418C\r\nSoftware Ver 2.1\r\n"));
    QCOMPARE(text.count("\r\n"), 20);

    rig.s.sMinDownResistTol = -7;   // the reader must set what it read
    QVERIFY2(rig.file.OpenConfigFile(path), qPrintable(rig.dialogs.calls.join(' ') + text));
    QCOMPARE(rig.s.sMinDownResistTol, countBack);
    QCOMPARE(rig.s.sMaxUpBounceTol, ticksBack);
    QVERIFY(rig.dialogs.calls.isEmpty());

    if (mode == 0 && range == 1000) {
        // Written exactly as other stations expect it.
        const QStringList lines = with(with(BaseFile, 18, "1002.0"), 20, "0.004800");
        QCOMPARE(text, (lines.join("\r\n") + "\r\n").toLatin1());
    }
}

void ConfigFileTest::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<QString>("error");
    // Tests run as root, whom a read-only folder does not stop: a folder
    // whose name is taken by a file cannot be written by anyone.
    QTest::newRow("folder that is a file") << false << "error:File Save Error|Error gaining access to file";
    QTest::newRow("disk full while writing") << true << "error:File Save Error|Error writing data";
}

void ConfigFileTest::failedSaveKeepsOldFile()
{
    QFETCH(bool, diskFull);
    QFETCH(QString, error);

    FileRig rig;
    const QByteArray old = "Model 418C\r\nan older configuration that must survive\r\n";
    const QString oldPath = rig.put(old, "old.cfg");
    const QString path = diskFull ? oldPath : oldPath + "/new.cfg";
    rig.s.IsDirtyConfig = true;
    rig.s.ConfigFileName = oldPath;

    // A file may grow to 16 bytes only, as on a full disk; the signal that
    // would end the process is ignored, so the write just fails.
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (diskFull) {
        rlimit small = before;
        small.rlim_cur = 16;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    const bool ok = rig.file.SaveConfigFile(path);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!ok);
    QCOMPARE(rig.dialogs.calls, QStringList{error});
    QCOMPARE(rig.contents(oldPath), old);
    QCOMPARE(QDir(rig.dir.path()).entryList(QDir::Files), QStringList{"old.cfg"});   // no leftovers
    QCOMPARE(rig.s.ConfigFileName, QString());
    QVERIFY(rig.s.IsDirtyConfig);
    QVERIFY(rig.registry.LoadRecentConfigFiles().isEmpty());
}

QTEST_GUILESS_MAIN(ConfigFileTest)
#include "ConfigFileTest.moc"
