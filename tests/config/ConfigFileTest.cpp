// The configuration file and the Configure file commands against a tester that acknowledges everything.

#include "ConfigSnapshot.h"
#include "support/TestKit.h"

#include "engine/config/ConfigCommands.h"
#include "engine/preferences/Registry.h"
#include "supervision/EngineRig.h"
#include "support/FakeConfigFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/Fetched.h"
#include "support/MemorySettingsStore.h"
#include "support/OneLine.h"

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

QStringList with(QStringList lines, int number, const QString &text)
{
    lines[number - 1] = text;
    return lines;
}
QByteArray fileBytes(const QStringList &lines)
{
    return lines.join("\r\n").toLatin1() + "\r\n";
}

// A master file for a current-measuring tester, 50.0 mA full scale: its
// tolerance "25" is count 512 only when mode and range are taken first.
const QStringList Master = QStringList{"Model 418C Master", " ABCD1234XYZ ", "Software Ver 2.1", "1", "500"}
                           + BaseFile.mid(4, 10) + QStringList{"25", "0", "50", "0"} + BaseFile.mid(18);

QByteArray fileContents(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

struct Rig : EngineRig
{
    Rig()
    {
        baseConfig(s);
        linkUp();
        answerEverything();
    }
    QString put(const QByteArray &bytes)
    {
        QFile f(dir.filePath("test.cfg"));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? f.fileName() : QString();
    }

    FakeMessageDialogs dialogs;
    FakeConfigFileDialog files;
    MemorySettingsStore settings;
    Registry registry{settings};
    ConfigCommands commands{s, engine, dialogs, files, registry};
    ConfigFile &file = commands.file();
    QTemporaryDir dir;
};

struct StartName : FakeConfigFileDialog   // where the dialogs start; they are then cancelled (a list is never empty)
{
    bool chooseOpen(QString &path) override { return (started << "open " + path).isEmpty(); }
    bool chooseSave(QString &path) override { return (started << "save " + path).isEmpty(); }
    QStringList started;
};

}   // namespace

class ConfigFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readFile_data()
    {
        // error: the message shown; empty when accepted; expected: an item of the edit copy afterwards
        addColumns<QByteArray, QString, QString>("bytes", "error", "expected");

        const QString incompatible = "Incompatible data format";
        // A refused value is named with its line, item and range under the usual text.
        const auto invalid = [](const QString &why) { return "Invalid data in file\n" + why; };
        const auto row = [](const char *name, const QStringList &lines, const QString &error,
                            const QString &expected = {}) { addRow(name, fileBytes(lines), error, expected); };
        // One line replaced; `expected` is an item of the edit copy or the message.
        const auto line = [&](const char *name, int number, const QString &text, const QString &expected) {
            row(name, with(BaseFile, number, text), expected.contains('=') ? "" : expected, expected);
        };
        line("stroke 0.025", 9, "0.025", "maxDownTime=25");
        line("stroke 0.010", 12, "0.010", invalid("Line 12: minimum up-stroke time 0.010 is below 0.025."));
        line("stroke 65.0004", 11, "65.0004", invalid("Line 11: maximum up-stroke time 65.0004 is above 65.000."));
        line("limit 0", 6, "0", invalid("Line 6: failure limit 0 is below 1."));
        line("limit 10000001", 8, "10000001", invalid("Line 8: cycle limit 10000001 is above 10000000."));
        line("limit with no number", 7, "ten", invalid("Line 7: sequential failure limit \"ten\" is not a number."));
        line("bounce 0.1", 19, "0.1", "maxDownBounce=62500");
        line("bounce 0.105", 20, "0.105", invalid("Line 20: maximum up-stroke bounce time 0.105 is above 0.104856."));
        // Read as 0 until now: a damaged file would have tested every bounce against no time at all.
        line("bounce with no number", 19, "x",
             invalid("Line 19: maximum down-stroke bounce time \"x\" is not a number."));
        line("tolerance 1022000", 15, "1022000", "maxUpTol=1022");
        line("tolerance 1022001", 15, "1022001",
             invalid("Line 15: maximum up-stroke tolerance 1022001 is above 1022000."));
        line("tolerance -1", 18, "-1", invalid("Line 18: minimum down-stroke tolerance -1 is below 0."));
        line("tolerance OPEN", 18, "OPEN", "minDownTol=1023");
        line("tolerance open circuit", 17, "open circuit", "maxDownTol=1023");
        line("alternate action contact kept", 5, "243", "contact=243");
        line("contact 256", 5, "256", invalid("Line 5: contact code 256 is above 255."));
        line("contact fraction", 5, "49.5", invalid("Line 5: contact code 49.5 is not a whole number."));
        line("threshold word", 14, "low", invalid("Line 14: lower bounce threshold \"low\" is not a number."));
        line("a very long field is cut short", 13, QString(300, '7'),
             invalid("Line 13: upper bounce threshold " + QString(40, '7') + "... is not a whole number."));
        line("other firmware version", 2, "Software Ver 2.2", incompatible);
        line("other mode", 3, "1", incompatible);
        line("other range value", 4, "1001", incompatible);
        row("ends in the values", BaseFile.mid(0, 19), invalid("Line 20: maximum up-stroke bounce time is missing."));
        addRow("other stations' forms: quotes, blanks, commas, bare line ends",
               QByteArray("  \"Model 418C\"\r\n\"Software Ver 2.1\"\n0,1000\r\n 49\r\n10 ,3, 100000\r\n0.500\r0.050\r\n"
                          "0.500\r\n0.050\r\n\t129,\"125\"\r\nopen\r\n1002.0\r\n15.9\r\n0.0\r\n0.004800\r\n0.100000"),
               "", "lowerBounce=125");
        row("master", Master, "", "maxUpTol=512");
        row("master with a word for its mode", with(Master, 4, "current"), incompatible);
        row("master with a mode the tester lacks", with(Master, 4, "3"), incompatible);
        row("master with a range of 0", with(Master, 5, "0"), incompatible);
        // Read, and the tolerances measured against them: 25 is beyond either full scale.
        row("master in volts, the last mode", with(Master, 4, "2"),
            invalid("Line 16: maximum up-stroke tolerance 25 is above 0.5."));
        row("master with the smallest range", with(Master, 5, "1"),
            invalid("Line 16: maximum up-stroke tolerance 25 is above 0.1."));
        // A master file's serial number puts every item a line further down.
        row("master, minimum down-stroke time 0.010", with(Master, 11, "0.010"),
            invalid("Line 11: minimum down-stroke time 0.010 is below 0.025."));
        addRow("several fields on a line",
               QByteArray("Model 418C\r\nSoftware Ver 2.1\r\n0,1000\r\n49,10,3,100000\r\n"
                          "0.500,0.050,0.500,0.005\r\n"),
               invalid("Line 5: minimum up-stroke time 0.005 is below 0.025."), QString());
    }

    // Read through a recent entry: a failed read changes and sends nothing; a download starts with the contact code.
    void readFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        Rig rig;
        rig.s.pending.serialNumber = "41800077";   // set by an earlier master file
        const QStringList testerConfig = editCopy(rig.s);
        rig.s.session.dirtyConfig = true;
        rig.s.session.configFileName = "earlier.cfg";
        rig.s.session.clearFailCount = false;   // left by a broken counter reset: a master file clears everything
        rig.dialogs.answers = {AnswerNo};
        const QString path = rig.put(bytes);

        rig.commands.configureRecentFileMenu(path);
        rig.runUntilIdle();

        const bool ok = error.isEmpty();
        QCOMPARE(rig.dialogs.calls, QStringList{"yesno:Save Configuration|The current test configuration has not been "
                                                "saved. Do you want to save this configuration?"}
                                        + (ok ? QStringList() : QStringList{"error:File Open Error|" + error}));
        QCOMPARE(rig.s.session.configFileName, ok ? path : QString());
        QCOMPARE(rig.registry.readRecentConfigFiles(), ok ? QStringList{path} : QStringList());
        const QStringList frames = rig.port.frames();
        QCOMPARE(frames.size(), !ok ? 0 : bytes.startsWith("Model 418C Master") ? 23 : 17);
        QVERIFY(!rig.s.session.dirtyConfig && !rig.s.session.masterUpdate);
        if (ok) {
            QVERIFY(frames.first().startsWith("E1"));
            QVERIFY2(editCopy(rig.s).contains(fetched<QString>("expected")), qPrintable(editCopy(rig.s).join(' ')));
            if (!bytes.startsWith("Model 418C Master"))
                QCOMPARE(rig.s.pending.serialNumber, QStringLiteral("41800077"));   // only a master file sets it
        } else {
            QCOMPARE(editCopy(rig.s), testerConfig);
        }
    }

    // Open does nothing while a test runs; Open and Save start on the last file, else on the newest recent one.
    void dialogsStartOnLastFile()
    {
        Rig rig;
        StartName files;
        rig.commands.setFileDialog(files);
        rig.registry.addRecentConfigFile("recent.cfg");
        rig.s.counters.running = true;
        rig.commands.configureOpenMenu();
        QVERIFY(files.started.isEmpty());
        rig.s.counters.running = false;
        rig.commands.configureOpenMenu();
        rig.s.session.configFileName = "last.cfg";
        rig.commands.configureSaveMenu();
        QCOMPARE(files.started, (QStringList{"open recent.cfg", "save last.cfg"}));
    }

    // Count 1 over a 10-ohm pull-up is written as 0.0 and reads back as 0; conversion noise (0.104856 s, full
    // scale in volts a trace above 1023) must not make a written file fail.
    void writtenFileReadsBack()
    {
        const struct
        {
            int mode, range, count, countBack;
        } cases[] = {{0, 1000, 512, 512}, {0, 10, 1, 0}, {1, 500, 1023, 1023}, {2, 7, 1023, 1023}};
        for (const auto &c : cases) {
            Rig rig;
            rig.s.reported.rangeMode = TesterState::Integer(c.mode), rig.s.reported.rangePullUp = c.range;
            rig.s.reported.minDownResistTol = c.count, rig.s.reported.maxUpBounceTol = 65535;
            const QString path = rig.dir.filePath("saved.cfg");
            QVERIFY(rig.file.saveConfigFile(path));
            if (c.range == 1000)   // exactly as other stations write it
                QCOMPARE(fileContents(path), fileBytes(with(with(BaseFile, 18, "1002.0"), 20, "0.104856")));
            QVERIFY2(rig.file.openConfigFile(path), qPrintable(rig.dialogs.calls.join(' ')));
            QCOMPARE(rig.s.pending.minDownResistTol, c.countBack);
            QCOMPARE(rig.s.pending.maxUpBounceTol, 65535);
        }
    }

    // A disk that fills up while saving (a 16-byte file limit, its signal ignored) keeps the old file.
    void failedSaveKeepsOldFile()
    {
#ifndef Q_OS_UNIX
        QSKIP("needs a file size limit (setrlimit), which Windows does not have");
#else
        Rig rig;
        const QByteArray old = "Model 418C\r\nan older configuration that must survive\r\n";
        const QString path = rig.put(old);
        rig.s.session.dirtyConfig = true;
        rlimit before{};
        getrlimit(RLIMIT_FSIZE, &before);
        rlimit full = before;
        full.rlim_cur = 16;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &full);
        const bool saved = rig.file.saveConfigFile(path);
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(fileContents(path), old);
        QCOMPARE(oneLine(saved, rig.dialogs.calls, rig.s.session.dirtyConfig, rig.s.session.configFileName,
                         QDir(rig.dir.path()).entryList(QDir::Files)),
                 "0 error:File Save Error|Error writing data 1  test.cfg");
#endif
    }
};

QTEST_GUILESS_MAIN(ConfigFileTest)
#include "ConfigFileTest.moc"
