#include "features/procedures/MasterDialog.h"

#include "engine/procedures/MasterReset.h"
#include "engine/state/MessageDialogs.h"
#include "engine/state/TesterState.h"
#include "ui/ControlNames.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

MasterDialog::MasterDialog(TesterState &state, MessageDialogs &messageDialogs, QWidget *parent)
    : QDialog(parent), s(state), dialogs(messageDialogs)
{
    setObjectName("MasterDialog");
    setWindowTitle(QStringLiteral("Tester Master Reset"));
    setModal(true);

    auto *grid = new QGridLayout(this);
    auto field = [this, grid](const char *labelName, const QString &caption, const char *name, const QString &text,
                              const QString &toolTip) {
        return addLabelledEdit(grid, this, caption, name, text, toolTip, labelName);
    };
    serialNumberEdit =
        field("serialNumberLabel", QStringLiteral("Serial Number:"), "serialNumberEdit", s.pending.serialNumber,
              QStringLiteral("8 character value for the serial number (alpha-numeric, no spaces)"));
    modeEdit = field("modeLabel", QStringLiteral("Resistance Mode:"), "modeEdit", QString::number(s.pending.rangeMode),
                     QStringLiteral("The resistance mode (0-pullup, 1-current, 2-voltage)"));
    pullupEdit = field("pullupLabel", QStringLiteral("Pullup Resistance:"), "pullupEdit",
                       QString::number(s.pending.rangePullUp), QStringLiteral("Pullup resistance (>1 ohm)"));

    auto *OKButton = captionedControl<QPushButton>("OKButton", QStringLiteral("OK"), QString(), this);
    auto *CancelButton = captionedControl<QPushButton>("CancelButton", QStringLiteral("Cancel"), QString(), this);
    // Enter cancels: a master reset rewrites the tester's identity.
    OKButton->setAutoDefault(false);
    CancelButton->setAutoDefault(false);
    CancelButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { acceptIfEntriesValid(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    grid->addLayout(buttons, grid->rowCount(), 0, 1, 2);
}

void MasterDialog::acceptIfEntriesValid()
{
    MasterEntries entries;
    const QString problem = checkMasterEntries(serialNumberEdit->text(), modeEdit->text(), pullupEdit->text(), entries);
    if (!problem.isEmpty()) {
        dialogs.showError(QStringLiteral("Master Reset Data Error"), problem);
        return;   // open with the entries as typed
    }
    s.pending.serialNumber = entries.serialNumber;
    s.pending.rangeMode = entries.mode;
    s.pending.rangePullUp = entries.pullUp;
    accept();
}
