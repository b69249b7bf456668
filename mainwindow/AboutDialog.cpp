#include "mainwindow/AboutDialog.h"

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
    line->setObjectName("separatorLine");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}   // namespace

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), findTool(findSysInfoTool), startTool(startSysInfoTool)
{
    setObjectName("AboutDialog");
    setWindowTitle(QStringLiteral("About ") + title());

    QLayout *heading = buildHeading();
    QLayout *footer = buildFooter();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(separatorLine(this));
    layout->addWidget(separatorLine(this));
    layout->addLayout(footer);
    setMinimumWidth(440);
}

// The program's icon beside its title, version and purpose.
QLayout *AboutDialog::buildHeading()
{
    auto *programIcon = new QLabel(this);
    programIcon->setObjectName("programIcon");
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_ComputerIcon);
    programIcon->setPixmap(icon.pixmap(48, 48));
    programIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *titleLabel = new QLabel(title(), this);
    titleLabel->setObjectName("titleLabel");
    QFont titleFont = titleLabel->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    titleLabel->setFont(titleFont);
    auto *versionLabel = new QLabel(versionText(), this);
    versionLabel->setObjectName("versionLabel");
    auto *descriptionLabel =
        new QLabel(QStringLiteral("This application controls the Model 418C Life Cycle Test System."), this);
    descriptionLabel->setObjectName("descriptionLabel");
    descriptionLabel->setWordWrap(true);

    auto *text = new QVBoxLayout;
    text->addWidget(titleLabel);
    text->addWidget(versionLabel);
    text->addSpacing(6);
    text->addWidget(descriptionLabel);
    auto *heading = new QHBoxLayout;
    heading->addWidget(programIcon, 0, Qt::AlignTop);
    heading->addLayout(text, 1);
    return heading;
}

// The disclaimer beside OK and System Info.
QLayout *AboutDialog::buildFooter()
{
    auto *disclaimerLabel =
        new QLabel(QStringLiteral("This program drives test equipment. Check the configuration before starting a test "
                                  "and keep clear of the piston while the tester runs."),
                   this);
    disclaimerLabel->setObjectName("disclaimerLabel");
    disclaimerLabel->setWordWrap(true);

    auto *okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName("okButton");
    okButton->setDefault(true);   // Escape rejects the dialog, so OK is also the cancel button
    auto *systemInfoButton = new QPushButton(QStringLiteral("&System Info..."), this);
    systemInfoButton->setObjectName("systemInfoButton");
    systemInfoButton->setAutoDefault(false);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(systemInfoButton, &QPushButton::clicked, this, [this] { showSystemInfo(); });

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(okButton);
    buttons->addWidget(systemInfoButton);
    auto *footer = new QHBoxLayout;
    footer->addWidget(disclaimerLabel, 1);
    footer->addLayout(buttons);
    return footer;
}

QString AboutDialog::title()
{
    return QStringLiteral("Model 418C Life Cycle Tester");
}

QString AboutDialog::versionText()
{
    return QStringLiteral("Version ") + QStringLiteral(LIFECYCLE_VERSION);
}

void AboutDialog::showSystemInfo()
{
    const QStringList tool = findTool ? findTool() : QStringList();
    if (!tool.isEmpty() && startTool && startTool(tool))
        return;
    // No tool, or it would not start: what the program knows itself.
    SystemInfoDialog info(SystemInfoDialog::reportText(title() + QStringLiteral(", ") + versionText().toLower(),
                                                       devices ? devices->devices() : QList<SerialDevice>()),
                          this);
    info.exec();
}
