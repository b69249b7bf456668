// The bytes from the tester (TesterSteps.h) through the link, the poll
// cycle and the data record decoder to the data log line and the trend
// history, with the operator's commands in between. No answer is awaited
// longer than the reply timeout, whatever arrives meanwhile; every sample
// line the program writes reads back with its counts.

#include "FuzzSupport.h"
#include "SampleLineCheck.h"
#include "TesterSteps.h"

#include "engine/datalog/DataLog.h"
#include "engine/state/DataDecoder.h"
#include "engine/state/TesterState.h"
#include "engine/supervision/TesterEngine.h"
#include "engine/trend/TrendHistory.h"
#include "engine/trend/TrendReduction.h"
#include "support/FakeSerialPort.h"
#include "support/FakeView.h"

namespace {

// Each decoded sample goes into the trend history, as in the session, and
// each one the data log takes becomes its line and is read back.
class SampleCheck : public SampleListener
{
public:
    explicit SampleCheck(const TesterState &state) : s(state) {}
    void sampleTaken(const DecodedSample &sample) override
    {
        history.append(trendReadingFromState(s));
        if (sample.forDataLog)
            checkSampleLineReadsBack(s);
    }

    const TesterState &s;
    TrendHistory history;
};

// Two minutes of the line: room for several reply timeouts, and an input of
// many long silences still runs in a moment.
constexpr int TickLimit = 2400;

bool isWaitStep(LinkStep step)
{
    return step == LinkStep::AwaitingWakeUp || step == LinkStep::AwaitingReply || step == LinkStep::ProbeFirstAnswer
           || step == LinkStep::ProbeSecondAnswer;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TesterState s;
    FakeSerialPort port;
    FakeView view;
    SampleCheck samples(s);
    TesterEngine engine(s, port, view);
    engine.setSampleListener(&samples);
    engine.decoder().setClock([] { return QDateTime(QDate(2026, 1, 5), QTime(8, 0)); });

    int waited = 0, ticks = 0;
    LinkStep lastSeq = LinkStep::Idle;
    for (const TesterStep &step : readSteps(data, size)) {
        port.queueInput(step.bytes);
        takeAction(engine, step.action);
        for (int tick = ticksOf(step.ticks); tick > 0 && ticks++ < TickLimit; --tick) {
            engine.pollTick();
            waited = isWaitStep(s.link.step) && s.link.step == lastSeq ? waited + 1 : 0;
            lastSeq = s.link.step;
            fuzzCheck(waited < ReplyTimeoutTicks, "no answer is awaited beyond the reply timeout");
        }
    }
    for (int columns : {1, 600})
        reduceTrend(samples.history, columns);
    return 0;
}
