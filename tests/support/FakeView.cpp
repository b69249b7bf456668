#include "FakeView.h"

void FakeView::showBarMessage(const QString &text)
{
    barText = text;
    calls.append(QStringLiteral("bar:") + text);
}

void FakeView::showBarPanels()
{
    barText.clear();
    calls.append(QStringLiteral("panels"));
}

void FakeView::setVersionPanel(const QString &text) { calls.append(QStringLiteral("version:") + text); }

void FakeView::SetControls() { calls.append(QStringLiteral("SetControls")); }
void FakeView::DisplayData() { calls.append(QStringLiteral("DisplayData")); }
void FakeView::DisplayMode() { calls.append(QStringLiteral("DisplayMode")); }
void FakeView::DisplayRValue() { calls.append(QStringLiteral("DisplayRValue")); }
void FakeView::DisplaySerialNum() { calls.append(QStringLiteral("DisplaySerialNum")); }

void FakeView::showSampleDate(const QString &text) { calls.append(QStringLiteral("sampleDate:") + text); }

void FakeView::drawLed(int drawing)
{
    led = drawing;
    calls.append(QStringLiteral("led:") + QString::number(drawing));
}

void FakeView::beep()
{
    ++beeps;
    calls.append(QStringLiteral("beep"));
}

void FakeView::setPistonBox(bool ticked)
{
    pistonTicked = ticked;
    calls.append(ticked ? QStringLiteral("piston:1") : QStringLiteral("piston:0"));
}

void FakeView::showManualReading(const QString &text) { calls.append(QStringLiteral("manual:") + text); }
