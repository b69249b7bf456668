#include "features/config/ConfigEditorDialog.h"

#include "engine/config/EditorComputations.h"
#include "engine/state/TesterState.h"
#include "ui/ValueBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

// Screen readers and UI automation find a field by its label and read its
// tool tip as its description.
void describe(QWidget *widget, const QString &name, const QString &toolTip)
{
    widget->setAccessibleName(name);
    if (!toolTip.isEmpty()) {
        widget->setToolTip(toolTip);
        widget->setAccessibleDescription(toolTip);
    }
}

// A text field under its label in the next row of a grid; "----" until filled.
QLineEdit *addField(QGridLayout *grid, const char *name, const char *label, const char *toolTip, QWidget *parent)
{
    const int row = grid->rowCount();
    auto *caption = new QLabel(QString::fromLatin1(label), parent);
    auto *field = new QLineEdit(QStringLiteral("----"), parent);
    field->setObjectName(QString::fromLatin1(name));
    caption->setBuddy(field);
    describe(field, caption->text(), QString::fromLatin1(toolTip));
    grid->addWidget(caption, row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

QCheckBox *checkBox(const char *name, const char *caption, const char *toolTip, QWidget *parent)
{
    auto *box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    describe(box, box->text(), QString::fromLatin1(toolTip));
    return box;
}

QPushButton *button(const char *name, const char *caption, const char *toolTip, QWidget *parent)
{
    auto *pushButton = new QPushButton(QString::fromLatin1(caption), parent);
    pushButton->setObjectName(QString::fromLatin1(name));
    describe(pushButton, pushButton->text(), QString::fromLatin1(toolTip));
    return pushButton;
}

QGroupBox *frame(const char *caption, QLayout *contents, QWidget *parent)
{
    auto *group = new QGroupBox(QString::fromLatin1(caption), parent);
    group->setLayout(contents);
    return group;
}

// A read-only result text with its caption on its left.
QLineEdit *addResult(QGridLayout *grid, const char *objectName, const char *label, const char *toolTip, QWidget *parent)
{
    const int row = grid->rowCount();
    auto *caption = new QLabel(QString::fromLatin1(label), parent);
    const QString name = caption->text().section(QLatin1String(" - "), 0, 0).trimmed();
    QLineEdit *value = makeValueBox(QString::fromLatin1(objectName), name, QString::fromLatin1(toolTip), parent);
    caption->setBuddy(value);
    grid->addWidget(caption, row, 0);
    grid->addWidget(value, row, 1);
    return value;
}

}   // namespace

ConfigEditorDialog::ConfigEditorDialog(TesterState &state, MessageDialogs &dialogs, QWidget *parent)
    : QDialog(parent), s(state), editor(state, dialogs)
{
    setObjectName("ConfigEditorDialog");
    setWindowTitle(QStringLiteral("Test Parameter Configuration"));
    setModal(true);

    buildTabs();
    QLayout *buttons = buildButtons();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabBar);
    layout->addWidget(panels);
    layout->addLayout(buttons);

    connect(tabBar, &QTabBar::currentChanged, this, [this](int index) { selectTab(index); });
    // Ctrl+Tab selects the next tab, after the last the first, wherever the
    // focus is (a list or a check box would take the key for itself).
    auto *nextTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(nextTab, &QShortcut::activated, this,
            [this] { selectTab((tabBar->currentIndex() + 1) % tabBar->count()); });
    connect(recalculateButton, &QPushButton::clicked, this, [this] { showEstimate(); });
    connect(okButton, &QPushButton::clicked, this, [this] { acceptIfValid(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { reject(); });

    // A contact that alternates has its own entry, shown only when the edit
    // copy holds one, so that OK keeps the type instead of changing it.
    if (ConfigEditor::isAlternateAction(s.pending.contact))
        contactTypeSelect->addItem(QStringLiteral("Alternate Action"));

    showEditValues();
    constantRateCheck->setChecked(false);
    selectTab(0);
    maxUpTimeEdit->setFocus();
}

// The tab bar over its three pages.
void ConfigEditorDialog::buildTabs()
{
    tabBar = new QTabBar(this);
    tabBar->setObjectName("tabBar");
    const struct
    {
        const char *caption, *toolTip;
    } tabs[] = {
        {"Test Time", "Set Overall Test Time"},
        {"Contacts", "Set Contact Configuration"},
        {"Limits", "Set Test Cycle Limits"},
    };
    for (const auto &tab : tabs) {
        const int index = tabBar->addTab(QString::fromLatin1(tab.caption));
        tabBar->setTabToolTip(index, QString::fromLatin1(tab.toolTip));
    }
    tabBar->setFocusPolicy(Qt::TabFocus);

    panels = new QStackedWidget(this);
    tabPages[0] = buildTestTimeTab();
    tabPages[1] = buildContactsTab();
    tabPages[2] = buildLimitsTab();
    for (int i = 0; i < 3; ++i) {
        tabPages[i]->setObjectName(QStringLiteral("tabPage%1").arg(i));
        panels->addWidget(tabPages[i]);
    }
}

QLayout *ConfigEditorDialog::buildButtons()
{
    recalculateButton = button("recalculateButton", "Recalculate", "Recalculates the estimated rates", this);
    okButton = button("okButton", "OK", "Close this dialog and apply these changes", this);
    cancelButton = button("cancelButton", "Cancel", "Cancel and do not apply the changes", this);
    okButton->setDefault(true);   // Enter in a field presses OK

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(recalculateButton);
    buttons->addStretch(1);
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    return buttons;
}

QWidget *ConfigEditorDialog::buildTestTimeTab()
{
    auto *panel = new QWidget;

    auto *up = new QGridLayout;
    maxUpTimeEdit =
        addField(up, "maxUpTimeEdit", "Max Time (sec)", "The maximum up stroke test time (always relavent)", panel);
    minUpTimeEdit = addField(up, "minUpTimeEdit", "Min Time (sec)",
                             "The minimum up stroke test time (used only if contact is measured)", panel);
    auto *down = new QGridLayout;
    maxDownTimeEdit = addField(down, "maxDownTimeEdit", "Max Time (sec)",
                               "The maximum down stroke test time (always relavent)", panel);
    minDownTimeEdit = addField(down, "minDownTimeEdit", "Min Time (sec)",
                               "The minimum down stroke test time (used only if contact is measured)", panel);
    // Masked minimum times show "*" for each character, as typed passwords do.
    for (QLineEdit *field : {minUpTimeEdit, minDownTimeEdit})
        field->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));

    constantRateCheck = checkBox("constantRateCheck", "Make Constant Rate", "", panel);
    connect(constantRateCheck, &QCheckBox::clicked, this, [this] { maskMinimumTimes(); });

    auto *estimate = new QGridLayout;
    estimatedRate = addResult(estimate, "estimatedRate", "Estimated Test Rate  - ",
                              "The estimated test rate in samples per hour", panel);
    estimatedTime = addResult(estimate, "estimatedTime", "Estimated Time To Complete  - ",
                              "The estimated time to complete the full test cycle count", panel);
    estimate->setColumnStretch(2, 1);

    auto *strokes = new QHBoxLayout;
    strokes->addWidget(frame("Up Stroke", up, panel));
    strokes->addWidget(frame("Down Stroke", down, panel));
    auto *layout = new QVBoxLayout(panel);
    layout->addLayout(strokes);
    layout->addWidget(constantRateCheck);
    layout->addLayout(estimate);
    layout->addStretch(1);
    return panel;
}

