#pragma once

#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"
#include "support/FakeSerialPort.h"
#include "support/FakeView.h"

#include <QtCore>

// The engine on a fake port and a fake main window, driven tick by tick.
struct EngineRig
{
    TesterState s;
    FakeSerialPort port;
    FakeView view;
    FakeSampleListener log;
    TesterEngine engine{s, port, view};

    EngineRig() { engine.setSampleListener(&log); }

    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            engine.pollTick();
    }

    // A tester already found on port 1, the link idle and ready, the line
    // not yet quiet.
    void linkUp()
    {
        port.selectPort(1);
        port.open();
        s.link.port = 1;
        s.link.portOpen = true;
        s.link.step = LinkStep::Idle;
        s.link.quietTicks = 0;
        s.link.busy = false;
    }

    // A tester that acknowledges every wake-up and command at once; a data
    // request is answered with `record` (the fields after the "*").
    void answerEverything(const QByteArray &record = QByteArray())
    {
        port.onWrite = [this, record](const QByteArray &bytes) {
            if (bytes.contains(char(27)))
                port.queueInput("*\r");
            else if (bytes == "AE\r")
                port.queueInput("*" + record + "\r");
            else if (bytes.endsWith('\r'))
                port.queueInput("*\r");
        };
    }

    // Ticks until the link is idle with nothing in flight, at most `limit`.
    void runUntilIdle(int limit = 400)
    {
        for (int i = 0; i < limit; ++i) {
            tick();
            if (s.link.step == LinkStep::Idle && port.input.isEmpty())
                return;
        }
    }
};
