#pragma once

#include "engine/link/Commands.h"
#include "engine/link/SerialLink.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

class ManualDisplay;
class SampleListener;
class SerialPort;
class TesterView;
struct TesterState;
class PollCycle;
class ReplyEffects;
class ConfigDownload;
class CounterReset;
class DataDecoder;

// The whole conversation engine of one tester, put together for its
// TesterSession, which calls pollTick every TickPeriodMs (from its own poll
// timer, or from its station's one timer): the serial link, the command set,
// the poll cycle with its reply effects, the configuration download and the
// counter reset chain. It knows no widgets.
class TesterEngine
{
public:
    TesterEngine(TesterState &state, SerialPort &port, TesterView &view);
    ~TesterEngine();

    void setManualDisplay(ManualDisplay *display);      // the manual control; may be null
    void setSampleListener(SampleListener *listener);   // who hears of each decoded sample; may be null

    void pollTick();        // one poll tick (every TickPeriodMs)
    void restartSearch();   // after the ports were changed
    bool commReady() const;
    int ledDrawing() const;   // the error LED as last drawn: 0 lit, 1 dark
    void sendCommand(Command command);
    void sendValueCommand(Command command, const QString &value);

    void setClearAll();
    void doNextClear(Command lastCommand);
    void startOrdinaryDownload();   // from the contact
    void startMasterDownload();     // from the serial number

    SerialLink &link();
    Commands &commands();
    DataDecoder &decoder();   // e.g. to give tests a fixed clock
    // The time of the samples and of the link's events; empty: local time.
    void setClock(const std::function<QDateTime()> &clock);

private:
    TesterState &s;
    TesterView &view;
    SerialLink serialLink;
    Commands cmds;
    std::unique_ptr<DataDecoder> dataDecoder;
    std::unique_ptr<CounterReset> counterReset;
    std::unique_ptr<ConfigDownload> download;
    std::unique_ptr<ReplyEffects> replies;
    std::unique_ptr<PollCycle> poll;
};
