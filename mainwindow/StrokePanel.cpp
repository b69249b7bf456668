#include "mainwindow/StrokePanel.h"

#include "ui/FailureCheckBox.h"
#include "ui/ValueBox.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <initializer_list>

namespace {

const QString NotMeasured = QStringLiteral("----");
using Widgets = std::initializer_list<QWidget *>;

QLabel *captionLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QLabel *unitLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("seconds")) + 2);
    return label;
}

// A frame with a measured value, its limit and one unit label beside both.
QGroupBox *valueFrame(const QString &name, const QString &caption, QLineEdit *value, QLineEdit *limit, QLabel *unit,
                      QWidget *parent)
{
    auto *frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    auto *grid = new QGridLayout(frame);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(3);
    grid->addWidget(captionLabel(QStringLiteral("Value"), frame), 0, 0);
    grid->addWidget(value, 0, 1);
    grid->addWidget(captionLabel(QStringLiteral("Limit"), frame), 1, 0);
    grid->addWidget(limit, 1, 1);
    grid->addWidget(unit, 0, 2, 2, 1);
    return frame;
}

}   // namespace

StrokePanel::StrokePanel(const QString &side, QWidget *parent)
    : QGroupBox(side + QStringLiteral(" Stroke"), parent), side(side)
{
    setObjectName(side + QStringLiteral("Frame"));
    buildValueFrames();
    buildLastReadingFrame();
    buildFailureFrame();

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(6);
    grid->addWidget(maxRFrame, 0, 0);
    grid->addWidget(minRFrame, 1, 0);
    grid->addWidget(bounceFrame, 2, 0);
    grid->addWidget(lastReadingFrame, 0, 1, 2, 1);
    grid->addWidget(failureFrame, 2, 1);
    // A taller window makes every frame taller, rather than leaving a gap below them.
    for (int row = 0; row < 3; ++row)
        grid->setRowStretch(row, 1);
}

QString StrokePanel::childName(const char *suffix) const
{
    return side + QLatin1String(suffix);
}

QString StrokePanel::strokeText() const
{
    return side.toLower() + QStringLiteral(" stroke");
}

// A screen reader names each box by the captions around it: "Down Stroke
// Maximum Resistance", "... Limit".
QLineEdit *StrokePanel::strokeBox(const char *suffix, const QString &caption, const QString &toolTip)
{
    return valueBox(childName(suffix), title() + QLatin1Char(' ') + caption, toolTip);
}

// The maximum, minimum and bounce frames: each a value, its limit and a unit.
void StrokePanel::buildValueFrames()
{
    const QString stroke = strokeText();
    const QString ohms = QStringLiteral("ohms");
    const QString limit = QStringLiteral(" Limit");
    const QString maxR = QStringLiteral("Maximum Resistance");
    maxRBox = strokeBox("MaxRBox", maxR, "The maximum contact measurement read on the " + stroke);
    maxRLimBox = strokeBox("MaxRLimBox", maxR + limit, "The maximum contact value tolerance limit for the " + stroke);
    maxUnit = unitLabel(childName("MaxUnit"), ohms, this);
    maxRFrame = valueFrame(childName("MaxRFrame"), maxR, maxRBox, maxRLimBox, maxUnit, this);

    const QString minR = QStringLiteral("Minimum Resistance");
    minRBox = strokeBox("MinRBox", minR, "The minimum contact measurement read on the " + stroke);
    minRLimBox = strokeBox("MinRLimBox", minR + limit, "The minimum contact value tolerance limit for the " + stroke);
    minUnit = unitLabel(childName("MinUnit"), ohms, this);
    minRFrame = valueFrame(childName("MinRFrame"), minR, minRBox, minRLimBox, minUnit, this);

    const QString bounce = QStringLiteral("Bounce Time");
    bounceBox = strokeBox("BounceBox", bounce, "The maximum contact bounce measured on the " + stroke);
    bounceLimBox =
        strokeBox("BounceLimBox", bounce + limit, "The maximum contact bounce tolerance limit for the " + stroke);
    bounceSeconds = unitLabel(childName("BounceSeconds"), QStringLiteral("seconds"), this);
    bounceFrame = valueFrame(childName("BounceFrame"), bounce, bounceBox, bounceLimBox, bounceSeconds, this);
}

// The last stroke's contact, closure time and bounce, each with its unit.
void StrokePanel::buildLastReadingFrame()
{
    const QString stroke = strokeText();
    const QString seconds = QStringLiteral("seconds");
    lastReadingFrame = new QGroupBox(QStringLiteral("Last Reading"), this);
    lastReadingFrame->setObjectName(childName("LastReadingFrame"));
    lastRBox =
        strokeBox("LastRBox", QStringLiteral("Last Contact"), "The contact measurement read on the last " + stroke);
    lastContactTime = strokeBox("LastContactTime", QStringLiteral("Last Closure"),
                                "The time to contact closure read on the last " + stroke);
    lastBounceBox = strokeBox("LastBounceBox", QStringLiteral("Last Bounce"),
                              "The contact bounce measurement read on the last " + stroke);
    lastUnit = unitLabel(childName("LastUnit"), QStringLiteral("ohms"), lastReadingFrame);
    lastContactSeconds = unitLabel(childName("LastContactSeconds"), seconds, lastReadingFrame);
    lastBounceSeconds = unitLabel(childName("LastBounceSeconds"), seconds, lastReadingFrame);
    auto *lastGrid = new QGridLayout(lastReadingFrame);
    lastGrid->setContentsMargins(6, 4, 6, 4);
    lastGrid->setVerticalSpacing(3);
    const struct
    {
        const char *caption;
        QLineEdit *box;
        QLabel *unit;
    } lastRows[] = {
        {"Contact", lastRBox, lastUnit},
        {"Closure", lastContactTime, lastContactSeconds},
        {"Bounce", lastBounceBox, lastBounceSeconds},
    };
    for (int row = 0; row < 3; ++row) {
        lastGrid->addWidget(captionLabel(QString::fromLatin1(lastRows[row].caption), lastReadingFrame), row, 0);
        lastGrid->addWidget(lastRows[row].box, row, 1);
        lastGrid->addWidget(lastRows[row].unit, row, 2);
    }
}

