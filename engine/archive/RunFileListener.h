#pragma once

#include <QDateTime>
#include <QString>

// Who follows the runs the recorder decides on, sample by sample: the
// unattended run file. A run was opened (at the cycle count of its first
// sample), took a sample (after the archive got it), or was closed here.
class RunFileListener
{
public:
    virtual ~RunFileListener() = default;
    virtual void runOpened(const QString &serialNumber, const QDateTime &start, qint64 cycleCount) = 0;
    virtual void sampleAdded() = 0;
    virtual void runClosed() = 0;
};
