#pragma once

#include "engine/link/SerialDevices.h"

#include <QDialog>

// The program's own system information, where the platform has no tool
// for it: program and Qt versions, the operating system and the serial
// devices, as selectable text to copy into a support request.
class SystemInfoDialog : public QDialog
{
public:
    explicit SystemInfoDialog(const QString &text, QWidget *parent = nullptr);

    // The text: the program's version line, Qt's run-time and build
    // versions, the operating system, one line per serial device.
    static QString reportText(const QString &programLine, const QList<SerialDevice> &devices);
};
