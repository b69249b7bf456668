#pragma once

#include <QString>

class QLabel;
class QWidget;

// A read-only value box of the main window: a sunken, right-aligned label
// that reads "----" until the tester reports the value.
QLabel *ValueBox(const QString &name, const QString &toolTip, QWidget *parent);
