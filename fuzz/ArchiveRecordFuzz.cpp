// The archive's spool entries read back from any bytes. A record the
// decoder accepts is written back as the same bytes (one of the earlier
// layout in today's, with no first cycle count); its numbers go into a
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
    QByteArray expected(bytes.constData(), bytes.size());
    if (expected.at(0) == 1) {
        expected[0] = 2;
        expected += QByteArray(8, '\xff');   // -1, big-endian
    }
    fuzzCheck(encodeArchiveRecord(record) == expected, "a record read back is written as it was");

    TesterState s;
    if (record.kind == ArchiveRecord::Sample)
        applySampleNumbers(s, record.numbers);
    else
        applyConfigNumbers(s, record.numbers, record.text);
    s.counters.updateTime = record.at();
    const int year = s.counters.updateTime.date().year();
    if (year >= 1000 && year <= 9999)
        checkSampleLineReadsBack(s);
    else
        sampleLogLine(s);
    return 0;
}
