#include "engine/datalog/DataLog.h"
#include "engine/preferences/Registry.h"
#include "engine/state/TesterState.h"
#include "support/Fetched.h"
#include "support/TestKit.h"

#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

using Answers = QList<int16_t>;
enum Fault { FullDisk, Deleted, Replaced };

// The header that data files already on disk carry.
const QByteArray Header = "DtTm,CyCnt,FlCnt,SqCnt,MnDwR,MxDwR,MnUpR,MxUpR,DwBnc,UpBnc,LstDR,LstUR,LstDnBnc,LstUpBnc,"
                          "LstDT,LstUT,ErrCd,CyLim,FlLim,SqLim,MnDwTol,MxDwTol,MnUpTol,MxUpTol,DwBncTol,UpBncTol,"
                          "MnDwT,MxDwT,MnUpT,MxUpT,BncL,BncU,ConTyp,Rmode,Rpull,Ver,SN";
const QString Title = QStringLiteral("Model 418C Life Cycle Tester");
// The refusal names the file ({path}) and says why.
QString openError(const QString &reason)
{
    return QStringLiteral("error:File Error|Error Opening File\n{path}\n") + reason;
}
const QString Unrecognized = QStringLiteral("yesno:File Error|Unrecognized file structure.  Continue writing to file?");

// A 1000-ohm pull-up tester with software 1.2; one value per column, so that swapped columns show.
void fillSample(TesterState &s)
{
    s.counters.updateTime = QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9));
    s.counters.cycleCount = 12345, s.counters.failCount = 3, s.counters.seqCount = 1;
    s.reported.rangePullUp = 1000, s.reported.rangeMode = 0, s.identity.softwareVersion = 12;
    s.counters.minDownResistance = 0, s.counters.maxDownResistance = 512, s.counters.minUpResistance = 1023,
    s.counters.maxUpResistance = 1022;
    s.counters.maxDownBounce = 1000, s.counters.maxUpBounce = 0;
    s.counters.lastDownResistance = 1, s.counters.lastUpResistance = 2000;
    s.counters.lastDownBounceTime = 625, s.counters.lastUpBounceTime = 1;
    s.counters.lastDownStrokeTime = 1500, s.counters.lastUpStrokeTime = 37;
    s.counters.errorCode = 5;
    s.reported.cycleLimit = 1000000, s.reported.failLimit = 10, s.reported.seqLimit = 2;
    s.reported.minDownResistTol = 0, s.reported.maxDownResistTol = 100, s.reported.minUpResistTol = 900,
    s.reported.maxUpResistTol = 1023;
    s.reported.maxDownBounceTol = 3125, s.reported.maxUpBounceTol = 6250;
    s.reported.minDownTime = 20, s.reported.maxDownTime = 250, s.reported.minUpTime = 0, s.reported.maxUpTime = 12345;
    s.reported.lowerBounce = 25, s.reported.upperBounce = 200;
    s.reported.contact = 1 + 16 + 32 + 64;
    s.identity.serialNumber = QStringLiteral("A1B2C3D4");
}

const QByteArray FullLine = "03/07/2024 14:05:09,12345,3,1,0.0,1002.0,2044000.0,1022000.0,0.001600,0.000000,"
                            "1.0,2044000.0,0.001000,0.000002,1.500,0.037,5,1000000,10,2,0.0,108.3,7317.1,2044000.0,"
                            "0.005000,0.010000,0.020,0.250,0.000,12.345,108.3,3587.4,113,0,1000,1.2,A1B2C3D4";
const QByteArray Sample = FullLine + "\r\n";

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// One data log with fakes around it, as the main window builds it, and a fresh folder for its files.
struct Rig : DataLogListener
{
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
    TesterState s;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    MemorySettingsStore store;
    Registry registry{store};
    QString title = Title;   // as the main window starts
    DataLog log{s, dialogs, files, registry, this};
    void titleChanged(const QString &t) override { title = t; }
    void logChanged() override {}
    void fileOpenedOrClosed(bool opened) override { openings << opened; }
    QList<bool> openings;   // what the archive is told: opened (true) or closed

