#include "mainwindow/frmAbout.h"

#include "mainwindow/SysInfoTool.h"
#include "mainwindow/SystemInfoDialog.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QFrame *separatorLine(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setObjectName("Line1");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent), findTool(FindSysInfoTool), startTool(StartSysInfoTool)
{
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("About ") + title());

    auto *picIcon = new QLabel(this);
    picIcon->setObjectName("picIcon");
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    picIcon->setPixmap(icon.pixmap(48, 48));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *lblTitle = new QLabel(title(), this);
    lblTitle->setObjectName("lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    auto *lblVersion = new QLabel(versionText(), this);
    lblVersion->setObjectName("lblVersion");
    auto *lblDescription =
        new QLabel(QStringLiteral("This application controls the Model 418C Life Cycle Test System."), this);
    lblDescription->setObjectName("lblDescription");
    lblDescription->setWordWrap(true);
    auto *lblDisclaimer = new QLabel(
        QStringLiteral("This program drives test equipment. Check the configuration before starting a test "
                       "and keep clear of the piston while the tester runs."),
        this);
    lblDisclaimer->setObjectName("lblDisclaimer");
    lblDisclaimer->setWordWrap(true);

    auto *cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);   // Escape rejects the dialog, so OK is also the cancel button
    auto *cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName("cmdSysInfo");
    cmdSysInfo->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { StartSysInfo(); });

    auto *text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addSpacing(6);
    text->addWidget(lblDescription);
    auto *top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addLayout(text, 1);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblDisclaimer, 1);
    bottom->addLayout(buttons);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(separatorLine(this));
    layout->addWidget(separatorLine(this));
    layout->addLayout(bottom);
    setMinimumWidth(440);
}

QString frmAbout::title()
{
    return QStringLiteral("Model 418C Life Cycle Tester");
}

QString frmAbout::versionText()
{
    return QStringLiteral("Version ") + QStringLiteral(LIFECYCLE_VERSION);
}

void frmAbout::StartSysInfo()
{
    const QStringList tool = findTool ? findTool() : QStringList();
    if (!tool.isEmpty() && startTool && startTool(tool))
        return;
    // No tool, or it would not start: what the program knows itself.
    SystemInfoDialog info(SystemInfoDialog::Text(title() + QStringLiteral(", ") + versionText().toLower(),
                                                 devices ? devices->devices() : QList<SerialDevice>()),
                          this);
    info.exec();
}