QWidget *ConfigEditorDialog::buildContactsTab()
{
    auto *panel = new QWidget;
    QLayout *type = buildContactType(panel);
    QLayout *checks = buildStrokeChecks(panel);
    QLayout *tolerances = buildTolerances(panel);
    QWidget *thresholds = buildThresholds(panel);

    auto *layout = new QVBoxLayout(panel);
    layout->addLayout(type);
    layout->addLayout(checks);
    layout->addLayout(tolerances);
    layout->addWidget(thresholds);
    layout->addStretch(1);
    return panel;
}

QLayout *ConfigEditorDialog::buildContactType(QWidget *panel)
{
    auto *typeLabel = new QLabel(QStringLiteral("Contact Type:"), panel);
    contactTypeSelect = new QComboBox(panel);
    contactTypeSelect->setObjectName("contactTypeSelect");
    contactTypeSelect->addItems(
        {QStringLiteral("None"), QStringLiteral("Normally Open"), QStringLiteral("Normally Closed")});
    typeLabel->setBuddy(contactTypeSelect);
    describe(contactTypeSelect, typeLabel->text(), QStringLiteral("Select the unactuated contact state"));

    auto *type = new QHBoxLayout;
    type->addWidget(typeLabel);
    type->addWidget(contactTypeSelect);
    type->addStretch(1);
    return type;
}

