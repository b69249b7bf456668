#include "mainwindow/ReadingColours.h"

#include "engine/run/RunRules.h"

#include <QPalette>
#include <QWidget>

const QColor ReadingColours::Alarm(200, 0, 0);
const QColor ReadingColours::Stale(150, 150, 150);
const QColor ReadingColours::LimitEnd(0, 85, 190);

void setTextColour(QWidget *widget, const QColor &colour)
{
    const bool own = widget->testAttribute(Qt::WA_SetPalette);
    if (!colour.isValid()) {
        if (own)
            widget->setPalette(QPalette());
        return;
    }
    const QPalette::ColorRole role = widget->foregroundRole();   // Text on a box with a Base background
    if (own && widget->palette().color(QPalette::Active, role) == colour)
        return;
    QPalette palette;
    // Only the enabled look: a disabled box keeps its own grey.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, colour);
        palette.setColor(group, QPalette::Text, colour);
    }
    widget->setPalette(palette);
}

ReadingColours::ReadingColours(QWidget *readings)
{
    struct Named
    {
        const char *suffix;
        const bool ToleranceMarks::*down, ToleranceMarks::*up;
    };
    const Named strokeBoxes[] = {
        {"MaxRBox", &ToleranceMarks::downMax, &ToleranceMarks::upMax},
        {"MinRBox", &ToleranceMarks::downMin, &ToleranceMarks::upMin},
        {"BounceBox", &ToleranceMarks::downBounce, &ToleranceMarks::upBounce},
        {"MaxRLimBox", nullptr, nullptr},
        {"MinRLimBox", nullptr, nullptr},
        {"BounceLimBox", nullptr, nullptr},
        {"LastRBox", nullptr, nullptr},
        {"LastBounceBox", nullptr, nullptr},
        {"LastContactTime", nullptr, nullptr},
    };
    auto add = [&](const QString &name, const bool ToleranceMarks::*mark) {
        if (auto *box = readings->findChild<QWidget *>(name))
            boxes.push_back({box, mark});
    };
    for (const Named &box : strokeBoxes) {
        add(QStringLiteral("Down") + QLatin1String(box.suffix), box.down);
        add(QStringLiteral("Up") + QLatin1String(box.suffix), box.up);
    }
    for (const char *name : {"cycleCountBox", "cycleLimitBox", "failCountBox", "failLimitBox", "seqFailCountBox",
                             "seqFailLimitBox", "sampleDateBox"})
        add(QLatin1String(name), nullptr);
}

void ReadingColours::show(const ToleranceMarks &marks, bool stale)
{
    for (const Box &box : boxes) {
        QColor colour;
        if (stale)
            colour = Stale;
        else if (box.mark && marks.*box.mark)
            colour = Alarm;
        setTextColour(box.field, colour);
    }
}
