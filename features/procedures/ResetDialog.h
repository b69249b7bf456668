#pragma once

#include <QDialog>

class QCheckBox;
struct TesterState;

// "Reset Test Results": which of the tester's stored results the counter
// reset clears. Every showing starts with all four ticked. OK writes the
// choice into the state's clear flags and accepts the dialog; Cancel
// leaves the flags alone.
class ResetDialog : public QDialog
{
public:
    explicit ResetDialog(TesterState &state, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void acceptChosenCounters();

    TesterState &s;
    QCheckBox *clearCyclesCheck, *clearFailuresCheck, *clearSeqFailuresCheck, *clearMinMaxCheck;
};
