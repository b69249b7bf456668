#pragma once

#include <QByteArray>
#include <QString>

// The serial line to the tester, reduced to what the link uses. The port is
// only ever polled from the poll tick; there are no receive events.
class SerialPort
{
public:
    virtual ~SerialPort() = default;

    virtual void selectPort(int portNumber) = 0;   // 1..16
    virtual bool open() = 0;                       // errors are not reported beyond the result
    virtual void close() = 0;
    virtual bool isOpen() const = 0;    // false once a dead device was closed
    virtual int bytesWaiting() = 0;     // received characters waiting
    virtual QByteArray readAll() = 0;   // all waiting characters
    virtual void write(const QByteArray &bytes) = 0;
    virtual void discardInput() = 0;
    virtual void discardOutput() = 0;
    // The device behind the port last opened, for people to read ("/dev/ttyUSB0",
    // "COM3"); empty when the port has no such name.
    virtual QString deviceName() const { return QString(); }
    // Why the last open() failed, in words that say what to do ("permission
    // denied (add the user to the dialout group)", "device busy (used by
    // another program)", "not present"); empty when it opened, or when no
    // device stands behind the port at all.
    virtual QString openProblem() const { return QString(); }
    // Whether port N is one the search tries. False for a number no device
    // stands behind while the ports are fixed (given on the command line,
    // or the tester pinned to one device); true otherwise, as a device may
    // be plugged in under any number.
    virtual bool portExists(int /*portNumber*/) const { return true; }
};
