#pragma once

#include <QDateTime>
#include <QString>

// Reads a moment the runs are chosen by, as the command line and the web view
// take it: "YYYY-MM-DD" (the start of that day in local time, or its last
// millisecond with endOfDay), "Nd" (N days before now, N up to 36500) or an
// ISO 8601 date and time ("2026-12-07T14:02:11", local unless it ends in "Z"
// or an offset). Empty when read, else what is wrong with the text.
QString readRunMoment(const QString &text, const QDateTime &now, bool endOfDay, QDateTime &moment);
