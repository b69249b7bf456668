#pragma once

#include "engine/link/SerialDevices.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QLayout;
class QPushButton;
class QRadioButton;
class QTreeWidget;

// Run, Port...: the serial devices of this machine with their Comm numbers
// and what the system knows of them, and the operator's choice: search
// every port for the tester, or pin it to the selected device. The list
// follows devices that are plugged in or pulled out while it is open. OK
// stores the choice; `changed` tells whether it differs from before.
class PortDialog : public QDialog
{
public:
    explicit PortDialog(SerialDevices &devices, QWidget *parent = nullptr);

    void refresh();   // lists the devices again if they changed
    bool changed = false;

    static constexpr int RefreshMs = 2000;

private:
    QLabel *buildDeviceList();
    void buildSearchChoice();
    QLayout *buildButtons();
    void showDevices();
    void updateButtons();
    void accepted();
    QString chosenDevice() const;   // what a pin to the selected device stores

    SerialDevices &devices;
    QList<SerialDevice> shown;
    QTreeWidget *deviceList;
    QRadioButton *automaticRadio, *pinnedRadio;
    QPushButton *okButton;
    QTimer refreshTimer;
};