// Which strokes are tested, and on which the bounce is.
QLayout *ConfigEditorDialog::buildStrokeChecks(QWidget *panel)
{
    upStrokeCheck = checkBox("upStrokeCheck", "Test Up Stroke", "Perform contact test on up stroke", panel);
    upBounceCheck = checkBox("upBounceCheck", "Up Bounce", "Perform contact bounce testing on up stroke", panel);
    downStrokeCheck = checkBox("downStrokeCheck", "Test Down Stroke", "Perform contact test on down stroke", panel);
    downBounceCheck =
        checkBox("downBounceCheck", "Down Bounce", "Perform contact bounce testing on down stroke", panel);
    // A bounce test can be chosen only on a stroke whose contact is tested.
    connect(upStrokeCheck, &QCheckBox::clicked, this, [this](bool on) {
        if (!on)
            upBounceCheck->setChecked(false);
    });
    connect(upBounceCheck, &QCheckBox::clicked, this, [this] {
        if (!upStrokeCheck->isChecked())
            upBounceCheck->setChecked(false);
    });
    connect(downStrokeCheck, &QCheckBox::clicked, this, [this](bool on) {
        if (!on)
            downBounceCheck->setChecked(false);
    });
    connect(downBounceCheck, &QCheckBox::clicked, this, [this] {
        if (!downStrokeCheck->isChecked())
            downBounceCheck->setChecked(false);
    });

    auto *checks = new QGridLayout;
    checks->addWidget(upStrokeCheck, 0, 0);
    checks->addWidget(upBounceCheck, 0, 1);
    checks->addWidget(downStrokeCheck, 1, 0);
    checks->addWidget(downBounceCheck, 1, 1);
    return checks;
}

// Each stroke's resistance tolerances and longest bounce.
QLayout *ConfigEditorDialog::buildTolerances(QWidget *panel)
{
    auto *up = new QGridLayout;
    upMaxResistEdit = addField(up, "upMaxResistEdit", "Max Resistance", "Up stroke maximum test tolerance", panel);
    upMinResistEdit = addField(up, "upMinResistEdit", "Min Resistance", "Up stroke minimum test tolerance", panel);
    maxUpBounceTimeEdit = addField(up, "maxUpBounceTimeEdit", "Max Bounce Time",
                                   "Maximum up stroke acceptable bounce time (usec)", panel);
    auto *down = new QGridLayout;
    downMaxResistEdit =
        addField(down, "downMaxResistEdit", "Max Resistance", "Down stroke maximum test tolerance", panel);
    downMinResistEdit =
        addField(down, "downMinResistEdit", "Min Resistance", "Down stroke minimum test tolerance", panel);
    maxDownBounceTimeEdit = addField(down, "maxDownBounceTimeEdit", "Max Bounce Time",
                                     "Maximum down stroke acceptable bounce time (usec)", panel);

    auto *tolerances = new QHBoxLayout;
    tolerances->addWidget(frame("Up Stroke Tolerances", up, panel));
    tolerances->addWidget(frame("Down Stroke Tolerances", down, panel));
    return tolerances;
}

