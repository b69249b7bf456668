#pragma once

#include "simulator/SimulatorConfig.h"

#include <QDateTime>
#include <QString>
#include <cstdint>

// The shape of a long simulated run: how many samples, and how often the
// program was closed for the night while the tester ran on.
struct SimulatedRunPlan
{
    int64_t samples = 100000;
    int64_t samplesPerSession = 50000;   // samples between two nights (about 14 hours)
    int nightMinutes = 600;
    QDateTime start = QDateTime(QDate(2026, 11, 30), QTime(8, 0));
};

// Plays the simulated tester, already running with no limits, against the
// program's own engine on simulated time (no waiting: a million samples take
// seconds, not weeks) and writes each sample the engine decodes to a data log
// at path, as the program would; the nights leave gaps in it. Returns what
// went wrong, empty when the log is complete.
QString writeSimulatedRunLog(const QString &path, const SimulatorConfig &config, const SimulatedRunPlan &plan);
