#pragma once

#include <QString>

class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;

// Screen readers and UI automation find a control by its caption or label
// and read its tool tip as its description.
void describeControl(QWidget *control, const QString &name, const QString &toolTip);

// A field beside its label: the label is its buddy, names it and carries
// the accelerator.
void labelField(QLabel *label, QWidget *field, const QString &toolTip);

// A text field and its label as the next row of a two-column grid; the
// label gets labelName as its object name when one is given.
QLineEdit *addLabelledEdit(QGridLayout *grid, QWidget *parent, const QString &caption, const char *name,
                           const QString &text, const QString &toolTip, const char *labelName = nullptr);

// A control of the given kind with its caption as its accessible name.
template <typename Control>
Control *captionedControl(const char *objectName, const QString &caption, const QString &toolTip, QWidget *parent)
{
    auto *control = new Control(caption, parent);
    control->setObjectName(QString::fromLatin1(objectName));
    describeControl(control, caption, toolTip);
    return control;
}
