#pragma once

#include <QString>

class QLabel;
class QWidget;

// Screen readers and UI automation find a control by its caption or label
// and read its tool tip as its description.
void DescribeControl(QWidget *control, const QString &name, const QString &toolTip);

// A field beside its label: the label is its buddy, names it and carries
// the accelerator.
void LabelField(QLabel *label, QWidget *field, const QString &toolTip);

// A control of the given kind with its caption as its accessible name.
template <typename Control>
Control *CaptionedControl(const char *objectName, const QString &caption, const QString &toolTip, QWidget *parent)
{
    auto *control = new Control(caption, parent);
    control->setObjectName(QString::fromLatin1(objectName));
    DescribeControl(control, caption, toolTip);
    return control;
}