    Rig() { fillSample(s); }
    void sample(int cycles)
    {
        s.counters.cycleCount = cycles;
        s.session.dirtyData = true;
        log.saveToFile();
    }
    // The line was not saved, the file is closed, and the posted notice says why, once.
    void verifyRefused(const QString &notice)
    {
        QVERIFY(s.session.dirtyData);
        QVERIFY(!s.session.dataFileOpen);
        QCOMPARE(title, Title);
        QCoreApplication::processEvents();
        QCOMPARE(dialogs.calls, QStringList{QStringLiteral("error:File Error|") + notice});
    }
};

}   // namespace

class DataLogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every row also checks the full line (an open up-stroke contact as 2044000.0, decimals with a full stop).
    void sampleLine_data()
    {
        addColumns<int, QString, QStringList>("rPullUp", "serial", "expected");   // expected: "column=text", from 1
        addRow("no range yet", 0, "S1",
               QStringList{"5=???", "6=???", "7=???", "12=???", "24=???", "31=???", "35=-----"});
        addRow("serial with a comma, control and accented characters", 1000, QStringLiteral("\tA,X\u00e91\x01 \r"),
               QStringList{"37=A?X?1?"});
    }

    void sampleLine()
    {
        TesterState s;
        fillSample(s);
        QCOMPARE(sampleLogLine(s).toLatin1(), FullLine);

        s.reported.rangePullUp = fetched<int>("rPullUp");
        s.identity.serialNumber = fetched<QString>("serial");
        const QString line = sampleLogLine(s);
        for (const QChar c : line)
            QVERIFY2(c.unicode() >= 0x20 && c.unicode() <= 0x7e, qPrintable(line));
        const QStringList fields = line.split(u',');
        QCOMPARE(fields.size(), 37);
        for (const QString &columnText : fetched<QStringList>("expected"))
            QCOMPARE(fields.at(columnText.section(u'=', 0, 0).toInt() - 1), columnText.section(u'=', 1));
    }

    void openAndAppend_data()
    {
        // added: what the open and one sample append, empty: not opened
        addColumns<QByteArray, Answers, QByteArray, QStringList>("before", "answers", "added", "shown");

        const QByteArray otherCase = Header.toLower() + "\r\nold sample\r\n";
        addRow("other case, continue", otherCase, Answers{AnswerYes}, Sample, QStringList{Unrecognized});
        addRow("other case, no", otherCase, Answers{AnswerNo}, QByteArray(),
               QStringList{Unrecognized, openError("Its first line is not the data log header.")});
        addRow("empty file is refused", QByteArray(), Answers(), QByteArray(),
               QStringList{openError("The file is empty or cannot be read.")});
        // A log cut short by a crash: the next sample starts on a line of its own.
        addRow("last line cut short", Header + "\r\n03/07/2024 14:0", Answers(), "\r\n" + Sample, QStringList());
    }

    void openAndAppend()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, added);
        QFETCH(QStringList, shown);
        const bool opened = !added.isEmpty();

        Rig rig;
        QVERIFY(QDir(rig.dir.path()).mkpath("run 7"));
        QString file = rig.path("run 7/data.txt");
        QFile existing(file);
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write(before) == before.size());
        existing.close();
        rig.dialogs.answers = fetched<Answers>("answers");
        rig.s.session.dirtyData = true;

        QCOMPARE(rig.log.openFile(file), opened);
        rig.log.saveToFile();
        // The message names the file as the system writes paths (backslashes on Windows).
        QCOMPARE(rig.dialogs.calls, shown.replaceInStrings("{path}", QDir::toNativeSeparators(file)));
        QCOMPARE(rig.s.session.dataFileOpen, opened);
        QCOMPARE(rig.s.session.dirtyData, !opened);
        QCOMPARE(rig.title, opened ? Title + " - data.txt" : Title);
        // Read while the log is still open: each line is in the file once written.
        QCOMPARE(readFile(file), before + added);
    }

    // A file command switches the log to the file chosen, or leaves it as it was: a cancelled dialog says nothing,
    // a refused name is named with the system's reason; a recent entry takes the sample only if no file took it.
    void fileCommands_data()
    {
        // New and Open start with first.txt open; choice: a name in the folder, empty: Cancel; refused: the
        // system refuses it; logging: the file the next sample goes to; taken: samples the command wrote there
        addColumns<QString, bool, QString, bool, QString, int>("command", "pending", "choice", "refused", "logging",
                                                               "taken");
        addRow("New, cancelled", "new", false, "", false, "first.txt", 0);
        addRow("Open, cancelled", "open", false, "", false, "first.txt", 0);
        addRow("New, a folder that is not there", "new", false, "gone/second.txt", true, "first.txt", 0);
        addRow("New, a fresh file", "new", false, "second.txt", false, "second.txt", 1);
        addRow("Open, a fresh file, the sample logged", "open", false, "second.txt", false, "second.txt", 1);
        addRow("Recent, nothing open, the sample pending", "recent", true, "second.txt", false, "second.txt", 1);
        addRow("Recent, nothing open, the sample logged", "recent", false, "second.txt", false, "second.txt", 0);
    }

    void fileCommands()
    {
        QFETCH(QString, command);
        QFETCH(QString, choice);
        QFETCH(bool, refused);
        QFETCH(QString, logging);
        Rig rig;
        QString first = rig.path("first.txt");
        const QString chosen = rig.path(choice);
        if (command != "recent")
            QVERIFY(rig.log.openFile(first));
        rig.s.session.dirtyData = fetched<bool>("pending");
        rig.files.choices = {choice.isEmpty() ? std::nullopt : std::optional<QString>(chosen)};
        rig.dialogs.answers = {AnswerYes};   // Open: create the new name
        if (command == "new")
            rig.log.newDataFile();
        else if (command == "open")
            rig.log.openDataFile();
        else
            rig.log.openRecentDataFile(chosen);

        QCOMPARE(rig.files.startedFrom, command == "recent" ? QStringList() : QStringList{first});
        QStringList shown;
        if (command == "open" && !choice.isEmpty())
            shown << "yesno:Open|second.txt does not exist.  Create the file?";
        if (refused) {
            QFile probe(chosen);
            QVERIFY(!probe.open(QIODevice::Append));
            shown << "error:File Error|Error Opening File\n" + QDir::toNativeSeparators(chosen) + "\n"
                         + probe.errorString();
        }
        QCOMPARE(rig.dialogs.calls, shown);
        QVERIFY(rig.s.session.dataFileOpen && !rig.s.session.dirtyData);
        QCOMPARE(rig.title, Title + " - " + logging);
        // A new file closes the old one first; a refused or cancelled one changes nothing.
        const QList<bool> switched{true, false, true};
        QCOMPARE(rig.openings, logging == "first.txt" || command == "recent" ? QList<bool>{true} : switched);
        if (command != "recent" && logging != "first.txt")
            QCOMPARE(readFile(first), Header + "\r\n");   // the old file is left alone
        const QByteArray taken = readFile(rig.path(logging));
        QVERIFY2(taken.startsWith(Header + "\r\n"), taken.constData());
        QTEST(int(taken.count(Sample)), "taken");
        rig.sample(2);
        QVERIFY(readFile(rig.path(logging)).endsWith(QByteArray(FullLine).replace("12345", "2") + "\r\n"));
    }

    void unsavedDataAtClosing_data()
    {
        // file: what the file dialog gives, empty: Cancel; saved: the sample is in the file afterwards
        addColumns<Answers, QString, bool, bool>("answers", "file", "goAhead", "saved");
        addRow("yes: saved", Answers{AnswerYes}, "kept.txt", true, true);
        addRow("yes, dialog cancelled", Answers{AnswerYes}, "", false, false);
        addRow("no", Answers{AnswerNo}, "", true, false);
        addRow("yes, but /dev/full fails every write", Answers{AnswerYes, AnswerYes}, "/dev/full", false, false);
#ifdef Q_OS_UNIX
        addRow("yes, /dev/zero takes every write", Answers{AnswerYes, AnswerYes}, "/dev/zero", true, true);
#endif
    }

    void unsavedDataAtClosing()
    {
        QFETCH(Answers, answers);
        QFETCH(QString, file);
        QFETCH(bool, saved);
        Rig rig;
        if (file.endsWith(".txt"))
            file = rig.path(file);
        rig.s.session.dirtyData = true;
        rig.dialogs.answers = answers;
        if (!file.isEmpty())
            rig.files.choices = {file};
        rig.registry.addRecentFile("/runs/last week.txt");

        QTEST(rig.log.checkDataSaved(true), "goAhead");
        QCOMPARE(rig.dialogs.count("yesno:Save Data|"), 1);
        // With no file open the dialog starts from the newest recent one.
        QCOMPARE(rig.files.startedFrom,
                 answers.first() == AnswerYes ? QStringList{"/runs/last week.txt"} : QStringList());
        if (saved && !file.startsWith("/dev/"))   // a device keeps nothing to read back
            QVERIFY(readFile(file).endsWith(Sample));
        QCOMPARE(rig.s.session.dirtyData, !saved);
    }

    // The file failing under the log (a line cut short by a full disk, the file deleted or renamed while open):
    // nothing more goes anywhere, the file keeps only whole lines, the log closes with one notice.
    void failingFileClosesTheLog_data()
    {
        addColumns<Fault, QString>("fault", "notice");
        const QString closed = QStringLiteral("closed and the current sample has not been saved.");
        addRow("disk full", FullDisk, "Error Writing File.  The data file has been " + closed);
        addRow("deleted", Deleted, "The data file run.txt was moved or deleted.  It has been " + closed);
        addRow("renamed, a new file under the old name", Replaced,
               "The data file run.txt was moved or deleted.  It has been " + closed);
    }

    void failingFileClosesTheLog()
    {
#ifndef Q_OS_UNIX
        QSKIP("needs a file size limit (setrlimit), and Windows keeps an open file from being renamed or deleted");
#else
        QFETCH(Fault, fault);
        Rig rig;
        QString path = rig.path("run.txt");
        const QString moved = rig.path("moved.txt");
        QVERIFY(rig.log.openFile(path));
        rig.sample(1);
        const QByteArray before = readFile(path);
        if (fault == FullDisk) {
            // The kernel takes what fits under the file size limit and refuses the rest: a real short write.
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit lower = saved;
            lower.rlim_cur = rlim_t(before.size() + 40);
            const auto handler = std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &lower);
            rig.sample(2);
            QVERIFY(rig.log.openFile(path));   // a second failure before the notice opened adds no second notice
            rig.sample(2);
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, handler);
        } else {
            QVERIFY(QFile::rename(path, moved));
            if (fault == Replaced)
                QVERIFY(QFile(path).open(QIODevice::WriteOnly));
            rig.sample(2);
            rig.sample(3);
        }

        const QByteArray atPath[] = {before, "<missing>", ""};
        QCOMPARE(readFile(path), atPath[fault]);
        QCOMPARE(readFile(moved), fault == FullDisk ? QByteArray("<missing>") : before);
        QVERIFY(rig.dialogs.calls.isEmpty());   // the writing poll tick returns before the notice opens
        QFETCH(QString, notice);
        rig.verifyRefused(notice);
        if (fault != FullDisk)
            return;
        // Logging resumes in the same file with whole lines only.
        QVERIFY(rig.log.openFile(path));
        rig.sample(3);
        const QList<QByteArray> lines = readFile(path).split('\n');
        QCOMPARE(lines.size(), 4);   // header, cycle 1, cycle 3, nothing after the last line end
        QCOMPARE(lines[2].split(',').value(1), QByteArray("3"));
#endif
    }
};

QTEST_GUILESS_MAIN(DataLogTest)
#include "DataLogTest.moc"
