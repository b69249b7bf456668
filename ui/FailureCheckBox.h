#pragma once

#include <QCheckBox>

// One failure indicator: ticked while the tester reports its failure bit.
// The operator cannot change it; a click, the space bar or a screen
// reader's toggle action leaves it showing what the tester reported.
class FailureCheckBox : public QCheckBox
{
public:
    FailureCheckBox(const QString &caption, const QString &toolTip, QWidget *parent = nullptr);

    void setFailed(bool failed);
    bool failed() const { return reported; }

protected:
    void nextCheckState() override;

private:
    bool reported = false;
};
