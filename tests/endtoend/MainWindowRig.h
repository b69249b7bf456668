#pragma once

#include "SimulatedRig.h"

#include "mainwindow/TesterWindow.h"
#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/MemorySettingsStore.h"
#include "support/SessionWindow.h"

#include <QtWidgets>

inline void clickButton(QDialog *dialog, const char *button)
{
    dialog->findChild<QAbstractButton *>(QString::fromLatin1(button))->click();
}

// The main window on the simulated tester's pseudo-terminal. The rig ticks
// the window's engine; the window's own timer never does.
struct MainWindowRig
{
    static constexpr int NoTicks = 24 * 3600 * 1000;

    explicit MainWindowRig(const SimulatorConfig &config = SimulatedRig::fastConfig()) : rig(config)
    {
        rig.drive(form.engine());
    }

    TesterState &s() { return form.state(); }
    bool idle() { return s().link.portOpen && s().link.step == LinkStep::Idle && form.engine().commReady(); }
    bool connect()
    {
        return rig.tickUntil([this] { return s().session.downloadedOnce && idle(); }, 200);
    }
    bool settle()
    {
        return rig.tickUntil([this] { return idle(); }, 200);
    }
    void trigger(const char *action) { form.findChild<QAction *>(QString::fromLatin1(action))->trigger(); }
    QString shown(const char *box)
    {
        return form.findChild<QWidget *>(QString::fromLatin1(box))->property("text").toString();
    }

    SimulatedRig rig;
    MemorySettingsStore settings;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    SessionWindow window{rig.port, settings, dialogs, files, NoTicks};
    TesterWindow &form = window.form;
};
