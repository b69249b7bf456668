#pragma once

#include <QColor>
#include <vector>

class QWidget;
struct ToleranceMarks;

// Sets the text colour of a widget; an invalid colour returns it to the
// colour of its surroundings. Nothing is repainted when it already shows it.
void setTextColour(QWidget *widget, const QColor &colour);

// The colours of the main window's value boxes: red for a reading beyond
// its tolerance, grey for every reading of the last sample once the link is
// lost (kept, not cleared, and normal again with the next sample).
class ReadingColours
{
public:
    static const QColor Alarm;
    static const QColor Stale;
    static const QColor LimitEnd;   // a run that went as far as its limits let it

    // Finds the value boxes by their names among the children of readings.
    explicit ReadingColours(QWidget *readings);

    void show(const ToleranceMarks &marks, bool stale);

private:
    struct Box
    {
        QWidget *field;
        const bool ToleranceMarks::*mark;   // null for a reading without a tolerance mark
    };
    std::vector<Box> boxes;
};
