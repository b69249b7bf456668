#pragma once

#include "state/TesterView.h"

#include <QFile>
#include <QObject>
#include <QString>
#include <functional>

class MessageDialogs;
class Registry;
struct TesterState;

// The file dialog of the data log: the platform's Open dialog for New (0),
// save before closing (1) and Open (2). False when the operator cancelled.
class DataFileDialog
{
public:
    virtual ~DataFileDialog() = default;
    virtual bool choose(int creatfile, QString &path) = 0;
};

extern const char DataLogHeader[];

// The 37 fields of one sample line, without the line end.
QString SampleLine(const TesterState &s);

// The data log file: one comma-separated line per sample, appended while a
// file is open; the window title names the file.
class DataLog : public SampleLog
{
public:
    DataLog(TesterState &state, MessageDialogs &dialogs, DataFileDialog &fileDialog,
            Registry &registry, std::function<void(const QString &)> setWindowTitle);
    ~DataLog() override;

    bool OpenFile(QString &nam);
    void SaveToFile() override;
    bool SaveData(int creatfile);
    bool CheckDataSaved(bool closing);
    void NewName(const QString &nam);
    void NoName();

    // File menu commands.
    void FileNew();
    void FileOpen();
    void FileRecent(const QString &path);
    void FileClose();

private:
    void closeQuietly();          // mark closed, reset the title, close ignoring errors
    bool openFailed();            // the error exit of OpenFile
    void writeFailed();           // a sample line did not reach the file
    bool chooseFile(int creatfile, QString &path);

    TesterState &s;
    MessageDialogs &dialogs;
    DataFileDialog &fileDialog;
    Registry &registry;
    std::function<void(const QString &)> setWindowTitle;
    QFile file;
    // Owns the posted write-error notice, so it dies with the log.
    QObject noticeContext;
    bool writeNoticePending = false;
};
