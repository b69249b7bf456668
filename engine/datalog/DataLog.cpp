#include "engine/datalog/DataLog.h"

#include "engine/preferences/Registry.h"
#include "engine/state/DataFormat.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/StateTexts.h"
#include "engine/state/TesterState.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

const char DataLogHeader[] = "DtTm,CyCnt,FlCnt,SqCnt,MnDwR,MxDwR,MnUpR,MxUpR,DwBnc,UpBnc,LstDR,LstUR,LstDnBnc,"
                             "LstUpBnc,LstDT,LstUT,ErrCd,CyLim,FlLim,SqLim,MnDwTol,MxDwTol,MnUpTol,MxUpTol,"
                             "DwBncTol,UpBncTol,MnDwT,MxDwT,MnUpT,MxUpT,BncL,BncU,ConTyp,Rmode,Rpull,Ver,SN";

namespace {

const char LineEnd[] = "\r\n";
const char WindowTitle[] = "Model 418C Life Cycle Tester";

// Long enough for any header; a file whose first line is longer is not a
// data log, and a device that never ends a line is not read forever.
constexpr qint64 FirstLineLimit = 4096;

// The log is 7-bit text with "," between fields: a character outside
// printable ASCII (or a comma inside the serial number, the only free text)
// would break the line, so it is written as "?".
void appendField(QString &line, const QString &text, bool freeText)
{
    const QString field = text.trimmed();
    for (const QChar c : field) {
        const char16_t u = c.unicode();
        const bool printable = u >= 0x20 && u <= 0x7e;
        line += (printable && !(freeText && u == ',')) ? c : QChar(u'?');
    }
}

void appendNumber(QString &line, qint64 value)
{
    line += QString::number(value);
}

// The first line of a file, up to its CR or LF; false when the file cannot
// be read or holds nothing.
bool readFirstLine(QFile &f, QByteArray &line)
{
    const QByteArray head = f.read(FirstLineLimit);
    if (head.isEmpty())
        return false;
    qsizetype end = 0;
    while (end < head.size() && head[end] != '\r' && head[end] != '\n')
        ++end;
    line = head.left(end);
    return true;
}

// Whether a file's last line is unfinished (a line cut short by a crash or
// written by another program), so the next sample must start a new line.
bool endsWithoutLineEnd(QFile &f)
{
    if (f.isSequential() || f.size() == 0 || !f.seek(f.size() - 1))
        return false;
    const QByteArray last = f.read(1);
    return last.size() == 1 && last[0] != '\n' && last[0] != '\r';
}

// The sample's time and counts and what the last strokes measured, each
// field followed by its comma.
void appendMeasuredFields(QString &line, const TesterState &s)
{
    const bool lastBounce = hasLastBounce(s);
    const auto resistance = [&s](int32_t count) { return formatResistance(s, count, true); };
    const auto sep = [&line] { line += u','; };

    appendField(line, formatSampleTime(s.counters.updateTime), false);
    sep();
    appendNumber(line, s.counters.cycleCount);
    sep();
    appendNumber(line, s.counters.failCount);
    sep();
    appendNumber(line, s.counters.seqCount);
    sep();
    appendField(line, resistance(s.counters.minDownResistance), false);
    sep();
    appendField(line, resistance(s.counters.maxDownResistance), false);
    sep();
    appendField(line, resistance(s.counters.minUpResistance), false);
    sep();
    appendField(line, resistance(s.counters.maxUpResistance), false);
    sep();
    appendField(line, formatBounceTime(s.counters.maxDownBounce), false);
    sep();
    appendField(line, formatBounceTime(s.counters.maxUpBounce), false);
    sep();
    appendField(line, resistance(s.counters.lastDownResistance), false);
    sep();
    appendField(line, resistance(s.counters.lastUpResistance), false);
    sep();
    // Testers before software 1.2 do not report the last bounce times.
    if (lastBounce) {
        appendField(line, formatBounceTime(s.counters.lastDownBounceTime), false);
        sep();
        appendField(line, formatBounceTime(s.counters.lastUpBounceTime), false);
        sep();
    } else {
        line += QStringLiteral("?,?,");
    }
    appendField(line, formatStrokeTime(s.counters.lastDownStrokeTime), false);
    sep();
    appendField(line, formatStrokeTime(s.counters.lastUpStrokeTime), false);
    sep();
}

// The error code and the limits and tolerances the run is held to, each
// field followed by its comma.
void appendLimitFields(QString &line, const TesterState &s)
{
    const auto resistance = [&s](int32_t count) { return formatResistance(s, count, true); };
    const auto sep = [&line] { line += u','; };

    appendNumber(line, s.counters.errorCode);
    sep();
    appendNumber(line, s.reported.cycleLimit);
    sep();
    appendNumber(line, s.reported.failLimit);
    sep();
    appendNumber(line, s.reported.seqLimit);
    sep();
    appendField(line, resistance(s.reported.minDownResistTol), false);
    sep();
    appendField(line, resistance(s.reported.maxDownResistTol), false);
    sep();
    appendField(line, resistance(s.reported.minUpResistTol), false);
    sep();
    appendField(line, resistance(s.reported.maxUpResistTol), false);
    sep();
    appendField(line, formatBounceTime(s.reported.maxDownBounceTol), false);
    sep();
    appendField(line, formatBounceTime(s.reported.maxUpBounceTol), false);
    sep();
    appendField(line, formatStrokeTime(s.reported.minDownTime), false);
    sep();
    appendField(line, formatStrokeTime(s.reported.maxDownTime), false);
    sep();
    appendField(line, formatStrokeTime(s.reported.minUpTime), false);
    sep();
    appendField(line, formatStrokeTime(s.reported.maxUpTime), false);
    sep();
    // The bounce thresholds are kept in quarter counts.
    appendField(line, resistance(int32_t(s.reported.lowerBounce) * 4), false);
    sep();
    appendField(line, resistance(int32_t(s.reported.upperBounce) * 4), false);
    sep();
}

// The contact, the pull-up and the tester itself: the line's last fields.
void appendSetupFields(QString &line, const TesterState &s)
{
    const auto sep = [&line] { line += u','; };

    appendNumber(line, s.reported.contact);
    sep();
    appendNumber(line, s.reported.rangeMode);
    sep();
    appendField(line, getRValueString(s), false);
    sep();
    appendField(line, formatDecimal(s.identity.softwareVersion / 10.0, 1, 1), false);
    sep();
    appendField(line, s.identity.serialNumber, true);
}

}   // namespace

