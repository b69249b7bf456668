#pragma once

#include "engine/archive/ArchiveSink.h"

#include <vector>

// The archive for tests: keeps every record it was handed, in order.
class FakeArchiveSink : public ArchiveSink
{
public:
    void post(ArchiveRecord &&record) override { records.push_back(std::move(record)); }
    std::vector<ArchiveRecord> records;
};
