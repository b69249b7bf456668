#include "features/procedures/ResetDialog.h"

#include "engine/state/TesterState.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Named by its caption, described by its tool tip.
template <typename Widget>
Widget *control(const char *name, const char *caption, const char *toolTip, QWidget *parent)
{
    auto *widget = new Widget(QString::fromLatin1(caption), parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setToolTip(QString::fromLatin1(toolTip));
    widget->setAccessibleName(widget->text());
    widget->setAccessibleDescription(widget->toolTip());
    return widget;
}

}   // namespace

ResetDialog::ResetDialog(TesterState &state, QWidget *parent) : QDialog(parent), s(state)
{
    setObjectName("ResetDialog");
    setWindowTitle(QStringLiteral("Reset Test Results"));
    setModal(true);

    auto *warningTitleLabel = new QLabel(QStringLiteral("Warning!"), this);
    warningTitleLabel->setObjectName("warningTitleLabel");
    QFont bold = warningTitleLabel->font();
    bold.setBold(true);
    warningTitleLabel->setFont(bold);
    auto *warningLabel =
        new QLabel(QStringLiteral("This operation will clear the stored test data in the Cycle Tester.  "
                                  "This includes the cycle and fail counts.  Select only the values that "
                                  "need to be cleared."),
                   this);
    warningLabel->setObjectName("warningLabel");
    warningLabel->setWordWrap(true);
    warningLabel->setMinimumWidth(320);

    clearCyclesCheck =
        control<QCheckBox>("clearCyclesCheck", "Cycle Count", "If checked, the cycle count will be cleared", this);
    clearFailuresCheck =
        control<QCheckBox>("clearFailuresCheck", "Fail Count", "If checked, the fail count will be cleared", this);
    clearSeqFailuresCheck = control<QCheckBox>("clearSeqFailuresCheck", "Sequential Fail Count",
                                               "If checked, the sequential fail count will be cleared", this);
    clearMinMaxCheck = control<QCheckBox>("clearMinMaxCheck", "Min / Max Values",
                                          "If checked, the min & max test results will be cleared", this);
    auto *OKButton = control<QPushButton>("OKButton", "OK", "Clear the checked items", this);
    auto *CancelButton = control<QPushButton>("CancelButton", "Cancel", "Don't clear any items", this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { acceptChosenCounters(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { reject(); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(warningTitleLabel);
    layout->addWidget(warningLabel);
    for (QCheckBox *box : {clearCyclesCheck, clearFailuresCheck, clearSeqFailuresCheck, clearMinMaxCheck})
        layout->addWidget(box);
    layout->addLayout(buttons);
}

void ResetDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Each showing starts from "clear everything", never from the last choice.
    for (QCheckBox *box : {clearCyclesCheck, clearFailuresCheck, clearSeqFailuresCheck, clearMinMaxCheck})
        box->setChecked(true);
}

void ResetDialog::acceptChosenCounters()
{
    s.session.clearCycleCount = clearCyclesCheck->isChecked();
    s.session.clearFailCount = clearFailuresCheck->isChecked();
    s.session.clearSeqCount = clearSeqFailuresCheck->isChecked();
    s.session.clearMinMax = clearMinMaxCheck->isChecked();
    accept();
}
