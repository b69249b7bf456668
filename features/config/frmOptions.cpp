#include "features/config/frmOptions.h"

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
    QLineEdit *value = ValueBox(QString::fromLatin1(objectName), name, QString::fromLatin1(toolTip), parent);
    caption->setBuddy(value);
    grid->addWidget(caption, row, 0);
    grid->addWidget(value, row, 1);
    return value;
}

} // namespace

frmOptions::frmOptions(TesterState &state, MessageDialogs &dialogs, QWidget *parent)
    : QDialog(parent), s(state), editor(state, dialogs)
{
    setObjectName("frmOptions");
    setWindowTitle(QStringLiteral("Test Parameter Configuration"));
    setModal(true);

    tbsOptions = new QTabBar(this);
    tbsOptions->setObjectName("tbsOptions");
    const struct { const char *caption, *toolTip; } tabs[] = {
        {"Test Time", "Set Overall Test Time"},
        {"Contacts", "Set Contact Configuration"},
        {"Limits", "Set Test Cycle Limits"},
    };
    for (const auto &tab : tabs) {
        const int index = tbsOptions->addTab(QString::fromLatin1(tab.caption));
        tbsOptions->setTabToolTip(index, QString::fromLatin1(tab.toolTip));
    }
    tbsOptions->setFocusPolicy(Qt::TabFocus);

    panels = new QStackedWidget(this);
    picOptions[0] = buildTestTimeTab();
    picOptions[1] = buildContactsTab();
    picOptions[2] = buildLimitsTab();
    for (int i = 0; i < 3; ++i) {
        picOptions[i]->setObjectName(QStringLiteral("picOptions%1").arg(i));
        panels->addWidget(picOptions[i]);
    }

    Recalc = button("Recalc", "Recalculate", "Recalculates the estimated rates", this);
    cmdOK = button("cmdOK", "OK", "Close this dialog and apply these changes", this);
    cmdCancel = button("cmdCancel", "Cancel", "Cancel and do not apply the changes", this);
    cmdOK->setDefault(true);   // Enter in a field presses OK

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Recalc);
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tbsOptions);
    layout->addWidget(panels);
    layout->addLayout(buttons);

    connect(tbsOptions, &QTabBar::currentChanged, this, [this](int index) { selectTab(index); });
    // Ctrl+Tab selects the next tab, after the last the first, wherever the
    // focus is (a list or a check box would take the key for itself).
    auto *nextTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(nextTab, &QShortcut::activated, this,
            [this] { selectTab((tbsOptions->currentIndex() + 1) % tbsOptions->count()); });
    connect(Recalc, &QPushButton::clicked, this, [this] { ComputeEstimateRate(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });

    // A contact that alternates has its own entry, shown only when the edit
    // copy holds one, so that OK keeps the type instead of changing it.
    if (ConfigEditor::IsAlternateAction(s.sContact))
        ContactSelect->addItem(QStringLiteral("Alternate Action"));

    DisplayEditValues();
    ConstRateChk->setChecked(false);
    selectTab(0);
    MaxUpTimeEd->setFocus();
}

QWidget *frmOptions::buildTestTimeTab()
{
    auto *panel = new QWidget;

    auto *up = new QGridLayout;
    MaxUpTimeEd = addField(up, "MaxUpTimeEd", "Max Time (sec)",
                           "The maximum up stroke test time (always relavent)", panel);
    MinUpTimeEd = addField(up, "MinUpTimeEd", "Min Time (sec)",
                           "The minimum up stroke test time (used only if contact is measured)", panel);
    auto *down = new QGridLayout;
    MaxDownTimeEd = addField(down, "MaxDownTimeEd", "Max Time (sec)",
                             "The maximum down stroke test time (always relavent)", panel);
    MinDownTimeEd = addField(down, "MinDownTimeEd", "Min Time (sec)",
                             "The minimum down stroke test time (used only if contact is measured)", panel);
    // Masked minimum times show "*" for each character, as typed passwords do.
    for (QLineEdit *field : {MinUpTimeEd, MinDownTimeEd})
        field->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));

    ConstRateChk = checkBox("ConstRateChk", "Make Constant Rate", "", panel);
    connect(ConstRateChk, &QCheckBox::clicked, this, [this] { ConstRateChk_Click(); });

    auto *estimate = new QGridLayout;
    EstimatedRate = addResult(estimate, "EstimatedRate", "Estimated Test Rate  - ",
                              "The estimated test rate in samples per hour", panel);
    EstimatedTime = addResult(estimate, "EstimatedTime", "Estimated Time To Complete  - ",
                              "The estimated time to complete the full test cycle count", panel);
    estimate->setColumnStretch(2, 1);

    auto *strokes = new QHBoxLayout;
    strokes->addWidget(frame("Up Stroke", up, panel));
    strokes->addWidget(frame("Down Stroke", down, panel));
    auto *layout = new QVBoxLayout(panel);
    layout->addLayout(strokes);
    layout->addWidget(ConstRateChk);
    layout->addLayout(estimate);
    layout->addStretch(1);
    return panel;
}

