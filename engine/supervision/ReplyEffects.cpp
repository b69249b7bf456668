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
    StateField<TesterState::Long> longField;
    StateField<TesterState::Integer> integerField;
};

constexpr SingleValue longValue(Command command, StateField<TesterState::Long> field)
{
    return {command, Width::Long, field, nullptr};
}
constexpr SingleValue integerValue(Command command, StateField<TesterState::Integer> field)
{
    return {command, Width::Integer, nullptr, field};
}
constexpr SingleValue byteValue(Command command, StateField<TesterState::Integer> field)
{
    return {command, Width::Byte, nullptr, field};
}

constexpr SingleValue singleValues[] = {
    longValue(Command::ReadMaxDownBounceTol, stateField<&TesterState::reported, &TesterConfig::maxDownBounceTol>),
    longValue(Command::ReadMaxUpBounceTol, stateField<&TesterState::reported, &TesterConfig::maxUpBounceTol>),
    longValue(Command::ReadLastDownStrokeTime, stateField<&TesterState::counters, &TesterCounters::lastDownStrokeTime>),
    longValue(Command::ReadLastUpStrokeTime, stateField<&TesterState::counters, &TesterCounters::lastUpStrokeTime>),
    longValue(Command::ReadLastDownResist, stateField<&TesterState::counters, &TesterCounters::lastDownResistance>),
    longValue(Command::ReadLastUpResist, stateField<&TesterState::counters, &TesterCounters::lastUpResistance>),
    longValue(Command::ReadLastDownBounceTime, stateField<&TesterState::counters, &TesterCounters::lastDownBounceTime>),
    longValue(Command::ReadLastUpBounceTime, stateField<&TesterState::counters, &TesterCounters::lastUpBounceTime>),
    longValue(Command::ReadFailCount, stateField<&TesterState::counters, &TesterCounters::failCount>),
    longValue(Command::ReadFailLimit, stateField<&TesterState::reported, &TesterConfig::failLimit>),
    longValue(Command::ReadSeqLimit, stateField<&TesterState::reported, &TesterConfig::seqLimit>),
    longValue(Command::ReadCycleLimit, stateField<&TesterState::reported, &TesterConfig::cycleLimit>),
    longValue(Command::ReadSeqCount, stateField<&TesterState::counters, &TesterCounters::seqCount>),
    longValue(Command::ReadCycleCount, stateField<&TesterState::counters, &TesterCounters::cycleCount>),
    longValue(Command::ReadMaxDownTime, stateField<&TesterState::reported, &TesterConfig::maxDownTime>),
    longValue(Command::ReadMinDownTime, stateField<&TesterState::reported, &TesterConfig::minDownTime>),
    longValue(Command::ReadMaxUpTime, stateField<&TesterState::reported, &TesterConfig::maxUpTime>),
    longValue(Command::ReadMinUpTime, stateField<&TesterState::reported, &TesterConfig::minUpTime>),
    longValue(Command::ReadMaxUpResistance, stateField<&TesterState::counters, &TesterCounters::maxUpResistance>),
    longValue(Command::ReadMinUpResistance, stateField<&TesterState::counters, &TesterCounters::minUpResistance>),
    longValue(Command::ReadMaxDownResistance, stateField<&TesterState::counters, &TesterCounters::maxDownResistance>),
    longValue(Command::ReadMinDownResistance, stateField<&TesterState::counters, &TesterCounters::minDownResistance>),
    longValue(Command::ReadMaxUpBounce, stateField<&TesterState::counters, &TesterCounters::maxUpBounce>),
    longValue(Command::ReadMaxDownBounce, stateField<&TesterState::counters, &TesterCounters::maxDownBounce>),
    byteValue(Command::ReadUpperBounce, stateField<&TesterState::reported, &TesterConfig::upperBounce>),
    byteValue(Command::ReadLowerBounce, stateField<&TesterState::reported, &TesterConfig::lowerBounce>),
    byteValue(Command::ReadContact, stateField<&TesterState::reported, &TesterConfig::contact>),
    longValue(Command::ReadMaxUpResistTol, stateField<&TesterState::reported, &TesterConfig::maxUpResistTol>),
    longValue(Command::ReadMinUpResistTol, stateField<&TesterState::reported, &TesterConfig::minUpResistTol>),
    longValue(Command::ReadMaxDownResistTol, stateField<&TesterState::reported, &TesterConfig::maxDownResistTol>),
    longValue(Command::ReadMinDownResistTol, stateField<&TesterState::reported, &TesterConfig::minDownResistTol>),
    integerValue(Command::ReadMode, stateField<&TesterState::reported, &TesterConfig::rangeMode>),
    integerValue(Command::ReadErrorCode, stateField<&TesterState::counters, &TesterCounters::errorCode>),
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
    s.counters.running = true;
    s.session.goAgainMode = false;
    s.session.goAgainFlag = false;
    s.counters.ledState = TesterState::Integer(ledState);
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
    // Another tester than the one this link follows answers on its port:
    // its record stays out of this tester's state, and the port is left
    // to whoever may have it.
    if (samples && !samples->takesTester(DataDecoder::serialNumberOf(link.ReplyLine))) {
        link.giveUpPort();
        view.updateControls();
        return;
    }
    DecodedSample sample = decoder.decodeSample();
    showSample(sample);
    // A break was reached: the data log takes it only if asked, and the
    // next break is armed once everyone has the sample.
    sample.atBreak = s.session.goAgainMode && s.session.goAgainFlag;
    sample.forDataLog = !sample.atBreak || s.session.saveToDatabase;
    if (!sample.atBreak)
        waitStateClear(s, view);
    if (samples)
        samples->sampleTaken(sample);
    if (sample.atBreak)
        cmds.sendValueCommand(Command::ArmBreakUpdate, QString::number(s.session.repeatCount));
}

