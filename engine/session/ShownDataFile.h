#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

class TesterSession;

// The data file a tester's samples go to, as the strip, the Station row and
// the web view name it: the file the operator opened, else the run's own
// file of unattended logging; no path when neither is open.
struct ShownDataFile
{
    QString path;
    int64_t lines = 0;   // sample lines written since it was opened
    QDateTime lastLine;
    bool open() const { return !path.isEmpty(); }
};

ShownDataFile shownDataFile(const TesterSession &session);
