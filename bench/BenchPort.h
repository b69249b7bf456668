#pragma once

#include "engine/link/SerialPort.h"
#include "engine/state/TesterState.h"

#include <QByteArray>

// A port that is always open and, when primed, hands out one reply line.
class BenchPort : public SerialPort
{
public:
    void selectPort(int) override {}
    bool open() override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
    int bytesWaiting() override { return int(pending.size()); }
    QByteArray readAll() override
    {
        QByteArray out;
        out.swap(pending);
        return out;
    }
    void write(const QByteArray &) override {}
    void discardInput() override { pending.clear(); }
    void discardOutput() override {}

    QByteArray pending;
};

// A full record from tester software 1.2: 37 fields.
inline const QByteArray BenchRecord = "*12;3125;3125;45;51;5;1023;1;A1B2C3D4;100;10;1000000;12;2;1234567;250;0;250;0;"
                                      "1023;1000;17;3;567;1234;200;25;241;1023;900;100;0;1000;0;0;321;123\r";

// The link as it stands once the tester was found and is idle.
inline void linkUp(TesterState &s)
{
    s.link.port = 1;
    s.link.portOpen = true;
    s.link.step = LinkStep::Idle;
    s.link.quietTicks = 0;
    s.link.busy = false;
}