// The four failure indicators, bounce first.
void StrokePanel::buildFailureFrame()
{
    failureFrame = new QGroupBox(QStringLiteral("Failures"), this);
    failureFrame->setObjectName(childName("FailureFrame"));
    const QString lowTip = QStringLiteral("Indicates failure due to excessively low contact measurement");
    const QString highTip = QStringLiteral("Indicates failure due to excessively high contact measurement");
    const QString initTip = QStringLiteral("Indicates failure due to incorrect contact state before stroke begins");
    const QString bounceTip = QStringLiteral("Indicates failure due to excessive conact bounce");
    bounceChk = new FailureCheckBox(QStringLiteral("Bounce"), bounceTip, failureFrame);
    maxChk = new FailureCheckBox(QStringLiteral("Max Contact"), highTip, failureFrame);
    minChk = new FailureCheckBox(QStringLiteral("Min Contact"), lowTip, failureFrame);
    initChk = new FailureCheckBox(QStringLiteral("Initial Contact"), initTip, failureFrame);
    bounceChk->setObjectName(childName("BounceChk"));
    maxChk->setObjectName(childName("MaxChk"));
    minChk->setObjectName(childName("MinChk"));
    initChk->setObjectName(childName("InitChk"));
    auto *failGrid = new QGridLayout(failureFrame);
    failGrid->setContentsMargins(6, 4, 6, 4);
    failGrid->setVerticalSpacing(2);
    failGrid->addWidget(bounceChk, 0, 0);
    failGrid->addWidget(maxChk, 1, 0);
    failGrid->addWidget(minChk, 2, 0);
    failGrid->addWidget(initChk, 3, 0);
}

QLineEdit *StrokePanel::valueBox(const QString &name, const QString &caption, const QString &toolTip)
{
    return makeValueBox(name, caption, toolTip, this);
}

void StrokePanel::setBox(QLineEdit *box, const QString &text, bool enabled)
{
    setSteadyText(box, enabled ? text : NotMeasured);
    box->setEnabled(enabled);
}

void StrokePanel::display(const StrokeValues &v)
{
    if (!v.tested) {
        // Bounce settings mean nothing on a stroke whose contact is not tested.
        for (QWidget *w : Widgets{this, maxRFrame, minRFrame, bounceFrame, lastReadingFrame, failureFrame})
            w->setEnabled(false);
        for (QLabel *label : {bounceSeconds, lastContactSeconds, lastBounceSeconds, maxUnit, minUnit, lastUnit})
            label->setEnabled(false);
        for (QLineEdit *box : {maxRBox, maxRLimBox, minRBox, minRLimBox, lastRBox, bounceBox, bounceLimBox,
                               lastBounceBox, lastContactTime})
            setBox(box, QString(), false);
        for (FailureCheckBox *chk : {minChk, maxChk, initChk, bounceChk})
            chk->setEnabled(false);
        return;
    }

    for (QWidget *w : Widgets{this, maxRFrame, minRFrame, lastReadingFrame, failureFrame})
        w->setEnabled(true);
    for (QLabel *label : {maxUnit, minUnit, lastUnit})
        label->setEnabled(true);
    setBox(maxRBox, v.maxR, true);
    setBox(maxRLimBox, v.maxRLim, true);
    setBox(minRBox, v.minR, true);
    setBox(minRLimBox, v.minRLim, true);
    setBox(lastRBox, v.lastR, true);
    for (FailureCheckBox *chk : {minChk, maxChk, initChk})
        chk->setEnabled(true);

    if (v.bounceTested) {
        bounceFrame->setEnabled(true);
        bounceSeconds->setEnabled(true);
        lastContactSeconds->setEnabled(true);
        setBox(bounceBox, v.bounce, true);
        // Older tester software does not report the last bounce time.
        setBox(lastBounceBox, v.lastBounce, v.lastBounceReported);
        lastBounceSeconds->setEnabled(v.lastBounceReported);
        setBox(bounceLimBox, v.bounceLim, true);
        setBox(lastContactTime, v.lastContactTime, true);
        bounceChk->setEnabled(true);
    } else {
        bounceFrame->setEnabled(false);
        for (QLabel *label : {bounceSeconds, lastContactSeconds, lastBounceSeconds})
            label->setEnabled(false);
        for (QLineEdit *box : {bounceBox, bounceLimBox, lastBounceBox, lastContactTime})
            setBox(box, QString(), false);
        bounceChk->setEnabled(false);
    }
}

void StrokePanel::showFailures(const StrokeFailures &f)
{
    minChk->setFailed(f.min);
    maxChk->setFailed(f.max);
    initChk->setFailed(f.init);
    bounceChk->setFailed(f.bounce);
}

void StrokePanel::setUnitText(const QString &unit)
{
    maxUnit->setText(unit);
    minUnit->setText(unit);
    lastUnit->setText(unit);
}
