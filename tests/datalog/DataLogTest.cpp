#include "datalog/DataLog.h"
#include "preferences/Registry.h"
#include "state/TesterState.h"

#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

using Answers = QList<int16_t>;

// The header that data files already on disk carry.
const QByteArray Header =
    "DtTm,CyCnt,FlCnt,SqCnt,MnDwR,MxDwR,MnUpR,MxUpR,DwBnc,UpBnc,LstDR,LstUR,LstDnBnc,LstUpBnc,"
    "LstDT,LstUT,ErrCd,CyLim,FlLim,SqLim,MnDwTol,MxDwTol,MnUpTol,MxUpTol,DwBncTol,UpBncTol,"
    "MnDwT,MxDwT,MnUpT,MxUpT,BncL,BncU,ConTyp,Rmode,Rpull,Ver,SN";
const QString Title = QStringLiteral("Model 418C Life Cycle Tester");
const QString OpenError = QStringLiteral("error:File Error|Error Opening File");
const QString WriteError = QStringLiteral("error:File Error|Error Writing File");
const QString Unrecognized =
    QStringLiteral("yesno:File Error|Unrecognized file structure.  Continue writing to file?");
const QString SaveQuestion = QStringLiteral(
    "yesno:Save Data|The current test data has not been saved. Do you want to save this data?");
const QString CreateQuestion = QStringLiteral("yesno:Open|new.txt does not exist.  Create the file?");

// A 1000-ohm pull-up tester with software 1.2; one value per column, so
// that swapped columns show.
void fillSample(TesterState &s)
{
    s.vUpdateTime = QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9));
    s.CycleCount = 12345; s.FailCount = 3; s.SeqCount = 1;
    s.vRPullUp = 1000; s.vRMode = 0; s.vSoftwareVersion = 12;
    s.vMinDownResistance = 0; s.vMaxDownResistance = 512;
    s.vMinUpResistance = 1023; s.vMaxUpResistance = 1022;
    s.vMaxDownBounce = 1000; s.vMaxUpBounce = 0;
    s.vLastMeasuredDownResist = 1; s.vLastMeasuredUpResist = 2000;
    s.vLastDownBounceTime = 625; s.vLastUpBounceTime = 1;
    s.vLastDownStrokeTime = 1500; s.vLastUpStrokeTime = 37;
    s.vErrorCode = 5; s.vCycleLimit = 1000000; s.vFailLimit = 10; s.vSeqLimit = 2;
    s.vMinDownResistTol = 0; s.vMaxDownResistTol = 100;
    s.vMinUpResistTol = 900; s.vMaxUpResistTol = 1023;
    s.vMaxDownBounceTol = 3125; s.vMaxUpBounceTol = 6250;
    s.vMinDownTime = 20; s.vMaxDownTime = 250; s.vMinUpTime = 0; s.vMaxUpTime = 12345;
    s.vLowerBounce = 25; s.vUpperBounce = 200;
    s.vContact = 1 + 16 + 32 + 64;
    s.vSerialNumber = QStringLiteral("A1B2C3D4");
}

const QByteArray FullLine =
    "03/07/2024 14:05:09,12345,3,1,0.0,1002.0,2044000.0,1022000.0,0.001600,0.000000,"
    "1.0,2044000.0,0.001000,0.000002,1.500,0.037,5,1000000,10,2,0.0,108.3,7317.1,2044000.0,"
    "0.005000,0.010000,0.020,0.250,0.000,12.345,108.3,3587.4,113,0,1000,1.2,A1B2C3D4";
const QByteArray Sample = FullLine + "\r\n";

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

// One data log with fakes around it, as the main window builds it.
struct Rig
{
    TesterState s;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    MemorySettingsStore store;
    Registry registry{store};
    QString title = Title;   // as the main window starts
    DataLog log{s, dialogs, files, registry, [this](const QString &t) { title = t; }};

    Rig() { fillSample(s); }
};

} // namespace

class DataLogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }

    void sampleLine_data();
    void sampleLine();
    void openAndAppend_data();
    void openAndAppend();
    void titleNamesOnlyTheFile();
    void pendingSampleOnFileCommands_data();
    void pendingSampleOnFileCommands();
    void fileDialogUses_data();
    void fileDialogUses();
    void unsavedDataAtClosing_data();
    void unsavedDataAtClosing();
    void failedWriteKeepsTheSample();

private:
    QString path(const QString &name) const { return dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> dir;
};

void DataLogTest::sampleLine_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("rPullUp");
    QTest::addColumn<int>("rMode");
    QTest::addColumn<int>("count");            // every contact reading and tolerance; -1 keeps them
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QStringList>("expected");   // "column=text", columns from 1

    const QStringList contactColumns = {"5", "6", "7", "8", "11", "12", "21", "22", "23", "24"};
    auto every = [&](const QString &text, QStringList more) {
        for (const QString &c : contactColumns)
            more << c + "=" + text;
        return more;
    };
    QTest::newRow("open contact stays numeric") << 12 << 1000 << 0 << 1023 << "S1"
        << every("2044000.0", {"35=1000"});
    QTest::newRow("no range yet") << 12 << 0 << 0 << 512 << "S1"
        << every("???", {"31=???", "32=???", "35=-----"});
    QTest::newRow("unknown mode") << 12 << 1000 << 3 << 512 << "S1"
        << every("???", {"34=3", "35=----"});
    QTest::newRow("current full scale") << 12 << 500 << 1 << 1023 << "S1"
        << every("50.0", {"34=1", "35=50.0"});
    QTest::newRow("software 1.1: no last bounce") << 11 << 1000 << 0 << -1 << "S1"
        << QStringList{"13=?", "14=?", "15=1.500", "36=1.1"};
    QTest::newRow("serial with a comma") << 12 << 1000 << 0 << -1 << "AB,12"
        << QStringList{"37=AB?12"};
    QTest::newRow("serial with control and accented characters") << 12 << 1000 << 0 << -1
        << QString::fromUtf8("\tX\xc3\xa9" "1\x01 \r") << QStringList{"37=X?1?"};
    QTest::newRow("no serial") << 12 << 1000 << 0 << -1 << "" << QStringList{"37="};
}

void DataLogTest::sampleLine()
{
    QFETCH(int, version);
    QFETCH(int, rPullUp);
    QFETCH(int, rMode);
    QFETCH(int, count);
    QFETCH(QString, serial);
    QFETCH(QStringList, expected);

    TesterState s;
    fillSample(s);
    QCOMPARE(SampleLine(s).toLatin1(), FullLine);

    s.vSoftwareVersion = version;
    s.vRPullUp = rPullUp;
    s.vRMode = int16_t(rMode);
    s.vSerialNumber = serial;
    if (count >= 0) {
        for (int32_t *reading :
             {&s.vMinDownResistance, &s.vMaxDownResistance, &s.vMinUpResistance,
              &s.vMaxUpResistance, &s.vLastMeasuredDownResist, &s.vLastMeasuredUpResist,
              &s.vMinDownResistTol, &s.vMaxDownResistTol, &s.vMinUpResistTol, &s.vMaxUpResistTol})
            *reading = count;
    }
    const QString line = SampleLine(s);
    for (const QChar c : line)
        QVERIFY2(c.unicode() >= 0x20 && c.unicode() <= 0x7e, qPrintable(line));
    const QStringList fields = line.split(u',');
    QCOMPARE(fields.size(), 37);
    for (const QString &columnText : expected)
        QCOMPARE(fields.at(columnText.section(u'=', 0, 0).toInt() - 1), columnText.section(u'=', 1));
}

