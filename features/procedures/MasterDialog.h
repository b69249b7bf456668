#pragma once

#include <QDialog>

class MessageDialogs;
class QLineEdit;
struct TesterState;

// "Tester Master Reset": the tester's serial number, measurement mode and
// pull-up (range value). Opens on the values of the edit copy; OK checks
// them and stores them there, or reports the first bad one and stays open.
// Cancel is the default button; only OK accepts it.
class MasterDialog : public QDialog
{
public:
    MasterDialog(TesterState &state, MessageDialogs &dialogs, QWidget *parent = nullptr);

private:
    void acceptIfEntriesValid();

    TesterState &s;
    MessageDialogs &dialogs;
    QLineEdit *serialNumberEdit;
    QLineEdit *modeEdit;
    QLineEdit *pullupEdit;
};