QWidget *frmOptions::buildContactsTab()
{
    auto *panel = new QWidget;

    auto *typeLabel = new QLabel(QStringLiteral("Contact Type:"), panel);
    ContactSelect = new QComboBox(panel);
    ContactSelect->setObjectName("ContactSelect");
    ContactSelect->addItems({QStringLiteral("None"), QStringLiteral("Normally Open"),
                             QStringLiteral("Normally Closed")});
    typeLabel->setBuddy(ContactSelect);
    describe(ContactSelect, typeLabel->text(), QStringLiteral("Select the unactuated contact state"));

    UpStrokeCheck = checkBox("UpStrokeCheck", "Test Up Stroke", "Perform contact test on up stroke", panel);
    TestUpBounce = checkBox("TestUpBounce", "Up Bounce", "Perform contact bounce testing on up stroke", panel);
    DownStrokeCheck = checkBox("DownStrokeCheck", "Test Down Stroke", "Perform contact test on down stroke", panel);
    TestDownBounce = checkBox("TestDownBounce", "Down Bounce", "Perform contact bounce testing on down stroke",
                              panel);
    // A bounce test can be chosen only on a stroke whose contact is tested.
    connect(UpStrokeCheck, &QCheckBox::clicked, this, [this](bool on) { if (!on) TestUpBounce->setChecked(false); });
    connect(TestUpBounce, &QCheckBox::clicked, this,
            [this] { if (!UpStrokeCheck->isChecked()) TestUpBounce->setChecked(false); });
    connect(DownStrokeCheck, &QCheckBox::clicked, this,
            [this](bool on) { if (!on) TestDownBounce->setChecked(false); });
    connect(TestDownBounce, &QCheckBox::clicked, this,
            [this] { if (!DownStrokeCheck->isChecked()) TestDownBounce->setChecked(false); });

    auto *up = new QGridLayout;
    UpMaxResistEd = addField(up, "UpMaxResistEd", "Max Resistance", "Up stroke maximum test tolerance", panel);
    UpMinResistEd = addField(up, "UpMinResistEd", "Min Resistance", "Up stroke minimum test tolerance", panel);
    MaxUpBounceTime = addField(up, "MaxUpBounceTime", "Max Bounce Time",
                               "Maximum up stroke acceptable bounce time (usec)", panel);
    auto *down = new QGridLayout;
    DownMaxResistEd = addField(down, "DownMaxResistEd", "Max Resistance", "Down stroke maximum test tolerance",
                               panel);
    DownMinResistEd = addField(down, "DownMinResistEd", "Min Resistance", "Down stroke minimum test tolerance",
                               panel);
    MaxDownBounceTime = addField(down, "MaxDownBounceTime", "Max Bounce Time",
                                 "Maximum down stroke acceptable bounce time (usec)", panel);

    auto *thresholds = new QGridLayout;
    const char *columns[] = {"Ohms", "Volts", "Percent"};
    for (int c = 0; c < 3; ++c)
        thresholds->addWidget(new QLabel(QString::fromLatin1(columns[c]), panel), 0, c + 2, Qt::AlignHCenter);
    auto thresholdRow = [&](int row, const char *caption, const char *spinName, const char *prefix,
                            const char *toolTip, QLineEdit *texts[3]) {
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
            texts[c] = ValueBox(QLatin1String(prefix) + QLatin1String(columns[c]),
                                label->text() + QLatin1Char(' ') + QLatin1String(columns[c]),
                                QString::fromLatin1(toolTip), panel);
            thresholds->addWidget(texts[c], row, c + 2);
        }
        return spin;
    };
    QLineEdit *upper[3], *lower[3];
    SpinUpBounce = thresholdRow(1, "Upper", "SpinUpBounce", "BounceUpper", "Upper threshold contact transition", upper);
    SpinDownBounce = thresholdRow(2, "Lower", "SpinDownBounce", "BounceLower", "Lower threshold contact transition",
                                  lower);
    BounceUpperOhms = upper[0]; BounceUpperVolts = upper[1]; BounceUpperPercent = upper[2];
    BounceLowerOhms = lower[0]; BounceLowerVolts = lower[1]; BounceLowerPercent = lower[2];
    connect(SpinUpBounce, &QSpinBox::valueChanged, this, [this] { DisplayUpperValues(); });
    connect(SpinDownBounce, &QSpinBox::valueChanged, this, [this] { DisplayLowerValues(); });

    auto *type = new QHBoxLayout;
    type->addWidget(typeLabel);
    type->addWidget(ContactSelect);
    type->addStretch(1);
    auto *checks = new QGridLayout;
    checks->addWidget(UpStrokeCheck, 0, 0);
    checks->addWidget(TestUpBounce, 0, 1);
    checks->addWidget(DownStrokeCheck, 1, 0);
    checks->addWidget(TestDownBounce, 1, 1);
    auto *tolerances = new QHBoxLayout;
    tolerances->addWidget(frame("Up Stroke Tolerances", up, panel));
    tolerances->addWidget(frame("Down Stroke Tolerances", down, panel));

    auto *layout = new QVBoxLayout(panel);
    layout->addLayout(type);
    layout->addLayout(checks);
    layout->addLayout(tolerances);
    layout->addWidget(frame("Transition Thresholds", thresholds, panel));
    layout->addStretch(1);
    return panel;
}

