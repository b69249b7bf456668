#pragma once

#include "engine/procedures/LearnProcedure.h"

#include <QDialog>

class QCheckBox;
class QComboBox;

// "Learn Switch Parameters": the contact type of the golden switch and
// whether the learned configuration tests bounce. Cancel is the default
// button. The caller reads choice() afterwards.
class LearnDialog : public QDialog
{
public:
    explicit LearnDialog(QWidget *parent = nullptr);

    LearnChoice choice() const { return chosen; }

private:
    void acceptSwitchType();

    QComboBox *switchTypeSelect;
    QCheckBox *includeBounceCheck;
    LearnChoice chosen;
};
