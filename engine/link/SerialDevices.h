#pragma once

#include <QList>
#include <QString>

// One serial device of this machine, as the port choice shows it.
struct SerialDevice
{
    QString device;       // the name that opens it: "/dev/ttyUSB0", "COM3", a link, a pseudo-terminal
    QString stableName;   // a name that survives replugging (/dev/serial/by-id/...); empty when none
    QString description, manufacturer, serialNumber;
    QString usbId;         // vendor and product, "0403:6001"; empty when not a USB device
    int comm = 0;          // the port number the search gives it; 0 when none
    bool listed = true;    // the system lists it; false for a device only mapped or pinned
    bool pinned = false;   // the tester is pinned to it
};

// The serial devices of this machine and the operator's choice among them:
// search every port for the tester, or pin it to one device, kept between
// runs. The program asks the system; tests list their own devices.
class SerialDevices
{
public:
    virtual ~SerialDevices() = default;
    // The system's devices in name order, then devices that are only mapped
    // to a port or pinned, which the system does not list (pseudo-terminals,
    // links, a device unplugged).
    virtual QList<SerialDevice> devices() const = 0;
    virtual QString pinnedDevice() const = 0;            // empty: the search is automatic
    virtual void pinDevice(const QString &device) = 0;   // empty: automatic
};
