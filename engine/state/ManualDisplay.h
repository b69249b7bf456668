#pragma once

#include <QString>

// What the manual control shows, whether or not its dialog is open: the
// piston as the tester's status reports it and the last contact reading.
class ManualDisplay
{
public:
    virtual ~ManualDisplay() = default;
    virtual void showPiston(bool down) = 0;
    virtual void showManualReading(const QString &text) = 0;
};
