#include "engine/supervision/ReplyEffects.h"

#include "engine/link/Commands.h"
#include "engine/link/SerialLink.h"
#include "engine/link/WaitState.h"
#include "engine/state/DataDecoder.h"
#include "engine/state/DataFormat.h"
#include "engine/state/NumberReader.h"
#include "engine/state/StateTexts.h"
#include "engine/state/TesterState.h"
#include "engine/state/ManualDisplay.h"
#include "engine/state/TesterView.h"
#include "engine/supervision/ConfigDownload.h"
#include "engine/supervision/CounterReset.h"

namespace {

// Replies that carry one value for one field and then free the link.
enum class Width { Long, Integer, Byte };

struct SingleValue
{
    int code;
    Width width;
    TesterState::Long TesterState::*longField;
    TesterState::Integer TesterState::*integerField;
};

constexpr SingleValue L(int code, TesterState::Long TesterState::*field)
{
    return {code, Width::Long, field, nullptr};
}
constexpr SingleValue I(int code, TesterState::Integer TesterState::*field)
{
    return {code, Width::Integer, nullptr, field};
}
constexpr SingleValue B(int code, TesterState::Integer TesterState::*field)
{
    return {code, Width::Byte, nullptr, field};
}

constexpr SingleValue singleValues[] = {
    L(176, &TesterState::vMaxDownBounceTol),
    L(177, &TesterState::vMaxUpBounceTol),
    L(178, &TesterState::vLastDownStrokeTime),
    L(179, &TesterState::vLastUpStrokeTime),
    L(181, &TesterState::vLastMeasuredDownResist),
    L(182, &TesterState::vLastMeasuredUpResist),
    L(183, &TesterState::vLastDownBounceTime),
    L(184, &TesterState::vLastUpBounceTime),
    L(193, &TesterState::FailCount),
    L(195, &TesterState::vFailLimit),
    L(196, &TesterState::vSeqLimit),
    L(197, &TesterState::vCycleLimit),
    L(199, &TesterState::SeqCount),
    L(200, &TesterState::CycleCount),
    L(204, &TesterState::vMaxDownTime),
    L(205, &TesterState::vMinDownTime),
    L(206, &TesterState::vMaxUpTime),
    L(207, &TesterState::vMinUpTime),
    L(208, &TesterState::vMaxUpResistance),
    L(209, &TesterState::vMinUpResistance),
    L(210, &TesterState::vMaxDownResistance),
    L(211, &TesterState::vMinDownResistance),
    L(212, &TesterState::vMaxUpBounce),
    L(213, &TesterState::vMaxDownBounce),
    B(214, &TesterState::vUpperBounce),
    B(215, &TesterState::vLowerBounce),
    B(216, &TesterState::vContact),
    L(217, &TesterState::vMaxUpResistTol),
    L(218, &TesterState::vMinUpResistTol),
    L(219, &TesterState::vMaxDownResistTol),
    L(220, &TesterState::vMinDownResistTol),
    I(222, &TesterState::vRMode),
    I(223, &TesterState::vErrorCode),
};

} // namespace

ReplyEffects::ReplyEffects(TesterState &state, SerialLink &serialLink, Commands &commands,
                           TesterView &testerView, DataDecoder &dataDecoder,
                           CounterReset &counterReset, ConfigDownload &configDownload)
    : s(state), link(serialLink), cmds(commands), view(testerView), runEvents(testerView), decoder(dataDecoder),
      reset(counterReset), download(configDownload)
{
}

// The next command to a running tester must be preceded by a wake-up.
void ReplyEffects::forceWakeUp()
{
    s.ComCnt = 260;
}

void ReplyEffects::runStarted(int code, int ledState)
{
    forceWakeUp();
    s.Running = true;
    s.GoAgainMode = false;
    s.GoAgainFlag = false;
    s.LEDState = TesterState::Integer(ledState);
    runEvents.runStarted(code);
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
        cmds.SendValueCommand(243, QString::number(s.RepeatCount));
}

bool ReplyEffects::applySingleValue(int code)
{
    for (const SingleValue &entry : singleValues) {
        if (entry.code != code)
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

void ReplyEffects::Apply(int code)
{
    if (applySingleValue(code))
        return;
    switch (code) {
    case 160:
        if (s.Running)
            forceWakeUp();
        cmds.SendCommand(174);
        return;
    case 161:
        if (s.Running)
            forceWakeUp();
        s.Running = false;
        s.GoAgainMode = false;
        s.GoAgainFlag = false;
        runEvents.stopAcknowledged();
        cmds.SendCommand(174);
        return;
    case 162:
    case 170:
        runStarted(code, 1);
        return;
    case 172:
        runStarted(code, 2);   // no limit: the LED blinks
        return;
    case 163: case 164: case 165: case 166: case 167:
        if (s.Running)
            forceWakeUp();
        cmds.SendCommand(192);   // read back the piston state
        return;
    case 171:
        WaitStateClear(s, view);
        return;
    case 174:
        sampleReceived();
        return;
    case 175:
        ReadLong(link.ReplyLine, s.vSoftwareVersion);
        view.showVersion(DisplayVersion(s));
        WaitStateClear(s, view);
        return;
    case 180:
        ReadLong(link.ReplyLine, s.vLastMeasuredResist);
        if (manual)
            manual->showManualReading(FormatResistance(s, s.vLastMeasuredResist, false));
        WaitStateClear(s, view);
        return;
    case 192:
        ReadInteger(link.ReplyLine, s.vStatus);
        decoder.DecodeStatus(s.vStatus);
        if (manual)
            manual->showPiston(PistonDown(s.vStatus));
        WaitStateClear(s, view);
        return;
    case 198:
        s.vSerialNumber = link.ReplyLine;
        view.showSerialNumber();
        WaitStateClear(s, view);
        return;
    case 194: case 201: case 202: case 203:
        reset.DoNextClear(code);
        return;
    case 221:
        ReadLong(link.ReplyLine, s.vRPullUp);
        view.showPullUp();
        WaitStateClear(s, view);
        return;
    case 243:
        s.GoAgainMode = true;
        s.GoAgainFlag = false;
        s.LEDState = 1;
        WaitStateClear(s, view);
        return;
    default:
        if (code >= 224 && code <= 242)
            download.OnReply(code);
        return;
    }
}
