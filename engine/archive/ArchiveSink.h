#pragma once

#include "engine/archive/ArchiveRecord.h"

// Where the run recorder hands its records: the archive's writer in the
// program, a list in tests. post() runs on the user-interface thread inside
// the poll tick, so it only queues.
class ArchiveSink
{
public:
    virtual ~ArchiveSink() = default;
    virtual void post(ArchiveRecord &&record) = 0;
};