bool ReplyEffects::applySingleValue(Command command)
{
    for (const SingleValue &entry : singleValues) {
        if (entry.command != command)
            continue;
        // A number that does not fit its field keeps the old value.
        switch (entry.width) {
        case Width::Long: parseLong(link.ReplyLine, entry.longField(s)); break;
        case Width::Integer: parseInteger(link.ReplyLine, entry.integerField(s)); break;
        case Width::Byte: parseByte(link.ReplyLine, entry.integerField(s)); break;
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
        if (s.counters.running)
            forceWakeUp();
        cmds.sendCommand(Command::SampleData);
        return true;
    case Command::Stop:
        if (s.counters.running)
            forceWakeUp();
        s.counters.running = false;
        s.session.goAgainMode = false;
        s.session.goAgainFlag = false;
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
        if (s.counters.running)
            forceWakeUp();
        cmds.sendCommand(Command::ReadStatus);   // read back the piston state
        return true;
    case Command::ArmBreakUpdate:
        s.session.goAgainMode = true;
        s.session.goAgainFlag = false;
        s.counters.ledState = 1;
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
        parseLong(link.ReplyLine, s.identity.softwareVersion);
        view.showVersion(displayVersion(s));
        break;
    case Command::ReadResistance:
        parseLong(link.ReplyLine, s.counters.lastManualResistance);
        if (manual)
            manual->showManualReading(formatResistance(s, s.counters.lastManualResistance, false));
        break;
    case Command::ReadStatus:
        parseInteger(link.ReplyLine, s.counters.status);
        decoder.decodeStatus(s.counters.status);
        if (manual)
            manual->showPiston(pistonIsDown(s.counters.status));
        break;
    case Command::ReadSerialNumber:
        s.identity.serialNumber = link.ReplyLine;
        view.showSerialNumber();
        break;
    case Command::ReadRange:
        parseLong(link.ReplyLine, s.reported.rangePullUp);
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
