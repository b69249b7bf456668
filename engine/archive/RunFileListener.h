#pragma once

#include <QDateTime>
#include <QString>

// Who follows the runs the recorder decides on, sample by sample: the
// unattended run file. A run was opened, took a sample (after the archive
// got it), or was closed for good.
class RunFileListener
{
public:
    virtual ~RunFileListener() = default;
    virtual void runOpened(const QString &serialNumber, const QDateTime &start) = 0;
    virtual void sampleAdded() = 0;
    virtual void runClosed() = 0;
};
