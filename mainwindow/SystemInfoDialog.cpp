#include "mainwindow/SystemInfoDialog.h"

#include "ui/ControlNames.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QSysInfo>
#include <QVBoxLayout>

namespace {

QString deviceLine(const SerialDevice &d)
{
    QStringList facts;
    for (const QString &fact : {d.description, d.manufacturer})
        if (!fact.isEmpty())
            facts << fact;
    if (!d.serialNumber.isEmpty())
        facts << QStringLiteral("serial number ") + d.serialNumber;
    if (!d.usbId.isEmpty())
        facts << QStringLiteral("USB ") + d.usbId;
    if (!d.listed)
        facts << QStringLiteral("not listed by the system");
    if (d.pinned)
        facts << QStringLiteral("the tester is pinned to it");
    QString line = QStringLiteral("  ") + (d.comm > 0 ? QStringLiteral("Comm %1: ").arg(d.comm) : QString()) + d.device;
    if (!d.stableName.isEmpty())
        line += QStringLiteral(" (") + d.stableName + QLatin1Char(')');
    if (!facts.isEmpty())
        line += QStringLiteral(" - ") + facts.join(QStringLiteral(", "));
    return line;
}

}   // namespace

SystemInfoDialog::SystemInfoDialog(const QString &text, QWidget *parent) : QDialog(parent)
{
    setObjectName("SystemInfoDialog");
    setWindowTitle(QStringLiteral("System Information"));

    auto *info = new QPlainTextEdit(text, this);
    info->setObjectName("SystemInfoText");
    info->setReadOnly(true);
    info->setLineWrapMode(QPlainTextEdit::NoWrap);
    describeControl(info, QStringLiteral("System information"),
                    QStringLiteral("The program, Qt and the operating system, and the serial devices"));
    info->setMinimumSize(560, 220);
    auto *closeButton = captionedControl<QPushButton>("CloseButton", QStringLiteral("Close"),
                                                      QStringLiteral("Closes the system information"), this);
    closeButton->setDefault(true);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(info, 1);
    layout->addLayout(buttons);
}

QString SystemInfoDialog::reportText(const QString &programLine, const QList<SerialDevice> &devices)
{
    QStringList lines;
    lines << programLine;
    lines
        << QStringLiteral("Qt %1 (built with %2)").arg(QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR));
    lines << QStringLiteral("Operating system: %1, %2 %3 (%4)")
                 .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion(),
                      QSysInfo::currentCpuArchitecture());
    lines << QStringLiteral("Serial devices:");
    for (const SerialDevice &d : devices)
        lines << deviceLine(d);
    if (devices.isEmpty())
        lines << QStringLiteral("  none found");
    return lines.join(QLatin1Char('\n'));
}