QString sampleLogLine(const TesterState &s)
{
    QString line;
    line.reserve(320);
    appendMeasuredFields(line, s);
    appendLimitFields(line, s);
    appendSetupFields(line, s);
    return line;
}

DataLog::DataLog(TesterState &state, MessageDialogs &dialogs, DataFileDialog &fileDialog, Registry &registry,
                 DataLogListener *logListener)
    : s(state), dialogs(dialogs), fileDialog(fileDialog), registry(registry), listener(logListener)
{
}

DataLog::~DataLog()
{
    file->close();
}

void DataLog::closeQuietly()
{
    const bool wasOpen = s.session.dataFileOpen;
    s.session.dataFileOpen = false;
    noName();
    file->close();
    notifyChanged();
    if (wasOpen && listener)
        listener->fileOpenedOrClosed(false);
}

void DataLog::notifyChanged()
{
    if (listener)
        listener->logChanged();
}

bool DataLog::openFile(QString &nam)
{
    // The file open now keeps logging until the new one is open: a name
    // that fails costs no sample.
    if (nam.isEmpty())
        return openFailed(nam, QStringLiteral("No file name was given."));
    const bool exists = QFileInfo::exists(nam);

    bool startNewLine = false;
    if (exists) {
        QFile existing(nam);
        QByteArray firstLine;
        if (!existing.open(QIODevice::ReadOnly))
            return openFailed(nam, existing.errorString());
        if (!readFirstLine(existing, firstLine))
            return openFailed(nam, QStringLiteral("The file is empty or cannot be read."));
        startNewLine = endsWithoutLineEnd(existing);
        existing.close();
        if (firstLine != QByteArray(DataLogHeader)) {
            const int16_t answer =
                dialogs.askYesNo(QStringLiteral("File Error"),
                                 QStringLiteral("Unrecognized file structure.  Continue writing to file?"));
            if (answer != AnswerYes)
                return openFailed(nam, QStringLiteral("Its first line is not the data log header."));
        }
    }

    // Unbuffered: every line goes to the operating system as it is written,
    // so a crash loses at most the line in progress.
    auto next = std::make_unique<QFile>(nam);
    if (!next->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return openFailed(nam, next->errorString());
    QByteArray start;
    if (startNewLine)
        start += LineEnd;
    if (!exists)
        start += QByteArray(DataLogHeader) + LineEnd;
    if (!start.isEmpty() && next->write(start) != start.size())
        return openFailed(nam, next->errorString());

    if (s.session.dataFileOpen)
        closeQuietly();
    file = std::move(next);
    s.session.dataFileOpen = true;
    lines = 0;
    lastLine = QDateTime();
    registry.addRecentFile(nam);
    s.session.dataFileName = nam;
    newName(nam);
    notifyChanged();
    if (listener)
        listener->fileOpenedOrClosed(true);
    return true;
}

bool DataLog::openFailed(const QString &path, const QString &reason)
{
    if (!s.session.dataFileOpen) {
        s.session.dataFileName.clear();
        noName();
    }
    dialogs.showError(QStringLiteral("File Error"),
                      QStringLiteral("Error Opening File\n%1\n%2").arg(QDir::toNativeSeparators(path), reason));
    return false;
}

void DataLog::saveToFile()
{
    if (!s.session.dataFileOpen)
        return;
    // A file deleted or renamed behind our back (a cleaned folder, a share
    // that reconnected) would swallow every later line without a trace.
    qint64 lengthBefore = 0;
    if (!stillAtItsPath(lengthBefore)) {
        writeFailed(QStringLiteral("The data file %1 was moved or deleted.  It has been closed "
                                   "and the current sample has not been saved.")
                        .arg(QFileInfo(s.session.dataFileName).fileName()));
        return;
    }
    QByteArray bytes = sampleLogLine(s).toLatin1();
    bytes += LineEnd;
    if (file->write(bytes) != bytes.size() || !file->flush()) {
        // Part of the line may have reached the disk before it filled: cut
        // it off, or the next line would be glued to a damaged one.
        if (!file->isSequential())
            file->resize(lengthBefore);
        writeFailed(QStringLiteral("Error Writing File.  The data file has been closed "
                                   "and the current sample has not been saved."));
        return;
    }
    s.session.dirtyData = false;
    ++lines;
    lastLine = s.counters.updateTime;
    notifyChanged();
}

bool DataLog::stillAtItsPath(qint64 &length) const
{
#ifdef Q_OS_UNIX
    struct stat opened, named;
    if (::fstat(file->handle(), &opened) != 0)
        return false;
    length = qint64(opened.st_size);
    // Devices such as /dev/null are what their name says.
    if (!S_ISREG(opened.st_mode))
        return true;
    if (::stat(QFile::encodeName(file->fileName()).constData(), &named) != 0)
        return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
#else
    // Windows does not let another program delete or rename a file that is
    // open here without shared delete access, which QFile does not grant.
    length = file->size();
    return true;
#endif
}

void DataLog::writeFailed(const QString &text)
{
    // The sample stays unsaved and no further line goes to a file that lost
    // one. The notice is posted: the poll tick that wrote must finish first.
    closeQuietly();
    if (writeNoticePending)
        return;
    writeNoticePending = true;
    QTimer::singleShot(0, &noticeContext, [this, text] {
        dialogs.showError(QStringLiteral("File Error"), text);
        writeNoticePending = false;
    });
}

bool DataLog::chooseFile(int creatfile, QString &path)
{
    for (;;) {
        if (!fileDialog.choose(creatfile, path))
            return false;
        if (creatfile != 2 || QFileInfo::exists(path))
            return true;
        // Open takes an existing file at once and asks before creating one.
        const int16_t answer = dialogs.askYesNo(
            QStringLiteral("Open"), QFileInfo(path).fileName() + QStringLiteral(" does not exist.  Create the file?"));
        if (answer == AnswerYes)
            return true;
        if (answer != AnswerNo)
            return false;
    }
}

bool DataLog::saveData(int creatfile)
{
    if (creatfile < 0 || creatfile > 2)
        return false;
    // A cancelled dialog changes nothing: the file open keeps logging.
    QString path = lastDataFile();
    if (!chooseFile(creatfile, path) || !openFile(path))
        return false;
    // The new file takes the current sample at once.
    saveToFile();
    // False also when the sample could not be written: the file is closed then.
    return s.session.dataFileOpen;
}

QString DataLog::lastDataFile() const
{
    if (!s.session.dataFileName.isEmpty())
        return s.session.dataFileName;
    return registry.readRecentFiles().value(0);
}

bool DataLog::checkDataSaved(bool closing)
{
    bool result = true;
    if (s.session.dirtyData)
        saveToFile();
    if (s.session.dirtyData && closing) {
        const int16_t answer = dialogs.askYesNo(
            QStringLiteral("Save Data"),
            QStringLiteral("The current test data has not been saved. Do you want to save this data?"));
        if (answer == AnswerYes)
            result = saveData(1);
        else if (answer != AnswerNo)
            result = false;
    }
    return result;
}

void DataLog::newName(const QString &nam)
{
    s.session.dataFileName = nam;
    registry.addRecentFile(nam);
    if (listener)
        listener->titleChanged(QStringLiteral("%1 - %2").arg(QLatin1String(WindowTitle), QFileInfo(nam).fileName()));
}

void DataLog::noName()
{
    if (listener)
        listener->titleChanged(QLatin1String(WindowTitle));
}

void DataLog::newDataFile()
{
    if (checkDataSaved(false))
        saveData(0);
}

void DataLog::openDataFile()
{
    if (checkDataSaved(false))
        saveData(2);
}

void DataLog::openRecentDataFile(const QString &path)
{
    if (!checkDataSaved(false))
        return;
    QString nam = path;
    // A recent entry logs the pending sample only if no file took it yet.
    if (openFile(nam) && s.session.dirtyData)
        saveToFile();
}

void DataLog::closeDataFile()
{
    if (s.session.dataFileOpen)
        closeQuietly();
}
