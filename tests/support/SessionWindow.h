#pragma once

#include "engine/session/TesterSession.h"
#include "mainwindow/TesterWindow.h"
#include "support/FakeConfigFileDialog.h"

// One tester's session with the main window over it, built and started as
// the program does: the tests' way to a main window over fakes.
struct SessionWindow
{
    SessionWindow(SerialPort &port, SettingsStore &settings, MessageDialogs &dialogs, DataFileDialog &files, int pollMs,
                  ArchiveSink *archive = nullptr)
        : session({port, settings, dialogs, files, configFiles, archive}, pollMs), form(session)
    {
        session.start();
    }

    FakeConfigFileDialog configFiles;
    TesterSession session;
    TesterWindow form;
};
