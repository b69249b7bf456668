#include "SampleLineCheck.h"

#include "FuzzSupport.h"

#include "engine/datalog/DataLog.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendLogReader.h"

void CheckSampleLineReadsBack(const TesterState &s)
{
    const QByteArray line = SampleLine(s).toLatin1();
    TrendReading read;
    const bool parsed = ParseTrendLine(line.constData(), line.constData() + line.size(), read);
    if (s.CycleCount < 0 || s.FailCount < 0 || s.SeqCount < 0) {
        FuzzCheck(!parsed, "a line with a negative count is no sample");
        return;
    }
    if (!parsed)
        std::fprintf(stderr, "line: %s\n", line.constData());
    FuzzCheck(parsed, "a data log line the program wrote reads back");
    FuzzCheck(read.cycleCount == s.CycleCount && read.failCount == s.FailCount,
              "a data log line reads back with its counts");
}
