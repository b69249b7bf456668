#pragma once

#include <QtGlobal>

struct BenchScale;

// Nanoseconds to append one sample line to an open data log (format and
// write), median of several runs, in a scratch file under the temp folder;
// -1 when the file could not be opened.
qint64 logLineNanoseconds(const BenchScale &scale);

// Nanoseconds of the poll ticks from the tester's "+" to the sample's line
// in an open data log (the idle tick that asks for the record, the tick
// that reads it, the tick that decodes and logs it), median of several
// runs; with `archived`, the sample also goes to an SQLite run archive.
// -1 when not every sample reached the log.
qint64 plusToLogLineNanoseconds(const BenchScale &scale, bool archived);