void DataLogTest::openAndAppend_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QByteArray>("added");   // what the open and one sample append
    QTest::addColumn<QStringList>("shown");

    const QByteArray log = Header + "\r\nold sample\r\n";
    const QByteArray otherCase = Header.toLower() + "\r\nold sample\r\n";

    QTest::newRow("new file gets the header") << false << QByteArray() << Answers()
        << true << Header + "\r\n" + Sample << QStringList();
    QTest::newRow("existing log: no second header") << true << log << Answers()
        << true << Sample << QStringList();
    QTest::newRow("header with bare line feeds") << true << Header + "\nold\n" << Answers()
        << true << Sample << QStringList();
    QTest::newRow("other case, continue") << true << otherCase << Answers{AnswerYes}
        << true << Sample << QStringList{Unrecognized};
    QTest::newRow("other case, no") << true << otherCase << Answers{AnswerNo}
        << false << QByteArray() << QStringList{Unrecognized, OpenError};
    QTest::newRow("trailing blank, cancel") << true << Header + " \r\n" << Answers{AnswerCancel}
        << false << QByteArray() << QStringList{Unrecognized, OpenError};
    QTest::newRow("empty file is refused") << true << QByteArray() << Answers()
        << false << QByteArray() << QStringList{OpenError};
    // A log cut short by a crash: the next sample starts on a line of its own.
    QTest::newRow("last line cut short") << true << Header + "\r\n03/07/2024 14:0" << Answers()
        << true << "\r\n" + Sample << QStringList();
}

void DataLogTest::openAndAppend()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, before);
    QFETCH(Answers, answers);
    QFETCH(bool, opened);
    QFETCH(QByteArray, added);
    QFETCH(QStringList, shown);

    Rig rig;
    QString file = path("data.txt");
    if (exists)
        QVERIFY(writeFile(file, before));
    rig.dialogs.answers = answers;
    rig.s.IsDirtyData = true;

    QCOMPARE(rig.log.OpenFile(file), opened);
    rig.log.SaveToFile();

    QCOMPARE(rig.dialogs.calls, shown);
    QCOMPARE(rig.s.DataFileOpen, opened);
    QCOMPARE(rig.s.DataFileNum != 0, opened);
    QCOMPARE(rig.s.IsDirtyData, !opened);
    QCOMPARE(rig.s.DataFileName, opened ? file : QString());
    QCOMPARE(rig.title, opened ? Title + " - data.txt" : Title);
    QCOMPARE(rig.registry.LoadRecentFiles(), opened ? QStringList{file} : QStringList());
    // Read while the log is still open: each line is in the file once written.
    QCOMPARE(readFile(file), exists || opened ? before + added : QByteArray("<missing>"));
}

void DataLogTest::titleNamesOnlyTheFile()
{
    Rig rig;
    QVERIFY(QDir(dir->path()).mkpath("run 7/logs"));
    const QString file = path("run 7/logs/switch A.txt");
    rig.files.choices = {file};

    rig.log.FileNew();
    QCOMPARE(rig.title, Title + " - switch A.txt");

    // Close keeps the name; a sample after it stays pending.
    rig.log.FileClose();
    QCOMPARE(rig.title, Title);
    QCOMPARE(rig.s.DataFileOpen, false);
    QCOMPARE(rig.s.DataFileName, file);
    rig.s.IsDirtyData = true;
    rig.log.SaveToFile();
    QCOMPARE(rig.s.IsDirtyData, true);
    QCOMPARE(readFile(file), Header + "\r\n" + Sample);
}

void DataLogTest::pendingSampleOnFileCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("firstOpen");    // a log "first.txt" is open before the command
    QTest::addColumn<bool>("pending");
    QTest::addColumn<int>("firstSamples");  // sample lines in first.txt afterwards
    QTest::addColumn<int>("secondSamples"); // in second.txt, which the command opens

    // New and Open write the current sample into the new file whether or not
    // it was logged; a recent entry writes it only if no file took it.
    QTest::newRow("new, nothing open, logged") << "new" << false << false << 0 << 1;
    QTest::newRow("new, open, pending") << "new" << true << true << 1 << 1;
    QTest::newRow("open, open, logged") << "open" << true << false << 0 << 1;
    QTest::newRow("recent, nothing open, pending") << "recent" << false << true << 0 << 1;
    QTest::newRow("recent, nothing open, logged") << "recent" << false << false << 0 << 0;
    QTest::newRow("recent, open, pending") << "recent" << true << true << 1 << 0;
}

