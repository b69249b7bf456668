#include "engine/supervision/ReplyEffects.h"

#include "engine/link/Commands.h"
#include "engine/link/SerialLink.h"
#include "engine/link/WaitState.h"
#include "engine/state/DataDecoder.h"
#include "engine/state/DataFormat.h"
#include "engine/state/DecodedSample.h"
#include "engine/state/ManualDisplay.h"
#include "engine/state/NumberReader.h"
#include "engine/state/RunListener.h"
#include "engine/state/StateTexts.h"
#include "engine/state/StatusDisplay.h"
#include "engine/state/TesterState.h"
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

constexpr SingleValue L(Command command, TesterState::Long TesterState::*field)
{
    return {command, Width::Long, field, nullptr};
}
constexpr SingleValue I(Command command, TesterState::Integer TesterState::*field)
{
    return {command, Width::Integer, nullptr, field};
}
constexpr SingleValue B(Command command, TesterState::Integer TesterState::*field)
{
    return {command, Width::Byte, nullptr, field};
}

constexpr SingleValue singleValues[] = {
    L(Command::ReadMaxDownBounceTol, &TesterState::vMaxDownBounceTol),
    L(Command::ReadMaxUpBounceTol, &TesterState::vMaxUpBounceTol),
    L(Command::ReadLastDownStrokeTime, &TesterState::vLastDownStrokeTime),
    L(Command::ReadLastUpStrokeTime, &TesterState::vLastUpStrokeTime),
    L(Command::ReadLastDownResist, &TesterState::vLastMeasuredDownResist),
    L(Command::ReadLastUpResist, &TesterState::vLastMeasuredUpResist),
    L(Command::ReadLastDownBounceTime, &TesterState::vLastDownBounceTime),
    L(Command::ReadLastUpBounceTime, &TesterState::vLastUpBounceTime),
    L(Command::ReadFailCount, &TesterState::FailCount),
    L(Command::ReadFailLimit, &TesterState::vFailLimit),
    L(Command::ReadSeqLimit, &TesterState::vSeqLimit),
    L(Command::ReadCycleLimit, &TesterState::vCycleLimit),
    L(Command::ReadSeqCount, &TesterState::SeqCount),
    L(Command::ReadCycleCount, &TesterState::CycleCount),
    L(Command::ReadMaxDownTime, &TesterState::vMaxDownTime),
    L(Command::ReadMinDownTime, &TesterState::vMinDownTime),
    L(Command::ReadMaxUpTime, &TesterState::vMaxUpTime),
    L(Command::ReadMinUpTime, &TesterState::vMinUpTime),
    L(Command::ReadMaxUpResistance, &TesterState::vMaxUpResistance),
    L(Command::ReadMinUpResistance, &TesterState::vMinUpResistance),
    L(Command::ReadMaxDownResistance, &TesterState::vMaxDownResistance),
    L(Command::ReadMinDownResistance, &TesterState::vMinDownResistance),
    L(Command::ReadMaxUpBounce, &TesterState::vMaxUpBounce),
    L(Command::ReadMaxDownBounce, &TesterState::vMaxDownBounce),
    B(Command::ReadUpperBounce, &TesterState::vUpperBounce),
    B(Command::ReadLowerBounce, &TesterState::vLowerBounce),
    B(Command::ReadContact, &TesterState::vContact),
    L(Command::ReadMaxUpResistTol, &TesterState::vMaxUpResistTol),
    L(Command::ReadMinUpResistTol, &TesterState::vMinUpResistTol),
    L(Command::ReadMaxDownResistTol, &TesterState::vMaxDownResistTol),
    L(Command::ReadMinDownResistTol, &TesterState::vMinDownResistTol),
    I(Command::ReadMode, &TesterState::vRMode),
    I(Command::ReadErrorCode, &TesterState::vErrorCode),
};

}   // namespace

ReplyEffects::ReplyEffects(TesterState &state, SerialLink &serialLink, Commands &commands, StatusDisplay &display,
                           RunListener &runListener, DataDecoder &dataDecoder, CounterReset &counterReset,
                           ConfigDownload &configDownload)
    : s(state), link(serialLink), cmds(commands), view(display), runEvents(runListener), decoder(dataDecoder),
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
    WaitStateClear(s, view);
}

void ReplyEffects::showSample(const DecodedSample &sample)
{
    view.showVersion(DisplayVersion(s));
    view.showSerialNumber();
    if (manual)
        manual->showPiston(sample.pistonDown);
    view.showSampleDate(FormatSampleTime(sample.takenAt));
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
        WaitStateClear(s, view);
    if (samples)
        samples->sampleTaken(sample);
    if (sample.atBreak)
        cmds.SendValueCommand(Command::ArmBreakUpdate, QString::number(s.RepeatCount));
}

bool ReplyEffects::applySingleValue(Command command)
{
    for (const SingleValue &entry : singleValues) {
        if (entry.command != command)
            continue;
        // A number that does not fit its field keeps the old value.
        switch (entry.width) {
        case Width::Long: ReadLong(link.ReplyLine, s.*entry.longField); break;
        case Width::Integer: ReadInteger(link.ReplyLine, s.*entry.integerField); break;
        case Width::Byte: ReadByte(link.ReplyLine, s.*entry.integerField); break;
        }
        WaitStateClear(s, view);
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
        cmds.SendCommand(Command::SampleData);
        return true;
    case Command::Stop:
        if (s.Running)
            forceWakeUp();
        s.Running = false;
        s.GoAgainMode = false;
        s.GoAgainFlag = false;
        runEvents.stopAcknowledged();
        cmds.SendCommand(Command::SampleData);
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
        cmds.SendCommand(Command::ReadStatus);   // read back the piston state
        return true;
    case Command::ArmBreakUpdate:
        s.GoAgainMode = true;
        s.GoAgainFlag = false;
        s.LEDState = 1;
        WaitStateClear(s, view);
        return true;
    default: return false;
    }
}

// Replies whose value is shown as soon as it is read.
bool ReplyEffects::applyShownValue(Command command)
{
    switch (command) {
    case Command::ReadSoftwareVersion:
        ReadLong(link.ReplyLine, s.vSoftwareVersion);
        view.showVersion(DisplayVersion(s));
        break;
    case Command::ReadResistance:
        ReadLong(link.ReplyLine, s.vLastMeasuredResist);
        if (manual)
            manual->showManualReading(FormatResistance(s, s.vLastMeasuredResist, false));
        break;
    case Command::ReadStatus:
        ReadInteger(link.ReplyLine, s.vStatus);
        decoder.DecodeStatus(s.vStatus);
        if (manual)
            manual->showPiston(PistonDown(s.vStatus));
        break;
    case Command::ReadSerialNumber:
        s.vSerialNumber = link.ReplyLine;
        view.showSerialNumber();
        break;
    case Command::ReadRange:
        ReadLong(link.ReplyLine, s.vRPullUp);
        view.showPullUp();
        break;
    default: return false;
    }
    WaitStateClear(s, view);
    return true;
}

void ReplyEffects::Apply(Command command)
{
    if (applySingleValue(command) || applyRunControl(command) || applyShownValue(command))
        return;
    switch (command) {
    case Command::Reserved171: WaitStateClear(s, view); return;
    case Command::SampleData: sampleReceived(); return;
    case Command::ClearMinMax:
    case Command::ClearFailCount:
    case Command::ClearSeqCount:
    case Command::ClearCycleCount: reset.DoNextClear(command); return;
    default:
        if (command >= Command::WriteSerialNumber && command <= Command::WriteMaxUpBounceTol)
            download.OnReply(command);
        return;
    }
}
