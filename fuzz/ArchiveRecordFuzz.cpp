// The archive's spool entries read back from any bytes. A record the
// decoder accepts is written back as the same bytes (one of the earlier
// layout in today's, with no first cycle count); its numbers go into a
// state record as reading a run does, and the data log line an exported run
// gets from it reads back when its time fits the log's four-digit year. A
// run's description, bounded as the archive keeps it, stays bounded.

#include "FuzzSupport.h"
#include "SampleLineCheck.h"

#include "engine/archive/ArchiveRecord.h"
#include "engine/archive/RunDescription.h"
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

    if (record.kind == ArchiveRecord::RunDescribed) {
        // The archive keeps a description only as bounding leaves it.
        const RunDescription kept = boundedDescription(descriptionOf(record));
        fuzzCheck(kept.part.size() <= RunPartMaxLength && kept.operatorName.size() <= RunOperatorMaxLength
                      && kept.notes.size() <= RunNotesMaxLength,
                  "a kept description is bounded");
        fuzzCheck(!kept.part.contains(u'\n') && !kept.operatorName.contains(u'\t') && !kept.notes.contains(u'\r'),
                  "a kept part and operator are one line");
        fuzzCheck(boundedDescription(kept) == kept, "a kept description is kept as it is");
        return 0;
    }
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
