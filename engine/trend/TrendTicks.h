#pragma once

#include <QList>
#include <QString>

// A labelled place along an axis.
struct TrendTick
{
    double value;
    QString label;
};

// Ticks at round values (1, 2 or 5 times a power of ten) from low to high,
// no more than maxTicks; on an axis of counts only whole numbers.
QList<TrendTick> valueAxisTicks(double low, double high, int maxTicks, bool counting);

// Ticks at round times (seconds, minutes, hours, days) between two wall-clock
// times in milliseconds; the date is named at the first tick and wherever it
// changes.
QList<TrendTick> timeTicks(double fromMs, double toMs, int maxTicks);

// Whether new-failure marks usually stand closer than a few pixels: as
// full-height lines they would cover the chart, so they are drawn as short
// ticks along its bottom.
bool failureMarksCrowded(const QList<double> &failureAt, double pixelsPerUnit);
