#pragma once

#include "engine/link/SerialDevices.h"

// The machine's serial devices for tests: `listed` is what the system has
// now, `pinned` the stored choice.
class FakeSerialDevices : public SerialDevices
{
public:
    QList<SerialDevice> devices() const override { return listed; }
    QString pinnedDevice() const override { return pinned; }
    void pinDevice(const QString &device) override { pinned = device; }

    QList<SerialDevice> listed;
    QString pinned;
};