void DataLogTest::pendingSampleOnFileCommands()
{
    QFETCH(QString, command);
    QFETCH(bool, firstOpen);
    QFETCH(bool, pending);
    QFETCH(int, firstSamples);
    QFETCH(int, secondSamples);

    Rig rig;
    QString first = path("first.txt");
    const QString second = path("second.txt");
    if (firstOpen)
        QVERIFY(rig.log.OpenFile(first));
    rig.s.IsDirtyData = pending;
    rig.files.choices = {second};
    rig.dialogs.answers = {AnswerYes};   // Open: create the new name

    if (command == "new")
        rig.log.FileNew();
    else if (command == "open")
        rig.log.FileOpen();
    else
        rig.log.FileRecent(second);

    auto samplesIn = [](const QString &file) {
        const QByteArray content = readFile(file);
        return content.startsWith(Header + "\r\n") ? int(content.count(Sample)) : -1;
    };
    if (firstOpen)
        QCOMPARE(samplesIn(first), firstSamples);
    QCOMPARE(samplesIn(second), secondSamples);
    QCOMPARE(rig.s.IsDirtyData, false);
    QCOMPARE(rig.title, Title + " - second.txt");
    QCOMPARE(rig.registry.LoadRecentFiles().value(0), second);
    QCOMPARE(rig.dialogs.count("error:"), 0);
}

void DataLogTest::fileDialogUses_data()
{
    QTest::addColumn<int>("creatfile");
    QTest::addColumn<bool>("firstOpen");
    QTest::addColumn<QStringList>("choices");        // file names; "" is Cancel
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("openName");           // the log open afterwards, "" none
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("cancel, nothing open") << 0 << false << QStringList{""} << Answers()
        << false << "" << QStringList();
    // The open log was closed before the dialog: the empty name fails to open.
    QTest::newRow("cancel, log open") << 0 << true << QStringList{""} << Answers()
        << false << "" << QStringList{OpenError};
    QTest::newRow("open: new name, no, then existing") << 2 << false
        << QStringList{"new.txt", "first.txt"} << Answers{AnswerNo} << true << "first.txt"
        << QStringList{CreateQuestion};
    QTest::newRow("open: new name, cancel") << 2 << false << QStringList{"new.txt"}
        << Answers{AnswerCancel} << false << "" << QStringList{CreateQuestion};
    QTest::newRow("unknown use leaves the open log alone") << 3 << true
        << QStringList{"new.txt"} << Answers() << false << "first.txt" << QStringList();
}

void DataLogTest::fileDialogUses()
{
    QFETCH(int, creatfile);
    QFETCH(bool, firstOpen);
    QFETCH(QStringList, choices);
    QFETCH(Answers, answers);
    QFETCH(bool, result);
    QFETCH(QString, openName);
    QFETCH(QStringList, shown);

    Rig rig;
    QString first = path("first.txt");
    QVERIFY(writeFile(first, Header + "\r\n"));
    if (firstOpen)
        QVERIFY(rig.log.OpenFile(first));
    for (const QString &choice : choices)
        rig.files.choices << (choice.isEmpty() ? std::nullopt : std::optional(path(choice)));
    rig.dialogs.answers = answers;

    QCOMPARE(rig.log.SaveData(creatfile), result);
    QCOMPARE(rig.files.uses, QList<int>(creatfile == 3 ? 0 : choices.size(), creatfile));
    QCOMPARE(rig.dialogs.calls, shown);
    QCOMPARE(rig.title, openName.isEmpty() ? Title : Title + " - " + openName);
    QCOMPARE(QFile::exists(path("new.txt")), openName == "new.txt");
    if (result)
        QVERIFY(readFile(path(openName)).endsWith(Sample));
}