QWidget *frmOptions::buildLimitsTab()
{
    auto *panel = new QWidget;
    auto *grid = new QGridLayout;
    MaxTestCycleEd = addField(grid, "MaxTestCycleEd", "Maximum Test Cycles",
                              "Maximum number of test cycles before stopping", panel);
    MaxFailureEd = addField(grid, "MaxFailureEd", "Maximum Test Failures",
                            "Maximum number of test cycle failures before stopping", panel);
    MaxSeqFailEd = addField(grid, "MaxSeqFailEd", "Maximum Sequential Failures",
                            "Maximum number of seqencial test cycle failures before stopping", panel);
    auto *layout = new QVBoxLayout(panel);
    layout->addLayout(grid);
    layout->addStretch(1);
    return panel;
}

void frmOptions::selectTab(int index)
{
    if (tbsOptions->currentIndex() != index)
        tbsOptions->setCurrentIndex(index);   // comes back here through currentChanged
    panels->setCurrentIndex(index);
    for (int i = 0; i < 3; ++i)
        picOptions[i]->setEnabled(i == index);
    Recalc->setVisible(index == 0);
    Recalc->setEnabled(index == 0);
}

void frmOptions::DisplayEditValues()
{
    const EditorFields f = editor.DisplayEditValues();
    for (const auto &[member, field] : textFields())
        field->setText(f.*member);
    SpinUpBounce->setValue(f.upperBounce);
    DisplayUpperValues();
    SpinDownBounce->setValue(f.lowerBounce);
    DisplayLowerValues();
    SetContactView(f);
    ComputeEstimateRate();
}

void frmOptions::SetContactView(const EditorFields &f)
{
    ContactSelect->setCurrentIndex(f.contactType);
    UpStrokeCheck->setChecked(f.upStroke);
    TestUpBounce->setChecked(f.upBounce);
    DownStrokeCheck->setChecked(f.downStroke);
    TestDownBounce->setChecked(f.downBounce);
}

