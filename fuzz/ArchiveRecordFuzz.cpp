// The archive's spool entries read back from any bytes. A record the
// decoder accepts is written back as the same bytes; its numbers go into a
// state record as reading a run does, and the data log line an exported run
// gets from it reads back when its time fits the log's four-digit year.

#include "FuzzSupport.h"
#include "SampleLineCheck.h"

#include "engine/archive/ArchiveRecord.h"
#include "engine/datalog/DataLog.h"
#include "engine/state/TesterState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    ArchiveRecord record;
    if (!decodeArchiveRecord(bytes, record))
        return 0;
    fuzzCheck(encodeArchiveRecord(record) == bytes, "a record read back is written as it was");

    TesterState s;
    if (record.kind == ArchiveRecord::Sample)
        applySampleNumbers(s, record.numbers);
    else
        applyConfigNumbers(s, record.numbers, record.text);
    s.vUpdateTime = record.at();
    const int year = s.vUpdateTime.date().year();
    if (year >= 1000 && year <= 9999)
        checkSampleLineReadsBack(s);
    else
        sampleLogLine(s);
    return 0;
}
