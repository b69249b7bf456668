#pragma once

#include <QString>

class QLabel;
class QWidget;

// A read-only value box of the main window: a sunken, right-aligned label
// that reads "----" until the tester reports the value. Its size is steady
// (see SetSteadyText); widestText is the longest value it is made for.
QLabel *ValueBox(const QString &name, const QString &toolTip, QWidget *parent,
                 const QString &widestText = QStringLiteral("2044000.00"));

// The readings change with every sample. A label that fits its size to its
// text sends the whole window through its layout on each change; a label of
// fixed size is only repainted. These labels are fixed at the size of the
// longest text they are made for, and grow (never shrink) when a text would
// not fit, so nothing is ever cut off.
void MakeSteady(QLabel *label, const QString &widestText);
void SetSteadyText(QLabel *label, const QString &text);
