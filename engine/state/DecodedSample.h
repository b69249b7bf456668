#pragma once

#include <QDateTime>
#include <QString>

// One data record the tester sent, once decoded. Its numbers are in the
// state record, which always holds the tester's last sample; this says what
// else the sample is: when it was taken, what the status byte asks of the
// piston box, and whether it came at a break of a break-update run.
struct DecodedSample
{
    QDateTime takenAt;
    bool pistonDown = false;
    bool atBreak = false;
    // The data log takes every sample but a break's, unless the operator
    // asked for breaks to be saved ("Save To Database"). The archive takes
    // every sample whatever this says.
    bool forDataLog = true;
};

// Everything that wants each sample hears of it through this one call,
// after the state record was updated.
class SampleListener
{
public:
    virtual ~SampleListener() = default;
    virtual void sampleTaken(const DecodedSample &sample) = 0;
    // Asked before a record is decoded, with the serial number it carries:
    // false when it comes from another tester than the one this listener
    // follows, and must not replace that tester's last sample.
    virtual bool takesTester(const QString & /*serialNumber*/) { return true; }
};
