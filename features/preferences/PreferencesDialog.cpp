#include "features/preferences/PreferencesDialog.h"

#include "engine/preferences/StationSettings.h"
#include "ui/ControlNames.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

PreferencesDialog::PreferencesDialog(SettingsStore &store, QWidget *parent)
    : QDialog(parent), settings(store)
{
    setObjectName("PreferencesDialog");
    setWindowTitle(QStringLiteral("Preferences"));
    setModal(true);

    auto *pages = new QTabWidget(this);
    pages->setObjectName("PreferencePages");

    auto *station = new QWidget(pages);
    station->setObjectName("StationPage");
    DriveEveryTesterChkBx = CaptionedControl<QCheckBox>(
        "DriveEveryTesterChkBx", QStringLiteral("&Drive every tester found"),
        QStringLiteral("Go on searching the ports after a tester was found, and drive every tester found "
                       "from one Station window"),
        station);
    DriveEveryTesterChkBx->setChecked(StationSettings(settings).driveEveryTester());
    auto *explanation = new QLabel(
        QStringLiteral("Each tester found gets its own row in the Station window, its own data file and its "
                       "own window. Takes effect the next time the program starts."),
        station);
    explanation->setWordWrap(true);
    explanation->setMinimumWidth(320);
    auto *stationLayout = new QVBoxLayout(station);
    stationLayout->addWidget(DriveEveryTesterChkBx);
    stationLayout->addWidget(explanation);
    stationLayout->addStretch(1);
    pages->addTab(station, QStringLiteral("Station"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("OKButton");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("CancelButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);
}

void PreferencesDialog::accept()
{
    StationSettings(settings).setDriveEveryTester(DriveEveryTesterChkBx->isChecked());
    QDialog::accept();
}

QAction *AddPreferencesEntry(QMenu *fileMenu, QAction *before, SettingsStore &settings, QWidget *window)
{
    auto *entry = new QAction(QStringLiteral("Pr&eferences..."), fileMenu);
    entry->setObjectName("FilePreferencesMenu");
    fileMenu->insertAction(before, entry);
    QObject::connect(entry, &QAction::triggered, window, [&settings, window] {
        PreferencesDialog dialog(settings, window);
        dialog.exec();
    });
    return entry;
}
