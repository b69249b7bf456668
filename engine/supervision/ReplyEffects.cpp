#include "engine/supervision/ReplyEffects.h"

#include "engine/link/Commands.h"
#include "engine/link/SerialLink.h"
#include "engine/link/WaitState.h"
#include "engine/state/DataDecoder.h"
#include "engine/state/DataFormat.h"
#include "engine/state/ManualDisplay.h"
#include "engine/state/NumberReader.h"
#include "engine/state/StateTexts.h"
#include "engine/state/TesterState.h"
#include "engine/state/TesterView.h"
#include "engine/supervision/ConfigDownload.h"
#include "engine/supervision/CounterReset.h"

namespace {

// Replies that carry one value for one field and then free the link.
enum class Width { Long, Integer, Byte };

struct SingleValue
{
    Command command;
    Width width;
    TesterState::Long TesterState::*longField;
    TesterState::Integer TesterState::*integerField;
};

constexpr SingleValue longValue(Command command, TesterState::Long TesterState::*field)
{
    return {command, Width::Long, field, nullptr};
}
constexpr SingleValue integerValue(Command command, TesterState::Integer TesterState::*field)
{
    return {command, Width::Integer, nullptr, field};
}
constexpr SingleValue byteValue(Command command, TesterState::Integer TesterState::*field)
{
    return {command, Width::Byte, nullptr, field};
}

constexpr SingleValue singleValues[] = {
    longValue(Command::ReadMaxDownBounceTol, &TesterState::vMaxDownBounceTol),
    longValue(Command::ReadMaxUpBounceTol, &TesterState::vMaxUpBounceTol),
    longValue(Command::ReadLastDownStrokeTime, &TesterState::vLastDownStrokeTime),
    longValue(Command::ReadLastUpStrokeTime, &TesterState::vLastUpStrokeTime),
    longValue(Command::ReadLastDownResist, &TesterState::vLastMeasuredDownResist),
    longValue(Command::ReadLastUpResist, &TesterState::vLastMeasuredUpResist),
    longValue(Command::ReadLastDownBounceTime, &TesterState::vLastDownBounceTime),
    longValue(Command::ReadLastUpBounceTime, &TesterState::vLastUpBounceTime),
    longValue(Command::ReadFailCount, &TesterState::FailCount),
    longValue(Command::ReadFailLimit, &TesterState::vFailLimit),
    longValue(Command::ReadSeqLimit, &TesterState::vSeqLimit),
    longValue(Command::ReadCycleLimit, &TesterState::vCycleLimit),
    longValue(Command::ReadSeqCount, &TesterState::SeqCount),
    longValue(Command::ReadCycleCount, &TesterState::CycleCount),
    longValue(Command::ReadMaxDownTime, &TesterState::vMaxDownTime),
    longValue(Command::ReadMinDownTime, &TesterState::vMinDownTime),
    longValue(Command::ReadMaxUpTime, &TesterState::vMaxUpTime),
    longValue(Command::ReadMinUpTime, &TesterState::vMinUpTime),
    longValue(Command::ReadMaxUpResistance, &TesterState::vMaxUpResistance),
    longValue(Command::ReadMinUpResistance, &TesterState::vMinUpResistance),
    longValue(Command::ReadMaxDownResistance, &TesterState::vMaxDownResistance),
    longValue(Command::ReadMinDownResistance, &TesterState::vMinDownResistance),
    longValue(Command::ReadMaxUpBounce, &TesterState::vMaxUpBounce),
    longValue(Command::ReadMaxDownBounce, &TesterState::vMaxDownBounce),
    byteValue(Command::ReadUpperBounce, &TesterState::vUpperBounce),
    byteValue(Command::ReadLowerBounce, &TesterState::vLowerBounce),
    byteValue(Command::ReadContact, &TesterState::vContact),
    longValue(Command::ReadMaxUpResistTol, &TesterState::vMaxUpResistTol),
    longValue(Command::ReadMinUpResistTol, &TesterState::vMinUpResistTol),
    longValue(Command::ReadMaxDownResistTol, &TesterState::vMaxDownResistTol),
    longValue(Command::ReadMinDownResistTol, &TesterState::vMinDownResistTol),
    integerValue(Command::ReadMode, &TesterState::vRMode),
    integerValue(Command::ReadErrorCode, &TesterState::vErrorCode),
};

}   // namespace

ReplyEffects::ReplyEffects(TesterState &state, SerialLink &serialLink, Commands &commands, TesterView &testerView,
                           DataDecoder &dataDecoder, CounterReset &counterReset, ConfigDownload &configDownload)
    : s(state), link(serialLink), cmds(commands), view(testerView), runEvents(testerView), decoder(dataDecoder),
      reset(counterReset), download(configDownload)
{
}

// The next command to a running tester must be preceded by a wake-up.
void ReplyEffects::forceWakeUp()
{
    s.link.quietTicks = ReplyTimeoutTicks;
}