// The upper and lower transition thresholds, each in ohms, volts and percent.
QWidget *ConfigEditorDialog::buildThresholds(QWidget *panel)
{
    auto *thresholds = new QGridLayout;
    const char *columns[] = {"Ohms", "Volts", "Percent"};
    for (int c = 0; c < 3; ++c)
        thresholds->addWidget(new QLabel(QString::fromLatin1(columns[c]), panel), 0, c + 2, Qt::AlignHCenter);
    auto thresholdRow = [&](int row, const char *caption, const char *spinName, const char *prefix, const char *toolTip,
                            QLineEdit *texts[3]) {
        auto *label = new QLabel(QString::fromLatin1(caption), panel);
        auto *spin = new QSpinBox(panel);
        spin->setObjectName(QString::fromLatin1(spinName));
        spin->setRange(0, 255);
        spin->setSingleStep(1);
        label->setBuddy(spin);
        describe(spin, label->text(), QString::fromLatin1(toolTip));
        thresholds->addWidget(label, row, 0);
        thresholds->addWidget(spin, row, 1);
        for (int c = 0; c < 3; ++c) {
            texts[c] = makeValueBox(QLatin1String(prefix) + QLatin1String(columns[c]),
                                    label->text() + QLatin1Char(' ') + QLatin1String(columns[c]),
                                    QString::fromLatin1(toolTip), panel);
            thresholds->addWidget(texts[c], row, c + 2);
        }
        return spin;
    };
    QLineEdit *upper[3], *lower[3];
    upperThresholdSpin =
        thresholdRow(1, "Upper", "upperThresholdSpin", "upper", "Upper threshold contact transition", upper);
    lowerThresholdSpin =
        thresholdRow(2, "Lower", "lowerThresholdSpin", "lower", "Lower threshold contact transition", lower);
    upperOhms = upper[0];
    upperVolts = upper[1];
    upperPercent = upper[2];
    lowerOhms = lower[0];
    lowerVolts = lower[1];
    lowerPercent = lower[2];
    connect(upperThresholdSpin, &QSpinBox::valueChanged, this, [this] { showUpperThreshold(); });
    connect(lowerThresholdSpin, &QSpinBox::valueChanged, this, [this] { showLowerThreshold(); });
    return frame("Transition Thresholds", thresholds, panel);
}

QWidget *ConfigEditorDialog::buildLimitsTab()
{
    auto *panel = new QWidget;
    auto *grid = new QGridLayout;
    maxTestCyclesEdit = addField(grid, "maxTestCyclesEdit", "Maximum Test Cycles",
                                 "Maximum number of test cycles before stopping", panel);
    maxFailuresEdit = addField(grid, "maxFailuresEdit", "Maximum Test Failures",
                               "Maximum number of test cycle failures before stopping", panel);
    maxSeqFailuresEdit = addField(grid, "maxSeqFailuresEdit", "Maximum Sequential Failures",
                                  "Maximum number of seqencial test cycle failures before stopping", panel);
    auto *layout = new QVBoxLayout(panel);
    layout->addLayout(grid);
    layout->addStretch(1);
    return panel;
}

void ConfigEditorDialog::selectTab(int index)
{
    if (tabBar->currentIndex() != index)
        tabBar->setCurrentIndex(index);   // comes back here through currentChanged
    panels->setCurrentIndex(index);
    for (int i = 0; i < 3; ++i)
        tabPages[i]->setEnabled(i == index);
    recalculateButton->setVisible(index == 0);
    recalculateButton->setEnabled(index == 0);
}

void ConfigEditorDialog::showEditValues()
{
    const EditorFields f = editor.displayEditValues();
    for (const auto &[member, field] : textFields())
        field->setText(f.*member);
    upperThresholdSpin->setValue(f.upperBounce);
    showUpperThreshold();
    lowerThresholdSpin->setValue(f.lowerBounce);
    showLowerThreshold();
    showContactView(f);
    showEstimate();
}

void ConfigEditorDialog::showContactView(const EditorFields &f)
{
    contactTypeSelect->setCurrentIndex(f.contactType);
    upStrokeCheck->setChecked(f.upStroke);
    upBounceCheck->setChecked(f.upBounce);
    downStrokeCheck->setChecked(f.downStroke);
    downBounceCheck->setChecked(f.downBounce);
}

