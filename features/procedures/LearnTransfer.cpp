#include "features/procedures/LearnTransfer.h"

#include "ui/ControlNames.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

LearnTransfer::LearnTransfer(const TesterState &state, QWidget *parent) : QDialog(parent), s(state)
{
    setObjectName("LearnTransfer");
    setWindowTitle(QStringLiteral("Learning Switch"));
    setModal(true);

    auto *pleaseWaitLabel = new QLabel(QStringLiteral("Please wait while the switch contacts are being tested."), this);
    pleaseWaitLabel->setObjectName("pleaseWaitLabel");
    progressBar = new QProgressBar(this);
    progressBar->setObjectName("progressBar");
    progressBar->setRange(0, LearnProgress::LastTick);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    describeControl(progressBar, QStringLiteral("Learn progress"),
                    QStringLiteral("Indicates progress of learn cycles"));
    auto *CancelButton = captionedControl<QPushButton>("CancelButton", QStringLiteral("Cancel"),
                                                       QStringLiteral("Cancels the learn mode"), this);
    CancelButton->setDefault(true);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    learnTimer = new QTimer(this);
    learnTimer->setObjectName("learnTimer");
    learnTimer->setInterval(1000);
    connect(learnTimer, &QTimer::timeout, this, [this] { tick(); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pleaseWaitLabel);
    layout->addWidget(progressBar);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CancelButton);
    buttons->addStretch(1);
    layout->addLayout(buttons);
}

void LearnTransfer::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!loaded) {
        loaded = true;
        learnTimer->start();
    }
}

void LearnTransfer::tick()
{
    if (progress.tick(s)) {
        done(progress.Canceled ? Rejected : Accepted);
        return;
    }
    progressBar->setValue(progress.value());
}

void LearnTransfer::done(int result)
{
    learnTimer->stop();
    QDialog::done(result);
}
