#pragma once

class QPainter;
class QRectF;
class TrendHistory;

// The Trend window's charts of a whole run along the cycle count, with its
// legend and its failure marks, drawn into a rectangle of a page (the test
// report's chart page). The charts are laid out at screen size and scaled
// to the rectangle, so a page shows what the window shows.
void paintTrendCharts(QPainter &painter, const QRectF &area, const TrendHistory &history);