std::vector<std::pair<QString EditorFields::*, QLineEdit *>> ConfigEditorDialog::textFields() const
{
    return {{&EditorFields::maxUpTime, maxUpTimeEdit},
            {&EditorFields::minUpTime, minUpTimeEdit},
            {&EditorFields::maxDownTime, maxDownTimeEdit},
            {&EditorFields::minDownTime, minDownTimeEdit},
            {&EditorFields::upMaxResist, upMaxResistEdit},
            {&EditorFields::upMinResist, upMinResistEdit},
            {&EditorFields::maxUpBounceTime, maxUpBounceTimeEdit},
            {&EditorFields::downMaxResist, downMaxResistEdit},
            {&EditorFields::downMinResist, downMinResistEdit},
            {&EditorFields::maxDownBounceTime, maxDownBounceTimeEdit},
            {&EditorFields::maxTestCycles, maxTestCyclesEdit},
            {&EditorFields::maxFailures, maxFailuresEdit},
            {&EditorFields::maxSeqFailures, maxSeqFailuresEdit}};
}

EditorFields ConfigEditorDialog::editedFields() const
{
    EditorFields f;
    for (const auto &[member, field] : textFields())
        f.*member = field->text();
    f.constantRate = constantRateCheck->isChecked();
    f.contactType = contactTypeSelect->currentIndex();
    f.upStroke = upStrokeCheck->isChecked();
    f.upBounce = upBounceCheck->isChecked();
    f.downStroke = downStrokeCheck->isChecked();
    f.downBounce = downBounceCheck->isChecked();
    f.upperBounce = upperThresholdSpin->value();
    f.lowerBounce = lowerThresholdSpin->value();
    return f;
}

void ConfigEditorDialog::reviewFirstReadjusted()
{
    const QString EditorFields::*first = editor.readjusted().first().field;
    for (const auto &[member, field] : textFields()) {
        if (member != first)
            continue;
        for (int tab = 0; tab < 3; ++tab)
            if (tabPages[tab]->isAncestorOf(field))
                selectTab(tab);
        field->setFocus();
        field->selectAll();
    }
}

bool ConfigEditorDialog::applyEditedConfig()
{
    return editor.applyEditorFields(editedFields(), [this] { showEditValues(); });
}

void ConfigEditorDialog::maskMinimumTimes()
{
    const bool constant = constantRateCheck->isChecked();
    for (QLineEdit *field : {minDownTimeEdit, minUpTimeEdit}) {
        field->setEnabled(!constant);
        field->setEchoMode(constant ? QLineEdit::Password : QLineEdit::Normal);
    }
}

void ConfigEditorDialog::showEstimate()
{
    const RateEstimate estimate =
        ::computeEstimateRate(maxUpTimeEdit->text(), minUpTimeEdit->text(), maxDownTimeEdit->text(),
                              minDownTimeEdit->text(), constantRateCheck->isChecked(), maxTestCyclesEdit->text());
    setSteadyText(estimatedRate, estimate.rate);
    setSteadyText(estimatedTime, estimate.time);
}

void ConfigEditorDialog::showUpperThreshold()
{
    const ThresholdTexts texts = thresholdValues(s, upperThresholdSpin->value());
    setSteadyText(upperOhms, texts.ohms);
    setSteadyText(upperPercent, texts.percent);
    setSteadyText(upperVolts, texts.volts);
}

void ConfigEditorDialog::showLowerThreshold()
{
    const ThresholdTexts texts = thresholdValues(s, lowerThresholdSpin->value());
    setSteadyText(lowerOhms, texts.ohms);
    setSteadyText(lowerPercent, texts.percent);
    setSteadyText(lowerVolts, texts.volts);
}

void ConfigEditorDialog::acceptIfValid()
{
    if (!applyEditedConfig()) {
        if (editor.reviewing())
            reviewFirstReadjusted();
        return;   // stays open for the operator to correct or review
    }
    valuesChanged = editor.isDirty();
    accept();
}
