#pragma once

#include <QtGlobal>

// Nanoseconds to append one sample line to an open data log (format and
// write), median of several runs, in a scratch file under the temp folder.
qint64 LogLineNanoseconds();
