#pragma once

struct TesterState;

// The data log line the program writes for this state reads back with its
// counts; a line with a negative count is no sample.
void checkSampleLineReadsBack(const TesterState &s);
