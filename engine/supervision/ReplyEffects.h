#pragma once

#include "engine/state/Protocol.h"

class Commands;
class ConfigDownload;
class CounterReset;
class DataDecoder;
class SampleListener;
class SerialLink;
struct DecodedSample;
class ManualDisplay;
class RunListener;
class StatusDisplay;
class TesterView;
struct TesterState;

// What the program does with the tester's acknowledged reply to each
// command. The reply data (after the "*") is in the link's ReplyLine.
class ReplyEffects
{
public:
    ReplyEffects(TesterState &state, SerialLink &link, Commands &commands, TesterView &view, DataDecoder &decoder,
                 CounterReset &reset, ConfigDownload &download);

    // Who hears of each decoded sample; may be null.
    // What the manual control shows of the piston and the reading; may be null.
    void setManualDisplay(ManualDisplay *display) { manual = display; }
    void setSampleListener(SampleListener *listener) { samples = listener; }

    void applyReply(Command command);

private:
    void forceWakeUp();
    void runStarted(Command command, int ledState);
    void sampleReceived();
    void showSample(const DecodedSample &sample);
    bool applySingleValue(Command command);
    bool applyRunControl(Command command);
    bool applyShownValue(Command command);

    TesterState &s;
    SerialLink &link;
    Commands &cmds;
    StatusDisplay &view;
    RunListener &runEvents;
    DataDecoder &decoder;
    CounterReset &reset;
    ConfigDownload &download;
    SampleListener *samples = nullptr;
    ManualDisplay *manual = nullptr;
};
