#pragma once

#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QString>
#include <memory>

class MessageDialogs;
class Registry;
struct TesterState;

// The file dialog of the data log: the platform's Open dialog for New (0),
// save before closing (1) and Open (2). `path` comes in as the data file
// used last (empty when none), whose folder the dialog starts in, and goes
// out as the chosen file. False when the operator cancelled.
class DataFileDialog
{
public:
    virtual ~DataFileDialog() = default;
    virtual bool choose(int creatfile, QString &path) = 0;
};

// Who hears what the data log did: the session, which passes it on.
class DataLogListener
{
public:
    virtual ~DataLogListener() = default;
    // The window title: the program's name, and the file's while one is open.
    virtual void titleChanged(const QString &title) = 0;
    // A line was written, or the file was opened or closed.
    virtual void logChanged() = 0;
    // A file was opened (true) or an open file closed (false).
    virtual void fileOpenedOrClosed(bool opened) = 0;
};

extern const char DataLogHeader[];

// The 37 fields of one sample line, without the line end.
QString sampleLogLine(const TesterState &s);

// The data log file: one comma-separated line per sample, appended while a
// file is open; the window title names the file.
class DataLog
{
public:
    DataLog(TesterState &state, MessageDialogs &dialogs, DataFileDialog &fileDialog, Registry &registry,
            DataLogListener *listener);
    ~DataLog();

    bool openFile(QString &nam);
    void saveToFile();
    bool saveData(int creatfile);
    bool checkDataSaved(bool closing);
    void newName(const QString &nam);
    void noName();

    // File menu commands.
    void newDataFile();
    void openDataFile();
    void openRecentDataFile(const QString &path);
    void closeDataFile();

    // Sample lines written since the file was opened, and the sample time of the last one.
    qint64 linesWritten() const { return lines; }
    QDateTime lastLineTime() const { return lastLine; }

private:
    void closeQuietly();   // mark closed, reset the title, close ignoring errors
    // The error exit of openFile: a file already open stays open and logging.
    bool openFailed(const QString &path, const QString &reason);
    void writeFailed(const QString &text);   // a sample line did not reach the file
    // The open file is the one its name leads to; length is its size.
    bool stillAtItsPath(qint64 &length) const;
    void notifyChanged();
    bool chooseFile(int creatfile, QString &path);
    QString lastDataFile() const;

    TesterState &s;
    MessageDialogs &dialogs;
    DataFileDialog &fileDialog;
    Registry &registry;
    DataLogListener *listener;   // may be null
    std::unique_ptr<QFile> file = std::make_unique<QFile>();
    // Owns the posted write-error notice, so it dies with the log.
    QObject noticeContext;
    bool writeNoticePending = false;
    qint64 lines = 0;
    QDateTime lastLine;
};
