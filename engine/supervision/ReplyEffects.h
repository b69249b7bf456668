#pragma once

#include "engine/state/Protocol.h"

class Commands;
class ConfigDownload;
class CounterReset;
class DataDecoder;
class SampleLog;
class SerialLink;
class TesterView;
struct TesterState;

// What the program does with the tester's acknowledged reply to each
// command. The reply data (after the "*") is in the link's ReplyLine.
class ReplyEffects
{
public:
    ReplyEffects(TesterState &state, SerialLink &link, Commands &commands, TesterView &view,
                 DataDecoder &decoder, CounterReset &reset, ConfigDownload &download);

    void setSampleLog(SampleLog *log) { sampleLog = log; }

    void Apply(Command command);

private:
    void forceWakeUp();
    void runStarted(Command command, int ledState);
    void sampleReceived();
    void saveToFile();
    bool applySingleValue(Command command);
    bool applyRunControl(Command command);
    bool applyShownValue(Command command);

    TesterState &s;
    SerialLink &link;
    Commands &cmds;
    TesterView &view;
    DataDecoder &decoder;
    CounterReset &reset;
    ConfigDownload &download;
    SampleLog *sampleLog = nullptr;
};
