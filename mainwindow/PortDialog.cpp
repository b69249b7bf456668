#include "mainwindow/PortDialog.h"

#include "ui/ControlNames.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { CommColumn, DeviceColumn, DescriptionColumn, ManufacturerColumn, SerialColumn, UsbColumn };

bool sameList(const QList<SerialDevice> &a, const QList<SerialDevice> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const SerialDevice &x, const SerialDevice &y) {
        return x.device == y.device && x.stableName == y.stableName && x.description == y.description
               && x.manufacturer == y.manufacturer && x.serialNumber == y.serialNumber && x.usbId == y.usbId
               && x.comm == y.comm && x.listed == y.listed && x.pinned == y.pinned;
    });
}

}   // namespace

PortDialog::PortDialog(SerialDevices &serialDevices, QWidget *parent) : QDialog(parent), devices(serialDevices)
{
    setObjectName("PortDialog");
    setWindowTitle(QStringLiteral("Serial Port"));

    QLabel *listLabel = buildDeviceList();
    buildSearchChoice();
    QLayout *buttons = buildButtons();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(listLabel);
    layout->addWidget(deviceList, 1);
    layout->addWidget(automaticRadio);
    layout->addWidget(pinnedRadio);
    layout->addLayout(buttons);

    connect(deviceList, &QTreeWidget::currentItemChanged, this, [this] {
        if (deviceList->currentItem())
            pinnedRadio->setChecked(true);
        updateButtons();
    });
    connect(automaticRadio, &QRadioButton::toggled, this, [this] { updateButtons(); });
    // Qt tells nothing when a device comes or goes: look again now and then.
    connect(&refreshTimer, &QTimer::timeout, this, [this] { refresh(); });
    refreshTimer.start(RefreshMs);

    shown = devices.devices();
    showDevices();
    automaticRadio->setChecked(devices.pinnedDevice().isEmpty());
    pinnedRadio->setChecked(!devices.pinnedDevice().isEmpty());
    updateButtons();
}

// The list of serial devices under its label; returns the label.
QLabel *PortDialog::buildDeviceList()
{
    auto *listLabel = new QLabel(QStringLiteral("&Serial devices:"), this);
    deviceList = new QTreeWidget(this);
    deviceList->setObjectName("DeviceList");
    deviceList->setRootIsDecorated(false);
    deviceList->setHeaderLabels({QStringLiteral("Comm"), QStringLiteral("Device"), QStringLiteral("Description"),
                                 QStringLiteral("Manufacturer"), QStringLiteral("Serial number"),
                                 QStringLiteral("USB ID")});
    deviceList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    deviceList->setMinimumWidth(640);
    listLabel->setBuddy(deviceList);
    describeControl(deviceList, QStringLiteral("Serial devices"),
                    QStringLiteral("The serial devices of this computer, and the devices given a port by the "
                                   "command line or the settings"));
    return listLabel;
}

// Search every port, or only the selected device.
void PortDialog::buildSearchChoice()
{
    automaticRadio = captionedControl<QRadioButton>(
        "AutomaticRadio", QStringLiteral("Search every port for the tester"),
        QStringLiteral("The program tries Comm 1 to 16 in turn until a tester answers"), this);
    pinnedRadio = captionedControl<QRadioButton>(
        "PinnedRadio", QStringLiteral("Use only the selected device"),
        QStringLiteral("The program looks for the tester on this device alone, also when it is unplugged "
                       "for a while"),
        this);
}

QLayout *PortDialog::buildButtons()
{
    okButton = captionedControl<QPushButton>("OKButton", QStringLiteral("OK"),
                                             QStringLiteral("Keep this choice and search again"), this);
    auto *cancelButton = captionedControl<QPushButton>("CancelButton", QStringLiteral("Cancel"),
                                                       QStringLiteral("Leave the choice as it was"), this);
    okButton->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    connect(okButton, &QPushButton::clicked, this, [this] { accepted(); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    return buttons;
}

void PortDialog::refresh()
{
    const QList<SerialDevice> now = devices.devices();
    if (sameList(now, shown))
        return;
    shown = now;
    showDevices();
}

void PortDialog::showDevices()
{
    // The selection stays on its device while others come and go.
    const QString selected = deviceList->currentItem() ? deviceList->currentItem()->text(DeviceColumn) : QString();
    const bool automatic = automaticRadio->isChecked();
    const QSignalBlocker quiet(deviceList);
    deviceList->clear();
    QTreeWidgetItem *current = nullptr;
    for (const SerialDevice &d : shown) {
        QString description = d.description;
        if (!d.listed)
            description = QStringLiteral("(not listed by the system)");
        auto *item = new QTreeWidgetItem(deviceList, {d.comm > 0 ? QStringLiteral("Comm %1").arg(d.comm) : QString(),
                                                      d.device, description, d.manufacturer, d.serialNumber, d.usbId});
        if (!d.stableName.isEmpty())
            item->setToolTip(DeviceColumn, d.stableName);
        if (selected.isEmpty() ? d.pinned : d.device == selected)
            current = item;
    }
    deviceList->setCurrentItem(current);
    // Listing again must not undo the operator's choice of the search.
    automaticRadio->setChecked(automatic);
    pinnedRadio->setChecked(!automatic);
    updateButtons();
}

void PortDialog::updateButtons()
{
    okButton->setEnabled(automaticRadio->isChecked() || deviceList->currentItem());
}

QString PortDialog::chosenDevice() const
{
    if (automaticRadio->isChecked() || !deviceList->currentItem())
        return QString();
    const SerialDevice &d = shown.at(deviceList->indexOfTopLevelItem(deviceList->currentItem()));
    // A USB adapter's ttyUSB number changes with the order it was plugged in.
    return d.stableName.isEmpty() ? d.device : d.stableName;
}

void PortDialog::accepted()
{
    const QString device = chosenDevice();
    changed = device != devices.pinnedDevice();
    if (changed)
        devices.pinDevice(device);
    accept();
}
