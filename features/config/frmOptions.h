#pragma once

#include "engine/config/ConfigEditor.h"

#include <QDialog>
#include <cstdint>
#include <utility>
#include <vector>

class MessageDialogs;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTabBar;
struct TesterState;

// "Test Parameter Configuration": the edit copy of the test configuration
// in the operator's units, on three tabs (Test Time, Contacts, Limits).
// OK checks the values and stores them in the edit copy; the caller then
// reads `UseSelect` (1 OK, 2 anything else) and `IsDirty` (a value differs
// from the one the editor opened with).
class frmOptions : public QDialog
{
public:
    frmOptions(TesterState &state, MessageDialogs &dialogs, QWidget *parent = nullptr);

    int16_t UseSelect = 2;
    bool IsDirty = false;

private:
    QWidget *buildTestTimeTab();
    QWidget *buildContactsTab();
    QWidget *buildLimitsTab();

    void DisplayEditValues();
    void SetContactView(const EditorFields &fields);
    bool ApplyEditedConfig();
    EditorFields editedFields() const;
    // The text fields and the item of EditorFields each holds.
    std::vector<std::pair<QString EditorFields::*, QLineEdit *>> textFields() const;
    void reviewFirstReadjusted();   // its tab shown, the field focused
    void selectTab(int index);

    void ConstRateChk_Click();
    void ComputeEstimateRate();
    void DisplayUpperValues();
    void DisplayLowerValues();
    void cmdOK_Click();

    TesterState &s;
    ConfigEditor editor;

    QTabBar *tbsOptions;
    QStackedWidget *panels;
    QWidget *picOptions[3];
    QPushButton *Recalc, *cmdOK, *cmdCancel;

    QLineEdit *MaxUpTimeEd, *MinUpTimeEd, *MaxDownTimeEd, *MinDownTimeEd;
    QCheckBox *ConstRateChk;
    QLineEdit *EstimatedRate, *EstimatedTime;

    QComboBox *ContactSelect;
    QCheckBox *UpStrokeCheck, *TestUpBounce, *DownStrokeCheck, *TestDownBounce;
    QLineEdit *UpMaxResistEd, *UpMinResistEd, *MaxUpBounceTime;
    QLineEdit *DownMaxResistEd, *DownMinResistEd, *MaxDownBounceTime;
    QSpinBox *SpinUpBounce, *SpinDownBounce;
    QLineEdit *BounceUpperOhms, *BounceUpperVolts, *BounceUpperPercent;
    QLineEdit *BounceLowerOhms, *BounceLowerVolts, *BounceLowerPercent;

    QLineEdit *MaxTestCycleEd, *MaxFailureEd, *MaxSeqFailEd;
};