void DataLogTest::unsavedDataAtClosing_data()
{
    QTest::addColumn<bool>("pending");
    QTest::addColumn<bool>("logOpen");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<bool>("chooseFile");   // the file dialog gives a name, else Cancel
    QTest::addColumn<bool>("goAhead");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("saved");        // the sample is in the file afterwards

    QTest::newRow("nothing pending") << false << false << Answers() << false << true << false << false;
    QTest::newRow("log open: written") << true << true << Answers() << false << true << false << true;
    QTest::newRow("yes: saved") << true << false << Answers{AnswerYes} << true << true << true << true;
    QTest::newRow("yes, dialog cancelled") << true << false << Answers{AnswerYes} << false << false << true << false;
    QTest::newRow("no") << true << false << Answers{AnswerNo} << false << true << true << false;
    QTest::newRow("cancel") << true << false << Answers{AnswerCancel} << false << false << true << false;
}

void DataLogTest::unsavedDataAtClosing()
{
    QFETCH(bool, pending);
    QFETCH(bool, logOpen);
    QFETCH(Answers, answers);
    QFETCH(bool, chooseFile);
    QFETCH(bool, goAhead);
    QFETCH(bool, asked);
    QFETCH(bool, saved);

    Rig rig;
    QString file = path("kept.txt");
    if (logOpen)
        QVERIFY(rig.log.OpenFile(file));
    rig.s.IsDirtyData = pending;
    rig.dialogs.answers = answers;
    if (chooseFile)
        rig.files.choices = {file};

    QCOMPARE(rig.log.CheckDataSaved(true), goAhead);
    QCOMPARE(rig.dialogs.calls.contains(SaveQuestion), asked);
    QCOMPARE(readFile(file).endsWith(Sample), saved);
    QCOMPARE(rig.s.IsDirtyData, pending && !saved);

    // Not closing: never asks, always goes ahead.
    rig.dialogs.clear();
    rig.s.IsDirtyData = true;
    QVERIFY(rig.log.CheckDataSaved(false));
    QCOMPARE(rig.dialogs.calls, QStringList());
}

// /dev/full opens and then fails every write, as a full disk does.
void DataLogTest::failedWriteKeepsTheSample()
{
    if (!QFile::exists("/dev/full"))
        QSKIP("needs /dev/full");
    Rig rig;
    QString full = QStringLiteral("/dev/full");
    rig.dialogs.answers = {AnswerYes, AnswerYes};   // it has no data log header
    QVERIFY(rig.log.OpenFile(full));
    rig.dialogs.clear();

    rig.s.IsDirtyData = true;
    rig.log.SaveToFile();
    QCOMPARE(rig.s.IsDirtyData, true);
    QCOMPARE(rig.s.DataFileOpen, false);
    QCOMPARE(rig.s.DataFileNum, int16_t(0));
    QCOMPARE(rig.title, Title);
    // The writing call (a poll tick) returns before the notice opens.
    QCOMPARE(rig.dialogs.calls, QStringList());

    // A second failure before the notice opened adds no second notice.
    QVERIFY(rig.log.OpenFile(full));
    rig.dialogs.clear();
    rig.log.SaveToFile();

    // Ticks go on while the notice is open; nothing is written any more.
    int ticksDuringNotice = 0;
    rig.dialogs.whileOpen = [&] { rig.log.SaveToFile(); ++ticksDuringNotice; };
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(rig.dialogs.count(WriteError), 1);
    QCOMPARE(ticksDuringNotice, 1);
    QCOMPARE(rig.s.IsDirtyData, true);

    // Saving at closing into a failing file must not let the program close.
    rig.dialogs.clear();
    rig.dialogs.whileOpen = nullptr;
    rig.dialogs.answers = {AnswerYes, AnswerYes};
    rig.files.choices = {full};
    QCOMPARE(rig.log.CheckDataSaved(true), false);
    QCOMPARE(rig.s.IsDirtyData, true);
    QCoreApplication::processEvents();
    QCOMPARE(rig.dialogs.count(WriteError), 1);
}

QTEST_GUILESS_MAIN(DataLogTest)
#include "DataLogTest.moc"
