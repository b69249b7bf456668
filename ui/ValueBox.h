#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// A value display: a read-only text field that reads "----" until the value
// is known. A screen reader finds it by its caption (its accessible name)
// and reads its value as text; a label would offer only one of the two.
// Its tool tip is its description. Its size is steady (see setSteadyText);
// widestText is the longest value it is made for.
QLineEdit *valueField(const QString &name, const QString &caption, const QString &toolTip, QWidget *parent,
                      const QString &widestText);

// A value box of the main window: a sunken, right-aligned value field.
QLineEdit *makeValueBox(const QString &name, const QString &caption, const QString &toolTip, QWidget *parent,
                        const QString &widestText = QStringLiteral("2044000.00"));

// The readings change with every sample. A field that fits its size to its
// text sends the whole window through its layout on each change; a field of
// fixed size is only repainted. These fields are fixed at the width of the
// longest text they are made for, and grow (never shrink) when a text would
// not fit, so nothing is ever cut off.
void makeSteady(QLineEdit *field, const QString &widestText);
void setSteadyText(QLineEdit *field, const QString &text);
// The width that shows text whole in the field.
int widthForText(const QLineEdit *field, const QString &text);
