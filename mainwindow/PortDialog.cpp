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

} // namespace

PortDialog::PortDialog(SerialDevices &serialDevices, QWidget *parent)
    : QDialog(parent), devices(serialDevices)
{
    setObjectName("PortDialog");
    setWindowTitle(QStringLiteral("Serial Port"));

    QLabel *listLabel = buildDeviceList();
    buildSearchChoice();
    QLayout *buttons = buildButtons();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(listLabel);
    layout->addWidget(DeviceList, 1);
    layout->addWidget(AutomaticRadio);
    layout->addWidget(PinnedRadio);
    layout->addLayout(buttons);

    connect(DeviceList, &QTreeWidget::currentItemChanged, this, [this] {
        if (DeviceList->currentItem())
            PinnedRadio->setChecked(true);
        updateButtons();
    });
    connect(AutomaticRadio, &QRadioButton::toggled, this, [this] { updateButtons(); });
    // Qt tells nothing when a device comes or goes: look again now and then.
    connect(&refreshTimer, &QTimer::timeout, this, [this] { refresh(); });
    refreshTimer.start(RefreshMs);

    shown = devices.devices();
    showDevices();
    AutomaticRadio->setChecked(devices.pinnedDevice().isEmpty());
    PinnedRadio->setChecked(!devices.pinnedDevice().isEmpty());
    updateButtons();
}

// The list of serial devices under its label; returns the label.
QLabel *PortDialog::buildDeviceList()
{
    auto *listLabel = new QLabel(QStringLiteral("&Serial devices:"), this);
    DeviceList = new QTreeWidget(this);
    DeviceList->setObjectName("DeviceList");
    DeviceList->setRootIsDecorated(false);
    DeviceList->setHeaderLabels({QStringLiteral("Comm"), QStringLiteral("Device"), QStringLiteral("Description"),
                                 QStringLiteral("Manufacturer"), QStringLiteral("Serial number"),
                                 QStringLiteral("USB ID")});
    DeviceList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    DeviceList->setMinimumWidth(640);
    listLabel->setBuddy(DeviceList);
    DescribeControl(DeviceList, QStringLiteral("Serial devices"),
                    QStringLiteral("The serial devices of this computer, and the devices given a port by the "
                                   "command line or the settings"));
    return listLabel;
}

// Search every port, or only the selected device.
void PortDialog::buildSearchChoice()
{
    AutomaticRadio = CaptionedControl<QRadioButton>(
        "AutomaticRadio", QStringLiteral("Search every port for the tester"),
        QStringLiteral("The program tries Comm 1 to 16 in turn until a tester answers"), this);
    PinnedRadio = CaptionedControl<QRadioButton>(
        "PinnedRadio", QStringLiteral("Use only the selected device"),
        QStringLiteral("The program looks for the tester on this device alone, also when it is unplugged "
                       "for a while"),
        this);
}

QLayout *PortDialog::buildButtons()
{
    OKButton = CaptionedControl<QPushButton>("OKButton", QStringLiteral("OK"),
                                             QStringLiteral("Keep this choice and search again"), this);
    auto *CancelButton = CaptionedControl<QPushButton>("CancelButton", QStringLiteral("Cancel"),
                                                       QStringLiteral("Leave the choice as it was"), this);
    OKButton->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    connect(OKButton, &QPushButton::clicked, this, [this] { accepted(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
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
    const QString selected = DeviceList->currentItem() ? DeviceList->currentItem()->text(DeviceColumn) : QString();
    const bool automatic = AutomaticRadio->isChecked();
    const QSignalBlocker quiet(DeviceList);
    DeviceList->clear();
    QTreeWidgetItem *current = nullptr;
    for (const SerialDevice &d : shown) {
        QString description = d.description;
        if (!d.listed)
            description = QStringLiteral("(not listed by the system)");
        auto *item = new QTreeWidgetItem(DeviceList, {d.comm > 0 ? QStringLiteral("Comm %1").arg(d.comm) : QString(),
                                                      d.device, description, d.manufacturer, d.serialNumber,
                                                      d.usbId});
        if (!d.stableName.isEmpty())
            item->setToolTip(DeviceColumn, d.stableName);
        if (selected.isEmpty() ? d.pinned : d.device == selected)
            current = item;
    }
    DeviceList->setCurrentItem(current);
    // Listing again must not undo the operator's choice of the search.
    AutomaticRadio->setChecked(automatic);
    PinnedRadio->setChecked(!automatic);
    updateButtons();
}

void PortDialog::updateButtons()
{
    OKButton->setEnabled(AutomaticRadio->isChecked() || DeviceList->currentItem());
}

QString PortDialog::chosenDevice() const
{
    if (AutomaticRadio->isChecked() || !DeviceList->currentItem())
        return QString();
    const SerialDevice &d = shown.at(DeviceList->indexOfTopLevelItem(DeviceList->currentItem()));
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
