#include "ui/ControlNames.h"

#include <QLabel>

void DescribeControl(QWidget *control, const QString &name, const QString &toolTip)
{
    control->setAccessibleName(QString(name).remove(QLatin1Char('&')));
    control->setToolTip(toolTip);
    control->setAccessibleDescription(toolTip);
}

void LabelField(QLabel *label, QWidget *field, const QString &toolTip)
{
    label->setBuddy(field);
    DescribeControl(field, label->text(), toolTip);
}
