#pragma once

#include <QDialog>

class FailureCheckBox;
class ManualControl;
class QLineEdit;

// "Manual Control": Down and Up move the piston, Read Data takes one
// contact reading, and the Piston box and the reading follow what the
// tester answers. However the dialog closes, the piston goes up first.
class ManualDialog : public QDialog
{
public:
    explicit ManualDialog(ManualControl &control, QWidget *parent = nullptr);
    ~ManualDialog() override;

    void done(int result) override;

private:
    void showState();

    ManualControl &control;
    FailureCheckBox *PistonCheck;
    QLineEdit *readingBox;
};
