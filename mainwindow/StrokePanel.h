#pragma once

#include <QGroupBox>
#include <QString>

class FailureCheckBox;
class QLabel;
class QLineEdit;

// What one stroke's panel shows after a sample: which tests run on that
// stroke and the nine value texts, already formatted.
struct StrokeValues
{
    bool tested = false;               // the contact is tested on this stroke
    bool bounceTested = false;         // bounce is tested (only looked at when tested)
    bool lastBounceReported = false;   // the tester's software reports the last bounce
    QString maxR, maxRLim, minR, minRLim, lastR;
    QString bounce, bounceLim, lastBounce, lastContactTime;
};

// The failure bits of one stroke.
struct StrokeFailures
{
    bool min = false, max = false, init = false, bounce = false;
};

// One stroke direction of the main window ("Down Stroke" or "Up Stroke"):
// the contact, bounce and last-reading frames with their value boxes and
// unit labels, and the four failure indicators.
class StrokePanel : public QGroupBox
{
public:
    // side is "Down" or "Up"; it prefixes every control name.
    explicit StrokePanel(const QString &side, QWidget *parent = nullptr);

    void display(const StrokeValues &values);
    void showFailures(const StrokeFailures &failures);
    void setUnitText(const QString &unit);   // maximum, minimum, last reading, in that order

private:
    void buildValueFrames();
    void buildLastReadingFrame();
    void buildFailureFrame();
    QString childName(const char *suffix) const;   // the side, then the suffix
    QString strokeText() const;                    // "down stroke" or "up stroke", for tool tips
    QLineEdit *strokeBox(const char *suffix, const QString &caption, const QString &toolTip);
    QLineEdit *valueBox(const QString &name, const QString &caption, const QString &toolTip);
    void setBox(QLineEdit *box, const QString &text, bool enabled);

    QString side;
    QGroupBox *maxRFrame, *minRFrame, *bounceFrame, *lastReadingFrame, *failureFrame;
    QLineEdit *maxRBox, *maxRLimBox, *minRBox, *minRLimBox, *lastRBox;
    QLineEdit *bounceBox, *bounceLimBox, *lastBounceBox, *lastContactTime;
    QLabel *maxUnit, *minUnit, *lastUnit;
    QLabel *bounceSeconds, *lastContactSeconds, *lastBounceSeconds;
    FailureCheckBox *minChk, *maxChk, *initChk, *bounceChk;
};
