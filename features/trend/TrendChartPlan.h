#pragma once

#include "engine/trend/TrendReduction.h"

#include <QColor>
#include <QString>
#include <vector>

// The colours of the Trend window, one meaning each, as its legend names them.
namespace TrendColors {
inline const QColor Down(31, 119, 180);
inline const QColor Up(230, 120, 20);
inline const QColor Failure(200, 30, 30);
inline const QColor Open(120, 60, 160);
inline const QColor Session(120, 120, 120);
}   // namespace TrendColors

enum class TrendLineKind { Reading, Limit };

struct TrendLinePlan
{
    TrendLineKind kind;
    int index;   // a TrendSeries or a TrendLimitSeries
    QColor color;
    const char *name;   // a reading's name for the readout and screen readers; nullptr for a limit
};

// One chart of the Trend window: what it draws and what it is called.
struct TrendChartPlan
{
    const char *objectName;
    const char *title;
    const char *unit;   // nullptr: the unit of the measurement mode
    std::vector<TrendLinePlan> lines;
    std::vector<int> openStrokes;
    bool counting;   // its values are counts: whole-number ticks
    int stretch;     // its share of the window's height
};

const std::vector<TrendChartPlan> &trendChartPlans();

// The unit of the contact readings of a run; a run whose mode changed names
// each in turn.
QString contactUnit(const TrendHistory &history);
// A value as the readout and the descriptions write it (full stop, no
// grouping, whatever the locale).
QString trendNumber(double value);
// One sample read out for a chart: cycle, time, the chart's values with their
// unit, and whether the sample brought a new failure.
QString trendReadout(const TrendHistory &history, size_t index, const TrendChartPlan &chart);
// The legend: each colour and line style named once, as rich text and as
// plain text for screen readers.
QString trendLegendHtml();
QString trendLegendText();
