#pragma once

#include "engine/config/ConfigEditor.h"

#include <QDialog>
#include <utility>
#include <vector>

class MessageDialogs;
class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTabBar;
struct TesterState;

// "Test Parameter Configuration": the edit copy of the test configuration
// in the operator's units, on three tabs (Test Time, Contacts, Limits).
// OK checks the values, stores them in the edit copy and accepts the
// dialog; any other way out rejects it. After an accepted dialog
// `valuesChanged` tells whether a value differs from the one the editor
// opened with.
class ConfigEditorDialog : public QDialog
{
public:
    ConfigEditorDialog(TesterState &state, MessageDialogs &dialogs, QWidget *parent = nullptr);

    bool valuesChanged = false;

private:
    void buildTabs();
    QLayout *buildButtons();
    QWidget *buildTestTimeTab();
    QWidget *buildContactsTab();
    QLayout *buildContactType(QWidget *panel);
    QLayout *buildStrokeChecks(QWidget *panel);
    QLayout *buildTolerances(QWidget *panel);
    QWidget *buildThresholds(QWidget *panel);
    QWidget *buildLimitsTab();

    void showEditValues();
    void showContactView(const EditorFields &fields);
    bool applyEditedConfig();
    EditorFields editedFields() const;
    // The text fields and the item of EditorFields each holds.
    std::vector<std::pair<QString EditorFields::*, QLineEdit *>> textFields() const;
    void reviewFirstReadjusted();   // its tab shown, the field focused
    void selectTab(int index);

    void maskMinimumTimes();
    void showEstimate();
    void showUpperThreshold();
    void showLowerThreshold();
    void acceptIfValid();

    TesterState &s;
    ConfigEditor editor;

    QTabBar *tabBar;
    QStackedWidget *panels;
    QWidget *tabPages[3];
    QPushButton *recalculateButton, *okButton, *cancelButton;

    QLineEdit *maxUpTimeEdit, *minUpTimeEdit, *maxDownTimeEdit, *minDownTimeEdit;
    QCheckBox *constantRateCheck;
    QLineEdit *estimatedRate, *estimatedTime;

    QComboBox *contactTypeSelect;
    QCheckBox *upStrokeCheck, *upBounceCheck, *downStrokeCheck, *downBounceCheck;
    QLineEdit *upMaxResistEdit, *upMinResistEdit, *maxUpBounceTimeEdit;
    QLineEdit *downMaxResistEdit, *downMinResistEdit, *maxDownBounceTimeEdit;
    QSpinBox *upperThresholdSpin, *lowerThresholdSpin;
    QLineEdit *upperOhms, *upperVolts, *upperPercent;
    QLineEdit *lowerOhms, *lowerVolts, *lowerPercent;

    QLineEdit *maxTestCyclesEdit, *maxFailuresEdit, *maxSeqFailuresEdit;
};
