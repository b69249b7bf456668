#pragma once

#include "engine/archive/RunFileListener.h"

#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QString>

struct TesterState;

// Unattended logging: every run written to its own data log file in a
// chosen folder, named by the tester's serial number and the run's start
// ("41800123 2026-12-06 14-02-11.txt"). The file is the run's alone: it
// opens when the run opens and closes only when the next run opens or the
// program closes; no dialog can close it. A run that goes on after a
// restart goes on in its file: the tester's newest file is appended to when
// the count carries on from its last line.
class RunFileLog : public QObject, public RunFileListener
{
    Q_OBJECT

public:
    // A sample written here is in a data file: the state stops calling it
    // unsaved.
    explicit RunFileLog(TesterState &state);

    // Where the files go; an empty folder turns the logging off.
    void setFolder(const QString &folder) { this->folder = folder; }

    void runOpened(const QString &serialNumber, const QDateTime &start, qint64 cycleCount) override;
    void sampleAdded() override;
    void runClosed() override;

    QString fileName() const { return file.fileName(); }
    bool isOpen() const { return file.isOpen(); }
    // Sample lines written since the file was opened, and the sample time of the last one.
    qint64 linesWritten() const { return lines; }
    QDateTime lastLineTime() const { return lastLine; }

Q_SIGNALS:
    // A file that could not be created or written: the message to show.
    void failed(const QString &text);

private:
    void fail(const QString &text);
    QString fileGoingOn(const QString &serialNumber, qint64 cycleCount) const;

    TesterState &s;
    QString folder;
    QFile file;
    qint64 lines = 0;
    QDateTime lastLine;
};

// The file name of a run's own data log: serial number and start time.
QString runFileName(const QString &serialNumber, const QDateTime &start);