std::vector<std::pair<QString EditorFields::*, QLineEdit *>> frmOptions::textFields() const
{
    return {{&EditorFields::maxUpTime, MaxUpTimeEd},
            {&EditorFields::minUpTime, MinUpTimeEd},
            {&EditorFields::maxDownTime, MaxDownTimeEd},
            {&EditorFields::minDownTime, MinDownTimeEd},
            {&EditorFields::upMaxResist, UpMaxResistEd},
            {&EditorFields::upMinResist, UpMinResistEd},
            {&EditorFields::maxUpBounceTime, MaxUpBounceTime},
            {&EditorFields::downMaxResist, DownMaxResistEd},
            {&EditorFields::downMinResist, DownMinResistEd},
            {&EditorFields::maxDownBounceTime, MaxDownBounceTime},
            {&EditorFields::maxTestCycles, MaxTestCycleEd},
            {&EditorFields::maxFailures, MaxFailureEd},
            {&EditorFields::maxSeqFailures, MaxSeqFailEd}};
}

EditorFields frmOptions::editedFields() const
{
    EditorFields f;
    for (const auto &[member, field] : textFields())
        f.*member = field->text();
    f.constantRate = ConstRateChk->isChecked();
    f.contactType = ContactSelect->currentIndex();
    f.upStroke = UpStrokeCheck->isChecked();
    f.upBounce = TestUpBounce->isChecked();
    f.downStroke = DownStrokeCheck->isChecked();
    f.downBounce = TestDownBounce->isChecked();
    f.upperBounce = SpinUpBounce->value();
    f.lowerBounce = SpinDownBounce->value();
    return f;
}

void frmOptions::reviewFirstReadjusted()
{
    const QString EditorFields::*first = editor.readjusted().first().field;
    for (const auto &[member, field] : textFields()) {
        if (member != first)
            continue;
        for (int tab = 0; tab < 3; ++tab)
            if (picOptions[tab]->isAncestorOf(field))
                selectTab(tab);
        field->setFocus();
        field->selectAll();
    }
}

bool frmOptions::ApplyEditedConfig()
{
    return editor.ApplyEditedConfig(editedFields(), [this] { DisplayEditValues(); });
}

void frmOptions::ConstRateChk_Click()
{
    const bool constant = ConstRateChk->isChecked();
    for (QLineEdit *field : {MinDownTimeEd, MinUpTimeEd}) {
        field->setEnabled(!constant);
        field->setEchoMode(constant ? QLineEdit::Password : QLineEdit::Normal);
    }
}

void frmOptions::ComputeEstimateRate()
{
    const RateEstimate estimate =
        ::ComputeEstimateRate(MaxUpTimeEd->text(), MinUpTimeEd->text(), MaxDownTimeEd->text(),
                              MinDownTimeEd->text(), ConstRateChk->isChecked(), MaxTestCycleEd->text());
    SetSteadyText(EstimatedRate, estimate.rate);
    SetSteadyText(EstimatedTime, estimate.time);
}

void frmOptions::DisplayUpperValues()
{
    const ThresholdTexts texts = ThresholdValues(s, SpinUpBounce->value());
    SetSteadyText(BounceUpperOhms, texts.ohms);
    SetSteadyText(BounceUpperPercent, texts.percent);
    SetSteadyText(BounceUpperVolts, texts.volts);
}

void frmOptions::DisplayLowerValues()
{
    const ThresholdTexts texts = ThresholdValues(s, SpinDownBounce->value());
    SetSteadyText(BounceLowerOhms, texts.ohms);
    SetSteadyText(BounceLowerPercent, texts.percent);
    SetSteadyText(BounceLowerVolts, texts.volts);
}

void frmOptions::cmdOK_Click()
{
    if (!ApplyEditedConfig()) {
        if (editor.reviewing())
            reviewFirstReadjusted();
        return;   // stays open for the operator to correct or review
    }
    UseSelect = 1;
    IsDirty = editor.IsDirty();
    accept();
}
