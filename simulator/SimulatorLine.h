#pragma once

#include <QByteArray>

// The simulated tester's end of the cable: a pseudo-terminal or a real
// serial device. Never blocks.
class SimulatorLine
{
public:
    virtual ~SimulatorLine() = default;
    virtual bool isOpen() const = 0;
    virtual QByteArray read() = 0;   // whatever arrived, possibly nothing
    virtual void write(const QByteArray &bytes) = 0;
    virtual void close() = 0;   // the cable is pulled
    // A descriptor that turns readable when bytes arrive, or -1 when the
    // line cannot tell (it is then only polled).
    virtual int readableHandle() const { return -1; }
};
