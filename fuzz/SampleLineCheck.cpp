#include "SampleLineCheck.h"

#include "FuzzSupport.h"

#include "engine/datalog/DataLog.h"
#include "engine/state/TesterState.h"
#include "engine/trend/TrendLogReader.h"

void checkSampleLineReadsBack(const TesterState &s)
{
    const QByteArray line = sampleLogLine(s).toLatin1();
    TrendReading read;
    const bool parsed = parseTrendLine(line.constData(), line.constData() + line.size(), read);
    if (s.counters.cycleCount < 0 || s.counters.failCount < 0 || s.counters.seqCount < 0) {
        fuzzCheck(!parsed, "a line with a negative count is no sample");
        return;
    }
    if (!parsed)
        std::fprintf(stderr, "line: %s\n", line.constData());
    fuzzCheck(parsed, "a data log line the program wrote reads back");
    fuzzCheck(read.cycleCount == s.counters.cycleCount && read.failCount == s.counters.failCount,
              "a data log line reads back with its counts");
}
