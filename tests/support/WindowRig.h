#pragma once

#include "support/FakeDataFileDialog.h"
#include "support/FakeMessageDialogs.h"
#include "support/FakeSerialPort.h"
#include "support/MemorySettingsStore.h"
#include "support/SessionWindow.h"

#include <QtGui>
#include <memory>

// A main window over fakes; WindowRig(false) leaves time to prepare the
// settings or the port before build().
struct WindowRig
{
    // Long enough that no poll tick runs unless a test drives one.
    static constexpr int NoTicks = 24 * 3600 * 1000;

    explicit WindowRig(bool buildNow = true)
    {
        if (buildNow)
            build();
    }
    void build(int pollMs = NoTicks)
    {
        built = std::make_unique<SessionWindow>(port, settings, dialogs, files, pollMs, archive);
        form = &built->form;
    }

    QWidget *widget(const QString &name) { return form->findChild<QWidget *>(name); }
    QString text(const QString &name) { return widget(name)->property("text").toString(); }
    QAction *action(const QString &name) { return form->findChild<QAction *>(name); }
    TesterState &s() { return form->state(); }

    FakeSerialPort port;
    MemorySettingsStore settings;
    FakeMessageDialogs dialogs;
    FakeDataFileDialog files;
    ArchiveSink *archive = nullptr;   // where the run records go; none: nowhere
    std::unique_ptr<SessionWindow> built;
    TesterWindow *form = nullptr;
};
