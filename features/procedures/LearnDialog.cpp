#include "features/procedures/LearnDialog.h"

#include "ui/ControlNames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

// Contact bits a learned configuration always tests: both strokes; with
// bounce, the bounce of both strokes as well.
constexpr int16_t BothStrokes = 16 | 32;
constexpr int16_t BothStrokesWithBounce = BothStrokes | 64 | 128;

QLabel *textLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

}   // namespace

LearnDialog::LearnDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName("LearnDialog");
    setWindowTitle(QStringLiteral("Learn Switch Parameters"));
    setModal(true);

    auto *switchTypeLabel = textLabel("switchTypeLabel", QStringLiteral("Switch Type:"), this);
    switchTypeSelect = new QComboBox(this);
    switchTypeSelect->setObjectName("switchTypeSelect");
    switchTypeSelect->addItems({QStringLiteral("Normally Open"), QStringLiteral("Normally Closed")});
    labelField(switchTypeLabel, switchTypeSelect, QStringLiteral("Sets the non-activated contact type"));
    includeBounceCheck = captionedControl<QCheckBox>(
        "includeBounceCheck", QStringLiteral("Include Bounce"),
        QStringLiteral("The resulting configuration will have bounce testing enabled"), this);
    includeBounceCheck->setChecked(true);

    auto *instructionsLabel =
        textLabel("instructionsLabel",
                  QStringLiteral("Select the contact type before learning the switch.  "
                                 "Verify the positioning and that the switch is a golden master."),
                  this);
    auto *warningTitleLabel = textLabel("warningTitleLabel", QStringLiteral("Warning!"), this);
    QFont bold = warningTitleLabel->font();
    bold.setBold(true);
    warningTitleLabel->setFont(bold);
    auto *warningLabel = textLabel("warningLabel",
                                   QStringLiteral("Learning an new configuration will destroy the current "
                                                  "configuration in the tester and will clear all previous test "
                                                  "results."),
                                   this);
    warningLabel->setMinimumWidth(320);

    auto *OKButton =
        captionedControl<QPushButton>("OKButton", QStringLiteral("OK"),
                                      QStringLiteral("Accepts the chosen configuration and starts learn cycles"), this);
    auto *CancelButton = captionedControl<QPushButton>("CancelButton", QStringLiteral("Cancel"),
                                                       QStringLiteral("Cancels learn mode"), this);
    // Enter cancels, whichever button has the focus: the learn destroys the
    // tester's configuration and results.
    OKButton->setAutoDefault(false);
    CancelButton->setAutoDefault(false);
    CancelButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { acceptSwitchType(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout(this);
    grid->addWidget(switchTypeLabel, 0, 0);
    grid->addWidget(switchTypeSelect, 0, 1);
    grid->addWidget(includeBounceCheck, 1, 1);
    grid->addWidget(instructionsLabel, 2, 0, 1, 2);
    grid->addWidget(warningTitleLabel, 3, 0, 1, 2);
    grid->addWidget(warningLabel, 4, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    grid->addLayout(buttons, 5, 0, 1, 2);
}

void LearnDialog::acceptSwitchType()
{
    chosen.DoBounce = includeBounceCheck->isChecked();
    chosen.xContact =
        int16_t((switchTypeSelect->currentIndex() + 1) | (chosen.DoBounce ? BothStrokesWithBounce : BothStrokes));
    chosen.LearnGo = true;
    accept();
}