void ReplyEffects::runStarted(Command command, int ledState)
{
    forceWakeUp();
    s.Running = true;
    s.GoAgainMode = false;
    s.GoAgainFlag = false;
    s.LEDState = TesterState::Integer(ledState);
    runEvents.runStarted(wireCode(command));
    waitStateClear(s, view);
}

void ReplyEffects::showSample(const DecodedSample &sample)
{
    view.showVersion(displayVersion(s));
    view.showSerialNumber();
    if (manual)
        manual->showPiston(sample.pistonDown);
    view.showSampleDate(formatSampleTime(sample.takenAt));
    view.showMode();
    view.showPullUp();
    view.showReadings();
}

void ReplyEffects::sampleReceived()
{
    DecodedSample sample = decoder.decodeSample();
    showSample(sample);
    // A break was reached: the data log takes it only if asked, and the
    // next break is armed once everyone has the sample.
    sample.atBreak = s.GoAgainMode && s.GoAgainFlag;
    sample.forDataLog = !sample.atBreak || s.SaveToDatabase;
    if (!sample.atBreak)
        waitStateClear(s, view);
    if (samples)
        samples->sampleTaken(sample);
    if (sample.atBreak)
        cmds.sendValueCommand(Command::ArmBreakUpdate, QString::number(s.RepeatCount));
}

bool ReplyEffects::applySingleValue(Command command)
{
    for (const SingleValue &entry : singleValues) {
        if (entry.command != command)
            continue;
        // A number that does not fit its field keeps the old value.
        switch (entry.width) {
        case Width::Long: parseLong(link.ReplyLine, s.*entry.longField); break;
        case Width::Integer: parseInteger(link.ReplyLine, s.*entry.integerField); break;
        case Width::Byte: parseByte(link.ReplyLine, s.*entry.integerField); break;
        }
        waitStateClear(s, view);
        return true;
    }
    return false;
}

// Replies to the commands that start, stop, arm or move the tester.
bool ReplyEffects::applyRunControl(Command command)
{
    switch (command) {
    case Command::Hello:
        if (s.Running)
            forceWakeUp();
        cmds.sendCommand(Command::SampleData);
        return true;
    case Command::Stop:
        if (s.Running)
            forceWakeUp();
        s.Running = false;
        s.GoAgainMode = false;
        s.GoAgainFlag = false;
        runEvents.stopAcknowledged();
        cmds.sendCommand(Command::SampleData);
        return true;
    case Command::RunToLimits:
    case Command::RunOnce: runStarted(command, 1); return true;
    case Command::RunNoLimit:
        runStarted(command, 2);   // no limit: the LED blinks
        return true;
    case Command::PistonDown:
    case Command::PistonUp:
    case Command::Output165:
    case Command::Output166:
    case Command::Output167:
        if (s.Running)
            forceWakeUp();
        cmds.sendCommand(Command::ReadStatus);   // read back the piston state
        return true;
    case Command::ArmBreakUpdate:
        s.GoAgainMode = true;
        s.GoAgainFlag = false;
        s.LEDState = 1;
        waitStateClear(s, view);
        return true;
    default: return false;
    }
}

// Replies whose value is shown as soon as it is read.
bool ReplyEffects::applyShownValue(Command command)
{
    switch (command) {
    case Command::ReadSoftwareVersion:
        parseLong(link.ReplyLine, s.vSoftwareVersion);
        view.showVersion(displayVersion(s));
        break;
    case Command::ReadResistance:
        parseLong(link.ReplyLine, s.vLastMeasuredResist);
        if (manual)
            manual->showManualReading(formatResistance(s, s.vLastMeasuredResist, false));
        break;
    case Command::ReadStatus:
        parseInteger(link.ReplyLine, s.vStatus);
        decoder.decodeStatus(s.vStatus);
        if (manual)
            manual->showPiston(pistonIsDown(s.vStatus));
        break;
    case Command::ReadSerialNumber:
        s.vSerialNumber = link.ReplyLine;
        view.showSerialNumber();
        break;
    case Command::ReadRange:
        parseLong(link.ReplyLine, s.vRPullUp);
        view.showPullUp();
        break;
    default: return false;
    }
    waitStateClear(s, view);
    return true;
}

void ReplyEffects::applyReply(Command command)
{
    if (applySingleValue(command) || applyRunControl(command) || applyShownValue(command))
        return;
    switch (command) {
    case Command::Reserved171: waitStateClear(s, view); return;
    case Command::SampleData: sampleReceived(); return;
    case Command::ClearMinMax:
    case Command::ClearFailCount:
    case Command::ClearSeqCount:
    case Command::ClearCycleCount: reset.doNextClear(command); return;
    default:
        if (command >= Command::WriteSerialNumber && command <= Command::WriteMaxUpBounceTol)
            download.onReply(command);
        return;
    }
}
