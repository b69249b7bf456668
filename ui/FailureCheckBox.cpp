#include "ui/FailureCheckBox.h"

FailureCheckBox::FailureCheckBox(const QString &caption, const QString &toolTip, QWidget *parent)
    : QCheckBox(caption, parent)
{
    setToolTip(toolTip);
    // A screen reader's "toggle" action, and any other route around a
    // click, flips the box directly: put back what the tester reported.
    connect(this, &QAbstractButton::toggled, this, [this](bool ticked) {
        if (ticked != reported)
            setChecked(reported);
    });
}

void FailureCheckBox::setFailed(bool failed)
{
    reported = failed;
    setChecked(failed);
}

void FailureCheckBox::nextCheckState()
{
    // A click would toggle the box; put back what the tester reported.
    setChecked(reported);
}
