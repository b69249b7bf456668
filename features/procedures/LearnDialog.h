#pragma once

#include "engine/procedures/LearnProcedure.h"

#include <QDialog>

class QCheckBox;
class QComboBox;

// "Learn Switch Parameters": the contact type of the golden switch and
// whether the learned configuration tests bounce. Cancel is the default
// button. The caller reads LearnGo, xContact and DoBounce afterwards.
class LearnDialog : public QDialog
{
public:
    explicit LearnDialog(QWidget *parent = nullptr);

    bool LearnGo = false;
    int16_t xContact = 0;
    bool DoBounce = false;

    LearnChoice choice() const { return {LearnGo, xContact, DoBounce}; }

private:
    void acceptSwitchType();

    QComboBox *LearnSwitchType;
    QCheckBox *LearnBounceCheck;
};
