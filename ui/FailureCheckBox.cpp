#include "ui/FailureCheckBox.h"

FailureCheckBox::FailureCheckBox(const QString &caption, const QString &toolTip, QWidget *parent)
    : QCheckBox(caption, parent)
{
    setToolTip(toolTip);
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
