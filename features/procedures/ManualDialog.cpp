#include "features/procedures/ManualDialog.h"

#include "engine/procedures/ManualControl.h"
#include "ui/ControlNames.h"
#include "ui/FailureCheckBox.h"
#include "ui/ValueBox.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

ManualDialog::ManualDialog(ManualControl &manualControl, QWidget *parent) : QDialog(parent), control(manualControl)
{
    setObjectName("ManualDialog");
    setWindowTitle(QStringLiteral("Manual Control"));
    setModal(true);

    auto button = [this](const char *name, const QString &caption, const QString &toolTip) {
        return captionedControl<QPushButton>(name, caption, toolTip, this);
    };
    auto *PistonDownBtn = button("PistonDownBtn", QStringLiteral("Down"), QStringLiteral("Activates the air cylinder"));
    auto *PistonUpBtn = button("PistonUpBtn", QStringLiteral("Up"), QStringLiteral("Deactivates the air cylinder"));
    auto *ReadDataBtn =
        button("ReadDataBtn", QStringLiteral("Read Data"), QStringLiteral("Reads the current contact value"));
    auto *CloseButton =
        button("CloseButton", QStringLiteral("Close"), QStringLiteral("Closes the manual control dialog"));
    // The box shows the tester's status; a click cannot change it.
    PistonCheck =
        new FailureCheckBox(QStringLiteral("Piston"), QStringLiteral("Checked if the air cylinder is active"), this);
    PistonCheck->setObjectName("PistonCheck");
    describeControl(PistonCheck, PistonCheck->text(), PistonCheck->toolTip());
    readingBox = valueField(QStringLiteral("readingBox"), QStringLiteral("Contact reading"),
                            QStringLiteral("The last contact measurement"), this, QStringLiteral("000000.000"));
    readingBox->setAlignment(Qt::AlignCenter);

    connect(PistonDownBtn, &QPushButton::clicked, this, [this] { control.lowerPiston(); });
    connect(PistonUpBtn, &QPushButton::clicked, this, [this] { control.raisePiston(); });
    connect(ReadDataBtn, &QPushButton::clicked, this, [this] { control.readData(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *grid = new QGridLayout(this);
    grid->addWidget(PistonDownBtn, 0, 0);
    grid->addWidget(PistonUpBtn, 1, 0);
    grid->addWidget(PistonCheck, 0, 1, 2, 1);
    grid->addWidget(ReadDataBtn, 2, 0);
    grid->addWidget(readingBox, 2, 1);
    grid->addWidget(CloseButton, 3, 0, 1, 2, Qt::AlignHCenter);

    connect(&control, &ManualControl::changed, this, &ManualDialog::showState);
    showState();
}

ManualDialog::~ManualDialog() = default;

void ManualDialog::showState()
{
    PistonCheck->setFailed(control.pistonTicked());
    setSteadyText(readingBox, control.reading());
}

// Close, Escape, the close box and the end of the session all come here.
void ManualDialog::done(int result)
{
    control.closeManual();
    QDialog::done(result);
}
